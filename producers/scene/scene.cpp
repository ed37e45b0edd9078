// scene.so: the producer of "3D groups" (kind 3DWR) and the effects that
// draw them (Scene3D) and fill them with vertex grids (DrawGrid).
//
// A frame: Zorbit_BeginNewFrame empties every group; the running calls of
// the effects on the higher tracks add their nodes; Scene3D, placed on a
// lower track (running calls go from the highest track down), draws the
// group and empties it. Groups never own or delete the nodes they hold.
#include <GL/gl.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>

#include <zorbit/lattice/axisnode3d.h>
#include "gridmesh3d.h"
#include "grouptable.h"
#include <zorbit/lattice/lattice_math.h>
#include <zorbit/lattice/nodeplacement.h>
#include <zorbit/lattice/renderer3d.h>
#include <zorbit/zorbit.h>
#include <zorbit/zorbitplugin.h>

namespace {

zorbit::Host gHost;  // the host's slots, copied in Zorbit_Init
OGLState* gHostState = nullptr;  // the player's tracker, borrowed
GLRenderer3D* gRenderer = nullptr;
GroupTable gGroups;

struct Scene3DState {
  std::string mName;
  RootNode3D* mGroup;  // owned by gGroups; null when the name was missing
};

struct DrawGridState {
  GridMesh3D* mMesh;
  AxisNode3D* mAxis;
  // The texture shown last frame and its name number. Its producer counts
  // every use, so the event holds exactly one: this frame's lookup is taken
  // before last frame's is given back, and the last one goes at the end.
  const TextureRecord* mTexture = nullptr;
  int32_t mTextureName = -1;
};

// Event states still alive, freed by Zorbit_Quit for events that never got
// their PHASE_DESTROY call.
zorbit::EventStates<Scene3DState> gSceneStates;
zorbit::EventStates<DrawGridState> gGridStates;

void* ProduceGroup(const char* inName, void*, bool& outIsStatic) {
  if (inName == nullptr) return nullptr;
  RootNode3D* theGroup = gGroups.Find(inName);
  // The group node keeps its address for as long as its Scene3D event lasts.
  if (theGroup != nullptr) outIsStatic = true;
  return theGroup;
}

bool ReleaseGroup(const char* inName, void*) {
  // Consumers borrow a group for one call and never release it; a release
  // is answered for a known name and changes nothing.
  return inName != nullptr && gGroups.Find(inName) != nullptr;
}

void EndScene(Scene3DState* inState) {
  if (inState->mGroup != nullptr) gGroups.Drop(inState->mName);
  gSceneStates.Forget(inState);
  delete inState;
}

void HoldTexture(DrawGridState& ioState, const TextureRecord* inTexture, int32_t inName) {
  if (ioState.mTexture != nullptr)
    gHost.Release(KIND_TXTR, ioState.mTextureName, const_cast<TextureRecord*>(ioState.mTexture));
  ioState.mTexture = inTexture;
  ioState.mTextureName = inName;
}

void EndGrid(DrawGridState* inState) {
  HoldTexture(*inState, nullptr, -1);
  delete inState->mMesh;
  delete inState->mAxis;
  gGridStates.Forget(inState);
  delete inState;
}

// Camera from Scene3D's parameters 1 to 13 (see README).
Camera3D CameraFrom(const int32_t* p) {
  Camera3D theCamera;
  for (int i = 0; i < 3; ++i) {
    theCamera.mPosition[i] = float(p[1 + i] / 1000.0);
    theCamera.mTarget[i] = float(p[4 + i] / 1000.0);
    theCamera.mUp[i] = float(p[7 + i]);
  }
  theCamera.mRollDegrees = float(p[10] / 1000.0);
  if (p[11] != 0) theCamera.mFieldOfViewDegrees = float(p[11] / 1000.0);
  if (p[12] != 0) theCamera.mNear = float(p[12] / 1000.0);
  if (p[13] != 0) theCamera.mFar = float(p[13] / 1000.0);
  return theCamera;
}

bool RunScene3D(FrameInfo* inInfo, void** ioSlot, const int32_t* p) {
  if (inInfo->phase == PHASE_DESTROY) {
    if (Scene3DState* theState = gSceneStates.Of(ioSlot)) EndScene(theState);
    *ioSlot = nullptr;
    return true;
  }
  inInfo->status = STATUS_UNCHANGED;
  if (inInfo->phase == PHASE_MAKE) {
    inInfo->status = STATUS_BUILT;
    if (*ioSlot != nullptr) return true;
    Scene3DState* theState = gSceneStates.Make(ioSlot, std::string(), nullptr);
    const char* theName = gHost.Text(p[0]);
    if (theName == nullptr) {
      gHost.Warn("Scene3D: no name for the 3D group nr %d\n", p[0]);
      inInfo->status = STATUS_FAILED;
      return true;
    }
    theState->mName = theName;
    theState->mGroup = gGroups.Use(theState->mName);
    if (gRenderer == nullptr) gHost.Warn("Scene3D: no OpenGL, 3D group %s is not drawn\n", theName);
    return true;
  }
  Scene3DState* theState = gSceneStates.Of(ioSlot);
  if (theState == nullptr || theState->mGroup == nullptr || gRenderer == nullptr) {
    inInfo->status = STATUS_FAILED;
    return true;
  }
  const uint32_t theClearColour =
      0xFF000000u | (uint32_t(p[15] & 0xFF) << 16) | (uint32_t(p[16] & 0xFF) << 8) | uint32_t(p[17] & 0xFF);
  gRenderer->Clear((p[14] & 1) != 0, (p[14] & 2) != 0, theClearColour);
  gRenderer->Render(*theState->mGroup, CameraFrom(p));
  theState->mGroup->Clear();
  return true;
}

bool RunDrawGrid(FrameInfo* inInfo, void** ioSlot, const int32_t* p) {
  if (inInfo->phase == PHASE_DESTROY) {
    if (DrawGridState* theState = gGridStates.Of(ioSlot)) EndGrid(theState);
    *ioSlot = nullptr;
    return true;
  }
  inInfo->status = STATUS_UNCHANGED;
  if (inInfo->phase == PHASE_MAKE) {
    inInfo->status = STATUS_BUILT;
    if (*ioSlot == nullptr)
      gGridStates.Make(ioSlot, new GridMesh3D(), new AxisNode3D(0xFF8080FF, 0xFF80FF80, 0xFFFF8080));
    return true;
  }
  DrawGridState* theState = gGridStates.Of(ioSlot);
  if (theState == nullptr || gHost.useResource == nullptr) return true;
  bool theStatic = false;
  const Grid* theGrid =
      static_cast<const Grid*>(gHost.Use(KIND_GRID, p[0], nullptr, false, "DrawGrid", "grid", &theStatic));
  if (theGrid == nullptr) {
    inInfo->status = STATUS_FAILED;
    return true;
  }
  const TextureRecord* theTexture = nullptr;
  if (p[2] == 1)
    theTexture = static_cast<const TextureRecord*>(
        gHost.Use(KIND_TXTR, p[1], nullptr, false, "DrawGrid", "texture", &theStatic));
  HoldTexture(*theState, theTexture, p[1]);
  GridMesh3D& theMesh = *theState->mMesh;
  if (!theMesh.Update(*theGrid, theTexture, p[2] == 2)) {
    gHost.Warn("DrawGrid: grid nr %d has %d x %d vertices and cannot be shown\n", p[0], theGrid->columns, theGrid->rows);
    inInfo->status = STATUS_FAILED;
    return true;
  }
  theMesh.SetColour((uint32_t(p[10] & 0xFF) << 16) | (uint32_t(p[11] & 0xFF) << 8) | uint32_t(p[12] & 0xFF));
  theMesh.SetBlendSrc(p[14]);
  theMesh.SetBlendDst(p[15]);
  theMesh.SetOpacity(p[13]);
  PlaceNode(theMesh, p[3], p[4], p[5], p[6], p[7], p[8], p[9], p[16]);
  if (p[18] != 0) {
    copy_vec(theMesh.mPosition, theState->mAxis->mPosition);
    copy_mat(theMesh.mMatrix, theState->mAxis->mMatrix);
  }
  bool theScratch = false;
  Node3D* theGroup =
      static_cast<Node3D*>(gHost.Use(KIND_3DWR, p[17], nullptr, false, "DrawGrid", "3D group", &theScratch));
  if (theGroup != nullptr) {
    theGroup->AddChild(&theMesh);
    if (p[18] != 0) theGroup->AddChild(theState->mAxis);
  }
  return true;
}

}  // namespace

