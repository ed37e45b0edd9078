// What the parameters of Swarm mean, for the tools and edit mode's display
// (the tree's README.md has the same table for people).
#include <zorbit/zorbitdescribe.h>

namespace {

using namespace zorbit;

constexpr ZorbitParamDescription kSwarm[] = {
    Resource("swarm", KIND_SWRM, ZORBIT_FLAG_MAKES),
    Number("count", "particles", 1, 0, 65536, 64),
    Choice("shape", "0 ring, 1 sphere, 2 helix", 0, 2),
    Number("size", "units", 1000, kAnyValue, kNoLimit, 100000),
    Number("speed", "turns per second", 1000),
    Choice("colouring", "0 uniform, 1 gradient", 0, 1),
    Colour("alpha", "alpha"),
    Colour("red", "red"),
    Colour("green", "green"),
    Colour("blue", "blue"),
    Colour("alphab", "alpha"),
    Colour("redb", "red"),
    Colour("greenb", "green"),
    Colour("blueb", "blue"),
    Number("windings", "", 1, 1, kNoLimit, 1),
};
static_assert(sizeof kSwarm / sizeof kSwarm[0] == 15, "count in kEffects");

constexpr ZorbitEffectDescription kEffects[] = {
    {"Swarm", "makes a particle swarm for as long as the event lasts", 15, kSwarm},
};

}  // namespace

ZORBIT_DECLARE_CONTRACT_VERSION;
ZORBIT_DESCRIPTIONS(kEffects);
