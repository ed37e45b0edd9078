// The old name of the time, iGlobalTime, beside iTime: blue is their difference.
void mainImage(out vec4 fragColor, in vec2 fragCoord)
{
    vec2 uv = fragCoord / iResolution.xy;
    float same = abs(iGlobalTime - iTime);
    fragColor = vec4(uv, same, 1.0);
}
