#include "framename.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string FrameName(const char* inPattern, int32_t inFrame) {
  Buffer theName = MakeFrameName(inPattern, inFrame);
  return theName.CStr();
}

TEST(FrameNameTest, NumberReplacesTheFirstRunOfQuestionMarks) {
  struct Case {
    const char* pattern;
    int32_t frame;
    const char* expected;
  };
  const Case theCases[] = {
      {"frame???.png", 7, "frame007.png"},
      {"frame???.png", 0, "frame000.png"},
      {"frame???.png", 999, "frame999.png"},
      {"frame???.png", 1234, "frame123.png"},  // too many digits: the leading ones stay
      {"movie/star??.png", 5, "movie/star05.png"},
      {"?.bmp", 42, "4.bmp"},
      {"shot.png", 12, "shot.png"},            // no run: the pattern is the file
      {"a??b??.png", 5, "a05b??.png"},         // only the first run
      {"??????????.png", 2147483647, "2147483647.png"},
      {"????????????.png", 31, "000000000031.png"},  // runs longer than 10 are filled whole
      {"x???", -7, "x-07"},
      {"", 3, ""},
  };
  for (const Case& theCase : theCases) {
    EXPECT_EQ(FrameName(theCase.pattern, theCase.frame), theCase.expected)
        << "pattern \"" << theCase.pattern << "\", frame " << theCase.frame;
  }
}

}  // namespace
