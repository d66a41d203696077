%out.position% = u_mvp * float4(a_position, 1.0);
