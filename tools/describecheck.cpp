#include "describecheck.h"

#include <glob.h>
#include <sys/stat.h>

#include "descriptions.h"
#include "fontlookup.h"
#include "pluginsearch.h"

namespace {

bool IsFile(const std::string& inPath) {
  struct stat theInfo;
  return stat(inPath.c_str(), &theInfo) == 0 && S_ISREG(theInfo.st_mode);
}

// Any file that the pattern's first run of '?' names with digits.
bool AnyFrame(const std::string& inPattern) {
  const size_t theFirst = inPattern.find('?');
  if (theFirst == std::string::npos) return IsFile(inPattern);
  size_t theEnd = theFirst;
  while (theEnd < inPattern.size() && inPattern[theEnd] == '?') ++theEnd;
  std::string theGlob;
  for (char c : inPattern.substr(0, theFirst))  // the rest of the name is taken as written
    theGlob += (c == '*' || c == '?' || c == '[' || c == '\\') ? std::string("\\") + c : std::string(1, c);
  for (size_t i = theFirst; i < theEnd; ++i) theGlob += "[0-9]";
  for (char c : inPattern.substr(theEnd))
    theGlob += (c == '*' || c == '?' || c == '[' || c == '\\') ? std::string("\\") + c : std::string(1, c);
  glob_t theFound{};
  const bool theAny = glob(theGlob.c_str(), 0, nullptr, &theFound) == 0 && theFound.gl_pathc > 0;
  globfree(&theFound);
  return theAny;
}

// True when an event makes a resource of inKind named by text inText.
bool MadeByAnEvent(int32_t inKind, long long inText, const std::vector<ParamSite>& inSites,
                   describe::DescriptionCache& ioCache) {
  for (const ParamSite& theSite : inSites) {
    const describe::EffectInfo* theEffect = ioCache.Find(theSite.library, theSite.function);
    if (theEffect == nullptr || theSite.index >= theEffect->params.size()) continue;
    const ZorbitParamValues& theValues = theEffect->params[theSite.index].values;
    if ((theValues.flags & ZORBIT_FLAG_MAKES) == 0 || theValues.resourceKind != inKind) continue;
    for (long long theValue : theSite.constants)
      if (theValue == inText) return true;
  }
  return false;
}

bool FileFound(const std::string& inName, const ZorbitParamValues& inValues, const std::string& inFolder) {
  const std::string thePath = !inName.empty() && inName[0] == '/' ? inName : inFolder + "/" + inName;
  if ((inValues.flags & ZORBIT_FLAG_FRAME_PATTERN) != 0 ? AnyFrame(thePath) : IsFile(thePath)) return true;
  const std::string kMask = "-mask";
  if ((inValues.flags & ZORBIT_FLAG_MASK_SUFFIX) != 0 && thePath.size() > kMask.size() &&
      thePath.compare(thePath.size() - kMask.size(), kMask.size(), kMask) == 0 &&
      IsFile(thePath.substr(0, thePath.size() - kMask.size())))
    return true;
  std::string theInstalled;
  return (inValues.flags & ZORBIT_FLAG_INSTALLED_FONT) != 0 && FindInstalledFont(inName.c_str(), theInstalled);
}

// False when the effect never reads the site's parameter: the parameter it
// depends on is written as values that are never the one it waits for.
bool IsRead(const ParamSite& inSite, const ZorbitParamValues& inValues, const std::vector<ParamSite>& inSites) {
  if (inValues.readWhen < 0) return true;
  for (const ParamSite& theOther : inSites) {
    if (&theOther == &inSite || theOther.index != size_t(inValues.readWhen) || theOther.where != inSite.where) continue;
    if (!theOther.fixed) return true;
    for (long long theValue : theOther.constants)
      if (theValue == inValues.readWhenValue) return true;
    return false;
  }
  return inValues.readWhenValue == 0;  // a parameter the event leaves out is 0
}

}  // namespace

void CheckDescribedParams(const std::vector<ParamSite>& inSites, const std::vector<LibrarySite>& inLibraries,
                          const std::vector<std::string>* inTexts, size_t inTextCount, const std::string& inDemoPath,
                          const CheckOptions& inOptions, std::vector<Finding>& ioFindings) {
  if (!inOptions.findPlugins) return;
  describe::DescriptionCache theCache(inDemoPath, inOptions.pluginDirs);
  for (const LibrarySite& theLibrary : inLibraries) {
    const describe::PluginDescriptions& theRead = theCache.Get(theLibrary.name);
    // A library that is not there at all is the checker's error already.
    if (theRead.state == describe::PluginDescriptions::kBroken ||
        theRead.state == describe::PluginDescriptions::kNotLoaded)
      ioFindings.push_back({Finding::kWarning, theLibrary.line, theLibrary.column,
                            describe::Complaint(theLibrary.name, theRead)});
  }
  const std::string theFolder = FolderOf(inDemoPath);
  for (const ParamSite& theSite : inSites) {
    const describe::EffectInfo* theEffect = theCache.Find(theSite.library, theSite.function);
    if (theEffect == nullptr || theSite.index >= theEffect->params.size()) continue;
    const describe::ParamInfo& theParam = theEffect->params[theSite.index];
    if (!IsRead(theSite, theParam.values, inSites)) continue;
    const std::string theWhere =
        theSite.where + ", parameter " + std::to_string(theSite.index) + " of " + theSite.function + ": ";
    for (long long theValue : theSite.constants) {
      const std::string theProblem = describe::ValueProblem(theParam, theValue, (long long)inTextCount);
      if (!theProblem.empty()) {
        ioFindings.push_back({Finding::kWarning, theSite.line, theSite.column, theWhere + theProblem});
        continue;
      }
      if (theParam.values.kind != ZORBIT_PARAM_FILE || inTexts == nullptr || theValue < 0 ||
          size_t(theValue) >= inTexts->size())
        continue;
      const std::string& theName = (*inTexts)[size_t(theValue)];
      if (FileFound(theName, theParam.values, theFolder)) continue;
      if ((theParam.values.flags & ZORBIT_FLAG_OR_RESOURCE) != 0 &&
          MadeByAnEvent(theParam.values.resourceKind, theValue, inSites, theCache))
        continue;
      ioFindings.push_back({Finding::kWarning, theSite.line, theSite.column,
                            theWhere + theParam.name + " names the file \"" + theName +
                                "\", which does not exist beside the document"});
    }
  }
  ForgetInstalledFonts();
}
