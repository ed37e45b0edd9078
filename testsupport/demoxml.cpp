#include "demoxml.h"

namespace demoxml {

std::string Const(int inValue) { return "<param type=\"const\" val=\"" + std::to_string(inValue) + "\"/>"; }
std::string Beat(int inId, int inMin, int inMax) {
  return "<param type=\"beat\" ID=\"" + std::to_string(inId) + "\" min=\"" + std::to_string(inMin) + "\" max=\"" +
         std::to_string(inMax) + "\"/>";
}
std::string Ramp(int inStart, int inEnd) {
  return "<param start=\"" + std::to_string(inStart) + "\" end=\"" + std::to_string(inEnd) + "\"/>";
}
std::string Consts(const std::vector<int>& inValues) {
  std::string theText;
  for (int theValue : inValues) theText += Const(theValue);
  return theText;
}
std::string Event(const std::string& inLibrary, const std::string& inFunction, int inStart, int inEnd,
                  const std::string& inParams) {
  return "<Event LibraryFileName=\"" + inLibrary + "\" FunctionName=\"" + inFunction + "\" StartTime=\"" +
         std::to_string(inStart) + "\" EndTime=\"" + std::to_string(inEnd) + "\">" + inParams + "</Event>";
}
std::string Library(const std::string& inFile, const std::vector<std::string>& inFunctions) {
  std::string theText = "<Library FileName=\"" + inFile + "\">";
  for (const std::string& theFunction : inFunctions) theText += "<Function Name=\"" + theFunction + "\"/>";
  return theText + "</Library>";
}
std::string Document(int inRunningTime, bool inOpenGL, const std::vector<std::string>& inTexts,
                     const std::string& inLibraries, const std::vector<std::string>& inTrackEvents) {
  std::string theText = "<?xml version=\"1.0\"?>\n<Demo><Settings RunningTime=\"" + std::to_string(inRunningTime) +
                        "\" UseOpenGL=\"" + (inOpenGL ? "true" : "false") + "\" NumberOfInputSurfaces=\"0\"/>";
  theText += "<Texts>";
  for (const std::string& theName : inTexts) theText += "<Text>" + theName + "</Text>";
  theText += "</Texts><Libraries>" + inLibraries + "</Libraries><Tracks>";
  for (const std::string& theEvent : inTrackEvents) theText += "<Track>" + theEvent + "</Track>";
  return theText + "</Tracks></Demo>\n";
}

}  // namespace demoxml
