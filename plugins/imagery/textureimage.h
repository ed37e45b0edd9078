// Turning an image file into an OpenGL texture: decode, convert to 32-bit
// pixels, optionally turn into a brightness mask, pad to power-of-two
// dimensions and upload. Needs the OpenGL context current.
#pragma once

#include <cstdint>

#include <zorbit/zorbit.h>

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

// Decodes the image read from inStream with SDL_image, in whatever pixel
// format the file has. Does not close the stream. Null when the image cannot
// be decoded. The caller frees the surface.
SDL_Surface* DecodeImage(SDL_RWops* inStream);

// Smallest power of two >= inSize (inSize >= 1), or 0 when there is none in 31 bits.
uint32_t PaddedExtent(int32_t inSize);

// The image converted to 32-bit pixels in the layout above, at the top left
// of a surface of power-of-two dimensions whose other pixels are zero.
// Converting and padding are one pass. Pixels of a colour-keyed image that
// match the key stay zero (transparent); images without alpha come out
// opaque. Null when the surface cannot be made. The caller frees it.
SDL_Surface* MakePaddedPixels(SDL_Surface* inImage);

// Turns every pixel into black with its brightness as alpha:
// L = 0.30 red + 0.59 green + 0.11 blue, truncated, at most 255.
// Zero pixels stay zero, so the padding may be included.
void MakeMask(SDL_Surface* ioPixels);

// Replaces ioRecord's texture name by a new one and uploads inPadded (from
// MakePaddedPixels) into it; inWidth x inHeight is the image inside it.
// Fills width, height and the s and t extents. The texture binding and the
// unpack settings of the context are the same afterwards as before.
void UploadTexture(TextureRecord& ioRecord, SDL_Surface* inPadded, int32_t inWidth, int32_t inHeight);
