#include "resourceregistry.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "nametable.h"

namespace {

const int32_t kKindGrid = KIND_GRID;
std::vector<std::string> gWarnings;
std::vector<std::string> gCalls;

void CollectWarning(const char* inText) { gWarnings.push_back(inText); }

// Producers that know the names starting with their letter.
template <char kLetter>
void* ProduceLetter(const char* inName, void*, bool& outIsStatic) {
  gCalls.push_back(std::string("produce ") + kLetter + " " + inName);
  if (inName[0] != kLetter) return nullptr;
  outIsStatic = true;
  static char theResource = kLetter;
  return &theResource;
}
template <char kLetter>
bool ReleaseLetter(const char* inName, void*) {
  gCalls.push_back(std::string("release ") + kLetter + " " + inName);
  return inName[0] == kLetter;
}

// The texts every test sees: numbers 0 .. 3.
class Registry : public testing::Test {
 protected:
  void SetUp() override {
    ClearNameTable(GetNameTable());
    for (const char* theText : {"apple", "banana", "avocado", "cherry"}) AddName(GetNameTable(), theText);
    ClearResourceRegistry();
    SetWarningFunction(&CollectWarning);
    gWarnings.clear();
    gCalls.clear();
  }
  void TearDown() override {
    ClearResourceRegistry();
    ClearNameTable(GetNameTable());
    SetWarningFunction(nullptr);
  }
  static void* Use(int32_t inName, bool inPrivate = false, int32_t inKind = kKindGrid) {
    bool theStatic = false;
    return UseResource(inKind, inName, nullptr, inPrivate, "WaveGridZ", "grid", &theStatic);
  }
};

TEST_F(Registry, MissingNameNumbersWarnWithRequesterKindAndNumber) {
  RegisterKind(kKindGrid, &ProduceLetter<'a'>, &ReleaseLetter<'a'>);
  for (int32_t theIndex : {-1, 4, 1000}) {
    gWarnings.clear();
    EXPECT_EQ(nullptr, Use(theIndex)) << theIndex;
    ASSERT_EQ(1u, gWarnings.size());
    EXPECT_EQ("WaveGridZ could not find the name for the grid nr " + std::to_string(theIndex) + "\n", gWarnings[0]);
  }
  EXPECT_TRUE(gCalls.empty()) << "no producer may be asked for a name that does not exist";
  EXPECT_EQ(nullptr, GetText(-1));
  EXPECT_EQ(nullptr, GetText(4));
  EXPECT_STREQ("apple", GetText(0));
}

TEST_F(Registry, ProducersAreAskedInRegistrationOrderUntilOneKnowsTheName) {
  RegisterKind(kKindGrid, &ProduceLetter<'a'>, &ReleaseLetter<'a'>);
  RegisterKind(KIND_FONT, &ProduceLetter<'b'>, &ReleaseLetter<'b'>);  // another kind: never asked for grids
  RegisterKind(kKindGrid, &ProduceLetter<'b'>, &ReleaseLetter<'b'>);
  void* theBanana = Use(1);
  ASSERT_NE(nullptr, theBanana);
  EXPECT_EQ('b', *static_cast<char*>(theBanana));
  EXPECT_EQ((std::vector<std::string>{"produce a banana", "produce b banana"}), gCalls);

  gCalls.clear();
  bool theStatic = false;
  EXPECT_EQ(nullptr, UseResource(kKindGrid, 3, nullptr, false, "WaveGridZ", "grid", &theStatic));
  EXPECT_FALSE(theStatic) << "isStatic is written only by producers that deliver";
  EXPECT_EQ((std::vector<std::string>{"WaveGridZ could not find the grid named cherry\n"}), gWarnings);

  gCalls.clear();
  ReleaseResource(kKindGrid, 1, theBanana);
  EXPECT_EQ((std::vector<std::string>{"release a banana", "release b banana"}), gCalls)
      << "release stops at the first releaser that takes it";
}

TEST_F(Registry, PrivateUseLocksOnlyThatKindAndNameUntilReleased) {
  RegisterKind(kKindGrid, &ProduceLetter<'a'>, &ReleaseLetter<'a'>);
  RegisterKind(KIND_TXTR, &ProduceLetter<'a'>, &ReleaseLetter<'a'>);
  ASSERT_NE(nullptr, Use(0, true));
  EXPECT_EQ(1, GetResourceRegistry().privateCount);
  EXPECT_EQ(nullptr, Use(0));
  EXPECT_EQ(nullptr, Use(0, true));
  EXPECT_EQ(2u, gWarnings.size());
  EXPECT_EQ("WaveGridZ tried to use the grid apple, but it's already in private use!\n", gWarnings[0]);
  EXPECT_NE(nullptr, Use(2)) << "another name of the same kind is unaffected";
  EXPECT_NE(nullptr, Use(0, false, KIND_TXTR)) << "the same name of another kind is unaffected";

  // A negative name number only ends the private use of that number.
  gCalls.clear();
  ReleaseResource(kKindGrid, -1, nullptr);
  EXPECT_EQ(1, GetResourceRegistry().privateCount);
  ReleaseResource(kKindGrid, 0, nullptr);
  EXPECT_EQ(0, GetResourceRegistry().privateCount);
  EXPECT_EQ((std::vector<std::string>{"release a apple"}), gCalls);
  EXPECT_NE(nullptr, Use(0));
}

TEST_F(Registry, ReleaseRemovesOnlyTheFirstOfEqualPrivateUsesAndKeepsTheOthers) {
  RegisterKind(kKindGrid, &ProduceLetter<'a'>, &ReleaseLetter<'a'>);
  ASSERT_NE(nullptr, Use(0, true));
  ASSERT_NE(nullptr, Use(2, true));
  ResourceRegistry& theRegistry = GetResourceRegistry();
  ReleaseResource(kKindGrid, 0, nullptr);
  ASSERT_EQ(1, theRegistry.privateCount);
  EXPECT_EQ(2, theRegistry.privateNames[0]) << "the last pair moves into the freed place";
  ReleaseResource(kKindGrid, 5, nullptr);  // no such text: nothing reported, nothing changed
  EXPECT_EQ(1, theRegistry.privateCount);
  EXPECT_TRUE(gWarnings.empty());
}

TEST_F(Registry, FullPrivateTableRefusesWithoutAskingAProducer) {
  RegisterKind(kKindGrid, &ProduceLetter<'a'>, &ReleaseLetter<'a'>);
  // 512 private uses of distinct kinds of the same name fill the table.
  for (int32_t i = 0; i < ResourceRegistry::kPrivateCapacity; ++i) RegisterKind(1000 + i, &ProduceLetter<'a'>, nullptr);
  for (int32_t i = 0; i < ResourceRegistry::kPrivateCapacity; ++i) ASSERT_NE(nullptr, Use(0, true, 1000 + i)) << i;
  gCalls.clear();
  EXPECT_EQ(nullptr, Use(0, true));
  EXPECT_TRUE(gCalls.empty());
  ASSERT_EQ(1u, gWarnings.size());
  EXPECT_EQ("WaveGridZ tried to use the grid apple privately, but 512 resources are in private use already!\n",
            gWarnings[0]);
  EXPECT_NE(nullptr, Use(0)) << "an ordinary use still works while the table is full";
  ReleaseResource(1000, 0, nullptr);
  EXPECT_NE(nullptr, Use(0, true)) << "a freed entry can be used again";
}

TEST_F(Registry, LongNamesReachTheWarningWhole) {
  std::string theLong(3000, 'z');
  AddName(GetNameTable(), theLong.c_str());
  EXPECT_EQ(nullptr, Use(4));
  ASSERT_EQ(1u, gWarnings.size());
  EXPECT_EQ("WaveGridZ could not find the grid named " + theLong + "\n", gWarnings[0]);
}

TEST_F(Registry, KindArrayGrowsKeepingRegistrationOrder) {
  for (int32_t i = 0; i < 25; ++i) RegisterKind(i, &ProduceLetter<'a'>, nullptr);
  ResourceRegistry& theRegistry = GetResourceRegistry();
  EXPECT_EQ(25, theRegistry.count);
  EXPECT_EQ(30, theRegistry.capacity) << "grows to count + 10 when full";
  for (int32_t i = 0; i < 25; ++i) EXPECT_EQ(i, theRegistry.kinds[i].kind);
}

TEST_F(Registry, StreamsOpenExistingFilesOnly) {
  EXPECT_EQ(nullptr, OpenStream("/nonexistent/file.png"));
  EXPECT_EQ(nullptr, OpenStream(nullptr));
  std::string thePath = testing::TempDir() + "registry_stream.bin";
  FILE* theFile = std::fopen(thePath.c_str(), "wb");
  ASSERT_NE(nullptr, theFile);
  std::fputs("zorbit", theFile);
  std::fclose(theFile);
  SDL_RWops* theStream = OpenStream(thePath.c_str());
  ASSERT_NE(nullptr, theStream);
  char theText[7] = {};
  EXPECT_EQ(1, SDL_RWread(theStream, theText, 6, 1));
  EXPECT_STREQ("zorbit", theText);
  CloseStream(theStream);
  std::remove(thePath.c_str());
}

// Plug-ins name files in the demo's code page (here "bild-\xFC.png", u with
// diaeresis in Windows-1252); the file on disk is named in UTF-8.
TEST_F(Registry, StreamsFindFilesNamedInTheCodePage) {
  std::string thePath = testing::TempDir() + "bild-\xC3\xBC.png";
  FILE* theFile = std::fopen(thePath.c_str(), "wb");
  ASSERT_NE(nullptr, theFile);
  std::fputs("png", theFile);
  std::fclose(theFile);
  SDL_RWops* theStream = OpenStream((testing::TempDir() + "bild-\xFC.png").c_str());
  EXPECT_NE(nullptr, theStream) << "the Windows-1252 name is looked up as UTF-8";
  CloseStream(theStream);
  std::remove(thePath.c_str());
}

TEST(HostTable, SlotsHoldStateWarnAndTheServicesInOrder) {
  void* theTable[HOST_SLOT_COUNT] = {};
  int theState = 0;
  FillHostTable(theTable, &theState, &CollectWarning);
  EXPECT_EQ(&theState, theTable[HOST_STATE]);
  EXPECT_EQ(reinterpret_cast<void*>(&CollectWarning), theTable[HOST_WARN]);
  EXPECT_EQ(reinterpret_cast<void*>(&UseResource), theTable[HOST_USE_RESOURCE]);
  EXPECT_EQ(reinterpret_cast<void*>(&ReleaseResource), theTable[HOST_RELEASE_RESOURCE]);
  EXPECT_EQ(reinterpret_cast<void*>(&RegisterKind), theTable[HOST_REGISTER_KIND]);
  EXPECT_EQ(reinterpret_cast<void*>(&GetText), theTable[HOST_GET_TEXT]);
  EXPECT_EQ(reinterpret_cast<void*>(&OpenStream), theTable[HOST_OPEN_STREAM]);
  EXPECT_EQ(reinterpret_cast<void*>(&CloseStream), theTable[HOST_CLOSE_STREAM]);
}

}  // namespace
