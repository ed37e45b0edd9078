#include "timeline.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <zorbit/codepage.h>
#include "paramanim.h"

namespace {

// Picture geometry, pixels.
const double kLeft = 150;       // the track labels' column
const double kRight = 14;
const double kTitleTop = 8;
const double kRulerHeight = 26;
const double kRowGap = 4;
const double kBarLabel = 17;    // the bar's top line: its label
const double kLaneHeight = 17;  // one curve
const double kBarPad = 3;
const double kWaveHeight = 72;
const double kFooter = 24;
const unsigned kMaxLanes = 12;  // curves shown in one bar; the others are listed in its tooltip
const double kMinKeySpacing = 4;   // keys closer than this on average are not marked
const double kMinTickSpacing = 3;  // beat ticks closer than this are not drawn
const double kDenseWidth = 3;      // a track whose events would average less than this is summarised
const uint32_t kMostBars = 5000;   // beyond this many bars in one picture the busiest tracks are summarised too

// Colours, 0xAARRGGBB.
const uint32_t kBackground = 0xFFF7F7F4;
const uint32_t kInk = 0xFF1E1E1E;
const uint32_t kFaint = 0xFF707070;
const uint32_t kGrid = 0x22000000;
const uint32_t kRowShade = 0x0C000000;
const uint32_t kLane = 0x70FFFFFF;
const uint32_t kCurve = 0xFF1A1A40;
const uint32_t kKey = 0xFFC01818;
const uint32_t kBeatTick = 0xFF7A1010;
const uint32_t kSegmentTick = 0x907A1010;
const uint32_t kWave = 0xFF3A6EA5;
const uint32_t kPalette[] = {0xFF8FB8DE, 0xFFF2B880, 0xFF9CD49C, 0xFFE8A0A8, 0xFFC3A8E0,
                             0xFFE6D47A, 0xFF8FD3CF, 0xFFD9B39A, 0xFFB8C87A, 0xFFC9C9C9};

std::string Format(const char* inFormat, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* inFormat, ...) {
  char theText[512];
  va_list theArgs;
  va_start(theArgs, inFormat);
  vsnprintf(theText, sizeof theText, inFormat, theArgs);
  va_end(theArgs);
  return theText;
}

std::string Utf8(const char* inText) { return inText == nullptr ? std::string("?") : codepage::ToUtf8(inText); }

uint32_t EffectColour(const char* inName) {
  uint32_t theHash = 2166136261u;  // FNV-1a: one colour per effect name, the same in every picture
  for (const char* p = inName != nullptr ? inName : ""; *p != 0; ++p) theHash = (theHash ^ uint8_t(*p)) * 16777619u;
  return kPalette[theHash % (sizeof kPalette / sizeof kPalette[0])];
}

const DemoBeats* gBeats = nullptr;  // the DemoBeats alive, for the lookup below

void* FindDemoBeat(int32_t inKind, int32_t inNameIndex, void*, bool, const char*, const char*, bool* outStatic) {
  if (outStatic != nullptr) *outStatic = false;
  if (inKind != KIND_BEAT || gBeats == nullptr) return nullptr;
  return const_cast<BeatRecord*>(gBeats->Find(inNameIndex));
}

// The first parameter of the evaluation group parameter inParam belongs to
// (a "sqd" quaternion is evaluated four at a time).
uint32_t GroupStart(const Event& inEvent, uint32_t inParam) {
  uint32_t theI = 0;
  while (theI < inEvent.paramCount) {
    bool theConstant = true;
    int32_t theValues[4];
    const uint32_t theUsed = EvaluateParam(inEvent.startTime, inEvent.startTime, inEvent.paramKinds + theI,
                                           inEvent.params + theI, inEvent.paramCount - theI, theConstant, theValues, 4);
    if (inParam < theI + theUsed) return theI;
    theI += theUsed;
  }
  return inParam;
}

int32_t ValueInGroup(const Event& inEvent, uint32_t inGroup, uint32_t inParam, uint32_t inMs) {
  bool theConstant = true;
  int32_t theValues[4] = {0, 0, 0, 0};
  EvaluateParam(inMs, inEvent.startTime, inEvent.paramKinds + inGroup, inEvent.params + inGroup,
                inEvent.paramCount - inGroup, theConstant, theValues, 4);
  return theValues[std::min<uint32_t>(3, inParam - inGroup)];
}

// Declared parameter names that say the parameter is the number of a text
// naming what the event draws: its words, its image, its font.
bool NamesWhatItDraws(const std::string& inName) {
  static const char* const kWords[] = {"text", "font", "image", "texture", "file", "pattern", "words", "movie"};
  std::string theLower = inName;
  for (char& theChar : theLower) theChar = char(std::tolower(static_cast<unsigned char>(theChar)));
  for (const char* theWord : kWords)
    if (theLower == theWord) return true;
  return false;
}

std::string BarLabel(const Demo& inDemo, const NameTable& inNames, ParamSenses* inSenses, const Event& inEvent) {
  std::string theLabel = Utf8(inEvent.functionName);
  for (uint32_t p = 0; p < inEvent.paramCount; ++p) {
    if (VariesOverTime(inEvent.paramKinds[p], inEvent.params[p])) continue;
    const ParamSense theSense = SenseOf(inDemo, inSenses, inEvent, p);
    if (!theSense.namesDrawn) continue;
    // A text the effect only reads in another mode (a texture while it draws plain colour) names nothing.
    if (theSense.readWhen >= 0 &&
        ParamValueAt(inEvent, uint32_t(theSense.readWhen), inEvent.startTime) != theSense.readWhenValue)
      continue;
    const char* theText = GetNameFrom(inNames, ParamValueAt(inEvent, p, inEvent.startTime));
    if (theText != nullptr) theLabel += "  \u201C" + Utf8(theText) + "\u201D";
  }
  return theLabel;
}

std::string Tooltip(const Demo& inDemo, const NameTable& inNames, ParamSenses* inSenses, uint32_t inTrack,
                    uint32_t inIndex, const Event& inEvent) {
  std::string theText = Format("Track %u, event %u: %s in %s\n%u ms to %u ms (%u ms)", inTrack, inIndex,
                               Utf8(inEvent.functionName).c_str(), Utf8(inEvent.libraryFileName).c_str(),
                               inEvent.startTime, inEvent.endTime, inEvent.endTime - inEvent.startTime);
  for (uint32_t p = 0; p < inEvent.paramCount; ++p) {
    const ParamSense theSense = SenseOf(inDemo, inSenses, inEvent, p);
    std::string theUnit;
    if (!theSense.unit.empty() || theSense.scale != 1)
      theUnit = " (" + (theSense.scale != 1 ? Format("/ %g", theSense.scale) : std::string()) +
                (theSense.scale != 1 && !theSense.unit.empty() ? " " : "") + theSense.unit + ")";
    theText += Format("\n%u", p) + (theSense.name.empty() ? "" : " " + theSense.name) + theUnit + ": " +
               DescribeParam(inEvent.paramKinds[p], inEvent.params[p], inNames);
  }
  return theText;
}

struct Range {
  uint32_t from, to;
};

// The visible part of an event, or false.
bool Visible(const Event& inEvent, const TimeAxis& inAxis, Range& outRange) {
  const uint32_t theEnd = std::max(inEvent.endTime, inEvent.startTime);
  if (theEnd < inAxis.fromMs || inEvent.startTime > inAxis.toMs) return false;
  outRange = {std::max(inEvent.startTime, inAxis.fromMs), std::min(theEnd, inAxis.toMs)};
  return true;
}

std::vector<uint32_t> VaryingParams(const Event& inEvent) {
  std::vector<uint32_t> theParams;
  for (uint32_t p = 0; p < inEvent.paramCount; ++p)
    if (VariesOverTime(inEvent.paramKinds[p], inEvent.params[p])) theParams.push_back(p);
  return theParams;
}

TimelineCurve MakeCurve(const Demo& inDemo, ParamSenses* inSenses, const Event& inEvent, uint32_t inParam,
                        const TimelineBar& inBar, const TimeAxis& inAxis, double inTop, DemoBeats& ioBeats) {
  TimelineCurve theCurve;
  theCurve.param = inParam;
  const ParamSense theSense = SenseOf(inDemo, inSenses, inEvent, inParam);
  theCurve.label = std::to_string(inParam) + (theSense.name.empty() ? "" : " " + theSense.name);
  theCurve.unit = theSense.unit;
  theCurve.scale = theSense.scale;
  theCurve.top = inTop + 2;
  theCurve.bottom = inTop + kLaneHeight - 2;
  const uint32_t theGroup = GroupStart(inEvent, inParam);
  const uint32_t theEnd = std::max(inEvent.endTime, inEvent.startTime);
  std::vector<double> theValues;
  std::vector<double> theXs;
  for (double x = inBar.x0;; x += 1) {
    const double theX = std::min(x, inBar.x1);
    const double theMs = std::clamp(std::floor(inAxis.Ms(theX) + 0.5), double(inEvent.startTime), double(theEnd));
    ioBeats.SetTime(uint32_t(theMs));
    theXs.push_back(theX);
    theValues.push_back(ValueInGroup(inEvent, theGroup, inParam, uint32_t(theMs)));
    if (theX >= inBar.x1) break;
  }
  std::vector<std::pair<double, double>> theKeys;
  const std::vector<uint32_t> theTimes = KeyTimes(inEvent, inParam);
  theCurve.keyCount = uint32_t(theTimes.size());
  const MultiParam* theMulti =
      inEvent.paramKinds[inParam] == PARAM_MULTI ? static_cast<const MultiParam*>(inEvent.params[inParam]) : nullptr;
  for (size_t k = 0; k < theTimes.size() && theMulti != nullptr; ++k) {
    if (theTimes[k] < inAxis.fromMs || theTimes[k] > inAxis.toMs) continue;
    // The curve reaches a key's value at its time, except where a "sqd"
    // group turns it into a component of a normalised quaternion.
    const double theValue = theGroup == inParam && theMulti->interpol != INTERP_SQD
                                ? double(theMulti->values[k])
                                : double(ValueInGroup(inEvent, theGroup, inParam, theTimes[k]));
    theKeys.emplace_back(inAxis.X(theTimes[k]), theValue);
  }
  const auto theMinMax = std::minmax_element(theValues.begin(), theValues.end());
  theCurve.low = *theMinMax.first;
  theCurve.high = *theMinMax.second;
  for (const auto& theKey : theKeys) {  // a key between two samples still sets the range
    theCurve.low = std::min(theCurve.low, theKey.second);
    theCurve.high = std::max(theCurve.high, theKey.second);
  }
  if (theCurve.high == theCurve.low) {
    theCurve.low -= 1;
    theCurve.high += 1;
  }
  auto theY = [&](double inValue) {
    return theCurve.bottom - (inValue - theCurve.low) * (theCurve.bottom - theCurve.top) / (theCurve.high - theCurve.low);
  };
  for (size_t i = 0; i < theValues.size(); ++i) theCurve.points.push_back({theXs[i], theY(theValues[i])});
  if (!theKeys.empty() && (inBar.x1 - inBar.x0) / double(theKeys.size()) >= kMinKeySpacing)
    for (const auto& theKey : theKeys) theCurve.keys.push_back({theKey.first, theY(std::clamp(theKey.second, theCurve.low, theCurve.high))});
  return theCurve;
}

// MakeBeat's pattern: ticks where each repetition starts and where its
// segments end, within the visible range; none when too close to see.
void AddBeatTicks(const Event& inEvent, const TimeAxis& inAxis, TimelineBar& ioBar) {
  int32_t theValues[ZORBIT_MAX_PARAMS] = {};
  bool theConstant = true;
  EvaluateEventParams(inEvent.startTime, inEvent, theValues, ZORBIT_MAX_PARAMS, theConstant);
  const BeatRecord theBeat = MakeBeatRecord(theValues, inEvent.startTime, inEvent.endTime);
  double thePeriod = 0;
  for (int32_t k = 0; k < theBeat.count; ++k) thePeriod += std::floor(std::max(0.0, theBeat.intervals[k]));
  const double thePixelsPerMs = (inAxis.x1 - inAxis.x0) / double(inAxis.toMs - inAxis.fromMs);
  if (thePeriod <= 0 || thePeriod * thePixelsPerMs < kMinTickSpacing) return;
  const bool theSegments = thePeriod * thePixelsPerMs / theBeat.count >= kMinTickSpacing * 2;
  const double theStart = theBeat.startTime;
  const double theEnd = double(theBeat.startTime) + theBeat.duration;
  const double theFirst = std::max(0.0, std::floor((inAxis.fromMs - theStart) / thePeriod));
  for (double theRep = theStart + theFirst * thePeriod; theRep <= std::min(theEnd, double(inAxis.toMs)); theRep += thePeriod) {
    if (theRep >= inAxis.fromMs) ioBar.beatTicks.push_back(inAxis.X(theRep));
    if (!theSegments) continue;
    double theAt = theRep;
    for (int32_t k = 0; k + 1 < theBeat.count; ++k) {
      theAt += std::floor(std::max(0.0, theBeat.intervals[k]));
      if (theAt > theEnd || theAt > inAxis.toMs) break;
      if (theAt >= inAxis.fromMs) ioBar.segmentTicks.push_back(inAxis.X(theAt));
    }
  }
}

TimelineSummary Summarise(const Track& inTrack, uint32_t inIndex, const TimeAxis& inAxis, double inTop) {
  TimelineSummary theSummary;
  theSummary.track = inIndex;
  theSummary.top = inTop;
  theSummary.bottom = inTop + kBarLabel + kLaneHeight + 2 * kBarPad;
  const int theColumns = std::max(1, int(std::ceil(inAxis.x1 - inAxis.x0)));
  std::vector<int64_t> theSteps(size_t(theColumns) + 1, 0);
  for (uint32_t e = 0; e < inTrack.eventCount; ++e) {
    Range theRange;
    if (!Visible(inTrack.events[e], inAxis, theRange)) continue;
    ++theSummary.eventCount;
    const int theA = std::clamp(int(inAxis.X(theRange.from) - inAxis.x0), 0, theColumns - 1);
    const int theB = std::clamp(int(inAxis.X(theRange.to) - inAxis.x0), theA, theColumns - 1);
    ++theSteps[size_t(theA)];
    --theSteps[size_t(theB) + 1];
  }
  int64_t theCount = 0;
  theSummary.columns.resize(size_t(theColumns));
  for (int c = 0; c < theColumns; ++c) {
    theCount += theSteps[size_t(c)];
    theSummary.columns[size_t(c)] = uint32_t(std::max<int64_t>(0, theCount));
    theSummary.most = std::max(theSummary.most, theSummary.columns[size_t(c)]);
  }
  theSummary.tooltip = Format("Track %u: %u events between %u ms and %u ms, too many to draw one by one: the height "
                              "shows how many cover each pixel (at most %u)",
                              inIndex, theSummary.eventCount, inAxis.fromMs, inAxis.toMs, theSummary.most);
  return theSummary;
}

// The tracks to summarise: those with more events than inDenseCount, then
// the busiest others until the picture holds at most kMostBars bars.
std::vector<bool> DenseTracks(const std::vector<uint32_t>& inVisible, double inDenseCount) {
  std::vector<bool> theDense(inVisible.size(), false);
  std::vector<uint32_t> theOthers;
  uint64_t theBars = 0;
  for (uint32_t t = 0; t < inVisible.size(); ++t) {
    theDense[t] = inVisible[t] > inDenseCount;
    if (theDense[t]) continue;
    theOthers.push_back(t);
    theBars += inVisible[t];
  }
  std::stable_sort(theOthers.begin(), theOthers.end(), [&](uint32_t inA, uint32_t inB) { return inVisible[inA] > inVisible[inB]; });
  for (size_t i = 0; i < theOthers.size() && theBars > kMostBars; ++i) {
    theDense[theOthers[i]] = true;
    theBars -= inVisible[theOthers[i]];
  }
  return theDense;
}

uint32_t CountVisible(const Track& inTrack, const TimeAxis& inAxis) {
  uint32_t theCount = 0;
  Range theRange;
  for (uint32_t e = 0; e < inTrack.eventCount; ++e) theCount += Visible(inTrack.events[e], inAxis, theRange) ? 1 : 0;
  return theCount;
}

// Lays out the events of one track from inTop; returns the row's bottom.
double LayOutTrack(const Demo& inDemo, const NameTable& inNames, ParamSenses* inSenses, uint32_t inIndex,
                   const TimeAxis& inAxis, double inTop, DemoBeats& ioBeats, TimelineLayout& ioLayout) {
  const Track& theTrack = inDemo.tracks[inIndex];
  unsigned theLanes = 0;
  Range theRange;
  for (uint32_t e = 0; e < theTrack.eventCount; ++e)
    if (Visible(theTrack.events[e], inAxis, theRange))
      theLanes = std::max(theLanes, unsigned(VaryingParams(theTrack.events[e]).size()));
  theLanes = std::min(theLanes, kMaxLanes);
  const double theBottom = inTop + kBarLabel + std::max(1u, theLanes) * kLaneHeight + 2 * kBarPad;
  for (uint32_t e = 0; e < theTrack.eventCount; ++e) {
    const Event& theEvent = theTrack.events[e];
    if (!Visible(theEvent, inAxis, theRange)) continue;
    TimelineBar theBar;
    theBar.track = inIndex;
    theBar.event = e;
    theBar.startMs = theEvent.startTime;
    theBar.endMs = std::max(theEvent.endTime, theEvent.startTime);
    theBar.x0 = inAxis.X(theRange.from);
    theBar.x1 = std::max(inAxis.X(theRange.to), theBar.x0 + 1);
    theBar.top = inTop + kBarPad / 2;
    theBar.bottom = theBottom - kBarPad / 2;
    theBar.colour = EffectColour(theEvent.functionName);
    theBar.label = BarLabel(inDemo, inNames, inSenses, theEvent);
    theBar.tooltip = Tooltip(inDemo, inNames, inSenses, inIndex, e, theEvent);
    const std::vector<uint32_t> theVarying = VaryingParams(theEvent);
    for (size_t k = 0; k < theVarying.size(); ++k) {
      if (k >= theLanes) {
        ++theBar.hiddenCurves;
        continue;
      }
      theBar.curves.push_back(
          MakeCurve(inDemo, inSenses, theEvent, theVarying[k], theBar, inAxis, inTop + kBarPad + kBarLabel + k * kLaneHeight, ioBeats));
    }
    if (IsMakeBeat(theEvent)) AddBeatTicks(theEvent, inAxis, theBar);
    ioLayout.bars.push_back(std::move(theBar));
  }
  return theBottom;
}

// A step of whole ms from inSteps giving marks at least inMinPixels apart.
double PickStep(const std::vector<double>& inSteps, double inPixelsPerMs, double inMinPixels) {
  for (double theStep : inSteps)
    if (theStep * inPixelsPerMs >= inMinPixels) return theStep;
  return inSteps.back();
}

std::string SecondsLabel(double inMs, double inStep, bool inMinutes) {
  const int theDecimals = inStep >= 1000 ? 0 : inStep >= 100 ? 1 : 2;
  if (!inMinutes) return Format("%.*f s", theDecimals, inMs / 1000.0);
  const double theSeconds = std::fmod(inMs / 1000.0, 60.0);
  return Format("%d:%0*.*f", int(inMs / 60000.0), theDecimals > 0 ? 3 + theDecimals : 2, theDecimals, theSeconds);
}

}  // namespace

