// shaders.so: the effect Shader and the TXTR resources of its targets.
//
// A Shader event reads its file at PHASE_MAKE and keeps the program until
// PHASE_DESTROY. In edit mode (the player sets ZORBIT_EDIT) each event also
// looks at its file's time stamp every frame and builds the program again
// after a save: a failed build keeps the last good program drawing and shows
// the driver's messages over the picture. A named target lives from the
// first event that draws it to Zorbit_Quit, so its record stays where its
// TXTR users hold it.
#include "shaders.h"

#include <GL/glew.h>
#include <SDL/SDL.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <set>
#include <string>

#include <zorbit/codepage.h>
#include <zorbit/oglstate.h>
#include <zorbit/zorbitplugin.h>

#include "shaderclock.h"
#include "shadernotice.h"
#include "shaderprogram.h"
#include "shadersource.h"
#include "shadertextures.h"

namespace {

using namespace shaderparam;

// What an edit-mode save changes: a new file has another stamp.
struct FileStamp {
  bool exists = false;
  int64_t seconds = 0, nanoseconds = 0, size = 0, inode = 0;
  bool operator!=(const FileStamp& inOther) const {
    return exists != inOther.exists || seconds != inOther.seconds || nanoseconds != inOther.nanoseconds ||
           size != inOther.size || inode != inOther.inode;
  }
};

FileStamp StampOf(const std::string& inPath) {
  FileStamp theStamp;
  struct stat theInfo;
  if (stat(inPath.c_str(), &theInfo) != 0) return theStamp;
  theStamp.exists = true;
  theStamp.seconds = int64_t(theInfo.st_mtim.tv_sec);
  theStamp.nanoseconds = int64_t(theInfo.st_mtim.tv_nsec);
  theStamp.size = int64_t(theInfo.st_size);
  theStamp.inode = int64_t(theInfo.st_ino);
  return theStamp;
}

struct ShaderState;

// A target by name, with the event that draws it this run.
struct NamedTarget {
  Target target;
  ShaderState* writer = nullptr;
  std::set<std::string> reads;  // buffers its writer read in its last pass
};

// The TXTR texture a channel holds until its next frame, as DrawGrid does.
struct HeldTexture {
  int32_t name = -1;
  void* record = nullptr;
};

struct ShaderState {
  std::string fileName;  // as the demo's text has it
  std::string path;      // the same in UTF-8, for stat
  ShaderProgram program;
  FileStamp stamp;
  std::string problem;  // edit mode: the failed save's messages, shown until a good save
  bool failed = false;  // nothing to draw with
  shaderclock::EventClock clock;
  std::string targetName;
  std::unique_ptr<Target> ownTarget;  // feedback or a composite, without a name
  HeldTexture held[4];
  std::string warned[4];  // the last warning of each channel, given once per change
  std::string warnedPass;
};

// The plug-in's run: everything from Zorbit_Init to Zorbit_Quit.
struct Plugin {
  zorbit::Host host;
  bool editMode = false;
  std::time_t startDate = 0;
  bool kitTried = false;
  bool kitReady = false;
  ShaderKit kit;
  std::map<std::string, NamedTarget> targets;
  std::map<std::string, ImageCopy> images;  // by name and orientation
  std::map<std::string, MusicTextures> music;
  zorbit::EventStates<ShaderState> events;
  ShaderNotice notice;
};
Plugin* gPlugin = nullptr;

const char* Text(int32_t inIndex) { return gPlugin->host.Text(inIndex); }

bool EnsureKit() {
  Plugin& thePlugin = *gPlugin;
  if (thePlugin.kitTried) return thePlugin.kitReady;
  thePlugin.kitTried = true;
  if (glGetString(GL_VERSION) == nullptr) {
    thePlugin.host.Warn("Shader: no OpenGL context, shaders are not drawn\n");
    return false;
  }
  if (glCreateShader == nullptr) {
    glewExperimental = GL_TRUE;
    glewInit();
  }
  std::string theProblem;
  SavedGLState theSaved;
  thePlugin.kitReady = MakeKit(thePlugin.kit, theProblem);
  if (!thePlugin.kitReady) thePlugin.host.Warn("Shader: shaders are not drawn: %s\n", theProblem.c_str());
  return thePlugin.kitReady;
}

// ---------------------------------------------------------------------------
// The program

// The file's text, or false with what is wrong with it.
bool ReadShaderFile(const std::string& inName, std::string& outText, std::string& outProblem) {
  SDL_RWops* theStream = gPlugin->host.Open(inName.c_str());
  if (theStream == nullptr) {
    outProblem = "cannot be opened";
    return false;
  }
  const int theSize = SDL_RWseek(theStream, 0, RW_SEEK_END);
  SDL_RWseek(theStream, 0, RW_SEEK_SET);
  if (theSize < 0 || size_t(theSize) > shadersource::kMaxFileBytes) {
    gPlugin->host.Close(theStream);
    outProblem = theSize < 0 ? "cannot be read" : "is larger than 1 MiB";
    return false;
  }
  outText.assign(size_t(theSize), '\0');
  const int theRead = theSize > 0 ? SDL_RWread(theStream, &outText[0], 1, theSize) : 0;
  gPlugin->host.Close(theStream);
  if (theRead != theSize) {
    outProblem = "cannot be read";
    return false;
  }
  return true;
}

// Builds the event's program from its file. On failure the old program, if
// any, stays; the messages go to the log and, in edit mode, over the picture.
bool BuildFromFile(ShaderState& ioState) {
  Plugin& thePlugin = *gPlugin;
  std::string theText, theProblem;
  shadersource::Prepared thePrepared;
  if (ReadShaderFile(ioState.fileName, theText, theProblem)) {
    shadersource::Options theOptions;
    thePrepared = shadersource::Prepare(theText, theOptions);
    theProblem = thePrepared.error;
  }
  if (!theProblem.empty()) {
    thePlugin.host.Warn("Shader: the shader file %s %s\n", ioState.fileName.c_str(), theProblem.c_str());
    ioState.problem = ioState.fileName + ": " + theProblem;
    return false;
  }
  ShaderProgram theProgram;
  std::string theLog;
  std::vector<std::string> theWarnings;
  SavedGLState theSaved;
  if (!BuildProgram(thePrepared, ioState.fileName, theProgram, theLog, theWarnings)) {
    thePlugin.host.Warn("Shader: %s does not compile:\n%s", ioState.fileName.c_str(), theLog.c_str());
    ioState.problem = theLog;
    return false;
  }
  for (const std::string& theWarning : theWarnings) thePlugin.host.Warn("Shader: %s\n", theWarning.c_str());
  DeleteProgram(ioState.program);
  ioState.program = theProgram;
  ioState.problem.clear();
  ioState.failed = false;
  return true;
}

// Edit mode: a save of the file builds the program again, in place.
void FollowSaves(ShaderState& ioState) {
  const FileStamp theStamp = StampOf(ioState.path);
  if (!(theStamp != ioState.stamp)) return;
  ioState.stamp = theStamp;
  if (!theStamp.exists) return;  // between an editor's delete and its rename
  BuildFromFile(ioState);
}

// ---------------------------------------------------------------------------
// Targets

NamedTarget* FindTarget(const std::string& inName) {
  auto theFound = gPlugin->targets.find(inName);
  return theFound == gPlugin->targets.end() ? nullptr : &theFound->second;
}

// The picture this event draws into; null when it draws onto the viewport alone.
Target* PassTarget(ShaderState& ioState) {
  if (!ioState.targetName.empty()) {
    NamedTarget* theNamed = FindTarget(ioState.targetName);
    return theNamed != nullptr ? &theNamed->target : nullptr;
  }
  return ioState.ownTarget.get();
}

// ---------------------------------------------------------------------------
// Channels

struct ChannelBinding {
  GLuint texture = 0;
  int width = 0, height = 0;
  float time = 0.0f;
  int sampling = 0;
  const MusicRecord* music = nullptr;
  GLuint spectra = 0;
};

void WarnChannelOnce(ShaderState& ioState, int inChannel, const std::string& inWarning) {
  if (ioState.warned[inChannel] == inWarning) return;
  ioState.warned[inChannel] = inWarning;
  gPlugin->host.Warn("Shader: %s: channel %d %s\n", ioState.fileName.c_str(), inChannel, inWarning.c_str());
}

void Hold(ShaderState& ioState, int inChannel, int32_t inName, void* inRecord) {
  HeldTexture& theHeld = ioState.held[inChannel];
  if (theHeld.record != nullptr) gPlugin->host.Release(KIND_TXTR, theHeld.name, theHeld.record);
  theHeld.name = inName;
  theHeld.record = inRecord;
}

void FromTarget(Target& ioTarget, ChannelBinding& ioBinding) {
  ioBinding.texture = ioTarget.Front();
  ioBinding.width = ioTarget.width;
  ioBinding.height = ioTarget.height;
  if ((ioBinding.sampling & SAMPLE_MIPMAPS) != 0) EnsureMipmaps(ioTarget.Front(), ioTarget.serial, ioTarget.mipmapSerial);
}

// Does the buffer inName read, through the buffers it reads, the buffer
// inOwn? A buffer's reading of itself is its own feedback, not a cycle.
bool ReachesBack(const std::string& inName, const std::string& inOwn, std::set<std::string>& ioSeen) {
  if (!ioSeen.insert(inName).second) return false;
  const NamedTarget* theTarget = FindTarget(inName);
  if (theTarget == nullptr) return false;
  for (const std::string& theRead : theTarget->reads) {
    if (theRead == inName) continue;
    if (theRead == inOwn || ReachesBack(theRead, inOwn, ioSeen)) return true;
  }
  return false;
}

void BindTexture(ShaderState& ioState, int inChannel, int32_t inName, ChannelBinding& ioBinding, float inTime) {
  const char* theName = Text(inName);
  if (theName == nullptr) {
    WarnChannelOnce(ioState, inChannel, "has no texture name (text nr " + std::to_string(inName) + ")");
    return;
  }
  ioBinding.time = inTime;
  if (NamedTarget* theTarget = FindTarget(theName)) {
    FromTarget(theTarget->target, ioBinding);
    return;
  }
  bool theStatic = true;
  auto* theRecord = static_cast<TextureRecord*>(
      gPlugin->host.Use(KIND_TXTR, inName, nullptr, false, "Shader", "texture", &theStatic));
  Hold(ioState, inChannel, inName, theRecord);
  if (theRecord == nullptr || theRecord->texture == 0 || theRecord->width <= 0 || theRecord->height <= 0) return;
  const bool theAsStored = (ioBinding.sampling & SAMPLE_AS_STORED) != 0;
  ImageCopy& theCopy = gPlugin->images[std::string(theAsStored ? "stored:" : "turned:") + theName];
  UpdateImageCopy(gPlugin->kit, theCopy, *theRecord, theAsStored, theStatic);
  ioBinding.texture = theCopy.texture;
  ioBinding.width = theCopy.width;
  ioBinding.height = theCopy.height;
  if ((ioBinding.sampling & SAMPLE_MIPMAPS) != 0) EnsureMipmaps(theCopy.texture, theCopy.serial, theCopy.mipmapSerial);
}

void BindBuffer(ShaderState& ioState, int inChannel, int32_t inName, ChannelBinding& ioBinding, float inTime,
                std::set<std::string>& ioReads) {
  const char* theName = Text(inName);
  if (theName == nullptr) {
    WarnChannelOnce(ioState, inChannel, "has no buffer name (text nr " + std::to_string(inName) + ")");
    return;
  }
  NamedTarget* theTarget = FindTarget(theName);
  if (theTarget == nullptr || theTarget->writer == nullptr) {
    WarnChannelOnce(ioState, inChannel, std::string("reads the buffer ") + theName + ", which no Shader event draws");
    if (theTarget == nullptr) return;
  }
  ioReads.insert(theName);
  std::set<std::string> theSeen;
  if (!ioState.targetName.empty() && theName != ioState.targetName &&
      ReachesBack(theName, ioState.targetName, theSeen))
    WarnChannelOnce(ioState, inChannel, std::string("reads the buffer ") + theName + ", which reads " +
                                            ioState.targetName + " back: a cycle, each sees the other's previous frame");
  ioBinding.time = inTime;
  FromTarget(theTarget->target, ioBinding);
}

void BindMusic(ShaderState& ioState, int inChannel, int32_t inName, ChannelBinding& ioBinding) {
  bool theStatic = false;
  auto* theRecord = static_cast<const MusicRecord*>(
      gPlugin->host.Use(KIND_MUSC, inName, nullptr, false, "Shader", "music", &theStatic));
  if (theRecord == nullptr) return;
  const char* theName = Text(inName);
  MusicTextures& theMusic = gPlugin->music[theName != nullptr ? theName : ""];
  UpdateMusic(theMusic, *theRecord);
  ioBinding.texture = theMusic.levels;
  ioBinding.spectra = theMusic.spectra;
  ioBinding.width = 512;
  ioBinding.height = 2;
  ioBinding.time = float(theRecord->time) / 1000.0f;
  ioBinding.music = theRecord;
  if ((ioBinding.sampling & SAMPLE_MIPMAPS) != 0) EnsureMipmaps(theMusic.levels, theMusic.uploads, theMusic.mipmapSerial);
  (void)ioState;
  (void)inChannel;
}

ChannelBinding BindChannel(ShaderState& ioState, int inChannel, const int32_t* p, float inTime, const int inViewport[4],
                           GLuint inScreen, std::set<std::string>& ioReads) {
  const int32_t theSource = p[kChannels + 3 * inChannel];
  const int32_t theName = p[kChannels + 3 * inChannel + 1];
  ChannelBinding theBinding;
  theBinding.sampling = p[kChannels + 3 * inChannel + 2] & 15;
  if (theSource != SOURCE_TEXTURE) Hold(ioState, inChannel, -1, nullptr);
  switch (theSource) {
    case SOURCE_NONE:
      break;
    case SOURCE_TEXTURE:
      BindTexture(ioState, inChannel, theName, theBinding, inTime);
      break;
    case SOURCE_FRAME: {
      ShaderKit& theKit = gPlugin->kit;
      glBindFramebuffer(GL_READ_FRAMEBUFFER, inScreen);
      CopyFrame(theKit, inViewport[0], inViewport[1], inViewport[2], inViewport[3]);
      theBinding.texture = theKit.frameTexture;
      theBinding.width = theKit.frameWidth;
      theBinding.height = theKit.frameHeight;
      theBinding.time = inTime;
      if ((theBinding.sampling & SAMPLE_MIPMAPS) != 0)
        EnsureMipmaps(theKit.frameTexture, theKit.frameSerial, theKit.frameMipmapSerial);
      break;
    }
    case SOURCE_FEEDBACK:
      if (Target* theOwn = PassTarget(ioState)) {
        theBinding.time = inTime;
        FromTarget(*theOwn, theBinding);
        if (!ioState.targetName.empty()) ioReads.insert(ioState.targetName);
      }
      break;
    case SOURCE_BUFFER:
      BindBuffer(ioState, inChannel, theName, theBinding, inTime, ioReads);
      break;
    case SOURCE_MUSIC:
      BindMusic(ioState, inChannel, theName, theBinding);
      break;
    default:
      WarnChannelOnce(ioState, inChannel, "has the unknown source " + std::to_string(theSource) + "; it reads black");
      break;
  }
  return theBinding;
}

// ---------------------------------------------------------------------------
// The pass

bool NeedsOwnTarget(const int32_t* p) {
  for (int c = 0; c < 4; ++c)
    if (p[kChannels + 3 * c] == SOURCE_FEEDBACK) return true;
  const int32_t theOpacity = p[kOpacity];
  return (p[kBlend] == BLEND_ALPHA || p[kBlend] == BLEND_MULTIPLY) && theOpacity < 255;
}

// Blending onto the viewport: the factors for the shader's own colour
// (inDirect) or for the copy of its picture, whose mode applies the opacity.
CopyMode SetBlend(int32_t inBlend, float inOpacity, bool inDirect) {
  glBlendColor(0, 0, 0, inOpacity);
  glEnable(GL_BLEND);
  switch (inBlend) {
    case BLEND_ALPHA:
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      return COPY_ALPHA;
    case BLEND_ADD:
      if (inDirect) glBlendFunc(GL_CONSTANT_ALPHA, GL_ONE);
      else glBlendFunc(GL_ONE, GL_ONE);
      return COPY_SCALED;
    case BLEND_MULTIPLY:
      glBlendFunc(GL_DST_COLOR, GL_ZERO);
      return COPY_MULTIPLY;
    default:
      if (inOpacity >= 1.0f) glDisable(GL_BLEND);
      else glBlendFunc(GL_CONSTANT_ALPHA, GL_ONE_MINUS_CONSTANT_ALPHA);
      return COPY_PLAIN;
  }
}

struct PassInputs {
  shaderclock::Frame frame;
  shaderclock::Date date;
  float resolution[3];
  float origin[2];
  ChannelBinding channels[4];
  const int32_t* values;
};

void SetInputs(const ShaderProgram& inProgram, const PassInputs& inPass) {
  const ProgramInputs& inAt = inProgram.inputs;
  glUniform3fv(inAt.resolution, 1, inPass.resolution);
  glUniform2fv(inAt.origin, 1, inPass.origin);
  glUniform1f(inAt.time, inPass.frame.time);
  glUniform1f(inAt.globalTime, inPass.frame.time);
  glUniform1f(inAt.timeDelta, inPass.frame.timeDelta);
  glUniform1f(inAt.frameRate, inPass.frame.frameRate);
  glUniform1i(inAt.frame, inPass.frame.frame);
  glUniform4f(inAt.mouse, 0, 0, 0, 0);
  glUniform4f(inAt.date, inPass.date.year, inPass.date.month, inPass.date.day, inPass.date.seconds);
  float theTimes[4], theSizes[12];
  float theSampleRate = 44100.0f;
  GLuint theSpectra = 0;
  for (int c = 0; c < 4; ++c) {
    const ChannelBinding& theChannel = inPass.channels[c];
    theTimes[c] = theChannel.time;
    theSizes[3 * c] = float(theChannel.width);
    theSizes[3 * c + 1] = float(theChannel.height);
    theSizes[3 * c + 2] = theChannel.texture != 0 ? 1.0f : 0.0f;
    if (theChannel.music != nullptr && theSpectra == 0) {
      theSpectra = theChannel.spectra;
      theSampleRate = float(theChannel.music->sampleRate);
    }
    glActiveTexture(GLenum(GL_TEXTURE0 + c));
    glBindTexture(GL_TEXTURE_2D, theChannel.texture);
    glBindSampler(GLuint(c), gPlugin->kit.samplers[theChannel.sampling & 15]);
    glUniform1i(inAt.channel[c], c);
  }
  glActiveTexture(GL_TEXTURE4);
  glBindTexture(GL_TEXTURE_2D, theSpectra);
  glBindSampler(4, gPlugin->kit.samplers[SAMPLE_NEAREST]);
  glUniform1i(inAt.spectrum, 4);
  glUniform1fv(inAt.channelTime, 4, theTimes);
  glUniform3fv(inAt.channelResolution, 4, theSizes);
  glUniform1f(inAt.sampleRate, theSampleRate);
  float theParams[kValueCount];
  GLint theInts[kValueCount];
  for (int i = 0; i < kValueCount; ++i) {
    theInts[i] = inPass.values[kValues + i];
    theParams[i] = float(double(theInts[i]) / 1000.0);
  }
  glUniform1fv(inAt.param, kValueCount, theParams);
  glUniform1iv(inAt.paramInt, kValueCount, theInts);
  for (const NamedValue& theNamed : inProgram.named) {
    const int32_t theValue = theInts[theNamed.index];
    if (theNamed.intUniform) glUniform1i(theNamed.location, theNamed.asInt ? theValue : GLint(theValue / 1000));
    else glUniform1f(theNamed.location, theNamed.asInt ? float(theValue) : theParams[theNamed.index]);
  }
}

// The viewport in OpenGL's window pixels (bottom-left origin), from the
// tracker when the host gives one.
void ViewportOf(int outViewport[4]) {
  if (GetCurrentState() != nullptr) {
    int theX = 0, theY = 0;
    unsigned theWidth = 0, theHeight = 0;
    GetViewport(theX, theY, theWidth, theHeight);
    const int theWindowHeight = int(GetCurrentState()->mHeight);
    outViewport[0] = theX;
    outViewport[1] = theWindowHeight - theY - int(theHeight);
    outViewport[2] = int(theWidth);
    outViewport[3] = int(theHeight);
    return;
  }
  glGetIntegerv(GL_VIEWPORT, outViewport);
}

void WarnPassOnce(ShaderState& ioState, const std::string& inWarning) {
  if (ioState.warnedPass == inWarning) return;
  ioState.warnedPass = inWarning;
  gPlugin->host.Warn("Shader: %s: %s\n", ioState.fileName.c_str(), inWarning.c_str());
}

// Sizes the event's target; false (warned) when it cannot have one.
bool SizeTarget(ShaderState& ioState, Target& ioTarget, const int32_t* p, const int inViewport[4]) {
  const int32_t theWidth = p[kWidth] == 0 ? inViewport[2] : p[kWidth];
  const int32_t theHeight = p[kHeight] == 0 ? inViewport[3] : p[kHeight];
  GLint theLimit = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &theLimit);
  if (theWidth <= 0 || theHeight <= 0 || theWidth > theLimit || theHeight > theLimit) {
    WarnPassOnce(ioState, "the target of " + std::to_string(theWidth) + " x " + std::to_string(theHeight) +
                              " pixels cannot be drawn (1 to " + std::to_string(theLimit) + " on each side)");
    return false;
  }
  SetTargetSize(gPlugin->kit, ioTarget, theWidth, theHeight);
  return true;
}

