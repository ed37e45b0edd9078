// Paint that stays. Channel 0 is this event's own previous frame (source 3,
// feedback): every frame starts from it, fades it a little and draws it
// slowly outwards, and a brush on a Lissajous path adds fresh colour. The
// fade and the zoom are per 1/60 s, scaled by iTimeDelta, so the trail
// lasts as long at any frame rate.
//   iParam[0]  what is left of the paint after 1/60 s (0.99: half of it is gone after a second)
//   iParam[1]  brush radius as a share of the picture's height
void mainImage(out vec4 fragColor, in vec2 fragCoord)
{
    vec2 uv = fragCoord / iResolution.xy;
    float steps = iTimeDelta * 60.0;
    vec2 from = 0.5 + (uv - 0.5) * pow(0.996, steps);
    vec3 previous = texture(iChannel0, from).rgb * pow(iParam[0], steps);

    vec2 brush = vec2(0.5 + 0.38 * sin(1.3 * iTime), 0.5 + 0.36 * sin(1.9 * iTime + 0.7));
    vec2 d = (uv - brush) * vec2(iResolution.x / iResolution.y, 1.0) / max(iParam[1], 1e-3);
    float spot = exp(-dot(d, d) * 3.0);
    vec3 ink = 0.55 + 0.45 * cos(vec3(0.0, 2.1, 4.2) + 1.7 * iTime);

    fragColor = vec4(max(previous, ink * spot), 1.0);
}
