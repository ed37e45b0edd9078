#version 100
// GLSL ES 1.00, as WebGL 1 and old Shadertoy code wrote it.
precision mediump float;
uniform vec3 iResolution;

void main()
{
    vec2 uv = gl_FragCoord.xy / iResolution.xy;
    gl_FragColor = vec4(uv, 0.0, 1.0);
}
