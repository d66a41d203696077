// Deferred fog: linear in the view depth the G-buffer keeps, where something was drawn.
float depth = texture2D(u_depth, %in.fragcoord%.xy * u_ibs).w;
if (depth <= 0.0)
	discard;
float fog = clamp((depth - u_fog_near) * u_fog_inverse_range, 0.0, 1.0);
%out.color% = float4(u_fog_color.rgb, fog);
