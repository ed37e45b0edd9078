// texture_probe.so: a plug-in that uses textures the way a plug-in outside
// imagery does, and writes what it got into the player's log, so that tests
// of the real player can see it.
//
// ProbeTexture(p0, p1, p2): on every PHASE_RUN call, for each parameter that
// is a text number (>= 0), asks useResource for the texture of that name
// and logs "ProbeTexture <elapsed ms>: <record name or (none)> <static|moving>".
// Zorbit_Quit logs "ProbeTexture: <run calls> run calls".
#include <cstdio>

#include <zorbit/zorbit.h>

namespace {

WarnFunction gWarn = nullptr;
UseResourceFunction gUseResource = nullptr;
ReleaseResourceFunction gReleaseResource = nullptr;
int gRunCalls = 0;

void Probe(const FrameInfo& inInfo, int32_t inNameText) {
  if (inNameText < 0) return;
  bool theIsStatic = true;
  const TextureRecord* theRecord = static_cast<const TextureRecord*>(
      gUseResource(KIND_TXTR, inNameText, nullptr, false, "ProbeTexture", "texture", &theIsStatic));
  char theLine[400];
  snprintf(theLine, sizeof theLine, "ProbeTexture %d: %s %s\n", inInfo.elapsed, theRecord ? theRecord->name : "(none)",
           theIsStatic ? "static" : "moving");
  gWarn(theLine);
  if (theRecord) gReleaseResource(KIND_TXTR, inNameText, const_cast<TextureRecord*>(theRecord));
}

}  // namespace

ZORBIT_EXPORT bool Zorbit_Init(SDL_Surface**, SDL_Surface**, void** inHostTable) {
  gWarn = reinterpret_cast<WarnFunction>(inHostTable[HOST_WARN]);
  gUseResource = reinterpret_cast<UseResourceFunction>(inHostTable[HOST_USE_RESOURCE]);
  gReleaseResource = reinterpret_cast<ReleaseResourceFunction>(inHostTable[HOST_RELEASE_RESOURCE]);
  return gWarn && gUseResource && gReleaseResource;
}

ZORBIT_EXPORT bool Zorbit_BeginNewFrame(int32_t) { return true; }

ZORBIT_EXPORT bool Zorbit_Quit() {
  char theLine[80];
  snprintf(theLine, sizeof theLine, "ProbeTexture: %d run calls\n", gRunCalls);
  gWarn(theLine);
  return true;
}

ZORBIT_EXPORT bool ProbeTexture(FrameInfo* ioInfo, void**, int32_t inFirst, int32_t inSecond, int32_t inThird) {
  ioInfo->status = STATUS_UNCHANGED;
  if (ioInfo->phase != PHASE_RUN) return true;
  ++gRunCalls;
  Probe(*ioInfo, inFirst);
  Probe(*ioInfo, inSecond);
  Probe(*ioInfo, inThird);
  return true;
}
