// The timeline picture of a demo (zorbit-info --timeline): tracks as rows in
// the order they run (the highest track first), events as bars at their
// times with the effect's name and the texts they draw, each time-varying
// parameter as a small curve in its bar with its keys marked, MakeBeat
// patterns as ticks, a ruler in seconds or in bars and beats, and the
// music's waveform along the bottom.
//
// Laying out is separate from drawing: LayOutTimeline turns a demo into
// pixel positions, PaintTimeline draws them on any Canvas, so the PNG, the
// PDF and the SVG show one layout. A track with more events in the range
// than the picture has room for is summarised as the number of events over
// each pixel column.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "demo.h"
#include "nametable.h"
#include "timelinecanvas.h"

// What an effect says of one of its parameters.
struct ParamSense {
  std::string name;          // empty: the parameter's number alone
  std::string unit;          // of value / scale; empty for none
  double scale = 1;
  bool namesDrawn = false;   // the number of a text naming the words, image or font drawn
  int32_t readWhen = -1;     // >= 0: only read while parameter readWhen is readWhenValue
  int32_t readWhenValue = 0;
};

// The effects' own descriptions of their parameters, consulted before the
// document's declarations. Without them, names are the declared ones, values
// plain numbers, and a parameter declared "text", "font", "image",
// "texture", "file", "pattern" or "movie" names what its event draws.
class ParamSenses {
 public:
  virtual ~ParamSenses() = default;
  // False when the event's effect does not describe parameter inParam.
  virtual bool Describe(const Event& inEvent, uint32_t inParam, ParamSense& outSense) = 0;
};

struct TimelineOptions {
  uint32_t fromMs = 0;
  uint32_t toMs = 0;  // with toGiven false: the demo's running time
  bool toGiven = false;
  int width = 1920;   // pixels
  uint32_t bpm = 0;   // 0: the ruler in seconds
  ParamSenses* senses = nullptr;  // may be null; must outlive the layout's making
};

// Demo time to the x of the plot area and back.
struct TimeAxis {
  uint32_t fromMs = 0;
  uint32_t toMs = 1;  // always above fromMs
  double x0 = 0;
  double x1 = 1;
  double X(double inMs) const { return x0 + (inMs - fromMs) * (x1 - x0) / double(toMs - fromMs); }
  double Ms(double inX) const { return fromMs + (inX - x0) * double(toMs - fromMs) / (x1 - x0); }
};

// The music over the plot area: the lowest and highest sample (-1 to 1) in
// each pixel column, or a note why there is none.
struct Waveform {
  std::vector<float> low;
  std::vector<float> high;
  std::string note;
};

struct TimelineCurve {
  uint32_t param = 0;
  std::string label;           // "3 x" from the description or declaration, else "3"
  std::string unit;            // of value / scale, from the description
  double scale = 1;
  double top = 0, bottom = 0;  // the lane
  double low = 0, high = 0;    // the values drawn at the lane's bottom and top
  std::vector<CanvasPoint> points;
  std::vector<CanvasPoint> keys;  // empty when there are more keys than room to mark them
  uint32_t keyCount = 0;
};

struct TimelineBar {
  uint32_t track = 0, event = 0;
  uint32_t startMs = 0, endMs = 0;
  double x0 = 0, x1 = 0, top = 0, bottom = 0;  // x kept within the plot area
  uint32_t colour = 0;
  std::string label;    // the effect, and the texts it draws
  std::string tooltip;  // the event and every parameter
  std::vector<TimelineCurve> curves;
  uint32_t hiddenCurves = 0;  // time-varying parameters beyond the lanes a row has
  std::vector<double> beatTicks;     // MakeBeat: x of each repetition's start
  std::vector<double> segmentTicks;  // MakeBeat: x of the other segment ends
};

// A dense track: how many events cover each pixel column.
struct TimelineSummary {
  uint32_t track = 0;
  double top = 0, bottom = 0;
  uint32_t eventCount = 0;
  std::vector<uint32_t> columns;
  uint32_t most = 0;
  std::string tooltip;
};

