#include "paramdisplay.h"

#include <algorithm>
#include <cstring>

#include "nametable.h"
#include "paramanim.h"

void ParamDisplay::Adopt(const Demo& inDemo) {
  mLibraries.clear();
  for (uint32_t l = 0; l < inDemo.libraryCount; ++l) {
    const Library& theLibrary = inDemo.libraries[l];
    if (theLibrary.fileName == nullptr || theLibrary.handle == nullptr) continue;
    mLibraries.emplace_back(theLibrary.fileName, describe::ReadLoaded(theLibrary.handle));
  }
}

std::string ParamDisplay::Values(const Event& inEvent, uint32_t inTime, size_t inMaxLength) const {
  if (inEvent.libraryFileName == nullptr || inEvent.functionName == nullptr) return std::string();
  const describe::EffectInfo* theEffect = nullptr;
  for (const auto& theLibrary : mLibraries)
    if (theLibrary.first == inEvent.libraryFileName && (theEffect = theLibrary.second.Find(inEvent.functionName))) break;
  if (theEffect == nullptr) return std::string();
  int32_t theValues[ZORBIT_MAX_PARAMS] = {};
  bool theConstant = false;
  EvaluateEventParams(inTime, inEvent, theValues, ZORBIT_MAX_PARAMS, theConstant);
  const NameTable& theNames = GetNameTable();
  const describe::TextLookup theText = [&theNames](int32_t inIndex) { return GetNameFrom(theNames, inIndex); };
  std::string theLine;
  const size_t theCount = std::min<size_t>(std::min<size_t>(inEvent.paramCount, ZORBIT_MAX_PARAMS), theEffect->params.size());
  for (size_t p = 0; p < theCount; ++p) {
    const describe::ParamInfo& theParam = theEffect->params[p];
    if (theParam.values.kind == ZORBIT_PARAM_UNUSED) continue;
    describe::ParamInfo theBrief = theParam;
    if (theBrief.values.kind == ZORBIT_PARAM_NUMBER) theBrief.unit.clear();  // the display has no room for units
    theLine += "  " + describe::FormatNamed(theBrief, theValues[p], theText, true);
    if (theLine.size() > inMaxLength) {
      theLine.resize(inMaxLength > 3 ? inMaxLength - 3 : 0);
      return theLine + "...";
    }
  }
  return theLine;
}
