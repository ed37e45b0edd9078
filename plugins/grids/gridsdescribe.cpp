// What the parameters of MakeGrid, WaveGridZ and TurnPageGrid mean, for the
// tools and edit mode's display (README.md has the same tables for people).
#include <zorbit/zorbitdescribe.h>

namespace {

using namespace zorbit;

constexpr ZorbitParamDescription kMakeGrid[] = {
    Resource("grid", KIND_GRID, ZORBIT_FLAG_MAKES),
    Number("width", "units", 1, kAnyValue, kNoLimit, 100),
    Number("height", "units", 1, kAnyValue, kNoLimit, 100),
    Number("columns", "", 1, 2, kNoLimit, 16),
    Number("rows", "", 1, 2, kNoLimit, 16),
};

constexpr ZorbitParamDescription kWaveGridZ[] = {
    Resource("grid", KIND_GRID, ZORBIT_FLAG_MAKES),
    Resource("source", KIND_GRID),
    Unused(),
    Number("colcycles", "cycles", 1, kAnyValue, kNoLimit, 1),
    Number("colamplitude", "units", 1, kAnyValue, kNoLimit, 10),
    Number("colphase", "cycles", 1000),
    Number("rowcycles", "cycles", 1, kAnyValue, kNoLimit, 1),
    Number("rowamplitude", "units", 1, kAnyValue, kNoLimit, 10),
    Number("rowphase", "cycles", 1000),
};

constexpr ZorbitParamDescription kTurnPageGrid[] = {
    Resource("grid", KIND_GRID, ZORBIT_FLAG_MAKES),
    Resource("source", KIND_GRID),
    Number("turn", "turns", 100000, 0, 100000, 0),
    Number("lift", "", 1000, kAnyValue, kNoLimit, 1000),
};

constexpr ZorbitEffectDescription kEffects[] = {
    {"MakeGrid", "a flat grid of vertices, centred on the origin", 5, kMakeGrid},
    {"WaveGridZ", "a copy of a grid with two sine waves added to its heights", 9, kWaveGridZ},
    {"TurnPageGrid", "a copy of a grid turned over like a page", 4, kTurnPageGrid},
};

}  // namespace

ZORBIT_DECLARE_CONTRACT_VERSION;
ZORBIT_DESCRIPTIONS(kEffects);
