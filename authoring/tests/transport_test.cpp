#include "transport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ManualClock : public FrameClock {
 public:
  uint32_t NowMs() override { return mNowMs; }
  void Advance(uint32_t inMs) { mNowMs += inMs; }
  uint32_t mNowMs = 5000;  // not 0: the transport must not take the base for demo time
};

// Logs what the music was told, as "pause", "resume", "seek 1234".
class MusicLog : public MusicFollower {
 public:
  void Pause() override { mCalls.push_back("pause"); }
  void Resume() override { mCalls.push_back("resume"); }
  void SeekTo(uint32_t inDemoMs) override { mCalls.push_back("seek " + std::to_string(inDemoMs)); }
  std::vector<std::string> mCalls;
};

SDL_keysym Key(SDLKey inSym, int inMod = KMOD_NONE) {
  SDL_keysym theKey{};
  theKey.sym = inSym;
  theKey.mod = SDLMod(inMod);
  return theKey;
}

class TransportTest : public ::testing::Test {
 protected:
  ManualClock mBase;
  MusicLog mMusic;
  Transport mTransport{mBase, 1000, 60000};
  void SetUp() override { mTransport.SetMusic(&mMusic); }
  bool Press(SDLKey inSym, int inMod = KMOD_NONE, uint32_t inBpm = 0) {
    return HandleTransportKey(Key(inSym, inMod), mTransport, inBpm);
  }
};

TEST_F(TransportTest, PlaysFromTheStartAndPauseHoldsTime) {
  EXPECT_EQ(mTransport.NowMs(), 1000u) << "starts at the start offset";
  mBase.Advance(250);
  EXPECT_EQ(mTransport.NowMs(), 1250u) << "moves with the base clock";
  EXPECT_TRUE(Press(SDLK_SPACE));
  mBase.Advance(5000);
  EXPECT_EQ(mTransport.NowMs(), 1250u) << "time moved while paused";
  EXPECT_TRUE(Press(SDLK_SPACE));
  mBase.Advance(10);
  EXPECT_EQ(mTransport.NowMs(), 1260u) << "resume lost or gained time";
  EXPECT_EQ(mMusic.mCalls, (std::vector<std::string>{"pause", "resume"})) << "the music did not follow";
  EXPECT_EQ(mTransport.Jumps(), 0u) << "pausing is not a jump of time";
}

TEST_F(TransportTest, SeekKeysMoveTimeAndTheMusicAndClampToTheDemo) {
  struct Case {
    SDLKey key;
    int mod;
    uint32_t bpm;
    uint32_t expected;
  };
  // Each row starts where the previous one left time.
  const Case theCases[] = {
      {SDLK_RIGHT, KMOD_NONE, 0, 2000},   {SDLK_RIGHT, KMOD_LSHIFT, 0, 12000},
      {SDLK_LEFT, KMOD_NONE, 0, 11000},   {SDLK_LEFT, KMOD_RSHIFT, 0, 1000},
      {SDLK_LEFT, KMOD_NONE, 0, 0},       {SDLK_UP, KMOD_NONE, 120, 2000},
      {SDLK_UP, KMOD_NONE, 120, 4000},    {SDLK_DOWN, KMOD_NONE, 120, 2000},
      {SDLK_HOME, KMOD_NONE, 0, 0},       {SDLK_LEFT, KMOD_LSHIFT, 0, 0},
  };
  mTransport.SetPaused(true);
  uint64_t theJumps = 0;
  for (const Case& theCase : theCases) {
    EXPECT_TRUE(Press(theCase.key, theCase.mod, theCase.bpm)) << SDL_GetKeyName(theCase.key);
    EXPECT_EQ(mTransport.NowMs(), theCase.expected) << SDL_GetKeyName(theCase.key);
    EXPECT_EQ(mMusic.mCalls.back(), "seek " + std::to_string(theCase.expected)) << SDL_GetKeyName(theCase.key);
    EXPECT_EQ(mTransport.Jumps(), ++theJumps) << "a seek must count as a jump";
  }
  EXPECT_FALSE(Press(SDLK_UP)) << "Up without a tempo must do nothing";
  EXPECT_FALSE(Press(SDLK_ESCAPE)) << "Escape is the loop's, to quit";
  mTransport.SeekBy(1000000);
  EXPECT_EQ(mTransport.NowMs(), 60000u) << "a seek past the end stops at the end";
}

TEST_F(TransportTest, FrameStepsOnlyWhilePaused) {
  EXPECT_TRUE(Press(SDLK_PERIOD));
  EXPECT_EQ(mTransport.NowMs(), 1000u) << "stepped while playing";
  mTransport.SetPaused(true);
  Press(SDLK_PERIOD);
  Press(SDLK_PERIOD);
  EXPECT_EQ(mTransport.NowMs(), 1000u + 2 * kFrameStepMs);
  Press(SDLK_COMMA);
  EXPECT_EQ(mTransport.NowMs(), 1000u + kFrameStepMs);
  EXPECT_TRUE(mTransport.Paused()) << "a step must leave the transport paused";
}

TEST_F(TransportTest, LoopWrapsBackToItsStart) {
  Press(SDLK_LEFTBRACKET);  // at 1000
  mBase.Advance(500);
  Press(SDLK_RIGHTBRACKET);  // at 1500
  EXPECT_EQ(mTransport.LoopStart(), 1000u);
  EXPECT_EQ(mTransport.LoopEnd(), 1500u);
  mBase.Advance(600);
  EXPECT_EQ(mTransport.NowMs(), 2100u) << "wrapped before looping was on";
  mTransport.SeekTo(1400);
  Press(SDLK_l);
  mBase.Advance(150);
  EXPECT_EQ(mTransport.NowMs(), 1050u) << "1400 + 150 in a 1000-1500 loop";
  EXPECT_EQ(mMusic.mCalls.back(), "seek 1050") << "the music must wrap with the loop";
  mBase.Advance(2 * 500 + 20);
  EXPECT_EQ(mTransport.NowMs(), 1070u) << "a long frame wraps by whole loops";
  Press(SDLK_l);
  mBase.Advance(500);
  EXPECT_EQ(mTransport.NowMs(), 1570u) << "looping off still wraps";
}

TEST_F(TransportTest, PlayingPastTheEndHoldsThereAndSeekingBackPlaysAgain) {
  mBase.Advance(70000);
  EXPECT_EQ(mTransport.NowMs(), 60000u);
  EXPECT_TRUE(mTransport.Paused()) << "the end must pause, not run on";
  Press(SDLK_HOME);
  Press(SDLK_SPACE);
  mBase.Advance(40);
  EXPECT_EQ(mTransport.NowMs(), 40u);
}

TEST(TimeText, DemoTimeAndBarBeat) {
  EXPECT_EQ(FormatDemoTime(0), "00:00.000");
  EXPECT_EQ(FormatDemoTime(83007), "01:23.007");
  EXPECT_EQ(FormatDemoTime(6000000), "100:00.000") << "minutes must not wrap at 100";
  // 120 bpm: a beat is 500 ms, a bar 2000 ms.
  EXPECT_EQ(FormatBarBeat(0, 120), "1.1");
  EXPECT_EQ(FormatBarBeat(499, 120), "1.1");
  EXPECT_EQ(FormatBarBeat(500, 120), "1.2");
  EXPECT_EQ(FormatBarBeat(2000, 120), "2.1");
  // 140 bpm: beat 7 starts at 3000 ms exactly; rounding the beat length would miss it.
  EXPECT_EQ(FormatBarBeat(3000, 140), "2.4");
  EXPECT_EQ(BarMs(120), 2000u);
}

}  // namespace
