#include "democheck.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>

#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/sax2/Attributes.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include "basicexception.h"
#include <zorbit/codepage.h>
#include "nametable.h"
#include "zorbitloader.h"

namespace {

std::string Doc(const char* inName) { return std::string(ZORBIT_TEST_DATA_DIR "/tests/docs/") + inName; }

CheckOptions Options() {
  CheckOptions theOptions;
  theOptions.schemaPath = ZORBIT_SOURCE_DIR "/schemas/demo.xsd";
  theOptions.pluginDirs = {ZORBIT_BIN_DIR};
  return theOptions;
}

// Every finding as "severity line: message", for messages that name what failed.
std::string Describe(const std::vector<Finding>& inFindings) {
  std::string theText;
  for (auto& theFinding : inFindings)
    theText += (theFinding.severity == Finding::kError ? "error " : "warning ") + std::to_string(theFinding.line) +
               ": " + theFinding.message + "\n";
  return theText;
}

// True when some finding of the severity sits on the line and its message holds the text.
bool Has(const std::vector<Finding>& inFindings, Finding::Severity inSeverity, int inLine, const std::string& inText) {
  for (auto& theFinding : inFindings)
    if (theFinding.severity == inSeverity && theFinding.line == inLine &&
        theFinding.message.find(inText) != std::string::npos)
      return true;
  return false;
}

TEST(DemoCheck, CleanDocumentHasNoFindings) {
  auto theFindings = CheckDemo(Doc("clean.xml"), Options());
  EXPECT_TRUE(theFindings.empty()) << Describe(theFindings);
}

TEST(DemoCheck, MalformedXmlIsReportedWhereItBreaks) {
  auto theFindings = CheckDemo(Doc("malformed.xml"), Options());
  ASSERT_EQ(1u, theFindings.size()) << Describe(theFindings);
  EXPECT_EQ(Finding::kError, theFindings[0].severity);
  EXPECT_EQ(5, theFindings[0].line) << Describe(theFindings);
  EXPECT_GT(theFindings[0].column, 0);
}

TEST(DemoCheck, SchemaFindsUnknownAndMissingAttributes) {
  auto theFindings = CheckDemo(Doc("attributes.xml"), Options());
  std::string theAll = Describe(theFindings);
  // The loader passes over an attribute it does not know: worth a warning only.
  EXPECT_TRUE(Has(theFindings, Finding::kWarning, 2, "Colour")) << theAll;
  EXPECT_FALSE(Has(theFindings, Finding::kError, 2, "Colour")) << theAll;
  EXPECT_TRUE(Has(theFindings, Finding::kError, 10, "EndTime")) << theAll;
  EXPECT_TRUE(Has(theFindings, Finding::kError, 4, "missing-plugin.so")) << theAll;
  EXPECT_TRUE(Has(theFindings, Finding::kError, 0, "the player refuses the document")) << theAll;
}

TEST(DemoCheck, EventAndParameterFaultsCarryTheirLines) {
  auto theFindings = CheckDemo(Doc("events.xml"), Options());
  std::string theAll = Describe(theFindings);
  struct { Finding::Severity severity; int line; const char* text; } theExpected[] = {
      {Finding::kWarning, 1, "not <Demo>"},
      {Finding::kError, 4, "missing-plugin.so"},
      {Finding::kError, 9, "never active"},
      {Finding::kWarning, 11, "time order"},
      {Finding::kError, 14, "no <Library> declares"},
      {Finding::kError, 15, "does not declare"},
      {Finding::kError, 16, "names text 1, but the document has 1 text"},
      {Finding::kError, 17, "must be 0 (sum) or 1 (product)"},
      {Finding::kError, 17, "exactly two child parameters"},
      {Finding::kError, 24, "equal segment counts"},
      {Finding::kError, 25, "must be a \"multi\" parameter"},
      {Finding::kError, 26, "\"interpol\" is \"cubic\""},
  };
  for (auto& e : theExpected)
    EXPECT_TRUE(Has(theFindings, e.severity, e.line, e.text)) << "missing line " << e.line << " '" << e.text
                                                               << "' among:\n" << theAll;
  EXPECT_FALSE(Has(theFindings, Finding::kError, 10, "never active")) << "6000-7000 follows 0-5000 and plays\n" << theAll;
}

TEST(DemoCheck, MoreThanFortyParametersIsAnError) {
  auto theFindings = CheckDemo(Doc("manyparams.xml"), Options());
  EXPECT_TRUE(Has(theFindings, Finding::kError, 6, "41 parameters")) << Describe(theFindings);
}

TEST(DemoCheck, MissingFileIsAnError) {
  auto theFindings = CheckDemo(Doc("no-such-file.xml"), Options());
  ASSERT_EQ(1u, theFindings.size());
  EXPECT_EQ("/x.xml: error: cannot open the file", FormatFinding("/x.xml", theFindings[0]));
}

// Files written by the tests, removed when the tests end.
struct TempFiles {
  std::set<std::string> paths;
  ~TempFiles() {
    for (const std::string& thePath : paths) std::remove(thePath.c_str());
  }
} gTempFiles;

// Named after the process as well: the plain and the sanitizer suites, and
// other checkouts, may run these tests at the same time.
std::string WriteTemp(const std::string& inName, const std::string& inText) {
  std::string thePath = testing::TempDir() + std::to_string(getpid()) + "_" + inName;
  gTempFiles.paths.insert(thePath);
  std::ofstream(thePath) << inText;
  return thePath;
}

size_t Count(const std::vector<Finding>& inFindings, Finding::Severity inSeverity) {
  size_t theCount = 0;
  for (auto& theFinding : inFindings) theCount += theFinding.severity == inSeverity ? 1 : 0;
  return theCount;
}

const char kSettings[] = "<Settings RunningTime=\"1000\" NumberOfInputSurfaces=\"0\"/>";

// The loader finds elements by tag name anywhere: a document laid out
// another way plays, and the checker says no more than that it is unusual.
TEST(DemoCheck, PlacementAndUnknownElementsAreWarnings) {
  std::string thePath = WriteTemp("check_placement.xml",
      std::string("<Demo>\n<Text>kick</Text>\n<Texts/>\n<Notes author=\"me\"/>\n") + kSettings +
      "\n<Libraries><Library FileName=\"beat.so\"><Function Name=\"MakeBeat\"/></Library></Libraries>\n"
      "<Track><Event LibraryFileName=\"beat.so\" FunctionName=\"MakeBeat\" StartTime=\"0\" EndTime=\"10\">\n"
      "<param type=\"beat\" ID=\"0\" min=\"0\" max=\"1\" colour=\"red\"/></Event></Track>\n</Demo>\n");
  auto theFindings = CheckDemo(thePath, Options());
  EXPECT_EQ(0u, Count(theFindings, Finding::kError)) << Describe(theFindings);
  EXPECT_GT(Count(theFindings, Finding::kWarning), 0u) << Describe(theFindings);
  EXPECT_TRUE(Has(theFindings, Finding::kWarning, 4, "'Notes'")) << Describe(theFindings);
  EXPECT_FALSE(Has(theFindings, Finding::kWarning, 4, "'author'")) << "an unknown element's attributes are not news\n"
                                                                   << Describe(theFindings);
  EXPECT_TRUE(Has(theFindings, Finding::kWarning, 8, "'colour'")) << Describe(theFindings);
}

bool LoaderAccepts(const std::string& inText, const std::string& inName) {
  Demo theDemo{};
  NameTable theNames{0, 0, nullptr};
  bool theLoaded = true;
  try {
    LoadDemoFromMemory(inText.data(), inText.size(), inName.c_str(), theDemo, theNames);
  } catch (const BasicException&) {
    theLoaded = false;
  }
  DestroyDemo(theDemo);
  ClearNameTable(theNames);
  return theLoaded;
}

std::string ReadText(const std::string& inPath) {
  std::ifstream theFile(inPath);
  return std::string((std::istreambuf_iterator<char>(theFile)), std::istreambuf_iterator<char>());
}

// The schema's findings that an element is unknown or out of place, one a line.
std::string PlacementFindings(const std::vector<Finding>& inFindings) {
  std::string theText;
  for (auto& theFinding : inFindings)
    if (theFinding.message.find("no declaration found for element") != std::string::npos ||
        theFinding.message.find("is not allowed for content model") != std::string::npos)
      theText += std::to_string(theFinding.line) + ":" + std::to_string(theFinding.column) + ": " +
                 theFinding.message + "\n";
  return theText;
}

// True when a document uses only the format's element and attribute names,
// each element where the loader reads it as what its name says: Settings,
// Texts, Text, Library and Track (and the Libraries and Tracks that hold
// them) anywhere but among the children the loader reads by position;
// Function in a Library, Param in a Function, Event in a Track, param in an
// Event or a param, seg in a param; Demo only as the root; no element in a Text.
class FormatOnly : public xercesc::DefaultHandler {
 public:
  bool mFormatOnly = true;

