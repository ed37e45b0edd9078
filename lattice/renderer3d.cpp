#include <zorbit/lattice/renderer3d.h>

#include <GL/glew.h>

#include <cmath>
#include <vector>

#include <zorbit/lattice/axisnode3d.h>
#include <zorbit/lattice/groupnode3d.h>
#include <zorbit/oglstate.h>
#include <zorbit/lattice/poly3d.h>

namespace {

// The node's matrix and position as an OpenGL column-major 4 x 4 matrix.
void NodeMatrix(const Node3D& inNode, float* outMatrix16) {
  for (int c = 0; c < 3; ++c) {
    for (int r = 0; r < 3; ++r) outMatrix16[c * 4 + r] = inNode.mMatrix[r * 3 + c];
    outMatrix16[c * 4 + 3] = 0.0f;
  }
  outMatrix16[12] = inNode.mPosition[0];
  outMatrix16[13] = inNode.mPosition[1];
  outMatrix16[14] = inNode.mPosition[2];
  outMatrix16[15] = 1.0f;
}

bool IsBlendFactor(long inFactor) {
  switch (inFactor) {
    case GL_ZERO:
    case GL_ONE:
    case GL_SRC_COLOR:
    case GL_ONE_MINUS_SRC_COLOR:
    case GL_SRC_ALPHA:
    case GL_ONE_MINUS_SRC_ALPHA:
    case GL_DST_ALPHA:
    case GL_ONE_MINUS_DST_ALPHA:
    case GL_DST_COLOR:
    case GL_ONE_MINUS_DST_COLOR:
    case GL_SRC_ALPHA_SATURATE:
      return true;
    default:
      return false;
  }
}

// Draws a node's vertices in one call from client arrays. A glBegin/glEnd
// run is not drawn as one: the driver cuts it where its vertex buffer fills,
// and where that is depends on everything drawn before, in earlier frames
// too; a non-planar quad cut there comes out along its other diagonal, so
// the same node at the same time could differ by an edge pixel from frame
// to frame. Indices outside the vertices are left out, never read through.
// The scratch arrays are the renderer's, on the main thread.
void DrawArrays(int inPrimitive, int32_t inCount, const float* inVertices, const float* inNormals,
                const unsigned char* inColours, const int16_t* inTexCoords, float inTexScale, const int32_t* inIndices,
                int32_t inDrawCount) {
  static std::vector<float> gTexCoords;
  static std::vector<GLuint> gIndices;
  // Client arrays are read only with no vertex array object or buffer bound;
  // another plug-in's are put back afterwards.
  GLint theArrayObject = 0, theArrayBuffer = 0, theIndexBuffer = 0;
  if (glBindVertexArray) glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &theArrayObject);
  if (theArrayObject != 0) glBindVertexArray(0);
  if (glBindBuffer) {
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &theArrayBuffer);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &theIndexBuffer);
    if (theArrayBuffer != 0) glBindBuffer(GL_ARRAY_BUFFER, 0);
    if (theIndexBuffer != 0) glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  }
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, inVertices);
  if (inNormals != nullptr) {
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 0, inNormals);
  }
  if (inColours != nullptr) {
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, inColours);
  }
  if (inTexCoords != nullptr) {
    gTexCoords.resize(size_t(inCount) * 2);
    for (size_t i = 0; i < gTexCoords.size(); ++i) gTexCoords[i] = inTexCoords[i] / inTexScale;
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, 0, gTexCoords.data());
  }
  if (inIndices == nullptr) {
    glDrawArrays(GLenum(inPrimitive), 0, inCount);
  } else {
    gIndices.clear();
    for (int32_t i = 0; i < inDrawCount; ++i)
      if (inIndices[i] >= 0 && inIndices[i] < inCount) gIndices.push_back(GLuint(inIndices[i]));
    if (!gIndices.empty()) glDrawElements(GLenum(inPrimitive), GLsizei(gIndices.size()), GL_UNSIGNED_INT, gIndices.data());
  }
  glPopClientAttrib();
  if (theIndexBuffer != 0) glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, GLuint(theIndexBuffer));
  if (theArrayBuffer != 0) glBindBuffer(GL_ARRAY_BUFFER, GLuint(theArrayBuffer));
  if (theArrayObject != 0) glBindVertexArray(GLuint(theArrayObject));
}

}  // namespace

