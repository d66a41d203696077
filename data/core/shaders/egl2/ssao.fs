uniform float u_strength;
uniform float u_radius;
uniform float u_distance;
uniform float u_deferred;

// View depth at a point of the frame: the deferred G-buffer keeps it in w (0 where nothing was
// drawn), the forward depth texture keeps window depth. Nothing drawn reads as far away.
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

float3 ViewPosition(float2 uv, float depth)
{
	float2 ndc = uv * 2.0 - 1.0;
	return float3(ndc.x * depth / (u_zoom * u_ratio), ndc.y * depth / u_zoom, depth);
}

// Screen-space ambient occlusion: twelve points in the hemisphere above the surface, within
// u_radius, turned per pixel by the noise map; a point the depth buffer shows behind a nearer
// surface (no further than u_radius in front of it) is occluded. Surfaces beyond u_distance get
// none. The result darkens through its alpha: (0, 0, 0, occlusion x u_strength).
void main()
{
	float depth = ViewDepth(v_uv);
	if (depth > u_distance)
	{
		%out.color% = float4(0.0, 0.0, 0.0, 0.0);
		return;
	}
	float3 position = ViewPosition(v_uv, depth);
	float3 normal = normalize(cross(dFdx(position), dFdy(position)));
	if (dot(normal, position) > 0.0)
		normal = -normal;
	float3 turn = texture2D(u_noise, fract(%in.fragcoord%.xy / 64.0)).xyz * 2.0 - 1.0;
	float3 tangent = turn - normal * dot(turn, normal);
	tangent = dot(tangent, tangent) > 1.0e-6 ? normalize(tangent) : normalize(cross(normal, float3(0.0, 1.0, 0.0)) + float3(1.0e-3, 0.0, 0.0));
	float3 bitangent = cross(normal, tangent);
	float occlusion = 0.0;
	for (int i = 0; i < 12; ++i)
	{
		float share = (float(i) + 0.5) / 12.0;
		float angle = float(i) * 2.39996;
		float rise = share;
		float spread = sqrt(1.0 - rise * rise);
		float reach = u_radius * mix(0.15, 1.0, share * share);
		float3 offset = (tangent * cos(angle) * spread + bitangent * sin(angle) * spread + normal * rise) * reach;
		float3 probe = position + offset;
		if (probe.z <= 0.0)
			continue;
		float2 probeUV = float2(probe.x * u_zoom * u_ratio / probe.z, probe.y * u_zoom / probe.z) * 0.5 + 0.5;
		float surface = ViewDepth(probeUV);
		float inFront = probe.z - surface;
		if (inFront > 0.02 * u_radius && inFront < u_radius)
			occlusion += 1.0;
	}
	%out.color% = float4(0.0, 0.0, 0.0, clamp(occlusion / 12.0 * u_strength, 0.0, 1.0));
}
