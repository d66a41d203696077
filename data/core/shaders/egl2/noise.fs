uniform float u_strength;
uniform float u_mono;
uniform float u_bias;
uniform vec2 u_random;

// Film grain: the noise map tiled once per 64 pixels and moved by u_random each frame, centred
// on 0, grey as u_mono goes to 1, and weaker in bright areas as u_bias goes to 1.
void main()
{
	float4 color = texture2D(u_texture, v_uv);
	float3 grain = texture2D(u_noise, fract(%in.fragcoord%.xy / 64.0 + u_random)).rgb - 0.5;
	grain = mix(grain, float3(grain.r, grain.r, grain.r), u_mono);
	float luminance = dot(color.rgb, float3(0.299, 0.587, 0.114));
	float amount = u_strength * mix(1.0, 1.0 - luminance, u_bias);
	%out.color% = float4(color.rgb + grain * amount, color.a);
}
