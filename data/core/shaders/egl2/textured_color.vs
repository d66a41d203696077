%out.position% = u_mvp * float4(a_position, 1.0);
v_uv = a_uv;
v_color = a_color;
