#include "democheck.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <unordered_map>

#include <xercesc/framework/LocalFileInputSource.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/sax/Locator.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/sax2/Attributes.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLString.hpp>
#include <xercesc/validators/schema/SchemaElementDecl.hpp>
#include <xercesc/validators/schema/SchemaGrammar.hpp>

#include "basicexception.h"
#include "pluginsearch.h"
#include <zorbit/codepage.h>
#include "demo.h"
#include "describecheck.h"
#include "nametable.h"
#include "quietstderr.h"
#include "zorbitloader.h"

using namespace xercesc;

namespace {

// ---------------------------------------------------------------------------
// A light element tree with the position of every start tag.

using AttributeList = std::vector<std::pair<std::string, std::string>>;

struct Element {
  const std::string* name = nullptr;  // interned by the Tree: one string per distinct name
  const AttributeList* attributes = nullptr;  // owned by the Tree; null when there are none
  int line = 0;
  int column = 0;
  bool hasChild = false;  // any content at all: text or elements
  bool outsideCodePage = false;  // its text was reported as not fitting Windows-1252
  const Element* firstChild = nullptr;
  const Element* nextSibling = nullptr;

  const std::string& Name() const { return *name; }
  const std::string* Attribute(const char* inName) const {
    if (attributes)
      for (auto& theAttribute : *attributes)
        if (theAttribute.first == inName) return &theAttribute.second;
    return nullptr;
  }
  const AttributeList& Attributes() const {
    static const AttributeList kNone;
    return attributes ? *attributes : kNone;
  }
  std::vector<const Element*> Children(const char* inName = nullptr) const {
    std::vector<const Element*> theResult;
    for (const Element* theChild = firstChild; theChild; theChild = theChild->nextSibling)
      if (!inName || *theChild->name == inName) theResult.push_back(theChild);
    return theResult;
  }
};

// Every element of a document in document order, the root first. The tree
// owns its elements in one flat list, so neither building nor freeing it
// recurses, however deep the document nests. Deep or long documents have
// millions of elements with a handful of names: an element costs one slot
// of a deque and no allocation of its own unless it has attributes, and
// each name is turned into UTF-8 once per document.
struct Tree {
  std::deque<Element> elements;
  std::deque<AttributeList> attributeLists;

  const Element* Root() const { return elements.empty() ? nullptr : &elements.front(); }

  const std::string* Intern(const XMLCh* inName) {
    mKey.assign(inName);
    auto theFound = mNames.find(mKey);
    if (theFound == mNames.end()) theFound = mNames.emplace(mKey, codepage::Utf16ToUtf8(inName)).first;
    return &theFound->second;
  }
  // The interned name, or null when no element of the document has it.
  const std::string* Find(const char* inName) const {
    for (auto& theName : mNames)
      if (theName.second == inName) return &theName.second;
    return nullptr;
  }

 private:
  std::unordered_map<std::u16string, std::string> mNames;  // nodes stay put, so pointers to values hold
  std::u16string mKey;  // reused, so looking a name up allocates nothing
};

// Entity expansions allowed per document: the loader's cap.
const XMLSize_t kEntityExpansionLimit = 100000;
// Schema findings kept per document; a document that breaks the schema on
// every element would otherwise fill the report (and the memory).
const size_t kMaxSchemaFindings = 100;
// Xerces' schema validation slows down with the square of the nesting depth;
// a document nested deeper than this is checked without the schema. Real
// demos nest a few dozen levels (combi parameters stop at 64).
const size_t kMaxSchemaDepth = 1000;

// Thrown from the error handler to end a schema pass that has said enough.
struct EnoughFindings {};

// Names and values as the author wrote them, in UTF-8 whatever the locale.
std::string Local(const XMLCh* inText) { return codepage::Utf16ToUtf8(inText); }

const char kOutsideCodePage[] =
    "holds characters outside Windows-1252, the demo's code page; the player shows each of them as '?'";

class Collector : public DefaultHandler {
 public:
  Collector(std::vector<Finding>& ioFindings, bool inBuildTree, Finding::Severity inSeverity)
      : mFindings(ioFindings), mBuildTree(inBuildTree), mSeverity(inSeverity) {}

