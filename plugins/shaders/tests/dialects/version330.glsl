#version 330
// Desktop GLSL 3.30 with an explicit output location.
layout(location = 0) out vec4 colour;

void main()
{
    vec2 uv = gl_FragCoord.xy / iResolution.xy;
    colour = vec4(uv, 0.0, 1.0);
}
