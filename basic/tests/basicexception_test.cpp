#include "basicexception.h"
#include "zassert.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(BasicException, FormatsAndCutsLongMessages) {
  BasicException theShort("Could not load '%s' (%d)", "fonts.so", 7);
  EXPECT_STREQ("Could not load 'fonts.so' (7)", theShort.GetMessage());

  std::string theLong(2000, 'x');
  BasicException theCut("%s%s", theLong.c_str(), theLong.c_str());
  EXPECT_EQ(511u, std::strlen(theCut.GetMessage()));

  std::string theExact(511, 'y');
  BasicException theFits("%s", theExact.c_str());
  EXPECT_EQ(theExact, theFits.GetMessage());
}

TEST(AssertionDeathTest, ReportsConditionFileAndLine) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  int theLine = __LINE__ + 1;
  EXPECT_DEATH(Z_ASSERT("PushViewport stack overflow!" == 0),
               "PushViewport stack overflow!.*basicexception_test.cpp, line " + std::to_string(theLine));
}

}  // namespace
