// The host services balloons.so keeps from the player's HostTable.
// Module-wide; set by Zorbit_Init, used on the player's thread only.
#pragma once

#include "zorbit.h"

extern WarnFunction gWarn;
extern UseResourceFunction gUseResource;
extern ReleaseResourceFunction gReleaseResource;
extern GetTextFunction gGetText;
extern void* gState;  // the player's OpenGL state tracker; kept, not used