std::vector<RulerMark> SecondsRuler(const TimeAxis& inAxis) {
  const double thePixelsPerMs = (inAxis.x1 - inAxis.x0) / double(inAxis.toMs - inAxis.fromMs);
  const double theStep = PickStep({10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 15000, 30000, 60000, 120000,
                                   300000, 600000, 1200000, 1800000, 3600000, 7200000, 36000000, 360000000},
                                  thePixelsPerMs, 80);
  const double theMinor = std::fmod(theStep, 5) == 0 ? theStep / 5 : theStep / 3;
  const bool theMinutes = inAxis.toMs >= 60000;
  std::vector<RulerMark> theMarks;
  for (double t = std::ceil(inAxis.fromMs / theMinor) * theMinor; t <= inAxis.toMs; t += theMinor) {
    const bool theMajor = std::fmod(t, theStep) < 0.5;
    theMarks.push_back({inAxis.X(t), theMajor ? SecondsLabel(t, theStep, theMinutes) : std::string()});
  }
  return theMarks;
}

std::vector<RulerMark> BarsRuler(const TimeAxis& inAxis, uint32_t inBpm) {
  const double thePixelsPerMs = (inAxis.x1 - inAxis.x0) / double(inAxis.toMs - inAxis.fromMs);
  const double theBeat = 60000.0 / inBpm;
  const double theBar = 4 * theBeat;
  std::vector<double> theBars;
  for (double k = 1; k <= 1 << 24; k *= 2) theBars.push_back(k * theBar);
  const double theStep = PickStep(theBars, thePixelsPerMs, 56);
  const double theMinor = theBeat * thePixelsPerMs >= 6 ? theBeat : theBar * thePixelsPerMs >= 6 ? theBar : theStep;
  std::vector<RulerMark> theMarks;
  const double theFirst = std::ceil(inAxis.fromMs / theMinor - 1e-9);
  for (double k = theFirst; k * theMinor <= inAxis.toMs + 1e-6; k += 1) {
    const double t = k * theMinor;
    const double theBarIndex = std::floor(t / theBar + 1e-9);
    const bool theMajor = std::fabs(t - std::round(t / theStep) * theStep) < 0.5;
    std::string theLabel;
    if (theMajor) theLabel = Format("bar %.0f", theBarIndex + 1);
    theMarks.push_back({inAxis.X(t), theLabel});
  }
  return theMarks;
}

