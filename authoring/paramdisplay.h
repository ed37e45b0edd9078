// The display's words for the running events' parameters: each one's name
// and current value, for the effects that describe their parameters.
// Descriptions are read once per demo brought up, from the libraries the
// session loaded; nothing is read from a plug-in while frames are drawn.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "demo.h"
#include "descriptions.h"

class ParamDisplay {
 public:
  // Reads the tables of the demo's loaded libraries.
  void Adopt(const Demo& inDemo);
  // "  x 0.000  y -140.000  opacity 230 ..." for inEvent at inTime, at most
  // inMaxLength characters; empty when its effect describes nothing.
  std::string Values(const Event& inEvent, uint32_t inTime, size_t inMaxLength) const;

 private:
  std::vector<std::pair<std::string, describe::PluginDescriptions>> mLibraries;  // by file name as written
};
