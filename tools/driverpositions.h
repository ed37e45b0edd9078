// Where the driver's line and column point in the author's text. Mesa counts
// lines and columns in its preprocessor's output, not in the file: every run
// of white space and comments there is one space, and what follows the end
// of a comment or of a backslash-newline is joined to the line where it
// began (the lines after it keep their numbers). Macros are expanded there
// too; a message that quotes a name (`name') is placed on that name when the
// author's line holds it once. Free of OpenGL.
#pragma once

#include <string>
#include <utility>
#include <vector>

class DriverPositions {
 public:
  // inText: the author's file as written.
  explicit DriverPositions(const std::string& inText);

  // The author's line and column (from 1) of the driver's line and column;
  // false, leaving the outputs alone, when the driver's position is not one
  // the author's text produces.
  bool ToAuthor(int inLine, int inColumn, int& outLine, int& outColumn) const;

  // ToAuthor, then, when inMessage quotes a name that does not stand at that
  // place but stands exactly once on the author's line, the name's place.
  void Place(const std::string& inMessage, int& ioLine, int& ioColumn) const;

 private:
  std::vector<std::string> mLines;  // the author's lines, without their ends
  // For each line of the driver's view, from 1, the author's (line, column)
  // of each of its columns, from 1.
  std::vector<std::vector<std::pair<int, int>>> mColumns;
};