bool RunPass(FrameInfo* ioInfo, ShaderState& ioState, const int32_t* p) {
  Plugin& thePlugin = *gPlugin;
  int theViewport[4];
  ViewportOf(theViewport);
  if (theViewport[2] <= 0 || theViewport[3] <= 0) return false;
  // Targets and copies of channels bind framebuffers of their own; the pass
  // comes back to this one.
  GLint theScreen = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &theScreen);
  const int32_t theOutput = p[kOutput];
  Target* theTarget = PassTarget(ioState);
  if (theOutput != OUTPUT_VIEWPORT && ioState.targetName.empty()) {
    WarnPassOnce(ioState, "output " + std::to_string(theOutput) + " needs a target name; drawing onto the viewport");
  }
  if (theTarget == nullptr && NeedsOwnTarget(p)) {
    ioState.ownTarget = std::make_unique<Target>();
    theTarget = ioState.ownTarget.get();
  }
  if (theTarget != nullptr && !SizeTarget(ioState, *theTarget, p, theViewport)) return false;
  const bool theIntoTarget = theTarget != nullptr;
  const bool theOntoViewport = !theIntoTarget || theOutput != OUTPUT_TARGET || ioState.targetName.empty();

  PassInputs thePass;
  thePass.values = p;
  const uint32_t theDemoMs = ioInfo->startTime + uint32_t(ioInfo->elapsed);
  thePass.frame = ioState.clock.Advance(ioInfo->elapsed, theDemoMs, p[kClock] == 1);
  thePass.date = shaderclock::DateAt(thePlugin.startDate, theDemoMs);
  std::set<std::string> theReads;
  for (int c = 0; c < 4; ++c)
    thePass.channels[c] = BindChannel(ioState, c, p, thePass.frame.time, theViewport, GLuint(theScreen), theReads);
  glBindFramebuffer(GL_FRAMEBUFFER, GLuint(theScreen));
  if (!ioState.targetName.empty())
    if (NamedTarget* theNamed = FindTarget(ioState.targetName)) theNamed->reads = theReads;

  const float theOpacity = float(p[kOpacity] < 0 ? 0 : p[kOpacity] > 255 ? 255 : p[kOpacity]) / 255.0f;
  if (theIntoTarget) {
    BeginPass(*theTarget);
    glViewport(0, 0, theTarget->width, theTarget->height);
    glDisable(GL_BLEND);
    thePass.resolution[0] = float(theTarget->width);
    thePass.resolution[1] = float(theTarget->height);
    thePass.origin[0] = thePass.origin[1] = 0.0f;
  } else {
    glViewport(theViewport[0], theViewport[1], theViewport[2], theViewport[3]);
    SetBlend(p[kBlend], theOpacity, true);
    thePass.resolution[0] = float(theViewport[2]);
    thePass.resolution[1] = float(theViewport[3]);
    thePass.origin[0] = float(theViewport[0]);
    thePass.origin[1] = float(theViewport[1]);
  }
  thePass.resolution[2] = 1.0f;
  glUseProgram(ioState.program.program);
  SetInputs(ioState.program, thePass);
  DrawQuad(thePlugin.kit);
  if (theIntoTarget) {
    EndPass(*theTarget);
    glBindFramebuffer(GL_FRAMEBUFFER, GLuint(theScreen));
  }
  if (theIntoTarget && theOntoViewport) {
    glViewport(theViewport[0], theViewport[1], theViewport[2], theViewport[3]);
    const CopyMode theMode = SetBlend(p[kBlend], theOpacity, false);
    const float theWindow[4] = {0, 0, 1, 1};
    const float theArea[4] = {float(theViewport[0]), float(theViewport[1]), float(theViewport[2]),
                              float(theViewport[3])};
    DrawCopy(thePlugin.kit, theTarget->Front(), theWindow, theArea, theMode, theOpacity);
  }
  (void)ioInfo;
  return true;
}

