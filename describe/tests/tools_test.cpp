// zorbit-info and zorbit-check as a demo maker runs them, with the effects'
// descriptions: on the showcase, on a document with values the descriptions
// rule out, with broken tables, and with a plug-in that describes nothing.
#include <gtest/gtest.h>

#include <string>

#include "shellrun.h"
#include "tempfolder.h"
#include "textfile.h"

namespace {

ShellRun RunTool(const std::string& inTool, const std::string& inArguments) {
  return RunShell(std::string(ZORBIT_BIN_DIR "/") + inTool + " " + inArguments);
}

bool Has(const ShellRun& inRun, const std::string& inText) { return inRun.output.find(inText) != std::string::npos; }

const std::string kShowcase = ZORBIT_SOURCE_DIR "/demos/showcase/showcase.xml";

TEST(DescribedTools, InfoNamesTheShowcasesParametersInTheirUnits) {
  const ShellRun theRun = RunTool("zorbit-info", kShowcase);
  ASSERT_EQ(theRun.status, 0) << theRun.output;
  for (const char* theLine : {
           "      0: text 'drums in: 120 BPM' (constant 34)\n",
           "      1: font 'FreeSansBold.ttf' (constant 20)\n",
           "      4: y -140.000 units, sine of amplitude 8.000 units every 2000 ms (sine around -140000",
           "      3: x -600.000 units, bez over 3 keys (smooth (bez) curve from -600000",
           "      13: opacity 0, lin over 5 keys (linear curve from 0, to 0 at +500 ms",
           "      14: blendsrc GL_SRC_ALPHA (constant 770)\n",
           "      17: group 'main' (constant 18)\n",
           "      0: beat 'kick' (constant 0)\n",
           "      0: file 'bloom.frag' (constant 39)\n",
           "      1: target none (constant -1)\n",
           "      6: blend 1 (0 replace, 1 alpha, 2 add, 3 multiply) (constant 1)\n",
           "      20: value0 1.400 (constant 1400)\n",
       })
    EXPECT_TRUE(Has(theRun, theLine)) << "missing: " << theLine << "\n" << theRun.output;
  EXPECT_FALSE(Has(theRun, "its parameters stay numbers")) << "every plug-in of the showcase describes itself:\n"
                                                           << theRun.output;
}

TEST(DescribedTools, CheckFindsNothingTheDescriptionsRuleOutInTheShowcase) {
  const ShellRun theRun = RunTool("zorbit-check", kShowcase);
  EXPECT_EQ(theRun.status, 0) << theRun.output;
  EXPECT_TRUE(Has(theRun, "zorbit-check: 0 error(s), 0 warning(s)")) << theRun.output;
}

// One Text3D event with the values given for its parameters, and five texts.
std::string TextDocument(const std::string& inLibraries, const std::string& inEvents) {
  return "<Demo><Settings RunningTime=\"3000\" NumberOfInputSurfaces=\"0\" UseOpenGL=\"true\"/>"
         "<Texts><Text>hello</Text><Text>FreeSans.ttf</Text><Text>main</Text><Text>nosuch-font.ttf</Text>"
         "<Text>missing.png</Text></Texts>"
         "<Libraries>" + inLibraries + "</Libraries><Tracks><Track>\n" + inEvents + "</Track></Tracks></Demo>\n";
}

std::string Params(std::initializer_list<int> inValues) {
  std::string theParams;
  for (int theValue : inValues) theParams += "<param type=\"const\" val=\"" + std::to_string(theValue) + "\"/>";
  return theParams;
}

TEST(DescribedTools, CheckWarnsAboutValuesTheDescriptionsRuleOut) {
  TempFolder theFolder("zorbit-describe-");
  const std::string theText3D = "<Library FileName=\"fonts.so\"><Function Name=\"Text3D\"/></Library>"
                                "<Library FileName=\"scene.so\"><Function Name=\"DrawGrid\"/></Library>";
  const std::string theDocument = TextDocument(
      theText3D,
      // A colour where the font's text number belongs, an opacity too high, a blend factor that is not one.
      "<Event LibraryFileName=\"fonts.so\" FunctionName=\"Text3D\" StartTime=\"0\" EndTime=\"1000\">\n" +
          Params({0, 200, 32, 0, 0, 0, 0, 0, 0, 10000, 255, 255, 255}) +
          "\n<param type=\"multi\" interpol=\"lin\" val=\"0\"><seg time=\"500\" val=\"300\"/></param>\n" +
          Params({770, 5, 100000, 2, 0}) + "</Event>\n" +
          // A font and a texture whose files are nowhere.
          "<Event LibraryFileName=\"fonts.so\" FunctionName=\"Text3D\" StartTime=\"1000\" EndTime=\"2000\">\n" +
          Params({0, 3, 32, 0, 0, 0, 0, 0, 0, 10000, 255, 255, 255, 255, 770, 771, 100000, 2, 0}) + "</Event>\n" +
          "<Event LibraryFileName=\"scene.so\" FunctionName=\"DrawGrid\" StartTime=\"2000\" EndTime=\"3000\">\n" +
          Params({2, 4, 1}) + "</Event>\n");
  WriteFile(theFolder.Path() + "/demo.xml", theDocument);
  const ShellRun theRun = RunTool("zorbit-check", theFolder.Path() + "/demo.xml");
  EXPECT_EQ(theRun.status, 0) << "warnings only:\n" << theRun.output;
  const std::string thePath = theFolder.Path() + "/demo.xml:";
  for (const std::string& theLine : {
           thePath + "3:61: warning: event 0 of track 0, parameter 1 of Text3D: font takes a text number, but 200 "
                     "names no text (the document has 5)",
           thePath + "4:44: warning: event 0 of track 0, parameter 13 of Text3D: opacity is 300, outside its range 0 to 255",
           thePath + "5:61: warning: event 0 of track 0, parameter 15 of Text3D: blenddst takes an OpenGL blend factor, "
                     "and 5 is not one",
           thePath + "7:59: warning: event 1 of track 0, parameter 1 of Text3D: font names the file \"nosuch-font.ttf\", "
                     "which does not exist beside the document",
           thePath + "9:59: warning: event 2 of track 0, parameter 1 of DrawGrid: texture names the file \"missing.png\", "
                     "which does not exist beside the document",
       })
    EXPECT_TRUE(Has(theRun, theLine + "\n")) << "missing: " << theLine << "\n" << theRun.output;
  EXPECT_TRUE(Has(theRun, "zorbit-check: 0 error(s), 5 warning(s)")) << theRun.output;

  // The same texture is not read while the grid is drawn filled (look 0).
  WriteFile(theFolder.Path() + "/filled.xml",
            TextDocument(theText3D, "<Event LibraryFileName=\"scene.so\" FunctionName=\"DrawGrid\" StartTime=\"0\" "
                                    "EndTime=\"1000\">" + Params({2, 4, 0}) + "</Event>\n"));
  const ShellRun theFilled = RunTool("zorbit-check", theFolder.Path() + "/filled.xml");
  EXPECT_TRUE(Has(theFilled, "zorbit-check: 0 error(s), 0 warning(s)")) << theFilled.output;
}

TEST(DescribedTools, BrokenDescriptionsAreSaidAndTheToolsGoOn) {
  TempFolder theFolder("zorbit-describe-");
  std::string theLibraries, theEvents;
  const char* kVariants[] = {"nullname.so", "hugecount.so", "minabovemax.so", "described.so"};
  for (const char* theVariant : kVariants) {
    theLibraries += std::string("<Library FileName=\"") + theVariant + "\"><Function Name=\"Glow\"/></Library>";
    theEvents += std::string("<Track><Event LibraryFileName=\"") + theVariant +
                 "\" FunctionName=\"Glow\" StartTime=\"0\" EndTime=\"1000\">" + Params({2, 500, 770}) + "</Event></Track>\n";
  }
  const std::string theDocument = "<Demo><Settings RunningTime=\"1000\" NumberOfInputSurfaces=\"0\"/>"
                                  "<Texts><Text>a</Text><Text>b</Text><Text>main</Text></Texts><Libraries>" +
                                  theLibraries + "</Libraries><Tracks>" + theEvents + "</Tracks></Demo>\n";
  WriteFile(theFolder.Path() + "/demo.xml", theDocument);
  const std::string theArguments = "--plugin-dir " ZORBIT_DESCRIBED_PLUGIN_DIR " " + theFolder.Path() + "/demo.xml";

  const ShellRun theCheck = RunTool("zorbit-check", theArguments);
  EXPECT_EQ(theCheck.status, 0) << theCheck.output;
  for (const char* theSaid : {"nullname.so: its description is broken: parameter 1 of Glow has no usable name",
                              "hugecount.so: its description is broken: effect Glow claims 2147483647 parameters",
                              "minabovemax.so: its description is broken: parameter 1 of Glow has a range whose minimum 10"})
    EXPECT_TRUE(Has(theCheck, theSaid)) << theSaid << "\n" << theCheck.output;
  // The good one after them is still checked: 500 is beyond its strength's 100.
  EXPECT_TRUE(Has(theCheck, "parameter 1 of Glow: strength is 500, outside its range 0 to 100")) << theCheck.output;
  EXPECT_TRUE(Has(theCheck, "zorbit-check: 0 error(s), 4 warning(s)")) << theCheck.output;

  // zorbit-info finds plug-ins beside the document, as the player does.
  for (const char* theVariant : kVariants) {
    const std::string theFrom = std::string(ZORBIT_DESCRIBED_PLUGIN_DIR "/") + theVariant;
    WriteFile(theFolder.Path() + "/" + theVariant, ReadFile(theFrom));
  }
  const ShellRun theInfo = RunTool("zorbit-info", theFolder.Path() + "/demo.xml");
  EXPECT_EQ(theInfo.status, 0) << theInfo.output;
  EXPECT_TRUE(Has(theInfo, "  nullname.so\n    note: nullname.so: its description is broken")) << theInfo.output;
  EXPECT_TRUE(Has(theInfo, "    note: hugecount.so: its description is broken: effect Glow claims 2147483647 parameters"))
      << theInfo.output;
  EXPECT_TRUE(Has(theInfo, "      1: strength 500 percent (constant 500)\n")) << "the good one is named:\n" << theInfo.output;
  EXPECT_TRUE(Has(theInfo, "      1: constant 500\n")) << "the broken ones stay numbers:\n" << theInfo.output;
}

TEST(DescribedTools, APlugInWithoutDescriptionsIsShownAndCheckedAsBefore) {
  TempFolder theFolder("zorbit-describe-");
  WriteFile(theFolder.Path() + "/recorder.so", ReadFile(ZORBIT_TEST_PLUGIN_DIR "/recorder.so"));
  WriteFile(theFolder.Path() + "/demo.xml",
            "<Demo><Settings RunningTime=\"1000\" NumberOfInputSurfaces=\"0\"/><Texts><Text>a</Text></Texts>"
            "<Libraries><Library FileName=\"recorder.so\"><Function Name=\"Effect\"/></Library></Libraries>"
            "<Tracks><Track><Event LibraryFileName=\"recorder.so\" FunctionName=\"Effect\" StartTime=\"0\" "
            "EndTime=\"1000\">" + Params({99999, -5}) + "</Event></Track></Tracks></Demo>\n");
  const ShellRun theInfo = RunTool("zorbit-info", theFolder.Path() + "/demo.xml");
  EXPECT_EQ(theInfo.status, 0) << theInfo.output;
  EXPECT_TRUE(Has(theInfo, "  recorder.so\n    Effect()\n")) << theInfo.output;
  EXPECT_TRUE(Has(theInfo, "      0: constant 99999\n      1: constant -5\n")) << theInfo.output;
  EXPECT_FALSE(Has(theInfo, "note:")) << theInfo.output;
  const ShellRun theCheck = RunTool("zorbit-check", theFolder.Path() + "/demo.xml");
  EXPECT_EQ(theCheck.status, 0) << theCheck.output;
  EXPECT_TRUE(Has(theCheck, "zorbit-check: 0 error(s), 0 warning(s)")) << theCheck.output;
}

}  // namespace
