uniform float u_blur_radius;
uniform float u_ao_radius;
uniform float u_deferred;

float ViewDepth(float2 uv)
{
	float4 stored = texture2D(u_depth, uv);
	if (u_deferred > 0.5)
		return stored.w > 0.0 ? stored.w : 1.0e6;
	if (stored.r >= 1.0)
		return 1.0e6;
	float ndcDepth = stored.r * 2.0 - 1.0;
	return u_znear * u_zfar / (u_zfar - ndcDepth * (u_zfar - u_znear));
}

// Blurs the occlusion over u_blur_radius FX texels each way, taking only taps whose depth is
// within u_ao_radius of the pixel's, so occlusion does not bleed across depth edges.
void main()
{
	float2 texel = u_ibs * max(u_fx_scale, 1.0);
	float centreDepth = ViewDepth(v_uv);
	float sum = 0.0;
	float weights = 0.0;
	for (int y = -2; y <= 2; ++y)
	{
		for (int x = -2; x <= 2; ++x)
		{
			float2 uv = v_uv + float2(float(x), float(y)) * 0.5 * u_blur_radius * texel;
			float weight = abs(ViewDepth(uv) - centreDepth) < u_ao_radius ? 1.0 : 0.0;
			sum += texture2D(u_texture, uv).a * weight;
			weights += weight;
		}
	}
	%out.color% = float4(0.0, 0.0, 0.0, sum / max(weights, 1.0));
}
