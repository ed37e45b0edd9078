#include "grids.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "gridshapes.h"
#include "gridtable.h"
#include <zorbit/zorbitplugin.h>

namespace {

zorbit::Host gHost;  // the host's slots, copied in Zorbit_Init

// What an event keeps behind its slot: the grid it made and the inputs of
// its last build.
struct GridEffectState {
  Grid* mGrid = nullptr;
  virtual ~GridEffectState() = default;
};

struct MakeGridState : GridEffectState {
  int32_t mColumns = 0, mRows = 0, mWidth = 0, mHeight = 0;
};

// A deformer's last build: its kept parameters and which source, at which
// version, it was built from.
struct DeformerState : GridEffectState {
  int32_t mParams[6] = {};
  bool mBuilt = false;
  const Grid* mSource = nullptr;
  uint64_t mSourceVersion = 0;
  int32_t mSourceSlot = -1;
};

// Every state alive, so that Zorbit_Quit can free those whose events never ended.
zorbit::EventStates<GridEffectState> gStates;
std::vector<double> gColumnWaves;
std::vector<float> gCurve;

const char* GetText(int32_t inIndex) { return gHost.Text(inIndex); }

// The event's state, made on its first call, with a grid in the table. Null,
// with status -1, while the table has no free slot: the event tries again in
// its next calls, and only its first refusal is warned about. outAdded tells
// that the grid was taken in this call.
template <class State>
State* StateWithGrid(const char* inRequester, FrameInfo* inInfo, void** ioSlot, const char* inName, bool& outAdded) {
  outAdded = false;
  auto* theState = static_cast<State*>(gStates.Of(ioSlot));
  const bool theNew = !theState;
  if (theNew) theState = gStates.Make<State>(ioSlot);
  if (!theState->mGrid) {
    theState->mGrid = AddGrid(inName, inInfo->paramsConstant != 0);
    if (!theState->mGrid) {
      if (theNew) gHost.Warn("%s: no free grid slot for %s\n", inRequester, inName);
      inInfo->status = STATUS_FAILED;
      return nullptr;
    }
    inInfo->status = STATUS_BUILT;
    outAdded = true;
  }
  return theState;
}

void DestroyState(void** ioSlot) {
  GridEffectState* theState = gStates.Of(ioSlot);
  *ioSlot = nullptr;
  if (!theState) return;
  gStates.Forget(theState);
  RemoveGrid(theState->mGrid);
  delete theState;
}

void DestroyAllStates() {
  // The table goes as a whole, so the states' grids are not removed one by one.
  gStates.DestroyAll([](GridEffectState* inState) {
    gStates.Forget(inState);
    delete inState;
  });
  ClearGridTable();
}

// The frame shared by the deformers. Finds or makes the event's state, looks
// the source up, and decides whether to rebuild; on true the caller fills
// the output from the source, which has been sized to match.
bool PrepareDeformer(const char* inRequester, FrameInfo* inInfo, void** ioSlot, int32_t inName, int32_t inSource,
                     const int32_t* inKept, int inKeptCount, DeformerState*& outState, const Grid*& outSource,
                     bool& outResult) {
  inInfo->status = STATUS_UNCHANGED;
  outResult = true;
  const char* theName = GetText(inName);
  if (!theName) {
    gHost.Warn("%s: Couldn't get the name for the grid nr %d\n", inRequester, inName);
    inInfo->status = STATUS_FAILED;
    outResult = false;
    // An animated name may have gone by the end; the event's grid still ends with it.
    if (inInfo->phase == PHASE_DESTROY) DestroyState(ioSlot);
    return false;
  }
  if (inInfo->phase == PHASE_DESTROY) {
    DestroyState(ioSlot);
    return false;
  }
  bool theAdded = false;
  auto* theState = StateWithGrid<DeformerState>(inRequester, inInfo, ioSlot, theName, theAdded);
  if (!theState) return false;

  bool theStatic = false;
  const auto* theSource = static_cast<const Grid*>(
      gHost.Use(KIND_GRID, inSource, nullptr, false, inRequester, "grid", &theStatic));
  if (!theSource) return false;  // the registry has said why

  const uint64_t theVersion = GridVersion(theSource, theState->mSourceSlot);
  if (theStatic && theState->mBuilt && theSource == theState->mSource && theVersion == theState->mSourceVersion &&
      std::equal(inKept, inKept + inKeptCount, theState->mParams))
    return false;

  // From here on the inputs count as seen, also when they are refused, so a
  // refusal is warned about once and not in every frame.
  std::copy(inKept, inKept + inKeptCount, theState->mParams);
  theState->mBuilt = true;
  theState->mSource = theSource;
  theState->mSourceVersion = theVersion;

  inInfo->status = STATUS_BUILT;
  const int64_t theCount = int64_t(theSource->columns) * theSource->rows;
  Grid& theOutput = *theState->mGrid;
  if (theSource == &theOutput) {
    gHost.Warn("%s: grid %s cannot be its own source\n", inRequester, theName);
    inInfo->status = STATUS_FAILED;
    return false;
  }
  if (theSource->columns < 0 || theSource->rows < 0 || theCount > kMaxGridVertices ||
      (theCount > 0 && !theSource->vertices)) {
    const char* theSourceName = GetText(inSource);
    gHost.Warn("%s: grid %s has no usable vertices\n", inRequester, theSourceName ? theSourceName : "?");
    inInfo->status = STATUS_FAILED;
    return false;
  }
  if (!ResizeGrid(theOutput, theSource->columns, theSource->rows)) {
    gHost.Warn("%s: no memory for grid %s\n", inRequester, theName);
    inInfo->status = STATUS_FAILED;
    theState->mBuilt = false;
    MarkGridChanged(&theOutput);
    return false;
  }
  outState = theState;
  outSource = theSource;
  return true;
}

}  // namespace

