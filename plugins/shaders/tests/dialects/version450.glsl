#version 450
// Desktop GLSL 4.50, core, with its own declaration of an input.
uniform vec3 iResolution;
layout(location = 0) out vec4 colour;

void main()
{
    vec2 uv = gl_FragCoord.xy / iResolution.xy;
    colour = vec4(uv, 0.0, 1.0);
}
