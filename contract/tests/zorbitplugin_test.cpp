// The plug-in writers' helpers: warnings of any length, a host with empty
// slots, and the bookkeeping of per-event states.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <zorbit/zorbitplugin.h>

namespace {

std::vector<std::string> gLines;
void Record(const char* inLine) { gLines.push_back(inLine); }

void WarnWithEnd(const char* inEnd, const char* inFormat, ...) {
  va_list theArgs;
  va_start(theArgs, inFormat);
  zorbit::WarnV(&Record, inEnd, inFormat, theArgs);
  va_end(theArgs);
}

TEST(PluginWarn, TextsOfEveryLengthArriveWholeWithTheirEnd) {
  void* theTable[HOST_SLOT_COUNT] = {};
  theTable[HOST_WARN] = reinterpret_cast<void*>(&Record);
  zorbit::Host theHost;
  theHost.Attach(theTable);
  for (size_t theLength : {0u, 10u, 1022u, 1023u, 1024u, 5000u}) {
    gLines.clear();
    const std::string theName(theLength, 'n');
    theHost.Warn("Effect: %s %d\n", theName.c_str(), 7);
    ASSERT_EQ(gLines.size(), 1u) << "length " << theLength;
    EXPECT_EQ(gLines[0], "Effect: " + theName + " 7\n") << "a warning of length " << theLength << " was changed";
    gLines.clear();
    WarnWithEnd("\n", "%s", theName.c_str());
    ASSERT_EQ(gLines.size(), 1u);
    EXPECT_EQ(gLines[0], theName + "\n") << "the end was not added at length " << theLength;
  }
}

TEST(PluginHost, EmptySlotsDoNothingAndAnswerNull) {
  zorbit::Host theHost;
  theHost.Attach(nullptr);
  theHost.Warn("no host %d\n", 1);
  EXPECT_EQ(theHost.Text(0), nullptr);
  bool theStatic = false;
  EXPECT_EQ(theHost.Use(KIND_FONT, 0, nullptr, false, "Test", "font", &theStatic), nullptr);
  theHost.Release(KIND_FONT, 0, nullptr);
  EXPECT_FALSE(theHost.Register(KIND_FONT, nullptr, nullptr)) << "registering without a host reported success";
  EXPECT_EQ(theHost.Open("x"), nullptr);
  theHost.Close(nullptr);
}

struct Counted {
  int mValue;
};

TEST(PluginEventStates, QuitEndsEveryStateLeftBehindItsSlot) {
  zorbit::EventStates<Counted> theStates;
  void* theSlots[3] = {};
  for (int i = 0; i < 3; ++i) ASSERT_EQ(theStates.Make(&theSlots[i], i)->mValue, i);
  EXPECT_EQ(theStates.Of(&theSlots[1])->mValue, 1);
  Counted* theFirst = theStates.Of(&theSlots[0]);
  theStates.Forget(theFirst, &theSlots[0]);
  delete theFirst;
  EXPECT_EQ(theSlots[0], nullptr) << "Forget left the slot set";
  EXPECT_EQ(theStates.Count(), 2u);
  int theEnded = 0;
  theStates.DestroyAll([&](Counted* inState) {
    ++theEnded;
    theStates.Forget(inState);
    delete inState;
  });
  EXPECT_EQ(theEnded, 2);
  EXPECT_EQ(theStates.Count(), 0u);
}

struct Shared {
  virtual ~Shared() = default;
  int mGrid = -1;
};
struct Derived : Shared {
  Derived() { mGrid = 7; }
  int mOwn = 3;
};

// Effects whose events keep states of different classes share one set.
TEST(PluginEventStates, DerivedStatesAreKeptAndFoundThroughTheirBase) {
  zorbit::EventStates<Shared> theStates;
  void* theSlots[2] = {};
  Derived* theDerived = theStates.Make<Derived>(&theSlots[0]);
  Shared* theShared = theStates.Make(&theSlots[1]);
  EXPECT_EQ(theStates.Of(&theSlots[0]), static_cast<Shared*>(theDerived)) << "the slot does not hold the base";
  EXPECT_EQ(static_cast<Derived*>(theStates.Of(&theSlots[0]))->mOwn, 3);
  EXPECT_EQ(theStates.Of(&theSlots[1]), theShared);
  EXPECT_TRUE(theStates.Holds(theDerived));
  EXPECT_EQ(theStates.Of(&theSlots[0])->mGrid, 7);
  theStates.DestroyAll([&](Shared* inState) {
    theStates.Forget(inState);
    delete inState;
  });
  EXPECT_EQ(theStates.Count(), 0u);
}

}  // namespace
