%out.color% = float4(1.0, 1.0, 1.0, 1.0);
