// The host services fonts.so keeps from the player's HostTable, and its
// FreeType library. Module-wide; set by Zorbit_Init, used on the player's
// thread only.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include "zorbit.h"

extern WarnFunction gWarn;
extern UseResourceFunction gUseResource;
extern ReleaseResourceFunction gReleaseResource;
extern GetTextFunction gGetText;
extern FT_Library gFreeType;  // null until Zorbit_Init succeeded and after Zorbit_Quit

// Formats a warning and hands it to the host's warn service (dropped when
// the plug-in has no host yet).
void FontsWarn(const char* inFormat, ...) __attribute__((format(printf, 1, 2)));
