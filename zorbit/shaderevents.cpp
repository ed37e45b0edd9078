#include "shaderevents.h"

#include <cstring>

#include <zorbit/codepage.h>
#include "paramanim.h"

namespace {

// "fonts.so" -> "fonts": the name without folders and everything from its first '.'.
std::string Stem(const char* inFileName) {
  const char* theSlash = std::strrchr(inFileName, '/');
  std::string theName = theSlash ? theSlash + 1 : inFileName;
  return theName.substr(0, theName.find('.'));
}

std::string TextName(const NameTable& inNames, int32_t inIndex) {
  const char* theText = GetNameFrom(inNames, inIndex);
  if (!theText) return "text " + std::to_string(inIndex) + ", which does not exist";
  return "\"" + codepage::ForTerminal(theText) + "\" (text " + std::to_string(inIndex) + ")";
}

std::string Sampling(int32_t inBits) {
  std::string theText = inBits & SAMPLING_NEAREST ? "nearest" : "linear";
  if (inBits & SAMPLING_MIPMAPS) theText += " with mipmaps";
  theText += inBits & SAMPLING_REPEAT ? ", repeated" : ", clamped";
  if (inBits & SAMPLING_AS_STORED) theText += ", rows as stored";
  return theText;
}

const char* Output(int32_t inOutput) {
  switch (inOutput) {
    case 0: return "on the viewport";
    case 1: return "into its target only";
    case 2: return "on the viewport and into its target";
    default: return "an unknown output";
  }
}

const char* Blend(int32_t inBlend) {
  switch (inBlend) {
    case 0: return "replacing";
    case 1: return "alpha-blended";
    case 2: return "added";
    case 3: return "multiplied";
    default: return "an unknown blend";
  }
}

std::string Size(int32_t inWidth, int32_t inHeight) {
  std::string theWidth = inWidth == 0 ? "the viewport's width" : std::to_string(inWidth);
  std::string theHeight = inHeight == 0 ? "the viewport's height" : std::to_string(inHeight);
  if (inWidth == 0 && inHeight == 0) return "the viewport's size";
  return theWidth + " x " + theHeight;
}

}  // namespace

bool IsShaderEvent(const Event& inEvent) {
  if (!inEvent.functionName || !inEvent.libraryFileName || std::strcmp(inEvent.functionName, "Shader") != 0)
    return false;
  std::string theStem = Stem(inEvent.libraryFileName);
  return theStem == "shaders" || theStem == "shadersDBG";
}

ShaderEvent ReadShaderEvent(const Event& inEvent, uint32_t inTrack, uint32_t inIndex) {
  int32_t theValues[SHADER_VALUE0] = {};
  bool theConstant = true;
  EvaluateEventParams(inEvent.startTime, inEvent, theValues, SHADER_VALUE0, theConstant);
  // A parameter the event does not give is a constant 0.
  auto Moves = [&](uint32_t inIndex) {
    return inIndex < inEvent.paramCount && inEvent.paramKinds && inEvent.paramKinds[inIndex] != PARAM_CONST;
  };
  ShaderEvent theShader{};
  theShader.track = inTrack;
  theShader.event = inIndex;
  theShader.at = &inEvent;
  theShader.file = theValues[SHADER_FILE];
  theShader.target = theValues[SHADER_TARGET];
  theShader.output = theValues[SHADER_OUTPUT];
  theShader.width = theValues[SHADER_WIDTH];
  theShader.height = theValues[SHADER_HEIGHT];
  theShader.opacity = theValues[SHADER_OPACITY];
  theShader.blend = theValues[SHADER_BLEND];
  theShader.clock = theValues[SHADER_CLOCK];
  for (uint32_t theC = 0; theC < SHADER_CHANNEL_COUNT; ++theC) {
    const int32_t* theChannel = theValues + SHADER_CHANNEL0 + 3 * theC;
    theShader.channels[theC] = {theChannel[0], theChannel[1], theChannel[2]};
  }
  for (uint32_t theP = 0; theP < SHADER_VALUE0; ++theP)
    if (Moves(theP)) (theP == SHADER_OPACITY || theP == SHADER_BLEND ? theShader.opacityVaries : theShader.varies) = true;
  return theShader;
}

std::vector<ShaderEvent> FindShaderEvents(const Demo& inDemo) {
  std::vector<ShaderEvent> theFound;
  for (uint32_t theT = 0; theT < inDemo.trackCount; ++theT)
    for (uint32_t theE = 0; theE < inDemo.tracks[theT].eventCount; ++theE)
      if (IsShaderEvent(inDemo.tracks[theT].events[theE]))
        theFound.push_back(ReadShaderEvent(inDemo.tracks[theT].events[theE], theT, theE));
  return theFound;
}

std::string DescribeChannel(const ShaderChannel& inChannel, const NameTable& inNames) {
  switch (inChannel.source) {
    case SOURCE_NONE: return std::string();
    case SOURCE_TEXTURE: return "the texture " + TextName(inNames, inChannel.name) + ", " + Sampling(inChannel.sampling);
    case SOURCE_FRAME: return "the frame drawn so far by the higher tracks, " + Sampling(inChannel.sampling);
    case SOURCE_FEEDBACK: return "this event's own previous frame (feedback), " + Sampling(inChannel.sampling);
    case SOURCE_BUFFER:
      return "another Shader's target " + TextName(inNames, inChannel.name) + ", " + Sampling(inChannel.sampling);
    case SOURCE_MUSIC: return "the music (512 x 2: spectrum and waveform), " + Sampling(inChannel.sampling);
    default: return "source " + std::to_string(inChannel.source) + ", which the plug-in does not know";
  }
}

std::vector<std::string> DescribeShaderEvent(const ShaderEvent& inShader, const NameTable& inNames) {
  std::vector<std::string> theLines;
  std::string theWhere = Output(inShader.output);
  if (inShader.output == 0 || inShader.output == 2)
    theWhere += std::string(", ") + Blend(inShader.blend) + ", opacity " + std::to_string(inShader.opacity) +
                (inShader.opacityVaries ? " at its start, animated" : "");
  theLines.push_back("shader " + TextName(inNames, inShader.file) + ", " + theWhere);
  if (inShader.target >= 0 || inShader.output == 1 || inShader.output == 2)
    theLines.push_back("target " + (inShader.target >= 0 ? TextName(inNames, inShader.target) : "unnamed") + ", " +
                       Size(inShader.width, inShader.height));
  theLines.push_back(inShader.clock == 1 ? "iTime: the demo time" : "iTime: from the event's start");
  bool theAny = false;
  for (uint32_t theC = 0; theC < SHADER_CHANNEL_COUNT; ++theC) {
    const ShaderChannel& theSource = inShader.channels[theC];
    std::string theChannel = DescribeChannel(theSource, inNames);
    if (theSource.source == SOURCE_BUFFER && inShader.target >= 0 && theSource.name == inShader.target)
      theChannel = "its own target " + TextName(inNames, theSource.name) + " as of the previous frame, " +
                   Sampling(theSource.sampling);
    if (theChannel.empty()) continue;
    theLines.push_back("channel " + std::to_string(theC) + ": " + theChannel);
    theAny = true;
  }
  if (!theAny) theLines.push_back("channels: none");
  if (inShader.varies) theLines.push_back("note: file, target or channels move during the event; shown as at its start");
  return theLines;
}