// ---------------------------------------------------------------------------
// Phases

void EndEvent(ShaderState* inState) {
  Plugin& thePlugin = *gPlugin;
  for (int c = 0; c < 4; ++c) Hold(*inState, c, -1, nullptr);
  if (NamedTarget* theNamed = FindTarget(inState->targetName))
    if (theNamed->writer == inState) theNamed->writer = nullptr;
  if (thePlugin.kitReady) {
    SavedGLState theSaved;
    DeleteProgram(inState->program);
    if (inState->ownTarget) DropTarget(*inState->ownTarget);
  }
  thePlugin.events.Forget(inState);
  delete inState;
}

void MakeEvent(FrameInfo* ioInfo, void** ioSlot, const int32_t* p) {
  Plugin& thePlugin = *gPlugin;
  ShaderState* theState = thePlugin.events.Make(ioSlot);
  theState->failed = true;
  const char* theFile = Text(p[kFile]);
  if (theFile == nullptr) {
    thePlugin.host.Warn("Shader: no name for the shader file nr %d\n", p[kFile]);
    ioInfo->status = STATUS_FAILED;
    return;
  }
  theState->fileName = theFile;
  theState->path = codepage::ToUtf8(theFile);
  if (p[kTarget] >= 0) {
    const char* theTarget = Text(p[kTarget]);
    if (theTarget == nullptr) thePlugin.host.Warn("Shader: no name for the target nr %d\n", p[kTarget]);
    else theState->targetName = theTarget;
  }
  if (!EnsureKit()) {
    ioInfo->status = STATUS_FAILED;
    return;
  }
  if (!theState->targetName.empty()) {
    NamedTarget& theNamed = thePlugin.targets[theState->targetName];
    if (theNamed.writer != nullptr)
      thePlugin.host.Warn("Shader: two events draw the target %s at once\n", theState->targetName.c_str());
    theNamed.writer = theState;
    // Buffers start cleared, also when a seek or a reload starts the event again.
    SavedGLState theSaved;
    ClearTarget(theNamed.target);
  }
  if (thePlugin.editMode) theState->stamp = StampOf(theState->path);
  BuildFromFile(*theState);
  ioInfo->status = theState->failed ? STATUS_FAILED : STATUS_BUILT;
}

