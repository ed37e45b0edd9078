// Loads demo documents written inline in a test and frees them afterwards.
#pragma once

#include <string>

#include "basicexception.h"
#include "demo.h"
#include "nametable.h"
#include "zorbitloader.h"

struct LoadedDemo {
  Demo demo{};
  NameTable names{0, 0, nullptr};
  std::string failure;  // the loader's message, empty when the document loaded

  explicit LoadedDemo(const std::string& inXml) {
    try {
      LoadDemoFromMemory(inXml.data(), inXml.size(), "test.xml", demo, names);
    } catch (const BasicException& inFailure) {
      failure = inFailure.GetMessage();
    }
  }
  ~LoadedDemo() {
    DestroyDemo(demo);
    ClearNameTable(names);
  }
  LoadedDemo(const LoadedDemo&) = delete;
  LoadedDemo& operator=(const LoadedDemo&) = delete;

  const Event& EventAt(uint32_t inTrack, uint32_t inEvent) const { return demo.tracks[inTrack].events[inEvent]; }
};

inline const char* kSettings = "<Settings RunningTime=\"1000\" NumberOfInputSurfaces=\"0\"/>";

// A document with the settings above and one track holding one event from
// inStart to inEnd (ms) with the given param elements.
inline std::string EventDocument(const std::string& inParams, const char* inStart = "0",
                                 const char* inEnd = "10000") {
  return std::string("<Demo>") + kSettings +
         "<Track><Event LibraryFileName=\"l.so\" FunctionName=\"F\" StartTime=\"" + inStart + "\" EndTime=\"" +
         inEnd + "\">" + inParams + "</Event></Track></Demo>";
}
