#version 300 es
// GLSL ES 3.00, the language of WebGL 2.
precision highp float;
out vec4 colour;

void main()
{
    vec2 uv = gl_FragCoord.xy / iResolution.xy;
    colour = vec4(uv, 0.0, 1.0);
}
