// zorbit-check on the shader files of a document: compiled by the real
// driver through Mesa's surfaceless EGL, with no display at all.
#include "shadercheck.h"

#include <gtest/gtest.h>


#include <string>

#include "offscreengl.h"
#include "shellrun.h"
#include "tempfolder.h"
#include "textfile.h"

namespace {

// A document whose Shader events name the given files, one event per file
// on tracks of their own; channel 0 of the first reads inChannelTarget
// (source 4) when it is given.
std::string Document(const std::vector<std::string>& inFiles, const std::string& inChannelTarget = std::string()) {
  std::string theTexts, theTracks;
  for (size_t i = 0; i < inFiles.size(); ++i) {
    theTexts += "<Text>" + inFiles[i] + "</Text>";
    theTracks += "<Track><Event LibraryFileName=\"shaders.so\" FunctionName=\"Shader\" StartTime=\"0\" EndTime=\"1000\">"
                 "<param type=\"const\" val=\"" + std::to_string(i) + "\"/>";
    if (i == 0 && !inChannelTarget.empty())
      for (int theValue : {-1, 0, 0, 0, 255, 0, 0, 4, int(inFiles.size())})
        theTracks += "<param type=\"const\" val=\"" + std::to_string(theValue) + "\"/>";
    theTracks += "</Event></Track>";
  }
  if (!inChannelTarget.empty()) theTexts += "<Text>" + inChannelTarget + "</Text>";
  return "<Demo><Settings RunningTime=\"1000\" NumberOfInputSurfaces=\"0\" UseOpenGL=\"true\"/>"
         "<Texts>" + theTexts + "</Texts>"
         "<Library FileName=\"shaders.so\"><Function Name=\"Shader\"/></Library>" + theTracks + "</Demo>";
}

// Sixteen lines of a good Shadertoy image shader, then line 17.
std::string SixteenLines() {
  std::string theText = "// A plasma, written as on Shadertoy.\n";
  for (int i = 2; i <= 14; ++i) theText += "// line " + std::to_string(i) + "\n";
  theText += "void mainImage(out vec4 fragColor, in vec2 fragCoord) {\n";
  theText += "    vec2 uv = fragCoord / iResolution.xy;\n";  // line 16
  return theText;
}

const char kGoodShadertoy[] =
    "// Every input, and both ways of sampling.\n"
    "void mainImage(out vec4 fragColor, in vec2 fragCoord)\n"
    "{\n"
    "    vec2 uv = fragCoord / iResolution.xy;\n"
    "    vec4 a = texture(iChannel0, uv) + texture2D(iChannel1, uv);\n"
    "    float t = iTime + iGlobalTime + iTimeDelta + iFrameRate + float(iFrame) + iChannelTime[1];\n"
    "    vec3 r = iChannelResolution[2] + vec3(iMouse.xy, iDate.w) + vec3(iSampleRate);\n"
    "    float p = iParam[3] + float(iParamInt[19]);\n"
    "    fragColor = vec4(uv, 0.5 + 0.5 * sin(t + p), 1.0) + 0.0 * a + 0.0 * vec4(r, 0.0);\n"
    "}\n";

std::string Describe(const ShaderCheck& inCheck) {
  std::string theText = "skipped: " + inCheck.skipped + "\n";
  for (const ShaderFinding& theFinding : inCheck.findings)
    theText += FormatFinding(theFinding.file, theFinding.finding) + "\n";
  return theText;
}

ShellRun RunCheck(const std::string& inEnvironment, const std::string& inArguments) {
  return RunShell("env " + inEnvironment + " " ZORBIT_BIN_DIR "/zorbit-check --plugin-dir " ZORBIT_BIN_DIR " " +
                  inArguments);
}

class ShaderCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(mFolder.Path().empty());
    std::string theWhy;
    ASSERT_TRUE(mGL.Open(theWhy)) << "Mesa's surfaceless EGL platform is part of the build's dependencies: " << theWhy;
    // The document's plug-in is found beside it: its check is not what these tests are about.
    WriteFile(Path("shaders.so"), "");
  }
  std::string Path(const std::string& inName) const { return mFolder.Path() + "/" + inName; }
  ShaderCheck Check(const std::vector<std::string>& inFiles, const std::string& inChannelTarget = std::string()) {
    WriteFile(Path("demo.xml"), Document(inFiles, inChannelTarget));
    return CheckShaders(Path("demo.xml"), mGL);
  }

  TempFolder mFolder{"shadercheck"};
  OffscreenGL mGL;
};

