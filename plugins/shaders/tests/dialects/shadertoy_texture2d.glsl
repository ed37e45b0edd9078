// Shadertoy's dialect with the old texture function: the left half shows
// channel 0, the right half the gradient of the pixel's position.
void mainImage(out vec4 fragColor, in vec2 fragCoord)
{
    vec2 uv = fragCoord / iResolution.xy;
    vec4 picture = texture2D(iChannel0, uv);
    fragColor = uv.x < 0.5 ? picture : vec4(uv, 0.0, 1.0);
}
