#version 150
// Desktop GLSL 1.50 with its own output.
out vec4 colour;

void main()
{
    vec2 uv = gl_FragCoord.xy / iResolution.xy;
    colour = vec4(uv, 0.0, 1.0);
}