namespace {

void PaintBar(const TimelineBar& inBar, Canvas& ioCanvas) {
  ioCanvas.BeginGroup(inBar.tooltip);
  ioCanvas.Rect(inBar.x0, inBar.top, inBar.x1 - inBar.x0, inBar.bottom - inBar.top, inBar.colour,
                Format("class=\"bar\" data-track=\"%u\" data-event=\"%u\" data-start=\"%u\" data-end=\"%u\"", inBar.track,
                       inBar.event, inBar.startMs, inBar.endMs));
  ioCanvas.Rect(inBar.x0, inBar.top, std::min(1.0, inBar.x1 - inBar.x0), inBar.bottom - inBar.top, 0x60000000);
  ioCanvas.PushClip(inBar.x0, inBar.top, inBar.x1 - inBar.x0, inBar.bottom - inBar.top);
  for (double x : inBar.segmentTicks) ioCanvas.Line(x, inBar.top + kBarLabel, x, inBar.bottom - 6, kSegmentTick, 1);
  for (double x : inBar.beatTicks) ioCanvas.Line(x, inBar.top + kBarLabel - 2, x, inBar.bottom, kBeatTick, 1.5);
  if (inBar.x1 - inBar.x0 >= 12) {
    ioCanvas.Text(inBar.x0 + 4, inBar.top + 13, inBar.label, 11.5, kInk, TextAnchor::kStart, inBar.x1 - inBar.x0 - 8,
                  true);
  }
  for (const TimelineCurve& theCurve : inBar.curves) {
    ioCanvas.Rect(inBar.x0 + 1, theCurve.top - 1, inBar.x1 - inBar.x0 - 2, theCurve.bottom - theCurve.top + 2, kLane);
    ioCanvas.Polyline(theCurve.points, kCurve, 1.2,
                      Format("class=\"curve\" data-track=\"%u\" data-event=\"%u\" data-param=\"%u\" data-low=\"%.17g\" "
                             "data-high=\"%.17g\" data-top=\"%.17g\" data-bottom=\"%.17g\"",
                             inBar.track, inBar.event, theCurve.param, theCurve.low, theCurve.high, theCurve.top,
                             theCurve.bottom));
    for (const CanvasPoint& theKey : theCurve.keys) ioCanvas.Dot(theKey.x, theKey.y, 2.2, kKey);
    if (inBar.x1 - inBar.x0 >= 40) {
      ioCanvas.Text(inBar.x0 + 4, theCurve.bottom - 2, theCurve.label, 9.5, kFaint, TextAnchor::kStart,
                    std::min(120.0, (inBar.x1 - inBar.x0) / 3));
      ioCanvas.Text(inBar.x1 - 4, theCurve.bottom - 2,
                    ScaledValue(theCurve.low, theCurve.scale) + ".." + ScaledValue(theCurve.high, theCurve.scale) +
                        (theCurve.unit.empty() ? "" : " " + theCurve.unit),
                    9, kFaint,
                    TextAnchor::kEnd, (inBar.x1 - inBar.x0) / 3);
    }
  }
  if (inBar.hiddenCurves > 0 && inBar.x1 - inBar.x0 >= 60)
    ioCanvas.Text(inBar.x1 - 4, inBar.top + 13, Format("+%u curves", inBar.hiddenCurves), 9.5, kFaint, TextAnchor::kEnd);
  ioCanvas.PopClip();
  ioCanvas.EndGroup();
}

void PaintSummary(const TimelineSummary& inSummary, const TimeAxis& inAxis, uint32_t inColour, Canvas& ioCanvas) {
  ioCanvas.BeginGroup(inSummary.tooltip);
  ioCanvas.Rect(inAxis.x0, inSummary.top, inAxis.x1 - inAxis.x0, inSummary.bottom - inSummary.top, 0x30000000 | (inColour & 0xFFFFFF),
                Format("class=\"summary\" data-track=\"%u\" data-events=\"%u\"", inSummary.track, inSummary.eventCount));
  const double theBase = inSummary.bottom - 2;
  const double theHeight = inSummary.bottom - inSummary.top - kBarLabel;
  std::vector<CanvasPoint> theOutline;
  for (size_t c = 0; c < inSummary.columns.size(); ++c) {
    const double theY = theBase - (inSummary.most == 0 ? 0 : theHeight * inSummary.columns[c] / inSummary.most);
    theOutline.push_back({inAxis.x0 + c, theY});
    theOutline.push_back({inAxis.x0 + c + 1, theY});
  }
  for (size_t c = 0; c < inSummary.columns.size(); ++c)
    if (inSummary.columns[c] > 0) ioCanvas.Rect(inAxis.x0 + c, theOutline[2 * c].y, 1, theBase - theOutline[2 * c].y, inColour);
  ioCanvas.Text(inAxis.x0 + 4, inSummary.top + 13,
                Format("%u events, summarised: events over each pixel, at most %u", inSummary.eventCount, inSummary.most),
                11.5, kInk, TextAnchor::kStart, 0, true);
  ioCanvas.EndGroup();
}

void PaintRuler(const TimelineLayout& inLayout, Canvas& ioCanvas) {
  const double theGridBottom = inLayout.waveBottom;
  for (const RulerMark& theMark : inLayout.ruler) {
    const bool theMajor = !theMark.label.empty();
    ioCanvas.Line(theMark.x, inLayout.rulerBottom - (theMajor ? 9 : 4), theMark.x, inLayout.rulerBottom, kInk, 1);
    if (theMajor) {
      ioCanvas.Line(theMark.x, inLayout.rulerBottom, theMark.x, theGridBottom, kGrid, 1);
      // A label that would run out of the picture is left out; its tick says enough.
      if (theMark.x + 46 <= inLayout.width) ioCanvas.Text(theMark.x + 3, inLayout.rulerBottom - 11, theMark.label, 11, kInk);
    }
  }
  ioCanvas.Line(inLayout.axis.x0, inLayout.rulerBottom, inLayout.axis.x1, inLayout.rulerBottom, kInk, 1);
}

void PaintWave(const TimelineLayout& inLayout, Canvas& ioCanvas) {
  const double theMiddle = (inLayout.waveTop + inLayout.waveBottom) / 2;
  const double theHalf = (inLayout.waveBottom - inLayout.waveTop) / 2 - 2;
  ioCanvas.Rect(inLayout.axis.x0, inLayout.waveTop, inLayout.axis.x1 - inLayout.axis.x0,
                inLayout.waveBottom - inLayout.waveTop, kRowShade);
  ioCanvas.Text(kLeft - 10, theMiddle + 4, "music", 12, kInk, TextAnchor::kEnd, 0, true);
  const Waveform& theWave = inLayout.wave;
  if (theWave.low.empty()) {
    ioCanvas.Text(inLayout.axis.x0 + 6, theMiddle + 4, theWave.note.empty() ? "no music" : theWave.note, 11, kFaint);
    return;
  }
  ioCanvas.BeginGroup("The music's waveform: the lowest and highest sample over each pixel");
  for (size_t c = 0; c < theWave.low.size() && c < theWave.high.size(); ++c) {
    const double theTop = theMiddle - theHalf * std::clamp(theWave.high[c], -1.0f, 1.0f);
    const double theBottom = theMiddle - theHalf * std::clamp(theWave.low[c], -1.0f, 1.0f);
    ioCanvas.Rect(inLayout.axis.x0 + c, theTop, 1, std::max(1.0, theBottom - theTop), kWave, "class=\"wave\"");
  }
  ioCanvas.EndGroup();
}

}  // namespace

