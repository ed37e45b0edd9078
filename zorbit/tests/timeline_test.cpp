// zorbit-info --timeline and --plot as a demo maker runs them: the SVG's bars
// and curves where the document's times and parameter animation put them,
// the tooltips, the PNG and PDF drawn, a browser agreeing with the PNG, and
// the awkward documents and command lines.
#include <gtest/gtest.h>
#include <cairo.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>
#include <xercesc/dom/DOM.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "demo.h"
#include "nametable.h"
#include "paramanim.h"
#include "shellrun.h"
#include "tempfolder.h"
#include "testsignals.h"
#include "textfile.h"
#include "timeline.h"
#include "zorbitloader.h"

namespace {

using namespace xercesc;

std::string RunInfo(const std::string& inArguments, int& outStatus) {
  ShellRun theRun = RunShell(ZORBIT_BIN_DIR "/zorbit-info " + inArguments);
  outStatus = theRun.status;
  return theRun.output;
}

bool Exists(const std::string& inPath) {
  struct stat theInfo;
  return stat(inPath.c_str(), &theInfo) == 0;
}

std::string Attribute(const DOMElement* inElement, const char* inName) {
  XMLCh* theName = XMLString::transcode(inName);
  char* theValue = XMLString::transcode(inElement->getAttribute(theName));
  std::string theResult = theValue;
  XMLString::release(&theValue);
  XMLString::release(&theName);
  return theResult;
}

double Number(const DOMElement* inElement, const char* inName) { return std::atof(Attribute(inElement, inName).c_str()); }

std::string TextOf(const DOMNode* inNode) {
  char* theText = XMLString::transcode(inNode->getTextContent());
  std::string theResult = theText;
  XMLString::release(&theText);
  return theResult;
}

// The elements of an SVG file, read with a real XML parser.
struct Svg {
  std::map<std::string, double> root;
  struct Bar {
    uint32_t track, event, start, end;
    double x, width, y, height;
    std::string tooltip;  // the title of the group the bar stands in
  };
  std::vector<Bar> bars;
  struct Curve {
    uint32_t track, event, param;
    double low, high, top, bottom;
    std::vector<std::pair<double, double>> points;
  };
  std::vector<Curve> curves;
  int summaries = 0;
  std::vector<std::pair<double, double>> wave;  // x and height of each column's stroke
  bool parsed = false;
};

Svg ReadSvg(const std::string& inPath) {
  Svg theSvg;
  XMLPlatformUtils::Initialize();
  {
    XercesDOMParser theParser;
    theParser.setDoNamespaces(true);
    theParser.parse(inPath.c_str());
    DOMDocument* theDocument = theParser.getDocument();
    if (theParser.getErrorCount() == 0 && theDocument != nullptr && theDocument->getDocumentElement() != nullptr) {
      theSvg.parsed = true;
      const DOMElement* theRoot = theDocument->getDocumentElement();
      for (const char* theName : {"data-from", "data-to", "data-x0", "data-x1", "width", "height"})
        theSvg.root[theName] = Number(theRoot, theName);
      XMLCh* theAll = XMLString::transcode("*");
      DOMNodeList* theElements = theDocument->getElementsByTagName(theAll);
      XMLString::release(&theAll);
      for (XMLSize_t i = 0; i < theElements->getLength(); ++i) {
        const DOMElement* theElement = static_cast<const DOMElement*>(theElements->item(i));
        char* theTag = XMLString::transcode(theElement->getTagName());
        const std::string theName = theTag;
        XMLString::release(&theTag);
        const std::string theClass = Attribute(theElement, "class");
        if (theName == "rect" && theClass == "bar") {
          Svg::Bar theBar{uint32_t(Number(theElement, "data-track")), uint32_t(Number(theElement, "data-event")),
                          uint32_t(Number(theElement, "data-start")), uint32_t(Number(theElement, "data-end")),
                          Number(theElement, "x"), Number(theElement, "width"), Number(theElement, "y"),
                          Number(theElement, "height"), ""};
          // <g><title>...</title><rect class="bar"/>...</g>
          const DOMNode* theGroup = theElement->getParentNode();
          for (const DOMNode* theChild = theGroup->getFirstChild(); theChild != nullptr; theChild = theChild->getNextSibling()) {
            char* theChildName = XMLString::transcode(theChild->getNodeName());
            if (std::string(theChildName) == "title") theBar.tooltip = TextOf(theChild);
            XMLString::release(&theChildName);
          }
          theSvg.bars.push_back(theBar);
        } else if (theName == "polyline" && theClass == "curve") {
          Svg::Curve theCurve{uint32_t(Number(theElement, "data-track")), uint32_t(Number(theElement, "data-event")),
                              uint32_t(Number(theElement, "data-param")), Number(theElement, "data-low"),
                              Number(theElement, "data-high"), Number(theElement, "data-top"),
                              Number(theElement, "data-bottom"), {}};
          std::istringstream thePoints(Attribute(theElement, "points"));
          double theX, theY;
          char theComma;
          while (thePoints >> theX >> theComma >> theY) theCurve.points.emplace_back(theX, theY);
          theSvg.curves.push_back(theCurve);
        } else if (theName == "rect" && theClass == "summary") {
          ++theSvg.summaries;
        } else if (theName == "rect" && theClass == "wave") {
          theSvg.wave.emplace_back(Number(theElement, "x"), Number(theElement, "height"));
        }
      }
    }
  }
  XMLPlatformUtils::Terminate();
  return theSvg;
}

// A document with known events on two tracks, one of each kind of curve.
const char kKnownDemo[] = R"(<Demo>
  <Settings RunningTime="40000" UseOpenGL="true" NumberOfInputSurfaces="0"/>
  <Texts><Text>kick</Text><Text>Hello &amp; "good" &lt;bye&gt;</Text><Text>FreeSans.ttf</Text></Texts>
  <Libraries>
    <Library FileName="beat.so"><Function Name="MakeBeat"/></Library>
    <Library FileName="fx.so"><Function Name="Show"><Param Name="text"/><Param Name="x"/><Param Name="font"/></Function></Library>
  </Libraries>
  <Tracks>
    <Track>
      <Event LibraryFileName="fx.so" FunctionName="Show" StartTime="2000" EndTime="12000">
        <param type="const" val="1"/>
        <param type="multi" interpol="lin" val="0"><seg time="4000" val="1000"/><seg time="6000" val="-500"/></param>
        <param type="const" val="2"/>
        <param type="multi" interpol="bez" val="0"><seg time="3000" val="100"/><seg time="7000" val="20"/></param>
        <param type="sin" ampli="50" period="2000" offset="0" height="10"/>
        <param type="combi" op="0"><param type="sin" ampli="20" period="1000" offset="0" height="100"/>
          <param type="beat" ID="0" min="0" max="30"/></param>
        <param type="multi" interpol="sqd" val="100000"><seg time="5000" val="70711"/><seg time="5000" val="0"/></param>
        <param type="multi" interpol="lin" val="0"><seg time="5000" val="0"/><seg time="5000" val="0"/></param>
        <param type="multi" interpol="lin" val="0"><seg time="5000" val="70711"/><seg time="5000" val="100000"/></param>
        <param type="multi" interpol="lin" val="0"><seg time="5000" val="0"/><seg time="5000" val="0"/></param>
      </Event>
      <Event LibraryFileName="fx.so" FunctionName="Show" StartTime="20000" EndTime="30000">
        <param type="beat" ID="0" min="10" max="90"/>
      </Event>
    </Track>
    <Track>
      <Event LibraryFileName="beat.so" FunctionName="MakeBeat" StartTime="0" EndTime="40000">
        <param type="const" val="0"/><param type="const" val="0"/>
        <param type="const" val="1000"/><param type="const" val="1000"/>
        <param type="const" val="4000"/><param type="const" val="0"/>
        <param type="const" val="-1"/><param type="const" val="0"/>
      </Event>
    </Track>
  </Tracks>
</Demo>
)";

