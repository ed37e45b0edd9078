// Test support: pieces of demo documents for the real loader, attributes
// given as written in XML.
#pragma once

#include <string>
#include <vector>

namespace demoxml {

std::string Const(int inValue);
std::string Beat(int inId, int inMin, int inMax);
std::string Ramp(int inStart, int inEnd);
// One const parameter per value, in order.
std::string Consts(const std::vector<int>& inValues);
// inStart and inEnd in ms; inParams are the event's parameter elements.
std::string Event(const std::string& inLibrary, const std::string& inFunction, int inStart, int inEnd,
                  const std::string& inParams = "");
std::string Library(const std::string& inFile, const std::vector<std::string>& inFunctions);
// One event per track, tracks in the given order.
std::string Document(int inRunningTime, bool inOpenGL, const std::vector<std::string>& inTexts,
                     const std::string& inLibraries, const std::vector<std::string>& inTrackEvents);

}  // namespace demoxml