// ---------------------------------------------------------------------------

TimeAxis TimelineAxis(const Demo& inDemo, const TimelineOptions& inOptions) {
  TimeAxis theAxis;
  theAxis.fromMs = inOptions.fromMs;
  const uint32_t theEnd = inOptions.toGiven ? inOptions.toMs : uint32_t(std::max<int32_t>(0, inDemo.runningTime));
  // A demo of 0 ms, or a range that ends where it starts, still gets an axis to show it on.
  theAxis.toMs = theEnd > theAxis.fromMs ? theEnd : theAxis.fromMs + 1000;
  theAxis.x0 = kLeft;
  theAxis.x1 = std::max(kLeft + 50, double(inOptions.width) - kRight);
  return theAxis;
}

TimelineLayout LayOutTimeline(const Demo& inDemo, const NameTable& inNames, const TimelineOptions& inOptions,
                              const Waveform& inWave) {
  DemoBeats theBeats(inDemo, inNames);
  TimelineLayout theLayout;
  theLayout.axis = TimelineAxis(inDemo, inOptions);
  theLayout.width = int(theLayout.axis.x1 + kRight);
  uint32_t theEvents = 0;
  for (uint32_t t = 0; t < inDemo.trackCount; ++t) theEvents += inDemo.tracks[t].eventCount;
  theLayout.title = Format("%u ms to %u ms of a demo of %d ms: %u track%s, %u event%s", theLayout.axis.fromMs,
                           theLayout.axis.toMs, inDemo.runningTime, inDemo.trackCount, inDemo.trackCount == 1 ? "" : "s",
                           theEvents, theEvents == 1 ? "" : "s");
  theLayout.rulerTop = kTitleTop + 24;
  theLayout.rulerBottom = theLayout.rulerTop + kRulerHeight;
  theLayout.ruler = inOptions.bpm > 0 ? BarsRuler(theLayout.axis, inOptions.bpm) : SecondsRuler(theLayout.axis);
  double theY = theLayout.rulerBottom + 6;
  std::vector<uint32_t> theVisible(inDemo.trackCount);
  for (uint32_t t = 0; t < inDemo.trackCount; ++t) theVisible[t] = CountVisible(inDemo.tracks[t], theLayout.axis);
  const std::vector<bool> theDense = DenseTracks(theVisible, (theLayout.axis.x1 - theLayout.axis.x0) / kDenseWidth);
  // Tracks run from the highest index down.
  for (uint32_t t = inDemo.trackCount; t-- > 0;) {
    if (theVisible[t] == 0) continue;
    TimelineRow theRow;
    theRow.track = t;
    theRow.top = theY;
    theRow.label = Format("track %u", t);
    if (theDense[t]) {
      theLayout.summaries.push_back(Summarise(inDemo.tracks[t], t, theLayout.axis, theY));
      theRow.bottom = theLayout.summaries.back().bottom;
    } else {
      theRow.bottom = LayOutTrack(inDemo, inNames, inOptions.senses, t, theLayout.axis, theY, theBeats, theLayout);
    }
    theLayout.rows.push_back(theRow);
    theY = theRow.bottom + kRowGap;
  }
  if (theLayout.rows.empty()) {
    theLayout.note = inDemo.runningTime <= 0 && !inOptions.toGiven
                         ? std::string("The demo runs 0 ms: there is nothing to show.")
                         : Format("No event plays between %u ms and %u ms.", theLayout.axis.fromMs, theLayout.axis.toMs);
    theY += 40;
  }
  theLayout.waveTop = theY + 6;
  theLayout.waveBottom = theLayout.waveTop + kWaveHeight;
  theLayout.wave = inWave;
  theLayout.height = int(std::ceil(theLayout.waveBottom + kFooter));
  return theLayout;
}