  Tree mTree;
  bool mFailed = false;
  // Findings at this position are dropped: the schema pass's word on a
  // root the checker has already reported.
  int mQuietLine = 0;
  int mQuietColumn = 0;
  size_t mDropped = 0;  // findings over the cap
  size_t mDepth = 0;    // the deepest nesting seen

  void setDocumentLocator(const Locator* const inLocator) override { mLocator = inLocator; }

  void startElement(const XMLCh* const, const XMLCh* const, const XMLCh* const inName,
                    const Attributes& inAttributes) override {
    if (!mBuildTree) return;
    mTree.elements.emplace_back();
    Element& theElement = mTree.elements.back();
    theElement.name = mTree.Intern(inName);
    if (mLocator) {
      theElement.line = static_cast<int>(mLocator->getLineNumber());
      theElement.column = static_cast<int>(mLocator->getColumnNumber());
    }
    if (inAttributes.getLength() > 0) {
      mTree.attributeLists.emplace_back();
      AttributeList& theList = mTree.attributeLists.back();
      theElement.attributes = &theList;
      for (XMLSize_t i = 0; i < inAttributes.getLength(); ++i) {
        const XMLCh* theValue = inAttributes.getValue(i);
        theList.emplace_back(*mTree.Intern(inAttributes.getQName(i)), Local(theValue));
        if (codepage::CountOutside(theValue, XMLString::stringLen(theValue)) > 0)
          mFindings.push_back({Finding::kWarning, theElement.line, theElement.column,
                               "attribute \"" + theList.back().first + "\" of <" + theElement.Name() + "> " +
                                   kOutsideCodePage});
      }
    }
    if (!mStack.empty()) {
      Open& theParent = mStack.back();
      theParent.element->hasChild = true;
      (theParent.lastChild ? theParent.lastChild->nextSibling : theParent.element->firstChild) = &theElement;
      theParent.lastChild = &theElement;
    }
    mStack.push_back({&theElement, nullptr});
    mDepth = std::max(mDepth, mStack.size());
  }

  void characters(const XMLCh* const inText, const XMLSize_t inLength) override {
    if (!mBuildTree || mStack.empty() || inLength == 0) return;
    Element* theElement = mStack.back().element;
    theElement->hasChild = true;
    // One finding per element, however many pieces the parser hands its text in.
    if (!theElement->outsideCodePage && codepage::CountOutside(inText, inLength) > 0) {
      theElement->outsideCodePage = true;
      mFindings.push_back({Finding::kWarning, theElement->line, theElement->column,
                           "the text of <" + theElement->Name() + "> " + kOutsideCodePage});
    }
  }

  void endElement(const XMLCh* const, const XMLCh* const, const XMLCh* const) override {
    if (!mBuildTree || mStack.empty()) return;
    mStack.pop_back();
  }

  void warning(const SAXParseException& inError) override { Add(Finding::kWarning, inError); }
  void error(const SAXParseException& inError) override { Add(mSeverity, inError); }
  void fatalError(const SAXParseException& inError) override {
    // The first pass decides whether the document is well formed; in the
    // schema pass only validation (a DTD it could not fetch) can fail anew.
    Add(mSeverity == Finding::kError ? Finding::kError : Finding::kWarning, inError);
    mFailed = true;
  }

 private:
  void Add(Finding::Severity inSeverity, const SAXParseException& inError) {
    int theLine = static_cast<int>(inError.getLineNumber()), theColumn = static_cast<int>(inError.getColumnNumber());
    if (mQuietLine > 0 && theLine == mQuietLine && theColumn == mQuietColumn) return;
    std::string theMessage = Local(inError.getMessage());
    // An element the schema does not know has no known attributes either:
    // one finding says it, not one more for each attribute.
    if (theLine == mUndeclaredLine && theColumn == mUndeclaredColumn && theMessage.compare(0, 11, "attribute '") == 0)
      return;
    if (theMessage.compare(0, 32, "no declaration found for element") == 0) {
      mUndeclaredLine = theLine;
      mUndeclaredColumn = theColumn;
    }
    if (inSeverity != Finding::kError || mSeverity != Finding::kError) {
      if (mKept == kMaxSchemaFindings) {
        mDropped = 1;
        throw EnoughFindings();
      }
      ++mKept;
    }
    mFindings.push_back({inSeverity, theLine, theColumn, theMessage});
  }

