uniform float u_strength;

// The blurred bright pass, scaled by the bloom strength, to be added onto the frame.
void main()
{
	%out.color% = texture2D(u_texture, v_uv) * u_strength;
}
