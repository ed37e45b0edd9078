#include "pluginfiles.h"

#include <cstring>

#include "demo.h"

std::set<int32_t> TextsFollowedByPlugins(const Demo& inDemo) {
  std::set<int32_t> theTexts;
  for (uint32_t t = 0; t < inDemo.trackCount; ++t)
    for (uint32_t e = 0; e < inDemo.tracks[t].eventCount; ++e) {
      const Event& theEvent = inDemo.tracks[t].events[e];
      if (theEvent.functionName == nullptr || std::strcmp(theEvent.functionName, "Shader") != 0) continue;
      if (theEvent.paramCount == 0 || theEvent.paramKinds[0] != PARAM_CONST) continue;
      theTexts.insert(static_cast<const ConstParam*>(theEvent.params[0])->value);
    }
  return theTexts;
}
