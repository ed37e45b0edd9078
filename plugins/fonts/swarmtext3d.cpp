#include "swarmtext3d.h"

#include <GL/gl.h>

#include <cstring>

#include "font3d.h"

namespace {

int32_t gSwarmZero = 0;  // what every swarm node answers for its index count

uint32_t ColourWord(int32_t inAlpha, int32_t inRed, int32_t inGreen, int32_t inBlue) {
  return (uint32_t(inAlpha & 0xFF) << 24) | (uint32_t(inRed & 0xFF) << 16) | (uint32_t(inGreen & 0xFF) << 8) |
         uint32_t(inBlue & 0xFF);
}

// Particle colours are alpha, red, green, blue; vertex colours red, green, blue, alpha.
void SetVertexColours(unsigned char* outColours, const unsigned char* inParticle) {
  for (int v = 0; v < 4; ++v) {
    outColours[v * 4 + 0] = inParticle[1];
    outColours[v * 4 + 1] = inParticle[2];
    outColours[v * 4 + 2] = inParticle[3];
    outColours[v * 4 + 3] = inParticle[0];
  }
}

}  // namespace

int32_t SwarmText3D::GlyphCount(const char* inText, int32_t inParticleCount) {
  if (!inText || inParticleCount <= 0) return 0;
  const size_t theLength = strlen(inText);
  if (theLength == 0) return 0;
  int64_t theVisible = 0;
  int64_t theVisibleInRest = 0;
  const size_t theRest = size_t(inParticleCount) % theLength;
  for (size_t i = 0; i < theLength; ++i) {
    const bool theShown = IsVisibleCharacter(static_cast<unsigned char>(inText[i]));
    theVisible += theShown;
    if (i < theRest) theVisibleInRest += theShown;
  }
  return int32_t(int64_t(size_t(inParticleCount) / theLength) * theVisible + theVisibleInRest);
}

SwarmText3D::SwarmText3D(const ResourceFont& inFont, const char* inText, int32_t inParticleCount,
                         const float* inPositions, const unsigned char* inColours, int32_t inRed, int32_t inGreen,
                         int32_t inBlue, int32_t inAlpha)
    : mVertexCount(0),
      mTexture(inFont.texture),
      mVertices(nullptr),
      mColours(nullptr),
      mTexCoords(nullptr),
      mColour(ColourWord(inAlpha, inRed, inGreen, inBlue)),
      mUniform(true),
      mParticles(nullptr) {
  const int32_t theGlyphs = inPositions ? GlyphCount(inText, inParticleCount) : 0;
  if (theGlyphs == 0) return;
  const size_t theLength = strlen(inText);
  mVertexCount = 4 * theGlyphs;
  mVertices = new float[size_t(mVertexCount) * 3];
  mTexCoords = new int16_t[size_t(mVertexCount) * 2];
  mParticles = new int32_t[size_t(theGlyphs)];
  if (inColours) {
    mColours = new unsigned char[size_t(mVertexCount) * 4];
    mUniform = false;
  }
  const float theScale = GetTexCoordScale();
  int32_t theGlyph = 0;
  for (int32_t m = 0; m < inParticleCount && theGlyph < theGlyphs; ++m) {
    const unsigned char c = static_cast<unsigned char>(inText[size_t(m) % theLength]);
    if (!IsVisibleCharacter(c)) continue;
    const float* theParticle = inPositions + size_t(m) * 3;
    // A pen at particle x - advance / 2 puts the glyph's left edge at
    // pen + left bearing, as Font3D lays out a line.
    const float x0 = theParticle[0] - float(inFont.advance[c]) / 65536.0f / 2.0f + float(inFont.left[c]);
    const float x1 = x0 + float(inFont.width[c]);
    const float y0 = theParticle[1] + float(inFont.top[c]);
    const float y1 = y0 - float(inFont.height[c]);
    const float z = theParticle[2];
    const float theCorners[12] = {x0, y0, z, x1, y0, z, x1, y1, z, x0, y1, z};
    memcpy(mVertices + size_t(theGlyph) * 12, theCorners, sizeof(theCorners));
    const int16_t s0 = AtlasTexCoord(inFont.glyphX[c], theScale, inFont.atlasWidth);
    const int16_t s1 = AtlasTexCoord(inFont.glyphX[c] + inFont.width[c], theScale, inFont.atlasWidth);
    const int16_t t0 = AtlasTexCoord(inFont.glyphY[c], theScale, inFont.atlasHeight);
    const int16_t t1 = AtlasTexCoord(inFont.glyphY[c] + inFont.height[c], theScale, inFont.atlasHeight);
    const int16_t theCoords[8] = {s0, t0, s1, t0, s1, t1, s0, t1};
    memcpy(mTexCoords + size_t(theGlyph) * 8, theCoords, sizeof(theCoords));
    if (mColours) SetVertexColours(mColours + size_t(theGlyph) * 16, inColours + size_t(m) * 4);
    mParticles[theGlyph] = m;
    ++theGlyph;
  }
}

SwarmText3D::~SwarmText3D() {
  delete[] mVertices;
  delete[] mColours;
  delete[] mTexCoords;
  delete[] mParticles;
}

void SwarmText3D::UpdateColours(const unsigned char* inColours, int32_t inRed, int32_t inGreen, int32_t inBlue,
                                int32_t inAlpha) {
  if (inColours) {
    if (mUniform) {
      mColours = new unsigned char[size_t(mVertexCount) * 4];
      mUniform = false;
    }
    for (int32_t g = 0; g < mVertexCount / 4; ++g) {
      SetVertexColours(mColours + size_t(g) * 16, inColours + size_t(mParticles[g]) * 4);
    }
  } else {
    delete[] mColours;
    mColours = nullptr;
    mUniform = true;
  }
  mColour = ColourWord(inAlpha, inRed, inGreen, inBlue);
}

void SwarmText3D::SetOpacity(long inOpacity) {
  Poly3D::SetOpacity(inOpacity);  // clamps to 0..255
  if (mUniform) {
    mColour = (mColour & 0x00FFFFFFu) | (uint32_t(mOpacity) << 24);
  } else {
    for (int32_t v = 0; v < mVertexCount; ++v) mColours[size_t(v) * 4 + 3] = static_cast<unsigned char>(mOpacity);
  }
}

int SwarmText3D::GetPrimitive() const { return GL_QUADS; }
const float* SwarmText3D::GetVertices() const { return mVertices; }
bool SwarmText3D::IsWireframe() const { return false; }
bool SwarmText3D::IsVisible() const { return true; }
int32_t& SwarmText3D::GetVertexCount() { return mVertexCount; }
int32_t& SwarmText3D::GetIndexCount() {
  gSwarmZero = 0;
  return gSwarmZero;
}
const int32_t* SwarmText3D::GetIndices() const { return nullptr; }
const float* SwarmText3D::GetNormals() const { return nullptr; }
bool SwarmText3D::HasVertexColours() const { return !mUniform; }
const unsigned char* SwarmText3D::GetVertexColours() const { return mColours; }
uint32_t SwarmText3D::GetColour() const { return mColour; }
bool SwarmText3D::HasTexture() const { return true; }
bool SwarmText3D::HasTexCoords() const { return true; }
const int16_t* SwarmText3D::GetTexCoords() const { return mTexCoords; }
uint32_t SwarmText3D::GetTexture() const { return mTexture; }
