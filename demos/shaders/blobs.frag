// Buffer A of the chain: three blobs circling, as a field of plain numbers
// in the red channel. The target is a floating-point texture where the
// driver offers one, so values far above 1 reach buffer B as they are.
float blob(vec2 p, float k)
{
    vec2 c = 0.65 * vec2(cos(iTime * (0.6 + 0.25 * k) + 2.1 * k),
                         sin(iTime * (0.8 + 0.15 * k) + 1.3 * k));
    vec2 d = p - c;
    return 0.05 / (dot(d, d) + 0.01);
}

void mainImage(out vec4 fragColor, in vec2 fragCoord)
{
    vec2 p = (2.0 * fragCoord - iResolution.xy) / iResolution.y;
    float field = blob(p, 0.0) + blob(p, 1.0) + blob(p, 2.0);
    fragColor = vec4(field, 0.0, 0.0, 1.0);
}
