// The loader, fed real documents through the real Xerces parser.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <fstream>
#include <string>

#include "demo.h"
#include "testdemo.h"

namespace {

const MultiParam& Multi(const Event& inEvent, uint32_t inIndex) {
  EXPECT_EQ(inEvent.paramKinds[inIndex], PARAM_MULTI) << "param " << inIndex;
  return *static_cast<const MultiParam*>(inEvent.params[inIndex]);
}

TEST(Loader, DocumentWithoutLibrariesOrTracksGetsDefaults) {
  LoadedDemo theLoaded(std::string("<Demo>") + kSettings + "</Demo>");
  ASSERT_EQ(theLoaded.failure, "");
  const Demo& theDemo = theLoaded.demo;
  EXPECT_EQ(theDemo.libraryCount, 0u);
  EXPECT_EQ(theDemo.libraries, nullptr);
  EXPECT_EQ(theDemo.trackCount, 0u);
  EXPECT_EQ(theDemo.runningTime, 1000);
  EXPECT_FALSE(theDemo.useOpenGL);
  EXPECT_EQ(theDemo.musicFile, nullptr);
  EXPECT_EQ(theDemo.aspectX, 4);
  EXPECT_EQ(theDemo.aspectY, 3);
  EXPECT_EQ(theLoaded.names.count, 0);
}

TEST(Loader, SettingsReadExactly) {
  struct Case {
    const char* attributes;
    bool useOpenGL;
    int32_t aspectX, aspectY;
  } theCases[] = {
      {"UseOpenGL=\"true\"", true, 4, 3},
      {"UseOpenGL=\"True\"", false, 4, 3},
      {"UseOpenGL=\"1\"", false, 4, 3},
      {"UseOpenGL=\"true \"", false, 4, 3},
      {"AspectRatioX=\"16\"", false, 4, 3},
      {"AspectRatioY=\"9\"", false, 4, 3},
      {"AspectRatioX=\"16\" AspectRatioY=\"9\"", false, 16, 9},
  };
  for (const Case& theCase : theCases) {
    LoadedDemo theLoaded(std::string("<D><Settings RunningTime=\"5\" NumberOfInputSurfaces=\"2\" ") +
                         theCase.attributes + "/></D>");
    ASSERT_EQ(theLoaded.failure, "") << theCase.attributes;
    EXPECT_EQ(theLoaded.demo.useOpenGL, theCase.useOpenGL) << theCase.attributes;
    EXPECT_EQ(theLoaded.demo.aspectX, theCase.aspectX) << theCase.attributes;
    EXPECT_EQ(theLoaded.demo.aspectY, theCase.aspectY) << theCase.attributes;
    EXPECT_EQ(theLoaded.demo.inputSurfaceCount, 2u);
  }
}

TEST(Loader, IntegersAreReadTheWayAtolReadsThem) {
  struct Case {
    const char* text;
    int32_t value;
  } theCases[] = {
      {"42", 42},   {"  42", 42},   {"\t-7", -7},  {"+5", 5},   {"12abc", 12}, {"abc", 0},
      {"", 0},      {"- 5", 0},     {"0x10", 0},   {"1e3", 1},  {"-2147483648", INT32_MIN},
      {"4294967296", 0},                 // the low 32 bits of a 64-bit long
      {"99999999999999999999999", -1},  // saturates at LONG_MAX, whose low 32 bits are all ones
  };
  for (const Case& theCase : theCases) {
    LoadedDemo theLoaded(std::string("<D><Settings RunningTime=\"") + theCase.text +
                         "\" NumberOfInputSurfaces=\"0\"/></D>");
    ASSERT_EQ(theLoaded.failure, "") << theCase.text;
    EXPECT_EQ(theLoaded.demo.runningTime, theCase.value) << "RunningTime=\"" << theCase.text << "\"";
  }
}

TEST(Loader, EventTimesRoundDownToTenMsAndRampOverTheRoundedDuration) {
  struct Case {
    const char *start, *end;
    uint32_t startTime, endTime;
  } theCases[] = {
      {"1234", "5678", 1230, 5670},
      {"999", "1000", 990, 1000},
      {"0", "-5", 0, 4294967290u},
      {"1000", "3005", 1000, 3000},
  };
  for (const Case& theCase : theCases) {
    LoadedDemo theLoaded(EventDocument("<param start=\"3\" end=\"9\"/>", theCase.start, theCase.end));
    ASSERT_EQ(theLoaded.failure, "");
    const Event& theEvent = theLoaded.EventAt(0, 0);
    EXPECT_EQ(theEvent.startTime, theCase.startTime) << theCase.start;
    EXPECT_EQ(theEvent.endTime, theCase.endTime) << theCase.end;
    const MultiParam& theRamp = Multi(theEvent, 0);
    ASSERT_EQ(theRamp.segmentCount, 1u);
    EXPECT_EQ(theRamp.interpol, INTERP_LIN);
    EXPECT_EQ(theRamp.times[0], theCase.endTime - theCase.startTime);
    EXPECT_EQ(theRamp.values[0], 3);
    EXPECT_EQ(theRamp.values[1], 9);
  }
}

TEST(Loader, LibrariesListTheirFunctionsAndParameterNamesInOrder) {
  LoadedDemo theLoaded(std::string("<Demo>") + kSettings +
                       "<Libs><Library FileName=\"fonts.so\">\n  <!-- comment -->\n"
                       "  <Function Name=\"Text3D\"><P Name=\"x\"/> text <Q Name=\"y\"/></Function>\n"
                       "  <Other Name=\"Plain\"/>\n"
                       "</Library></Libs><Library FileName=\"beat.so\"/></Demo>");
  ASSERT_EQ(theLoaded.failure, "");
  ASSERT_EQ(theLoaded.demo.libraryCount, 2u);
  const Library& theFonts = theLoaded.demo.libraries[0];
  EXPECT_STREQ(theFonts.fileName, "fonts.so");
  ASSERT_EQ(theFonts.functionCount, 2u);
  EXPECT_STREQ(theFonts.functions[0].name, "Text3D");
  ASSERT_EQ(theFonts.functions[0].paramNameCount, 2u);
  EXPECT_STREQ(theFonts.functions[0].paramNames[0], "x");
  EXPECT_STREQ(theFonts.functions[0].paramNames[1], "y");
  EXPECT_STREQ(theFonts.functions[1].name, "Plain");
  EXPECT_EQ(theFonts.functions[1].paramNameCount, 0u);
  EXPECT_EQ(theFonts.functions[1].paramNames, nullptr);
  EXPECT_EQ(theFonts.handle, nullptr);
  EXPECT_EQ(theLoaded.demo.libraries[1].functionCount, 0u);
}

TEST(Loader, TracksHoldTheirElementChildrenAndEventsOnlyTheirParams) {
  LoadedDemo theLoaded(std::string("<Demo>") + kSettings +
                       "<Track/>"
                       "<Track><E LibraryFileName=\"a.so\" FunctionName=\"A\" StartTime=\"0\" EndTime=\"10\"/>"
                       "<E LibraryFileName=\"b.so\" FunctionName=\"B\" StartTime=\"10\" EndTime=\"20\">"
                       "<note/><param type=\"const\" val=\"5\"/><Param type=\"const\" val=\"6\"/>"
                       "<param/></E></Track></Demo>");
  // The type-less param lacks start and end.
  EXPECT_NE(theLoaded.failure.find("\"start\""), std::string::npos) << theLoaded.failure;

  LoadedDemo theGood(std::string("<Demo>") + kSettings +
                     "<Track/>"
                     "<Track><E LibraryFileName=\"a.so\" FunctionName=\"A\" StartTime=\"0\" EndTime=\"10\"/>"
                     "<E LibraryFileName=\"b.so\" FunctionName=\"B\" StartTime=\"10\" EndTime=\"20\">"
                     "<note/><param type=\"const\" val=\"5\"/><Param type=\"const\" val=\"6\"/>"
                     "<param type=\"const\"/></E></Track></Demo>");
  ASSERT_EQ(theGood.failure, "");
  ASSERT_EQ(theGood.demo.trackCount, 2u);
  EXPECT_EQ(theGood.demo.tracks[0].eventCount, 0u);
  ASSERT_EQ(theGood.demo.tracks[1].eventCount, 2u);
  const Event& theEmpty = theGood.EventAt(1, 0);
  EXPECT_EQ(theEmpty.paramCount, 0u);
  EXPECT_EQ(theEmpty.params, nullptr);
  EXPECT_EQ(theEmpty.paramKinds, nullptr);
  EXPECT_EQ(theEmpty.effect, nullptr);
  const Event& theEvent = theGood.EventAt(1, 1);
  EXPECT_STREQ(theEvent.libraryFileName, "b.so");
  EXPECT_STREQ(theEvent.functionName, "B");
  ASSERT_EQ(theEvent.paramCount, 2u);
  EXPECT_EQ(static_cast<const ConstParam*>(theEvent.params[0])->value, 5);
  EXPECT_EQ(theEvent.paramKinds[1], PARAM_CONST);
  EXPECT_EQ(static_cast<const ConstParam*>(theEvent.params[1])->value, 0) << "absent val gives 0";
}

TEST(Loader, EveryParameterTypeBuildsItsRecord) {
  LoadedDemo theLoaded(EventDocument(
      "<param type=\"multi\" interpol=\"bez\" val=\"7\"/>"
      "<param type=\"multi\" interpol=\"sqd\" val=\"1\"><seg time=\"100\" val=\"2\"/><x time=\"1\" val=\"1\"/>"
      "<seg time=\"200\" val=\"3\"/></param>"
      "<param type=\"multi\" interpol=\"lin\" val=\"1\"><seg time=\"1\" val=\"1\"/><seg time=\"1\" val=\"1\"/></param>"
      "<param type=\"multi\" interpol=\"lin\" val=\"1\"><seg time=\"1\" val=\"1\"/><seg time=\"1\" val=\"1\"/></param>"
      "<param type=\"multi\" interpol=\"lin\" val=\"1\"><seg time=\"1\" val=\"1\"/><seg time=\"1\" val=\"1\"/></param>"
      "<param type=\"sin\" ampli=\"1\" period=\"2\" offset=\"-3\" height=\"4\"/>"
      "<param type=\"beat\" ID=\"5\" min=\"6\" max=\"7\"/>"
      "<param type=\"const\" val=\"-8\"/>"
      "<param type=\"anything\" val=\"9\"/>"
      "<param type=\"combi\" op=\"1\"><a type=\"const\" val=\"2\"/><b start=\"0\" end=\"10\"/></param>",
      "1000", "3005"));
  ASSERT_EQ(theLoaded.failure, "");
  const Event& theEvent = theLoaded.EventAt(0, 0);
  ASSERT_EQ(theEvent.paramCount, 10u);

  const MultiParam& theBare = Multi(theEvent, 0);
  EXPECT_EQ(theBare.segmentCount, 0u);
  EXPECT_EQ(theBare.interpol, INTERP_BEZ);
  EXPECT_EQ(theBare.values[0], 7);

  const MultiParam& theSqd = Multi(theEvent, 1);
  EXPECT_EQ(theSqd.interpol, INTERP_SQD);
  ASSERT_EQ(theSqd.segmentCount, 2u) << "only seg children are segments";
  EXPECT_EQ(theSqd.times[0], 100u);
  EXPECT_EQ(theSqd.times[1], 200u);
  EXPECT_EQ(theSqd.values[0], 1);
  EXPECT_EQ(theSqd.values[1], 2);
  EXPECT_EQ(theSqd.values[2], 3);

  ASSERT_EQ(theEvent.paramKinds[5], PARAM_SINE);
  const SineParam& theSine = *static_cast<const SineParam*>(theEvent.params[5]);
  EXPECT_EQ(theSine.ampli, 1);
  EXPECT_EQ(theSine.period, 2);
  EXPECT_EQ(theSine.offset, -3);
  EXPECT_EQ(theSine.height, 4);

  ASSERT_EQ(theEvent.paramKinds[6], PARAM_BEAT);
  const BeatParam& theBeat = *static_cast<const BeatParam*>(theEvent.params[6]);
  EXPECT_EQ(theBeat.id, 5);
  EXPECT_EQ(theBeat.min, 6);
  EXPECT_EQ(theBeat.max, 7);

  ASSERT_EQ(theEvent.paramKinds[7], PARAM_CONST);
  EXPECT_EQ(static_cast<const ConstParam*>(theEvent.params[7])->value, -8);
  ASSERT_EQ(theEvent.paramKinds[8], PARAM_CONST);
  EXPECT_EQ(static_cast<const ConstParam*>(theEvent.params[8])->value, 9);

  ASSERT_EQ(theEvent.paramKinds[9], PARAM_COMBI);
  const CombiParam& theCombi = *static_cast<const CombiParam*>(theEvent.params[9]);
  EXPECT_EQ(theCombi.op, COMBI_MUL);
  EXPECT_EQ(theCombi.firstKind, PARAM_CONST);
  ASSERT_EQ(theCombi.secondKind, PARAM_MULTI);
  const MultiParam& theOperand = *static_cast<const MultiParam*>(theCombi.second);
  ASSERT_EQ(theOperand.segmentCount, 1u);
  EXPECT_EQ(theOperand.times[0], 2000u) << "a nested ramp spans the whole event";
}

TEST(Loader, RejectsFaultyParametersWithAClearMessage) {
  const std::string kMulti = "<param type=\"multi\" interpol=\"lin\" val=\"0\"><seg time=\"1\" val=\"1\"/></param>";
  const std::string kSqd = "<param type=\"multi\" interpol=\"sqd\" val=\"0\"><seg time=\"1\" val=\"1\"/></param>";
  std::string theDeep = "<param type=\"const\" val=\"1\"/>";
  for (int theLevel = 0; theLevel < 65; ++theLevel) {
    theDeep = "<param type=\"combi\" op=\"0\">" + theDeep + "<param type=\"const\" val=\"1\"/></param>";
  }
  struct Case {
    std::string params;
    const char* message;  // a part of the expected message
  } theCases[] = {
      {"<param type=\"combi\" op=\"0\"><a type=\"const\"/><b type=\"const\"/><c type=\"const\"/></param>",
       "Corrupt combi-function!"},
      {"<param type=\"combi\" op=\"0\"><a type=\"const\"/></param>", "Corrupt combi-function!"},
      {"<param type=\"combi\" op=\"2\"><a type=\"const\"/><b type=\"const\"/></param>",
       "Unknown combi-function op 2, expected 0 (sum) or 1 (product) (track 0, event 0, param 0)"},
      {theDeep, "nest deeper than 64"},
      {"<param type=\"multi\" interpol=\"cubic\" val=\"0\"/>",
       "An error occurred while loading demo from XML file. May have something to with corrupt XML, not 100% sure..."},
      {kSqd + kMulti + kMulti, "Corrupt sqd-group: param 0 of track 0, event 0"},
      {"<param type=\"const\"/>" + kSqd + kMulti + kMulti + "<param type=\"const\"/>",
       "Corrupt sqd-group: param 1 of track 0, event 0"},
      {kSqd + kMulti + kMulti + "<param type=\"multi\" interpol=\"lin\" val=\"0\"/>", "Corrupt sqd-group"},
      {"<param type=\"combi\" op=\"0\">" + kSqd + "<b type=\"const\"/></param>", "cannot be a combi-function operand"},
  };
  for (const Case& theCase : theCases) {
    LoadedDemo theLoaded(EventDocument(theCase.params));
    EXPECT_NE(theLoaded.failure.find(theCase.message), std::string::npos)
        << "expected \"" << theCase.message << "\", got \"" << theLoaded.failure << "\" for " << theCase.params;
  }
  // 64 nested combinations are still accepted.
  std::string theAllowed = "<param type=\"const\" val=\"1\"/>";
  for (int theLevel = 0; theLevel < 64; ++theLevel) {
    theAllowed = "<param type=\"combi\" op=\"0\">" + theAllowed + "<param type=\"const\" val=\"1\"/></param>";
  }
  LoadedDemo theLoaded(EventDocument(theAllowed + kSqd + kMulti + kMulti + kMulti));
  EXPECT_EQ(theLoaded.failure, "");
}

TEST(Loader, MissingRequiredAttributeNamesElementAttributeAndPlace) {
  const std::string kEvent = "<Event LibraryFileName=\"l.so\" FunctionName=\"F\" StartTime=\"0\" EndTime=\"10\">";
  struct Case {
    std::string body;
    const char* message;
  } theCases[] = {
      {"<Settings NumberOfInputSurfaces=\"0\"/>",
       "Missing attribute \"RunningTime\" in element \"Settings\" (the settings)"},
      {"<Settings RunningTime=\"1\"/>", "Missing attribute \"NumberOfInputSurfaces\" in element \"Settings\""},
      {"<Library/>", "Missing attribute \"FileName\" in element \"Library\" (library 0)"},
      {"<Library FileName=\"a\"><F/></Library>", "Missing attribute \"Name\" in element \"F\" (library 0, function 0)"},
      {"<Library FileName=\"a\"><F Name=\"f\"><p Name=\"x\"/><p/></F></Library>",
       "Missing attribute \"Name\" in element \"p\" (library 0, function 0, parameter name 1)"},
      {std::string(kSettings) + "<Track/><Track><E FunctionName=\"F\" StartTime=\"0\" EndTime=\"1\"/></Track>",
       "Missing attribute \"LibraryFileName\" in element \"E\" (track 1, event 0)"},
      {std::string(kSettings) + "<Track>" + kEvent + "</Event><E LibraryFileName=\"l\" FunctionName=\"F\" StartTime=\"0\"/></Track>",
       "Missing attribute \"EndTime\" in element \"E\" (track 0, event 1)"},
      {std::string(kSettings) + "<Track>" + kEvent + "<param type=\"const\"/><param type=\"sin\" ampli=\"1\" period=\"1\" height=\"1\"/></Event></Track>",
       "Missing attribute \"offset\" in element \"param\" (track 0, event 0, param 1)"},
      {std::string(kSettings) + "<Track>" + kEvent + "<param type=\"beat\" ID=\"1\" max=\"1\"/></Event></Track>",
       "Missing attribute \"min\""},
      {std::string(kSettings) + "<Track>" + kEvent + "<param type=\"multi\" val=\"1\"/></Event></Track>",
       "Missing attribute \"interpol\""},
      {std::string(kSettings) + "<Track>" + kEvent + "<param type=\"multi\" interpol=\"lin\"/></Event></Track>",
       "Missing attribute \"val\""},
      {std::string(kSettings) + "<Track>" + kEvent + "<param type=\"multi\" interpol=\"lin\" val=\"1\"><seg val=\"2\"/></param></Event></Track>",
       "Missing attribute \"time\" in element \"seg\""},
      {std::string(kSettings) + "<Track>" + kEvent + "<param type=\"combi\"><a/><b/></param></Event></Track>",
       "Missing attribute \"op\" in element \"param\""},
      {std::string(kSettings) + "<Track>" + kEvent + "<param type=\"combi\" op=\"0\"><a type=\"const\"/><b end=\"1\"/></param></Event></Track>",
       "Missing attribute \"start\" in element \"b\" (track 0, event 0, param 0)"},
      {"<Nothing/>", "The demo has no \"Settings\" element"},
  };
  for (const Case& theCase : theCases) {
    LoadedDemo theLoaded("<Demo>" + theCase.body + "</Demo>");
    EXPECT_NE(theLoaded.failure.find(theCase.message), std::string::npos)
        << "expected \"" << theCase.message << "\", got \"" << theLoaded.failure << "\"";
  }
}

TEST(Loader, TextsAreNumberedInDocumentOrderOnlyWhenATextsElementExists) {
  LoadedDemo theLoaded(std::string("<Demo><Text>early</Text>") + kSettings +
                       "<Texts><Text>logo.png</Text><Text></Text><Text> kick </Text><Text/></Texts>"
                       "<Text>late</Text></Demo>");
  ASSERT_EQ(theLoaded.failure, "");
  ASSERT_EQ(theLoaded.names.count, 4);
  EXPECT_STREQ(GetNameFrom(theLoaded.names, 0), "early");
  EXPECT_STREQ(GetNameFrom(theLoaded.names, 1), "logo.png");
  EXPECT_STREQ(GetNameFrom(theLoaded.names, 2), " kick ") << "an empty text takes no number; white space is kept";
  EXPECT_STREQ(GetNameFrom(theLoaded.names, 3), "late");

  LoadedDemo theNoTexts(std::string("<Demo>") + kSettings + "<Text>ignored</Text></Demo>");
  ASSERT_EQ(theNoTexts.failure, "");
  EXPECT_EQ(theNoTexts.names.count, 0);
}

TEST(Loader, BrokenDocumentsGiveTheGenericMessages) {
  const std::string kGeneric =
      "An error occurred while loading demo from XML file. May have something to with corrupt XML, not 100% sure...";
  for (const char* theXml : {"<Demo><Settings", "", "not xml at all", "<a></b>", "<Demo>&undefined;</Demo>",
                             // Xerces throws from inside its own declaration scanner here
                             "<?xml version=\"1.</F>\n0\" encoding=\"UTF-8\"?><D/>"}) {
    LoadedDemo theLoaded(theXml);
    EXPECT_EQ(theLoaded.failure, kGeneric) << theXml;
  }
}

TEST(Loader, EntityBombIsRejectedAndExternalEntitiesAreNotRead) {
  std::string theBomb = "<?xml version=\"1.0\"?><!DOCTYPE D [<!ENTITY a \"aaaaaaaaaa\">";
  const char* thePrevious = "a";
  std::string theNames[] = {"b", "c", "d", "e", "f", "g", "h", "i"};
  for (const std::string& theName : theNames) {
    theBomb += "<!ENTITY " + theName + " \"";
    for (int theK = 0; theK < 10; ++theK) theBomb += std::string("&") + thePrevious + ";";
    theBomb += "\">";
    thePrevious = theName.c_str();
  }
  theBomb += std::string("]><D>") + kSettings + "<Texts/><Text>&i;</Text></D>";
  LoadedDemo theLoaded(theBomb);
  EXPECT_NE(theLoaded.failure, "") << "a billion-character text was accepted";

  LoadedDemo theExternal(std::string("<?xml version=\"1.0\"?><!DOCTYPE D [<!ENTITY x SYSTEM \"/etc/hostname\">]><D>") +
                         kSettings + "<Texts/><Text>&x;</Text></D>");
  for (int32_t theI = 0; theI < theExternal.names.count; ++theI) {
    EXPECT_STREQ(theExternal.names.texts[theI], "") << "the loader read a file the document named";
  }
}

TEST(Loader, LoadsFromAFileWithEightTraceLines) {
  const std::string thePath = testing::TempDir() + "loader_trace_demo.xml";
  {
    std::ofstream theFile(thePath);
    theFile << EventDocument("<param type=\"const\" val=\"3\"/>");
  }
  Demo theDemo{};
  NameTable theNames{0, 0, nullptr};
  testing::internal::CaptureStderr();
  LoadDemo(thePath.c_str(), theDemo, theNames);
  const std::string theTrace = testing::internal::GetCapturedStderr();
  ASSERT_EQ(theDemo.trackCount, 1u);
  EXPECT_EQ(theDemo.tracks[0].events[0].paramCount, 1u);
  DestroyDemo(theDemo);
  ClearNameTable(theNames);
  std::remove(thePath.c_str());

  const struct {
    const char* message;
    int line;
  } kTraces[] = {{"Initializing XMLPlatformUtils", 46}, {"Creating a new XercesDOMParser", 49},
                 {"parser->parse", 52},                 {"Retrieving the DOM document", 54},
                 {"Loading the libraries", 65},         {"Loading Demo Settings", 67},
                 {"Loading Demo Tracks", 69},           {"Loading Texts", 71}};
  size_t thePosition = 0;
  for (const auto& theTrace2 : kTraces) {
    const std::string theStart = std::string("TRACE: ") + theTrace2.message + "\n  in file ";
    size_t theFound = theTrace.find(theStart, thePosition);
    ASSERT_NE(theFound, std::string::npos) << "missing or out of order: " << theTrace2.message << "\n" << theTrace;
    const size_t theLineEnd = theTrace.find('\n', theFound + theStart.size());
    const std::string theLine = theTrace.substr(theFound + theStart.size(), theLineEnd - theFound - theStart.size());
    EXPECT_NE(theLine.find("zorbitloader"), std::string::npos) << theLine;
    EXPECT_NE(theLine.find(", line " + std::to_string(theTrace2.line)), std::string::npos) << theLine;
    thePosition = theLineEnd;
  }
}

TEST(Loader, MissingFileSaysSo) {
  Demo theDemo{};
  NameTable theNames{0, 0, nullptr};
  testing::internal::CaptureStderr();
  try {
    LoadDemo("/nonexistent/demo.xml", theDemo, theNames);
    ADD_FAILURE() << "a missing file loaded";
  } catch (const BasicException& inFailure) {
    EXPECT_STREQ(inFailure.GetMessage(), "Couldn't load the demo /nonexistent/demo.xml, does this file exists?");
  }
  testing::internal::GetCapturedStderr();
  DestroyDemo(theDemo);
}

TEST(Loader, BundledExampleLoads) {
  Demo theDemo{};
  NameTable theNames{0, 0, nullptr};
  testing::internal::CaptureStderr();
  LoadDemo(ZORBIT_SOURCE_DIR "/zorbit/examples/example.xml", theDemo, theNames);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(theDemo.libraryCount, 2u);
  EXPECT_EQ(theDemo.trackCount, 2u);
  EXPECT_EQ(theNames.count, 3);
  DestroyDemo(theDemo);
  ClearNameTable(theNames);
}

}  // namespace