bool RunShader(FrameInfo* ioInfo, void** ioSlot, const int32_t* p) {
  Plugin& thePlugin = *gPlugin;
  if (ioInfo->phase == PHASE_DESTROY) {
    if (ShaderState* theState = thePlugin.events.Of(ioSlot)) EndEvent(theState);
    *ioSlot = nullptr;
    return true;
  }
  if (ioInfo->phase == PHASE_MAKE) {
    if (*ioSlot == nullptr) MakeEvent(ioInfo, ioSlot, p);
    return true;
  }
  ioInfo->status = STATUS_UNCHANGED;
  ShaderState* theState = thePlugin.events.Of(ioSlot);
  if (theState == nullptr || !thePlugin.kitReady || theState->fileName.empty()) {
    ioInfo->status = STATUS_FAILED;
    return true;
  }
  if (thePlugin.editMode) FollowSaves(*theState);
  if (theState->program.program != 0) {
    SavedGLState theSaved;
    if (!RunPass(ioInfo, *theState, p)) ioInfo->status = STATUS_FAILED;
  } else {
    ioInfo->status = STATUS_FAILED;
  }
  if (thePlugin.editMode && !theState->problem.empty()) {
    SavedGLState theSaved;
    int theViewport[4];
    ViewportOf(theViewport);
    thePlugin.notice.Draw(thePlugin.kit, theState->problem, theViewport);
  }
  return true;
}

