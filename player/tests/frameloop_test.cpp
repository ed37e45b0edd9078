// The track cursor against the plain rule: the first event in track order
// whose end is not before t is active when its start is not after t.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "frameloop.h"

namespace {

int32_t PlainActiveEvent(const Track& inTrack, uint32_t inTime) {
  for (uint32_t j = 0; j < inTrack.eventCount; ++j) {
    if (inTime <= inTrack.events[j].endTime) return inTime >= inTrack.events[j].startTime ? int32_t(j) : -1;
  }
  return -1;
}

// Events in time order with gaps, overlaps, zero lengths and equal starts,
// some of them moved out of order.
std::vector<Event> RandomEvents(std::mt19937& ioRandom, uint32_t inCount) {
  std::vector<Event> theEvents(inCount, Event{});
  uint32_t theStart = 0;
  for (Event& theEvent : theEvents) {
    switch (ioRandom() % 4) {
      case 0: break;                                 // same start as the one before
      case 1: theStart += 10 * (ioRandom() % 5); break;
      default: theStart += 10 * (ioRandom() % 200); break;
    }
    theEvent.startTime = theStart;
    const uint32_t theKind = ioRandom() % 5;
    theEvent.endTime = theStart + (theKind == 0 ? 0 : theKind == 1 ? 10 * (ioRandom() % 3000) : 10 * (ioRandom() % 150));
  }
  const uint32_t theSwaps = ioRandom() % 4 == 0 ? inCount / 4 : 0;
  for (uint32_t k = 0; k < theSwaps; ++k) std::swap(theEvents[ioRandom() % inCount], theEvents[ioRandom() % inCount]);
  return theEvents;
}

TEST(TrackCursor, FindsWhatThePlainRuleFindsOnRandomTracksAndClocks) {
  std::mt19937 theRandom(16);
  for (int theRound = 0; theRound < 300; ++theRound) {
    std::vector<Event> theEvents = RandomEvents(theRandom, 1 + theRandom() % 300);
    const Track theTrack{uint32_t(theEvents.size()), theEvents.data()};
    uint32_t theLast = 0;
    for (const Event& theEvent : theEvents) theLast = std::max(theLast, theEvent.endTime);
    TrackCursor theCursor;
    uint32_t theTime = theRandom() % 3 == 0 ? theRandom() % (theLast + 100) : 0;
    for (int theFrame = 0; theFrame < 2000; ++theFrame) {
      const int32_t theExpected = PlainActiveEvent(theTrack, theTime);
      ASSERT_EQ(theCursor.Find(theTrack, theTime), theExpected)
          << "round " << theRound << ", frame " << theFrame << ": wrong event at " << theTime << " ms";
      switch (theRandom() % 20) {
        case 0: theTime = theRandom() % (theLast + 100); break;                   // seek anywhere
        case 1: theTime = theTime > 500 ? theTime - theRandom() % 500 : 0; break;  // a little back
        case 2: break;                                                           // the same time again
        case 3: theTime += 1000 + theRandom() % 20000; break;                     // far ahead
        default: theTime += theRandom() % 40; break;                              // playing
      }
    }
  }
}

TEST(TrackCursor, KeepsTheEdgesOfTheRule) {
  // {start, end} pairs, then times with the event the rule gives.
  struct Case {
    std::vector<std::pair<uint32_t, uint32_t>> events;
    std::vector<std::pair<uint32_t, int32_t>> times;
    const char* what;
  } theCases[] = {
      {{{1000, 2000}}, {{999, -1}, {1000, 0}, {2000, 0}, {2001, -1}}, "both ends are inclusive"},
      {{{0, 1000}, {1000, 3000}}, {{1000, 0}, {1001, 1}, {3000, 1}, {3001, -1}}, "the earlier event wins at a shared time"},
      {{{0, 5000}, {1000, 2000}}, {{1500, 0}, {2000, 0}, {4000, 0}, {5001, -1}}, "a nested event is never active"},
      {{{3000, 4000}, {0, 1000}}, {{500, -1}, {3500, 0}, {500, -1}, {4500, -1}}, "an out-of-order event waits behind the first"},
      {{{500, 500}, {500, 800}}, {{500, 0}, {501, 1}, {500, 0}, {0, -1}}, "a zero-length event lasts its one ms"},
      {{{0, 4294967295u}}, {{4294967295u, 0}, {0, 0}}, "an event to the end of time"},
  };
  for (const Case& theCase : theCases) {
    std::vector<Event> theEvents;
    for (const auto& thePair : theCase.events) {
      Event theEvent{};
      theEvent.startTime = thePair.first;
      theEvent.endTime = thePair.second;
      theEvents.push_back(theEvent);
    }
    const Track theTrack{uint32_t(theEvents.size()), theEvents.data()};
    TrackCursor theCursor;
    for (const auto& theTime : theCase.times) {
      EXPECT_EQ(theCursor.Find(theTrack, theTime.first), theTime.second) << theCase.what << ", at " << theTime.first << " ms";
    }
  }
}

TEST(TrackCursor, FollowsAnotherTrackAndForgetsOnReset) {
  std::vector<Event> theFirst(2, Event{});
  theFirst[0].endTime = 100;
  theFirst[1].startTime = 200;
  theFirst[1].endTime = 300;
  std::vector<Event> theSecond(1, Event{});
  theSecond[0].startTime = 250;
  theSecond[0].endTime = 260;
  TrackCursor theCursor;
  EXPECT_EQ(theCursor.Find(Track{2, theFirst.data()}, 250), 1);
  EXPECT_EQ(theCursor.Find(Track{1, theSecond.data()}, 250), 0) << "the cursor kept the first track's events";
  EXPECT_EQ(theCursor.Find(Track{0, nullptr}, 250), -1) << "an empty track has no active event";
  // The same array edited in place is only seen after a reset.
  theSecond[0].endTime = 240;
  theCursor.Reset();
  EXPECT_EQ(theCursor.Find(Track{1, theSecond.data()}, 250), -1) << "the reset kept the old event ends";
}

}  // namespace
