// The MakeMovie effect of the real imagery.so, called the way the player
// calls it, with real numbered image files.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imagefiles.h"
#include "imagerytest.h"

namespace {

enum { MOVIE_NAME_TEXT = 0, PATTERN_TEXT = 1, OTHER_NAME_TEXT = 2, OTHER_PATTERN_TEXT = 3 };

class MovieTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Frames of different sizes, so a record shows which frame it holds.
    for (int i = 0; i < 4; ++i) {
      ASSERT_TRUE(WriteBmp("clip" + std::string(i < 10 ? "00" : "0") + std::to_string(i) + ".bmp",
                           MakePatternImage(i + 1, 1, false)));
    }
  }
  void SetUp() override {
    mHost.mTexts = {"film", "clip???.bmp", "other", "clip???.bmp"};
    ASSERT_TRUE(InitImagery());
  }
  void TearDown() override { QuitImagery(); }

  // One effect call as the player makes it; returns the effect's result.
  bool Call(int32_t inPhase, int32_t inFrame, int32_t inNameText = MOVIE_NAME_TEXT,
            int32_t inPatternText = PATTERN_TEXT, void** inSlot = nullptr) {
    mInfo = FrameInfo{};
    mInfo.phase = inPhase;
    return RunMovie(mInfo, inSlot ? inSlot : &mSlot, inNameText, inPatternText, inFrame);
  }
  // PHASE_MAKE and PHASE_RUN of one frame, as the frame loop does for a new event.
  void Start(int32_t inFrame) {
    ASSERT_TRUE(Call(PHASE_MAKE, inFrame));
    ASSERT_TRUE(Call(PHASE_RUN, inFrame));
  }

  TextureRecord* Ask(const std::string& inName, bool* outIsStatic = nullptr) {
    return static_cast<TextureRecord*>(mHost.Produce(KIND_TXTR, inName.c_str(), outIsStatic));
  }
  bool Release(const std::string& inName) { return mHost.Release(KIND_TXTR, inName.c_str()); }

  TestHost& mHost = ImageryHost();
  FrameInfo mInfo{};
  void* mSlot = nullptr;
};

TEST_F(MovieTest, UsersOfTheMovieNameSeeTheCurrentFrame) {
  Start(0);
  EXPECT_NE(mSlot, nullptr);
  EXPECT_EQ(mInfo.status, STATUS_UNCHANGED);
  bool theIsStatic = true;
  TextureRecord* theFrame = Ask("film", &theIsStatic);
  ASSERT_NE(theFrame, nullptr);
  EXPECT_FALSE(theIsStatic) << "a movie changes from frame to frame";
  EXPECT_STREQ(theFrame->name, "clip000.bmp");
  EXPECT_EQ(theFrame->width, 1);

  ASSERT_TRUE(Call(PHASE_RUN, 2));
  TextureRecord* theNext = Ask("film", &theIsStatic);
  ASSERT_NE(theNext, nullptr);
  EXPECT_FALSE(theIsStatic);
  EXPECT_STREQ(theNext->name, "clip002.bmp");
  EXPECT_EQ(theNext->width, 3);
  EXPECT_TRUE(mHost.TakeWarnings().empty());

  // Asking for the movie took no reference; releasing its name finds no record.
  EXPECT_FALSE(Release("film"));
}

TEST_F(MovieTest, MovieHoldsExactlyOneReferenceToTheFrameShown) {
  Start(1);
  ASSERT_TRUE(Call(PHASE_RUN, 1));  // the same frame again changes nothing
  ASSERT_TRUE(Call(PHASE_RUN, 3));
  // Frame 1 was released by the movie: one produce plus one release is balanced,
  // a second release is one too many.
  ASSERT_NE(Ask("clip001.bmp"), nullptr);
  EXPECT_TRUE(Release("clip001.bmp"));
  EXPECT_TRUE(mHost.TakeWarnings().empty());
  EXPECT_TRUE(Release("clip001.bmp"));
  EXPECT_EQ(mHost.TakeWarnings(), std::vector<std::string>{"imagery: double release somewhere for clip001.bmp\n"});

  // Frame 3 is held by the movie until its event ends.
  EXPECT_TRUE(Release("clip003.bmp"));
  EXPECT_TRUE(mHost.TakeWarnings().empty());
  ASSERT_NE(Ask("clip003.bmp"), nullptr);  // give the reference back
  ASSERT_TRUE(Call(PHASE_DESTROY, 3));
  EXPECT_EQ(mSlot, nullptr);
  EXPECT_TRUE(Release("clip003.bmp"));
  EXPECT_EQ(mHost.TakeWarnings(), std::vector<std::string>{"imagery: double release somewhere for clip003.bmp\n"});

  // After the event the name is no movie any more: it is asked of the files.
  bool theIsStatic = false;
  EXPECT_EQ(Ask("film", &theIsStatic), nullptr);
  EXPECT_TRUE(theIsStatic);
}

