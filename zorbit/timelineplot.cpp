#include "timelineplot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <zorbit/codepage.h>
#include "paramanim.h"

namespace {

const double kLeft = 90;
const double kRight = 24;
const double kTop = 64;
const double kBottom = 44;
const double kMinKeySpacing = 4;

const uint32_t kBackground = 0xFFFFFFFF;
const uint32_t kInk = 0xFF1E1E1E;
const uint32_t kFaint = 0xFF707070;
const uint32_t kGrid = 0x22000000;
const uint32_t kCurve = 0xFF1F4E8C;
const uint32_t kKey = 0xFFC01818;
const uint32_t kPlotArea = 0xFFF6F7FA;

std::string Utf8(const char* inText) { return inText == nullptr ? std::string("?") : codepage::ToUtf8(inText); }

bool ReadUint(const std::string& inText, uint32_t& outValue) {
  if (inText.empty() || inText.size() > 10) return false;
  uint64_t theValue = 0;
  for (char theChar : inText) {
    if (theChar < '0' || theChar > '9') return false;
    theValue = theValue * 10 + uint64_t(theChar - '0');
  }
  if (theValue > UINT32_MAX) return false;
  outValue = uint32_t(theValue);
  return true;
}

// A step of 1, 2 or 5 times a power of ten giving about inWanted marks over inSpan.
double NiceStep(double inSpan, int inWanted) {
  const double theRaw = inSpan / inWanted;
  const double thePower = std::pow(10.0, std::floor(std::log10(theRaw)));
  for (double theFactor : {1.0, 2.0, 5.0, 10.0})
    if (theFactor * thePower >= theRaw) return theFactor * thePower;
  return 10 * thePower;
}

std::string InterpolationWords(const Event& inEvent, uint32_t inParam) {
  const int32_t theKind = inEvent.paramKinds[inParam];
  const ParamFunction* theParam = inEvent.params[inParam];
  const std::string theName = CurveKind(theKind, theParam);
  if (theName == "lin") return "lin: straight lines between the keys";
  if (theName == "bez") return "bez: smooth curves through the keys";
  if (theName == "sqd") return "sqd: one component of a quaternion group, turned smoothly (squad)";
  if (theName == "sine") return "sine";
  if (theName == "combi") return "combi: two parameters combined";
  if (theName == "beat") return "beat: follows a MakeBeat pattern";
  if (theName == "const") return "const: does not change";
  return theName;
}

}  // namespace

bool ParsePlotTarget(const std::string& inText, PlotTarget& outTarget) {
  const size_t theDot = inText.find('.');
  const size_t theColon = inText.find(':');
  if (theDot == std::string::npos || theColon == std::string::npos || theColon < theDot) return false;
  return ReadUint(inText.substr(0, theDot), outTarget.track) &&
         ReadUint(inText.substr(theDot + 1, theColon - theDot - 1), outTarget.event) &&
         ReadUint(inText.substr(theColon + 1), outTarget.param);
}

std::string CheckPlotTarget(const Demo& inDemo, const PlotTarget& inTarget) {
  char theText[200];
  if (inTarget.track >= inDemo.trackCount) {
    std::snprintf(theText, sizeof theText, "there is no track %u (the demo has %u)", inTarget.track, inDemo.trackCount);
    return theText;
  }
  const Track& theTrack = inDemo.tracks[inTarget.track];
  if (inTarget.event >= theTrack.eventCount) {
    std::snprintf(theText, sizeof theText, "track %u has no event %u (it has %u)", inTarget.track, inTarget.event,
                  theTrack.eventCount);
    return theText;
  }
  const Event& theEvent = theTrack.events[inTarget.event];
  if (inTarget.param >= theEvent.paramCount) {
    std::snprintf(theText, sizeof theText, "event %u.%u has no parameter %u (it has %u)", inTarget.track, inTarget.event,
                  inTarget.param, theEvent.paramCount);
    return theText;
  }
  return "";
}

