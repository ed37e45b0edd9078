// The demo description loader: a Xerces-C DOM parse, then a walk over the
// elements by tag name. Every array is allocated zeroed and its count set
// at once, so a document rejected half-way leaves a Demo that DestroyDemo
// can still free.
#include "zorbitloader.h"

#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLString.hpp>

#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "basicexception.h"
#include <zorbit/codepage.h>
#include "segmentindex.h"

using namespace xercesc;

namespace {

const char kXmlFailure[] =
    "An XML error occurred while loading demo from XML file. The XML file is corrupt in some way.";
const char kOtherFailure[] =
    "An error occurred while loading demo from XML file. May have something to with corrupt XML, not 100% sure...";

// A failure raised by others (the parser, an unknown interpolation): it
// reaches the caller as the generic message.
struct OtherFailure {};

// Entity expansions allowed per document: enough for any real demo, far too
// few for an exponential entity bomb.
const XMLSize_t kEntityExpansionLimit = 100000;

void Trace(bool inEnabled, const char* inMessage, int inLine) {
  if (inEnabled) fprintf(stderr, "TRACE: %s\n  in file %s, line %d\n", inMessage, __FILE__, inLine);
}

template <typename T>
T* AllocZeroed(size_t inCount) {
  if (inCount == 0) return nullptr;
  T* theArray = static_cast<T*>(calloc(inCount, sizeof(T)));
  if (theArray == nullptr) throw std::bad_alloc();
  return theArray;
}

// Plain text copy in the demo's 8-bit code page (Windows-1252, whatever the
// process locale), on the C heap. A character outside it becomes '?'.
char* Transcode(const XMLCh* inText) {
  std::string theText = codepage::FromUtf16(inText);
  char* theCopy = static_cast<char*>(malloc(theText.size() + 1));
  if (theCopy == nullptr) throw std::bad_alloc();
  memcpy(theCopy, theText.c_str(), theText.size() + 1);
  return theCopy;
}

// Integers are read the way atol reads them: white space, an optional sign,
// then digits up to the first other character; no digits gives 0. Values
// beyond a 64-bit long saturate as strtol does; callers keep the low 32 bits.
long ParseLong(const XMLCh* inText) {
  const XMLCh* theP = inText;
  while (*theP == u' ' || (*theP >= u'\t' && *theP <= u'\r')) ++theP;
  bool theNegative = false;
  if (*theP == u'+' || *theP == u'-') theNegative = *theP++ == u'-';
  unsigned long theMagnitude = 0;
  const unsigned long theLimit = theNegative ? 0ul - static_cast<unsigned long>(LONG_MIN) : LONG_MAX;
  bool theSaturated = false;
  for (; *theP >= u'0' && *theP <= u'9'; ++theP) {
    unsigned long theDigit = static_cast<unsigned long>(*theP - u'0');
    if (theSaturated || theMagnitude > (theLimit - theDigit) / 10) {
      theSaturated = true;
      continue;
    }
    theMagnitude = theMagnitude * 10 + theDigit;
  }
  if (theSaturated) theMagnitude = theLimit;
  return theNegative ? static_cast<long>(0ul - theMagnitude) : static_cast<long>(theMagnitude);
}

int32_t LowInt32(long inValue) {
  uint32_t theBits = static_cast<uint32_t>(static_cast<unsigned long>(inValue));
  int32_t theValue;
  memcpy(&theValue, &theBits, sizeof theValue);
  return theValue;
}

bool IsElement(const DOMNode* inNode, const XMLCh* inName) {
  return inNode->getNodeType() == DOMNode::ELEMENT_NODE &&
         (inName == nullptr || XMLString::equals(inNode->getNodeName(), inName));
}

// Element children in document order, optionally only those named inName.
// Walks siblings rather than DOMNodeList::item, which restarts from the first
// child on every call and would make long tracks quadratic.
uint32_t CountChildren(const DOMNode* inParent, const XMLCh* inName) {
  uint32_t theCount = 0;
  for (const DOMNode* theChild = inParent->getFirstChild(); theChild != nullptr;
       theChild = theChild->getNextSibling()) {
    if (IsElement(theChild, inName)) ++theCount;
  }
  return theCount;
}

const DOMNode* NextChild(const DOMNode* inAfter, const XMLCh* inName) {
  for (; inAfter != nullptr; inAfter = inAfter->getNextSibling()) {
    if (IsElement(inAfter, inName)) return inAfter;
  }
  return nullptr;
}
const DOMNode* FirstChild(const DOMNode* inParent, const XMLCh* inName) {
  return NextChild(inParent->getFirstChild(), inName);
}
const DOMNode* FollowingChild(const DOMNode* inChild, const XMLCh* inName) {
  return NextChild(inChild->getNextSibling(), inName);
}

const XMLCh* Attribute(const DOMNode* inNode, const XMLCh* inName) {
  DOMNamedNodeMap* theAttributes = inNode->getAttributes();
  if (theAttributes == nullptr) return nullptr;
  DOMNode* theAttribute = theAttributes->getNamedItem(inName);
  return theAttribute != nullptr ? theAttribute->getNodeValue() : nullptr;
}

// The elements the loader looks up by tag name, in document order, found in
// one pass over the tree (as getElementsByTagName on the document would
// find them, without walking the whole tree once per name).
struct TagIndex {
  std::vector<const DOMNode*> libraries, settings, tracks, texts, text;

