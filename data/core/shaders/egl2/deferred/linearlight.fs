#(UnpackNormalDepth)

// Deferred parallel light. The view-space position comes back from the G-buffer's depth and the
// pixel's place on screen (the projection's x scale is ZoomFactor x DisplayBufferRatio, its y
// scale ZoomFactor), the surface's colours from the other targets; lit as the forward passes light.
void main()
{
	float2 uv = %in.fragcoord%.xy * u_ibs;
	float3 normal;
	float depth;
	UnpackNormalDepth(u_gbuffer0, uv, normal, depth);
	if (depth <= 0.0)
		discard;
	float2 ndc = uv * 2.0 - 1.0;
	float3 v_vpos = float3(ndc.x * depth / (u_zoom * u_ratio), ndc.y * depth / u_zoom, depth);
	float3 diffuse = texture2D(u_gbuffer1, uv).rgb;
	float4 specular = texture2D(u_gbuffer2, uv);
	float exponent = max(specular.a * 96.0, 0.0001);
	float diffuseShare = max(-dot(u_lvd, normal), 0.0);
	float specularShare = pow(max(-dot(u_lvd, normalize(reflect(v_vpos, normal))), 0.0), exponent);
	float3 color = diffuse * u_ldiff * diffuseShare + specular.rgb * u_lspec * specularShare;
	%out.color% = float4(color, 1.0);
}
