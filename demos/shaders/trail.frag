#version 300 es
// Buffer B of the chain, in the dialect of OpenGL ES 3.0: the blobs of
// buffer A (channel 0), softened, over what buffer B held a frame ago
// (channel 1 names buffer B itself, which gives its previous frame), so the
// blobs leave trails that fade in about a second.
precision highp float;
out vec4 fragColor;

void main()
{
    vec2 uv = gl_FragCoord.xy / iResolution.xy;
    vec2 px = 1.5 / iResolution.xy;
    float a = 0.4 * texture(iChannel0, uv).r
            + 0.15 * (texture(iChannel0, uv + vec2(px.x, 0.0)).r + texture(iChannel0, uv - vec2(px.x, 0.0)).r
                    + texture(iChannel0, uv + vec2(0.0, px.y)).r + texture(iChannel0, uv - vec2(0.0, px.y)).r);
    float before = texture(iChannel1, uv).r * pow(0.97, iTimeDelta * 60.0);
    fragColor = vec4(max(a, before), a, 0.0, 1.0);
}
