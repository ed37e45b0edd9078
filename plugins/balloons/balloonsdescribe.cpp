// What the parameters of TextBalloon mean, for the tools and edit mode's
// display (README.md has the same table for people).
#include <zorbit/zorbitdescribe.h>

namespace {

using namespace zorbit;

constexpr ZorbitParamDescription kTextBalloon[] = {
    Text("text"),
    Number("shown", "characters", 1, 0, kNoLimit, 1000),
    File("font", KIND_FONT, ZORBIT_FLAG_INSTALLED_FONT),
    Number("size", "pixels", 1, 5, kNoLimit, 24),
    Number("tailx", "units", 1, kAnyValue, kNoLimit, -40),
    Number("taily", "units", 1, kAnyValue, kNoLimit, -40),
    Switch("outline"),
    Colour("red", "red", 0),
    Colour("green", "green", 0),
    Colour("blue", "blue", 0),
    Colour("fillred", "red"),
    Colour("fillgreen", "green"),
    Colour("fillblue", "blue"),
    Number("x", "units", 1000),
    Number("y", "units", 1000),
    Number("z", "units", 1000),
    Quaternion("qx", 100000),
    Quaternion("qy", 100000),
    Quaternion("qz", 100000),
    Quaternion("qw", 100000, 100000),
    Colour("alpha", "alpha"),
    Blend("blendsrc", 770),
    Blend("blenddst", 771),
    Number("scale", "", 100000, kAnyValue, kNoLimit, 100000),
    Resource("group", KIND_3DWR),
    Switch("axes"),
};
static_assert(sizeof kTextBalloon / sizeof kTextBalloon[0] == 26, "count in kEffects");

constexpr ZorbitEffectDescription kEffects[] = {
    {"TextBalloon", "a comic thought balloon with typewriter text", 26, kTextBalloon},
};

}  // namespace

ZORBIT_DECLARE_CONTRACT_VERSION;
ZORBIT_DESCRIPTIONS(kEffects);