PlotLayout LayOutPlot(const Demo& inDemo, const NameTable& inNames, const PlotTarget& inTarget, int inWidth,
                      uint32_t inBpm, ParamSenses* inSenses) {
  DemoBeats theBeats(inDemo, inNames);
  const Event& theEvent = inDemo.tracks[inTarget.track].events[inTarget.event];
  const uint32_t theEnd = std::max(theEvent.endTime, theEvent.startTime);
  PlotLayout theLayout;
  theLayout.width = std::max(inWidth, 320);
  theLayout.height = std::max(240, theLayout.width * 9 / 20);
  theLayout.axis.fromMs = theEvent.startTime;
  theLayout.axis.toMs = theEnd > theEvent.startTime ? theEnd : theEvent.startTime + 10;
  theLayout.axis.x0 = kLeft;
  theLayout.axis.x1 = theLayout.width - kRight;
  theLayout.top = kTop;
  theLayout.bottom = theLayout.height - kBottom;
  const ParamSense theSense = SenseOf(inDemo, inSenses, theEvent, inTarget.param);
  const std::string& theName = theSense.name;
  theLayout.title = "Track " + std::to_string(inTarget.track) + ", event " + std::to_string(inTarget.event) + " (" +
                    Utf8(theEvent.functionName) + " in " + Utf8(theEvent.libraryFileName) + "), parameter " +
                    std::to_string(inTarget.param) + (theName.empty() ? "" : " " + theName);
  theLayout.subtitle = InterpolationWords(theEvent, inTarget.param) + ";  " +
                       DescribeParam(theEvent.paramKinds[inTarget.param], theEvent.params[inTarget.param], inNames);
  theLayout.valueName = (theName.empty() ? std::string("value") : theName) + (theSense.unit.empty() ? "" : " (" + theSense.unit + ")");
  theLayout.timeMarks = inBpm > 0 ? BarsRuler(theLayout.axis, inBpm) : SecondsRuler(theLayout.axis);

  std::vector<double> theXs, theValues;
  for (double x = theLayout.axis.x0;; x += 1) {
    const double theX = std::min(x, theLayout.axis.x1);
    const uint32_t theMs = uint32_t(std::clamp(std::floor(theLayout.axis.Ms(theX) + 0.5), double(theEvent.startTime), double(theEnd)));
    theBeats.SetTime(theMs);
    theXs.push_back(theX);
    theValues.push_back(ParamValueAt(theEvent, inTarget.param, theMs));
    if (theX >= theLayout.axis.x1) break;
  }
  const std::vector<uint32_t> theTimes = KeyTimes(theEvent, inTarget.param);
  theLayout.keyCount = uint32_t(theTimes.size());
  std::vector<std::pair<double, double>> theKeys;
  for (uint32_t theTime : theTimes) {
    theBeats.SetTime(theTime);
    theKeys.emplace_back(theLayout.axis.X(std::min(theTime, theLayout.axis.toMs)), ParamValueAt(theEvent, inTarget.param, theTime));
  }
  const auto theMinMax = std::minmax_element(theValues.begin(), theValues.end());
  double theLow = *theMinMax.first, theHigh = *theMinMax.second;
  for (const auto& theKey : theKeys) {
    theLow = std::min(theLow, theKey.second);
    theHigh = std::max(theHigh, theKey.second);
  }
  if (theHigh == theLow) {
    theLow -= 1;
    theHigh += 1;
  }
  const double theStep = NiceStep(theHigh - theLow, 6);
  theLayout.low = std::floor(theLow / theStep) * theStep;
  theLayout.high = std::ceil(theHigh / theStep) * theStep;
  auto theY = [&](double inValue) {
    return theLayout.bottom - (inValue - theLayout.low) * (theLayout.bottom - theLayout.top) / (theLayout.high - theLayout.low);
  };
  for (double v = theLayout.low; v <= theLayout.high + theStep / 2; v += theStep) {
    theLayout.valueMarks.emplace_back(theY(v), ScaledValue(std::fabs(v) < theStep / 2 ? 0.0 : v, theSense.scale));
  }
  for (size_t i = 0; i < theXs.size(); ++i) theLayout.points.push_back({theXs[i], theY(theValues[i])});
  if (!theKeys.empty() && (theLayout.axis.x1 - theLayout.axis.x0) / theKeys.size() >= kMinKeySpacing)
    for (const auto& theKey : theKeys) theLayout.keys.push_back({theKey.first, theY(theKey.second)});
  return theLayout;
}

void PaintPlot(const PlotLayout& inLayout, Canvas& ioCanvas) {
  const TimeAxis& theAxis = inLayout.axis;
  ioCanvas.Rect(0, 0, inLayout.width, inLayout.height, kBackground);
  ioCanvas.Rect(theAxis.x0, inLayout.top, theAxis.x1 - theAxis.x0, inLayout.bottom - inLayout.top, kPlotArea);
  ioCanvas.Text(theAxis.x0, 24, inLayout.title, 15, kInk, TextAnchor::kStart, theAxis.x1 - theAxis.x0, true);
  ioCanvas.Text(theAxis.x0, 44, inLayout.subtitle, 11.5, kFaint, TextAnchor::kStart, theAxis.x1 - theAxis.x0);
  for (const auto& theMark : inLayout.valueMarks) {
    ioCanvas.Line(theAxis.x0, theMark.first, theAxis.x1, theMark.first, kGrid, 1);
    ioCanvas.Text(theAxis.x0 - 6, theMark.first + 4, theMark.second, 11, kInk, TextAnchor::kEnd);
  }
  for (const RulerMark& theMark : inLayout.timeMarks) {
    const bool theMajor = !theMark.label.empty();
    ioCanvas.Line(theMark.x, inLayout.bottom, theMark.x, inLayout.bottom + (theMajor ? 7 : 3), kInk, 1);
    if (theMajor) {
      ioCanvas.Line(theMark.x, inLayout.top, theMark.x, inLayout.bottom, kGrid, 1);
      ioCanvas.Text(theMark.x, inLayout.bottom + 20, theMark.label, 11, kInk, TextAnchor::kMiddle);
    }
  }
  ioCanvas.Line(theAxis.x0, inLayout.top, theAxis.x0, inLayout.bottom, kInk, 1);
  ioCanvas.Line(theAxis.x0, inLayout.bottom, theAxis.x1, inLayout.bottom, kInk, 1);
  ioCanvas.Text(14, inLayout.top - 10, inLayout.valueName, 11, kInk, TextAnchor::kStart, kLeft - 14, true);
  ioCanvas.Text(theAxis.x1, inLayout.height - 6, "demo time", 11, kFaint, TextAnchor::kEnd);
  ioCanvas.PushClip(theAxis.x0, inLayout.top - 4, theAxis.x1 - theAxis.x0 + 4, inLayout.bottom - inLayout.top + 8);
  ioCanvas.Polyline(inLayout.points, kCurve, 2, "class=\"curve\"");
  for (const CanvasPoint& theKey : inLayout.keys) ioCanvas.Dot(theKey.x, theKey.y, 3.5, kKey);
  ioCanvas.PopClip();
  if (inLayout.keyCount > 0 && inLayout.keys.empty()) {
    ioCanvas.Text(theAxis.x1 - 6, inLayout.top + 16, std::to_string(inLayout.keyCount) + " keys, too close to mark", 11,
                  kFaint, TextAnchor::kEnd);
  }
}