struct TimelineRow {
  uint32_t track = 0;
  double top = 0, bottom = 0;
  std::string label;
};

struct RulerMark {
  double x = 0;
  std::string label;  // empty for a minor tick
};

struct TimelineLayout {
  int width = 0, height = 0;
  TimeAxis axis;
  std::string title;
  std::string note;  // said in place of rows when nothing is in the range
  double rulerTop = 0, rulerBottom = 0;
  std::vector<RulerMark> ruler;
  std::vector<TimelineRow> rows;
  std::vector<TimelineBar> bars;
  std::vector<TimelineSummary> summaries;
  double waveTop = 0, waveBottom = 0;
  Waveform wave;
};

// The plot area's time range and x for a picture of inOptions.width pixels:
// what the waveform is read for before laying out.
TimeAxis TimelineAxis(const Demo& inDemo, const TimelineOptions& inOptions);

// Lays out every track that has events in the range. inWave may be empty.
TimelineLayout LayOutTimeline(const Demo& inDemo, const NameTable& inNames, const TimelineOptions& inOptions,
                              const Waveform& inWave);
void PaintTimeline(const TimelineLayout& inLayout, Canvas& ioCanvas);

// Ruler marks over an axis: in seconds (minutes from a minute on), or in
// bars of four beats at inBpm.
std::vector<RulerMark> SecondsRuler(const TimeAxis& inAxis);
std::vector<RulerMark> BarsRuler(const TimeAxis& inAxis, uint32_t inBpm);

// The SVG root's attributes that give the time axis, for readers of the file.
std::string TimelineRootData(const TimelineLayout& inLayout);

// Parameter animation's beat lookup answered from the demo's own MakeBeat
// events (the record the beat plug-in would make, from each event's values
// at its start), so that beat parameters can be drawn without the player.
// Installed while it lives; the demo must outlive it.
class DemoBeats {
 public:
  DemoBeats(const Demo& inDemo, const NameTable& inNames);
  ~DemoBeats();
  DemoBeats(const DemoBeats&) = delete;
  DemoBeats& operator=(const DemoBeats&) = delete;
  // The time the next evaluations are made at: a beat answers only while its event runs.
  void SetTime(uint32_t inMs) { mTime = inMs; }
  const BeatRecord* Find(int32_t inNameIndex) const;

 private:
  struct Beat {
    std::string name;
    BeatRecord record;
  };
  const NameTable& mNames;
  std::vector<Beat> mBeats;
  uint32_t mTime = 0;
};

// The BeatRecord MakeBeat makes from its 40 values at an event's start.
BeatRecord MakeBeatRecord(const int32_t* inValues, uint32_t inStartMs, uint32_t inEndMs);
bool IsMakeBeat(const Event& inEvent);

// Names and descriptions shared by the timeline and the plot.
// The declared name of parameter inParam of the event's function, or "".
std::string ParamName(const Demo& inDemo, const Event& inEvent, uint32_t inParam);
// What is known of a parameter: its description, else its declaration.
ParamSense SenseOf(const Demo& inDemo, ParamSenses* inSenses, const Event& inEvent, uint32_t inParam);
// A value in its unit: "1.5", "-0.25", "230".
std::string ScaledValue(double inValue, double inScale);
// "lin", "bez", "sqd", "sine", "combi", "beat" or "const".
const char* CurveKind(int32_t inKind, const ParamFunction* inParam);
// One line about a parameter: its kind and what it holds.
std::string DescribeParam(int32_t inKind, const ParamFunction* inParam, const NameTable& inNames);
// True when the parameter's value changes over its event.
bool VariesOverTime(int32_t inKind, const ParamFunction* inParam);
// The value of parameter inParam of inEvent at inMs: groups of "sqd"
// quaternion parameters are evaluated together, as the player does.
int32_t ParamValueAt(const Event& inEvent, uint32_t inParam, uint32_t inMs);
// Demo times of a curve's keys (MultiParam), relative to nothing: absolute ms.
std::vector<uint32_t> KeyTimes(const Event& inEvent, uint32_t inParam);
