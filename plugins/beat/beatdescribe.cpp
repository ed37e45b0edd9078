// What the parameters of MakeBeat mean, for the tools and edit mode's
// display (README.md has the same table for people).
#include <zorbit/zorbitdescribe.h>

namespace {

using namespace zorbit;

// Segment k: its length (negative ends the pattern before it) and its end level.
#define BEAT_SEGMENT(k) Number("length" #k, "ms", 10), Number("level" #k, "", 1000, kAnyValue, kNoLimit, 1000)

constexpr ZorbitParamDescription kMakeBeat[] = {
    Resource("beat", KIND_BEAT, ZORBIT_FLAG_MAKES),
    Switch("smooth", "0 straight ramps, else smoothed"),
    BEAT_SEGMENT(0),  BEAT_SEGMENT(1),  BEAT_SEGMENT(2),  BEAT_SEGMENT(3),  BEAT_SEGMENT(4),
    BEAT_SEGMENT(5),  BEAT_SEGMENT(6),  BEAT_SEGMENT(7),  BEAT_SEGMENT(8),  BEAT_SEGMENT(9),
    BEAT_SEGMENT(10), BEAT_SEGMENT(11), BEAT_SEGMENT(12), BEAT_SEGMENT(13), BEAT_SEGMENT(14),
    BEAT_SEGMENT(15), BEAT_SEGMENT(16), BEAT_SEGMENT(17), BEAT_SEGMENT(18),
};
#undef BEAT_SEGMENT
static_assert(sizeof kMakeBeat / sizeof kMakeBeat[0] == 40, "count in kEffects");

constexpr ZorbitEffectDescription kEffects[] = {
    {"MakeBeat", "a named rhythm curve that parameters of any event can follow", 40, kMakeBeat},
};

}  // namespace

ZORBIT_DECLARE_CONTRACT_VERSION;
ZORBIT_DESCRIPTIONS(kEffects);