class Timeline : public testing::Test {
 protected:
  Timeline() : mFolder("timeline") {}
  std::string Path(const std::string& inName) const { return mFolder.Path() + "/" + inName; }
  std::string Write(const std::string& inName, const std::string& inText) const {
    WriteFile(Path(inName), inText);
    return Path(inName);
  }
  TempFolder mFolder;
};

// Every value the parameter takes at inMs, evaluated the way the player does
// (quaternion groups four at a time), with beats from the document's MakeBeat.
int32_t Expected(const Event& inEvent, uint32_t inParam, uint32_t inMs) {
  int32_t theValues[ZORBIT_MAX_PARAMS] = {};
  bool theConstant = true;
  EvaluateEventParams(inMs, inEvent, theValues, ZORBIT_MAX_PARAMS, theConstant);
  return theValues[inParam];
}

TEST_F(Timeline, SvgBarsCurvesAndTooltipsFollowTheDocument) {
  const std::string theDemoPath = Write("known.xml", kKnownDemo);
  int theStatus = -1;
  const std::string theOutput = RunInfo("--timeline '" + Path("known.svg") + "' --width 1600 '" + theDemoPath + "'", theStatus);
  ASSERT_EQ(0, theStatus) << theOutput;
  const Svg theSvg = ReadSvg(Path("known.svg"));
  ASSERT_TRUE(theSvg.parsed) << "the SVG is not well-formed XML";
  EXPECT_EQ(0, theSvg.root.at("data-from"));
  EXPECT_EQ(40000, theSvg.root.at("data-to"));
  EXPECT_EQ(1600, theSvg.root.at("width"));
  const double theX0 = theSvg.root.at("data-x0");
  const double theX1 = theSvg.root.at("data-x1");
  auto theX = [&](double inMs) { return theX0 + inMs * (theX1 - theX0) / 40000.0; };

  // One bar per event, where its times put it; the track that runs first (the highest) on top.
  ASSERT_EQ(3u, theSvg.bars.size()) << "one bar per event";
  std::map<std::pair<uint32_t, uint32_t>, Svg::Bar> theBars;
  for (const Svg::Bar& theBar : theSvg.bars) theBars[{theBar.track, theBar.event}] = theBar;
  const struct {
    uint32_t track, event, start, end;
  } kEvents[] = {{0, 0, 2000, 12000}, {0, 1, 20000, 30000}, {1, 0, 0, 40000}};
  for (const auto& theEvent : kEvents) {
    ASSERT_EQ(1u, theBars.count({theEvent.track, theEvent.event})) << "no bar for " << theEvent.track << "." << theEvent.event;
    const Svg::Bar& theBar = theBars[{theEvent.track, theEvent.event}];
    EXPECT_NEAR(theX(theEvent.start), theBar.x, 0.01) << "bar " << theEvent.track << "." << theEvent.event << " starts elsewhere";
    EXPECT_NEAR(theX(theEvent.end), theBar.x + theBar.width, 0.01) << "bar " << theEvent.track << "." << theEvent.event << " ends elsewhere";
  }
  EXPECT_LT((theBars[{1, 0}].y), (theBars[{0, 0}].y)) << "track 1 runs first and belongs above track 0";
  EXPECT_EQ((theBars[{0, 0}].y), (theBars[{0, 1}].y)) << "events of one track share a row";

  // The tooltips: the event, its times, every parameter by its declared name, texts escaped and back.
  const std::string& theTip = theBars[{0, 0}].tooltip;
  for (const char* thePart : {"Track 0, event 0: Show in fx.so", "2000 ms to 12000 ms (10000 ms)", "1 x: lin over 3 keys: 0, 1000 at +4000 ms, -500 at +10000 ms",
                              "3: bez over 3 keys", "4: sine around 10, amplitude 50, period 2000 ms",
                              "5: combi sum of (sine around 100", "beat \u201Ckick\u201D: 0 + 30 x level", "6: sqd over 3 keys"}) {
    EXPECT_NE(std::string::npos, theTip.find(thePart)) << "tooltip lacks '" << thePart << "':\n" << theTip;
  }
  EXPECT_NE(std::string::npos, theTip.find("0 text: 1")) << theTip;
  EXPECT_NE(std::string::npos, (theBars[{1, 0}].tooltip.find("MakeBeat in beat.so"))) << (theBars[{1, 0}].tooltip);

  // The curves: every time-varying parameter, each sampled point where parameter animation puts it.
  Demo theDemo{};
  NameTable theNames{0, 0, nullptr};
  LoadDemo(theDemoPath.c_str(), theDemo, theNames);
  DemoBeats theBeats(theDemo, theNames);
  std::map<std::pair<uint32_t, uint32_t>, std::vector<uint32_t>> theCurveParams;
  for (const Svg::Curve& theCurve : theSvg.curves) {
    theCurveParams[{theCurve.track, theCurve.event}].push_back(theCurve.param);
    const Event& theEvent = theDemo.tracks[theCurve.track].events[theCurve.event];
    ASSERT_GT(theCurve.points.size(), 100u) << "curve " << theCurve.param << " is barely sampled";
    int theWrong = 0;
    for (const auto& thePoint : theCurve.points) {
      const double theMs = std::round(theSvg.root.at("data-from") + (thePoint.first - theX0) * 40000.0 / (theX1 - theX0));
      const uint32_t theTime = uint32_t(std::clamp(theMs, double(theEvent.startTime), double(theEvent.endTime)));
      theBeats.SetTime(theTime);
      const double theValue = Expected(theEvent, theCurve.param, theTime);
      const double theY = theCurve.bottom - (theValue - theCurve.low) * (theCurve.bottom - theCurve.top) / (theCurve.high - theCurve.low);
      if (std::fabs(theY - thePoint.second) > 1.0 && ++theWrong <= 3)
        ADD_FAILURE() << "curve " << theCurve.track << "." << theCurve.event << ":" << theCurve.param << " at " << theTime
                      << " ms: y " << thePoint.second << ", the value " << theValue << " gives " << theY;
    }
    EXPECT_EQ(0, theWrong) << "points off by more than a pixel on curve " << theCurve.param;
  }
  // 7 and 9 are keyed curves too (the quaternion 6 to 9 turns as one).
  EXPECT_EQ((std::vector<uint32_t>{1, 3, 4, 5, 6, 7, 8, 9}), (theCurveParams[{0, 0}])) << "the time-varying parameters of event 0.0";
  EXPECT_EQ((std::vector<uint32_t>{0}), (theCurveParams[{0, 1}])) << "the beat parameter of event 0.1";
  EXPECT_EQ(0u, theCurveParams.count({1, 0})) << "MakeBeat's constants drawn as curves";
  DestroyDemo(theDemo);
  ClearNameTable(theNames);
}

}  // namespace

