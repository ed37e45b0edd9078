// Every effect of the tree describes its parameters, and its README's table
// says the same: the same parameter positions, the same scales, the same
// text numbers, blend factors, quaternions and 0-to-255 ranges.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "descriptions.h"
#include "textfile.h"

namespace {

struct Plugin {
  const char* file;       // in the build's bin folder
  const char* readme;     // from the source tree's top
  std::vector<const char*> effects;
};

const Plugin kPlugins[] = {
    {"fonts.so", "plugins/fonts/README.md", {"Text3D", "TextSwarm3D"}},
    {"imagery.so", "plugins/imagery/README.md", {"MakeMovie"}},
    {"beat.so", "plugins/beat/README.md", {"MakeBeat"}},
    {"balloons.so", "plugins/balloons/README.md", {"TextBalloon"}},
    {"grids.so", "plugins/grids/README.md", {"MakeGrid", "WaveGridZ", "TurnPageGrid"}},
    {"scene.so", "README.md", {"Scene3D", "DrawGrid"}},
    {"swarm.so", "README.md", {"Swarm"}},
    {"shaders.so", "plugins/shaders/README.md", {"Shader"}},
};

// One row of a README's parameter table.
struct Row {
  std::string index;    // as written: "3, 4, 5", "2 + 2k (k = 0..18)", "11-13, 14-16", "20..39"
  std::string meaning;
  std::string unit;     // the third column, or "" when there is none
  std::string name;     // the name column, where the table has one
};

std::vector<std::string> Cells(const std::string& inLine) {
  std::vector<std::string> theCells;
  std::stringstream theStream(inLine.substr(1));
  for (std::string theCell; std::getline(theStream, theCell, '|');) {
    const size_t theFirst = theCell.find_first_not_of(' ');
    const size_t theLast = theCell.find_last_not_of(' ');
    theCells.push_back(theFirst == std::string::npos ? "" : theCell.substr(theFirst, theLast - theFirst + 1));
  }
  return theCells;
}

// The parameter table of inFunction: the first table after the heading that
// names it, or, when no heading does, the README's only table.
std::vector<Row> TableOf(const std::string& inReadme, const std::string& inFunction) {
  std::vector<std::vector<Row>> theTables;
  std::vector<Row> theNamed;
  bool theAfterHeading = false, theInTable = false, theFoundNamed = false, theNameColumn = false;
  std::stringstream theStream(inReadme);
  for (std::string theLine; std::getline(theStream, theLine);) {
    if (theLine.rfind("#", 0) == 0) {
      if (!theFoundNamed) theAfterHeading = std::regex_search(theLine, std::regex("\\b" + inFunction + "\\b"));
      theInTable = false;
      continue;
    }
    if (theLine.rfind("|", 0) != 0) {
      if (theInTable && theAfterHeading) theFoundNamed = true, theAfterHeading = false;
      theInTable = false;
      continue;
    }
    std::vector<std::string> theCells = Cells(theLine);
    if (theCells.size() < 2) continue;
    if (!theInTable) {  // the heading row, then the rule
      theInTable = true;
      theNameColumn = theCells[1] == "name";
      theTables.emplace_back();
      std::getline(theStream, theLine);
      continue;
    }
    Row theRow{theCells[0], theCells[1], theCells.size() > 2 ? theCells[2] : "", ""};
    if (theNameColumn) theRow = Row{theCells[0], theCells.size() > 2 ? theCells[2] : "", "", theCells[1]};
    theTables.back().push_back(theRow);
    if (theAfterHeading && !theFoundNamed) theNamed.push_back(theRow);
  }
  if (!theNamed.empty()) return theNamed;
  return theTables.size() == 1 ? theTables[0] : std::vector<Row>();
}

// "3, 4, 5" -> 3 4 5; "2 + 2k (k = 0..18)" -> 2 4 ... 38.
std::vector<int> Indexes(const std::string& inIndex) {
  std::smatch theMatch;
  std::vector<int> theIndexes;
  if (std::regex_match(inIndex, theMatch, std::regex(R"((\d+) \+ (\d+)k \(k = (\d+)\.\.(\d+)\))"))) {
    for (int k = std::stoi(theMatch[3]); k <= std::stoi(theMatch[4]); ++k)
      theIndexes.push_back(std::stoi(theMatch[1]) + std::stoi(theMatch[2]) * k);
    return theIndexes;
  }
  std::stringstream theStream(inIndex);
  for (std::string thePart; std::getline(theStream, thePart, ',');) {
    if (std::regex_match(thePart, theMatch, std::regex(R"( *(\d+) *(?:-|\.\.) *(\d+) *)"))) {
      for (int i = std::stoi(theMatch[1]); i <= std::stoi(theMatch[2]); ++i) theIndexes.push_back(i);
    } else {
      theIndexes.push_back(std::stoi(thePart));
    }
  }
  return theIndexes;
}

// The scale a README cell gives: "1/1000 ...", "/ 1000", "1/10 ms"; 1 when none.
int ScaleOf(const std::string& inText) {
  std::smatch theMatch;
  if (std::regex_search(inText, theMatch, std::regex(R"((?:^|[^\d])1?/ ?(\d+))"))) return std::stoi(theMatch[1]);
  return 1;
}

bool Says(const std::string& inText, const char* inPattern) {
  return std::regex_search(inText, std::regex(inPattern, std::regex::icase));
}

// Checks one row against the description of each parameter it covers.
void Agree(const std::string& inWhere, const Row& inRow, const describe::ParamInfo& inParam) {
  const ZorbitParamValues& theValues = inParam.values;
  if (!inRow.name.empty() && Indexes(inRow.index).size() == 1) {
    EXPECT_EQ(inRow.name, inParam.name) << inWhere << ": the README's name";
  }
  const std::string theBoth = inRow.meaning + " | " + inRow.unit;
  const std::string theWhere = inWhere + " parameter " + inParam.name + " (README: " + theBoth + ")";
  const bool theReadmeText = Says(inRow.meaning, R"(name number|number of the .*name|text number|name's number)");
  EXPECT_EQ(theReadmeText, describe::IsTextNumber(theValues.kind)) << theWhere << ": text number or not";
  EXPECT_EQ(Says(theBoth, "enumerant|blend .*factor"), theValues.kind == ZORBIT_PARAM_BLEND) << theWhere << ": blend factor or not";
  EXPECT_EQ(Says(inRow.meaning, "quaternion"), theValues.kind == ZORBIT_PARAM_QUATERNION)
      << theWhere << ": quaternion or not";
  EXPECT_EQ(Says(inRow.meaning, "^not used"), theValues.kind == ZORBIT_PARAM_UNUSED) << theWhere << ": used or not";
  if (!describe::IsTextNumber(theValues.kind)) {
    EXPECT_EQ(ScaleOf(theBoth), theValues.scale <= 0 ? 1 : theValues.scale) << theWhere << ": scale";
  }
  if (Says(theBoth, "0 to 255|0\\.\\.255|low 8 bits")) {
    EXPECT_TRUE(theValues.minimum == 0 && theValues.maximum == 255) << theWhere << ": range 0 to 255";
  }
  if (Says(theBoth, "^non-zero")) {
    EXPECT_EQ(theValues.kind, uint32_t(ZORBIT_PARAM_SWITCH)) << theWhere << ": a switch";
  }
}

// A row such as "channel 0: source, name, sampling" covers parameters of
// several kinds; what it says is then not about any one of them.
bool OneKind(const Row& inRow, const describe::EffectInfo& inEffect) {
  std::set<uint32_t> theKinds;
  for (int theIndex : Indexes(inRow.index))
    if (theIndex >= 0 && size_t(theIndex) < inEffect.params.size()) theKinds.insert(inEffect.params[size_t(theIndex)].values.kind);
  return theKinds.size() <= 1;
}

TEST(Descriptions, EveryEffectOfTheTreeIsDescribedAndAgreesWithItsReadme) {
  for (const Plugin& thePlugin : kPlugins) {
    const std::string thePath = std::string(ZORBIT_BIN_DIR) + "/" + thePlugin.file;
    void* theHandle = dlopen(thePath.c_str(), RTLD_LAZY | RTLD_LOCAL);
    ASSERT_NE(theHandle, nullptr) << dlerror();
    const describe::PluginDescriptions theRead = describe::ReadLoaded(theHandle);
    EXPECT_EQ(theRead.contractVersion, uint32_t(ZORBIT_CONTRACT_VERSION)) << thePlugin.file << " declares no version";
    ASSERT_EQ(theRead.state, describe::PluginDescriptions::kRead) << thePlugin.file << ": " << theRead.problem;
    // Both ways: every effect described, and every description an exported effect of the README.
    std::set<std::string> theExpected(thePlugin.effects.begin(), thePlugin.effects.end());
    for (const describe::EffectInfo& theEffect : theRead.effects) {
      EXPECT_TRUE(theExpected.count(theEffect.function)) << thePlugin.file << " describes " << theEffect.function;
      EXPECT_NE(dlsym(theHandle, theEffect.function.c_str()), nullptr)
          << thePlugin.file << " describes " << theEffect.function << ", which it does not export";
    }
    const std::string theReadme = ReadFile(std::string(ZORBIT_SOURCE_DIR) + "/" + thePlugin.readme);
    ASSERT_FALSE(theReadme.empty()) << thePlugin.readme;
    for (const char* theFunction : thePlugin.effects) {
      const std::string theWhere = std::string(thePlugin.file) + " " + theFunction;
      const describe::EffectInfo* theEffect = theRead.Find(theFunction);
      ASSERT_NE(theEffect, nullptr) << theWhere << " has no description";
      const std::vector<Row> theTable = TableOf(theReadme, theFunction);
      ASSERT_FALSE(theTable.empty()) << theWhere << ": no table in " << thePlugin.readme;
      std::set<int> theDocumented;
      for (const Row& theRow : theTable) {
        for (int theIndex : Indexes(theRow.index)) {
          EXPECT_TRUE(theDocumented.insert(theIndex).second) << theWhere << ": README lists " << theIndex << " twice";
          if (theIndex < 0 || size_t(theIndex) >= theEffect->params.size()) {
            ADD_FAILURE() << theWhere << ": README has parameter " << theIndex << ", the description "
                          << theEffect->params.size();
            continue;
          }
          if (OneKind(theRow, *theEffect)) Agree(theWhere, theRow, theEffect->params[size_t(theIndex)]);
        }
      }
      for (size_t i = 0; i < theEffect->params.size(); ++i)
        EXPECT_TRUE(theDocumented.count(int(i))) << theWhere << ": parameter " << i << " ("
                                                 << theEffect->params[i].name << ") is not in the README";
    }
    dlclose(theHandle);
  }
}

}  // namespace
