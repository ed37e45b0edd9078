// Shadertoy's dialect with texture(), precision and a define, as WebGL 2 takes it.
precision highp float;
#define HALF 0.5

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = fragCoord / iResolution.xy;
    vec4 picture = texture(iChannel0, uv);
    fragColor = uv.x < HALF ? picture : vec4(uv, 0.0, 1.0);
}
