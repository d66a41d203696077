#(UnpackNormalDepth)
#(ComputePCF)
#(MoveTowardsLight)

// Deferred spot light with shadow. The view-space position comes back from the G-buffer's depth and the
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
	float3 lightVector = v_vpos - u_lvp;
	float lightDistance = length(lightVector);
	float3 direction = lightVector / max(lightDistance, 0.000001);
	float k_attn = u_lr > 0.0 ? max(1.0 - lightDistance / u_lr, 0.0) : 1.0;
	float diffuseShare = max(-dot(direction, normal), 0.0) * k_attn;
	float specularShare = pow(max(-dot(direction, normalize(reflect(v_vpos, normal))), 0.0), exponent) * k_attn;
	float3 color = diffuse * u_ldiff * diffuseShare + specular.rgb * u_lspec * specularShare;
	float s_attn = dot(u_lvd, direction);
	if (s_attn < u_lcone)
		s_attn = s_attn < 0.0 ? 0.0 : max((s_attn - u_ledge) / (u_lcone - u_ledge), 0.0);
	else
		s_attn = 1.0;
	float3 shadowPosition = MoveTowardsLight(v_vpos, normal, u_lvp, u_ssm_projection);
	color = mix(u_shadow_color, color, ComputePCF(shadowPosition, u_ssm_projection, u_ssm));
	%out.color% = float4(color * s_attn, 1.0);
}
