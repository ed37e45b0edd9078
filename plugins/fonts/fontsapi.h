// What fonts.so exports beside its FONT records, for the modules of this
// tree that link against it (balloons.so, the tests): the atlas measure and
// the kind's producer and releaser. A plug-in outside the tree reads the
// record (zorbit/resourcefont.h) and goes through the registry instead.
#pragma once

#include <cstdint>

#include <zorbit/resourcefont.h>

#define FONTS_API __attribute__((visibility("default")))

// Width in whole pixels of at most inCount characters of inText from
// position inStart (stops at the end of the text). A negative inStart gives
// 0, a negative inCount runs to the end, a null text gives 0.
FONTS_API int32_t GetStringPixels(const ResourceFont& inFont, const char* inText, int32_t inStart,
                                  int32_t inCount);

// The FONT kind's producer and releaser (registered in Zorbit_Init).
// inUserData points to the int32_t pixel size. The font needs the player's
// OpenGL context to be current: call only on the player's thread.
extern "C" FONTS_API void* ProduceFont(const char* inName, void* inUserData, bool& outIsStatic);
extern "C" FONTS_API bool ReleaseFont(const char* inName, void* inUserData);
