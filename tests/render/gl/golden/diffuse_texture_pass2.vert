#version 120
attribute vec3 a_position;
uniform mat4 u_mvp_matrix;
attribute vec3 a_normal;
attribute vec2 a_uv0;
varying vec3 _n_varying_normal0001;
varying vec2 _n_uv0004;
void main()
{
_n_varying_normal0001 = a_normal;
_n_uv0004 = a_uv0;
vec4 v_f_position = vec4(a_position, 1.0);
gl_Position = u_mvp_matrix * v_f_position;

}