#include "datalines.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Text(const Buffer& inBuffer) {
  return std::string(reinterpret_cast<const char*>(inBuffer.PtrC()), inBuffer.Length());
}

TEST(DataLines, GrowsFromFiveAndFromZeroSlots) {
  DataLines theFive(5);
  for (int i = 0; i < 5; ++i) theFive.Add(Buffer("x"));
  EXPECT_EQ(5u, theFive.Slots());
  theFive.Add(Buffer("y"));
  EXPECT_EQ(9u, theFive.Slots());
  EXPECT_EQ(6u, theFive.Count());
  EXPECT_EQ("y", Text(theFive[5]));

  DataLines theZero(0);
  theZero.Insert(0, Buffer("first"));
  EXPECT_EQ(2u, theZero.Slots());
  theZero.Insert(0, Buffer("zeroth"));
  theZero.Insert(1, Buffer("middle"));  // grows to 2 + 1 + 2 = 5 with a gap in the middle
  EXPECT_EQ(5u, theZero.Slots());
  ASSERT_EQ(3u, theZero.Count());
  EXPECT_EQ("zeroth", Text(theZero[0]));
  EXPECT_EQ("middle", Text(theZero[1]));
  EXPECT_EQ("first", Text(theZero[2]));
}

TEST(DataLines, RemoveReplaceAndToBuffer) {
  DataLines theLines(5);
  theLines.Add(Buffer("a"));
  theLines.Add(Buffer("bc"));
  theLines.Add(Buffer("def"));
  EXPECT_EQ(6u, theLines.TotalLength());
  theLines.Remove(0);
  ASSERT_EQ(2u, theLines.Count());
  EXPECT_EQ("bc", Text(theLines[0]));
  EXPECT_EQ("def", Text(theLines[1]));

  Buffer theMine("g");
  theLines.Replace(2, theMine);  // at Count: appends a copy
  theMine.Add("hh");
  EXPECT_EQ("g", Text(theLines[2]));
  theLines.Replace(0, Buffer("a"));
  Buffer theOut("junk");
  theLines.ToBuffer(theOut);
  EXPECT_EQ("a\ndef\ng\n", Text(theOut));

  DataLines theEmpty(5);
  theEmpty.ToBuffer(theOut);
  EXPECT_EQ(0u, theOut.Length());
}

TEST(DataLines, CopiesAreDeep) {
  DataLines theSource(1);
  theSource.Add(Buffer("one"));
  DataLines theCopy(theSource);
  DataLines theAssigned(0);
  theAssigned = theSource;
  theSource[0].Add("!");
  theSource.Add(Buffer("two"));
  theSource.Clear();
  EXPECT_EQ(1u, theCopy.Count());
  EXPECT_EQ("one", Text(theCopy[0]));
  EXPECT_EQ("one", Text(theAssigned[0]));
  EXPECT_EQ(1u, theCopy.Slots());
  theAssigned = theAssigned;
  EXPECT_EQ("one", Text(theAssigned[0]));
}

TEST(DataLinesDeathTest, OutOfRangeIndexesEndTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  DataLines theLines(2);
  theLines.Add(Buffer("a"));
  EXPECT_DEATH(theLines.Insert(2, Buffer("x")), "DataLines::Insert\\(byte\\): inIndex too large");
  EXPECT_DEATH(theLines.Replace(2, Buffer("x")), "DataLines::Replace\\(byte\\): inIndex too large");
  EXPECT_DEATH(theLines.Remove(1), "DataLines::Remove: inIndex too large");
  EXPECT_DEATH(theLines[1], "datalines.cpp");
}

}  // namespace
