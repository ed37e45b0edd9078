// The host services balloons.so keeps from the player's HostTable.
// Module-wide; set by Zorbit_Init, used on the player's thread only.
#pragma once

#include <zorbit/zorbitplugin.h>

// The host's slots, copied in Zorbit_Init; its OpenGL state tracker is kept, not used.
extern zorbit::Host gHost;
