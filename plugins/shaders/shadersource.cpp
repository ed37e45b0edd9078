// Reading an author's shader: a small lexer that knows comments, directives
// and brace depth, enough to find the version, main, mainImage and the names
// the file declares at global scope; then the driver's source, assembled
// from the author's lines and the added ones with #line between them.
#include "shadersource.h"

#include <cctype>
#include <cstdlib>
#include <set>

namespace shadersource {

namespace {

struct Token {
  std::string text;
  int line;
};

struct Directive {
  std::string name;  // "version", "extension", "define", "if", ...
  std::string rest;  // what follows the name, comments removed, trimmed
  int line;          // the line of '#'
  int endLine;       // the last line, after continuations
};

struct Lexed {
  std::vector<Token> tokens;
  std::vector<Directive> directives;
};

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string Trim(const std::string& inText) {
  size_t theBegin = 0;
  size_t theEnd = inText.size();
  while (theBegin < theEnd && std::isspace(static_cast<unsigned char>(inText[theBegin]))) ++theBegin;
  while (theEnd > theBegin && std::isspace(static_cast<unsigned char>(inText[theEnd - 1]))) --theEnd;
  return inText.substr(theBegin, theEnd - theBegin);
}

// Skips a comment starting at ioAt ("//" or "/*"), counting its newlines
// into ioLine; a line comment stops before its newline. False when no
// comment starts there.
bool SkipComment(const std::string& inText, size_t& ioAt, int& ioLine) {
  if (ioAt + 1 >= inText.size() || inText[ioAt] != '/') return false;
  if (inText[ioAt + 1] == '/') {
    while (ioAt < inText.size() && inText[ioAt] != '\n') ++ioAt;
    return true;
  }
  if (inText[ioAt + 1] != '*') return false;
  ioAt += 2;
  while (ioAt < inText.size() && !(inText[ioAt] == '*' && ioAt + 1 < inText.size() && inText[ioAt + 1] == '/')) {
    if (inText[ioAt] == '\n') ++ioLine;
    ++ioAt;
  }
  ioAt = ioAt < inText.size() ? ioAt + 2 : ioAt;
  return true;
}

// A directive from '#' at ioAt to its end of line, continuations joined.
Directive LexDirective(const std::string& inText, size_t& ioAt, int& ioLine) {
  Directive theDirective{"", "", ioLine, ioLine};
  std::string theBody;
  ++ioAt;
  while (ioAt < inText.size() && inText[ioAt] != '\n') {
    if (inText[ioAt] == '\\' && ioAt + 1 < inText.size() && inText[ioAt + 1] == '\n') {
      ioAt += 2;
      ++ioLine;
      continue;
    }
    if (SkipComment(inText, ioAt, ioLine)) {
      theBody += ' ';
      continue;
    }
    theBody += inText[ioAt++];
  }
  theDirective.endLine = ioLine;
  theBody = Trim(theBody);
  size_t theNameEnd = 0;
  while (theNameEnd < theBody.size() && IsIdentChar(theBody[theNameEnd])) ++theNameEnd;
  theDirective.name = theBody.substr(0, theNameEnd);
  theDirective.rest = Trim(theBody.substr(theNameEnd));
  return theDirective;
}

Lexed Lex(const std::string& inText) {
  Lexed theLexed;
  size_t i = 0;
  int theLine = 1;
  bool theLineStart = true;
  while (i < inText.size()) {
    const char c = inText[i];
    if (c == '\n') {
      ++theLine;
      theLineStart = true;
      ++i;
    } else if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
    } else if (SkipComment(inText, i, theLine)) {
    } else if (c == '#' && theLineStart) {
      theLexed.directives.push_back(LexDirective(inText, i, theLine));
    } else if (IsIdentStart(c) || std::isdigit(static_cast<unsigned char>(c))) {
      const size_t theBegin = i;
      while (i < inText.size() && (IsIdentChar(inText[i]) || inText[i] == '.')) {
        if (inText[i] == '.' && IsIdentStart(inText[theBegin])) break;
        ++i;
      }
      theLexed.tokens.push_back({inText.substr(theBegin, i - theBegin), theLine});
      theLineStart = false;
    } else {
      theLexed.tokens.push_back({std::string(1, c), theLine});
      theLineStart = false;
      ++i;
    }
  }
  return theLexed;
}

bool IsQualifier(const std::string& inWord) {
  static const std::set<std::string> kQualifiers = {
      "uniform", "const",  "in",     "out",    "inout",         "highp",     "mediump",  "lowp",
      "flat",    "smooth", "centroid", "invariant", "noperspective", "precise", "attribute", "varying"};
  return kQualifiers.count(inWord) != 0;
}

int ArraySizeAt(const std::vector<Token>& inTokens, size_t inAt, size_t inEnd) {
  if (inAt >= inEnd || inTokens[inAt].text != "[") return 0;
  if (inAt + 2 < inEnd && inTokens[inAt + 2].text == "]" && std::isdigit(static_cast<unsigned char>(inTokens[inAt + 1].text[0])))
    return std::atoi(inTokens[inAt + 1].text.c_str());
  return -1;
}

// The global names of one statement at brace depth 0: a declaration
// ("uniform vec3 a, b[2];"), a function's header, a struct's tail.
struct GlobalNames {
  std::vector<Declared> names;  // every name declared, with the statement's type
  std::vector<Declared> functions;
};

void ReadStatement(const std::vector<Token>& inTokens, size_t inBegin, size_t inEnd, GlobalNames& ioNames) {
  size_t i = inBegin;
  while (i < inEnd) {  // qualifiers and layout(...) come first
    if (inTokens[i].text == "layout" && i + 1 < inEnd && inTokens[i + 1].text == "(") {
      while (i < inEnd && inTokens[i].text != ")") ++i;
      ++i;
    } else if (IsQualifier(inTokens[i].text)) {
      ++i;
    } else {
      break;
    }
  }
  if (i >= inEnd || !IsIdentStart(inTokens[i].text[0])) return;
  const std::string theType = inTokens[i].text;
  if (theType == "precision" || theType == "struct") return;
  const int theTypeArray = ArraySizeAt(inTokens, i + 1, inEnd);
  int theDepth = 0;
  bool theInInitialiser = false;
  for (size_t k = i + 1; k < inEnd; ++k) {
    const std::string& theText = inTokens[k].text;
    if (theText == "(" || theText == "[") ++theDepth;
    if (theText == ")" || theText == "]") --theDepth;
    if (theDepth != 0) continue;
    if (theText == "=") theInInitialiser = true;
    if (theText == ",") theInInitialiser = false;
    if (theInInitialiser || !IsIdentStart(theText[0])) continue;
    if (k + 1 < inEnd && inTokens[k + 1].text == "(") {
      ioNames.functions.push_back({theText, theType, 0, inTokens[k].line});
      return;  // what follows are the parameters
    }
    const int theArray = theTypeArray != 0 ? theTypeArray : ArraySizeAt(inTokens, k + 1, inEnd);
    ioNames.names.push_back({theText, theType, theArray, inTokens[k].line});
  }
}

GlobalNames ReadGlobals(const std::vector<Token>& inTokens) {
  GlobalNames theNames;
  int theBraces = 0;
  int theParens = 0;
  size_t theStart = 0;
  for (size_t i = 0; i < inTokens.size(); ++i) {
    const std::string& theText = inTokens[i].text;
    if (theText == "(") ++theParens;
    if (theText == ")") --theParens;
    if (theText == "{") {
      if (theBraces == 0) ReadStatement(inTokens, theStart, i, theNames);
      ++theBraces;
    } else if (theText == "}") {
      if (theBraces > 0) --theBraces;
      if (theBraces == 0) {
        theStart = i + 1;
        theParens = 0;
      }
    } else if (theText == ";" && theBraces == 0 && theParens <= 0) {
      ReadStatement(inTokens, theStart, i, theNames);
      theStart = i + 1;
      theParens = 0;
    }
  }
  return theNames;
}

const Input* FindInput(const std::string& inName) {
  for (const Input& theInput : Inputs())
    if (inName == theInput.name) return &theInput;
  return nullptr;
}

void ReadVersion(const Directive& inDirective, Analysis& ioAnalysis) {
  ioAnalysis.version = std::atoi(inDirective.rest.c_str());
  ioAnalysis.versionLine = inDirective.line;
  const size_t theProfile = inDirective.rest.find_first_of(" \t");
  const std::string theWord = theProfile == std::string::npos ? "" : Trim(inDirective.rest.substr(theProfile));
  ioAnalysis.es = ioAnalysis.version == 100 || theWord == "es";
}

// "iParam[3]" or "iParamInt[3]" in inComment; false when neither is there
// with an index of 0..19.
bool ReadValueReference(const std::string& inComment, int& outIndex, bool& outAsInt) {
  for (const char* theName : {"iParamInt[", "iParam["}) {
    const size_t theAt = inComment.find(theName);
    if (theAt == std::string::npos) continue;
    const size_t theDigits = theAt + std::string(theName).size();
    size_t theEnd = theDigits;
    while (theEnd < inComment.size() && std::isdigit(static_cast<unsigned char>(inComment[theEnd]))) ++theEnd;
    if (theEnd == theDigits || theEnd - theDigits > 2 || theEnd >= inComment.size() || inComment[theEnd] != ']')
      return false;
    outIndex = std::atoi(inComment.c_str() + theDigits);
    outAsInt = theName[6] == 'I';
    return outIndex >= 0 && outIndex < 20;
  }
  return false;
}

// Lines "uniform [precision] type name;  // ... iParam[N] ...".
std::vector<ValueName> ReadValueNames(const std::string& inText) {
  std::vector<ValueName> theNames;
  int theLine = 0;
  size_t theAt = 0;
  while (theAt < inText.size()) {
    size_t theEnd = inText.find('\n', theAt);
    if (theEnd == std::string::npos) theEnd = inText.size();
    const std::string theRow = inText.substr(theAt, theEnd - theAt);
    theAt = theEnd + 1;
    ++theLine;
    const size_t theComment = theRow.find("//");
    if (theComment == std::string::npos) continue;
    ValueName theName{"", "", 0, false, theLine};
    if (!ReadValueReference(theRow.substr(theComment), theName.index, theName.asInt)) continue;
    const Lexed theCode = Lex(theRow.substr(0, theComment));
    std::vector<std::string> theWords;
    for (const Token& theToken : theCode.tokens) theWords.push_back(theToken.text);
    if (theWords.size() < 4 || theWords.front() != "uniform" || theWords.back() != ";") continue;
    size_t theType = 1;
    if (theWords[theType] == "highp" || theWords[theType] == "mediump" || theWords[theType] == "lowp") ++theType;
    if (theType + 3 != theWords.size() || !IsIdentStart(theWords[theType + 1][0])) continue;
    theName.type = theWords[theType];
    theName.name = theWords[theType + 1];
    theNames.push_back(theName);
  }
  return theNames;
}

// Everything Analyse finds, and what Prepare needs beyond it.
struct Reading {
  Analysis analysis;
  Lexed lexed;
  std::set<std::string> globals;  // every global name, function or #define
  std::set<std::string> used;     // every identifier of the file
};

Reading Read(const std::string& inText) {
  Reading theReading;
  theReading.lexed = Lex(inText);
  Analysis& theAnalysis = theReading.analysis;
  for (const Directive& theDirective : theReading.lexed.directives) {
    if (theDirective.name == "version" && theAnalysis.versionLine == 0) ReadVersion(theDirective, theAnalysis);
    if (theDirective.name != "define") continue;
    size_t theEnd = 0;
    while (theEnd < theDirective.rest.size() && IsIdentChar(theDirective.rest[theEnd])) ++theEnd;
    const std::string theName = theDirective.rest.substr(0, theEnd);
    theReading.globals.insert(theName);
    if (FindInput(theName) != nullptr) theAnalysis.declared.push_back({theName, "", 0, theDirective.line});
  }
  const GlobalNames theNames = ReadGlobals(theReading.lexed.tokens);
  for (const Declared& theName : theNames.names) {
    theReading.globals.insert(theName.name);
    if (FindInput(theName.name) != nullptr) theAnalysis.declared.push_back(theName);
  }
  for (const Declared& theFunction : theNames.functions) {
    theReading.globals.insert(theFunction.name);
    if (FindInput(theFunction.name) != nullptr) theAnalysis.declared.push_back({theFunction.name, "", 0, theFunction.line});
    if (theFunction.name == "main") theAnalysis.hasMain = true;
    if (theFunction.name == "mainImage" && !theAnalysis.hasMainImage) {
      theAnalysis.hasMainImage = true;
      theAnalysis.mainImageLine = theFunction.line;
    }
  }
  for (const Token& theToken : theReading.lexed.tokens)
    if (IsIdentStart(theToken.text[0])) theReading.used.insert(theToken.text);
  theAnalysis.valueNames = ReadValueNames(inText);
  return theReading;
}

// The author's line after which the added lines come: the version line, or
// the end of the #extension lines that lead the file (they must come before
// any declaration), never inside an #if group.
int InsertionLine(const Reading& inReading) {
  const std::vector<Token>& theTokens = inReading.lexed.tokens;
  const int theFirstCode = theTokens.empty() ? 0x7fffffff : theTokens.front().line;
  int theLine = inReading.analysis.versionLine;
  int theDepth = 0;
  bool thePending = false;
  for (const Directive& theDirective : inReading.lexed.directives) {
    if (theDirective.line >= theFirstCode) break;
    const std::string& theName = theDirective.name;
    if (theName == "if" || theName == "ifdef" || theName == "ifndef") ++theDepth;
    if (theName == "endif" && theDepth > 0) --theDepth;
    if (theName == "extension") thePending = true;
    if (thePending && theDepth == 0) {
      theLine = theDirective.endLine > theLine ? theDirective.endLine : theLine;
      thePending = false;
    }
  }
  return theLine;
}

// #line makes the next line N from GLSL 3.30 and in every ES version; before
// 3.30 it made the next line N + 1.
std::string LineDirective(int inNextLine, int inSource, const Prepared& inPrepared) {
  const bool theNextIsN = inPrepared.effectiveEs || inPrepared.effectiveVersion >= 330;
  return "#line " + std::to_string(theNextIsN ? inNextLine : inNextLine - 1) + " " + std::to_string(inSource) + "\n";
}

bool HasNewTexture(const Prepared& inPrepared) {
  return inPrepared.effectiveEs ? inPrepared.effectiveVersion >= 300 : inPrepared.effectiveVersion >= 130;
}

// texture2D and its kin, which core profiles and ES 3 no longer have, as
// the functions that replaced them.
const char* const kLegacyTexture[][2] = {
    {"texture2D", "texture"},           {"texture2DLod", "textureLod"}, {"texture2DProj", "textureProj"},
    {"texture2DProjLod", "textureProjLod"}, {"textureCube", "texture"},  {"textureCubeLod", "textureLod"},
    {"texture2DLodEXT", "textureLod"},  {"texture2DGradEXT", "textureGrad"}};

std::string Prelude(const Reading& inReading, const Prepared& inPrepared, bool inAddMain) {
  const bool theEs = inPrepared.effectiveEs;
  std::string thePrelude = "// Inputs given by the player\n";
  std::set<std::string> theDeclared;
  for (const Declared& theName : inReading.analysis.declared) theDeclared.insert(theName.name);
  for (const Input& theInput : Inputs()) {
    if (theDeclared.count(theInput.name) != 0) continue;
    const bool theSampler = std::string(theInput.type).compare(0, 7, "sampler") == 0;
    thePrelude += std::string("uniform ") + (theEs && !theSampler ? "highp " : "") + theInput.type + " " +
                  theInput.name + (theInput.arraySize > 0 ? "[" + std::to_string(theInput.arraySize) + "]" : "") +
                  ";\n";
  }
  // Pixel coordinates count from the viewport's corner, not the window's.
  thePrelude += std::string("uniform ") + (theEs ? "highp " : "") + "vec2 zorbitFragOrigin;\n";
  if (inReading.globals.count("gl_FragCoord") == 0)
    thePrelude += "#define gl_FragCoord (gl_FragCoord - vec4(zorbitFragOrigin, 0.0, 0.0))\n";
  if (HasNewTexture(inPrepared)) {
    for (const auto& thePair : kLegacyTexture)
      if (inReading.used.count(thePair[0]) != 0 && inReading.globals.count(thePair[0]) == 0)
        thePrelude += std::string("#define ") + thePair[0] + " " + thePair[1] + "\n";
  } else if (inReading.used.count("texture") != 0 && inReading.globals.count("texture") == 0) {
    thePrelude += "#define texture texture2D\n";
  }
  if (inReading.globals.count("HW_PERFORMANCE") == 0) thePrelude += "#ifndef HW_PERFORMANCE\n#define HW_PERFORMANCE 1\n#endif\n";
  if (inAddMain && HasNewTexture(inPrepared))
    thePrelude += theEs ? "layout(location = 0) out highp vec4 zorbitFragColor;\n" : "out vec4 zorbitFragColor;\n";
  return thePrelude;
}

std::string AddedMain(const Prepared& inPrepared) {
  const char* theOutput = HasNewTexture(inPrepared) ? "zorbitFragColor" : "gl_FragColor";
  return std::string("void main() {\n") +
         "  vec4 zorbitColor = vec4(0.0, 0.0, 0.0, 1.0);\n"
         "  mainImage(zorbitColor, gl_FragCoord.xy);\n"
         "  " + theOutput + " = zorbitColor;\n"
         "}\n";
}

int CountLines(const std::string& inText) {
  int theCount = 0;
  for (char c : inText) theCount += c == '\n' ? 1 : 0;
  return theCount;
}

std::vector<std::string> SplitLines(const std::string& inText) {
  std::vector<std::string> theLines;
  size_t theBegin = 0;
  while (theBegin < inText.size()) {
    size_t theEnd = inText.find('\n', theBegin);
    theEnd = theEnd == std::string::npos ? inText.size() : theEnd + 1;
    theLines.push_back(inText.substr(theBegin, theEnd - theBegin));
    theBegin = theEnd;
  }
  if (!theLines.empty() && theLines.back().back() != '\n') theLines.back() += '\n';
  return theLines;
}

std::string RefusalOf(const std::string& inText) {
  if (inText.size() > kMaxFileBytes) return "is larger than 1 MiB";
  if (inText.find('\0') != std::string::npos) return "is not a text file (it holds a NUL byte)";
  if (Trim(inText).empty()) return "is empty";
  return "";
}

void WarnOfTypes(const Analysis& inAnalysis, Prepared& ioPrepared) {
  for (const Declared& theName : inAnalysis.declared) {
    const Input* theInput = FindInput(theName.name);
    if (theName.type.empty()) continue;  // a #define or a function: the author's own choice
    const bool theArrayMatches =
        theInput->arraySize == 0 ? theName.arraySize == 0 : theName.arraySize == theInput->arraySize;
    if (theName.type == theInput->type && theArrayMatches) continue;
    std::string theGiven = std::string(theInput->type) +
                           (theInput->arraySize > 0 ? "[" + std::to_string(theInput->arraySize) + "]" : "");
    ioPrepared.warnings.push_back(std::to_string(theName.line) + ": " + theName.name +
                                  " is declared here, not as the " + theGiven +
                                  " the player gives; it is left unset");
  }
}

}  // namespace

