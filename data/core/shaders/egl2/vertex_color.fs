%out.color% = v_color;
