// The picture of the chain: buffer B (channel 0) through a palette, with a
// bright rim where buffer A (channel 1) crosses the blobs' edge.
vec3 palette(float t)
{
    return 0.5 + 0.5 * cos(6.2831853 * (vec3(0.0, 0.15, 0.30) + t * vec3(1.0, 0.9, 0.8)));
}

void mainImage(out vec4 fragColor, in vec2 fragCoord)
{
    vec2 uv = fragCoord / iResolution.xy;
    float trail = texture(iChannel0, uv).r;
    float field = texture(iChannel1, uv).r;
    vec3 col = palette(0.15 * trail + 0.05 * iTime) * smoothstep(0.2, 1.2, trail);
    float rim = 1.0 - smoothstep(0.0, 0.25, abs(field - 1.5));
    fragColor = vec4(col + vec3(rim), 1.0);
}
