// Reading tables: a good one is copied, a broken one is refused with the rule
// it breaks, a plug-in without one is described by nothing; values in words.
#include "descriptions.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

namespace {

describe::PluginDescriptions ReadVariant(const std::string& inFile) {
  const std::string thePath = inFile.find('/') == std::string::npos ? ZORBIT_DESCRIBED_PLUGIN_DIR "/" + inFile : inFile;
  void* theHandle = dlopen(thePath.c_str(), RTLD_LAZY | RTLD_LOCAL);
  EXPECT_NE(theHandle, nullptr) << dlerror();
  describe::PluginDescriptions theRead = describe::ReadLoaded(theHandle);
  if (theHandle != nullptr) dlclose(theHandle);
  return theRead;
}

TEST(Descriptions, AGoodTableIsCopiedWhole) {
  const describe::PluginDescriptions theRead = ReadVariant("described.so");
  ASSERT_EQ(theRead.state, describe::PluginDescriptions::kRead) << theRead.problem;
  EXPECT_EQ(theRead.contractVersion, uint32_t(ZORBIT_CONTRACT_VERSION));
  const describe::EffectInfo* theGlow = theRead.Find("Glow");
  ASSERT_NE(theGlow, nullptr);
  ASSERT_EQ(theGlow->params.size(), 3u);
  EXPECT_EQ(theGlow->params[1].name, "strength");
  EXPECT_EQ(theGlow->params[1].unit, "percent");
  EXPECT_EQ(theGlow->params[1].values.maximum, 100);
  EXPECT_EQ(theRead.Find("Other"), nullptr) << "an effect it does not describe";
}

TEST(Descriptions, BrokenTablesAreRefusedWithTheRuleTheyBreak) {
  const struct {
    const char* file;
    const char* problem;
  } kCases[] = {
      {"nullname.so", "parameter 1 of Glow has no usable name"},
      {"hugecount.so", "effect Glow claims 2147483647 parameters, more than 40"},
      {"minabovemax.so", "parameter 1 of Glow has a range whose minimum 10 is above its maximum 5"},
      {"newertable.so", "it was written for contract version 3"},
      {"manyeffects.so", "it claims 1000000 effects, more than 256"},
  };
  for (const auto& theCase : kCases) {
    const describe::PluginDescriptions theRead = ReadVariant(theCase.file);
    EXPECT_EQ(theRead.state, describe::PluginDescriptions::kBroken) << theCase.file;
    EXPECT_NE(theRead.problem.find(theCase.problem), std::string::npos) << theCase.file << ": " << theRead.problem;
    EXPECT_TRUE(theRead.effects.empty()) << theCase.file << ": a broken table describes nothing";
    EXPECT_NE(describe::Complaint(theCase.file, theRead).find(std::string(theCase.file) + ": its description is broken: "),
              std::string::npos);
  }
}

TEST(Descriptions, APlugInWithoutATableIsTheContractAsItAlwaysWas) {
  const describe::PluginDescriptions theRead = ReadVariant(ZORBIT_TEST_PLUGIN_DIR "/recorder.so");
  EXPECT_EQ(theRead.state, describe::PluginDescriptions::kNone);
  EXPECT_EQ(theRead.contractVersion, 1u) << "a plug-in that says nothing is version 1";
  EXPECT_TRUE(describe::Complaint("recorder.so", theRead).empty());
}

TEST(Descriptions, ATableOfALibraryAPlugInLinksIsNotItsOwn) {
  const describe::PluginDescriptions theRead = ReadVariant("linked.so");
  EXPECT_EQ(theRead.state, describe::PluginDescriptions::kNone) << "linked.so took described.so's table for its own";
  EXPECT_EQ(theRead.contractVersion, 1u) << "linked.so took described.so's version for its own";
}

TEST(Descriptions, NullTablePointersAreBrokenNotFollowed) {
  ZorbitDescriptions theTable{ZORBIT_CONTRACT_VERSION, 2, nullptr};
  EXPECT_EQ(describe::ReadTable(&theTable).state, describe::PluginDescriptions::kBroken);
  const ZorbitEffectDescription theEffect{"Glow", nullptr, 4, nullptr};
  theTable = {ZORBIT_CONTRACT_VERSION, 1, &theEffect};
  EXPECT_NE(describe::ReadTable(&theTable).problem.find("claims 4 parameters but gives no list"), std::string::npos);
  const char theLong[] = "a_name_that_goes_on_and_on_far_beyond_the_sixty_three_bytes_a_name_may_have";
  const ZorbitEffectDescription theLongName{theLong, nullptr, 0, nullptr};
  theTable = {ZORBIT_CONTRACT_VERSION, 1, &theLongName};
  EXPECT_EQ(describe::ReadTable(&theTable).state, describe::PluginDescriptions::kBroken);
  const ZorbitEffectDescription theTwice[] = {{"Glow", nullptr, 0, nullptr}, {"Glow", nullptr, 0, nullptr}};
  theTable = {ZORBIT_CONTRACT_VERSION, 2, theTwice};
  EXPECT_NE(describe::ReadTable(&theTable).problem.find("described twice"), std::string::npos);
}

TEST(Descriptions, ValuesAreSaidInTheirUnits) {
  const describe::TextLookup theTexts = [](int32_t inIndex) -> const char* {
    return inIndex == 4 ? "FreeSans.ttf" : nullptr;
  };
  const ZorbitParamValues kX{1000, INT32_MIN, INT32_MAX, 0, ZORBIT_PARAM_NUMBER, 0, 0, -1, 0};
  const ZorbitParamValues kFont{1, 0, INT32_MAX, 0, ZORBIT_PARAM_FILE, KIND_FONT, 0, -1, 0};
  const ZorbitParamValues kBlend{1, INT32_MIN, INT32_MAX, 770, ZORBIT_PARAM_BLEND, 0, 0, -1, 0};
  const ZorbitParamValues kQuat{10000, INT32_MIN, INT32_MAX, 0, ZORBIT_PARAM_QUATERNION, 0, 0, -1, 0};
  const ZorbitParamValues kLook{1, 0, 2, 0, ZORBIT_PARAM_CHOICE, 0, 0, -1, 0};
  const ZorbitParamValues kAxes{1, INT32_MIN, INT32_MAX, 0, ZORBIT_PARAM_SWITCH, 0, 0, -1, 0};
  const struct {
    describe::ParamInfo param;
    int32_t value;
    const char* said;
  } kCases[] = {
      {{"x", "units", kX}, 1500, "x 1.500 units"},
      {{"x", "units", kX}, -250, "x -0.250 units"},
      {{"font", "", kFont}, 4, "font 'FreeSans.ttf'"},
      {{"font", "", kFont}, 5, "font text 5, which does not exist"},
      {{"blendsrc", "", kBlend}, 770, "blendsrc GL_SRC_ALPHA"},
      {{"blendsrc", "", kBlend}, 7, "blendsrc 7, not a blend factor"},
      {{"qw", "", kQuat}, 7071, "qw 0.7071"},
      {{"look", "0 filled, 1 textured", kLook}, 1, "look 1 (0 filled, 1 textured)"},
      {{"axes", "", kAxes}, 3, "axes on"},
  };
  for (const auto& theCase : kCases)
    EXPECT_EQ(describe::FormatNamed(theCase.param, theCase.value, theTexts), theCase.said);
}

TEST(Descriptions, ConstantsTheDescriptionRulesOutAreNamed) {
  const describe::ParamInfo kOpacity{"opacity", "", {1, 0, 255, 255, ZORBIT_PARAM_NUMBER, 0, 0, -1, 0}};
  const describe::ParamInfo kFont{"font", "", {1, 0, INT32_MAX, 0, ZORBIT_PARAM_FILE, KIND_FONT, 0, -1, 0}};
  const describe::ParamInfo kBlend{"blenddst", "", {1, INT32_MIN, INT32_MAX, 771, ZORBIT_PARAM_BLEND, 0, 0, -1, 0}};
  EXPECT_EQ(describe::ValueProblem(kOpacity, 255, 10), "");
  EXPECT_EQ(describe::ValueProblem(kOpacity, 256, 10), "opacity is 256, outside its range 0 to 255");
  EXPECT_EQ(describe::ValueProblem(kFont, 9, 10), "");
  EXPECT_EQ(describe::ValueProblem(kFont, 10, 10),
            "font takes a text number, but 10 names no text (the document has 10)");
  EXPECT_EQ(describe::ValueProblem(kBlend, 0x303, 10), "");
  EXPECT_EQ(describe::ValueProblem(kBlend, 255, 10), "blenddst takes an OpenGL blend factor, and 255 is not one");
}

}  // namespace