  explicit TagIndex(const DOMDocument* inDocument) {
    const DOMNode* theRoot = inDocument;
    const DOMNode* theNode = theRoot->getFirstChild();
    while (theNode != nullptr) {
      if (theNode->getNodeType() == DOMNode::ELEMENT_NODE) Note(theNode);
      if (theNode->getFirstChild() != nullptr) {
        theNode = theNode->getFirstChild();
        continue;
      }
      while (theNode != nullptr && theNode->getNextSibling() == nullptr) {
        theNode = theNode->getParentNode();
        if (theNode == theRoot) theNode = nullptr;
      }
      if (theNode != nullptr) theNode = theNode->getNextSibling();
    }
  }

 private:
  void Note(const DOMNode* inElement) {
    const XMLCh* theName = inElement->getNodeName();
    if (XMLString::equals(theName, u"Library")) {
      libraries.push_back(inElement);
    } else if (XMLString::equals(theName, u"Settings")) {
      settings.push_back(inElement);
    } else if (XMLString::equals(theName, u"Track")) {
      tracks.push_back(inElement);
    } else if (XMLString::equals(theName, u"Texts")) {
      texts.push_back(inElement);
    } else if (XMLString::equals(theName, u"Text")) {
      text.push_back(inElement);
    }
  }
};

class Loader {
 public:
  explicit Loader(NameTable& ioNames) : mNames(ioNames) {}

  void Read(const TagIndex& inDocument, Demo& ioDemo, bool inTrace) {
    Trace(inTrace, "Loading the libraries", 65);
    ReadLibraries(inDocument, ioDemo);
    Trace(inTrace, "Loading Demo Settings", 67);
    ReadSettings(inDocument, ioDemo);
    Trace(inTrace, "Loading Demo Tracks", 69);
    ReadTracks(inDocument, ioDemo);
    Trace(inTrace, "Loading Texts", 71);
    ReadTexts(inDocument);
  }

 private:
  [[noreturn]] void Missing(const DOMNode* inNode, const XMLCh* inName) {
    char* theElement = XMLString::transcode(inNode->getNodeName());
    char* theAttribute = XMLString::transcode(inName);
    BasicException theFailure("Missing attribute \"%s\" in element \"%s\" (%s)", theAttribute ? theAttribute : "?",
                              theElement ? theElement : "?", mWhere);
    XMLString::release(&theElement);
    XMLString::release(&theAttribute);
    throw theFailure;
  }

  const XMLCh* Required(const DOMNode* inNode, const XMLCh* inName) {
    const XMLCh* theValue = Attribute(inNode, inName);
    if (theValue == nullptr) Missing(inNode, inName);
    return theValue;
  }
  char* RequiredString(const DOMNode* inNode, const XMLCh* inName) { return Transcode(Required(inNode, inName)); }
  long RequiredLong(const DOMNode* inNode, const XMLCh* inName) { return ParseLong(Required(inNode, inName)); }
  int32_t RequiredInt(const DOMNode* inNode, const XMLCh* inName) { return LowInt32(RequiredLong(inNode, inName)); }

