#include "democheck.h"

#include <gtest/gtest.h>

#include <string>

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
  EXPECT_TRUE(Has(theFindings, Finding::kError, 2, "Colour")) << theAll;
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

}  // namespace
