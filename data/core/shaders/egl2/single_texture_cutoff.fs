uniform float u_cutoff;

// The bright pass of bloom: texels whose luminance reaches the cutoff, black elsewhere.
void main()
{
	float4 texel = texture2D(u_texture, v_uv);
	float luminance = dot(texel.rgb, float3(0.299, 0.587, 0.114));
	%out.color% = luminance >= u_cutoff ? texel : float4(0.0, 0.0, 0.0, texel.a);
}
