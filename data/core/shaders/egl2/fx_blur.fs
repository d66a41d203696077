uniform float u_pass;
uniform float u_blur_d;
uniform float u_attenuation;

// One of four blur passes between the FX textures: even passes blur across, odd ones down;
// the first two reach u_blur_d FX texels each way, the last two half that, to smooth the result.
// Taps further out weigh less by u_attenuation per step.
void main()
{
	float2 texel = u_ibs * max(u_fx_scale, 1.0);
	float2 axis = mod(u_pass, 2.0) < 0.5 ? float2(texel.x, 0.0) : float2(0.0, texel.y);
	float reach = u_pass < 1.5 ? u_blur_d : u_blur_d * 0.5;
	float2 tapStep = axis * reach / 8.0;
	float4 sum = float4(0.0, 0.0, 0.0, 0.0);
	float weights = 0.0;
	for (int i = -8; i <= 8; ++i)
	{
		float weight = pow(u_attenuation, abs(float(i)));
		sum += texture2D(u_texture, v_uv + tapStep * float(i)) * weight;
		weights += weight;
	}
	%out.color% = sum / weights;
}