namespace {

// A PNG's pixels, read with cairo.
struct Raster {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB
  uint32_t At(int inX, int inY) const {
    if (inX < 0 || inY < 0 || inX >= width || inY >= height) return 0xFFFFFFFF;
    return pixels[size_t(inY) * width + inX] & 0xFFFFFF;
  }
};

Raster ReadRaster(const std::string& inPath) {
  Raster theRaster;
  cairo_surface_t* theSurface = cairo_image_surface_create_from_png(inPath.c_str());
  if (cairo_surface_status(theSurface) == CAIRO_STATUS_SUCCESS) {
    cairo_surface_flush(theSurface);
    theRaster.width = cairo_image_surface_get_width(theSurface);
    theRaster.height = cairo_image_surface_get_height(theSurface);
    const int theStride = cairo_image_surface_get_stride(theSurface);
    const unsigned char* theData = cairo_image_surface_get_data(theSurface);
    for (int y = 0; y < theRaster.height; ++y)
      for (int x = 0; x < theRaster.width; ++x)
        theRaster.pixels.push_back(reinterpret_cast<const uint32_t*>(theData + size_t(y) * theStride)[x]);
  }
  cairo_surface_destroy(theSurface);
  return theRaster;
}

int ChannelDistance(uint32_t inA, uint32_t inB) {
  int theMost = 0;
  for (int theShift : {0, 8, 16}) theMost = std::max(theMost, std::abs(int((inA >> theShift) & 0xFF) - int((inB >> theShift) & 0xFF)));
  return theMost;
}

// The x where the bar's colour begins on its label line, looking a few pixels
// either side of where the SVG puts it; -1 when it is not there.
int BarEdge(const Raster& inRaster, const Svg::Bar& inBar, uint32_t inColour) {
  const int theY = int(inBar.y + 5);
  for (int x = int(inBar.x) - 6; x <= int(inBar.x) + 6; ++x)
    if (ChannelDistance(inRaster.At(x, theY), inColour) <= 12 && ChannelDistance(inRaster.At(x + 1, theY), inColour) <= 12) return x;
  return -1;
}

// The bars' colour, read from the middle of each bar's label line, right of its text.
uint32_t BarColour(const Raster& inRaster, const Svg::Bar& inBar) {
  return inRaster.At(int(inBar.x + inBar.width - 3), int(inBar.y + 4));
}

// The PDF's page streams inflated: cairo draws every bar as a rectangle ("re").
std::string PdfDrawing(const std::string& inPdf) {
  std::string theDrawing;
  size_t theAt = 0;
  while ((theAt = inPdf.find("stream", theAt)) != std::string::npos) {
    size_t theStart = theAt + 6;
    if (theStart < inPdf.size() && inPdf[theStart] == '\r') ++theStart;
    if (theStart < inPdf.size() && inPdf[theStart] == '\n') ++theStart;
    const size_t theEnd = inPdf.find("endstream", theStart);
    if (theEnd == std::string::npos) break;
    std::vector<unsigned char> theOut(1 << 22);
    uLongf theSize = theOut.size();
    if (uncompress(theOut.data(), &theSize, reinterpret_cast<const Bytef*>(inPdf.data() + theStart), uLong(theEnd - theStart)) == Z_OK)
      theDrawing.append(reinterpret_cast<const char*>(theOut.data()), theSize);
    theAt = theEnd + 9;
  }
  return theDrawing;
}

int Count(const std::string& inText, const std::string& inPart) {
  int theCount = 0;
  for (size_t theAt = inText.find(inPart); theAt != std::string::npos; theAt = inText.find(inPart, theAt + 1)) ++theCount;
  return theCount;
}

TEST_F(Timeline, PngAndPdfAreDrawnAndABrowserPutsTheSvgsBarsWhereThePngHasThem) {
  const std::string theDemoPath = Write("known.xml", kKnownDemo);
  for (const char* theName : {"known.svg", "known.png", "known.pdf"}) {
    int theStatus = -1;
    const std::string theOutput = RunInfo("--timeline '" + Path(theName) + "' --width 1600 '" + theDemoPath + "'", theStatus);
    ASSERT_EQ(0, theStatus) << theName << ": " << theOutput;
  }
  const Svg theSvg = ReadSvg(Path("known.svg"));
  ASSERT_EQ(3u, theSvg.bars.size());
  const Raster thePng = ReadRaster(Path("known.png"));
  ASSERT_EQ(1600, thePng.width) << "the PNG cannot be read";
  EXPECT_EQ(int(theSvg.root.at("height")), thePng.height) << "the PNG and the SVG differ in size";
  std::map<uint32_t, int> theColours;
  for (uint32_t thePixel : thePng.pixels) ++theColours[thePixel & 0xFFFFFF];
  EXPECT_GT(theColours.size(), 50u) << "the PNG is close to blank";

  const std::string thePdf = ReadFile(Path("known.pdf"));
  EXPECT_EQ(0u, thePdf.rfind("%PDF-", 0)) << "not a PDF";
  EXPECT_NE(std::string::npos, thePdf.find("%%EOF")) << "the PDF is not finished";
  const std::string theDrawing = PdfDrawing(thePdf);
  EXPECT_GE(Count(theDrawing, " re"), 3 + 10) << "the PDF's page draws too few rectangles for 3 bars and their lanes";
  EXPECT_GE(Count(theDrawing, " l"), 100) << "the PDF's page draws no curves";

  // The browser's rendering of the SVG against the PNG: every bar within a few pixels.
  if (!Exists("/usr/bin/chromium")) GTEST_SKIP() << "needs Chromium (scripts/install-deps)";
  const std::string theProfile = Path("profile");
  mkdir(theProfile.c_str(), 0700);
  const std::string theShot = Path("browser.png");
  const std::string theCommand = "timeout 300 /usr/bin/chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
                                 "--disable-background-networking --disable-component-update --disable-sync --user-data-dir='" +
                                 theProfile + "' --screenshot='" + theShot + "' --window-size=1600," +
                                 std::to_string(thePng.height) + " 'file://" + Path("known.svg") + "' >'" + Path("chromium.log") + "' 2>&1";
  ASSERT_EQ(0, std::system(theCommand.c_str())) << ReadFile(Path("chromium.log"));
  const Raster theBrowser = ReadRaster(theShot);
  ASSERT_EQ(1600, theBrowser.width) << "no screenshot: " << ReadFile(Path("chromium.log"));
  for (const Svg::Bar& theBar : theSvg.bars) {
    const uint32_t theColour = BarColour(thePng, theBar);
    const int thePngEdge = BarEdge(thePng, theBar, theColour);
    const int theBrowserEdge = BarEdge(theBrowser, theBar, theColour);
    EXPECT_NEAR(theBar.x, thePngEdge, 2) << "the PNG's bar " << theBar.track << "." << theBar.event << " is not where the SVG says";
    EXPECT_NEAR(thePngEdge, theBrowserEdge, 2) << "the browser's bar " << theBar.track << "." << theBar.event << " is elsewhere";
    const uint32_t theBrowserColour = BarColour(theBrowser, theBar);
    EXPECT_LE(ChannelDistance(theColour, theBrowserColour), 12)
        << "bar " << theBar.track << "." << theBar.event << ": the browser's colour " << std::hex << theBrowserColour
        << ", the PNG's " << theColour;
    const int theEnd = int(theBar.x + theBar.width) - 1;
    EXPECT_LE(ChannelDistance(theBrowser.At(theEnd, int(theBar.y + 4)), theColour), 12) << "the browser's bar ends early";
    EXPECT_GT(ChannelDistance(theBrowser.At(theEnd + 3, int(theBar.y + 4)), theColour), 12) << "the browser's bar ends late";
  }
}

// A document of inTracks tracks of inEvents events each, 100 ms apart.
std::string ManyEvents(int inTracks, int inEvents) {
  std::string theText = "<Demo><Settings RunningTime=\"" + std::to_string(inEvents * 100) +
                        "\" UseOpenGL=\"true\" NumberOfInputSurfaces=\"0\"/><Tracks>";
  for (int t = 0; t < inTracks; ++t) {
    theText += "<Track>";
    for (int e = 0; e < inEvents; ++e)
      theText += "<Event LibraryFileName=\"fx.so\" FunctionName=\"Dot\" StartTime=\"" + std::to_string(e * 100) +
                 "\" EndTime=\"" + std::to_string(e * 100 + 50) + "\"><param start=\"0\" end=\"" + std::to_string(e) + "\"/></Event>";
    theText += "</Track>";
  }
  return theText + "</Tracks></Demo>";
}

TEST_F(Timeline, EmptyZeroAndHugeDocumentsGiveAClearPicture) {
  const struct {
    const char* name;
    std::string document;
    const char* said;  // in the SVG
    int bars;
    int summaries;
  } kCases[] = {
      {"empty", "<Demo><Settings RunningTime=\"5000\" NumberOfInputSurfaces=\"0\"/></Demo>", "No event plays between 0 ms and 5000 ms", 0, 0},
      {"zero", "<Demo><Settings RunningTime=\"0\" NumberOfInputSurfaces=\"0\"/><Tracks><Track>"
               "<Event LibraryFileName=\"a.so\" FunctionName=\"F\" StartTime=\"0\" EndTime=\"0\"/></Track></Tracks></Demo>",
       "0 ms to 1000 ms of a demo of 0 ms", 1, 0},
      {"nothing", "<Demo><Settings RunningTime=\"0\" NumberOfInputSurfaces=\"0\"/></Demo>", "The demo runs 0 ms", 0, 0},
      {"dense", ManyEvents(2, 50000), "50000 events, summarised", 0, 2},
  };
  for (const auto& theCase : kCases) {
    const std::string theDemoPath = Write(std::string(theCase.name) + ".xml", theCase.document);
    for (const char* theExtension : {".svg", ".png"}) {
      int theStatus = -1;
      const std::string theOut = Path(std::string(theCase.name) + theExtension);
      const std::string theOutput = RunInfo("--timeline '" + theOut + "' '" + theDemoPath + "'", theStatus);
      EXPECT_EQ(0, theStatus) << theCase.name << theExtension << ": " << theOutput;
      EXPECT_TRUE(Exists(theOut)) << theCase.name << theExtension;
    }
    const Svg theSvg = ReadSvg(Path(std::string(theCase.name) + ".svg"));
    EXPECT_EQ(theCase.bars, int(theSvg.bars.size())) << theCase.name;
    EXPECT_EQ(theCase.summaries, theSvg.summaries) << theCase.name;
    EXPECT_NE(std::string::npos, ReadFile(Path(std::string(theCase.name) + ".svg")).find(theCase.said)) << theCase.name;
    EXPECT_GT(ReadRaster(Path(std::string(theCase.name) + ".png")).width, 0) << theCase.name;
  }
}

TEST_F(Timeline, PlotShowsOneParameterWithItsKeysEvenTenThousandOfThem) {
  std::string theDocument = std::string(kKnownDemo);
  std::string theKeys = "<Track><Event LibraryFileName=\"fx.so\" FunctionName=\"Show\" StartTime=\"0\" EndTime=\"40000\">"
                        "<param type=\"multi\" interpol=\"bez\" val=\"0\">";
  for (int k = 0; k < 10000; ++k) theKeys += "<seg time=\"4\" val=\"" + std::to_string((k * 7919) % 1000) + "\"/>";
  theKeys += "</param></Event></Track></Tracks>";
  theDocument.replace(theDocument.find("</Tracks>"), 9, theKeys);
  const std::string theDemoPath = Write("keys.xml", theDocument);
  const struct {
    const char* target;
    const char* said;  // in the SVG
  } kPlots[] = {{"0.0:1", "lin: straight lines"}, {"0.0:3", "bez: smooth"}, {"0.0:4", "sine"},
                {"0.0:5", "combi"},        {"0.0:6", "sqd: one component"}, {"0.1:0", "beat: follows"},
                {"2.0:0", "10001 keys, too close to mark"}};
  for (const auto& thePlot : kPlots) {
    for (const char* theExtension : {".png", ".svg"}) {
      int theStatus = -1;
      const std::string theOut = Path(std::string("plot") + thePlot.target + theExtension);
      const std::string theOutput = RunInfo(std::string("--plot ") + thePlot.target + " '" + theOut + "' '" + theDemoPath + "'", theStatus);
      EXPECT_EQ(0, theStatus) << thePlot.target << ": " << theOutput;
    }
    const std::string theSvg = ReadFile(Path(std::string("plot") + thePlot.target + ".svg"));
    EXPECT_NE(std::string::npos, theSvg.find(thePlot.said)) << thePlot.target << " does not say '" << thePlot.said << "'";
    EXPECT_NE(std::string::npos, theSvg.find("class=\"curve\"")) << thePlot.target;
    const Raster thePng = ReadRaster(Path(std::string("plot") + thePlot.target + ".png"));
    EXPECT_EQ(1200, thePng.width) << thePlot.target;
  }
  // A timeline of the same document: the long curve is drawn, its keys too close to mark.
  int theStatus = -1;
  RunInfo("--timeline '" + Path("keys.svg") + "' '" + theDemoPath + "'", theStatus);
  EXPECT_EQ(0, theStatus);
  const Svg theTimeline = ReadSvg(Path("keys.svg"));
  EXPECT_EQ(4u, theTimeline.bars.size());
}

TEST_F(Timeline, BadRequestsAreRefusedClearlyAndLeaveNoFile) {
  const std::string theDemoPath = Write("known.xml", kKnownDemo);
  const std::string theBroken = Write("broken.xml", "<Demo><Settings");
  const std::string theTall = Write("tall.xml", ManyEvents(1000, 1));
  const struct {
    std::string arguments;
    int status;
    const char* said;
  } kCases[] = {
      {"--timeline '" + Path("a.gif") + "' '" + theDemoPath + "'", 2, "ends in .svg, .png or .pdf, not"},
      {"--timeline '" + Path("no/such/folder/a.png") + "' '" + theDemoPath + "'", 1, "cannot write"},
      {"--timeline '" + Path("no/such/folder/a.svg") + "' '" + theDemoPath + "'", 1, "cannot write"},
      {"--timeline '" + Path("no/such/folder/a.pdf") + "' '" + theDemoPath + "'", 1, "cannot write"},
      {"--timeline '" + Path("b.png") + "' '" + theBroken + "'", 1, "error occurred while loading"},
      {"--timeline '" + Path("c.png") + "' --from 5000 --to 5000 '" + theDemoPath + "'", 2, "must lie after --from"},
      {"--timeline '" + Path("d.png") + "' --width 12 '" + theDemoPath + "'", 2, "--width wants a width"},
      {"--timeline '" + Path("e.png") + "' --bpm x '" + theDemoPath + "'", 2, "--bpm wants"},
      {"--from 10 '" + theDemoPath + "'", 2, "--timeline or --plot"},
      {"--plot 0.0 '" + Path("f.png") + "' '" + theDemoPath + "'", 2, "TRACK.EVENT:PARAM"},
      {"--plot 0.5:1 '" + Path("g.png") + "' '" + theDemoPath + "'", 1, "track 0 has no event 5 (it has 2)"},
      {"--plot 0.0:40 '" + Path("h.png") + "' '" + theDemoPath + "'", 1, "event 0.0 has no parameter 40 (it has 10)"},
      {"--plot 7.0:0 '" + Path("i.png") + "' '" + theDemoPath + "'", 1, "there is no track 7 (the demo has 2)"},
      {"--timeline '" + Path("j.png") + "' '" + theTall + "'", 1, "pixels high (1000 tracks), more than a picture holds"},
  };
  for (const auto& theCase : kCases) {
    int theStatus = -1;
    const std::string theOutput = RunInfo(theCase.arguments, theStatus);
    EXPECT_EQ(theCase.status, theStatus) << theCase.arguments << ": " << theOutput;
    EXPECT_NE(std::string::npos, theOutput.find(theCase.said)) << theCase.arguments << ": " << theOutput;
  }
  for (const char* theName : {"a.gif", "b.png", "c.png", "d.png", "e.png", "f.png", "g.png", "h.png", "i.png", "j.png", "no"})
    EXPECT_FALSE(Exists(Path(theName))) << theName << " was written";
  // A read-only folder: the message, and neither the picture nor a part of it left.
  const std::string theLocked = Path("locked");
  mkdir(theLocked.c_str(), 0500);
  if (access((theLocked + "/.").c_str(), W_OK) != 0) {
    int theStatus = -1;
    const std::string theOutput = RunInfo("--timeline '" + theLocked + "/t.png' '" + theDemoPath + "'", theStatus);
    EXPECT_EQ(1, theStatus) << theOutput;
    EXPECT_NE(std::string::npos, theOutput.find("cannot write")) << theOutput;
  }
  chmod(theLocked.c_str(), 0700);
}

}  // namespace

