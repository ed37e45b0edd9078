// What the parameters of Scene3D and DrawGrid mean, for the tools and edit
// mode's display (the tree's README.md has the same tables for people).
#include <zorbit/zorbitdescribe.h>

namespace {

using namespace zorbit;

constexpr ZorbitParamDescription kScene3D[] = {
    Resource("group", KIND_3DWR, ZORBIT_FLAG_MAKES),
    Number("x", "units", 1000),
    Number("y", "units", 1000),
    Number("z", "units", 1000, kAnyValue, kNoLimit, 500000),
    Number("atx", "units", 1000),
    Number("aty", "units", 1000),
    Number("atz", "units", 1000),
    Number("upx", "", 1),
    Number("upy", "", 1, kAnyValue, kNoLimit, 1),
    Number("upz", "", 1),
    Number("roll", "degrees", 1000),
    Number("fov", "degrees", 1000, 0, 179000, 45000),
    Number("near", "units", 1000, 0, kNoLimit, 1000),
    Number("far", "units", 1000, 0, kNoLimit, 0),
    Choice("clear", "bit 0 colour, bit 1 depth", 0, 3, 3),
    Colour("red", "red", 0),
    Colour("green", "green", 0),
    Colour("blue", "blue", 0),
};

constexpr ZorbitParamDescription kDrawGrid[] = {
    Resource("grid", KIND_GRID),
    ReadWhen(File("texture", KIND_TXTR, ZORBIT_FLAG_OR_RESOURCE | ZORBIT_FLAG_MASK_SUFFIX), 2, 1),
    Choice("look", "0 filled, 1 textured, 2 wireframe", 0, 2),
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

constexpr ZorbitEffectDescription kEffects[] = {
    {"Scene3D", "makes a 3D group and draws what it holds through a camera", 18, kScene3D},
    {"DrawGrid", "shows a grid as a mesh of quads in a 3D group", 19, kDrawGrid},
};
static_assert(sizeof kScene3D / sizeof kScene3D[0] == 18 && sizeof kDrawGrid / sizeof kDrawGrid[0] == 19,
              "counts in kEffects");

}  // namespace

ZORBIT_DECLARE_CONTRACT_VERSION;
ZORBIT_DESCRIPTIONS(kEffects);