void PaintTimeline(const TimelineLayout& inLayout, Canvas& ioCanvas) {
  ioCanvas.Rect(0, 0, inLayout.width, inLayout.height, kBackground);
  ioCanvas.Text(kLeft, kTitleTop + 15, inLayout.title, 14, kInk, TextAnchor::kStart, inLayout.width - kLeft - kRight, true);
  for (const TimelineRow& theRow : inLayout.rows) {
    ioCanvas.Rect(0, theRow.top, inLayout.width, theRow.bottom - theRow.top, kRowShade);
    ioCanvas.Text(kLeft - 10, theRow.top + 14, theRow.label, 12, kInk, TextAnchor::kEnd, 0, true);
  }
  PaintRuler(inLayout, ioCanvas);
  if (!inLayout.note.empty()) ioCanvas.Text(inLayout.axis.x0 + 6, inLayout.rulerBottom + 30, inLayout.note, 14, kInk);
  for (const TimelineSummary& theSummary : inLayout.summaries)
    PaintSummary(theSummary, inLayout.axis, kPalette[theSummary.track % (sizeof kPalette / sizeof kPalette[0])], ioCanvas);
  for (const TimelineBar& theBar : inLayout.bars) PaintBar(theBar, ioCanvas);
  PaintWave(inLayout, ioCanvas);
  ioCanvas.Text(inLayout.axis.x0, inLayout.height - 8,
                "bars: events (hover in the SVG for every parameter)   curves: time-varying parameters, red dots their "
                "keys   dark ticks: MakeBeat patterns",
                10, kFaint, TextAnchor::kStart, inLayout.axis.x1 - inLayout.axis.x0);
}

