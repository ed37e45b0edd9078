#include "movietable.h"

#include <cstring>

#include "buffer.h"
#include "framename.h"
#include "imageryhost.h"
#include "texturetable.h"

namespace {

struct MovieState;

struct MovieEntry {
  Buffer name;       // what users ask for; empty: the entry is free
  Buffer frameName;  // resource name of the frame shown
  MovieState* state = nullptr;  // the event playing it, so that Zorbit_Quit can free it

  MovieEntry() : name(static_cast<const char*>(nullptr)), frameName(static_cast<const char*>(nullptr)) {}
};

// Kept behind the event's slot.
struct MovieState {
  int32_t frameShown;   // -1 before the first frame
  int32_t entry;        // index in gMovies
  bool holdsFrame;      // the texture of the entry's frame name carries one reference of ours
};

MovieEntry gMovies[MOVIE_CAPACITY];
int32_t gMovieCount = 0;  // one past the highest entry in use

bool Matches(const Buffer& inBuffer, const char* inText) {
  size_t theLength = strlen(inText);
  return inBuffer.Length() == theLength && memcmp(inBuffer.PtrC(), inText, theLength) == 0;
}

void FreeEntry(int32_t inIndex) {
  MovieEntry& theEntry = gMovies[inIndex];
  theEntry.name.Clear();
  theEntry.frameName.Clear();
  theEntry.state = nullptr;
  while (gMovieCount > 0 && gMovies[gMovieCount - 1].name.Length() == 0) --gMovieCount;
}

void ReleaseShownFrame(MovieState& ioState) {
  if (!ioState.holdsFrame) return;
  ReleaseTextureRecord(gMovies[ioState.entry].frameName.CStr());
  ioState.holdsFrame = false;
}

MovieState* StartMovie(const char* inName) {
  if (!inName[0]) {
    // An empty name would mark the entry free.
    ImageryWarn("MakeMovie: the movie name is empty");
    return nullptr;
  }
  int32_t theIndex = 0;
  while (theIndex < gMovieCount && gMovies[theIndex].name.Length() != 0) ++theIndex;
  if (theIndex >= MOVIE_CAPACITY) {
    ImageryWarn("MakeMovie: all %d movie entries are in use, can't play %s", MOVIE_CAPACITY, inName);
    return nullptr;
  }
  MovieState* theState = new MovieState{-1, theIndex, false};
  MovieEntry& theEntry = gMovies[theIndex];
  theEntry.name = Buffer(inName);
  theEntry.frameName.Clear();
  theEntry.state = theState;
  if (theIndex == gMovieCount) ++gMovieCount;
  return theState;
}

// False while the frame's texture could not be made.
bool ShowFrame(MovieState& ioState, const char* inPattern, int32_t inFrame) {
  if (inFrame < 0) inFrame = 0;
  if (inFrame == ioState.frameShown) return ioState.holdsFrame;
  ReleaseShownFrame(ioState);
  MovieEntry& theEntry = gMovies[ioState.entry];
  theEntry.frameName = MakeFrameName(inPattern, inFrame);
  // Straight to the files: a frame name that happens to be a movie's name
  // must still load the file and take its reference.
  ioState.holdsFrame = ProduceTextureFile(theEntry.frameName.CStr()) != nullptr;
  ioState.frameShown = inFrame;
  return ioState.holdsFrame;
}

}  // namespace

void ResetMovieTable() {
  for (MovieEntry& theEntry : gMovies) {
    theEntry.name.Clear();
    theEntry.frameName.Clear();
    theEntry.state = nullptr;
  }
  gMovieCount = 0;
}

TextureRecord* FindMovieFrame(const char* inName, bool& outIsMovie) {
  outIsMovie = false;
  if (!inName[0]) return nullptr;
  for (int32_t i = 0; i < gMovieCount; ++i) {
    MovieEntry& theEntry = gMovies[i];
    if (!Matches(theEntry.name, inName)) continue;
    outIsMovie = true;
    TextureRecord* theRecord = FindTextureRecord(theEntry.frameName.CStr());
    if (theRecord) return theRecord;
    ImageryWarn("ProduceTexture: Couldn't find the movie frame %s for the movie %s", theEntry.frameName.CStr(),
                inName);
  }
  return nullptr;
}

void EndAllMovies() {
  for (int32_t i = 0; i < gMovieCount; ++i) delete gMovies[i].state;
  ResetMovieTable();
}

bool RunMakeMovie(FrameInfo* ioInfo, void** ioSlot, int32_t inNameText, int32_t inPatternText, int32_t inFrame) {
  ioInfo->status = STATUS_UNCHANGED;
  MovieState* theState = static_cast<MovieState*>(*ioSlot);

  if (ioInfo->phase == PHASE_DESTROY) {
    if (theState) {
      ReleaseShownFrame(*theState);
      FreeEntry(theState->entry);
      delete theState;
      *ioSlot = nullptr;
    }
    return true;
  }

  const char* thePattern = gHost.getText(inPatternText);
  if (!thePattern) {
    ImageryWarn("MakeMovie: Couldn't get the name for the file nr %d", inPatternText);
    ioInfo->status = STATUS_FAILED;
    return false;
  }

  if (!theState) {
    const char* theName = gHost.getText(inNameText);
    if (!theName) {
      ImageryWarn("MakeMovie: Couldn't get the name for the movie nr %d", inNameText);
      ioInfo->status = STATUS_FAILED;
      return false;
    }
    theState = StartMovie(theName);
    if (!theState) {
      ioInfo->status = STATUS_FAILED;
      return false;
    }
    *ioSlot = theState;
  }

  if (!ShowFrame(*theState, thePattern, inFrame)) ioInfo->status = STATUS_FAILED;
  return true;
}