// TXTR: the targets of Shader events by name, their pictures with rows
// from the top as image textures have them.
ZORBIT_EXPORT void* ProduceShaderTarget(const char* inName, void*, bool& outIsStatic) {
  if (gPlugin == nullptr || inName == nullptr || !gPlugin->kitReady) return nullptr;
  NamedTarget* theTarget = FindTarget(inName);
  if (theTarget == nullptr) return nullptr;
  outIsStatic = false;
  SavedGLState theSaved;
  return OfferedRecord(gPlugin->kit, theTarget->target, inName);
}

ZORBIT_EXPORT bool ReleaseShaderTarget(const char* inName, void*) {
  return gPlugin != nullptr && inName != nullptr && FindTarget(inName) != nullptr;
}

}  // namespace

ZORBIT_EXPORT bool Zorbit_Init(SDL_Surface**, SDL_Surface**, void** inHostTable) {
  if (inHostTable == nullptr) return false;
  if (gPlugin != nullptr) Zorbit_Quit();
  gPlugin = new Plugin();
  gPlugin->host.Attach(inHostTable);
  AttachState(static_cast<OGLState*>(gPlugin->host.state));
  const char* theEdit = std::getenv("ZORBIT_EDIT");
  gPlugin->editMode = theEdit != nullptr && theEdit[0] != '\0' && theEdit[0] != '0';
  gPlugin->startDate = std::time(nullptr);
  gPlugin->host.Register(KIND_TXTR, &ProduceShaderTarget, &ReleaseShaderTarget);
  return true;
}