GLRenderer3D::GLRenderer3D(OGLState* inState) : mState(inState), mDrawnCount(0), mEye{0.0f, 0.0f, 0.0f} {}

GLRenderer3D::~GLRenderer3D() = default;

void GLRenderer3D::Adopt() {
  // This library carries its own copy of the tracker's functions (and so
  // its own current-tracker pointer); point it at the window's tracker.
  if (mState != nullptr) AttachState(mState);
}

void GLRenderer3D::Clear(bool inColour, bool inDepth, uint32_t inColour32) {
  if (!inColour && !inDepth) return;
  Adopt();
  // Only the viewport: the player's letterbox bars stay as they are. The
  // viewport in force is the tracker's, already in OpenGL's bottom-up rows.
  GLint theViewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, theViewport);
  glScissor(theViewport[0], theViewport[1], theViewport[2], theViewport[3]);
  glEnable(GL_SCISSOR_TEST);
  GLbitfield theMask = 0;
  if (inColour) {
    PushState(STATE_CLEAR_COLOR, int32_t(inColour32));
    PushState(STATE_COLOR_MASK, 15);
    theMask |= GL_COLOR_BUFFER_BIT;
  }
  if (inDepth) {
    PushState(STATE_DEPTH_MASK, 1);
    theMask |= GL_DEPTH_BUFFER_BIT;
  }
  glClear(theMask);
  if (inDepth) PopState(STATE_DEPTH_MASK);
  if (inColour) {
    PopState(STATE_COLOR_MASK);
    PopState(STATE_CLEAR_COLOR);
  }
  glDisable(GL_SCISSOR_TEST);
}

void GLRenderer3D::Render(GroupNode3D& inScene, const Camera3D& inCamera) {
  Adopt();
  mDrawnCount = 0;
  for (int i = 0; i < 3; ++i) mEye[i] = inCamera.mPosition[i];

  int theX, theY;
  unsigned theWidth, theHeight;
  GetViewport(theX, theY, theWidth, theHeight);
  double theBounds[6];
  MakeFrustum(inCamera, theHeight > 0 ? double(theWidth) / double(theHeight) : 1.0, theBounds);
  PushProjection(theBounds[0], theBounds[1], theBounds[2], theBounds[3], theBounds[4], theBounds[5], false);

  float theView[16];
  MakeViewMatrix(inCamera, theView);
  PushMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadMatrixf(theView);
  inScene.Accept(*this);
  glPopMatrix();
  PopMatrixMode();
  PopProjection();
}

