#include "font3d.h"

#include <GL/gl.h>

#include <cstring>

Font3D::Font3D(const ResourceFont& inFont, const char* inText, int32_t inRed, int32_t inGreen, int32_t inBlue)
    : mVertexCount(0),
      mTexture(inFont.texture),
      mVertices(nullptr),
      mTexCoords(nullptr),
      mColour(uint32_t(inRed) * 65536u + uint32_t(inGreen) * 256u + uint32_t(inBlue)),
      mZeroCount(0) {
  const char* theText = inText ? inText : "";
  const size_t theLength = strlen(theText);
  int32_t theVisible = 0;
  for (size_t i = 0; i < theLength; ++i) theVisible += IsVisibleCharacter(static_cast<unsigned char>(theText[i]));
  if (theVisible == 0) return;
  mVertexCount = 4 * theVisible;
  mVertices = new float[size_t(mVertexCount) * 3];
  mTexCoords = new int16_t[size_t(mVertexCount) * 2];

  const int32_t theWidth = GetStringPixels(inFont, theText, 0, int32_t(theLength));
  int64_t thePen = -int64_t(theWidth / 2) * 64;  // 26.6 fixed point pixels
  const float theScale = GetTexCoordScale();
  float* theVertex = mVertices;
  int16_t* theCoord = mTexCoords;
  for (size_t i = 0; i < theLength; ++i) {
    const unsigned char c = static_cast<unsigned char>(theText[i]);
    if (IsVisibleCharacter(c)) {
      // Whole pixels: the pen's 26.6 value shifted right (rounding down).
      const float x0 = float((thePen >> 6) + inFont.left[c]);
      const float y0 = float(inFont.top[c]);
      const float x1 = x0 + float(inFont.width[c]);
      const float y1 = float(inFont.top[c] - inFont.height[c]);
      const float theCorners[12] = {x0, y0, 0.0f, x1, y0, 0.0f, x1, y1, 0.0f, x0, y1, 0.0f};
      memcpy(theVertex, theCorners, sizeof(theCorners));
      theVertex += 12;
      const int16_t s0 = AtlasTexCoord(inFont.glyphX[c], theScale, inFont.atlasWidth);
      const int16_t s1 = AtlasTexCoord(inFont.glyphX[c] + inFont.width[c], theScale, inFont.atlasWidth);
      const int16_t t0 = AtlasTexCoord(inFont.glyphY[c], theScale, inFont.atlasHeight);
      const int16_t t1 = AtlasTexCoord(inFont.glyphY[c] + inFont.height[c], theScale, inFont.atlasHeight);
      const int16_t theCoords[8] = {s0, t0, s1, t0, s1, t1, s0, t1};
      memcpy(theCoord, theCoords, sizeof(theCoords));
      theCoord += 8;
    }
    thePen += inFont.advance[c] >> 10;
  }
}

Font3D::~Font3D() {
  delete[] mVertices;
  delete[] mTexCoords;
}

int Font3D::GetPrimitive() const { return GL_QUADS; }
const float* Font3D::GetVertices() const { return mVertices; }
bool Font3D::IsWireframe() const { return false; }
bool Font3D::IsVisible() const { return true; }
int32_t& Font3D::GetVertexCount() { return mVertexCount; }
int32_t& Font3D::GetIndexCount() {
  mZeroCount = 0;
  return mZeroCount;
}
const int32_t* Font3D::GetIndices() const { return nullptr; }
const float* Font3D::GetNormals() const { return nullptr; }
bool Font3D::HasVertexColours() const { return false; }
const unsigned char* Font3D::GetVertexColours() const { return nullptr; }
uint32_t Font3D::GetColour() const { return uint32_t(mOpacity) * 16777216u + mColour; }
bool Font3D::HasTexture() const { return true; }
bool Font3D::HasTexCoords() const { return true; }
const int16_t* Font3D::GetTexCoords() const { return mTexCoords; }
uint32_t Font3D::GetTexture() const { return mTexture; }
void Font3D::SetColour(unsigned long inColour) { mColour = uint32_t(inColour); }
