#include "buffer.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

std::string Text(const Buffer& inBuffer) {
  return std::string(reinterpret_cast<const char*>(inBuffer.PtrC()), inBuffer.Length());
}

TEST(Buffer, ConstructorsSetCapacityAndLength) {
  Buffer theNull(static_cast<const char*>(nullptr));
  EXPECT_EQ(0u, theNull.Length());
  EXPECT_EQ(10u, theNull.Capacity());

  Buffer theEmpty("");
  EXPECT_EQ(0u, theEmpty.Length());
  EXPECT_EQ(1u, theEmpty.Capacity());
  EXPECT_STREQ("", theEmpty.CStr());

  Buffer theSized(7u);
  EXPECT_EQ(0u, theSized.Length());
  EXPECT_EQ(8u, theSized.Capacity());

  const char theBytes[] = {'a', 0, 'b'};
  Buffer theRaw(theBytes, 3);
  EXPECT_EQ(3u, theRaw.Length());
  EXPECT_EQ(4u, theRaw.Capacity());
  EXPECT_EQ(0, theRaw[1]);

  Buffer theCopy(theRaw);
  theRaw[0] = 'z';
  EXPECT_EQ('a', theCopy[0]) << "copies must be deep";
  EXPECT_EQ(theRaw.Capacity(), theCopy.Capacity());
}

TEST(Buffer, SliceIsCutToSourceAndHasRequestedCapacity) {
  Buffer theHello("hello");
  struct { uint32_t start, length; const char* text; uint32_t capacity; } theCases[] = {
      {3, 10, "lo", 11}, {5, 2, "", 3}, {6, 2, "", 3}, {0, 0, "", 1}, {1, 3, "ell", 4},
  };
  for (auto& c : theCases) {
    Buffer theSlice(theHello, c.start, c.length);
    EXPECT_EQ(c.text, Text(theSlice)) << "start " << c.start << " length " << c.length;
    EXPECT_EQ(c.capacity, theSlice.Capacity()) << "start " << c.start;
  }
}

TEST(Buffer, GrowthFollowsTheRules) {
  Buffer theAbc("abc");
  EXPECT_EQ(4u, theAbc.Capacity());
  theAbc.Insert(3, 'd');
  EXPECT_EQ("abcd", Text(theAbc));
  EXPECT_EQ(8u, theAbc.Capacity());

  Buffer theAb("ab");
  theAb.Add("xyz");
  EXPECT_EQ("abxyz", Text(theAb));
  EXPECT_EQ(11u, theAb.Capacity());
  theAb.Add("123");  // 11 - 6 = 5 spare: fits
  EXPECT_EQ(11u, theAb.Capacity());
  theAb.Add("4567");  // 11 - 9 = 2 spare < 4: (11 + 4) * 3 / 2 + 2
  EXPECT_EQ(24u, theAb.Capacity());
  EXPECT_STREQ("abxyz1234567", theAb.CStr());

  Buffer theMid("ace");
  theMid.Insert(1, Buffer("b"));
  theMid.Insert(3, 'd');
  EXPECT_EQ("abcde", Text(theMid));
  theMid.Insert(0, theMid);  // inserting itself
  EXPECT_EQ("abcdeabcde", Text(theMid));
}

TEST(Buffer, ReplaceAndRemove) {
  Buffer theText("abc");
  theText.Replace(3, 'd');
  EXPECT_EQ("abcd", Text(theText));
  theText.Replace(0, 'A');
  EXPECT_EQ("Abcd", Text(theText));

  theText.Replace(2, Buffer("XYZW"));
  EXPECT_EQ("AbXYZW", Text(theText));
  EXPECT_GT(theText.Capacity(), theText.Length());
  theText.Replace(1, Buffer("q"));
  EXPECT_EQ("AqXYZW", Text(theText));
  theText.Replace(6, theText);
  EXPECT_EQ("AqXYZWAqXYZW", Text(theText));

  Buffer theLetters("abcdef");
  theLetters.Remove(1, 100);
  EXPECT_EQ("a", Text(theLetters));
  Buffer theMiddle("abcdef");
  theMiddle.Remove(2, 2);
  EXPECT_EQ("abef", Text(theMiddle));
  uint32_t theCapacity = theMiddle.Capacity();
  theMiddle.Clear();
  EXPECT_EQ(theCapacity, theMiddle.Capacity()) << "storage never shrinks";
}

TEST(Buffer, FindBounds) {
  Buffer theText("abcabc");
  EXPECT_EQ(4, theText.Find(Buffer("bc"), 2));
  EXPECT_EQ(1, theText.Find(Buffer("bc"), 0));
  EXPECT_EQ(-1, theText.Find(Buffer("bc"), 5));
  EXPECT_EQ(-1, theText.Find(Buffer("bc"), 6));
  EXPECT_EQ(-1, theText.Find(Buffer("bc"), 600));
  EXPECT_EQ(-1, theText.Find(Buffer(""), 0));
  EXPECT_EQ(-1, Buffer("").Find(Buffer("a"), 0));
  EXPECT_EQ(-1, Buffer("abc").Find(Buffer("bcd"), 0));
  EXPECT_EQ(-1, Buffer("ab").Find(Buffer("abc"), 0));
  EXPECT_EQ(0, Buffer("\xff\x80").Find(Buffer("\xff"), 0));
}

