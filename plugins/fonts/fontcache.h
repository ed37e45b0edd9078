// The font cache of fonts.so: at most FONT_SLOT_COUNT fonts at a time, each
// identified by its name (exact, case-sensitive) and its pixel size, shared
// by reference count. ProduceFont and ReleaseFont (resourcefont.h) are its
// registry face; this header is for the plug-in itself and its tests.
#pragma once

#include <cstdint>

#include "fontsapi.h"

enum { FONT_SLOT_COUNT = 8 };

// Largest pixel size a font is loaded at: beyond it one glyph image alone
// outgrows any texture OpenGL implementations offer.
enum { FONT_SIZE_LIMIT = 1024 };

// Forgets every slot without freeing anything (Zorbit_Init).
void ResetFontCache();

// Frees every cached font and its atlas, whoever still holds it (Zorbit_Quit,
// after the plug-in's own events are ended).
void FreeAllFonts();

// Number of slots up to and including the highest one in use.
FONTS_API int32_t UsedFontSlots();
// Reference count of the cached font inName at inSize; 0 when not cached.
FONTS_API int32_t FontReferenceCount(const char* inName, int32_t inSize);
