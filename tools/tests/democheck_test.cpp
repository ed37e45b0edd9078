#include "democheck.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <string>

#include "basicexception.h"
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

std::string WriteTemp(const std::string& inName, const std::string& inText) {
  std::string thePath = testing::TempDir() + inName;
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
}

// Every document of the project that the loader accepts gets no error from
// the schema: the errors with and without it are the same.
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
  size_t theAccepted = 0;
  for (const std::string& theDoc : theDocs) {
    Demo theDemo{};
    NameTable theNames{0, 0, nullptr};
    bool theLoaded = true;
    try {
      std::ifstream theFile(theDoc);
      std::string theText((std::istreambuf_iterator<char>(theFile)), std::istreambuf_iterator<char>());
      LoadDemoFromMemory(theText.data(), theText.size(), theDoc.c_str(), theDemo, theNames);
    } catch (const BasicException&) {
      theLoaded = false;
    }
    DestroyDemo(theDemo);
    ClearNameTable(theNames);
    if (!theLoaded) continue;
    ++theAccepted;
    CheckOptions theWith = Options(), theWithout = Options();
    theWith.runLoader = theWithout.runLoader = false;
    theWithout.schemaPath.clear();
    auto theChecked = CheckDemo(theDoc, theWith);
    EXPECT_EQ(Count(CheckDemo(theDoc, theWithout), Finding::kError), Count(theChecked, Finding::kError))
        << theDoc << "\n" << Describe(theChecked);
  }
  EXPECT_GE(theAccepted, 6u);
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
