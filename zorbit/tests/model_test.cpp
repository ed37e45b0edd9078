// The NameTable and the destruction of demo records.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "demo.h"
#include "nametable.h"
#include "segmentindex.h"

namespace {

TEST(NameTable, GrowsByTenAndNumbersTextsInOrder) {
  NameTable theTable{0, 0, nullptr};
  char theText[8];
  for (int theI = 0; theI < 25; ++theI) {
    snprintf(theText, sizeof theText, "t%d", theI);
    AddName(theTable, theText);
    EXPECT_EQ(theTable.capacity, (theI / 10 + 1) * 10) << "after " << theI + 1 << " texts";
  }
  EXPECT_EQ(theTable.count, 25);
  EXPECT_STREQ(GetNameFrom(theTable, 0), "t0");
  EXPECT_STREQ(GetNameFrom(theTable, 24), "t24");
  EXPECT_EQ(GetNameFrom(theTable, 25), nullptr);
  EXPECT_EQ(GetNameFrom(theTable, -1), nullptr);
  ClearNameTable(theTable);
  EXPECT_EQ(theTable.count, 0);
}

TEST(NameTable, ProcessTableIsOneAndKeepsPrivateCopies) {
  NameTable& theTable = GetNameTable();
  EXPECT_EQ(&theTable, &GetNameTable());
  const int32_t theIndex = theTable.count;
  char theText[] = "kick";
  AddName(theTable, theText);
  theText[0] = 'X';
  EXPECT_STREQ(GetName(theIndex), "kick");
  EXPECT_EQ(GetName(theIndex + 1), nullptr);
  EXPECT_EQ(GetName(-5), nullptr);
}

char* Copy(const char* inText) {
  char* theCopy = static_cast<char*>(malloc(strlen(inText) + 1));
  strcpy(theCopy, inText);
  return theCopy;
}

template <typename T>
T* Make() {
  return static_cast<T*>(calloc(1, sizeof(T)));
}

TEST(DemoModel, DestroyFreesEverythingAndLeavesTheDemoZero) {
  // Built by hand, with nested combinations and an indexed long curve; ASan
  // reports anything left behind.
  Demo theDemo{};
  theDemo.libraryCount = 1;
  theDemo.libraries = static_cast<Library*>(calloc(1, sizeof(Library)));
  theDemo.libraries[0].fileName = Copy("fonts.so");
  theDemo.libraries[0].functionCount = 1;
  theDemo.libraries[0].functions = static_cast<LibraryFunction*>(calloc(1, sizeof(LibraryFunction)));
  theDemo.libraries[0].functions[0].name = Copy("Text3D");
  theDemo.libraries[0].functions[0].paramNameCount = 2;
  theDemo.libraries[0].functions[0].paramNames = static_cast<char**>(calloc(2, sizeof(char*)));
  theDemo.libraries[0].functions[0].paramNames[0] = Copy("x");
  theDemo.libraries[0].functions[0].paramNames[1] = Copy("y");
  theDemo.musicFile = Copy("music.ogg");
  theDemo.trackCount = 2;
  theDemo.tracks = static_cast<Track*>(calloc(2, sizeof(Track)));
  Track& theTrack = theDemo.tracks[1];
  theTrack.eventCount = 1;
  theTrack.events = static_cast<Event*>(calloc(1, sizeof(Event)));
  Event& theEvent = theTrack.events[0];
  theEvent.libraryFileName = Copy("fonts.so");
  theEvent.functionName = Copy("Text3D");
  theEvent.paramCount = 3;
  theEvent.paramKinds = static_cast<int32_t*>(calloc(3, sizeof(int32_t)));
  theEvent.params = static_cast<ParamFunction**>(calloc(3, sizeof(ParamFunction*)));
  MultiParam* theLong = Make<MultiParam>();
  theLong->segmentCount = 100;
  theLong->times = static_cast<uint32_t*>(calloc(100, sizeof(uint32_t)));
  theLong->values = static_cast<int32_t*>(calloc(101, sizeof(int32_t)));
  const size_t theIndexesBefore = LiveSegmentIndexCount();
  BuildSegmentIndex(theLong);
  ASSERT_TRUE(HasSegmentIndex(theLong));
  ASSERT_EQ(LiveSegmentIndexCount(), theIndexesBefore + 1);
  CombiParam* theInner = Make<CombiParam>();
  theInner->first = Make<SineParam>();
  theInner->firstKind = PARAM_SINE;
  theInner->second = Make<BeatParam>();
  theInner->secondKind = PARAM_BEAT;
  CombiParam* theOuter = Make<CombiParam>();
  theOuter->first = theInner;
  theOuter->firstKind = PARAM_COMBI;
  theOuter->second = theLong;
  theOuter->secondKind = PARAM_MULTI;
  theEvent.paramKinds[0] = PARAM_COMBI;
  theEvent.params[0] = theOuter;
  theEvent.paramKinds[1] = PARAM_CONST;
  theEvent.params[1] = Make<ConstParam>();
  theEvent.paramKinds[2] = PARAM_CONST;  // a slot a failed load never filled

  DestroyDemo(theDemo);
  EXPECT_EQ(LiveSegmentIndexCount(), theIndexesBefore) << "the index of a destroyed curve is kept";
  EXPECT_EQ(theDemo.libraryCount, 0u);
  EXPECT_EQ(theDemo.libraries, nullptr);
  EXPECT_EQ(theDemo.trackCount, 0u);
  EXPECT_EQ(theDemo.tracks, nullptr);
  EXPECT_EQ(theDemo.musicFile, nullptr);
}

TEST(DemoModel, DestroyParamOfUnknownKindFreesNothing) {
  ConstParam theOnStack{};
  DestroyParam(&theOnStack, 5);
  DestroyParam(&theOnStack, -1);
  DestroyParam(nullptr, PARAM_MULTI);
}

}  // namespace