std::string TimelineRootData(const TimelineLayout& inLayout) {
  return Format("data-from=\"%u\" data-to=\"%u\" data-x0=\"%.17g\" data-x1=\"%.17g\"", inLayout.axis.fromMs,
                inLayout.axis.toMs, inLayout.axis.x0, inLayout.axis.x1);
}

// ---------------------------------------------------------------------------

BeatRecord MakeBeatRecord(const int32_t* inValues, uint32_t inStartMs, uint32_t inEndMs) {
  BeatRecord theBeat{};
  theBeat.startTime = inStartMs;
  theBeat.duration = inEndMs >= inStartMs ? inEndMs - inStartMs : 0;
  theBeat.smooth = inValues[1] != 0 ? 1 : 0;
  theBeat.count = 19;
  for (int k = 0; k < 19; ++k) {
    theBeat.intervals[k] = inValues[2 + 2 * k] * 0.1;
    theBeat.levels[k + 1] = inValues[3 + 2 * k] * 0.001;
    if (theBeat.intervals[k] < 0.0 && theBeat.count == 19) theBeat.count = k;
  }
  return theBeat;
}

bool IsMakeBeat(const Event& inEvent) {
  return inEvent.functionName != nullptr && std::strcmp(inEvent.functionName, "MakeBeat") == 0;
}

