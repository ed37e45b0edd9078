// The Windows-1252 table and the conversions built on it.
#include <gtest/gtest.h>

#include <string>

#include <zorbit/codepage.h>

namespace {

TEST(CodePage, EveryByteRoundTripsThroughItsCharacter) {
  for (int theByte = 1; theByte < 256; ++theByte) {
    char32_t theCode = codepage::ToUnicode(uint8_t(theByte));
    EXPECT_EQ(codepage::FromUnicode(theCode), theByte) << "byte " << theByte;
  }
  EXPECT_EQ(codepage::ToUnicode(0x80), U'\u20AC') << "0x80 is the euro sign";
  EXPECT_EQ(codepage::ToUnicode(0x9F), U'\u0178');
  EXPECT_EQ(codepage::ToUnicode(0xE9), U'\u00E9');
  EXPECT_EQ(codepage::FromUnicode(U'\u0100'), -1) << "A with macron is not in the set";
  EXPECT_EQ(codepage::FromUnicode(U'\u0080'), -1) << "a C1 control the code page gives a character to has no byte";
}

TEST(CodePage, Utf16BecomesOneBytePerCharacterWithQuestionMarksForTheRest) {
  size_t theLost = 0;
  EXPECT_EQ(codepage::FromUtf16(u"Caf\u00E9 \u20AC", &theLost), "Caf\xE9 \x80");
  EXPECT_EQ(theLost, 0u);
  EXPECT_EQ(codepage::FromUtf16(u"\u65E5\U0001F3B5\xD800x", &theLost), "???x") << "a pair is one character, a lone half too";
  EXPECT_EQ(theLost, 3u);
  EXPECT_EQ(codepage::FromUtf16(nullptr), "");
}

TEST(CodePage, FileNamesBecomeUtf8) {
  EXPECT_EQ(codepage::ToUtf8("m\xFCsik \x80.ogg"), "m\xC3\xBCsik \xE2\x82\xAC.ogg");
  EXPECT_EQ(codepage::ToUtf8("plain.png"), "plain.png");
  EXPECT_EQ(codepage::ToUtf8(nullptr), "");
  EXPECT_TRUE(codepage::IsAscii("plain.png"));
  EXPECT_FALSE(codepage::IsAscii("caf\xE9"));
}

}  // namespace
