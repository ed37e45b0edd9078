// Font3D: one line of text as a polygon node, one textured quad per visible
// character, laid out from a ResourceFont's metrics.
//
// Units are pixels of the font: one scene unit per pixel, y upwards, the
// baseline at y = 0, the line centred on x = 0. Tab, line feed, carriage
// return and space take room but no quad; line feeds do not start a new line.
// Exported from fonts.so for other plug-ins (balloons.so).
#pragma once

#include <cstdint>

#include <zorbit/lattice/poly3d.h>
#include "fontsapi.h"

class FONTS_API Font3D : public Poly3D {
 public:
  // The text is not kept; a null text builds an empty node. inFont must
  // stay loaded while the node is drawn (its atlas is the node's texture).
  // Colour = red * 65536 + green * 256 + blue.
  Font3D(const ResourceFont& inFont, const char* inText, int32_t inRed, int32_t inGreen, int32_t inBlue);
  ~Font3D() override;

  int GetPrimitive() const override;               // GL_QUADS
  const float* GetVertices() const override;       // x, y, z per vertex
  bool IsWireframe() const override;               // false
  bool IsVisible() const override;                 // true
  int32_t& GetVertexCount() override;              // 4 per visible character
  int32_t& GetIndexCount() override;               // 0, reset on every query
  const int32_t* GetIndices() const override;      // null
  const float* GetNormals() const override;        // null
  bool HasVertexColours() const override;          // false
  const unsigned char* GetVertexColours() const override;  // null
  // opacity * 2^24 + colour, modulo 2^32.
  uint32_t GetColour() const override;
  bool HasTexture() const override;                // true
  bool HasTexCoords() const override;              // true
  const int16_t* GetTexCoords() const override;    // s, t per vertex, times the texture-coordinate scale
  uint32_t GetTexture() const override;            // the font's atlas

  // Slot 36: stores inColour as it is (0x00RRGGBB expected).
  virtual void SetColour(unsigned long inColour);

 private:
  int32_t mVertexCount;
  uint32_t mTexture;
  float* mVertices;      // mVertexCount * 3, owned
  int16_t* mTexCoords;   // mVertexCount * 2, owned
  uint32_t mColour;
  int32_t mZeroCount;
};

// True for the characters that get a quad: all but tab, line feed,
// carriage return and space.
inline bool IsVisibleCharacter(unsigned char inCode) {
  return inCode != 9 && inCode != 10 && inCode != 13 && inCode != 32;
}

// A texture coordinate of the atlas, as the int16 the text nodes store:
// inTexel * inScale / inAtlasSize, truncated toward zero.
inline int16_t AtlasTexCoord(int32_t inTexel, float inScale, float inAtlasSize) {
  return static_cast<int16_t>(static_cast<int32_t>(float(inTexel) * inScale / inAtlasSize));
}