TEST_F(ShaderCheckTest, AnErrorOnLine17IsReportedOnLine17InEveryDialect) {
  // Undeclared on line 17, column 29 (counted from 1), after the inputs the
  // plug-in adds: before mainImage, or after the file's own #version line.
  const std::string theLine17 = "    fragColor = vec4(uv, 0, notDeclared);\n";
  WriteFile(Path("shadertoy.frag"), SixteenLines() + theLine17 + "}\n");
  std::string theVersioned = "#version 330\n";
  for (int i = 2; i <= 14; ++i) theVersioned += "// line " + std::to_string(i) + "\n";
  theVersioned += "out vec4 fragColor;\nvoid main() { vec2 uv = gl_FragCoord.xy / iResolution.xy;\n" + theLine17 + "}\n";
  WriteFile(Path("versioned.frag"), theVersioned);

  ShaderCheck theCheck = Check({"shadertoy.frag", "versioned.frag"});
  EXPECT_EQ(2, theCheck.shaderFiles);
  EXPECT_EQ(0, theCheck.compiled);
  for (const char* theFile : {"shadertoy.frag", "versioned.frag"}) {
    bool theFound = false;
    for (const ShaderFinding& theFinding : theCheck.findings)
      if (theFinding.file == Path(theFile) && theFinding.finding.severity == Finding::kError &&
          theFinding.finding.message.find("notDeclared") != std::string::npos) {
        EXPECT_EQ(17, theFinding.finding.line) << theFile << "\n" << Describe(theCheck);
        EXPECT_EQ(29, theFinding.finding.column) << theFile << "\n" << Describe(theCheck);
        theFound = true;
      }
    EXPECT_TRUE(theFound) << "no error names the undeclared identifier in " << theFile << "\n" << Describe(theCheck);
  }
}

// The driver counts columns after its preprocessor: runs of blanks and
// comments as one space, comments and backslash-newlines joining lines,
// macros expanded. Each case is the body of main, from line 4 of the file,
// whose undeclared name must be reported on the line and column the author
// wrote it.
TEST_F(ShaderCheckTest, ColumnsAreTheAuthorsWhateverTheDriverCounts) {
  struct Case {
    const char* lines;
    int line;
  } const kCases[] = {
      {"    vec4 c = vec4(0, 0, notDeclared);", 4},
      {"\t\tvec4 c = vec4(0,    0,\tnotDeclared);", 4},
      {"vec4 c = /* a comment */ vec4(0, /**/0, notDeclared); // and one more", 4},
      {"/* a comment\n   over lines */ float q = 1.0; vec4 c = vec4(notDeclared);", 5},
      {"/* a comment\n   over lines */\n  vec4 c = vec4(notDeclared);", 6},
      {"vec4 c = vec4(1.0, \\\n       notDeclared);", 5},
      {"vec4 c = vec4(LONGNAME, LONGNAME, notDeclared);", 4},
  };
  for (const Case& theCase : kCases) {
    std::string theLines = theCase.lines;
    WriteFile(Path("columns.frag"), "#version 330\n#define LONGNAME 1.0\nvoid main() {\n" + theLines + "\n}\n");
    ShaderCheck theCheck = Check({"columns.frag"});
    std::string theLast = theLines.substr(theLines.rfind('\n') + 1);
    int theColumn = int(theLast.find("notDeclared")) + 1;
    bool theFound = false;
    for (const ShaderFinding& theFinding : theCheck.findings)
      if (theFinding.finding.message.find("`notDeclared'") != std::string::npos) {
        theFound = true;
        EXPECT_EQ(theCase.line, theFinding.finding.line) << theCase.lines;
        EXPECT_EQ(theColumn, theFinding.finding.column) << theCase.lines;
      }
    EXPECT_TRUE(theFound) << theCase.lines << "\n" << Describe(theCheck);
  }
}

TEST_F(ShaderCheckTest, AGoodShadertoyFilePasses) {
  WriteFile(Path("good.frag"), kGoodShadertoy);
  ShaderCheck theCheck = Check({"good.frag", "good.frag"});
  EXPECT_TRUE(theCheck.findings.empty()) << Describe(theCheck);
  EXPECT_EQ(1, theCheck.shaderFiles) << "a file named twice is compiled once";
  EXPECT_EQ(1, theCheck.compiled) << Describe(theCheck);
}

TEST_F(ShaderCheckTest, MissingEmptyAndBinaryFilesGetClearMessages) {
  WriteFile(Path("empty.frag"), "");
  WriteFile(Path("blank.frag"), " \n\t\n");
  WriteFile(Path("binary.frag"), std::string("\x7f" "ELF\x02\x01\x01\x00\x00\x00", 10));
  WriteFile(Path("huge.frag"), std::string((1 << 20) + 1, '/'));
  struct Case {
    const char* file;
    const char* message;
  } const kCases[] = {
      {"missing.frag", "the shader file does not exist (named by event 0 of track 0)"},
      {"empty.frag", "the shader file is empty (named by event 0 of track 1)"},
      {"blank.frag", "the shader file holds nothing but white space"},
      {"binary.frag", "the shader file holds binary data (a zero byte at offset 7), not GLSL text"},
      {"huge.frag", "the shader file is larger than 1 MiB"},
  };
  std::vector<std::string> theFiles;
  for (const Case& theCase : kCases) theFiles.push_back(theCase.file);
  ShaderCheck theCheck = Check(theFiles);
  EXPECT_EQ(0, theCheck.compiled);
  ASSERT_EQ(5u, theCheck.findings.size()) << Describe(theCheck);
  for (size_t i = 0; i < 5; ++i) {
    const ShaderFinding& theFinding = theCheck.findings[i];
    EXPECT_EQ(Path(kCases[i].file), theFinding.file);
    EXPECT_EQ(Finding::kError, theFinding.finding.severity) << kCases[i].file;
    EXPECT_NE(std::string::npos, theFinding.finding.message.find(kCases[i].message))
        << kCases[i].file << ": " << theFinding.finding.message;
  }
}

