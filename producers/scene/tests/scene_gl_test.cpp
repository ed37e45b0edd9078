// scene.so under Xvfb: groups hold nodes for one frame, Scene3D draws them
// where its camera puts them, DrawGrid shows grids, and the player's state
// tracker stays true.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <cmath>
#include <memory>

#include <zorbit/lattice/flatoval3d.h>
#include "glwindow.h"
#include <zorbit/lattice/groupnode3d.h>
#include <zorbit/oglstate.h>
#include "testhost.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

class DeathCountingOval : public FlatOval3D {
 public:
  explicit DeathCountingOval(int* ioDeaths) : FlatOval3D(40, 40, 15, 0.8f, 0xFF0000FFu), mDeaths(ioDeaths) {}
  ~DeathCountingOval() override { ++*mDeaths; }
  int* mDeaths;
};

// Test-made resources for the kinds scene.so consumes.
Grid gGrid{};
TextureRecord gTexture{};

void* ProduceTestGrid(const char* inName, void*, bool& outStatic) {
  outStatic = true;
  return std::string(inName) == "grid" ? &gGrid : nullptr;
}
void* ProduceTestTexture(const char* inName, void*, bool& outStatic) {
  outStatic = true;
  return std::string(inName) == "picture" ? &gTexture : nullptr;
}
bool ReleaseNothing(const char*, void*) { return false; }

class SceneGLTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureGLWindow(kWidth, kHeight));
    mState = std::make_unique<OGLState>(kWidth, kHeight);
    MakeCurrent(mState.get());
    while (glGetError() != GL_NO_ERROR) {
    }
    mHost = std::make_unique<TestHost>(mState.get());
    ASSERT_TRUE(mHost->Load("scene")) << mHost->mLoadError;
    mScene3D = mHost->Symbol("Scene3D");
    mDrawGrid = mHost->Symbol("DrawGrid");
    ASSERT_NE(nullptr, mScene3D);
    ASSERT_NE(nullptr, mDrawGrid);
    mGroupName = mHost->AddText("main");
  }
  void TearDown() override {
    mHost.reset();
    MakeCurrent(nullptr);
    mState.reset();
  }

  // Scene3D: group "main", camera at z = 500 looking at the origin, clear both.
  std::vector<int32_t> SceneParams() const {
    return {mGroupName, 0, 0, 500000, 0, 0, 0, 0, 1, 0, 0, 45000, 1000, 10000000, 3, 0, 0, 0};
  }

  uint32_t PixelAt(float inX, float inY) const {
    const double theScale = (kHeight / 2.0) / (500.0 * std::tan(22.5 * M_PI / 180.0));
    unsigned char p[4] = {};
    glReadPixels(int(std::lround(kWidth / 2.0 + inX * theScale)), int(std::lround(kHeight / 2.0 + inY * theScale)),
                 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
  }

  std::unique_ptr<OGLState> mState;
  std::unique_ptr<TestHost> mHost;
  void* mScene3D = nullptr;
  void* mDrawGrid = nullptr;
  int32_t mGroupName = 0;
};