namespace {

TEST_F(Timeline, TheWaveformShowsTheMusicWhereItSounds) {
  // Two silent seconds, then two of a loud tone.
  std::vector<float> theMusic(2 * 22050, 0.0f);
  const std::vector<float> theTone = testsignals::Sine(440, 0.8, 2.0, 22050);
  theMusic.insert(theMusic.end(), theTone.begin(), theTone.end());
  ASSERT_TRUE(testsignals::Write(Path("music.wav"), theMusic, 22050, testsignals::Format::kWav, 2));
  const std::string theEvent = "<Track><Event LibraryFileName=\"a.so\" FunctionName=\"F\" StartTime=\"0\" EndTime=\"4000\"/></Track>";
  const std::string theDemo = Write("music.xml", "<Demo><Settings RunningTime=\"4000\" NumberOfInputSurfaces=\"0\" "
                                                 "InputMusicFile=\"music.wav\"/><Tracks>" + theEvent + "</Tracks></Demo>");
  int theStatus = -1;
  std::string theOutput = RunInfo("--timeline '" + Path("music.svg") + "' --width 1000 '" + theDemo + "'", theStatus);
  ASSERT_EQ(0, theStatus) << theOutput;
  const Svg theSvg = ReadSvg(Path("music.svg"));
  const double theMiddle = (theSvg.root.at("data-x0") + theSvg.root.at("data-x1")) / 2;
  double theQuiet = 0, theLoud = 0;
  int theQuietCount = 0, theLoudCount = 0;
  for (const auto& theColumn : theSvg.wave) {
    if (theColumn.first < theMiddle - 2) {
      theQuiet = std::max(theQuiet, theColumn.second);
      ++theQuietCount;
    } else if (theColumn.first > theMiddle + 2) {
      theLoud += theColumn.second;
      ++theLoudCount;
    }
  }
  ASSERT_GT(theQuietCount, 400) << "no waveform over the silent half";
  ASSERT_GT(theLoudCount, 400) << "no waveform over the loud half";
  EXPECT_LE(theQuiet, 1.0) << "the silence is drawn as sound";
  EXPECT_NEAR(0.8 * 68, theLoud / theLoudCount, 3) << "the tone of 0.8 is not drawn 0.8 of the strip high";

  // Music that cannot be read: the picture says so where the waveform would be.
  std::remove(Path("music.wav").c_str());
  theOutput = RunInfo("--timeline '" + Path("gone.svg") + "' '" + theDemo + "'", theStatus);
  EXPECT_EQ(0, theStatus) << theOutput;
  EXPECT_NE(std::string::npos, ReadFile(Path("gone.svg")).find("music.wav cannot be read")) << "no word about the missing music";
}

}  // namespace

