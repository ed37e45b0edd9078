// Turning an image file into an OpenGL texture: decode, convert to 32-bit
// pixels, optionally turn into a brightness mask, pad to power-of-two
// dimensions and upload. Needs the OpenGL context current.
#pragma once

#include <cstdint>

#include "zorbit.h"

struct SDL_Surface;
struct SDL_RWops;

// The one pixel layout of every surface made here: 0xAARRGGBB in a 32-bit
// word, i.e. bytes B, G, R, A in memory on this little-endian platform.
enum : uint32_t {
  TEXTURE_RED_MASK = 0x00FF0000u,
  TEXTURE_GREEN_MASK = 0x0000FF00u,
  TEXTURE_BLUE_MASK = 0x000000FFu,
  TEXTURE_ALPHA_MASK = 0xFF000000u,
};

// Decodes the image read from inStream with SDL_image and converts it to a
// 32-bit surface in the layout above. Does not close the stream. Null when
// the image cannot be decoded or converted. The caller frees the surface.
SDL_Surface* DecodeImage(SDL_RWops* inStream);

// Turns every pixel into black with its brightness as alpha:
// L = 0.30 red + 0.59 green + 0.11 blue, truncated, at most 255.
void MakeMask(SDL_Surface* ioImage);

// Smallest power of two >= inSize (inSize >= 1), or 0 when there is none in 31 bits.
uint32_t PaddedExtent(int32_t inSize);

// Replaces ioRecord's texture name by a new one and uploads inImage into it,
// padded with zeros to power-of-two dimensions; fills width, height and the
// s and t extents. False (after a warning) when the padded copy cannot be
// made; the record then keeps its new, empty texture name. The texture
// binding of the context is the same afterwards as before.
bool MakeTexture(TextureRecord& ioRecord, SDL_Surface* inImage);