TEST_F(SceneGLTest, GroupHoldsNodesForOneFrameOnlyAndNeverDeletesThem) {
  void* theSlot = nullptr;
  int32_t theStatus = 0;
  ASSERT_TRUE(CallEffect(mScene3D, PHASE_MAKE, &theSlot, SceneParams(), &theStatus));
  EXPECT_EQ(STATUS_BUILT, theStatus);
  bool theStatic = false;
  auto* theGroup = static_cast<Node3D*>(mHost->Produce(KIND_3DWR, "main", &theStatic));
  ASSERT_NE(nullptr, theGroup) << "Scene3D's first call must create its group";
  EXPECT_TRUE(theStatic);
  EXPECT_EQ(nullptr, mHost->Produce(KIND_3DWR, "other")) << "only named groups exist";
  auto* theHolder = dynamic_cast<GroupNode3D*>(theGroup);
  ASSERT_NE(nullptr, theHolder);

  int theDeaths = 0;
  DeathCountingOval theOval(&theDeaths);
  EXPECT_TRUE(theGroup->AddChild(&theOval));
  ASSERT_TRUE(CallEffect(mScene3D, PHASE_RUN, &theSlot, SceneParams(), &theStatus));
  EXPECT_EQ(STATUS_UNCHANGED, theStatus);
  EXPECT_EQ(0x0000FFu, PixelAt(0, 0)) << "the oval added this frame was not drawn at the origin";
  EXPECT_EQ(0x000000u, PixelAt(60, 0));
  EXPECT_EQ(0u, theHolder->GetChildCount()) << "the group must be empty after drawing";

  // A node added after drawing is dropped when the next frame begins.
  theGroup->AddChild(&theOval);
  mHost->BeginFrame();
  EXPECT_EQ(0u, theHolder->GetChildCount());
  ASSERT_TRUE(CallEffect(mScene3D, PHASE_RUN, &theSlot, SceneParams()));
  EXPECT_EQ(0x000000u, PixelAt(0, 0)) << "last frame's node was drawn again";

  // Two events naming one group share it; it lives until the last one ends.
  void* theSecond = nullptr;
  CallEffect(mScene3D, PHASE_MAKE, &theSecond, SceneParams());
  EXPECT_EQ(theGroup, mHost->Produce(KIND_3DWR, "main"));
  CallEffect(mScene3D, PHASE_DESTROY, &theSlot, SceneParams());
  EXPECT_EQ(nullptr, theSlot);
  EXPECT_EQ(theGroup, mHost->Produce(KIND_3DWR, "main"));
  CallEffect(mScene3D, PHASE_DESTROY, &theSecond, SceneParams());
  EXPECT_EQ(nullptr, mHost->Produce(KIND_3DWR, "main")) << "the group outlived its events";
  EXPECT_EQ(0, theDeaths) << "a group deleted a node it only held";
}

TEST_F(SceneGLTest, SceneWithoutAGroupNameFailsQuietly) {
  std::vector<int32_t> theParams = SceneParams();
  theParams[0] = 77;
  void* theSlot = nullptr;
  int32_t theStatus = 0;
  EXPECT_TRUE(CallEffect(mScene3D, PHASE_MAKE, &theSlot, theParams, &theStatus));
  EXPECT_EQ(STATUS_FAILED, theStatus);
  ASSERT_FALSE(mHost->mWarnings.empty());
  EXPECT_EQ("Scene3D: no name for the 3D group nr 77\n", mHost->mWarnings.back());
  EXPECT_TRUE(CallEffect(mScene3D, PHASE_RUN, &theSlot, theParams, &theStatus));
  EXPECT_EQ(STATUS_FAILED, theStatus);
  CallEffect(mScene3D, PHASE_DESTROY, &theSlot, theParams);
}

TEST_F(SceneGLTest, WithoutATrackerScene3DWarnsAndDrawsNothing) {
  mHost.reset();
  mHost = std::make_unique<TestHost>(nullptr);
  ASSERT_TRUE(mHost->Load("scene"));
  mScene3D = mHost->Symbol("Scene3D");
  mGroupName = mHost->AddText("main");
  void* theSlot = nullptr;
  int32_t theStatus = 0;
  CallEffect(mScene3D, PHASE_MAKE, &theSlot, SceneParams(), &theStatus);
  ASSERT_EQ(1u, mHost->mWarnings.size());
  EXPECT_EQ("Scene3D: no OpenGL, 3D group main is not drawn\n", mHost->mWarnings[0]);
  EXPECT_NE(nullptr, mHost->Produce(KIND_3DWR, "main")) << "consumers may still add to the group";
  EXPECT_TRUE(CallEffect(mScene3D, PHASE_RUN, &theSlot, SceneParams(), &theStatus));
  EXPECT_EQ(STATUS_FAILED, theStatus);
  CallEffect(mScene3D, PHASE_DESTROY, &theSlot, SceneParams());
}

