// The prepared sources of every dialect compiled by the real driver, and an
// error on the author's line 17 reported as line 17 whatever the dialect.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "glwindow.h"
#include "shadersource.h"

namespace {

const char* const kDialects[] = {"shadertoy_texture2d", "shadertoy_texture", "shadertoy_globaltime",
                                 "version100",          "version150",        "version300es",
                                 "version330",          "version450"};

std::string ReadDialect(const std::string& inName) {
  std::ifstream theFile(std::string(ZORBIT_TEST_DATA_DIR) + "/tests/dialects/" + inName + ".glsl");
  std::stringstream theText;
  theText << theFile.rdbuf();
  return theText.str();
}

// Compiles a fragment shader; the info log, empty when it compiled cleanly
// enough (outCompiled says whether it did).
std::string Compile(const std::string& inSource, bool& outCompiled) {
  const GLuint theShader = glCreateShader(GL_FRAGMENT_SHADER);
  const char* theText = inSource.c_str();
  glShaderSource(theShader, 1, &theText, nullptr);
  glCompileShader(theShader);
  GLint theStatus = 0;
  glGetShaderiv(theShader, GL_COMPILE_STATUS, &theStatus);
  outCompiled = theStatus == GL_TRUE;
  GLint theLength = 0;
  glGetShaderiv(theShader, GL_INFO_LOG_LENGTH, &theLength);
  std::vector<char> theLog(static_cast<size_t>(theLength) + 1, '\0');
  if (theLength > 0) glGetShaderInfoLog(theShader, theLength, nullptr, theLog.data());
  glDeleteShader(theShader);
  return theLog.data();
}

// The file with comment lines added after the opening brace of main (or
// mainImage) so that line 17 is a use of an undeclared name.
std::string WithErrorOnLine17(const std::string& inText) {
  std::vector<std::string> theLines;
  std::stringstream theStream(inText);
  for (std::string theLine; std::getline(theStream, theLine);) theLines.push_back(theLine);
  size_t theBrace = 0;
  while (theBrace < theLines.size() && theLines[theBrace] != "{") ++theBrace;
  std::vector<std::string> theOut(theLines.begin(), theLines.begin() + theBrace + 1);
  while (theOut.size() < 16) theOut.push_back("    // padding");
  theOut.push_back("    float broken = notDeclaredAnywhere;");
  theOut.insert(theOut.end(), theLines.begin() + theBrace + 1, theLines.end());
  std::string theText;
  for (const std::string& theLine : theOut) theText += theLine + "\n";
  return theText;
}

TEST(ShaderSourceDriver, EveryDialectCompiles) {
  ASSERT_TRUE(EnsureGLWindow(64, 64));
  for (const char* theName : kDialects) {
    const std::string theText = ReadDialect(theName);
    ASSERT_FALSE(theText.empty()) << theName;
    const shadersource::Prepared thePrepared = shadersource::Prepare(theText);
    ASSERT_EQ(thePrepared.error, "") << theName;
    bool theCompiled = false;
    const std::string theLog = Compile(thePrepared.source, theCompiled);
    EXPECT_TRUE(theCompiled) << theName << ":\n" << shadersource::MapLog(theLog, theName, thePrepared) << "\n"
                             << thePrepared.source;
  }
}

TEST(ShaderSourceDriver, AnErrorOnLine17IsReportedAsLine17) {
  ASSERT_TRUE(EnsureGLWindow(64, 64));
  for (const char* theName : kDialects) {
    const std::string theText = WithErrorOnLine17(ReadDialect(theName));
    const shadersource::Prepared thePrepared = shadersource::Prepare(theText);
    ASSERT_EQ(thePrepared.error, "") << theName;
    bool theCompiled = true;
    const std::string theLog = Compile(thePrepared.source, theCompiled);
    EXPECT_FALSE(theCompiled) << theName;
    const std::string theFile = std::string(theName) + ".glsl";
    const std::string theMapped = shadersource::MapLog(theLog, theFile, thePrepared);
    EXPECT_EQ(theMapped.compare(0, theFile.size() + 4, theFile + ":17:"), 0)
        << theName << ": the first message is not about line 17:\n" << theMapped;
    EXPECT_NE(theMapped.find("notDeclaredAnywhere"), std::string::npos) << theMapped;
  }
}

}  // namespace