  std::vector<Finding>& mFindings;
  bool mBuildTree;
  Finding::Severity mSeverity;
  // An element whose end tag is still to come, and its latest child so far.
  struct Open {
    Element* element;
    Element* lastChild;
  };

  const Locator* mLocator = nullptr;
  std::vector<Open> mStack;
  size_t mKept = 0;
  int mUndeclaredLine = 0;  // where the schema pass last met an element it does not declare
  int mUndeclaredColumn = 0;
};

// True when the schema declares an element of that name at its top level,
// so that it may be the root.
bool DeclaresAtTopLevel(const Grammar* inGrammar, const std::string& inName) {
  if (!inGrammar || inGrammar->getGrammarType() != Grammar::SchemaGrammarType) return false;
  auto theDeclarations = static_cast<const SchemaGrammar*>(inGrammar)->getElemEnumerator();
  while (theDeclarations.hasMoreElements()) {
    const SchemaElementDecl& theDeclaration = theDeclarations.nextElement();
    if (theDeclaration.getEnclosingScope() == Grammar::TOP_LEVEL_SCOPE && Local(theDeclaration.getBaseName()) == inName)
      return true;
  }
  return false;
}

const char kRootWarning[] = ", not <Demo>; the player reads the document all the same";

// Runs one SAX pass; with a schema the document is validated against it,
// given the root the first pass found. What the schema dislikes comes back
// as warnings: the player reads by tag name and passes over what it does
// not know, so only the checker's own checks, which follow the loader, can
// tell that the player refuses a document. A root the schema does not
// declare gets the checker's own warning; Xerces then still checks every
// element inside it that the schema declares at its top level.
Tree Parse(const std::string& inPath, const std::string& inSchema, std::vector<Finding>& ioFindings,
           bool& outFailed, size_t* outDepth = nullptr, const Element* inRoot = nullptr) {
  std::unique_ptr<SAX2XMLReader> theReader(XMLReaderFactory::createXMLReader());
  bool theValidate = !inSchema.empty();
  theReader->setFeature(XMLUni::fgSAX2CoreNameSpaces, theValidate);
  theReader->setFeature(XMLUni::fgSAX2CoreValidation, theValidate);
  // The loader's limits: no outside DTD or entity is fetched, and entity
  // expansion is capped, so a hostile document costs no more than it does
  // the player.
  theReader->setFeature(XMLUni::fgXercesLoadExternalDTD, false);
  theReader->setFeature(XMLUni::fgXercesDisableDefaultEntityResolution, true);
  SecurityManager theSecurity;
  theSecurity.setEntityExpansionLimit(kEntityExpansionLimit);
  theReader->setProperty(XMLUni::fgXercesSecurityManager, &theSecurity);
  const Grammar* theGrammar = nullptr;
  if (theValidate) {
    theReader->setFeature(XMLUni::fgXercesDynamic, false);
    theReader->setFeature(XMLUni::fgXercesSchema, true);
    // The schema is read straight from its file, since entity resolution
    // is off; the document cannot name another one.
    theReader->setFeature(XMLUni::fgXercesUseCachedGrammarInParse, true);
    theReader->setFeature(XMLUni::fgXercesLoadSchema, false);
    XMLCh* theLocation = XMLString::transcode(inSchema.c_str());
    LocalFileInputSource theSchema(theLocation);
    XMLString::release(&theLocation);
    try {
      theGrammar = theReader->loadGrammar(theSchema, Grammar::SchemaGrammarType, true);
    } catch (const XMLException& inError) {
      ioFindings.push_back({Finding::kWarning, 0, 0, "cannot read the schema: " + Local(inError.getMessage())});
      outFailed = false;
      return Tree();
    }
  }
  Collector theCollector(ioFindings, !theValidate, theValidate ? Finding::kWarning : Finding::kError);
  if (theValidate && inRoot && !DeclaresAtTopLevel(theGrammar, inRoot->Name())) {
    ioFindings.push_back({Finding::kWarning, inRoot->line, inRoot->column,
                          "the root element is <" + inRoot->Name() + ">" + kRootWarning});
    theCollector.mQuietLine = inRoot->line;
    theCollector.mQuietColumn = inRoot->column;
  }
  theReader->setContentHandler(&theCollector);
  theReader->setErrorHandler(&theCollector);
  try {
    theReader->parse(inPath.c_str());
  } catch (const SAXParseException&) {
    theCollector.mFailed = true;
  } catch (const EnoughFindings&) {
  } catch (const XMLException& inError) {
    ioFindings.push_back({Finding::kError, 0, 0, Local(inError.getMessage())});
    theCollector.mFailed = true;
  }
  if (theCollector.mDropped > 0)
    ioFindings.push_back({Finding::kWarning, 0, 0,
                          "the schema check stopped after " + std::to_string(kMaxSchemaFindings) + " findings"});
  outFailed = theCollector.mFailed;
  if (outDepth) *outDepth = theCollector.mDepth;
  return std::move(theCollector.mTree);
}

// ---------------------------------------------------------------------------
// The checks.

// The way the player reads integers: atol's leading white space, sign, digits.
bool ReadInteger(const std::string& inText, long long& outValue) {
  const char* theText = inText.c_str();
  char* theEnd = nullptr;
  errno = 0;
  outValue = std::strtoll(theText, &theEnd, 10);
  return theEnd != theText && *theEnd == 0 && errno == 0;
}

struct Context {
  const CheckOptions& options;
  std::vector<Finding>& findings;
  bool schemaChecked;  // the schema already reported unknown attribute names
  size_t textCount;
  std::vector<ParamSite> sites = {};  // every event's parameters, for the described checks
  std::vector<LibrarySite> libraries = {};