  void ReadLibraries(const TagIndex& inDocument, Demo& ioDemo) {
    const std::vector<const DOMNode*>& theLibraries = inDocument.libraries;
    const uint32_t theCount = static_cast<uint32_t>(theLibraries.size());
    ioDemo.libraries = AllocZeroed<Library>(theCount);
    ioDemo.libraryCount = theCount;
    for (uint32_t theL = 0; theL < theCount; ++theL) {
      const DOMNode* theElement = theLibraries[theL];
      Library& theLibrary = ioDemo.libraries[theL];
      snprintf(mWhere, sizeof mWhere, "library %u", theL);
      theLibrary.fileName = RequiredString(theElement, u"FileName");
      const uint32_t theFunctionCount = CountChildren(theElement, nullptr);
      theLibrary.functions = AllocZeroed<LibraryFunction>(theFunctionCount);
      theLibrary.functionCount = theFunctionCount;
      const DOMNode* theChild = FirstChild(theElement, nullptr);
      for (uint32_t theF = 0; theF < theFunctionCount; ++theF, theChild = FollowingChild(theChild, nullptr)) {
        LibraryFunction& theFunction = theLibrary.functions[theF];
        snprintf(mWhere, sizeof mWhere, "library %u, function %u", theL, theF);
        theFunction.name = RequiredString(theChild, u"Name");
        const uint32_t theNameCount = CountChildren(theChild, nullptr);
        theFunction.paramNames = AllocZeroed<char*>(theNameCount);
        theFunction.paramNameCount = theNameCount;
        const DOMNode* theParam = FirstChild(theChild, nullptr);
        for (uint32_t theP = 0; theP < theNameCount; ++theP, theParam = FollowingChild(theParam, nullptr)) {
          snprintf(mWhere, sizeof mWhere, "library %u, function %u, parameter name %u", theL, theF, theP);
          theFunction.paramNames[theP] = RequiredString(theParam, u"Name");
        }
      }
    }
  }

  void ReadSettings(const TagIndex& inDocument, Demo& ioDemo) {
    if (inDocument.settings.empty()) throw BasicException("The demo has no \"Settings\" element");
    const DOMNode* theSettings = inDocument.settings.front();
    snprintf(mWhere, sizeof mWhere, "the settings");
    ioDemo.runningTime = RequiredInt(theSettings, u"RunningTime");
    const XMLCh* theOpenGL = Attribute(theSettings, u"UseOpenGL");
    ioDemo.useOpenGL = theOpenGL != nullptr && XMLString::equals(theOpenGL, u"true");
    ioDemo.inputSurfaceCount = static_cast<uint32_t>(RequiredInt(theSettings, u"NumberOfInputSurfaces"));
    const XMLCh* theMusic = Attribute(theSettings, u"InputMusicFile");
    if (theMusic != nullptr) ioDemo.musicFile = Transcode(theMusic);
    ioDemo.aspectX = 4;
    ioDemo.aspectY = 3;
    const XMLCh* theAspectX = Attribute(theSettings, u"AspectRatioX");
    const XMLCh* theAspectY = Attribute(theSettings, u"AspectRatioY");
    if (theAspectX != nullptr && theAspectY != nullptr) {
      ioDemo.aspectX = LowInt32(ParseLong(theAspectX));
      ioDemo.aspectY = LowInt32(ParseLong(theAspectY));
    }
  }

  void ReadTracks(const TagIndex& inDocument, Demo& ioDemo) {
    const std::vector<const DOMNode*>& theTracks = inDocument.tracks;
    const uint32_t theCount = static_cast<uint32_t>(theTracks.size());
    ioDemo.tracks = AllocZeroed<Track>(theCount);
    ioDemo.trackCount = theCount;
    for (uint32_t theT = 0; theT < theCount; ++theT) {
      const DOMNode* theTrackElement = theTracks[theT];
      Track& theTrack = ioDemo.tracks[theT];
      const uint32_t theEventCount = CountChildren(theTrackElement, nullptr);
      theTrack.events = AllocZeroed<Event>(theEventCount);
      theTrack.eventCount = theEventCount;
      const DOMNode* theChild = FirstChild(theTrackElement, nullptr);
      for (uint32_t theE = 0; theE < theEventCount; ++theE, theChild = FollowingChild(theChild, nullptr)) {
        ReadEvent(theChild, theT, theE, theTrack.events[theE]);
      }
    }
  }

