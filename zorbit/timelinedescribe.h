// The timeline's parameter senses from the plug-ins' own descriptions
// (describe/descriptions.h): each library the document names is found the way
// the player finds it, read once and unloaded again.
#pragma once

#include <string>

#include "descriptions.h"
#include "timeline.h"

class DescribedSenses : public ParamSenses {
 public:
  explicit DescribedSenses(const std::string& inDemoPath) : mCache(inDemoPath) {}
  bool Describe(const Event& inEvent, uint32_t inParam, ParamSense& outSense) override;

 private:
  describe::DescriptionCache mCache;
};
