// What the parameters of Shader mean, for the tools and edit mode's display
// (README.md has the same table for people).
#include <zorbit/zorbitdescribe.h>

namespace {

using namespace zorbit;

#define SHADER_CHANNEL(c)                                                                                  \
  Choice("source" #c, "0 none, 1 texture, 2 frame, 3 feedback, 4 target, 5 music", 0, 5), \
      Param("name" #c, "negative: none", 1, kAnyValue, kNoLimit, -1, ZORBIT_PARAM_TEXT), Choice("sampling" #c, "bits: 1 nearest, 2 mipmaps, 4 repeat, 8 rows as stored", 0, 15)
#define SHADER_VALUE(v) Number("value" #v, "", 1000)

constexpr ZorbitParamDescription kShader[] = {
    File("file", 0),
    Param("target", "negative: unnamed", 1, kAnyValue, kNoLimit, -1, ZORBIT_PARAM_RESOURCE, KIND_TXTR,
          ZORBIT_FLAG_MAKES),
    Choice("output", "0 viewport, 1 target only, 2 both", 0, 2),
    Number("width", "pixels", 1, 0, kNoLimit, 0),
    Number("height", "pixels", 1, 0, kNoLimit, 0),
    Number("opacity", "", 1, 0, 255, 255),
    Choice("blend", "0 replace, 1 alpha, 2 add, 3 multiply", 0, 3),
    Choice("clock", "0 from the event's start, 1 demo time", 0, 1),
    SHADER_CHANNEL(0), SHADER_CHANNEL(1), SHADER_CHANNEL(2), SHADER_CHANNEL(3),
    SHADER_VALUE(0),  SHADER_VALUE(1),  SHADER_VALUE(2),  SHADER_VALUE(3),  SHADER_VALUE(4),
    SHADER_VALUE(5),  SHADER_VALUE(6),  SHADER_VALUE(7),  SHADER_VALUE(8),  SHADER_VALUE(9),
    SHADER_VALUE(10), SHADER_VALUE(11), SHADER_VALUE(12), SHADER_VALUE(13), SHADER_VALUE(14),
    SHADER_VALUE(15), SHADER_VALUE(16), SHADER_VALUE(17), SHADER_VALUE(18), SHADER_VALUE(19),
};
#undef SHADER_CHANNEL
#undef SHADER_VALUE
static_assert(sizeof kShader / sizeof kShader[0] == 40, "count in kEffects");

constexpr ZorbitEffectDescription kEffects[] = {
    {"Shader", "a GLSL fragment shader over the viewport or into a named target", 40, kShader},
};

}  // namespace

ZORBIT_DECLARE_CONTRACT_VERSION;
ZORBIT_DESCRIPTIONS(kEffects);
