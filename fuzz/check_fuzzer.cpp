// Feeds arbitrary bytes to zorbit-check's document pass: both SAX passes
// (plain and against the schema) and the checks over the element tree. The
// loader has its own target; plug-ins are not looked up, since dlopen would
// run whatever library the input names.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "democheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* inData, size_t inSize) {
  static const std::string thePath = "/tmp/zorbit_check_fuzz_" + std::to_string(getpid()) + ".xml";
  FILE* theFile = std::fopen(thePath.c_str(), "wb");
  if (theFile == nullptr) return 0;
  std::fwrite(inData, 1, inSize, theFile);
  std::fclose(theFile);
  CheckOptions theOptions;
  theOptions.schemaPath = ZORBIT_SOURCE_DIR "/schemas/demo.xsd";
  theOptions.runLoader = false;
  theOptions.findPlugins = false;
  for (const Finding& theFinding : CheckDemo(thePath, theOptions)) FormatFinding(thePath, theFinding);
  return 0;
}