DemoBeats::DemoBeats(const Demo& inDemo, const NameTable& inNames) : mNames(inNames) {
  for (uint32_t t = 0; t < inDemo.trackCount; ++t)
    for (uint32_t e = 0; e < inDemo.tracks[t].eventCount; ++e) {
      const Event& theEvent = inDemo.tracks[t].events[e];
      if (!IsMakeBeat(theEvent)) continue;
      int32_t theValues[ZORBIT_MAX_PARAMS] = {};
      bool theConstant = true;
      EvaluateEventParams(theEvent.startTime, theEvent, theValues, ZORBIT_MAX_PARAMS, theConstant);
      const char* theName = GetNameFrom(inNames, theValues[0]);
      if (theName == nullptr) continue;
      mBeats.push_back({theName, MakeBeatRecord(theValues, theEvent.startTime, theEvent.endTime)});
    }
  gBeats = this;
  SetBeatResourceLookup(&FindDemoBeat);
}

DemoBeats::~DemoBeats() {
  SetBeatResourceLookup(nullptr);
  gBeats = nullptr;
}

const BeatRecord* DemoBeats::Find(int32_t inNameIndex) const {
  const char* theName = GetNameFrom(mNames, inNameIndex);
  if (theName == nullptr) return nullptr;
  // Beats are found by name, as the beat plug-in does; the one whose event runs at the time.
  for (const Beat& theBeat : mBeats) {
    const uint64_t theEnd = uint64_t(theBeat.record.startTime) + theBeat.record.duration;
    if (theBeat.name == theName && mTime >= theBeat.record.startTime && mTime <= theEnd) return &theBeat.record;
  }
  return nullptr;
}

std::string ParamName(const Demo& inDemo, const Event& inEvent, uint32_t inParam) {
  if (inEvent.libraryFileName == nullptr || inEvent.functionName == nullptr) return "";
  for (uint32_t l = 0; l < inDemo.libraryCount; ++l) {
    const Library& theLibrary = inDemo.libraries[l];
    if (theLibrary.fileName == nullptr || std::strcmp(theLibrary.fileName, inEvent.libraryFileName) != 0) continue;
    for (uint32_t f = 0; f < theLibrary.functionCount; ++f) {
      const LibraryFunction& theFunction = theLibrary.functions[f];
      if (theFunction.name == nullptr || std::strcmp(theFunction.name, inEvent.functionName) != 0) continue;
      if (inParam < theFunction.paramNameCount && theFunction.paramNames[inParam] != nullptr)
        return Utf8(theFunction.paramNames[inParam]);
      return "";
    }
  }
  return "";
}

ParamSense SenseOf(const Demo& inDemo, ParamSenses* inSenses, const Event& inEvent, uint32_t inParam) {
  ParamSense theSense;
  if (inSenses != nullptr && inSenses->Describe(inEvent, inParam, theSense)) return theSense;
  theSense = ParamSense{};
  theSense.name = ParamName(inDemo, inEvent, inParam);
  theSense.namesDrawn = NamesWhatItDraws(theSense.name);
  return theSense;
}

