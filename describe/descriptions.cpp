#include "descriptions.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <set>

#include "pluginsearch.h"

namespace describe {

namespace {

std::string Printf(const char* inFormat, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* inFormat, ...) {
  char theText[512];
  va_list theArgs;
  va_start(theArgs, inFormat);
  std::vsnprintf(theText, sizeof theText, inFormat, theArgs);
  va_end(theArgs);
  return theText;
}

// A string of the table: non-null, 1 to kMaxNameLength printable ASCII
// characters (inMayBeEmpty: 0 too). Reads at most kMaxNameLength + 1 bytes.
bool GoodString(const char* inText, bool inMayBeEmpty, size_t inLimit = kMaxNameLength) {
  if (inText == nullptr) return false;
  size_t theLength = 0;
  for (; theLength <= inLimit && inText[theLength] != '\0'; ++theLength)
    if (inText[theLength] < 0x20 || inText[theLength] > 0x7E) return false;
  if (theLength > inLimit) return false;
  return inMayBeEmpty || theLength > 0;
}

std::string CheckParam(const ZorbitParamDescription& inParam) {
  if (!GoodString(inParam.name, false)) return "has no usable name (null, empty, too long or not printable)";
  if (inParam.unit != nullptr && !GoodString(inParam.unit, true)) return "has a unit that is too long or not printable";
  const ZorbitParamValues& theValues = inParam.values;
  if (theValues.minimum > theValues.maximum)
    return Printf("has a range whose minimum %" PRId32 " is above its maximum %" PRId32, theValues.minimum,
                  theValues.maximum);
  if (theValues.kind >= ZORBIT_PARAM_KIND_COUNT) return Printf("has an unknown kind %" PRIu32, theValues.kind);
  if (theValues.scale < 0) return Printf("has a negative scale %" PRId32, theValues.scale);
  if (theValues.readWhen < -1 || theValues.readWhen >= ZORBIT_MAX_PARAMS)
    return Printf("is read when parameter %" PRId32 " has a value, and there is no such parameter", theValues.readWhen);
  return std::string();
}

// The first rule the table breaks, or "".
std::string CheckTable(const ZorbitDescriptions& inTable) {
  if (inTable.contractVersion < 2 || inTable.contractVersion > ZORBIT_CONTRACT_VERSION)
    return Printf("it was written for contract version %" PRIu32 ", and this build reads versions 2 to %u",
                  inTable.contractVersion, unsigned(ZORBIT_CONTRACT_VERSION));
  if (inTable.effectCount > kMaxEffects)
    return Printf("it claims %" PRIu32 " effects, more than %d", inTable.effectCount, int(kMaxEffects));
  if (inTable.effectCount > 0 && inTable.effects == nullptr)
    return Printf("it claims %" PRIu32 " effects but gives no list", inTable.effectCount);
  std::set<std::string> theNames;
  for (uint32_t e = 0; e < inTable.effectCount; ++e) {
    const ZorbitEffectDescription& theEffect = inTable.effects[e];
    if (!GoodString(theEffect.function, false))
      return Printf("effect %" PRIu32 " has no usable name (null, empty, too long or not printable)", e);
    if (!theNames.insert(theEffect.function).second)
      return Printf("effect %s is described twice", theEffect.function);
    if (theEffect.summary != nullptr && !GoodString(theEffect.summary, true, 255))
      return Printf("effect %s has a summary that is too long or not printable", theEffect.function);
    if (theEffect.paramCount > ZORBIT_MAX_PARAMS)
      return Printf("effect %s claims %" PRIu32 " parameters, more than %d", theEffect.function, theEffect.paramCount,
                    int(ZORBIT_MAX_PARAMS));
    if (theEffect.paramCount > 0 && theEffect.params == nullptr)
      return Printf("effect %s claims %" PRIu32 " parameters but gives no list", theEffect.function,
                    theEffect.paramCount);
    for (uint32_t p = 0; p < theEffect.paramCount; ++p) {
      const std::string theProblem = CheckParam(theEffect.params[p]);
      if (!theProblem.empty()) return Printf("parameter %" PRIu32 " of %s ", p, theEffect.function) + theProblem;
    }
  }
  return std::string();
}

bool IsFile(const std::string& inPath) {
  struct stat theInfo;
  return stat(inPath.c_str(), &theInfo) == 0 && S_ISREG(theInfo.st_mode);
}

// Powers of ten give that many decimals; other scales three.
int DecimalsOf(int32_t inScale) {
  int theDecimals = 0;
  for (int64_t thePower = 1; thePower < inScale; thePower *= 10) ++theDecimals;
  int64_t theCheck = 1;
  for (int i = 0; i < theDecimals; ++i) theCheck *= 10;
  return theCheck == inScale ? theDecimals : 3;
}

struct BlendName {
  int32_t value;
  const char* name;
};
const BlendName kBlendFactors[] = {
    {0, "GL_ZERO"},
    {1, "GL_ONE"},
    {0x300, "GL_SRC_COLOR"},
    {0x301, "GL_ONE_MINUS_SRC_COLOR"},
    {0x302, "GL_SRC_ALPHA"},
    {0x303, "GL_ONE_MINUS_SRC_ALPHA"},
    {0x304, "GL_DST_ALPHA"},
    {0x305, "GL_ONE_MINUS_DST_ALPHA"},
    {0x306, "GL_DST_COLOR"},
    {0x307, "GL_ONE_MINUS_DST_COLOR"},
    {0x308, "GL_SRC_ALPHA_SATURATE"},
    {0x8001, "GL_CONSTANT_COLOR"},
    {0x8002, "GL_ONE_MINUS_CONSTANT_COLOR"},
    {0x8003, "GL_CONSTANT_ALPHA"},
    {0x8004, "GL_ONE_MINUS_CONSTANT_ALPHA"},
};

}  // namespace

const EffectInfo* PluginDescriptions::Find(const std::string& inFunction) const {
  for (const EffectInfo& theEffect : effects)
    if (theEffect.function == inFunction) return &theEffect;
  return nullptr;
}

PluginDescriptions ReadTable(const ZorbitDescriptions* inTable, uint32_t inVersion) {
  PluginDescriptions theResult;
  theResult.contractVersion = inVersion;
  if (inTable == nullptr) {
    theResult.state = PluginDescriptions::kNone;
    return theResult;
  }
  theResult.problem = CheckTable(*inTable);
  if (!theResult.problem.empty()) {
    theResult.state = PluginDescriptions::kBroken;
    return theResult;
  }
  theResult.state = PluginDescriptions::kRead;
  for (uint32_t e = 0; e < inTable->effectCount; ++e) {
    const ZorbitEffectDescription& theEffect = inTable->effects[e];
    EffectInfo theInfo{theEffect.function, theEffect.summary != nullptr ? theEffect.summary : "", {}};
    for (uint32_t p = 0; p < theEffect.paramCount; ++p) {
      const ZorbitParamDescription& theParam = theEffect.params[p];
      theInfo.params.push_back({theParam.name, theParam.unit != nullptr ? theParam.unit : "", theParam.values});
    }
    theResult.effects.push_back(std::move(theInfo));
  }
  return theResult;
}

uint32_t DeclaredContractVersion(void* inHandle) {
  const void* theVersion = OwnDataSymbol(inHandle, ZORBIT_CONTRACT_VERSION_SYMBOL);
  return theVersion != nullptr ? *static_cast<const uint32_t*>(theVersion) : 1;
}

PluginDescriptions ReadLoaded(void* inHandle) {
  const void* theTable = OwnDataSymbol(inHandle, ZORBIT_DESCRIPTIONS_SYMBOL);
  return ReadTable(static_cast<const ZorbitDescriptions*>(theTable), DeclaredContractVersion(inHandle));
}

PluginDescriptions LoadPlugin(const std::string& inName, const std::string& inDemoPath,
                              const std::vector<std::string>& inExtraFolders) {
  std::vector<std::string> theFolders = LibrarySearchFolders(inDemoPath.c_str());
  theFolders.insert(theFolders.begin() + (theFolders.empty() ? 0 : 1), inExtraFolders.begin(), inExtraFolders.end());
  PluginDescriptions theResult;
  std::string theProblem;
  for (const std::string& theFile : LibraryCandidateNames(inName.c_str())) {
    std::vector<std::string> thePaths;
    if (theFile.find('/') == std::string::npos) {
      for (const std::string& theFolder : theFolders)
        if (IsFile(theFolder + "/" + theFile)) thePaths.push_back(theFolder + "/" + theFile);
      thePaths.push_back(theFile);  // the dynamic loader's own search
    } else if (IsFile(theFile)) {
      thePaths.push_back(theFile);
    }
    for (const std::string& thePath : thePaths) {
      void* theHandle = dlopen(thePath.c_str(), RTLD_LAZY | RTLD_LOCAL);
      if (theHandle == nullptr) {
        // A bare name the loader does not know is simply not there.
        if (thePath != theFile || theFile.find('/') != std::string::npos) {
          const char* theError = dlerror();
          theProblem = theError != nullptr ? theError : "it does not load";
          theResult.path = thePath;
        }
        continue;
      }
      PluginDescriptions theRead = ReadLoaded(theHandle);
      theRead.path = thePath;
      dlclose(theHandle);
      return theRead;
    }
  }
  if (!theProblem.empty()) {
    theResult.state = PluginDescriptions::kNotLoaded;
    theResult.problem = theProblem;
  }
  return theResult;
}

const PluginDescriptions& DescriptionCache::Get(const std::string& inName) {
  for (const auto& theRead : mRead)
    if (theRead.first == inName) return theRead.second;
  mRead.emplace_back(inName, LoadPlugin(inName, mDemoPath, mExtraFolders));
  return mRead.back().second;
}

std::string Complaint(const std::string& inLibrary, const PluginDescriptions& inDescriptions) {
  switch (inDescriptions.state) {
    case PluginDescriptions::kBroken:
      return inLibrary + ": its description is broken: " + inDescriptions.problem + "; its parameters stay numbers";
    case PluginDescriptions::kNotLoaded:
      return inLibrary + ": does not load (" + inDescriptions.problem + "); its parameters stay numbers";
    case PluginDescriptions::kNotFound:
      return inLibrary + ": not found; its parameters stay numbers";
    default:
      return std::string();
  }
}

bool IsBlendFactor(int32_t inValue) { return BlendFactorName(inValue) != nullptr; }

const char* BlendFactorName(int32_t inValue) {
  for (const BlendName& theFactor : kBlendFactors)
    if (theFactor.value == inValue) return theFactor.name;
  return nullptr;
}

bool IsTextNumber(uint32_t inKind) {
  return inKind == ZORBIT_PARAM_TEXT || inKind == ZORBIT_PARAM_RESOURCE || inKind == ZORBIT_PARAM_FILE;
}

std::string FormatValue(const ParamInfo& inParam, int32_t inValue, const TextLookup& inText, bool inBrief) {
  const ZorbitParamValues& theValues = inParam.values;
  const std::string theUnit = inParam.unit.empty() ? std::string() : " " + inParam.unit;
  switch (theValues.kind) {
    case ZORBIT_PARAM_TEXT:
    case ZORBIT_PARAM_RESOURCE:
    case ZORBIT_PARAM_FILE: {
      if (inValue < 0 && theValues.minimum < 0) return "none";  // a range with negatives uses them for none
      const char* theText = inText ? inText(inValue) : nullptr;
      if (theText == nullptr) return Printf("text %" PRId32 ", which does not exist", inValue);
      return "'" + std::string(theText) + "'";
    }
    case ZORBIT_PARAM_BLEND: {
      const char* theName = BlendFactorName(inValue);
      return theName != nullptr ? std::string(theName) : Printf("%" PRId32 ", not a blend factor", inValue);
    }
    case ZORBIT_PARAM_SWITCH:
      return std::string(inValue != 0 ? "on" : "off");
    case ZORBIT_PARAM_CHOICE:
      return inBrief || inParam.unit.empty() ? Printf("%" PRId32, inValue)
                                             : Printf("%" PRId32 " (", inValue) + inParam.unit + ")";
    case ZORBIT_PARAM_UNUSED:
      return "unused";
    case ZORBIT_PARAM_COLOUR:
      return Printf("%" PRId32, inValue);
    default: {
      if (theValues.scale <= 1) return Printf("%" PRId32, inValue) + theUnit;
      return Printf("%.*f", DecimalsOf(theValues.scale), double(inValue) / theValues.scale) + theUnit;
    }
  }
}

std::string FormatNamed(const ParamInfo& inParam, int32_t inValue, const TextLookup& inText, bool inBrief) {
  return inParam.name + " " + FormatValue(inParam, inValue, inText, inBrief);
}

std::string ValueProblem(const ParamInfo& inParam, int64_t inValue, int64_t inTextCount) {
  const ZorbitParamValues& theValues = inParam.values;
  // A text number whose range takes negatives uses them for "none".
  if (IsTextNumber(theValues.kind) && inValue < 0 && theValues.minimum < 0) return std::string();
  if (IsTextNumber(theValues.kind) && (inValue < 0 || inValue >= inTextCount))
    return Printf("%s takes a text number, but %" PRId64 " names no text (the document has %" PRId64 ")",
                  inParam.name.c_str(), inValue, inTextCount);
  if (theValues.kind == ZORBIT_PARAM_BLEND && (inValue < INT32_MIN || inValue > INT32_MAX || !IsBlendFactor(int32_t(inValue))))
    return Printf("%s takes an OpenGL blend factor, and %" PRId64 " is not one", inParam.name.c_str(), inValue);
  if (inValue < theValues.minimum || inValue > theValues.maximum)
    return Printf("%s is %" PRId64 ", outside its range %" PRId32 " to %" PRId32, inParam.name.c_str(), inValue,
                  theValues.minimum, theValues.maximum);
  return std::string();
}

}  // namespace describe