  void startElement(const XMLCh* const, const XMLCh* const, const XMLCh* const inName,
                    const xercesc::Attributes& inAttributes) override {
    std::string theName = codepage::Utf16ToUtf8(inName);
    std::string theParent = mOpen.empty() ? std::string() : mOpen.back();
    auto theKnown = Attributes().find(theName);
    mFormatOnly = mFormatOnly && theKnown != Attributes().end() && Placed(theName, theParent);
    for (XMLSize_t i = 0; mFormatOnly && i < inAttributes.getLength(); ++i)
      mFormatOnly = theKnown->second.count(codepage::Utf16ToUtf8(inAttributes.getQName(i))) > 0;
    mOpen.push_back(theName);
  }
  void endElement(const XMLCh* const, const XMLCh* const, const XMLCh* const) override { mOpen.pop_back(); }
  void fatalError(const xercesc::SAXParseException&) override { mFormatOnly = false; }

 private:
  static bool Placed(const std::string& inName, const std::string& inParent) {
    static const std::map<std::string, std::set<std::string>> kPositional = {
        {"Library", {"Function"}}, {"Function", {"Param"}}, {"Track", {"Event"}}, {"Text", {}}};
    static const std::map<std::string, std::set<std::string>> kParents = {
        {"Demo", {""}}, {"Function", {"Library"}}, {"Param", {"Function"}}, {"Event", {"Track"}},
        {"param", {"Event", "param"}}, {"seg", {"param"}}};
    auto thePositional = kPositional.find(inParent);
    if (thePositional != kPositional.end()) return thePositional->second.count(inName) > 0;
    auto theParents = kParents.find(inName);
    return theParents == kParents.end() || theParents->second.count(inParent) > 0;
  }

