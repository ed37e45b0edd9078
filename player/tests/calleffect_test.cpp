#include "binding.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "basicexception.h"

namespace {

std::vector<int32_t> gReceived;
void** gSlotSeen = nullptr;
FrameInfo* gInfoSeen = nullptr;

#define I32X10 int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t
bool Capture(FrameInfo* inInfo, void** ioSlot, int32_t a0, int32_t a1, int32_t a2, int32_t a3, int32_t a4,
             int32_t a5, int32_t a6, int32_t a7, int32_t a8, int32_t a9, int32_t a10, int32_t a11, int32_t a12,
             int32_t a13, int32_t a14, int32_t a15, int32_t a16, int32_t a17, int32_t a18, int32_t a19, int32_t a20,
             int32_t a21, int32_t a22, int32_t a23, int32_t a24, int32_t a25, int32_t a26, int32_t a27, int32_t a28,
             int32_t a29, int32_t a30, int32_t a31, int32_t a32, int32_t a33, int32_t a34, int32_t a35, int32_t a36,
             int32_t a37, int32_t a38, int32_t a39) {
  gReceived = {a0,  a1,  a2,  a3,  a4,  a5,  a6,  a7,  a8,  a9,  a10, a11, a12, a13, a14, a15, a16, a17, a18, a19,
               a20, a21, a22, a23, a24, a25, a26, a27, a28, a29, a30, a31, a32, a33, a34, a35, a36, a37, a38, a39};
  gSlotSeen = ioSlot;
  gInfoSeen = inInfo;
  return a0 != -1;
}

TEST(CallEffect, PassesTheValuesThenZerosUpToForty) {
  for (uint32_t theCount : {0u, 1u, 3u, 39u, 40u}) {
    std::vector<int32_t> theValues(128, 0);
    for (uint32_t i = 0; i < 128; ++i) theValues[i] = int32_t(1000 + i);
    gReceived.clear();
    FrameInfo theInfo = {};
    void* theSlot = nullptr;
    EXPECT_TRUE(CallEffect(reinterpret_cast<void*>(&Capture), &theInfo, &theSlot, theCount, theValues.data()));
    ASSERT_EQ(40u, gReceived.size()) << theCount;
    for (uint32_t i = 0; i < 40; ++i) {
      EXPECT_EQ(i < theCount ? int32_t(1000 + i) : 0, gReceived[i]) << "value " << i << " of " << theCount;
    }
    EXPECT_EQ(&theSlot, gSlotSeen);
    EXPECT_EQ(&theInfo, gInfoSeen);
  }
}

TEST(CallEffect, MoreThanFortyValuesAreNeverCalled) {
  std::vector<int32_t> theValues(128, 7);
  gReceived.clear();
  FrameInfo theInfo = {};
  void* theSlot = nullptr;
  EXPECT_FALSE(CallEffect(reinterpret_cast<void*>(&Capture), &theInfo, &theSlot, 41, theValues.data()));
  EXPECT_TRUE(gReceived.empty());
  int32_t theFail = -1;
  EXPECT_FALSE(CallEffect(reinterpret_cast<void*>(&Capture), &theInfo, &theSlot, 1, &theFail))
      << "the effect's own false comes back";
}

TEST(LibraryNames, DebugNameFirstThenAsWrittenThenThisPlatformsSuffix) {
  struct Case {
    const char* fileName;
    std::vector<std::string> names;
  };
  const Case theCases[] = {
      {"fonts.so", {"fontsDBG.so", "fonts.so"}},
      {"Effects.dll", {"EffectsDBG.dll", "Effects.dll", "EffectsDBG.so", "Effects.so"}},
      {"fx.v2.so", {"fxDBG.v2.so", "fx.v2.so"}},  // DBG goes before the first '.'
      {"plainname", {"plainname"}},               // no '.': only the name as written
      {"sub/fx.dll", {"sub/fxDBG.dll", "sub/fx.dll", "sub/fxDBG.so", "sub/fx.so"}},
  };
  for (const Case& theCase : theCases) {
    EXPECT_EQ(theCase.names, LibraryCandidateNames(theCase.fileName)) << theCase.fileName;
  }
}

TEST(LibraryNames, SearchStartsInTheDocumentsFolderThenBesideTheProgram) {
  std::vector<std::string> theFolders = LibrarySearchFolders("/data/shows/demo.xml");
  ASSERT_GE(theFolders.size(), 2u);
  EXPECT_EQ("/data/shows", theFolders[0]);
  char theOwn[4096] = {};
  ASSERT_GT(readlink("/proc/self/exe", theOwn, sizeof theOwn - 1), 0);
  std::string theOwnFolder = theOwn;
  EXPECT_EQ(theOwnFolder.substr(0, theOwnFolder.rfind('/')), theFolders[1]) << "then beside the program";
  EXPECT_EQ(".", LibrarySearchFolders("demo.xml")[0]) << "a bare document name lies in the working directory";
}

TEST(LibraryNames, PluginPathFoldersComeRightAfterTheDocumentsFolder) {
  setenv("ZORBIT_PLUGIN_PATH", "/dev/plugins::/more", 1);
  std::vector<std::string> theFolders = LibrarySearchFolders("/data/shows/demo.xml");
  unsetenv("ZORBIT_PLUGIN_PATH");
  ASSERT_GE(theFolders.size(), 4u);
  EXPECT_EQ("/data/shows", theFolders[0]);
  EXPECT_EQ("/dev/plugins", theFolders[1]);
  EXPECT_EQ("/more", theFolders[2]) << "empty entries are skipped";
}

// A demo model built by hand, allocated the way DestroyDemo frees it.
char* Copy(const char* inText) { return strdup(inText); }

struct HandDemo {
  Demo demo = {};
  ~HandDemo() { DestroyDemo(demo); }
  void Libraries(std::vector<std::pair<const char*, std::vector<const char*>>> inLibraries) {
    demo.libraryCount = uint32_t(inLibraries.size());
    demo.libraries = static_cast<Library*>(calloc(inLibraries.size(), sizeof(Library)));
    for (size_t l = 0; l < inLibraries.size(); ++l) {
      Library& theLibrary = demo.libraries[l];
      theLibrary.fileName = Copy(inLibraries[l].first);
      theLibrary.functionCount = uint32_t(inLibraries[l].second.size());
      theLibrary.functions = static_cast<LibraryFunction*>(calloc(theLibrary.functionCount, sizeof(LibraryFunction)));
      for (size_t f = 0; f < inLibraries[l].second.size(); ++f) {
        theLibrary.functions[f].name = Copy(inLibraries[l].second[f]);
        // A distinct fake address per function, never called.
        theLibrary.functions[f].entry = reinterpret_cast<void*>(uintptr_t(0x1000 * (l + 1) + f));
      }
    }
  }
  void Tracks(std::vector<std::vector<std::pair<const char*, const char*>>> inTracks) {
    demo.trackCount = uint32_t(inTracks.size());
    demo.tracks = static_cast<Track*>(calloc(inTracks.size(), sizeof(Track)));
    for (size_t t = 0; t < inTracks.size(); ++t) {
      demo.tracks[t].eventCount = uint32_t(inTracks[t].size());
      demo.tracks[t].events = static_cast<Event*>(calloc(inTracks[t].size() + 1, sizeof(Event)));
      for (size_t e = 0; e < inTracks[t].size(); ++e) {
        demo.tracks[t].events[e].libraryFileName = Copy(inTracks[t][e].first);
        demo.tracks[t].events[e].functionName = Copy(inTracks[t][e].second);
      }
    }
  }
};

TEST(MatchEvents, FirstLibraryOfThatNameSupplyingTheFunctionWins) {
  HandDemo theDemo;
  theDemo.Libraries({{"fx.so", {"Spin", "Fade"}}, {"other.so", {"Fade"}}, {"fx.so", {"Zoom", "Spin"}}});
  theDemo.Tracks({{{"fx.so", "Spin"}, {"other.so", "Fade"}}, {}, {{"fx.so", "Zoom"}}});
  ASSERT_NO_THROW(MatchEvents(theDemo.demo));
  EXPECT_EQ(reinterpret_cast<void*>(0x1000), theDemo.demo.tracks[0].events[0].effect);
  EXPECT_EQ(reinterpret_cast<void*>(0x2000), theDemo.demo.tracks[0].events[1].effect);
  EXPECT_EQ(reinterpret_cast<void*>(0x3000), theDemo.demo.tracks[2].events[0].effect)
      << "a later library of the same name supplies what the first lacks";
}

TEST(MatchEvents, UnmatchedEventsNameEventFunctionLibraryAndTrack) {
  struct Case {
    std::vector<std::vector<std::pair<const char*, const char*>>> tracks;
    const char* message;
  };
  const Case theCases[] = {
      {{{{"fx.so", "Spin"}}, {}, {{"fx.so", "Nope"}}},
       "Couldn't match event 0's function 'Nope' for library 'fx.so' to available libraries in track 2"},
      {{{{"fx.so", "Spin"}, {"FX.so", "Spin"}}},  // library names compare case-sensitively
       "Couldn't match event 1's function 'Spin' for library 'FX.so' to available libraries in track 0"},
      {{{{"other.so", "Spin"}}},
       "Couldn't match event 0's function 'Spin' for library 'other.so' to available libraries in track 0"},
  };
  for (const Case& theCase : theCases) {
    HandDemo theDemo;
    theDemo.Libraries({{"fx.so", {"Spin"}}, {"other.so", {"Fade"}}});
    theDemo.Tracks(theCase.tracks);
    try {
      MatchEvents(theDemo.demo);
      ADD_FAILURE() << "no failure for: " << theCase.message;
    } catch (const BasicException& inFailure) {
      EXPECT_STREQ(theCase.message, inFailure.GetMessage());
    }
  }
}

}  // namespace
