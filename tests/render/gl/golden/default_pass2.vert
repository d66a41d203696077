#version 120
attribute vec3 a_position;
uniform mat4 u_mvp_matrix;
attribute vec3 a_normal;
varying vec3 _n_varying_normal0001;
void main()
{
_n_varying_normal0001 = a_normal;
vec4 v_f_position = vec4(a_position, 1.0);
gl_Position = u_mvp_matrix * v_f_position;

}