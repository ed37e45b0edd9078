#include "infonames.h"

#include <cstdio>

#include <zorbit/codepage.h>

namespace {

const char* Short(uint32_t inInterpol) {
  switch (inInterpol) {
    case INTERP_LIN: return "lin";
    case INTERP_BEZ: return "bez";
    case INTERP_SQD: return "sqd";
    default: return "unknown";
  }
}

}  // namespace

InfoNames::InfoNames(const std::string& inDemoPath, const NameTable& inNames) : mCache(inDemoPath), mNames(inNames) {
  for (int32_t i = 0; i < inNames.count; ++i) mTexts.push_back(codepage::ForTerminal(inNames.texts[i]));
}

const char* InfoNames::Text(int32_t inIndex) {
  return inIndex >= 0 && size_t(inIndex) < mTexts.size() && GetNameFrom(mNames, inIndex) != nullptr
             ? mTexts[size_t(inIndex)].c_str()
             : nullptr;
}

std::string InfoNames::LibraryNote(const Library& inLibrary) {
  const describe::PluginDescriptions& theRead = mCache.Get(codepage::ToUtf8(inLibrary.fileName));
  // A library that is not there is the player's and zorbit-check's business; here it only goes undescribed.
  if (theRead.state == describe::PluginDescriptions::kNotFound) return std::string();
  return describe::Complaint(codepage::ForTerminal(inLibrary.fileName), theRead);
}

std::string InfoNames::Named(const Event& inEvent, uint32_t inIndex) {
  const describe::EffectInfo* theEffect =
      mCache.Find(codepage::ToUtf8(inEvent.libraryFileName), codepage::ToUtf8(inEvent.functionName));
  if (theEffect == nullptr || inIndex >= theEffect->params.size() || inEvent.params == nullptr) return std::string();
  const describe::ParamInfo& theParam = theEffect->params[inIndex];
  const describe::TextLookup theText = [this](int32_t inText) { return Text(inText); };
  const ParamFunction* theFunction = inEvent.params[inIndex];
  if (theFunction == nullptr) return theParam.name;
  char theLine[256];
  switch (inEvent.paramKinds[inIndex]) {
    case PARAM_CONST:
      return describe::FormatNamed(theParam, static_cast<const ConstParam*>(theFunction)->value, theText);
    case PARAM_MULTI: {
      const MultiParam& theMulti = *static_cast<const MultiParam*>(theFunction);
      std::string theNamed = describe::FormatNamed(theParam, theMulti.values[0], theText);
      if (theMulti.segmentCount == 0) return theNamed;
      std::snprintf(theLine, sizeof theLine, ", %s over %u keys", Short(theMulti.interpol), theMulti.segmentCount + 1);
      return theNamed + theLine;
    }
    case PARAM_SINE: {
      const SineParam& theSine = *static_cast<const SineParam*>(theFunction);
      std::snprintf(theLine, sizeof theLine, " every %d ms", theSine.period);
      return describe::FormatNamed(theParam, theSine.height, theText) + ", sine of amplitude " +
             describe::FormatValue(theParam, theSine.ampli, theText) + theLine;
    }
    case PARAM_BEAT: {
      const BeatParam& theBeat = *static_cast<const BeatParam*>(theFunction);
      const char* theName = Text(theBeat.id);
      return theParam.name + " follows the beat " + (theName != nullptr ? "'" + std::string(theName) + "'" : "?") +
             ", from " + describe::FormatValue(theParam, theBeat.min, theText) + " by " +
             describe::FormatValue(theParam, theBeat.max, theText) + " x level";
    }
    default:
      return theParam.name + ", a combination";
  }
}