ZORBIT_EXPORT bool Zorbit_Init(SDL_Surface**, SDL_Surface**, void** inHostTable) {
  if (inHostTable == nullptr) return false;
  gHost.Attach(inHostTable);
  gHostState = static_cast<OGLState*>(gHost.state);
  if (!gHost.Register(KIND_3DWR, &ProduceGroup, &ReleaseGroup)) return false;
  delete gRenderer;
  // A demo without OpenGL has no context to draw into: glGetString answers
  // null then, and Scene3D draws nothing rather than call into the void.
  const bool theHasContext = glGetString(GL_VERSION) != nullptr;
  gRenderer = gHostState != nullptr && theHasContext ? new GLRenderer3D(gHostState) : nullptr;
  return true;
}

ZORBIT_EXPORT bool Zorbit_Quit() {
  gSceneStates.DestroyAll(&EndScene);
  // Events that got no last call: their textures' producer may have shut
  // down already, so nothing is handed back to it.
  gGridStates.DestroyAll([](DrawGridState* inState) {
    inState->mTexture = nullptr;
    EndGrid(inState);
  });
  gGroups.DeleteAll();
  delete gRenderer;
  gRenderer = nullptr;
  return true;
}

ZORBIT_EXPORT bool Zorbit_BeginNewFrame(int32_t) {
  // Nodes added after their group was drawn last frame may belong to events
  // that have just ended: forget them without touching them.
  gGroups.ClearAll();
  return true;
}

ZORBIT_EXPORT bool Scene3D(FrameInfo* inInfo, void** ioSlot, int32_t p0, int32_t p1, int32_t p2, int32_t p3,
                           int32_t p4, int32_t p5, int32_t p6, int32_t p7, int32_t p8, int32_t p9, int32_t p10,
                           int32_t p11, int32_t p12, int32_t p13, int32_t p14, int32_t p15, int32_t p16,
                           int32_t p17) {
  const int32_t theParams[18] = {p0, p1, p2, p3, p4, p5, p6, p7, p8, p9, p10, p11, p12, p13, p14, p15, p16, p17};
  return RunScene3D(inInfo, ioSlot, theParams);
}

ZORBIT_EXPORT bool DrawGrid(FrameInfo* inInfo, void** ioSlot, int32_t p0, int32_t p1, int32_t p2, int32_t p3,
                            int32_t p4, int32_t p5, int32_t p6, int32_t p7, int32_t p8, int32_t p9, int32_t p10,
                            int32_t p11, int32_t p12, int32_t p13, int32_t p14, int32_t p15, int32_t p16,
                            int32_t p17, int32_t p18) {
  const int32_t theParams[19] = {p0, p1, p2, p3, p4, p5, p6, p7, p8, p9, p10, p11, p12, p13, p14, p15, p16, p17, p18};
  return RunDrawGrid(inInfo, ioSlot, theParams);
}
