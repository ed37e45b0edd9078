// What the parameters of MakeMovie mean, for the tools and edit mode's
// display (README.md has the same table for people).
#include <zorbit/zorbitdescribe.h>

namespace {

using namespace zorbit;

constexpr ZorbitParamDescription kMakeMovie[] = {
    Resource("movie", KIND_TXTR, ZORBIT_FLAG_MAKES),
    File("pattern", 0, ZORBIT_FLAG_FRAME_PATTERN),
    Number("frame", "", 1, 0, kNoLimit, 0),
};

constexpr ZorbitEffectDescription kEffects[] = {
    {"MakeMovie", "a texture name showing one frame of a numbered image sequence", 3, kMakeMovie},
};

}  // namespace

ZORBIT_DECLARE_CONTRACT_VERSION;
ZORBIT_DESCRIPTIONS(kEffects);