// Texts and names reach plug-ins in Windows-1252, one byte per character,
// whatever locale the process runs under.
TEST(Loader, TextsAndNamesAreInWindows1252UnderEveryLocale) {
  const std::string theDocument =
      std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Demo>") +
      "<Settings RunningTime=\"1000\" NumberOfInputSurfaces=\"0\" InputMusicFile=\"m\xC3\xBCsik.ogg\"/>"
      "<Texts><Text>Caf\xC3\xA9 Gr\xC3\xBC\xC3\x9F" "e \xC3\xB1</Text><Text>5 \xE2\x82\xAC</Text>"
      "<Text>\xE6\x97\xA5\xE6\x9C\xAC x</Text><Text>\xF0\x9F\x8E\xB5!</Text><Text>&#x20AC;&#xE9;</Text></Texts></Demo>";
  const std::string theExpected[] = {"\x43\x61\x66\xE9\x20\x47\x72\xFC\xDF\x65\x20\xF1", "\x35\x20\x80", "?? x", "?!",
                                     "\x80\xE9"};
  for (const char* theLocale : {"C", "C.UTF-8"}) {
    if (std::setlocale(LC_ALL, theLocale) == nullptr) continue;
    LoadedDemo theLoaded(theDocument);
    ASSERT_EQ(theLoaded.failure, "") << theLocale;
    ASSERT_EQ(theLoaded.names.count, 5) << theLocale;
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(std::string(GetNameFrom(theLoaded.names, i)), theExpected[i])
          << "text " << i << " under " << theLocale
          << (i == 3 ? " (a character beyond 16 bits is one '?', not two)" : "");
    }
    EXPECT_STREQ(theLoaded.demo.musicFile, "m\xFCsik.ogg") << "attributes are converted too, under " << theLocale;
  }
  std::setlocale(LC_ALL, "C");
}
