// The driver's source made from authors' files, and the driver's log made
// back into the authors' lines. The drawing tests compile the same files
// with the real driver.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "shadersource.h"

namespace {

using shadersource::Prepare;
using shadersource::Prepared;

const char* kShadertoy =
    "// a plasma\n"
    "void mainImage(out vec4 fragColor, in vec2 fragCoord) {\n"
    "  vec2 uv = fragCoord / iResolution.xy;\n"
    "  fragColor = vec4(uv, 0.5 + 0.5 * sin(iTime), 1.0) * texture2D(iChannel0, uv);\n"
    "}\n";

const char* kOwnMain300es =
    "#version 300 es\n"
    "precision highp float;\n"
    "out vec4 colour;\n"
    "void main() { colour = vec4(gl_FragCoord.xy / iResolution.xy, 0.0, 1.0); }\n";

// Reads the prepared source as a driver does: #line sets the number of the
// next line (to N from GLSL 3.30 and in ES, to N + 1 before) and its source
// string. Every line of source string 0 must be the author's line of that
// number; returns how many author lines were seen.
int ExpectAuthorNumbering(const std::string& inAuthor, const Prepared& inPrepared, const char* inWhat) {
  std::vector<std::string> theAuthor;
  size_t theAt = 0;
  while (theAt < inAuthor.size()) {
    size_t theEnd = inAuthor.find('\n', theAt);
    if (theEnd == std::string::npos) theEnd = inAuthor.size();
    theAuthor.push_back(inAuthor.substr(theAt, theEnd - theAt));
    theAt = theEnd + 1;
  }
  const bool theNextIsN = inPrepared.effectiveEs || inPrepared.effectiveVersion >= 330;
  int theLine = 1;
  int theSource = 0;
  int theSeen = 0;
  theAt = 0;
  const std::string& theText = inPrepared.source;
  while (theAt < theText.size()) {
    size_t theEnd = theText.find('\n', theAt);
    if (theEnd == std::string::npos) theEnd = theText.size();
    const std::string theRow = theText.substr(theAt, theEnd - theAt);
    theAt = theEnd + 1;
    if (theRow.compare(0, 6, "#line ") == 0) {
      char* theRest = nullptr;
      const long theNumber = std::strtol(theRow.c_str() + 6, &theRest, 10);
      theSource = static_cast<int>(std::strtol(theRest, nullptr, 10));
      theLine = static_cast<int>(theNextIsN ? theNumber : theNumber + 1);
      continue;
    }
    const bool theAddedVersion = inPrepared.analysis.versionLine == 0 && theRow.compare(0, 9, "#version ") == 0;
    if (theSource == 0 && !theAddedVersion) {
      EXPECT_GE(theLine, 1) << inWhat << ": " << theRow;
      if (theLine >= 1 && theLine <= static_cast<int>(theAuthor.size()))
        EXPECT_EQ(theRow, theAuthor[theLine - 1]) << inWhat << ": line " << theLine << " is not the author's";
      else
        ADD_FAILURE() << inWhat << ": line " << theLine << " beyond the author's file: " << theRow;
      ++theSeen;
    }
    ++theLine;
  }
  return theSeen;
}

TEST(ShaderSource, AnalysisFindsVersionMainAndMainImage) {
  struct Case {
    const char* text;
    int version, versionLine;
    bool es, hasMain, hasMainImage;
  } theCases[] = {
      {kShadertoy, 0, 0, false, false, true},
      {kOwnMain300es, 300, 1, true, true, false},
      {"// comment\n/* more */\n#version 100\nvoid main() { gl_FragColor = vec4(1.0); }\n", 100, 3, true, true, false},
      {"#version 450 core\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n", 450, 1, false, true, false},
      {"#version 150\nvoid mainImage(out vec4 c, vec2 p) { c = vec4(1.0); }\n", 150, 1, false, false, true},
      // names in comments, strings of directives and function bodies do not count
      {"// void main() {}\nvoid f() { float mainImage = 1.0; }\nvoid main() {}\n", 0, 0, false, true, false},
  };
  for (const Case& theCase : theCases) {
    const shadersource::Analysis theAnalysis = shadersource::Analyse(theCase.text);
    EXPECT_EQ(theAnalysis.version, theCase.version) << theCase.text;
    EXPECT_EQ(theAnalysis.versionLine, theCase.versionLine) << theCase.text;
    EXPECT_EQ(theAnalysis.es, theCase.es) << theCase.text;
    EXPECT_EQ(theAnalysis.hasMain, theCase.hasMain) << theCase.text;
    EXPECT_EQ(theAnalysis.hasMainImage, theCase.hasMainImage) << theCase.text;
  }
}

TEST(ShaderSource, EveryAuthorLineKeepsItsNumber) {
  const char* theTexts[] = {
      kShadertoy,
      kOwnMain300es,
      "#version 100\nprecision mediump float;\nvoid main() { gl_FragColor = texture(iChannel0, vec2(0.5)); }\n",
      "#version 150\nout vec4 c;\nvoid main() { c = vec4(iTime); }",  // no final newline
      "void main() { gl_FragColor = vec4(iGlobalTime); }\n",            // GLSL 1.10, the old #line rule
      "#version 330\n#extension GL_ARB_shading_language_packing : enable\n"
      "#ifdef GL_OES_standard_derivatives\n#extension GL_OES_standard_derivatives : enable\n#endif\n"
      "out vec4 c;\nvoid main() { c = vec4(1.0); }\n",
      "#extension GL_OES_standard_derivatives : enable\nvoid mainImage(out vec4 c, vec2 p) { c = vec4(dFdx(p.x)); }\n",
  };
  for (const char* theText : theTexts) {
    const Prepared thePrepared = Prepare(theText);
    ASSERT_EQ(thePrepared.error, "") << theText;
    const int theSeen = ExpectAuthorNumbering(theText, thePrepared, theText);
    EXPECT_GT(theSeen, 0) << theText;
  }
}

TEST(ShaderSource, VersionAndMainAreAddedOnlyWhenMissing) {
  const Prepared theDialect = Prepare(kShadertoy);
  EXPECT_EQ(theDialect.source.compare(0, 13, "#version 330\n"), 0) << theDialect.source;
  EXPECT_NE(theDialect.source.find("mainImage(zorbitColor, gl_FragCoord.xy)"), std::string::npos);
  EXPECT_NE(theDialect.source.find("out vec4 zorbitFragColor;"), std::string::npos);
  EXPECT_NE(theDialect.source.find("#define texture2D texture\n"), std::string::npos);
  EXPECT_GT(theDialect.addedMainLine, 0);

  shadersource::Options theOlder;
  theOlder.dialectVersion = 130;
  EXPECT_EQ(Prepare(kShadertoy, theOlder).source.compare(0, 13, "#version 130\n"), 0);

  const Prepared theOwn = Prepare(kOwnMain300es);
  EXPECT_EQ(theOwn.source.compare(0, 16, "#version 300 es\n"), 0) << "the author's version line stays first";
  EXPECT_EQ(theOwn.source.find("void main() {\n  vec4 zorbitColor"), std::string::npos) << "no second main";
  EXPECT_NE(theOwn.source.find("uniform highp vec3 iResolution;"), std::string::npos) << "ES inputs carry a precision";
  EXPECT_EQ(theOwn.addedMainLine, 0);

  const Prepared theEs2 = Prepare("#version 100\nprecision mediump float;\nvoid mainImage(out vec4 c, vec2 p) "
                                  "{ c = texture(iChannel1, p); }\n");
  EXPECT_NE(theEs2.source.find("gl_FragColor = zorbitColor;"), std::string::npos) << "ES 1 writes gl_FragColor";
  EXPECT_NE(theEs2.source.find("#define texture texture2D\n"), std::string::npos);
}

TEST(ShaderSource, InputsTheFileDeclaresAreNotAddedAgain) {
  const std::string theText =
      "#version 330\n"
      "uniform vec3 iResolution;\n"
      "uniform float iTime, iTimeDelta;\n"
      "uniform highp float iChannelTime[4];\n"
      "#define iFrame 7\n"
      "out vec4 c;\n"
      "float iMouse(float x) { return x; }\n"
      "void main() { float iDate = 1.0; c = vec4(iTime); }\n";
  const Prepared thePrepared = Prepare(theText);
  ASSERT_EQ(thePrepared.error, "");
  EXPECT_TRUE(thePrepared.warnings.empty()) << thePrepared.warnings.front();
  for (const char* theName : {"iResolution;", "iTime;", "iTimeDelta;", "iChannelTime[4];", "iFrame;", "iMouse;"})
    EXPECT_EQ(thePrepared.source.find(std::string("uniform float ") + theName), std::string::npos) << theName;
  const size_t theOwn = thePrepared.source.find("uniform vec3 iResolution;");
  EXPECT_EQ(thePrepared.source.find("uniform vec3 iResolution;", theOwn + 1), std::string::npos) << "declared twice";
  EXPECT_EQ(thePrepared.source.find("uniform int iFrame;"), std::string::npos) << "a #define declares it";
  EXPECT_NE(thePrepared.source.find("uniform vec4 iDate;"), std::string::npos) << "a local does not declare it";
  EXPECT_NE(thePrepared.source.find("uniform float iParam[20];"), std::string::npos);
  EXPECT_NE(thePrepared.source.find("uniform int iParamInt[20];"), std::string::npos);
}

TEST(ShaderSource, InputsOfAnotherTypeAreWarnedOf) {
  const Prepared thePrepared = Prepare(
      "uniform vec2 iResolution;\nuniform float iChannelTime[2];\nuniform float iTime;\n"
      "void mainImage(out vec4 c, vec2 p) { c = vec4(p / iResolution, 0.0, 1.0); }\n");
  ASSERT_EQ(thePrepared.warnings.size(), 2u);
  EXPECT_EQ(thePrepared.warnings[0].compare(0, 15, "1: iResolution "), 0) << thePrepared.warnings[0];
  EXPECT_NE(thePrepared.warnings[0].find("vec3"), std::string::npos) << thePrepared.warnings[0];
  EXPECT_EQ(thePrepared.warnings[1].compare(0, 16, "2: iChannelTime "), 0) << thePrepared.warnings[1];
}

TEST(ShaderSource, ExtensionsStayBeforeTheAddedDeclarations) {
  const std::string theText =
      "#version 330\n"
      "// derivatives\n"
      "#ifdef GL_ARB_gpu_shader5\n"
      "#extension GL_ARB_gpu_shader5 : enable\n"
      "#endif\n"
      "#define K 2\n"
      "out vec4 c;\n"
      "void main() { c = vec4(K); }\n";
  const Prepared thePrepared = Prepare(theText);
  EXPECT_EQ(thePrepared.insertAfterLine, 5) << "after the #endif of the group holding the extension";
  const size_t theExtension = thePrepared.source.find("#extension");
  const size_t theEndif = thePrepared.source.find("#endif");
  const size_t theInput = thePrepared.source.find("uniform vec3 iResolution;");
  EXPECT_LT(theExtension, theInput);
  EXPECT_LT(theEndif, theInput);
  EXPECT_EQ(Prepare("#version 330\nout vec4 c;\n#extension GL_X : enable\nvoid main() {}\n").insertAfterLine, 1)
      << "an extension after code is the author's error, not a place to insert";
}

TEST(ShaderSource, TextureFunctionsOfBothGenerationsWork) {
  // A Shadertoy file mixing both, and a file that names its own sampler "texture".
  const Prepared theMixed = Prepare(
      "void mainImage(out vec4 c, vec2 p) { c = texture2D(iChannel0, p) + texture(iChannel1, p) + "
      "textureCube(iChannel2, p.xyx); }\n");
  EXPECT_NE(theMixed.source.find("#define texture2D texture\n"), std::string::npos);
  EXPECT_NE(theMixed.source.find("#define textureCube texture\n"), std::string::npos);
  EXPECT_EQ(theMixed.source.find("#define texture texture2D"), std::string::npos);
  const Prepared theOwnSampler =
      Prepare("uniform sampler2D texture;\nvoid main() { gl_FragColor = texture2D(texture, vec2(0.5)); }\n");
  EXPECT_EQ(theOwnSampler.source.find("#define texture "), std::string::npos) << theOwnSampler.source;
}

TEST(ShaderSource, CommentsBindUniformsToValues) {
  const shadersource::Analysis theAnalysis = shadersource::Analyse(
      "uniform float speed;   // iParam[3]: rings per second\n"
      "uniform highp int count; // the number, iParamInt[19]\n"
      "uniform float nothing; // iParam[20] is beyond the values\n"
      "float local; // iParam[1], not a uniform\n"
      "// uniform float commented; // iParam[2]\n"
      "void mainImage(out vec4 c, vec2 p) { c = vec4(speed * float(count)); }\n");
  ASSERT_EQ(theAnalysis.valueNames.size(), 2u);
  EXPECT_EQ(theAnalysis.valueNames[0].name, "speed");
  EXPECT_EQ(theAnalysis.valueNames[0].index, 3);
  EXPECT_FALSE(theAnalysis.valueNames[0].asInt);
  EXPECT_EQ(theAnalysis.valueNames[1].name, "count");
  EXPECT_EQ(theAnalysis.valueNames[1].type, "int");
  EXPECT_EQ(theAnalysis.valueNames[1].index, 19);
  EXPECT_TRUE(theAnalysis.valueNames[1].asInt);
  EXPECT_EQ(theAnalysis.valueNames[1].line, 2);
}

TEST(ShaderSource, UnusableFilesAreRefused) {
  struct Case {
    std::string text;
    const char* error;
  } theCases[] = {
      {"", "is empty"},
      {"  \n\t\n", "is empty"},
      {std::string("void main() {}\n\0\x01\x02", 18), "is not a text file (it holds a NUL byte)"},
      {std::string(shadersource::kMaxFileBytes + 1, ' '), "is larger than 1 MiB"},
      {"float f(float x) { return x; }\n", "defines neither main nor mainImage"},
      {"\x89PNG\r\n\x1a\n garbage {{{ ((( ", "defines neither main nor mainImage"},
  };
  for (const Case& theCase : theCases) {
    const Prepared thePrepared = Prepare(theCase.text);
    EXPECT_EQ(thePrepared.error, theCase.error) << theCase.text.substr(0, 40);
    EXPECT_TRUE(thePrepared.source.empty());
  }
}

TEST(ShaderSource, HostileTextsNeitherCrashNorHang) {
  const char* theTexts[] = {"/* never closed", "#", "#version", "#version 99999999999999999999 es\n",
                            "}}}}}} void main() {", "#define\\\n\\\n", "void mainImage(((((", "[[[[]]]];;;;",
                            "#line 99999999999 7\nvoid main(){}", "\"void main() {}\""};
  for (const char* theText : theTexts) {
    const Prepared thePrepared = Prepare(theText);
    if (thePrepared.error.empty()) ExpectAuthorNumbering(theText, thePrepared, theText);
  }
}

TEST(ShaderSource, LogLinesBecomeTheAuthorsLines) {
  const Prepared thePrepared = Prepare(kShadertoy);
  struct Case {
    const char* log;
    const char* mapped;
  } theCases[] = {
      {"0:17(5): error: `foo' undeclared\n", "tunnel.glsl:17:5: error: `foo' undeclared\n"},
      {"0:3(12): warning: unused\n0:4(1): error: bad\n",
       "tunnel.glsl:3:12: warning: unused\ntunnel.glsl:4:1: error: bad\n"},
      {"ERROR: 0:17: 'foo' : undeclared identifier\n", "tunnel.glsl:17: error: 'foo' : undeclared identifier\n"},
      {"WARNING: 0:2: extension not supported\n", "tunnel.glsl:2: warning: extension not supported\n"},
      {"0(17) : error C1008: undefined variable \"foo\"\n", "tunnel.glsl:17: error C1008: undefined variable \"foo\"\n"},
      {"0:9: error: x\r\n\r\n", "tunnel.glsl:9: error: x\n"},
      {"1:2(3): error: redefinition\n", "tunnel.glsl:1: error: redefinition (in the inputs the player adds)\n"},
      {"link failed: no main\n", "tunnel.glsl: link failed: no main\n"},
  };
  for (const Case& theCase : theCases)
    EXPECT_EQ(shadersource::MapLog(theCase.log, "tunnel.glsl", thePrepared), theCase.mapped) << theCase.log;
  const std::string theInMain = "1:" + std::to_string(thePrepared.addedMainLine + 2) + "(3): error: no function\n";
  EXPECT_EQ(shadersource::MapLog(theInMain, "tunnel.glsl", thePrepared),
            "tunnel.glsl:2: error: no function (in the main the player adds)\n")
      << "points at mainImage";
}

}  // namespace
