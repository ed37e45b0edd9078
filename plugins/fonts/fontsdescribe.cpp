// What the parameters of Text3D and TextSwarm3D mean, for the tools and
// edit mode's display (README.md has the same tables for people).
#include <zorbit/zorbitdescribe.h>

namespace {

using namespace zorbit;

constexpr ZorbitParamDescription kText3D[] = {
    Text("text"),
    File("font", KIND_FONT, ZORBIT_FLAG_INSTALLED_FONT),
    Number("size", "pixels", 1, 1, kNoLimit, 32),
    Number("x", "units", 1000),
    Number("y", "units", 1000),
    Number("z", "units", 1000),
    Quaternion("qx", 10000),
    Quaternion("qy", 10000),
    Quaternion("qz", 10000),
    Quaternion("qw", 10000, 10000),
    Colour("red", "red"),
    Colour("green", "green"),
    Colour("blue", "blue"),
    Number("opacity", "", 1, 0, 255, 255),
    Blend("blendsrc", 770),
    Blend("blenddst", 771),
    Number("scale", "", 100000, kAnyValue, kNoLimit, 100000),
    Resource("group", KIND_3DWR),
    Switch("axes"),
};

constexpr ZorbitParamDescription kTextSwarm3D[] = {
    Text("text"),
    Resource("swarm", KIND_SWRM),
    File("font", KIND_FONT, ZORBIT_FLAG_INSTALLED_FONT),
    Number("size", "pixels", 1, 1, kNoLimit, 32),
    Number("x", "units", 1000),
    Number("y", "units", 1000),
    Number("z", "units", 1000),
    Quaternion("qx", 10000),
    Quaternion("qy", 10000),
    Quaternion("qz", 10000),
    Quaternion("qw", 10000, 10000),
    Number("opacity", "", 1, 0, 255, 255),
    Blend("blendsrc", 770),
    Blend("blenddst", 771),
    Number("scale", "", 100000, kAnyValue, kNoLimit, 100000),
    Resource("group", KIND_3DWR),
    Switch("axes"),
};

constexpr ZorbitEffectDescription kEffects[] = {
    {"Text3D", "a line of text as textured polygons in a 3D group", 19, kText3D},
    {"TextSwarm3D", "the characters of a text carried by the particles of a swarm", 17, kTextSwarm3D},
};
static_assert(sizeof kText3D / sizeof kText3D[0] == 19 && sizeof kTextSwarm3D / sizeof kTextSwarm3D[0] == 17,
              "counts in kEffects");

}  // namespace

ZORBIT_DECLARE_CONTRACT_VERSION;
ZORBIT_DESCRIPTIONS(kEffects);
