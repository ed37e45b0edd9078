// The shader scene's sky: rings of light rise from behind the hills and are
// pushed outwards on every kick, drawn over the sky that 'back' drew. The
// picture fades out towards the horizon, so the floor stays in view.
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

    float sky = smoothstep(iParam[1], iParam[1] + 0.2, uv.y);
    fragColor = vec4(col, sky * (0.50 + 0.35 * kick));
}