namespace {

// Descriptions as an effect would give them, for the layout to follow.
class FakeSenses : public ParamSenses {
 public:
  bool Describe(const Event& inEvent, uint32_t inParam, ParamSense& outSense) override {
    if (std::string(inEvent.functionName) != "Show") return false;
    if (inParam == 0) outSense = ParamSense{"words", "", 1, true, 2, mReadWhen};
    else if (inParam == 1) outSense = ParamSense{"left", "units", 1000, false, -1, 0};
    else if (inParam == 2) outSense = ParamSense{"look", "", 1, false, -1, 0};
    else return false;
    return true;
  }
  int32_t mReadWhen = 2;
};

TEST_F(Timeline, EffectsDescriptionsNameParametersTheirUnitsAndWhatIsDrawn) {
  const std::string theDemoPath = Write("known.xml", kKnownDemo);
  Demo theDemo{};
  NameTable theNames{0, 0, nullptr};
  LoadDemo(theDemoPath.c_str(), theDemo, theNames);
  FakeSenses theSenses;
  TimelineOptions theOptions;
  theOptions.senses = &theSenses;
  TimelineLayout theLayout = LayOutTimeline(theDemo, theNames, theOptions, Waveform{});
  const TimelineBar* theBar = nullptr;
  for (const TimelineBar& theCandidate : theLayout.bars)
    if (theCandidate.track == 0 && theCandidate.event == 0) theBar = &theCandidate;
  ASSERT_NE(nullptr, theBar);
  EXPECT_EQ("Show  \u201CHello & \"good\" <bye>\u201D", theBar->label)
      << "the described text number, read in this mode, and no longer the declared 'font'";
  ASSERT_FALSE(theBar->curves.empty());
  EXPECT_EQ("1 left", theBar->curves[0].label);
  EXPECT_EQ("units", theBar->curves[0].unit);
  EXPECT_EQ("1", ScaledValue(theBar->curves[0].high, theBar->curves[0].scale)) << "1000 / 1000 units";
  EXPECT_EQ("-0.5", ScaledValue(theBar->curves[0].low, theBar->curves[0].scale));
  EXPECT_NE(std::string::npos, theBar->tooltip.find("\n1 left (/ 1000 units): lin over 3 keys")) << theBar->tooltip;
  EXPECT_NE(std::string::npos, theBar->tooltip.find("\n3: bez")) << "an undescribed parameter keeps its number:\n" << theBar->tooltip;

  theSenses.mReadWhen = 5;  // the words are only read while parameter 2 is 5: they are not drawn
  theLayout = LayOutTimeline(theDemo, theNames, theOptions, Waveform{});
  for (const TimelineBar& theCandidate : theLayout.bars) {
    if (theCandidate.track == 0 && theCandidate.event == 0) {
      EXPECT_EQ("Show", theCandidate.label);
    }
  }
  DestroyDemo(theDemo);
  ClearNameTable(theNames);
}

}  // namespace