// A 3 x 3 grid spanning -100..100 in x and y, and a 2 x 2 texture:
// red, green on the top row, blue, white below.
void MakeTestResources() {
  static float theVertices[27];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      theVertices[(r * 3 + c) * 3] = float(c * 100 - 100);
      theVertices[(r * 3 + c) * 3 + 1] = float(r * 100 - 100);
      theVertices[(r * 3 + c) * 3 + 2] = 0.0f;
    }
  gGrid = Grid{3, 3, 200, 200, theVertices};
  GLuint theName = 0;
  glGenTextures(1, &theName);
  PushTextureUsed(theName);
  const unsigned char theTexels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, theTexels);
  PopTextureUsed();
  gTexture = TextureRecord{};
  gTexture.texture = theName;
  gTexture.width = gTexture.height = 2;
  gTexture.sExtent = gTexture.tExtent = 1.0f;
}

TEST_F(SceneGLTest, DrawGridShowsTheGridWhereItsParametersPlaceIt) {
  MakeTestResources();
  mHost->AddProducer(KIND_GRID, &ProduceTestGrid, &ReleaseNothing);
  mHost->AddProducer(KIND_TXTR, &ProduceTestTexture, &ReleaseNothing);
  const int32_t theGridName = mHost->AddText("grid");
  const int32_t thePicture = mHost->AddText("picture");

  struct Probe {
    float x, y;
    uint32_t colour;
  };
  struct Case {
    const char* name;
    int32_t look;                 // 0 filled, 1 textured, 2 wireframe
    int32_t x, scale, red, green, blue;
    std::vector<Probe> probes;
  } theCases[] = {
      {"filled yellow", 0, 0, 100000, 255, 255, 0, {{0, 0, 0xFFFF00}, {-90, 90, 0xFFFF00}, {0, 110, 0}}},
      {"textured, upright", 1, 0, 100000, 255, 255, 255,
       {{-50, 50, 0xFF0000}, {50, 50, 0x00FF00}, {-50, -50, 0x0000FF}, {50, -50, 0xFFFFFF}}},
      {"wireframe leaves the cells empty", 2, 0, 100000, 255, 255, 255, {{50, 50, 0}, {-50, -50, 0}}},
      {"moved right and halved", 0, 100000, 50000, 0, 255, 255,
       {{100, 0, 0x00FFFF}, {140, 40, 0x00FFFF}, {40, 0, 0}, {-60, 0, 0}}},
  };
  for (const Case& c : theCases) {
    const std::vector<int32_t> theGridParams = {theGridName, thePicture, c.look, c.x, 0, 0, 0, 0, 0, 10000,
                                                c.red,       c.green,    c.blue, 255, 1, 0, c.scale, mGroupName, 0};
    void* theScene = nullptr;
    void* theDraw = nullptr;
    CallEffect(mScene3D, PHASE_MAKE, &theScene, SceneParams());
    CallEffect(mDrawGrid, PHASE_MAKE, &theDraw, theGridParams);
    mHost->BeginFrame();
    int32_t theStatus = 0;
    EXPECT_TRUE(CallEffect(mDrawGrid, PHASE_RUN, &theDraw, theGridParams, &theStatus));
    EXPECT_EQ(STATUS_UNCHANGED, theStatus) << c.name;
    CallEffect(mScene3D, PHASE_RUN, &theScene, SceneParams());
    for (const Probe& p : c.probes)
      EXPECT_EQ(p.colour, PixelAt(p.x, p.y)) << c.name << " at (" << p.x << ", " << p.y << ")";
    if (c.look == 2) {
      // The outline of the right column of cells: some pixel on x = 100 is lit.
      bool theLit = false;
      for (float x = 96; x <= 104; x += 1) theLit |= PixelAt(x, 50) != 0;
      EXPECT_TRUE(theLit) << c.name << ": no line on the grid's right edge";
    }
    CallEffect(mDrawGrid, PHASE_DESTROY, &theDraw, theGridParams);
    CallEffect(mScene3D, PHASE_DESTROY, &theScene, SceneParams());
    EXPECT_EQ(nullptr, theDraw);
  }
  EXPECT_EQ(0, int(glGetError()));
  for (int k = 0; k < STATE_COUNT; ++k) EXPECT_EQ(0, mState->mTop[k]) << "state " << k << " left pushed";
  EXPECT_EQ(GetTextureUsed(), [] {
    GLint v = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &v);
    return unsigned(v);
  }()) << "the bound texture differs from the tracker's";
  EXPECT_EQ(GetTexture2D(), glIsEnabled(GL_TEXTURE_2D) == GL_TRUE);
  EXPECT_EQ(GetState(STATE_BLEND) != 0, glIsEnabled(GL_BLEND) == GL_TRUE);
  EXPECT_EQ(GetState(STATE_DEPTH_TEST) != 0, glIsEnabled(GL_DEPTH_TEST) == GL_TRUE);

  GLuint theName = gTexture.texture;
  glDeleteTextures(1, &theName);
}

