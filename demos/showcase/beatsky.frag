// The shader scene's sky: rings of light rise from behind the hills and are
// pushed outwards on every kick, and the music's spectrum glows along the
// horizon, the bass in the middle and the treble at both sides. It is drawn
// over the sky that 'back' drew and fades out towards the horizon, so the
// floor stays in view.
//   iChannel0  the music (source 5): row 0 the spectrum, row 1 the waveform
//   iParam[0]  the kick, 0 to 1 (a "beat" parameter)
//   iParam[1]  where the sky fades out, as a share of the picture's height
void mainImage(out vec4 fragColor, in vec2 fragCoord)
{
    vec2 uv = fragCoord / iResolution.xy;
    vec2 p = (2.0 * fragCoord - iResolution.xy) / iResolution.y;
    float kick = iParam[0];

    float r = length(p - vec2(0.0, -0.35));
    float rings = smoothstep(0.55, 1.0, sin(14.0 * r - 4.0 * iTime - 2.5 * kick));
    float rays = 0.5 + 0.5 * sin(9.0 * atan(p.x, p.y + 0.35) + 0.7 * iTime);

    vec3 deep = vec3(0.20, 0.04, 0.40);
    vec3 light = mix(vec3(1.00, 0.35, 0.70), vec3(0.35, 0.85, 1.00), rays);
    vec3 col = mix(deep, light, rings * (0.45 + 0.55 * kick));

    // The lowest 30% of the spectrum, mirrored about the middle, as a glow
    // whose height follows each band's level.
    float band = texture(iChannel0, vec2(0.02 + 0.28 * abs(2.0 * uv.x - 1.0), 0.25)).r;
    float above = uv.y - iParam[1];
    float glow = 0.4 * band * smoothstep(0.2 * band, 0.0, above) * step(0.0, above);
    col += glow * vec3(0.60, 0.30, 1.00);

    float sky = smoothstep(iParam[1], iParam[1] + 0.2, uv.y);
    fragColor = vec4(col, max(sky * (0.50 + 0.35 * kick), glow));
}
