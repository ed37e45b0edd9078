// The host services fonts.so keeps from the player's HostTable, and its
// FreeType library. Module-wide; set by Zorbit_Init, used on the player's
// thread only.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <zorbit/zorbitplugin.h>

extern zorbit::Host gHost;    // the host's slots, copied in Zorbit_Init
extern FT_Library gFreeType;  // null until Zorbit_Init succeeded and after Zorbit_Quit
