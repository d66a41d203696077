#version 120
uniform mat3 u_nmv_matrix;
uniform vec3 u_lvp;
uniform float u_lr;
uniform vec3 u_ldiff;
uniform vec3 u_lspec;
uniform vec4 _n_mat_param0002;
uniform vec4 _n_mat_param0003;
uniform float _n_mat_param0004;
uniform float _n_mat_param0005;
varying vec3 v_vpos;
varying vec3 _n_varying_normal0001;
void main()
{
vec3 _n_normal0000 = normalize(_n_varying_normal0001);
vec3	v_f_normal = _n_normal0000;
vec3 v_normal_view = u_nmv_matrix * v_f_normal;
vec3	_l_vector = v_vpos - u_lvp;
float	_l_distance = length(_l_vector);
vec3	_l_direction = _l_vector / max(_l_distance, 0.000001);
vec3	_l_normal = normalize(v_normal_view);
float	k_attn = u_lr > 0.0 ? max(1.0 - _l_distance / u_lr, 0.0) : 1.0;
float	_f_diffuse = max(-dot(_l_direction, _l_normal), 0.0) * k_attn;
float	_f_specular = pow(max(-dot(_l_direction, normalize(reflect(v_vpos, _l_normal))), 0.0), max(_n_mat_param0004 * 96.0, 0.0001)) * k_attn;
vec3	_f_color = _n_mat_param0002.xyz * u_ldiff * _f_diffuse + _n_mat_param0003.xyz * u_lspec * _f_specular;
gl_FragColor = vec4(_f_color, _n_mat_param0005);
}