  void Error(const Element& inAt, const std::string& inMessage) {
    findings.push_back({Finding::kError, inAt.line, inAt.column, inMessage});
  }
  void Warn(const Element& inAt, const std::string& inMessage) {
    findings.push_back({Finding::kWarning, inAt.line, inAt.column, inMessage});
  }

  // Required and known attributes of one element, with integer checks.
  void Attributes(const Element& inElement, std::initializer_list<const char*> inRequired,
                  std::initializer_list<const char*> inOptional, std::initializer_list<const char*> inIntegers) {
    std::set<std::string> theKnown(inRequired.begin(), inRequired.end());
    theKnown.insert(inOptional.begin(), inOptional.end());
    // The loader refuses an element without a required attribute, and
    // passes over attributes it does not know.
    for (const char* theName : inRequired)
      if (!inElement.Attribute(theName))
        Error(inElement, "<" + inElement.Name() + "> lacks the required attribute \"" + theName + "\"");
    if (!schemaChecked)
      for (auto& theAttribute : inElement.Attributes())
        if (!theKnown.count(theAttribute.first))
          Warn(inElement, "<" + inElement.Name() + "> has an unknown attribute \"" + theAttribute.first +
                              "\", which the player ignores");
    for (const char* theName : inIntegers) {
      const std::string* theValue = inElement.Attribute(theName);
      long long theNumber = 0;
      if (theValue && !ReadInteger(*theValue, theNumber))
        Error(inElement, "attribute \"" + std::string(theName) + "\" of <" + inElement.Name() + "> is \"" + *theValue +
                             "\", not a whole number");
      else if (theValue && (theNumber > INT32_MAX || theNumber < INT32_MIN))
        Error(inElement, "attribute \"" + std::string(theName) + "\" of <" + inElement.Name() +
                             "> does not fit in 32 bits: " + *theValue);
    }
  }

  std::string Type(const Element& inParam) {
    const std::string* theType = inParam.Attribute("type");
    return theType ? *theType : std::string();
  }