bool Zorbit_Init(SDL_Surface**, SDL_Surface**, void** inHostTable) {
  if (!inHostTable || !inHostTable[HOST_REGISTER_KIND]) return false;
  gHost.Attach(inHostTable);
  gHost.Register(KIND_GRID, ProduceGrid, ReleaseGrid);
  DestroyAllStates();
  return true;
}

bool Zorbit_Quit() {
  DestroyAllStates();
  return true;
}

bool Zorbit_BeginNewFrame(int32_t) { return true; }

bool MakeGrid(FrameInfo* inInfo, void** ioSlot, int32_t inName, int32_t inWidth, int32_t inHeight, int32_t inColumns,
              int32_t inRows) {
  inInfo->status = STATUS_UNCHANGED;
  const int32_t theColumns = std::max(inColumns, 2);
  const int32_t theRows = std::max(inRows, 2);
  const char* theName = GetText(inName);
  if (!theName) {
    gHost.Warn("MakeGrid: Couldn't get the name for the grid nr %d\n", inName);
    inInfo->status = STATUS_FAILED;
    if (inInfo->phase == PHASE_DESTROY) DestroyState(ioSlot);
    return true;
  }
  if (inInfo->phase == PHASE_DESTROY) {
    DestroyState(ioSlot);
    return true;
  }
  bool theAdded = false;
  auto* theState = StateWithGrid<MakeGridState>("MakeGrid", inInfo, ioSlot, theName, theAdded);
  if (!theState) return true;
  if (theAdded) theState->mColumns = -theColumns;  // forces the first build
  if (theState->mColumns == theColumns && theState->mRows == theRows && theState->mWidth == inWidth &&
      theState->mHeight == inHeight)
    return true;

  inInfo->status = STATUS_BUILT;
  Grid& theGrid = *theState->mGrid;
  if (int64_t(theColumns) * theRows > kMaxGridVertices) {
    gHost.Warn("MakeGrid: grid %s of %d x %d vertices is too large\n", theName, theColumns, theRows);
    inInfo->status = STATUS_FAILED;
    // Remembered as built, so that the refusal is warned about once.
    theState->mColumns = theColumns;
    theState->mRows = theRows;
    theState->mWidth = inWidth;
    theState->mHeight = inHeight;
    return true;
  }
  if (!ResizeGrid(theGrid, theColumns, theRows)) {
    gHost.Warn("MakeGrid: no memory for grid %s\n", theName);
    inInfo->status = STATUS_FAILED;
    theState->mColumns = -theColumns;
    MarkGridChanged(&theGrid);
    return true;
  }
  theGrid.width = inWidth;
  theGrid.height = inHeight;
  FillFlatGrid(theGrid.vertices, theColumns, theRows, inWidth, inHeight);
  MarkGridChanged(&theGrid);
  theState->mColumns = theColumns;
  theState->mRows = theRows;
  theState->mWidth = inWidth;
  theState->mHeight = inHeight;
  return true;
}

bool WaveGridZ(FrameInfo* inInfo, void** ioSlot, int32_t inName, int32_t inSource, int32_t, int32_t inColumnCycles,
               int32_t inColumnAmplitude, int32_t inColumnPhase, int32_t inRowCycles, int32_t inRowAmplitude,
               int32_t inRowPhase) {
  const int32_t theKept[6] = {inColumnCycles, inColumnAmplitude, inColumnPhase, inRowCycles, inRowAmplitude, inRowPhase};
  DeformerState* theState = nullptr;
  const Grid* theSource = nullptr;
  bool theResult = true;
  if (!PrepareDeformer("WaveGridZ", inInfo, ioSlot, inName, inSource, theKept, 6, theState, theSource, theResult))
    return theResult;
  const WaveParams theWave{inColumnCycles, inColumnAmplitude, inColumnPhase, inRowCycles, inRowAmplitude, inRowPhase};
  Grid& theOutput = *theState->mGrid;
  FillWaveGrid(theSource->vertices, theOutput.vertices, theOutput.columns, theOutput.rows, theWave, gColumnWaves);
  MarkGridChanged(&theOutput);
  return true;
}

bool TurnPageGrid(FrameInfo* inInfo, void** ioSlot, int32_t inName, int32_t inSource, int32_t inTurn,
                  int32_t inLift) {
  const int32_t theKept[2] = {inTurn, inLift};
  DeformerState* theState = nullptr;
  const Grid* theSource = nullptr;
  bool theResult = true;
  if (!PrepareDeformer("TurnPageGrid", inInfo, ioSlot, inName, inSource, theKept, 2, theState, theSource, theResult))
    return theResult;
  Grid& theOutput = *theState->mGrid;
  FillTurnedPage(theSource->vertices, theOutput.vertices, theOutput.columns, theOutput.rows, inTurn, inLift, gCurve);
  MarkGridChanged(&theOutput);
  return true;
}