  void ReadEvent(const DOMNode* inElement, uint32_t inTrack, uint32_t inIndex, Event& ioEvent) {
    snprintf(mWhere, sizeof mWhere, "track %u, event %u", inTrack, inIndex);
    ioEvent.libraryFileName = RequiredString(inElement, u"LibraryFileName");
    ioEvent.functionName = RequiredString(inElement, u"FunctionName");
    // Times are unsigned ms rounded down to a multiple of 10; "-5" wraps.
    ioEvent.startTime = static_cast<uint32_t>(RequiredLong(inElement, u"StartTime")) / 10 * 10;
    ioEvent.endTime = static_cast<uint32_t>(RequiredLong(inElement, u"EndTime")) / 10 * 10;
    const uint32_t theDuration = ioEvent.endTime - ioEvent.startTime;
    const uint32_t theParamCount = CountChildren(inElement, u"param");
    ioEvent.paramKinds = AllocZeroed<int32_t>(theParamCount);
    ioEvent.params = AllocZeroed<ParamFunction*>(theParamCount);
    ioEvent.paramCount = theParamCount;
    const DOMNode* theParam = FirstChild(inElement, u"param");
    for (uint32_t theP = 0; theP < theParamCount; ++theP, theParam = FollowingChild(theParam, u"param")) {
      snprintf(mWhere, sizeof mWhere, "track %u, event %u, param %u", inTrack, inIndex, theP);
      BuildParam(theParam, theDuration, 0, &ioEvent.params[theP], &ioEvent.paramKinds[theP]);
    }
    CheckSquadGroups(ioEvent, inTrack, inIndex);
  }

  // A "sqd" parameter and the three after it form one quaternion; the group
  // is evaluated only when all four are "multi" curves with equal segment counts.
  void CheckSquadGroups(const Event& inEvent, uint32_t inTrack, uint32_t inIndex) {
    for (uint32_t theP = 0; theP < inEvent.paramCount;) {
      const MultiParam* theHead = static_cast<const MultiParam*>(inEvent.params[theP]);
      if (inEvent.paramKinds[theP] != PARAM_MULTI || theHead->interpol != INTERP_SQD) {
        ++theP;
        continue;
      }
      bool theGood = theP + 3 < inEvent.paramCount;
      for (uint32_t theC = 1; theGood && theC < 4; ++theC) {
        theGood = inEvent.paramKinds[theP + theC] == PARAM_MULTI &&
                  static_cast<const MultiParam*>(inEvent.params[theP + theC])->segmentCount == theHead->segmentCount;
      }
      if (!theGood) {
        throw BasicException(
            "Corrupt sqd-group: param %u of track %u, event %u must be followed by three \"multi\" params "
            "with %u segments each",
            theP, inTrack, inIndex, theHead->segmentCount);
      }
      theP += 4;
    }
  }

  // Builds the description of inElement into *outParam and *outKind. The
  // record is stored before its parts are read, so a failure inside leaves
  // it reachable for DestroyParam.
  void BuildParam(const DOMNode* inElement, uint32_t inDuration, int inDepth, ParamFunction** outParam,
                  int32_t* outKind) {
    const XMLCh* theType = Attribute(inElement, u"type");
    if (theType == nullptr) {
      MultiParam* theRamp = AllocZeroed<MultiParam>(1);
      *outParam = theRamp;
      *outKind = PARAM_MULTI;
      theRamp->interpol = INTERP_LIN;
      theRamp->times = AllocZeroed<uint32_t>(1);
      theRamp->values = AllocZeroed<int32_t>(2);
      theRamp->segmentCount = 1;
      theRamp->times[0] = inDuration;
      theRamp->values[0] = RequiredInt(inElement, u"start");
      theRamp->values[1] = RequiredInt(inElement, u"end");
    } else if (XMLString::equals(theType, u"multi")) {
      BuildMulti(inElement, outParam, outKind);
    } else if (XMLString::equals(theType, u"combi")) {
      BuildCombi(inElement, inDuration, inDepth, outParam, outKind);
    } else if (XMLString::equals(theType, u"sin")) {
      SineParam* theSine = AllocZeroed<SineParam>(1);
      *outParam = theSine;
      *outKind = PARAM_SINE;
      theSine->ampli = RequiredInt(inElement, u"ampli");
      theSine->period = RequiredInt(inElement, u"period");
      theSine->offset = RequiredInt(inElement, u"offset");
      theSine->height = RequiredInt(inElement, u"height");
    } else if (XMLString::equals(theType, u"beat")) {
      BeatParam* theBeat = AllocZeroed<BeatParam>(1);
      *outParam = theBeat;
      *outKind = PARAM_BEAT;
      theBeat->id = RequiredInt(inElement, u"ID");
      theBeat->min = RequiredInt(inElement, u"min");
      theBeat->max = RequiredInt(inElement, u"max");
    } else {
      ConstParam* theConst = AllocZeroed<ConstParam>(1);
      *outParam = theConst;
      *outKind = PARAM_CONST;
      const XMLCh* theValue = Attribute(inElement, u"val");
      theConst->value = theValue != nullptr ? LowInt32(ParseLong(theValue)) : 0;
    }
  }

