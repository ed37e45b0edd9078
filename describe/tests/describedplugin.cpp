// A plug-in with one effect, Glow, whose table is good or broken on purpose:
// built in variants (HOSTILE_* below) to see the tools read a table, refuse
// a broken one and go on.
#include <zorbit/zorbitdescribe.h>

namespace {

using namespace zorbit;

#if defined(HOSTILE_NULL_NAME)
#define GLOW_NAME nullptr
#else
#define GLOW_NAME "strength"
#endif
#if defined(HOSTILE_MIN_ABOVE_MAX)
#define GLOW_MIN 10
#define GLOW_MAX 5
#else
#define GLOW_MIN 0
#define GLOW_MAX 100
#endif
#if defined(HOSTILE_HUGE_COUNT)
#define GLOW_COUNT 0x7FFFFFFFu
#else
#define GLOW_COUNT 3u
#endif

constexpr ZorbitParamDescription kGlow[] = {
    Resource("group", KIND_3DWR),
    Number(GLOW_NAME, "percent", 1, GLOW_MIN, GLOW_MAX, 50),
    Blend("blendsrc", 770),
};

constexpr ZorbitEffectDescription kEffects[] = {
    {"Glow", "a test effect that draws nothing", GLOW_COUNT, kGlow},
};

}  // namespace

ZORBIT_EXPORT bool Zorbit_Init(SDL_Surface**, SDL_Surface**, void**) { return true; }
ZORBIT_EXPORT bool Zorbit_Quit() { return true; }
ZORBIT_EXPORT bool Zorbit_BeginNewFrame(int32_t) { return true; }
ZORBIT_EXPORT bool Glow(FrameInfo* ioInfo, void**, int32_t, int32_t, int32_t) {
  ioInfo->status = STATUS_UNCHANGED;
  return true;
}

#if !defined(UNDESCRIBED)
ZORBIT_DECLARE_CONTRACT_VERSION;
#endif
#if defined(UNDESCRIBED)
#elif defined(HOSTILE_NEWER_TABLE)
ZORBIT_EXPORT const ZorbitDescriptions Zorbit_Descriptions = {ZORBIT_CONTRACT_VERSION + 1, 1, kEffects};
#elif defined(HOSTILE_TOO_MANY_EFFECTS)
ZORBIT_EXPORT const ZorbitDescriptions Zorbit_Descriptions = {ZORBIT_CONTRACT_VERSION, 1000000, kEffects};
#else
ZORBIT_DESCRIPTIONS(kEffects);
#endif
