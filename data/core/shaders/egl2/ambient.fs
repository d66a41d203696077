// Deferred ambient light: diffuse x ambient + self-illumination, only where the G-buffer fill
// drew (its diffuse target keeps alpha 0 elsewhere), so the background stays.
float2 uv = %in.fragcoord%.xy * u_ibs;
float4 diffuse = texture2D(u_gbuffer1, uv);
if (diffuse.a <= 0.0)
	discard;
%out.color% = float4(diffuse.rgb * u_ambient + texture2D(u_gbuffer3, uv).rgb, 1.0);