TEST_F(MovieTest, NegativeFrameNumbersShowTheFirstFrame) {
  Start(-3);
  TextureRecord* theFrame = Ask("film");
  ASSERT_NE(theFrame, nullptr);
  EXPECT_STREQ(theFrame->name, "clip000.bmp");
  ASSERT_TRUE(Call(PHASE_RUN, -1));
  EXPECT_EQ(Ask("film"), theFrame);
  EXPECT_TRUE(mHost.TakeWarnings().empty());
}

TEST_F(MovieTest, MissingTextsAndFramesAreReported) {
  // No pattern text: the event fails on every call.
  EXPECT_FALSE(Call(PHASE_MAKE, 0, MOVIE_NAME_TEXT, 9));
  EXPECT_EQ(mInfo.status, STATUS_FAILED);
  EXPECT_EQ(mHost.TakeWarnings(), std::vector<std::string>{"MakeMovie: Couldn't get the name for the file nr 9\n"});
  EXPECT_EQ(mSlot, nullptr);

  // No movie name text.
  EXPECT_FALSE(Call(PHASE_MAKE, 0, -1, PATTERN_TEXT));
  EXPECT_EQ(mInfo.status, STATUS_FAILED);
  EXPECT_EQ(mHost.TakeWarnings(), std::vector<std::string>{"MakeMovie: Couldn't get the name for the movie nr -1\n"});
  EXPECT_EQ(mSlot, nullptr);
  EXPECT_TRUE(Call(PHASE_DESTROY, 0, -1, PATTERN_TEXT)) << "ending an event that never started";

  // A frame whose file is missing: the movie plays on, users are told.
  Start(7);
  EXPECT_EQ(mInfo.status, STATUS_FAILED);
  EXPECT_EQ(Ask("film"), nullptr);
  EXPECT_EQ(mHost.TakeWarnings(),
            std::vector<std::string>{"ProduceTexture: Couldn't find the movie frame clip007.bmp for the movie film\n"});
  ASSERT_TRUE(Call(PHASE_RUN, 2));
  EXPECT_EQ(mInfo.status, STATUS_UNCHANGED);
  ASSERT_NE(Ask("film"), nullptr);
  EXPECT_TRUE(mHost.TakeWarnings().empty());
}

TEST_F(MovieTest, EndedMoviesFreeTheirEntriesForTheNext) {
  void* theOtherSlot = nullptr;
  Start(0);
  ASSERT_TRUE(Call(PHASE_MAKE, 1, OTHER_NAME_TEXT, OTHER_PATTERN_TEXT, &theOtherSlot));
  EXPECT_STREQ(Ask("other")->name, "clip001.bmp");
  ASSERT_TRUE(Call(PHASE_DESTROY, 0));
  EXPECT_EQ(Ask("film"), nullptr);
  EXPECT_STREQ(Ask("other")->name, "clip001.bmp") << "the other movie is untouched";
  Start(2);
  EXPECT_STREQ(Ask("film")->name, "clip002.bmp");
  ASSERT_TRUE(Call(PHASE_DESTROY, 1, OTHER_NAME_TEXT, OTHER_PATTERN_TEXT, &theOtherSlot));
  EXPECT_EQ(theOtherSlot, nullptr);
  // Still-playing movies are cleaned up by Zorbit_Quit in TearDown.
}

TEST_F(MovieTest, FullMovieTableRefusesTheNextMovie) {
  for (int i = 0; i < 512; ++i) mHost.mTexts.push_back("m" + std::to_string(i));
  std::vector<void*> theSlots(513, nullptr);
  for (int i = 0; i < 512; ++i) {
    ASSERT_TRUE(Call(PHASE_MAKE, 0, 4 + i, PATTERN_TEXT, &theSlots[i])) << i;
  }
  mHost.TakeWarnings();  // 512 references to one frame are reported as a possible leak
  EXPECT_FALSE(Call(PHASE_MAKE, 0, OTHER_NAME_TEXT, PATTERN_TEXT, &theSlots[512]));
  EXPECT_EQ(mInfo.status, STATUS_FAILED);
  EXPECT_EQ(theSlots[512], nullptr);
  EXPECT_EQ(mHost.TakeWarnings(),
            std::vector<std::string>{"MakeMovie: all 512 movie entries are in use, can't play other\n"});
  // Ending one movie makes room.
  ASSERT_TRUE(Call(PHASE_DESTROY, 0, 4 + 100, PATTERN_TEXT, &theSlots[100]));
  EXPECT_TRUE(Call(PHASE_MAKE, 0, OTHER_NAME_TEXT, PATTERN_TEXT, &theSlots[512]));
  EXPECT_NE(Ask("other"), nullptr);
}

}  // namespace