  void Param(const Element& inParam, int inDepth) {
    if (inDepth > 64) {
      Error(inParam, "\"combi\" parameters nest deeper than 64 levels");
      return;
    }
    std::string theType = Type(inParam);
    if (theType.empty()) {
      Attributes(inParam, {"start", "end"}, {}, {"start", "end"});
    } else if (theType == "multi") {
      Attributes(inParam, {"type", "interpol", "val"}, {}, {"val"});
      const std::string* theInterpol = inParam.Attribute("interpol");
      if (theInterpol && *theInterpol != "lin" && *theInterpol != "bez" && *theInterpol != "sqd")
        Error(inParam, "\"interpol\" is \"" + *theInterpol + "\"; it must be \"lin\", \"bez\" or \"sqd\"");
      for (const Element* theSegment : inParam.Children("seg")) {
        Attributes(*theSegment, {"time", "val"}, {}, {"time", "val"});
        const std::string* theTime = theSegment->Attribute("time");
        long long theValue = 0;
        if (theTime && ReadInteger(*theTime, theValue) && theValue < 0)
          Error(*theSegment, "a segment cannot last a negative time (" + *theTime + " ms)");
      }
    } else if (theType == "combi") {
      Attributes(inParam, {"type", "op"}, {}, {"op"});
      const std::string* theOp = inParam.Attribute("op");
      long long theValue = 0;
      if (theOp && ReadInteger(*theOp, theValue) && theValue != 0 && theValue != 1)
        Error(inParam, "\"op\" of a \"combi\" parameter must be 0 (sum) or 1 (product), not " + *theOp);
      auto theOperands = inParam.Children();
      if (theOperands.size() != 2)
        Error(inParam, "a \"combi\" parameter needs exactly two child parameters, not " +
                           std::to_string(theOperands.size()) + " (the player reports \"Corrupt combi-function!\")");
      for (const Element* theOperand : theOperands) Param(*theOperand, inDepth + 1);
    } else if (theType == "sin") {
      Attributes(inParam, {"type", "ampli", "period", "offset", "height"}, {}, {"ampli", "period", "offset", "height"});
      const std::string* thePeriod = inParam.Attribute("period");
      long long theValue = 0;
      if (thePeriod && ReadInteger(*thePeriod, theValue) && theValue == 0)
        Warn(inParam, "a sine with period 0 does not move");
    } else if (theType == "beat") {
      Attributes(inParam, {"type", "ID", "min", "max"}, {}, {"ID", "min", "max"});
      const std::string* theId = inParam.Attribute("ID");
      long long theValue = 0;
      if (theId && ReadInteger(*theId, theValue) && (theValue < 0 || static_cast<size_t>(theValue) >= textCount))
        Error(inParam, "beat parameter names text " + *theId + ", but the document has " +
                           std::to_string(textCount) + " text(s)");
    } else {
      if (theType != "const") Warn(inParam, "unknown parameter type \"" + theType + "\" is read as a constant");
      Attributes(inParam, {}, {"type", "val"}, {"val"});
    }
  }

