#include "timelinedescribe.h"

#include <zorbit/codepage.h>

bool DescribedSenses::Describe(const Event& inEvent, uint32_t inParam, ParamSense& outSense) {
  if (inEvent.libraryFileName == nullptr || inEvent.functionName == nullptr) return false;
  const describe::EffectInfo* theEffect =
      mCache.Find(codepage::ToUtf8(inEvent.libraryFileName), codepage::ToUtf8(inEvent.functionName));
  if (theEffect == nullptr || inParam >= theEffect->params.size()) return false;
  const describe::ParamInfo& theParam = theEffect->params[inParam];
  const ZorbitParamValues& theValues = theParam.values;
  outSense = ParamSense{};
  outSense.name = theParam.name;
  outSense.unit = theParam.unit;
  outSense.scale = theValues.scale == 0 ? 1 : theValues.scale;
  // The words, the image, the font: texts shown, files read, textures and fonts used.
  outSense.namesDrawn = theValues.kind == ZORBIT_PARAM_TEXT || theValues.kind == ZORBIT_PARAM_FILE ||
                        (theValues.kind == ZORBIT_PARAM_RESOURCE &&
                         (theValues.resourceKind == KIND_TXTR || theValues.resourceKind == KIND_FONT));
  outSense.readWhen = theValues.readWhen;
  outSense.readWhenValue = theValues.readWhenValue;
  return true;
}
