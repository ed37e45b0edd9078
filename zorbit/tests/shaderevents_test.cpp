// Shader events as zorbit-info and zorbit-check read them.
#include "shaderevents.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "testdemo.h"

namespace {

std::string Const(int inValue) { return "<param type=\"const\" val=\"" + std::to_string(inValue) + "\"/>"; }

// A document with the texts given and one track of one event of inLibrary's
// inFunction with the given params.
std::string ShaderDocument(const std::string& inParams, const char* inLibrary = "shaders.so",
                           const char* inFunction = "Shader") {
  return std::string("<Demo>") + kSettings +
         "<Texts><Text>a.frag</Text><Text>bufA</Text><Text>sky.jpg</Text></Texts>"
         "<Track><Event LibraryFileName=\"" + inLibrary + "\" FunctionName=\"" + inFunction +
         "\" StartTime=\"100\" EndTime=\"900\">" + inParams + "</Event></Track></Demo>";
}

std::string Joined(const std::vector<std::string>& inLines) {
  std::string theText;
  for (const std::string& theLine : inLines) theText += theLine + "\n";
  return theText;
}

TEST(ShaderEvents, OnlyTheShaderFunctionOfTheShadersPluginCounts) {
  struct Case {
    const char* library;
    const char* function;
    bool expected;
  } const kCases[] = {
      {"shaders.so", "Shader", true},        {"shadersDBG.so", "Shader", true},
      {"../plugins/shaders.so", "Shader", true}, {"shaders.dll", "Shader", true},
      {"shader.so", "Shader", false},        {"shaders.so", "Shaders", false},
      {"myshaders.so", "Shader", false},     {"shaders.so", "shader", false},
  };
  for (const Case& theCase : kCases) {
    LoadedDemo theDemo(ShaderDocument(Const(0), theCase.library, theCase.function));
    ASSERT_EQ("", theDemo.failure);
    EXPECT_EQ(theCase.expected, IsShaderEvent(theDemo.EventAt(0, 0))) << theCase.library << " " << theCase.function;
    EXPECT_EQ(theCase.expected ? 1u : 0u, FindShaderEvents(theDemo.demo).size()) << theCase.library;
  }
}

TEST(ShaderEvents, ParametersAreReadAtTheEventsStartAndMissingOnesAreZero) {
  // file 0, target 1, output 2, 64 x 32; channel 0 the texture "sky.jpg"
  // (nearest, repeat), channel 1 the buffer "bufA"; the file number ramps.
  std::string theParams = "<param start=\"0\" end=\"5\"/>" + Const(1) + Const(2) + Const(64) + Const(32) +
                          Const(200) + Const(1) + Const(1) + Const(1) + Const(2) + Const(5) + Const(4) + Const(1);
  LoadedDemo theDemo(ShaderDocument(theParams));
  ASSERT_EQ("", theDemo.failure);
  auto theShaders = FindShaderEvents(theDemo.demo);
  ASSERT_EQ(1u, theShaders.size());
  const ShaderEvent& theShader = theShaders[0];
  EXPECT_EQ(0, theShader.file) << "the ramp is read at the event's start";
  EXPECT_TRUE(theShader.varies);
  EXPECT_FALSE(theShader.opacityVaries);
  EXPECT_EQ(1, theShader.target);
  EXPECT_EQ(2, theShader.output);
  EXPECT_EQ(64, theShader.width);
  EXPECT_EQ(32, theShader.height);
  EXPECT_EQ(200, theShader.opacity);
  EXPECT_EQ(1, theShader.blend);
  EXPECT_EQ(1, theShader.clock);
  EXPECT_EQ(SOURCE_TEXTURE, theShader.channels[0].source);
  EXPECT_EQ(2, theShader.channels[0].name);
  EXPECT_EQ(SAMPLING_NEAREST | SAMPLING_REPEAT, theShader.channels[0].sampling);
  EXPECT_EQ(SOURCE_BUFFER, theShader.channels[1].source);
  EXPECT_EQ(1, theShader.channels[1].name);
  EXPECT_EQ(0, theShader.channels[1].sampling) << "a parameter the event does not give is 0";
  EXPECT_EQ(SOURCE_NONE, theShader.channels[3].source);
}

TEST(ShaderEvents, DescriptionNamesTheFileTheTargetAndEveryChannelInWords) {
  // Channels: 0 the frame so far, 1 its own target, 2 the music, 3 an unknown source.
  std::string theParams = Const(0) + Const(1) + Const(2) + Const(0) + Const(0) + Const(255) + Const(2) + Const(0) +
                          Const(2) + Const(-1) + Const(1) + Const(4) + Const(1) + Const(0) + Const(5) + Const(0) +
                          Const(0) + Const(9) + Const(0) + Const(0);
  LoadedDemo theDemo(ShaderDocument(theParams));
  ASSERT_EQ("", theDemo.failure);
  std::string theText = Joined(DescribeShaderEvent(FindShaderEvents(theDemo.demo).at(0), theDemo.names));
  for (const char* theLine : {
           "shader \"a.frag\" (text 0), on the viewport and into its target, added, opacity 255\n",
           "target \"bufA\" (text 1), the viewport's size\n",
           "iTime: from the event's start\n",
           "channel 0: the frame drawn so far by the higher tracks, nearest, clamped\n",
           "channel 1: its own target \"bufA\" (text 1) as of the previous frame, linear, clamped\n",
           "channel 2: the music (512 x 2: spectrum and waveform), linear, clamped\n",
           "channel 3: source 9, which the plug-in does not know\n"})
    EXPECT_NE(std::string::npos, theText.find(theLine)) << "missing: " << theLine << "in:\n" << theText;
  EXPECT_EQ(std::string::npos, theText.find("note:")) << "every parameter is constant:\n" << theText;
}

TEST(ShaderEvents, NamesThatDoNotExistAreSaidSo) {
  std::string theParams = Const(7) + Const(-1) + Const(0) + Const(0) + Const(0) + Const(255) + Const(0) + Const(0) +
                          Const(4) + Const(12) + Const(2 | 8);
  LoadedDemo theDemo(ShaderDocument(theParams));
  ASSERT_EQ("", theDemo.failure);
  std::string theText = Joined(DescribeShaderEvent(FindShaderEvents(theDemo.demo).at(0), theDemo.names));
  EXPECT_NE(std::string::npos, theText.find("shader text 7, which does not exist, on the viewport")) << theText;
  EXPECT_NE(std::string::npos,
            theText.find("channel 0: another Shader's target text 12, which does not exist, linear with mipmaps, "
                         "clamped, rows as stored"))
      << theText;
  EXPECT_EQ(std::string::npos, theText.find("\ntarget")) << "an unnamed target on the viewport is not shown:\n"
                                                            << theText;
}

std::string RunInfo(const std::string& inDemo) {
  std::string theCommand = ZORBIT_BIN_DIR "/zorbit-info " + inDemo + " 2>/dev/null";
  FILE* thePipe = popen(theCommand.c_str(), "r");
  EXPECT_NE(nullptr, thePipe);
  if (!thePipe) return std::string();
  std::string theOutput;
  char theChunk[4096];
  size_t theRead;
  while ((theRead = fread(theChunk, 1, sizeof theChunk, thePipe)) > 0) theOutput.append(theChunk, theRead);
  EXPECT_EQ(0, pclose(thePipe)) << theOutput;
  return theOutput;
}

TEST(ShaderEvents, ZorbitInfoShowsTheShowcasesFadingShadersAndTheMusic) {
  const std::string theOutput = RunInfo(ZORBIT_SOURCE_DIR "/demos/showcase/showcase.xml");
  for (const char* theLine : {
           "      shader \"beatsky.frag\" (text 38), on the viewport, alpha-blended, opacity 0 at its start, animated\n",
           "      channel 0: the music (512 x 2: spectrum and waveform), linear, clamped\n",
           "      channel 0: the frame drawn so far by the higher tracks, linear with mipmaps, clamped\n"})
    EXPECT_NE(std::string::npos, theOutput.find(theLine)) << "missing: " << theLine;
  EXPECT_EQ(std::string::npos, theOutput.find("note: file, target or channels move")) << "only the opacities move";
}

TEST(ShaderEvents, ZorbitInfoShowsTheDemosShaderEvents) {
  const std::string theOutput = RunInfo(ZORBIT_SOURCE_DIR "/demos/shaders/shaders.xml");
  for (const char* theLine : {
           "      shader \"tunnel.frag\" (text 1), on the viewport, replacing, opacity 255\n",
           "      channel 0: this event's own previous frame (feedback), linear, clamped\n",
           "      shader \"trail.frag\" (text 4), into its target only\n",
           "      target \"trail\" (text 8), the viewport's size\n",
           "      channel 0: another Shader's target \"blobs\" (text 7), linear, clamped\n",
           "      channel 1: its own target \"trail\" (text 8) as of the previous frame, linear, clamped\n",
           "      channel 0: the frame drawn so far by the higher tracks, nearest, clamped\n"})
    EXPECT_NE(std::string::npos, theOutput.find(theLine)) << "missing: " << theLine;
}

}  // namespace
