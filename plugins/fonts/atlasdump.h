// Writing font atlases as PNG pictures, for people debugging a demo.
//
// With the environment variable ZORBIT_DUMP_ATLAS set to a folder, every
// atlas fonts.so builds is written there as
// "atlas-<font file name>-<size>.png" (RGBA, white glyphs on transparent).
#pragma once

#include <string>

#include "fontatlas.h"

// Writes inAtlas to inPath. False (with nothing left behind but perhaps a
// partial file) when the file cannot be written.
bool WriteAtlasPng(const char* inPath, const FontAtlas& inAtlas);

// The file ZORBIT_DUMP_ATLAS asks for inFont's atlas, or "" when the
// variable is unset or empty. Characters other than letters, digits, '.',
// '-' and '_' in the font's file name become '_'.
std::string AtlasDumpPath(const ResourceFont& inFont);
