#version 120
uniform vec3 u_ambient;
uniform vec4 _n_mat_param0002;
uniform vec4 _n_mat_param0003;
uniform float _n_mat_param0004;
varying vec3 _n_varying_normal0001;
void main()
{
vec3 _n_normal0000 = normalize(_n_varying_normal0001);
vec3	v_f_normal = _n_normal0000;
gl_FragColor = vec4(_n_mat_param0002.xyz * u_ambient + _n_mat_param0003.xyz, _n_mat_param0004);

}