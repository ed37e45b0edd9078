// zorbit-info's words for the parameters of effects that describe them
// (describe/descriptions.h): each parameter by its name and in its unit.
#pragma once

#include <string>
#include <vector>

#include "demo.h"
#include "descriptions.h"
#include "nametable.h"

class InfoNames {
 public:
  InfoNames(const std::string& inDemoPath, const NameTable& inNames);

  // What to say under a library about its description; empty when it is read or absent.
  std::string LibraryNote(const Library& inLibrary);
  // The parameter's reading with its name ("x 1.500 units, lin over 3 keys"),
  // or empty when its effect does not describe it.
  std::string Named(const Event& inEvent, uint32_t inIndex);

 private:
  const char* Text(int32_t inIndex);

  describe::DescriptionCache mCache;
  const NameTable& mNames;
  std::vector<std::string> mTexts;  // the texts in the terminal's encoding
};
