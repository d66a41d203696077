#version 120
uniform vec3 u_ambient;
uniform sampler2D _n_texture0003;
uniform vec4 _n_mat_param0005;
uniform float _n_mat_param0006;
varying vec3 _n_varying_normal0001;
varying vec2 _n_uv0004;
void main()
{
vec3 _n_normal0000 = normalize(_n_varying_normal0001);
vec4 _n_texel0002 = texture2D(_n_texture0003, _n_uv0004);
vec3	v_f_normal = _n_normal0000;
gl_FragColor = vec4(_n_texel0002.xyz * u_ambient + _n_mat_param0005.xyz, _n_mat_param0006);

}