  // sqd parameters come in groups of four "multi" parameters with equal segment counts.
  void QuaternionGroups(const std::vector<const Element*>& inParams) {
    for (size_t i = 0; i < inParams.size(); ++i) {
      const Element& theFirst = *inParams[i];
      const std::string* theInterpol = theFirst.Attribute("interpol");
      if (Type(theFirst) != "multi" || !theInterpol || *theInterpol != "sqd") continue;
      size_t theSegments = theFirst.Children("seg").size();
      if (i + 4 > inParams.size()) {
        Error(theFirst, "an \"sqd\" parameter starts a quaternion group of four, but only " +
                            std::to_string(inParams.size() - i) + " parameter(s) follow from here");
        return;
      }
      for (size_t k = 1; k < 4; ++k) {
        const Element& theOther = *inParams[i + k];
        if (Type(theOther) != "multi")
          Error(theOther, "parameter " + std::to_string(k + 1) + " of a quaternion group must be a \"multi\" parameter");
        else if (theOther.Children("seg").size() != theSegments)
          Error(theOther, "the parameters of a quaternion group need equal segment counts (" +
                              std::to_string(theSegments) + " and " + std::to_string(theOther.Children("seg").size()) + ")");
      }
      i += 3;
    }
  }
};

// The elements of that name anywhere in the document, in document order, as
// the loader finds them.
std::vector<const Element*> ByTag(const Tree& inTree, const char* inName) {
  std::vector<const Element*> theFound;
  const std::string* theName = inTree.Find(inName);
  if (!theName) return theFound;
  for (const Element& theElement : inTree.elements)
    if (theElement.name == theName) theFound.push_back(&theElement);
  return theFound;
}

// A parameter and the values written in it: a constant's, a ramp's ends, a curve's keys.
ParamSite SiteOf(const std::string& inLibrary, const std::string& inFunction, const std::string& inWhere,
                 size_t inIndex, const Element& inParam) {
  ParamSite theSite{inLibrary, inFunction, inWhere, inIndex, inParam.line, inParam.column, {}, false};
  const std::string* theType = inParam.Attribute("type");
  theSite.fixed = !theType || *theType == "multi" || *theType == "const";
  std::vector<const std::string*> theTexts;
  if (!theType) theTexts = {inParam.Attribute("start"), inParam.Attribute("end")};
  else if (*theType == "multi" || *theType == "const") theTexts = {inParam.Attribute("val")};
  if (theType && *theType == "multi")
    for (const Element* theSegment : inParam.Children("seg")) theTexts.push_back(theSegment->Attribute("val"));
  long long theValue = 0;
  for (const std::string* theText : theTexts)
    if (theText && ReadInteger(*theText, theValue) && theValue >= INT32_MIN && theValue <= INT32_MAX)
      theSite.constants.push_back(theValue);
  return theSite;
}

bool IsFile(const std::string& inPath) {
  struct stat theInfo;
  return stat(inPath.c_str(), &theInfo) == 0 && S_ISREG(theInfo.st_mode);
}

// The player's own search, with the checker's extra folders right after the
// document's folder.
bool FindPlugin(const std::string& inName, const std::string& inDemoPath, const CheckOptions& inOptions) {
  std::vector<std::string> theFolders = LibrarySearchFolders(inDemoPath.c_str());
  theFolders.insert(theFolders.begin() + (theFolders.empty() ? 0 : 1), inOptions.pluginDirs.begin(),
                    inOptions.pluginDirs.end());
  for (const std::string& theFile : LibraryCandidateNames(inName.c_str())) {
    if (theFile.find('/') != std::string::npos) {
      if (IsFile(theFile)) return true;
      continue;
    }
    for (const std::string& theFolder : theFolders)
      if (IsFile(theFolder + "/" + theFile)) return true;
    if (void* theHandle = dlopen(theFile.c_str(), RTLD_LAZY | RTLD_LOCAL)) {
      dlclose(theHandle);
      return true;
    }
  }
  return false;
}

void CheckTree(const Tree& inTree, const std::string& inPath, Context& ioContext) {
  const Element& inRoot = *inTree.Root();
  const CheckOptions& theOptions = ioContext.options;
  std::string theFolder = FolderOf(inPath);

  // Settings
  auto theSettings = ByTag(inTree, "Settings");
  long long theRunningTime = -1;
  if (theSettings.empty()) {
    ioContext.Error(inRoot, "the document has no <Settings> element");
  } else {
    const Element& theFirst = *theSettings[0];
    ioContext.Attributes(theFirst, {"RunningTime", "NumberOfInputSurfaces"},
                         {"UseOpenGL", "InputMusicFile", "AspectRatioX", "AspectRatioY", "DataFile"},
                         {"RunningTime", "NumberOfInputSurfaces", "AspectRatioX", "AspectRatioY"});
    if (const std::string* theValue = theFirst.Attribute("RunningTime")) ReadInteger(*theValue, theRunningTime);
    const std::string* theGl = theFirst.Attribute("UseOpenGL");
    if (theGl && *theGl != "true" && *theGl != "false")
      ioContext.Warn(theFirst, "\"UseOpenGL\" is \"" + *theGl + "\": only exactly \"true\" turns OpenGL on");
    if (!theFirst.Attribute("AspectRatioX") != !theFirst.Attribute("AspectRatioY"))
      ioContext.Warn(theFirst, "only one of \"AspectRatioX\" and \"AspectRatioY\" is given; the demo stays 4 by 3");
    const std::string* theMusic = theFirst.Attribute("InputMusicFile");
    if (theMusic && !IsFile(theMusic->size() && (*theMusic)[0] == '/' ? *theMusic : theFolder + "/" + *theMusic))
      ioContext.Error(theFirst, "the music file \"" + *theMusic + "\" does not exist beside the document");
    for (size_t i = 1; i < theSettings.size(); ++i)
      ioContext.Warn(*theSettings[i], "only the first <Settings> element counts; this one is ignored");
  }

  // Libraries and their functions
  std::map<std::string, std::set<std::string>> theDeclared;
  for (const Element* theLibrary : ByTag(inTree, "Library")) {
    ioContext.Attributes(*theLibrary, {"FileName"}, {}, {});
    const std::string* theName = theLibrary->Attribute("FileName");
    if (!theName) continue;
    ioContext.libraries.push_back({*theName, theLibrary->line, theLibrary->column});
    auto& theFunctions = theDeclared[*theName];
    for (const Element* theFunction : theLibrary->Children()) {
      ioContext.Attributes(*theFunction, {"Name"}, {}, {});
      for (const Element* theParam : theFunction->Children()) ioContext.Attributes(*theParam, {"Name"}, {}, {});
      if (const std::string* theFunctionName = theFunction->Attribute("Name")) theFunctions.insert(*theFunctionName);
    }
    if (theOptions.findPlugins && !FindPlugin(*theName, inPath, theOptions))
      ioContext.Error(*theLibrary, "the plug-in \"" + *theName +
                                       "\" is not found beside the document, in the player's plug-in folders, "
                                       "or by the dynamic loader");
  }

  // Tracks and events
  auto theTracks = ByTag(inTree, "Track");
  for (size_t theTrackIndex = 0; theTrackIndex < theTracks.size(); ++theTrackIndex) {
    long long theLatestEnd = -1;  // the latest end among the earlier events of the track
    long long thePreviousStart = -1;
    auto theEvents = theTracks[theTrackIndex]->Children();
    for (size_t theEventIndex = 0; theEventIndex < theEvents.size(); ++theEventIndex) {
      const Element& theEvent = *theEvents[theEventIndex];
      std::string theWhere = "event " + std::to_string(theEventIndex) + " of track " + std::to_string(theTrackIndex);
      ioContext.Attributes(theEvent, {"LibraryFileName", "FunctionName", "StartTime", "EndTime"}, {},
                           {"StartTime", "EndTime"});
      const std::string* theLibrary = theEvent.Attribute("LibraryFileName");
      const std::string* theFunction = theEvent.Attribute("FunctionName");
      if (theLibrary && theFunction) {
        auto theFound = theDeclared.find(*theLibrary);
        if (theFound == theDeclared.end())
          ioContext.Error(theEvent, theWhere + " names the library \"" + *theLibrary + "\", which no <Library> declares");
        else if (!theFound->second.count(*theFunction))
          ioContext.Error(theEvent, theWhere + " names the function \"" + *theFunction + "\", which the library \"" +
                                        *theLibrary + "\" does not declare");
      }

      long long theStart = 0, theEnd = 0;
      const std::string* theStartText = theEvent.Attribute("StartTime");
      const std::string* theEndText = theEvent.Attribute("EndTime");
      bool theTimed = theStartText && theEndText && ReadInteger(*theStartText, theStart) && ReadInteger(*theEndText, theEnd);
      if (theTimed) {
        // Times are stored as unsigned 32-bit milliseconds rounded down to tens.
        theStart = (static_cast<uint32_t>(theStart) / 10u) * 10u;
        theEnd = (static_cast<uint32_t>(theEnd) / 10u) * 10u;
        if (theStart > theEnd)
          ioContext.Error(theEvent, theWhere + " ends (" + std::to_string(theEnd) + " ms) before it starts (" +
                                        std::to_string(theStart) + " ms) and is never active");
        else if (theEnd <= theLatestEnd)
          ioContext.Error(theEvent, theWhere + " is never active: an earlier event of the track lasts until " +
                                        std::to_string(theLatestEnd) + " ms and covers it");
        else if (theRunningTime >= 0 && theStart > theRunningTime)
          ioContext.Warn(theEvent, theWhere + " starts after the demo's running time (" +
                                       std::to_string(theRunningTime) + " ms) and is never reached");
        if (theStart < thePreviousStart)
          ioContext.Warn(theEvent, theWhere + " starts before the event above it; a track's events should be in time order");
        thePreviousStart = theStart;
        if (theEnd > theLatestEnd) theLatestEnd = theEnd;
      }

      auto theParams = theEvent.Children("param");
      if (theParams.size() > ZORBIT_MAX_PARAMS)
        ioContext.Error(theEvent, theWhere + " has " + std::to_string(theParams.size()) +
                                      " parameters; effects take at most 40, so it would never be called");
      for (const Element* theParam : theParams) ioContext.Param(*theParam, 0);
      if (theLibrary && theFunction)
        for (size_t p = 0; p < theParams.size(); ++p)
          ioContext.sites.push_back(SiteOf(*theLibrary, *theFunction, theWhere, p, *theParams[p]));
      ioContext.QuaternionGroups(theParams);
    }
  }
}

class XercesPlatform {
 public:
  XercesPlatform() { XMLPlatformUtils::Initialize(); }
  ~XercesPlatform() { XMLPlatformUtils::Terminate(); }
  XercesPlatform(const XercesPlatform&) = delete;
  XercesPlatform& operator=(const XercesPlatform&) = delete;
};

}  // namespace

