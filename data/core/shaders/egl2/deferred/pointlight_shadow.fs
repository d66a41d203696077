#(UnpackNormalDepth)
#(ComputePCF)

// Deferred point light with shadow. The view-space position comes back from the G-buffer's depth and the
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
	float3 frag_viewpos = v_vpos;
	float pcf = 1.0;
	// Moved towards the light by the depth the coarse faces need, as the forward passes do (dictionary "PSM").
	float3	_psm_to_light = u_lvp - frag_viewpos;
	float	_psm_distance = length(_psm_to_light);
	_psm_to_light /= max(_psm_distance, 0.000001);
	float	_psm_cos = max(abs(dot(normal, _psm_to_light)), 0.1);
	float	_psm_texel = _psm_distance * 6.55 * vec2(u_iss).x;
	frag_viewpos += _psm_to_light * min(_psm_texel * (7.0 + 2.0 * sqrt(1.0 - _psm_cos * _psm_cos) / _psm_cos), 0.5 * _psm_distance);
	vec4	_psm_clip;
	vec2	_psm_cell;
	float	_psm_inside;
	mat4	_psm_matrix = psm_0_projection_matrix;
	float	_psm_best = 0.0;
	_psm_clip = psm_0_projection_matrix * vec4(frag_viewpos, 1.0);
	_psm_cell = _psm_clip.xy / max(_psm_clip.w, 0.000001) - vec2(0.0, 0.0);
	_psm_inside = min(min(_psm_cell.x, 0.33 - _psm_cell.x), min(_psm_cell.y, 0.5 - _psm_cell.y));
	if (_psm_clip.w > 0.0 && _psm_inside > _psm_best)
	{
		_psm_matrix = psm_0_projection_matrix;
		_psm_best = _psm_inside;
	}
	_psm_clip = psm_1_projection_matrix * vec4(frag_viewpos, 1.0);
	_psm_cell = _psm_clip.xy / max(_psm_clip.w, 0.000001) - vec2(0.33, 0.0);
	_psm_inside = min(min(_psm_cell.x, 0.33 - _psm_cell.x), min(_psm_cell.y, 0.5 - _psm_cell.y));
	if (_psm_clip.w > 0.0 && _psm_inside > _psm_best)
	{
		_psm_matrix = psm_1_projection_matrix;
		_psm_best = _psm_inside;
	}
	_psm_clip = psm_2_projection_matrix * vec4(frag_viewpos, 1.0);
	_psm_cell = _psm_clip.xy / max(_psm_clip.w, 0.000001) - vec2(0.66, 0.0);
	_psm_inside = min(min(_psm_cell.x, 0.33 - _psm_cell.x), min(_psm_cell.y, 0.5 - _psm_cell.y));
	if (_psm_clip.w > 0.0 && _psm_inside > _psm_best)
	{
		_psm_matrix = psm_2_projection_matrix;
		_psm_best = _psm_inside;
	}
	_psm_clip = psm_3_projection_matrix * vec4(frag_viewpos, 1.0);
	_psm_cell = _psm_clip.xy / max(_psm_clip.w, 0.000001) - vec2(0.0, 0.5);
	_psm_inside = min(min(_psm_cell.x, 0.33 - _psm_cell.x), min(_psm_cell.y, 0.5 - _psm_cell.y));
	if (_psm_clip.w > 0.0 && _psm_inside > _psm_best)
	{
		_psm_matrix = psm_3_projection_matrix;
		_psm_best = _psm_inside;
	}
	_psm_clip = psm_4_projection_matrix * vec4(frag_viewpos, 1.0);
	_psm_cell = _psm_clip.xy / max(_psm_clip.w, 0.000001) - vec2(0.33, 0.5);
	_psm_inside = min(min(_psm_cell.x, 0.33 - _psm_cell.x), min(_psm_cell.y, 0.5 - _psm_cell.y));
	if (_psm_clip.w > 0.0 && _psm_inside > _psm_best)
	{
		_psm_matrix = psm_4_projection_matrix;
		_psm_best = _psm_inside;
	}
	_psm_clip = psm_5_projection_matrix * vec4(frag_viewpos, 1.0);
	_psm_cell = _psm_clip.xy / max(_psm_clip.w, 0.000001) - vec2(0.66, 0.5);
	_psm_inside = min(min(_psm_cell.x, 0.33 - _psm_cell.x), min(_psm_cell.y, 0.5 - _psm_cell.y));
	if (_psm_clip.w > 0.0 && _psm_inside > _psm_best)
	{
		_psm_matrix = psm_5_projection_matrix;
		_psm_best = _psm_inside;
	}
	if (_psm_best > 0.0)
		pcf = ComputePCF(frag_viewpos, _psm_matrix, psm);
	color = mix(u_shadow_color, color, pcf);
	%out.color% = float4(color, 1.0);
}