void GLRenderer3D::VisitPoly(Poly3D& inPoly) {
  if (!inPoly.IsVisible()) return;
  const int32_t theCount = inPoly.GetVertexCount();
  const float* theVertices = inPoly.GetVertices();
  const int thePrimitive = inPoly.GetPrimitive();
  if (theCount <= 0 || theVertices == nullptr || thePrimitive < GL_POINTS || thePrimitive > GL_POLYGON) return;

  const int32_t theIndexCount = inPoly.GetIndexCount();
  const int32_t* theIndices = inPoly.GetIndices();
  const bool theIndexed = theIndexCount > 0 && theIndices != nullptr;
  const int32_t theDrawCount = theIndexed ? theIndexCount : theCount;

  const int16_t* theTexCoords = inPoly.GetTexCoords();
  const bool theTextured = inPoly.HasTexture() && inPoly.HasTexCoords() && theTexCoords != nullptr &&
                           inPoly.GetTextureType() == GL_TEXTURE_2D && inPoly.GetTexture() != 0;
  float theScale = inPoly.GetTexCoordScale();
  if (!(theScale > 0.0f) || !std::isfinite(theScale)) theScale = 1.0f;
  const unsigned char* theColours = inPoly.HasVertexColours() ? inPoly.GetVertexColours() : nullptr;
  const float* theNormals = inPoly.GetNormals();

  long theSrc = inPoly.GetBlendSrc(), theDst = inPoly.GetBlendDst();
  // A factor OpenGL would refuse would leave the tracker believing in a
  // blend function that is not in force.
  if (!IsBlendFactor(theSrc) || !IsBlendFactor(theDst)) {
    theSrc = GL_SRC_ALPHA;
    theDst = GL_ONE_MINUS_SRC_ALPHA;
  }
  const bool theBlend = inPoly.NeedsBlending();

  PushTexture2D(theTextured);
  if (theTextured) PushTextureUsed(inPoly.GetTexture());
  PushState(STATE_BLEND, theBlend ? 1 : 0);
  PushState(STATE_BLEND_SRC, int(theSrc));
  PushState(STATE_BLEND_DST, int(theDst));
  PushState(STATE_DEPTH_TEST, inPoly.IgnoresDepth() ? 0 : 1);
  PushState(STATE_DEPTH_MASK, 1);
  PushState(STATE_COLOR, int32_t(inPoly.GetColour()));

  const bool theWireframe = inPoly.IsWireframe();
  const int theLineWidth = inPoly.GetLineWidth();
  if (theWireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  if (theLineWidth > 1) glLineWidth(float(theLineWidth));
  float theNodeMatrix[16];
  NodeMatrix(inPoly, theNodeMatrix);
  if (thePrimitive == GL_POINTS) {
    const float theDelta[3] = {inPoly.mPosition[0] - mEye[0], inPoly.mPosition[1] - mEye[1],
                               inPoly.mPosition[2] - mEye[2]};
    const float theSize =
        inPoly.GetPointSize(std::sqrt(theDelta[0] * theDelta[0] + theDelta[1] * theDelta[1] + theDelta[2] * theDelta[2]));
    glPointSize(theSize > 0.0f && std::isfinite(theSize) ? theSize : 1.0f);
  }
  // A blended node drops its fully transparent fragments, so that the empty
  // parts of a glyph box neither show nor hide what is drawn after it.
  const bool theAlphaTest = inPoly.UsesAlphaTest() || theBlend;
  if (theAlphaTest) {
    glAlphaFunc(GL_GREATER, 0.0f);
    glEnable(GL_ALPHA_TEST);
  }

  glPushMatrix();
  glMultMatrixf(theNodeMatrix);
  DrawArrays(thePrimitive, theCount, theVertices, theNormals, theColours, theTextured ? theTexCoords : nullptr, theScale,
             theIndexed ? theIndices : nullptr, theDrawCount);
  if (theColours != nullptr) {
    // Colour arrays leave the current colour undefined: make it the one the
    // tracker holds again.
    const uint32_t c = inPoly.GetColour();
    glColor4d(((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0, (c >> 24) / 255.0);
  }
  glPopMatrix();

  if (theAlphaTest) glDisable(GL_ALPHA_TEST);
  if (thePrimitive == GL_POINTS) glPointSize(1.0f);
  if (theLineWidth > 1) glLineWidth(1.0f);
  if (theWireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  PopState(STATE_COLOR);
  PopState(STATE_DEPTH_MASK);
  PopState(STATE_DEPTH_TEST);
  PopState(STATE_BLEND_DST);
  PopState(STATE_BLEND_SRC);
  PopState(STATE_BLEND);
  if (theTextured) PopTextureUsed();
  PopTexture2D();
  ++mDrawnCount;
}

void GLRenderer3D::VisitAxis(AxisNode3D& inAxis) {
  float theNodeMatrix[16];
  NodeMatrix(inAxis, theNodeMatrix);
  PushTexture2D(false);
  PushState(STATE_BLEND, 0);
  PushState(STATE_DEPTH_TEST, 1);
  PushState(STATE_DEPTH_MASK, 1);
  PushState(STATE_COLOR, int32_t(inAxis.GetAxisColour(0)));
  glPushMatrix();
  glMultMatrixf(theNodeMatrix);
  glBegin(GL_LINES);
  for (int theAxis = 0; theAxis < 3; ++theAxis) {
    SetState(STATE_COLOR, int32_t(inAxis.GetAxisColour(theAxis)));
    float theEnd[3] = {0.0f, 0.0f, 0.0f};
    theEnd[theAxis] = AxisNode3D::kLength;
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3fv(theEnd);
  }
  glEnd();
  glPopMatrix();
  PopState(STATE_COLOR);
  PopState(STATE_DEPTH_MASK);
  PopState(STATE_DEPTH_TEST);
  PopState(STATE_BLEND);
  PopTexture2D();
  ++mDrawnCount;
}
