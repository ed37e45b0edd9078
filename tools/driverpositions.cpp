#include "driverpositions.h"

namespace {

bool IsBlank(char inChar) { return inChar == ' ' || inChar == '\t' || inChar == '\r' || inChar == '\f' || inChar == '\v'; }

bool IsNameChar(char inChar) {
  return (inChar >= 'a' && inChar <= 'z') || (inChar >= 'A' && inChar <= 'Z') || (inChar >= '0' && inChar <= '9') ||
         inChar == '_';
}

}  // namespace

DriverPositions::DriverPositions(const std::string& inText) {
  std::string theLine;
  for (char theChar : inText) {
    if (theChar == '\n') {
      mLines.push_back(theLine);
      theLine.clear();
    } else {
      theLine += theChar;
    }
  }
  mLines.push_back(theLine);

  // A walk over the text as the preprocessor reads it.
  mColumns.assign(2, {});
  size_t theOut = 1;        // the driver's line being written
  int thePending = 0;       // line ends swallowed by comments and joins, written at the next real one
  bool theInBlank = false;  // the last thing written was the one space of a run
  enum { kCode, kLineComment, kBlockComment } theState = kCode;
  int theLineNumber = 1, theColumn = 1;
  auto Emit = [&]() { mColumns[theOut].push_back({theLineNumber, theColumn}); };
  auto Blank = [&]() {
    if (!theInBlank) Emit();
    theInBlank = true;
  };
  for (size_t i = 0; i < inText.size(); ++i) {
    char theChar = inText[i];
    char theNext = i + 1 < inText.size() ? inText[i + 1] : 0;
    if (theChar == '\n') {
      if (theState == kBlockComment) {
        ++thePending;
      } else {
        theOut += 1 + size_t(thePending);
        thePending = 0;
        if (mColumns.size() <= theOut) mColumns.resize(theOut + 1);
        theInBlank = false;
        theState = kCode;
      }
      ++theLineNumber;
      theColumn = 1;
      continue;
    }
    if (theState == kLineComment) {
      // nothing of it is written
    } else if (theState == kBlockComment) {
      if (theChar == '*' && theNext == '/') {
        theState = kCode;
        ++i;
        ++theColumn;
      }
    } else if (theChar == '\\' && theNext == '\n') {
      ++thePending;
      ++i;
      ++theLineNumber;
      theColumn = 1;
      continue;
    } else if (theChar == '/' && theNext == '/') {
      Blank();
      theState = kLineComment;
    } else if (theChar == '/' && theNext == '*') {
      Blank();
      theState = kBlockComment;
      ++i;
      ++theColumn;
    } else if (IsBlank(theChar)) {
      Blank();
    } else {
      Emit();
      theInBlank = false;
    }
    ++theColumn;
  }
}

bool DriverPositions::ToAuthor(int inLine, int inColumn, int& outLine, int& outColumn) const {
  if (inLine < 1 || size_t(inLine) >= mColumns.size() || inColumn < 1) return false;
  const auto& theColumns = mColumns[size_t(inLine)];
  if (size_t(inColumn) > theColumns.size()) return false;
  outLine = theColumns[size_t(inColumn) - 1].first;
  outColumn = theColumns[size_t(inColumn) - 1].second;
  return true;
}

void DriverPositions::Place(const std::string& inMessage, int& ioLine, int& ioColumn) const {
  ToAuthor(ioLine, ioColumn, ioLine, ioColumn);
  size_t theOpen = inMessage.find('`');
  size_t theClose = theOpen == std::string::npos ? theOpen : inMessage.find('\'', theOpen + 1);
  if (theClose == std::string::npos || theClose == theOpen + 1 || ioLine < 1 || size_t(ioLine) > mLines.size()) return;
  const std::string theName = inMessage.substr(theOpen + 1, theClose - theOpen - 1);
  const std::string& theLine = mLines[size_t(ioLine) - 1];
  auto StandsAt = [&](size_t inAt) {
    return theLine.compare(inAt, theName.size(), theName) == 0 && (inAt == 0 || !IsNameChar(theLine[inAt - 1])) &&
           (inAt + theName.size() >= theLine.size() || !IsNameChar(theLine[inAt + theName.size()]));
  };
  if (ioColumn >= 1 && StandsAt(size_t(ioColumn) - 1)) return;
  size_t theFound = std::string::npos;
  for (size_t theAt = theLine.find(theName); theAt != std::string::npos; theAt = theLine.find(theName, theAt + 1)) {
    if (!StandsAt(theAt)) continue;
    if (theFound != std::string::npos) return;  // twice: no telling which
    theFound = theAt;
  }
  if (theFound != std::string::npos) ioColumn = int(theFound) + 1;
}
