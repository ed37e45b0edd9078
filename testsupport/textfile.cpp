#include "textfile.h"

#include <fstream>
#include <sstream>

std::string ReadFile(const std::string& inPath) {
  std::ifstream theFile(inPath, std::ios::binary);
  std::stringstream theText;
  theText << theFile.rdbuf();
  return theText.str();
}

void WriteFile(const std::string& inPath, const std::string& inText) {
  std::ofstream theFile(inPath, std::ios::binary);
  theFile << inText;
}
