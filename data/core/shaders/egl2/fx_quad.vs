// Drawn into an FX texture while the viewport keeps the output size: the quad covers the lower
// left 1 / FxScale of the viewport, which is the whole FX texture.
float2 corner = (a_position.xy + 1.0) / max(u_fx_scale, 1.0) - 1.0;
%out.position% = float4(corner, 0.0, 1.0);
v_uv = a_uv;