ZORBIT_EXPORT bool Zorbit_Quit() {
  if (gPlugin == nullptr) return true;
  Plugin& thePlugin = *gPlugin;
  // Events still active got no PHASE_DESTROY; the textures they hold are
  // not handed back, their producers may have quit already.
  thePlugin.events.DestroyAll([](ShaderState* inState) {
    for (HeldTexture& theHeld : inState->held) theHeld = HeldTexture();
    EndEvent(inState);
  });
  if (thePlugin.kitReady && glGetString(GL_VERSION) != nullptr) {
    SavedGLState theSaved;
    for (auto& theTarget : thePlugin.targets) DropTarget(theTarget.second.target);
    for (auto& theImage : thePlugin.images) DropImageCopy(theImage.second);
    for (auto& theMusic : thePlugin.music) DropMusic(theMusic.second);
    thePlugin.notice.Release();
    DropKit(thePlugin.kit);
  }
  delete gPlugin;
  gPlugin = nullptr;
  AttachState(nullptr);
  return true;
}

ZORBIT_EXPORT bool Zorbit_BeginNewFrame(int32_t) { return true; }

ZORBIT_EXPORT bool Shader(FrameInfo* ioInfo, void** ioSlot, int32_t p0, int32_t p1, int32_t p2, int32_t p3,
                          int32_t p4, int32_t p5, int32_t p6, int32_t p7, int32_t p8, int32_t p9, int32_t p10,
                          int32_t p11, int32_t p12, int32_t p13, int32_t p14, int32_t p15, int32_t p16, int32_t p17,
                          int32_t p18, int32_t p19, int32_t p20, int32_t p21, int32_t p22, int32_t p23, int32_t p24,
                          int32_t p25, int32_t p26, int32_t p27, int32_t p28, int32_t p29, int32_t p30, int32_t p31,
                          int32_t p32, int32_t p33, int32_t p34, int32_t p35, int32_t p36, int32_t p37, int32_t p38,
                          int32_t p39) {
  if (gPlugin == nullptr || ioInfo == nullptr || ioSlot == nullptr) return true;
  const int32_t p[kCount] = {p0,  p1,  p2,  p3,  p4,  p5,  p6,  p7,  p8,  p9,  p10, p11, p12, p13,
                             p14, p15, p16, p17, p18, p19, p20, p21, p22, p23, p24, p25, p26, p27,
                             p28, p29, p30, p31, p32, p33, p34, p35, p36, p37, p38, p39};
  return RunShader(ioInfo, ioSlot, p);
}
