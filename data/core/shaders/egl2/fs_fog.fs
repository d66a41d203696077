// Forward fog: the window depth turned back into view depth, then linear fog between FogNear
// and FogFar (FogInverseRange = 1 / (far - near)). The background (depth 1) is left alone.
float windowDepth = texture2D(u_depth, %in.fragcoord%.xy * u_ibs).r;
if (windowDepth >= 1.0)
	discard;
float ndcDepth = windowDepth * 2.0 - 1.0;
float viewDepth = u_znear * u_zfar / (u_zfar - ndcDepth * (u_zfar - u_znear));
float fog = clamp((viewDepth - u_fog_near) * u_fog_inverse_range, 0.0, 1.0);
%out.color% = float4(u_fog_color.rgb, fog);