std::string ScaledValue(double inValue, double inScale) {
  if (inScale == 0 || inScale == 1) return inValue == std::floor(inValue) ? Format("%.0f", inValue) : Format("%g", inValue);
  const double theValue = inValue / inScale;
  // As many decimals as the scale gives: 1/1000 three, 1/100000 five, at most six.
  const int theDecimals = std::clamp(int(std::ceil(std::log10(std::fabs(inScale)))), 0, 6);
  std::string theText = Format("%.*f", theDecimals, theValue);
  if (theText.find('.') != std::string::npos) {
    while (theText.back() == '0') theText.pop_back();
    if (theText.back() == '.') theText.pop_back();
  }
  return theText == "-0" ? "0" : theText;
}

const char* CurveKind(int32_t inKind, const ParamFunction* inParam) {
  if (inParam == nullptr) return "none";
  switch (inKind) {
    case PARAM_CONST: return "const";
    case PARAM_SINE: return "sine";
    case PARAM_MULTI: {
      const MultiParam& theMulti = *static_cast<const MultiParam*>(inParam);
      if (theMulti.segmentCount == 0) return "const";
      return theMulti.interpol == INTERP_BEZ ? "bez" : theMulti.interpol == INTERP_SQD ? "sqd" : "lin";
    }
    case PARAM_COMBI: return "combi";
    case PARAM_BEAT: return "beat";
    default: return "unknown";
  }
}

std::string DescribeParam(int32_t inKind, const ParamFunction* inParam, const NameTable& inNames) {
  if (inParam == nullptr) return "nothing (0)";
  switch (inKind) {
    case PARAM_CONST:
      return Format("%d", static_cast<const ConstParam*>(inParam)->value);
    case PARAM_SINE: {
      const SineParam& theSine = *static_cast<const SineParam*>(inParam);
      return Format("sine around %d, amplitude %d, period %d ms, shifted %d ms", theSine.height, theSine.ampli,
                    theSine.period, theSine.offset);
    }
    case PARAM_MULTI: {
      const MultiParam& theMulti = *static_cast<const MultiParam*>(inParam);
      if (theMulti.segmentCount == 0) return Format("%d", theMulti.values[0]);
      std::string theText = Format("%s over %u keys: %d", CurveKind(inKind, inParam), theMulti.segmentCount + 1, theMulti.values[0]);
      uint64_t theAt = 0;
      for (uint32_t s = 0; s < theMulti.segmentCount; ++s) {
        if (s == 6) return theText + Format(", ... (%u more)", theMulti.segmentCount - s);
        theAt += theMulti.times[s];
        theText += Format(", %d at +%llu ms", theMulti.values[s + 1], static_cast<unsigned long long>(theAt));
      }
      return theText;
    }
    case PARAM_COMBI: {
      const CombiParam& theCombi = *static_cast<const CombiParam*>(inParam);
      return std::string(theCombi.op == COMBI_ADD ? "combi sum" : theCombi.op == COMBI_MUL ? "combi product / 10000" : "combi ?") +
             " of (" + DescribeParam(theCombi.firstKind, theCombi.first, inNames) + ") and (" +
             DescribeParam(theCombi.secondKind, theCombi.second, inNames) + ")";
    }
    case PARAM_BEAT: {
      const BeatParam& theBeat = *static_cast<const BeatParam*>(inParam);
      const char* theName = GetNameFrom(inNames, theBeat.id);
      return Format("beat %s: %d + %d x level", theName != nullptr ? ("\u201C" + Utf8(theName) + "\u201D").c_str() : "(no such text)",
                    theBeat.min, theBeat.max);
    }
    default:
      return Format("unknown kind %d (0)", inKind);
  }
}

bool VariesOverTime(int32_t inKind, const ParamFunction* inParam) {
  if (inParam == nullptr) return false;
  switch (inKind) {
    case PARAM_SINE: return static_cast<const SineParam*>(inParam)->period != 0;
    case PARAM_MULTI: return static_cast<const MultiParam*>(inParam)->segmentCount != 0;
    case PARAM_COMBI: {
      const CombiParam& theCombi = *static_cast<const CombiParam*>(inParam);
      return VariesOverTime(theCombi.firstKind, theCombi.first) || VariesOverTime(theCombi.secondKind, theCombi.second);
    }
    case PARAM_BEAT: return true;
    default: return false;
  }
}

int32_t ParamValueAt(const Event& inEvent, uint32_t inParam, uint32_t inMs) {
  if (inParam >= inEvent.paramCount) return 0;
  return ValueInGroup(inEvent, GroupStart(inEvent, inParam), inParam, inMs);
}

std::vector<uint32_t> KeyTimes(const Event& inEvent, uint32_t inParam) {
  std::vector<uint32_t> theTimes;
  if (inParam >= inEvent.paramCount || inEvent.paramKinds[inParam] != PARAM_MULTI || inEvent.params[inParam] == nullptr)
    return theTimes;
  const MultiParam& theMulti = *static_cast<const MultiParam*>(inEvent.params[inParam]);
  if (theMulti.segmentCount == 0) return theTimes;
  uint64_t theAt = inEvent.startTime;
  theTimes.push_back(uint32_t(theAt));
  for (uint32_t s = 0; s < theMulti.segmentCount; ++s) {
    theAt += theMulti.times[s];
    theTimes.push_back(uint32_t(std::min<uint64_t>(theAt, UINT32_MAX)));
  }
  return theTimes;
}
