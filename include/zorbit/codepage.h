// Windows-1252, the 8-bit code page demo texts live in: the loader turns the
// document's characters into it, the fonts draw one glyph per byte of it,
// and every text that names a file is turned back into UTF-8, the way Linux
// names files. Header-only so that plug-ins use it without linking anything.
//
// A table of our own rather than a transcoding service: the result must not
// depend on the process locale or on which transcoders a Xerces build holds,
// and characters outside the set must become exactly one '?'.
#pragma once

#include <langinfo.h>
#include <strings.h>

#include <cstdint>
#include <string>

namespace codepage {

// The characters of bytes 0x80..0x9F. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 controls of the
// same number, as Windows itself maps them, so every byte has a character
// and every such character one byte. 0xA0..0xFF are Latin-1.
inline constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

// The Unicode code point of a byte.
inline char32_t ToUnicode(unsigned char inByte) {
  return inByte >= 0x80 && inByte < 0xA0 ? char32_t(kHigh[inByte - 0x80]) : char32_t(inByte);
}

// The byte of a code point; -1 when the code page has none.
inline int FromUnicode(char32_t inCode) {
  if (inCode < 0x80 || (inCode >= 0xA0 && inCode <= 0xFF)) return int(inCode);
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] == inCode) return 0x80 + i;
  }
  return -1;
}

// UTF-16 text (as Xerces hands it over) in Windows-1252: one byte per
// character, '?' for each character outside the set (a surrogate pair is
// one character, a lone surrogate too). outLost counts the '?' made.
inline std::string FromUtf16(const char16_t* inText, size_t* outLost = nullptr) {
  std::string theText;
  size_t theLost = 0;
  for (const char16_t* p = inText; p != nullptr && *p != 0; ++p) {
    char32_t theCode = *p;
    if (theCode >= 0xD800 && theCode <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) ++p;  // pair: one character
    int theByte = (theCode >= 0xD800 && theCode <= 0xDFFF) ? -1 : FromUnicode(theCode);
    if (theByte < 0) {
      theByte = '?';
      ++theLost;
    }
    theText += char(theByte);
  }
  if (outLost != nullptr) *outLost = theLost;
  return theText;
}

inline void AppendUtf8(char32_t inCode, std::string& ioText) {
  if (inCode < 0x80) {
    ioText += char(inCode);
  } else if (inCode < 0x800) {
    ioText += char(0xC0 | (inCode >> 6));
    ioText += char(0x80 | (inCode & 0x3F));
  } else if (inCode < 0x10000) {
    ioText += char(0xE0 | (inCode >> 12));
    ioText += char(0x80 | ((inCode >> 6) & 0x3F));
    ioText += char(0x80 | (inCode & 0x3F));
  } else {
    ioText += char(0xF0 | (inCode >> 18));
    ioText += char(0x80 | ((inCode >> 12) & 0x3F));
    ioText += char(0x80 | ((inCode >> 6) & 0x3F));
    ioText += char(0x80 | (inCode & 0x3F));
  }
}

// The characters of inLength UTF-16 units that Windows-1252 cannot hold.
inline size_t CountOutside(const char16_t* inText, size_t inLength) {
  size_t theCount = 0;
  for (size_t i = 0; i < inLength; ++i) {
    char32_t theCode = inText[i];
    if (theCode >= 0xD800 && theCode <= 0xDFFF) {
      if (theCode <= 0xDBFF && i + 1 < inLength && inText[i + 1] >= 0xDC00 && inText[i + 1] <= 0xDFFF) ++i;
      ++theCount;
    } else if (FromUnicode(theCode) < 0) {
      ++theCount;
    }
  }
  return theCount;
}

// UTF-16 text in UTF-8, every character kept (a lone surrogate becomes
// U+FFFD): for messages about the document itself.
inline std::string Utf16ToUtf8(const char16_t* inText) {
  std::string theText;
  for (const char16_t* p = inText; p != nullptr && *p != 0; ++p) {
    char32_t theCode = *p;
    if (theCode >= 0xD800 && theCode <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
      theCode = 0x10000 + ((theCode - 0xD800) << 10) + (p[1] - 0xDC00);
      ++p;
    } else if (theCode >= 0xD800 && theCode <= 0xDFFF) {
      theCode = 0xFFFD;
    }
    AppendUtf8(theCode, theText);
  }
  return theText;
}

// Windows-1252 text in UTF-8: how a demo's file name is looked up on disk,
// and how a text is shown on a UTF-8 terminal.
inline std::string ToUtf8(const char* inText) {
  std::string theText;
  for (const char* p = inText; p != nullptr && *p != 0; ++p) AppendUtf8(ToUnicode(static_cast<unsigned char>(*p)), theText);
  return theText;
}

// True when the text is plain ASCII: its UTF-8 form is the same bytes.
inline bool IsAscii(const char* inText) {
  for (const char* p = inText; p != nullptr && *p != 0; ++p) {
    if (static_cast<unsigned char>(*p) >= 0x80) return false;
  }
  return true;
}

// A text as the terminal shows it: as it is where the terminal's own code
// page is Windows-1252 or Latin-1, UTF-8 everywhere else (an ASCII-only "C"
// locale included, since terminals speak UTF-8 nearly everywhere). Needs
// setlocale(LC_CTYPE, "") first to know the terminal's code page.
inline std::string ForTerminal(const char* inText) {
  const char* theCodeSet = nl_langinfo(CODESET);
  const bool theEightBit = theCodeSet != nullptr &&
                           (strcasecmp(theCodeSet, "CP1252") == 0 || strcasecmp(theCodeSet, "ISO-8859-1") == 0 ||
                            strcasecmp(theCodeSet, "ISO-8859-15") == 0);
  return theEightBit ? std::string(inText != nullptr ? inText : "") : ToUtf8(inText);
}

}  // namespace codepage