TEST(Buffer, NumberTexts) {
  struct { int32_t value; const char* text; } theSigned[] = {
      {INT32_MIN, "-2147483648"}, {0, "0"}, {-1, "-1"}, {INT32_MAX, "2147483647"}, {100, "100"}};
  for (auto& c : theSigned) {
    Buffer theBuffer(static_cast<const char*>(nullptr));
    theBuffer.SetNumber(c.value);
    EXPECT_STREQ(c.text, theBuffer.CStr());
    EXPECT_GE(theBuffer.Capacity(), 12u);
    theBuffer.Add("xx");
    EXPECT_EQ(std::string(c.text) + "xx", Text(theBuffer));
  }
  Buffer theUnsigned("");
  theUnsigned.SetNumber(4294967295u);
  EXPECT_STREQ("4294967295", theUnsigned.CStr());
  EXPECT_EQ(11u, theUnsigned.Capacity());
  theUnsigned.SetNumber(0u);
  EXPECT_STREQ("0", theUnsigned.CStr());

  Buffer theFloat("x");
  theFloat.SetNumber(2.0f);
  EXPECT_EQ("2.00", Text(theFloat));
  EXPECT_EQ(256u, theFloat.Capacity());
  theFloat.SetNumber(3.14159f);
  EXPECT_EQ("3.14", Text(theFloat));
  theFloat.SetNumber(-1e30f);
  EXPECT_EQ('-', theFloat[0]);
  EXPECT_LT(theFloat.Length(), 256u);
}

TEST(Buffer, ParsesNumbersWithinContent) {
  EXPECT_EQ(1234567, Buffer("1.234.567").GetGroupedInteger(0, '.'));
  EXPECT_EQ(12005, Buffer("12,5").GetGroupedInteger(0, ','));
  EXPECT_EQ(-1234, Buffer(" -1.234").GetGroupedInteger(0, '.'));
  EXPECT_EQ(7000, Buffer("7.").GetGroupedInteger(0, '.'));  // an empty group counts as 000
  EXPECT_EQ(-42, Buffer(" \t-42x").GetIntegerSkipSpace(0));
  EXPECT_EQ(42, Buffer("+42").GetInteger(0));
  EXPECT_EQ(0, Buffer("x1").GetDigits(0));
  EXPECT_EQ(1, Buffer("x1").GetDigits(1));
  EXPECT_EQ(0, Buffer("   ").GetIntegerSkipSpace(0));
  EXPECT_EQ(0, Buffer("-").GetInteger(0));
  // 32-bit wrap-around: 4294967296 is 2^32.
  EXPECT_EQ(0, Buffer("4294967296").GetDigits(0));
  EXPECT_FLOAT_EQ(2.5f, Buffer("  2.5abc").GetFloat());
  EXPECT_FLOAT_EQ(0.0f, Buffer("abc").GetFloat());

  // Parsing stops at the length even when the storage holds more digits.
  Buffer theCut("123456");
  theCut.SetLength(3);
  EXPECT_EQ(123, theCut.GetDigits(0));
  EXPECT_EQ(123, theCut.GetGroupedInteger(0, '4'));
}

TEST(Buffer, CaseAndEquality) {
  Buffer theMixed("a\xe4z");
  theMixed.ToUpper();
  EXPECT_EQ("A\xe4Z", Text(theMixed));
  theMixed.ToLower();
  EXPECT_EQ("a\xe4z", Text(theMixed));
  Buffer theUpper("@AZ[");
  theUpper.ToLower();
  EXPECT_EQ("@az[", Text(theUpper));

  EXPECT_FALSE(Buffer("ab") == Buffer("abc"));
  EXPECT_TRUE(Buffer(50u) == Buffer(""));
  EXPECT_TRUE(Buffer("ab") == Buffer("ab"));

  Buffer theTarget(100u);
  theTarget = Buffer("xy");
  EXPECT_EQ(3u, theTarget.Capacity());
  theTarget = theTarget;
  EXPECT_EQ("xy", Text(theTarget));
}

using BufferDeathTest = ::testing::Test;

TEST(BufferDeathTest, OutOfRangeEditsEndTheProgramWithTheirMessage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  Buffer theText("abc");
  EXPECT_DEATH(theText.Insert(4, 'x'), "Buffer::Insert\\(byte\\): inIndex too large");
  EXPECT_DEATH(theText.Insert(4, Buffer("x")), "Buffer::Insert\\(buffer\\): inIndex too large");
  EXPECT_DEATH(theText.Replace(4, 'x'), "Buffer::Replace\\(byte\\): inIndex too large");
  EXPECT_DEATH(theText.Replace(4, Buffer("x")), "Buffer::Replace\\(buffer\\): inIndex too large");
  EXPECT_DEATH(theText.Remove(3, 1), "Buffer::Remove: inIndex too large");
  EXPECT_DEATH(theText.SetLength(4), "Length larger then allocated");
  EXPECT_DEATH(theText[3], "buffer.cpp");
  std::string theLong(1024 * 1024, 'x');
  EXPECT_DEATH(Buffer theTooLong(theLong.c_str()), "theLength < 1024\\*1024");
}

}  // namespace
