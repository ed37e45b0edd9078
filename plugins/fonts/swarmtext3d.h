// SwarmText3D: a text written over a particle swarm, one glyph quad per
// particle, the characters taken in order and repeated as often as the
// particles allow. Particles whose character is blank (tab, line feed,
// carriage return, space) carry nothing.
//
// Each glyph lies in the plane z = particle z with its baseline at the
// particle's y, centred horizontally on the particle by half its advance.
#pragma once

#include <cstdint>

#include <zorbit/lattice/poly3d.h>
#include "fontsapi.h"

class FONTS_API SwarmText3D : public Poly3D {
 public:
  // inPositions: inParticleCount x, y, z triples (scene units). inColours:
  // inParticleCount times alpha, red, green, blue bytes, or null for the
  // uniform colour (inRed, inGreen, inBlue, inAlpha, low 8 bits each).
  // A null text, a text without visible characters, a particle count of 0
  // or less or null positions build an empty node.
  SwarmText3D(const ResourceFont& inFont, const char* inText, int32_t inParticleCount, const float* inPositions,
              const unsigned char* inColours, int32_t inRed, int32_t inGreen, int32_t inBlue, int32_t inAlpha);
  ~SwarmText3D() override;

  int GetPrimitive() const override;               // GL_QUADS
  const float* GetVertices() const override;
  bool IsWireframe() const override;               // false
  bool IsVisible() const override;                 // true
  int32_t& GetVertexCount() override;              // 4 per glyph
  int32_t& GetIndexCount() override;               // a module-wide 0
  const int32_t* GetIndices() const override;      // null
  const float* GetNormals() const override;        // null
  bool HasVertexColours() const override;          // true with per-particle colours
  const unsigned char* GetVertexColours() const override;  // red, green, blue, alpha per vertex
  uint32_t GetColour() const override;             // the uniform colour word 0xAARRGGBB
  bool HasTexture() const override;                // true
  bool HasTexCoords() const override;              // true
  const int16_t* GetTexCoords() const override;
  uint32_t GetTexture() const override;
  // Clamps to 0..255 and puts the value into the alpha of the uniform colour,
  // or of every vertex colour when the node has them.
  void SetOpacity(long inOpacity) override;

  // Recolours the glyphs: with inColours (alpha, red, green, blue per
  // particle, for the same particles the node was built from) every vertex
  // of a glyph takes its particle's colour; with null the node becomes
  // uniform. The uniform colour word becomes inAlpha, inRed, inGreen, inBlue.
  void UpdateColours(const unsigned char* inColours, int32_t inRed, int32_t inGreen, int32_t inBlue,
                     int32_t inAlpha);

  // Number of glyphs: (P div L) * v + the visible characters among the first
  // P mod L characters, for P particles and a text of length L with v
  // visible characters.
  static int32_t GlyphCount(const char* inText, int32_t inParticleCount);

 private:
  int32_t mVertexCount;
  uint32_t mTexture;
  float* mVertices;           // mVertexCount * 3, owned
  unsigned char* mColours;    // mVertexCount * 4 (red, green, blue, alpha), owned, or null
  int16_t* mTexCoords;        // mVertexCount * 2, owned
  uint32_t mColour;           // 0xAARRGGBB
  bool mUniform;              // no per-vertex colours
  int32_t* mParticles;        // glyph -> particle index, for recolouring; owned
};
