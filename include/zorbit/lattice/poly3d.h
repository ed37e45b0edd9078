// Poly3D: a polygon node, drawn by the renderer as its virtual queries report.
//
// A derived node (FlatOval3D, the text nodes of the fonts plug-in, the grid
// mesh of the scene plug-in) fills in the queries it needs; the defaults
// describe an empty, untextured, white polygon.
//
// Virtual slot order (after Node3D's slots 1 to 7, see node3d.h). Modules
// built against this header override these by name; the order is fixed:
//   8  IsWireframe        false: draw the polygons' outlines only when true
//   9  IsVisible          true: the renderer skips a node answering false
//   10 GetVertexCount     by reference
//   11 GetIndexCount      by reference; 0 draws the vertices in order
//   12 GetIndices         GetIndexCount vertex indices (int32), or null; an
//                         index outside the vertices is skipped when drawn
//   Arrays hold GetVertexCount entries (3 floats, 2 int16 or 4 bytes each).
//   13 GetNormals         x, y, z per vertex, or null
//   14 IgnoresDepth       false: drawn without depth test when true (overlays)
//   15 HasVertexColours   false
//   16 GetVertexColours   4 bytes per vertex: red, green, blue, alpha
//   17 GetColour          uniform colour 0xAARRGGBB, opacity folded into alpha
//   18 GetLineWidth       0: line width in pixels for wireframes, 0 meaning 1
//   19 HasTexture         false
//   20 HasTexCoords       false
//   21 GetTexCoords       s, t per vertex as int16, in units of 1/GetTexCoordScale
//   22 GetTexture         OpenGL texture name
//   23 GetTextureType     OpenGL texture target: GL_TEXTURE_2D (0x0DE1)
//   24 GetTexCoordScale   mTexCoordScale
//   25 UsesAlphaTest      false: when true, fully transparent fragments are
//                         dropped, so they hide nothing behind them (the
//                         renderer does so anyway for every blended node)
//   26 GetPointSize(d)    10.0: point size in pixels for GL_POINTS at camera
//                         distance d (scene units)
//   27 IsTransparant      opacity below 255
//   28 NeedsBlending      blend factors other than (GL_ONE, GL_ZERO)
//   29 GetAttribute, 30 GetBlendSrc, 31 GetBlendDst
//   32 SetOpacity         clamps to 0..255
//   33 SetAttribute, 34 SetBlendSrc, 35 SetBlendDst
// A derived class that adds a colour setter declares it next (slot 36).
//
// The attribute is a free tag for the owning effect; lattice never reads it.
#pragma once

#include <cstdint>

#include "node3d.h"

class Poly3D : public Node3D {
 public:
  // Opacity 255, attribute 0, blending GL_SRC_ALPHA / GL_ONE_MINUS_SRC_ALPHA
  // (770 / 771), texture-coordinate scale kDefaultTexCoordScale.
  Poly3D();
  ~Poly3D() override;

  // Texture coordinates are stored as int16 = coordinate * scale; 16384
  // covers coordinates from -2 to 2 at 1/16384 steps.
  static constexpr float kDefaultTexCoordScale = 16384.0f;

  int GetKind() const override;                // NODE_KIND_POLY
  void Accept(Visitor3D& inVisitor) override;  // VisitPoly
  int GetPrimitive() const override;           // GL_TRIANGLES (4)
  const float* GetVertices() const override;   // null
  bool AddChild(Node3D* inChild) override;     // false

  virtual bool IsWireframe() const;                     // 8
  virtual bool IsVisible() const;                       // 9
  virtual int32_t& GetVertexCount();                    // 10
  virtual int32_t& GetIndexCount();                     // 11
  virtual const int32_t* GetIndices() const;            // 12
  virtual const float* GetNormals() const;              // 13
  virtual bool IgnoresDepth() const;                    // 14
  virtual bool HasVertexColours() const;                // 15
  virtual const unsigned char* GetVertexColours() const;  // 16
  virtual uint32_t GetColour() const;                   // 17: opacity * 2^24 + 0xFFFFFF
  virtual int GetLineWidth() const;                     // 18
  virtual bool HasTexture() const;                      // 19
  virtual bool HasTexCoords() const;                    // 20
  virtual const int16_t* GetTexCoords() const;          // 21
  virtual uint32_t GetTexture() const;                  // 22
  virtual int GetTextureType() const;                   // 23
  virtual float GetTexCoordScale() const;               // 24
  virtual bool UsesAlphaTest() const;                   // 25
  virtual float GetPointSize(float inDistance) const;   // 26
  virtual bool IsTransparant() const;                   // 27
  virtual bool NeedsBlending() const;                   // 28
  virtual long GetAttribute() const;                    // 29
  virtual long GetBlendSrc() const;                     // 30
  virtual long GetBlendDst() const;                     // 31
  virtual void SetOpacity(long inOpacity);              // 32
  virtual void SetAttribute(long inAttribute);          // 33
  virtual void SetBlendSrc(long inFactor);              // 34: an OpenGL enumerant
  virtual void SetBlendDst(long inFactor);              // 35

  long GetOpacity() const { return mOpacity; }

 protected:
  long mOpacity;          // 0..255
  long mAttribute;
  long mBlendSrc;         // OpenGL blend factor enumerant
  long mBlendDst;
  float mTexCoordScale;   // see GetTexCoords

 private:
  int32_t mNoCount;       // what the default count queries answer: always 0
};