  void BuildMulti(const DOMNode* inElement, ParamFunction** outParam, int32_t* outKind) {
    MultiParam* theMulti = AllocZeroed<MultiParam>(1);
    *outParam = theMulti;
    *outKind = PARAM_MULTI;
    const XMLCh* theInterpol = Required(inElement, u"interpol");
    if (XMLString::equals(theInterpol, u"lin")) {
      theMulti->interpol = INTERP_LIN;
    } else if (XMLString::equals(theInterpol, u"bez")) {
      theMulti->interpol = INTERP_BEZ;
    } else if (XMLString::equals(theInterpol, u"sqd")) {
      theMulti->interpol = INTERP_SQD;
    } else {
      throw OtherFailure();
    }
    const int32_t theFirst = RequiredInt(inElement, u"val");
    const uint32_t theCount = CountChildren(inElement, u"seg");
    theMulti->times = AllocZeroed<uint32_t>(theCount);
    theMulti->values = AllocZeroed<int32_t>(size_t(theCount) + 1);
    theMulti->segmentCount = theCount;
    theMulti->values[0] = theFirst;
    const DOMNode* theSeg = FirstChild(inElement, u"seg");
    for (uint32_t theS = 0; theS < theCount; ++theS, theSeg = FollowingChild(theSeg, u"seg")) {
      theMulti->times[theS] = static_cast<uint32_t>(RequiredLong(theSeg, u"time"));
      theMulti->values[theS + 1] = RequiredInt(theSeg, u"val");
    }
    BuildSegmentIndex(theMulti);
  }

  void BuildCombi(const DOMNode* inElement, uint32_t inDuration, int inDepth, ParamFunction** outParam,
                  int32_t* outKind) {
    if (inDepth >= ZORBIT_MAX_COMBI_DEPTH) {
      throw BasicException("Combi-functions nest deeper than %d levels (%s)", int(ZORBIT_MAX_COMBI_DEPTH), mWhere);
    }
    CombiParam* theCombi = AllocZeroed<CombiParam>(1);
    *outParam = theCombi;
    *outKind = PARAM_COMBI;
    theCombi->firstKind = -1;
    theCombi->secondKind = -1;
    const long theOp = RequiredLong(inElement, u"op");
    if (CountChildren(inElement, nullptr) != 2) throw BasicException("Corrupt combi-function!");
    if (theOp != COMBI_ADD && theOp != COMBI_MUL) {
      throw BasicException("Unknown combi-function op %ld, expected 0 (sum) or 1 (product) (%s)", theOp, mWhere);
    }
    theCombi->op = static_cast<int32_t>(theOp);
    const DOMNode* theFirst = FirstChild(inElement, nullptr);
    const DOMNode* theSecond = FollowingChild(theFirst, nullptr);
    BuildParam(theFirst, inDuration, inDepth + 1, &theCombi->first, &theCombi->firstKind);
    BuildParam(theSecond, inDuration, inDepth + 1, &theCombi->second, &theCombi->secondKind);
    for (int theK = 0; theK < 2; ++theK) {
      const int32_t theKind = theK == 0 ? theCombi->firstKind : theCombi->secondKind;
      const ParamFunction* theParam = theK == 0 ? theCombi->first : theCombi->second;
      if (theKind == PARAM_MULTI && static_cast<const MultiParam*>(theParam)->interpol == INTERP_SQD) {
        throw BasicException("A \"sqd\" curve cannot be a combi-function operand (%s)", mWhere);
      }
    }
  }

  void ReadTexts(const TagIndex& inDocument) {
    if (inDocument.texts.empty()) return;
    for (const DOMNode* theElement : inDocument.text) {
      const DOMNode* theFirst = theElement->getFirstChild();
      if (theFirst == nullptr) continue;
      // A first child without a value (an element) gives an empty text, so
      // the numbering still follows the rule.
      char* theText = Transcode(theFirst->getNodeValue());
      AddName(mNames, theText);
      free(theText);
    }
  }