const std::vector<Input>& Inputs() {
  static const std::vector<Input> kInputs = {
      {"iResolution", "vec3", 0},  {"iTime", "float", 0},          {"iGlobalTime", "float", 0},
      {"iTimeDelta", "float", 0},  {"iFrameRate", "float", 0},     {"iFrame", "int", 0},
      {"iChannelTime", "float", 4}, {"iChannelResolution", "vec3", 4}, {"iMouse", "vec4", 0},
      {"iDate", "vec4", 0},        {"iSampleRate", "float", 0},    {"iChannel0", "sampler2D", 0},
      {"iChannel1", "sampler2D", 0}, {"iChannel2", "sampler2D", 0}, {"iChannel3", "sampler2D", 0},
      {"iParam", "float", 20},     {"iParamInt", "int", 20},    {"iSpectrum", "sampler2D", 0}};
  return kInputs;
}

Analysis Analyse(const std::string& inText) { return Read(inText).analysis; }

Prepared Prepare(const std::string& inText, const Options& inOptions) {
  Prepared thePrepared;
  thePrepared.error = RefusalOf(inText);
  if (!thePrepared.error.empty()) return thePrepared;
  const Reading theReading = Read(inText);
  const Analysis& theAnalysis = theReading.analysis;
  thePrepared.analysis = theAnalysis;
  if (!theAnalysis.hasMain && !theAnalysis.hasMainImage) {
    thePrepared.error = "defines neither main nor mainImage";
    return thePrepared;
  }
  WarnOfTypes(theAnalysis, thePrepared);
  const bool theAddVersion = theAnalysis.versionLine == 0 && !theAnalysis.hasMain;
  thePrepared.effectiveVersion = theAnalysis.versionLine != 0 ? theAnalysis.version
                                 : theAddVersion             ? inOptions.dialectVersion
                                                             : 110;
  thePrepared.effectiveEs = theAnalysis.versionLine != 0 && theAnalysis.es;
  thePrepared.insertAfterLine = InsertionLine(theReading);
  const bool theAddMain = !theAnalysis.hasMain;

  const std::vector<std::string> theLines = SplitLines(inText);
  std::string& theSource = thePrepared.source;
  if (theAddVersion) theSource += "#version " + std::to_string(inOptions.dialectVersion) + "\n";
  if (theAddVersion && thePrepared.insertAfterLine > 0) theSource += LineDirective(1, 0, thePrepared);
  for (int i = 0; i < thePrepared.insertAfterLine && i < static_cast<int>(theLines.size()); ++i) theSource += theLines[i];
  const std::string thePrelude = Prelude(theReading, thePrepared, theAddMain);
  theSource += LineDirective(1, 1, thePrepared) + thePrelude;
  theSource += LineDirective(thePrepared.insertAfterLine + 1, 0, thePrepared);
  for (size_t i = thePrepared.insertAfterLine; i < theLines.size(); ++i) theSource += theLines[i];
  if (theAddMain) {
    thePrepared.addedMainLine = CountLines(thePrelude) + 1;
    theSource += LineDirective(thePrepared.addedMainLine, 1, thePrepared) + AddedMain(thePrepared);
  }
  return thePrepared;
}