TEST_F(SceneGLTest, DrawGridReportsGridsItCannotShow) {
  static float theVertices[6] = {};
  gGrid = Grid{1, 2, 0, 0, theVertices};
  mHost->AddProducer(KIND_GRID, &ProduceTestGrid, &ReleaseNothing);
  const int32_t theGridName = mHost->AddText("grid");
  const int32_t theMissing = mHost->AddText("nowhere");
  for (int32_t theName : {theGridName, theMissing}) {
    const std::vector<int32_t> theParams = {theName, 0, 0, 0, 0, 0, 0, 0, 0, 10000, 255, 255, 255, 255, 1, 0,
                                            100000,  mGroupName};
    void* theDraw = nullptr;
    int32_t theStatus = 0;
    CallEffect(mDrawGrid, PHASE_MAKE, &theDraw, theParams);
    EXPECT_TRUE(CallEffect(mDrawGrid, PHASE_RUN, &theDraw, theParams, &theStatus));
    EXPECT_EQ(STATUS_FAILED, theStatus) << "grid name " << theName;
    CallEffect(mDrawGrid, PHASE_DESTROY, &theDraw, theParams);
  }
  ASSERT_GE(mHost->mWarnings.size(), 2u);
  EXPECT_EQ("DrawGrid: grid nr 1 has 1 x 2 vertices and cannot be shown\n", mHost->mWarnings[0]);
}

// Quit with a scene running, then a second Zorbit_Init with another tracker,
// as a reopened demo brings: the old group is gone, and the new scene draws
// through the new tracker.
TEST_F(SceneGLTest, SecondInitStartsWithoutGroupsAndTakesTheNewTracker) {
  void* theSlot = nullptr;
  ASSERT_TRUE(CallEffect(mScene3D, PHASE_MAKE, &theSlot, SceneParams()));
  ASSERT_NE(nullptr, mHost->Produce(KIND_3DWR, "main"));
  auto theSecondState = std::make_unique<OGLState>(kWidth, kHeight);
  MakeCurrent(theSecondState.get());
  std::swap(mState, theSecondState);  // the old tracker goes after the plug-in let go of it
  ASSERT_TRUE(mHost->Reopen(mHost->Handle(), mState.get()));
  theSecondState.reset();
  EXPECT_EQ(nullptr, mHost->Produce(KIND_3DWR, "main")) << "a group of the first run is still offered";

  void* theNewSlot = nullptr;
  int32_t theStatus = 0;
  ASSERT_TRUE(CallEffect(mScene3D, PHASE_MAKE, &theNewSlot, SceneParams(), &theStatus));
  EXPECT_EQ(STATUS_BUILT, theStatus);
  auto* theGroup = static_cast<Node3D*>(mHost->Produce(KIND_3DWR, "main"));
  ASSERT_NE(nullptr, theGroup);
  int theDeaths = 0;
  DeathCountingOval theOval(&theDeaths);
  theGroup->AddChild(&theOval);
  ASSERT_TRUE(CallEffect(mScene3D, PHASE_RUN, &theNewSlot, SceneParams()));
  EXPECT_EQ(0x0000FFu, PixelAt(0, 0)) << "the second run's scene did not draw its oval";
  CallEffect(mScene3D, PHASE_DESTROY, &theNewSlot, SceneParams());
  EXPECT_TRUE(mHost->mWarnings.empty()) << mHost->mWarnings.front();
  EXPECT_EQ(0, theDeaths);
}

}  // namespace