  NameTable& mNames;
  char mWhere[128] = "";
};

// Initialises Xerces for the lifetime of one load and releases the parser
// and the platform on every way out.
class XercesSession {
 public:
  XercesSession() { XMLPlatformUtils::Initialize(); }
  ~XercesSession() {
    delete mParser;
    delete mSecurity;
    XMLPlatformUtils::Terminate();
  }
  XercesDOMParser* MakeParser() {
    mParser = new XercesDOMParser();
    // A demo document names no outside DTD or entity: never fetch one, and
    // cap entity expansion so a hostile document cannot exhaust memory.
    mParser->setLoadExternalDTD(false);
    mParser->setDisableDefaultEntityResolution(true);
    mSecurity = new SecurityManager();
    mSecurity->setEntityExpansionLimit(kEntityExpansionLimit);
    mParser->setSecurityManager(mSecurity);
    return mParser;
  }

 private:
  XercesDOMParser* mParser = nullptr;
  SecurityManager* mSecurity = nullptr;
};

void Load(const char* inPath, const char* inData, size_t inSize, Demo& ioDemo, NameTable& ioNames, bool inTrace) {
  // Xerces' exceptions use its memory manager: each one is turned into a
  // message while Xerces is still initialised, and only the message leaves.
  char theFailure[BasicException::kCapacity] = "";
  auto theFail = [&theFailure](const char* inMessage) { snprintf(theFailure, sizeof theFailure, "%s", inMessage); };
  try {
    Trace(inTrace, "Initializing XMLPlatformUtils", 46);
    XercesSession theSession;
    try {
      // A folder or a FIFO is no document: the parser would leak on the
      // one and wait forever on the other.
      struct stat theInfo;
      if (inData == nullptr && stat(inPath, &theInfo) == 0 && !S_ISREG(theInfo.st_mode))
        throw BasicException("Couldn't load the demo %s, does this file exists?", inPath);
      Trace(inTrace, "Creating a new XercesDOMParser", 49);
      XercesDOMParser* theParser = theSession.MakeParser();
      Trace(inTrace, "parser->parse", 52);
      if (inData != nullptr) {
        MemBufInputSource theSource(reinterpret_cast<const XMLByte*>(inData), inSize, inPath, false);
        theParser->parse(theSource);
      } else {
        theParser->parse(inPath);
      }
      Trace(inTrace, "Retrieving the DOM document", 54);
      const DOMDocument* theDocument = theParser->getDocument();
      if (theDocument == nullptr) throw BasicException("Couldn't load the demo %s, does this file exists?", inPath);
      if (theParser->getErrorCount() != 0 || theDocument->getDocumentElement() == nullptr) throw OtherFailure();
      Loader(ioNames).Read(TagIndex(theDocument), ioDemo, inTrace);
    } catch (const BasicException& inFailure) {
      theFail(inFailure.GetMessage());
    } catch (const XMLException&) {
      theFail(kXmlFailure);
    } catch (...) {
      theFail(kOtherFailure);
    }
  } catch (const XMLException&) {  // from Initialize, or Terminate
    theFail(kXmlFailure);
  } catch (...) {
    theFail(kOtherFailure);
  }
  if (theFailure[0] != 0) throw BasicException("%s", theFailure);
}

}  // namespace

void LoadDemo(const char* inPath, Demo& ioDemo, NameTable& ioNames) {
  Load(inPath, nullptr, 0, ioDemo, ioNames, true);
}

void LoadDemoFromMemory(const char* inData, size_t inSize, const char* inName, Demo& ioDemo, NameTable& ioNames) {
  Load(inName, inData != nullptr ? inData : "", inSize, ioDemo, ioNames, false);
}

OwnedDemo::~OwnedDemo() {
  DestroyDemo(demo);
  ClearNameTable(names);
}

void OwnedDemo::Load(const char* inPath) { LoadDemo(inPath, demo, names); }

namespace {

// inLoad's BasicException as false with its message.
template <typename Load>
bool Catching(Load inLoad, std::string& outError) {
  try {
    inLoad();
    return true;
  } catch (const BasicException& inFailure) {
    outError = inFailure.GetMessage();
    return false;
  }
}

}  // namespace

bool OwnedDemo::TryLoad(const char* inPath, std::string& outError) {
  return Catching([&] { Load(inPath); }, outError);
}

bool OwnedDemo::TryLoadText(const std::string& inText, const char* inName, std::string& outError) {
  return Catching([&] { LoadDemoFromMemory(inText.data(), inText.size(), inName, demo, names); }, outError);
}

void OwnedDemo::Release() {
  demo = Demo{};
  names = NameTable{0, 0, nullptr};
}