namespace {

// One line of a driver's log, taken apart.
struct LogLine {
  bool parsed = false;
  int source = 0;
  int line = 0;
  int column = -1;  // -1: none given
  std::string message;
};

bool ReadNumber(const std::string& inText, size_t& ioAt, int& outNumber) {
  const size_t theBegin = ioAt;
  while (ioAt < inText.size() && std::isdigit(static_cast<unsigned char>(inText[ioAt]))) ++ioAt;
  if (ioAt == theBegin || ioAt - theBegin > 9) return false;
  outNumber = std::atoi(inText.c_str() + theBegin);
  return true;
}

bool Expect(const std::string& inText, size_t& ioAt, const char* inWhat) {
  size_t theAt = ioAt;
  for (const char* p = inWhat; *p != '\0'; ++p, ++theAt)
    if (theAt >= inText.size() || inText[theAt] != *p) return false;
  ioAt = theAt;
  return true;
}

// "0:17(5): error: ..." (Mesa), "0(17) : error C0000: ..." and
// "ERROR: 0:17: ..." / "WARNING: 0:17: ..." / "0:17: ...".
LogLine ParseLogLine(const std::string& inText) {
  LogLine theLine;
  size_t theAt = 0;
  std::string theSeverity;
  if (Expect(inText, theAt, "ERROR: ")) theSeverity = "error: ";
  else if (Expect(inText, theAt, "WARNING: ")) theSeverity = "warning: ";
  if (!ReadNumber(inText, theAt, theLine.source)) return theLine;
  if (Expect(inText, theAt, "(")) {
    if (!ReadNumber(inText, theAt, theLine.line) || !Expect(inText, theAt, ")")) return theLine;
  } else if (!Expect(inText, theAt, ":") || !ReadNumber(inText, theAt, theLine.line)) {
    return theLine;
  } else if (Expect(inText, theAt, "(")) {
    if (!ReadNumber(inText, theAt, theLine.column) || !Expect(inText, theAt, ")")) return theLine;
  }
  while (theAt < inText.size() && inText[theAt] == ' ') ++theAt;
  if (!Expect(inText, theAt, ":")) return theLine;
  theLine.message = theSeverity + Trim(inText.substr(theAt));
  theLine.parsed = true;
  return theLine;
}

}  // namespace

std::string MapLog(const std::string& inLog, const std::string& inFileName, const Prepared& inPrepared) {
  std::string theMapped;
  for (const std::string& theRaw : SplitLines(inLog)) {
    const std::string theText = Trim(theRaw);
    if (theText.empty()) continue;
    const LogLine theLine = ParseLogLine(theText);
    if (!theLine.parsed) {
      theMapped += inFileName + ": " + theText + "\n";
      continue;
    }
    int theAuthorLine = theLine.line;
    std::string theNote;
    int theColumn = theLine.column;
    if (theLine.source != 0) {
      const bool theInMain = inPrepared.addedMainLine > 0 && theLine.line >= inPrepared.addedMainLine;
      theAuthorLine = theInMain ? inPrepared.analysis.mainImageLine : inPrepared.insertAfterLine;
      theNote = theInMain ? " (in the main the player adds)" : " (in the inputs the player adds)";
      theColumn = -1;
    }
    if (theAuthorLine < 1) theAuthorLine = 1;
    theMapped += inFileName + ":" + std::to_string(theAuthorLine) +
                 (theColumn >= 0 ? ":" + std::to_string(theColumn) : "") + ": " + theLine.message + theNote + "\n";
  }
  return theMapped;
}

}  // namespace shadersource
