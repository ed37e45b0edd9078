// The shader scene's post-process over the whole 3D picture (channel 0 is
// the frame drawn so far, sampled with mipmaps): bright parts bloom into
// their surroundings, shadows turn teal and highlights warm, and the
// corners darken.
//   iParam[0]  bloom strength
//   iParam[1]  vignette strength (0: none)
vec3 bright(vec2 uv, float lod)
{
    return max(textureLod(iChannel0, uv, lod).rgb - 0.45, 0.0);
}

void mainImage(out vec4 fragColor, in vec2 fragCoord)
{
    vec2 uv = fragCoord / iResolution.xy;
    vec3 col = texture(iChannel0, uv).rgb;

    // Blurs from the mipmaps, as wide on every picture size: level 2 of a
    // picture 180 pixels high, level 4 of one 720 high.
    float lod = log2(max(iResolution.y, 1.0) / 45.0);
    vec3 glow = 0.5 * bright(uv, lod) + 0.35 * bright(uv, lod + 1.0) + 0.25 * bright(uv, lod + 2.0);
    col += iParam[0] * glow;

    float luma = dot(col, vec3(0.2126, 0.7152, 0.0722));
    col *= mix(vec3(0.85, 1.00, 1.10), vec3(1.10, 1.00, 0.85), smoothstep(0.15, 0.75, luma));

    vec2 q = uv - 0.5;
    col *= 1.0 - iParam[1] * dot(q, q) * 1.6;
    fragColor = vec4(col, 1.0);
}