std::vector<Finding> CheckDemo(const std::string& inPath, const CheckOptions& inOptions) {
  std::vector<Finding> theFindings;
  if (!IsFile(inPath)) {
    theFindings.push_back({Finding::kError, 0, 0, "cannot open the file"});
    return theFindings;
  }
  // Xerces stays initialised through the loader's run as well: the loader's
  // own Initialize and Terminate then only count, and the platform's tables
  // are built once per check instead of twice.
  XercesPlatform thePlatform;
  bool theFailed = false;
  size_t theDepth = 0;
  std::vector<ParamSite> theSites;
  std::vector<LibrarySite> theLibraries;
  size_t theSiteTextCount = 0;
  std::unique_ptr<std::vector<std::string>> theTexts;  // in UTF-8, once the loader read them
  Tree theTree = Parse(inPath, std::string(), theFindings, theFailed, &theDepth);
  const Element* theRoot = theTree.Root();
  if (!theFailed && theRoot) {
    bool theSchema = !inOptions.schemaPath.empty() && IsFile(inOptions.schemaPath);
    if (theSchema && theDepth > kMaxSchemaDepth) {
      theSchema = false;
      theFindings.push_back({Finding::kWarning, 0, 0,
                             "elements nest " + std::to_string(theDepth) + " levels deep; schema checks skipped"});
    }
    if (theSchema) {
      bool theSchemaFailed = false;
      Parse(inPath, inOptions.schemaPath, theFindings, theSchemaFailed, nullptr, theRoot);
    } else if (theRoot->Name() != "Demo") {
      theFindings.push_back({Finding::kWarning, theRoot->line, theRoot->column,
                             "the root element is <" + theRoot->Name() + ">" + kRootWarning});
    }
    size_t theTextCount = 0;
    if (!ByTag(theTree, "Texts").empty())
      for (const Element* theText : ByTag(theTree, "Text")) theTextCount += theText->hasChild ? 1 : 0;  // an empty Text takes no number
    Context theContext{inOptions, theFindings, theSchema, theTextCount};
    CheckTree(theTree, inPath, theContext);
    theSites = std::move(theContext.sites);
    theLibraries = std::move(theContext.libraries);
    theSiteTextCount = theTextCount;
  }
  theTree = Tree();  // before the loader builds its own tree of the document

  if (inOptions.runLoader && !theFailed) {
    Demo theDemo{};
    // A table of its own: the texts of one check never add to the next.
    NameTable theNames{0, 0, nullptr};
    try {
      QuietStderr theQuiet;
      LoadDemo(inPath.c_str(), theDemo, theNames);
    } catch (const BasicException& inError) {
      std::string theMessage = inError.GetMessage();
      while (!theMessage.empty() && (theMessage.back() == '\n' || theMessage.back() == ' ')) theMessage.pop_back();
      theFindings.push_back({Finding::kError, 0, 0, "the player refuses the document: " + theMessage});
    }
    theTexts = std::make_unique<std::vector<std::string>>();
    for (int32_t i = 0; i < theNames.count; ++i) theTexts->push_back(codepage::ToUtf8(theNames.texts[i]));
    DestroyDemo(theDemo);
    ClearNameTable(theNames);
  }
  CheckDescribedParams(theSites, theLibraries, theTexts.get(), theSiteTextCount, inPath, inOptions, theFindings);
  // In document order; findings about the whole file come last.
  std::stable_sort(theFindings.begin(), theFindings.end(), [](const Finding& a, const Finding& b) {
    return (a.line > 0 ? a.line : INT_MAX) < (b.line > 0 ? b.line : INT_MAX);
  });
  return theFindings;
}

std::string FormatFinding(const std::string& inPath, const Finding& inFinding) {
  std::string theText = inPath + ":";
  if (inFinding.line > 0) theText += std::to_string(inFinding.line) + ":" + std::to_string(inFinding.column) + ":";
  theText += inFinding.severity == Finding::kError ? " error: " : " warning: ";
  return theText + inFinding.message;
}
