// A plug-in-like module (hidden visibility) carrying its own copy of the
// tracker, for oglstate_module_test.cpp.
#include <zorbit/oglstate.h>

#define PROBE_EXPORT extern "C" __attribute__((visibility("default")))

PROBE_EXPORT void ProbeAttach(OGLState* inState) { AttachState(inState); }
PROBE_EXPORT OGLState* ProbeCurrent() { return GetCurrentState(); }
PROBE_EXPORT OGLState** ProbeAddressOfState() { return &gState; }
PROBE_EXPORT int ProbeGetState(int inKind) { return GetState(inKind); }
