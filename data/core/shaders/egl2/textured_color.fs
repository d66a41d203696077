%out.color% = texture2D(u_texture, v_uv) * v_color;
