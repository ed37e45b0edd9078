// A tunnel of glowing rings, written the way Shadertoy shaders are: only
// mainImage, with the inputs the host declares.
//   iParam[0]  rings passed per second
//   iParam[1]  the beat's pulse, 0 to 1 (a "beat" parameter)
//   iParam[2]  twist of the spokes, turns per ring
void mainImage(out vec4 fragColor, in vec2 fragCoord)
{
    vec2 p = (2.0 * fragCoord - iResolution.xy) / iResolution.y;
    float r = max(length(p), 1e-3);
    float a = atan(p.y, p.x);
    float depth = 0.5 / r + iTime * iParam[0];

    float rings = pow(0.5 + 0.5 * cos(6.2831853 * depth), 8.0);
    float spokes = 0.5 + 0.5 * cos(6.0 * a + 6.2831853 * iParam[2] * depth);
    vec3 tint = mix(vec3(0.10, 0.35, 1.00), vec3(1.00, 0.30, 0.55), spokes);

    vec3 col = tint * (rings * (0.7 + 1.3 * iParam[1]) + 0.18 * spokes);
    col *= smoothstep(0.05, 0.7, r);   // the far end stays dark
    fragColor = vec4(col, 1.0);
}
