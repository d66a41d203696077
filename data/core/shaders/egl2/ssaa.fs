// Antialiasing of the deferred frame: where the luminance of the four neighbours spans a
// visible step, the pixel is blended towards their mean.
float2 texel = u_ibs;
float4 centre = texture2D(u_texture, v_uv);
float4 north = texture2D(u_texture, v_uv + float2(0.0, texel.y));
float4 south = texture2D(u_texture, v_uv - float2(0.0, texel.y));
float4 east = texture2D(u_texture, v_uv + float2(texel.x, 0.0));
float4 west = texture2D(u_texture, v_uv - float2(texel.x, 0.0));
float3 weights = float3(0.299, 0.587, 0.114);
float lumaCentre = dot(centre.rgb, weights);
float lumaNorth = dot(north.rgb, weights);
float lumaSouth = dot(south.rgb, weights);
float lumaEast = dot(east.rgb, weights);
float lumaWest = dot(west.rgb, weights);
float lowest = min(lumaCentre, min(min(lumaNorth, lumaSouth), min(lumaEast, lumaWest)));
float highest = max(lumaCentre, max(max(lumaNorth, lumaSouth), max(lumaEast, lumaWest)));
float edge = clamp((highest - lowest) * 4.0 - 0.2, 0.0, 1.0) * 0.5;
%out.color% = mix(centre, (north + south + east + west) * 0.25, edge);