  static const std::map<std::string, std::set<std::string>>& Attributes() {
    static const std::map<std::string, std::set<std::string>> kAttributes = {
      {"Demo", {}}, {"Texts", {}}, {"Text", {}}, {"Libraries", {}}, {"Tracks", {}}, {"Track", {}},
      {"Settings", {"RunningTime", "UseOpenGL", "NumberOfInputSurfaces", "InputMusicFile", "AspectRatioX",
                    "AspectRatioY", "DataFile"}},
      {"Library", {"FileName"}}, {"Function", {"Name"}}, {"Param", {"Name"}},
      {"Event", {"LibraryFileName", "FunctionName", "StartTime", "EndTime"}},
      {"param", {"type", "start", "end", "val", "interpol", "op", "ampli", "period", "offset", "height", "ID", "min",
                 "max"}},
      {"seg", {"time", "val"}}};
    return kAttributes;
  }

  std::vector<std::string> mOpen;
};

bool UsesOnlyTheFormat(const std::string& inText) {
  xercesc::XMLPlatformUtils::Initialize();
  bool theResult = false;
  {
    std::unique_ptr<xercesc::SAX2XMLReader> theReader(xercesc::XMLReaderFactory::createXMLReader());
    theReader->setFeature(xercesc::XMLUni::fgSAX2CoreNameSpaces, false);
    theReader->setFeature(xercesc::XMLUni::fgXercesLoadExternalDTD, false);
    FormatOnly theHandler;
    theReader->setContentHandler(&theHandler);
    theReader->setErrorHandler(&theHandler);
    xercesc::MemBufInputSource theSource(reinterpret_cast<const XMLByte*>(inText.data()), inText.size(), "doc");
    try {
      theReader->parse(theSource);
      theResult = theHandler.mFormatOnly;
    } catch (...) {
    }
  }
  xercesc::XMLPlatformUtils::Terminate();
  return theResult;
}

// Every document of the project that the loader accepts gets no error from
// the schema: the errors with and without it are the same. One that keeps to
// the format's names gets no finding that an element is unknown or out of
// place, and none names an element the loader finds by name wherever it stands.
TEST(DemoCheck, SchemaAddsNoErrorToWhatTheLoaderAccepts) {
  std::vector<std::string> theDocs = {ZORBIT_SOURCE_DIR "/demos/showcase/showcase.xml",
                                      ZORBIT_SOURCE_DIR "/producers/scene/examples/showcase.xml",
                                      ZORBIT_SOURCE_DIR "/zorbit/examples/example.xml"};
  for (const char* theFolder : {ZORBIT_SOURCE_DIR "/fuzz/corpus", ZORBIT_SOURCE_DIR "/tools/tests/docs"}) {
    DIR* theDir = opendir(theFolder);
    ASSERT_NE(nullptr, theDir) << theFolder;
    while (dirent* theEntry = readdir(theDir))
      if (theEntry->d_name[0] != '.') theDocs.push_back(std::string(theFolder) + "/" + theEntry->d_name);
    closedir(theDir);
  }
  size_t theAccepted = 0, theFormatOnly = 0;
  for (const std::string& theDoc : theDocs) {
    std::string theText = ReadText(theDoc);
    if (!LoaderAccepts(theText, theDoc)) continue;
    ++theAccepted;
    CheckOptions theWith = Options(), theWithout = Options();
    theWith.runLoader = theWithout.runLoader = false;
    theWithout.schemaPath.clear();
    auto theChecked = CheckDemo(theDoc, theWith);
    EXPECT_EQ(Count(CheckDemo(theDoc, theWithout), Finding::kError), Count(theChecked, Finding::kError))
        << theDoc << "\n" << Describe(theChecked);
    std::string thePlacement = PlacementFindings(theChecked);
    if (UsesOnlyTheFormat(theText)) {
      ++theFormatOnly;
      EXPECT_EQ("", thePlacement) << theDoc << " keeps to the format";
    }
    for (const char* theName : {"'Settings'", "'Texts'", "'Text'", "'Library'", "'Track'"})
      EXPECT_EQ(std::string::npos, thePlacement.find(theName)) << theDoc << "\n" << thePlacement;
  }
  EXPECT_GE(theAccepted, 6u);
  EXPECT_GE(theFormatOnly, 4u);
}

// Each element the loader finds by name, put wherever the loader still reads
// it (and any of them as the root), draws no finding that it is unknown or
// out of place; an unknown element in the same places still does.
TEST(DemoCheck, SchemaAcceptsEveryPlacementTheLoaderReads) {
  const std::string theSettings = kSettings;
  const std::string theLibrary =
      "<Library FileName=\"beat.so\"><Function Name=\"MakeBeat\"><Param Name=\"x\">@</Param></Function></Library>";
  const std::string theEvent =
      "<Event LibraryFileName=\"beat.so\" FunctionName=\"MakeBeat\" StartTime=\"0\" EndTime=\"10\">@"
      "<param start=\"0\" end=\"1\">@</param><param type=\"const\" val=\"1\">@</param>"
      "<param type=\"sin\" ampli=\"1\" period=\"100\" offset=\"0\" height=\"0\">@</param>"
      "<param type=\"beat\" ID=\"0\" min=\"0\" max=\"1\">@</param>"
      "<param type=\"multi\" interpol=\"lin\" val=\"0\">@<seg time=\"5\" val=\"1\">@</seg></param>"
      "<param type=\"combi\" op=\"0\"><param type=\"const\" val=\"1\">@</param><param start=\"0\" end=\"1\"/></param>"
      "</Event>";
  // Every '@' marks one place; the base document has them all, and each
  // case fills one of them.
  const std::string theBase = "<Demo>@" + theSettings.substr(0, theSettings.size() - 2) + ">@</Settings>" +
                              "<Texts>@<Text>kick</Text></Texts><Libraries>@" + theLibrary + "</Libraries>" +
                              "<Tracks>@<Track>" + theEvent + "</Track></Tracks></Demo>";
  std::vector<size_t> thePlaces;
  for (size_t i = theBase.find('@'); i != std::string::npos; i = theBase.find('@', i + 1)) thePlaces.push_back(i);
  ASSERT_EQ(14u, thePlaces.size());
  auto theFill = [&](size_t inPlace, const std::string& inWhat) {
    std::string theText;
    size_t theFrom = 0;
    for (size_t k = 0; k < thePlaces.size(); ++k) {
      theText += theBase.substr(theFrom, thePlaces[k] - theFrom) + (k == inPlace ? inWhat : "");
      theFrom = thePlaces[k] + 1;
    }
    return theText + theBase.substr(theFrom);
  };
  const char* theElements[] = {
      "<Settings RunningTime=\"5\" NumberOfInputSurfaces=\"0\"/>", "<Texts><Text>snare</Text></Texts>",
      "<Text>snare</Text>", "<Libraries><Library FileName=\"fonts.so\"/></Libraries>",
      "<Library FileName=\"fonts.so\"><Function Name=\"Text3D\"/></Library>", "<Tracks><Track/></Tracks>",
      "<Track><Event LibraryFileName=\"beat.so\" FunctionName=\"MakeBeat\" StartTime=\"20\" EndTime=\"30\"/></Track>"};
  CheckOptions theOptions = Options();
  theOptions.runLoader = false;
  theOptions.findPlugins = false;
  for (size_t thePlace = 0; thePlace < thePlaces.size(); ++thePlace) {
    for (const char* theElement : theElements) {
      std::string theText = theFill(thePlace, theElement);
      ASSERT_TRUE(LoaderAccepts(theText, "placed")) << theText;
      ASSERT_TRUE(UsesOnlyTheFormat(theText)) << theText;
      auto theFindings = CheckDemo(WriteTemp("check_placed.xml", theText), theOptions);
      EXPECT_EQ("", PlacementFindings(theFindings)) << theText << "\n" << Describe(theFindings);
    }
    std::string theText = theFill(thePlace, "<Notes/>");
    auto theFindings = CheckDemo(WriteTemp("check_placed.xml", theText), theOptions);
    EXPECT_NE(std::string::npos, PlacementFindings(theFindings).find("'Notes'")) << theText << "\n"
                                                                                 << Describe(theFindings);
    EXPECT_EQ(0u, Count(theFindings, Finding::kError)) << theText << "\n" << Describe(theFindings);
  }

  // A section as the root: the schema checks the document as it checks a Demo.
  const std::string theInside = theFill(thePlaces.size(), "").substr(6);  // the base without <Demo>, nor a place filled
  struct { std::string open, close; } theRoots[] = {
      {theSettings.substr(0, theSettings.size() - 2) + ">", "</Settings>"}, {"<Texts>", "</Texts>"},
      {"<Libraries>", "</Libraries>"}, {"<Tracks>", "</Tracks>"}};
  for (auto& theRoot : theRoots) {
    std::string theText = theRoot.open + theInside.substr(0, theInside.size() - 7) + theRoot.close;
    ASSERT_TRUE(LoaderAccepts(theText, "rooted")) << theText;
    auto theFindings = CheckDemo(WriteTemp("check_rooted.xml", theText), theOptions);
    EXPECT_EQ("", PlacementFindings(theFindings)) << theText << "\n" << Describe(theFindings);
    EXPECT_FALSE(Has(theFindings, Finding::kWarning, 1, "not <Demo>")) << theText << "\n" << Describe(theFindings);
  }
}

// A root of another name is reported once, and the schema still checks the
// sections inside it.
TEST(DemoCheck, SchemaChecksTheSectionsInsideAnUnknownRoot) {
  auto theFindings = CheckDemo(WriteTemp("check_show.xml",
      "<Show>\n<Settings RunningTime=\"5\" NumberOfInputSurfaces=\"0\" Colour=\"red\"/>\n<Texts><Notes/></Texts>\n</Show>\n"),
      Options());
  std::string theAll = Describe(theFindings);
  EXPECT_TRUE(Has(theFindings, Finding::kWarning, 1, "the root element is <Show>, not <Demo>")) << theAll;
  EXPECT_FALSE(Has(theFindings, Finding::kWarning, 1, "no declaration found")) << "said twice\n" << theAll;
  EXPECT_TRUE(Has(theFindings, Finding::kWarning, 2, "'Colour'")) << theAll;
  EXPECT_TRUE(Has(theFindings, Finding::kWarning, 3, "'Notes'")) << theAll;
  EXPECT_EQ(0u, Count(theFindings, Finding::kError)) << theAll;
}

// Nesting far beyond any demo: no recursion, a finding instead of a crash.
TEST(DemoCheck, DeepNestingEndsInAFinding) {
  std::string theOpen, theClose;
  for (int i = 0; i < 1000000; ++i) theOpen += "<a>", theClose += "</a>";
  auto theFindings = CheckDemo(WriteTemp("check_deep.xml", "<Demo>" + std::string(kSettings) + theOpen + theClose + "</Demo>"), Options());
  EXPECT_TRUE(Has(theFindings, Finding::kWarning, 0, "levels deep")) << Describe(theFindings);
  EXPECT_EQ(0u, Count(theFindings, Finding::kError)) << Describe(theFindings);

  theOpen.clear(), theClose.clear();
  for (int i = 0; i < 100000; ++i) theOpen += "<param type=\"combi\" op=\"0\">", theClose += "</param>";
  theFindings = CheckDemo(WriteTemp("check_deep_combi.xml",
      "<Demo>" + std::string(kSettings) +
      "<Track><Event LibraryFileName=\"x.so\" FunctionName=\"f\" StartTime=\"0\" EndTime=\"10\">" + theOpen +
      theClose + "</Event></Track></Demo>"), Options());
  EXPECT_TRUE(Has(theFindings, Finding::kError, 0, "the player refuses the document")) << Describe(theFindings);
}

// The loader's limits hold in both passes: the bomb is refused, an outside
// DTD is never fetched and does not stop the check.
TEST(DemoCheck, EntitiesAndOutsideDtdsGetTheLoadersLimits) {
  std::string theEntities = "<!DOCTYPE Demo [<!ENTITY e0 \"0123456789\">";
  for (int i = 1; i < 10; ++i) {
    theEntities += "<!ENTITY e" + std::to_string(i) + " \"";
    for (int k = 0; k < 10; ++k) theEntities += "&e" + std::to_string(i - 1) + ";";
    theEntities += "\">";
  }
  auto theFindings = CheckDemo(WriteTemp("check_bomb.xml", theEntities + "]><Demo>" + kSettings +
                                                               "<Texts><Text>&e9;</Text></Texts></Demo>"), Options());
  EXPECT_TRUE(Has(theFindings, Finding::kError, 1, "entity expansions")) << Describe(theFindings);

  theFindings = CheckDemo(WriteTemp("check_dtd.xml", "<!DOCTYPE Demo SYSTEM \"http://example.invalid/demo.dtd\">\n"
                                                     "<Demo>" + std::string(kSettings) + "</Demo>"), Options());
  EXPECT_EQ(0u, Count(theFindings, Finding::kError)) << Describe(theFindings);
}

TEST(DemoCheck, EachCheckHasItsOwnTexts) {
  for (int i = 0; i < 3; ++i) {
    auto theFindings = CheckDemo(ZORBIT_SOURCE_DIR "/demos/showcase/showcase.xml", Options());
    EXPECT_EQ(0, GetNameTable().count) << "check " << i;
  }
}

TEST(DemoCheck, CharactersOutsideTheCodePageAreWarnedAboutWhereTheyStand) {
  const std::string thePath = testing::TempDir() + "codepage-check.xml";
  std::ofstream(thePath) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                            "<Demo>\n"
                            "<Settings RunningTime=\"1000\" NumberOfInputSurfaces=\"0\" InputMusicFile=\"\xE2\x99\xAA.ogg\"/>\n"
                            "<Texts>\n"
                            "<Text>Caf\xC3\xA9 5 \xE2\x82\xAC</Text>\n"
                            "<Text>\xE6\x97\xA5\xE6\x9C\xAC</Text>\n"
                            "<Text>\xF0\x9F\x8E\xB5</Text>\n"
                            "</Texts>\n"
                            "</Demo>\n";
  auto theFindings = CheckDemo(thePath, Options());
  EXPECT_TRUE(Has(theFindings, Finding::kWarning, 3, "attribute \"InputMusicFile\" of <Settings> holds characters outside Windows-1252"))
      << Describe(theFindings);
  EXPECT_FALSE(Has(theFindings, Finding::kWarning, 5, "outside Windows-1252")) << "accents and the euro sign fit\n"
                                                                                << Describe(theFindings);
  EXPECT_TRUE(Has(theFindings, Finding::kWarning, 6, "the text of <Text> holds characters outside Windows-1252"))
      << Describe(theFindings);
  EXPECT_TRUE(Has(theFindings, Finding::kWarning, 7, "shows each of them as '?'")) << Describe(theFindings);
  std::remove(thePath.c_str());
}

}  // namespace
