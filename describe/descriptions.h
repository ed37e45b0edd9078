// Reading the descriptions plug-ins give of their effects' parameters
// (Zorbit_Descriptions in zorbit.h): finding and opening a plug-in file,
// checking its table and copying it, and saying a parameter's value in words.
// Used by zorbit-info, zorbit-check and edit mode's display; the plain
// player never reads a description.
//
// A table is checked in full before anything of it is used: a plug-in whose
// table breaks a rule (a null name, a count beyond the limits, a range whose
// minimum is above its maximum, ...) is reported as broken, with the first
// rule it breaks, and described by nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <zorbit/zorbit.h>

namespace describe {

enum { kMaxEffects = 256, kMaxNameLength = 63 };

struct ParamInfo {
  std::string name;
  std::string unit;
  ZorbitParamValues values;
};

struct EffectInfo {
  std::string function;
  std::string summary;
  std::vector<ParamInfo> params;
};

struct PluginDescriptions {
  enum State {
    kNotFound,   // no file of that name where the player would look
    kNotLoaded,  // the file is there but does not load (problem says why)
    kNone,       // loaded, without a table: its parameters stay numbers
    kRead,       // effects holds the table
    kBroken,     // the table breaks a rule (problem says which); nothing is described
  };
  State state = kNotFound;
  std::string path;              // the file found, when one was
  uint32_t contractVersion = 1;  // what the plug-in declares; 1 when it says nothing
  std::string problem;
  std::vector<EffectInfo> effects;

  // The description of inFunction, or null.
  const EffectInfo* Find(const std::string& inFunction) const;
};

// Checks and copies a table; inVersion is the plug-in's declared contract
// version. Never reads beyond the counts it has checked.
PluginDescriptions ReadTable(const ZorbitDescriptions* inTable, uint32_t inVersion = ZORBIT_CONTRACT_VERSION);
// The version and the table of a library already loaded (dlopen handle).
PluginDescriptions ReadLoaded(void* inHandle);
// The contract version a loaded library declares: 1 when it says nothing.
uint32_t DeclaredContractVersion(void* inHandle);

// Finds the library a document names (inName in UTF-8, as written) the way
// the player does, with inExtraFolders right after the document's folder,
// loads it, reads its table and unloads it again.
PluginDescriptions LoadPlugin(const std::string& inName, const std::string& inDemoPath,
                              const std::vector<std::string>& inExtraFolders = {});

// Every library of a document, each read once.
class DescriptionCache {
 public:
  DescriptionCache(std::string inDemoPath, std::vector<std::string> inExtraFolders = {})
      : mDemoPath(std::move(inDemoPath)), mExtraFolders(std::move(inExtraFolders)) {}
  const PluginDescriptions& Get(const std::string& inName);
  // The effect's description, or null when the library or its table has none.
  const EffectInfo* Find(const std::string& inLibrary, const std::string& inFunction) {
    return Get(inLibrary).Find(inFunction);
  }

 private:
  std::string mDemoPath;
  std::vector<std::string> mExtraFolders;
  std::vector<std::pair<std::string, PluginDescriptions>> mRead;
};

// One line on what went wrong with a library's table, for a reader of the
// tools' output: "fonts.so: its description is broken: ..."; empty when
// there is nothing to say (a table read, or none at all).
std::string Complaint(const std::string& inLibrary, const PluginDescriptions& inDescriptions);

// The text of a text number, or null when there is none (already in the
// reader's encoding).
using TextLookup = std::function<const char*(int32_t)>;

// A value in words and in its unit: "1.500 units", "'FreeSans.ttf'",
// "GL_SRC_ALPHA", "on"; with inBrief, choices and switches without their
// legend.
std::string FormatValue(const ParamInfo& inParam, int32_t inValue, const TextLookup& inText, bool inBrief = false);
// The parameter's name and its value: "x 1.500 units", "font 'FreeSans.ttf'".
std::string FormatNamed(const ParamInfo& inParam, int32_t inValue, const TextLookup& inText, bool inBrief = false);

// True for the values an OpenGL blend function takes as a factor.
bool IsBlendFactor(int32_t inValue);
const char* BlendFactorName(int32_t inValue);  // null when not a factor
bool IsTextNumber(uint32_t inKind);            // TEXT, RESOURCE and FILE
// What is wrong with a constant value of the parameter, or "" when nothing:
// outside the range, a text number naming no text (inTextCount texts), not a
// blend factor.
std::string ValueProblem(const ParamInfo& inParam, int64_t inValue, int64_t inTextCount);

}  // namespace describe