TEST_F(ShaderCheckTest, TextsAndBuffersThatDoNotExistAreReportedOnTheDocument) {
  WriteFile(Path("good.frag"), kGoodShadertoy);
  WriteFile(Path("demo.xml"), "<Demo><Settings RunningTime=\"1000\" NumberOfInputSurfaces=\"0\"/>"
                              "<Library FileName=\"shaders.so\"><Function Name=\"Shader\"/></Library><Track>"
                              "<Event LibraryFileName=\"shaders.so\" FunctionName=\"Shader\" StartTime=\"0\" "
                              "EndTime=\"10\"><param type=\"const\" val=\"3\"/></Event></Track></Demo>");
  ShaderCheck theCheck = CheckShaders(Path("demo.xml"), mGL);
  ASSERT_EQ(1u, theCheck.findings.size()) << Describe(theCheck);
  EXPECT_EQ(Path("demo.xml"), theCheck.findings[0].file);
  EXPECT_EQ("event 0 of track 0 names text 3 as its shader file, but the document has 0 text(s)",
            theCheck.findings[0].finding.message);

  theCheck = Check({"good.frag"}, "nobody");
  ASSERT_EQ(1u, theCheck.findings.size()) << Describe(theCheck);
  EXPECT_EQ(Finding::kWarning, theCheck.findings[0].finding.severity);
  EXPECT_EQ("channel 0 of event 0 of track 0 reads the target \"nobody\", which no Shader event of the document draws",
            theCheck.findings[0].finding.message);
  EXPECT_EQ(1, theCheck.compiled);
}

// The program as a demo maker runs it, on a machine without a display.
TEST_F(ShaderCheckTest, ZorbitCheckCompilesWithDisplayUnset) {
  WriteFile(Path("broken.frag"), SixteenLines() + "    fragColor = vec4(uv, 0, notDeclared);\n}\n");
  WriteFile(Path("demo.xml"), Document({"broken.frag"}));
  ShellRun theRun = RunCheck("-u DISPLAY -u WAYLAND_DISPLAY", "'" + Path("demo.xml") + "'");
  EXPECT_EQ(1, theRun.status) << theRun.output;
  EXPECT_NE(std::string::npos, theRun.output.find(Path("broken.frag") + ":17:29: error: ")) << theRun.output;
  EXPECT_EQ(std::string::npos, theRun.output.find("note:")) << theRun.output;

  WriteFile(Path("broken.frag"), kGoodShadertoy);
  theRun = RunCheck("-u DISPLAY -u WAYLAND_DISPLAY", "'" + Path("demo.xml") + "'");
  EXPECT_EQ(0, theRun.status) << theRun.output;
  EXPECT_NE(std::string::npos, theRun.output.find("zorbit-check: 0 error(s), 0 warning(s)")) << theRun.output;
}

// Without any EGL driver the check says so once, still reads the files, and
// does not fail what it could not compile.
TEST_F(ShaderCheckTest, WithoutAnEglDriverItSaysSoOnceAndSkipsCompiling) {
  WriteFile(Path("broken.frag"), SixteenLines() + "    fragColor = vec4(uv, 0, notDeclared);\n}\n");
  WriteFile(Path("demo.xml"), Document({"broken.frag"}));
  WriteFile(Path("second.xml"), Document({"broken.frag", "missing.frag"}));
  ShellRun theRun = RunCheck("-u DISPLAY __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent/egl_vendor.json",
                        "'" + Path("demo.xml") + "' '" + Path("second.xml") + "'");
  EXPECT_EQ(1, theRun.status) << "the missing file is still an error:\n" << theRun.output;
  EXPECT_NE(std::string::npos, theRun.output.find(Path("missing.frag") + ": error: the shader file does not exist"))
      << theRun.output;
  EXPECT_EQ(std::string::npos, theRun.output.find(":17:")) << theRun.output;
  const std::string kNote = "zorbit-check: note: shader files were not compiled: ";
  size_t theNote = theRun.output.find(kNote);
  ASSERT_NE(std::string::npos, theNote) << theRun.output;
  EXPECT_EQ(std::string::npos, theRun.output.find("note:", theNote + kNote.size())) << "one note for the whole run:\n"
                                                                                 << theRun.output;
}

}  // namespace
