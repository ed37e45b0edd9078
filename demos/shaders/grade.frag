// A post-process in Shadertoy's older style, with texture2D. Channel 0 is
// the frame the higher tracks drew this frame (source 2, sampled nearest),
// and every pixel is graded on its own: more saturation, a warm tint, a
// vignette and every other row darker, as on an old screen.
//   iParam[0]  saturation (1: unchanged)
//   iParam[1]  vignette strength (0: none)
void mainImage(out vec4 fragColor, in vec2 fragCoord)
{
    vec2 uv = fragCoord / iResolution.xy;
    vec3 col = texture2D(iChannel0, uv).rgb;

    float luma = dot(col, vec3(0.299, 0.587, 0.114));
    col = mix(vec3(luma), col, iParam[0]);
    col *= vec3(1.10, 1.00, 0.85);

    vec2 q = uv - 0.5;
    col *= 1.0 - iParam[1] * dot(q, q) * 2.0;
    col *= mod(floor(fragCoord.y), 2.0) < 0.5 ? 0.8 : 1.0;
    fragColor = vec4(clamp(col, 0.0, 1.0), 1.0);
}
