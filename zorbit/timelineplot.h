// zorbit-info --plot: one parameter of one event over the event's time, with
// its keys, its interpolation named, and a value axis.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "demo.h"
#include "nametable.h"
#include "timeline.h"

// An event's parameter as zorbit-info numbers it: "TRACK.EVENT:PARAM".
struct PlotTarget {
  uint32_t track = 0;
  uint32_t event = 0;
  uint32_t param = 0;
};
// False unless inText is three numbers in that shape.
bool ParsePlotTarget(const std::string& inText, PlotTarget& outTarget);
// "" when the demo has that parameter, else why not.
std::string CheckPlotTarget(const Demo& inDemo, const PlotTarget& inTarget);

struct PlotLayout {
  int width = 0, height = 0;
  TimeAxis axis;
  double top = 0, bottom = 0;  // the plot area's value range, pixels
  double low = 0, high = 0;    // values at bottom and top
  std::string title;
  std::string subtitle;
  std::string valueName;  // the value axis
  std::vector<RulerMark> timeMarks;
  std::vector<std::pair<double, std::string>> valueMarks;  // y and label
  std::vector<CanvasPoint> points;
  std::vector<CanvasPoint> keys;  // empty when too many to mark
  uint32_t keyCount = 0;
};

// The target must have passed CheckPlotTarget. inSenses may be null.
PlotLayout LayOutPlot(const Demo& inDemo, const NameTable& inNames, const PlotTarget& inTarget, int inWidth,
                      uint32_t inBpm, ParamSenses* inSenses);
void PaintPlot(const PlotLayout& inLayout, Canvas& ioCanvas);
