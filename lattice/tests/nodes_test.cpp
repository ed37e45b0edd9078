#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include <zorbit/lattice/axisnode3d.h>
#include "buffer.h"
#include <zorbit/lattice/flatoval3d.h>
#include <zorbit/lattice/groupnode3d.h>
#include <zorbit/lattice/poly3d.h>
#include <zorbit/lattice/rootnode3d.h>
#include <zorbit/lattice/visitor3d.h>

namespace {

// Counts how many times a node's destructor ran.
class CountedPoly : public Poly3D {
 public:
  explicit CountedPoly(int* ioDeaths) : mDeaths(ioDeaths) {}
  ~CountedPoly() override { ++*mDeaths; }
  int* mDeaths;
};

// Records the kind of every visited node in order.
class KindRecorder : public Visitor3D {
 public:
  std::string mSeen;
  void VisitNode(Node3D&) override { mSeen += 'n'; }
  void VisitPoly(Poly3D&) override { mSeen += 'p'; }
  void VisitAxis(AxisNode3D&) override { mSeen += 'a'; }
  void VisitGroup(GroupNode3D& inGroup) override {
    mSeen += '(';
    Visitor3D::VisitGroup(inGroup);
    mSeen += ')';
  }
};

TEST(Nodes, GroupHoldsForOneFrameAndNeverDeletes) {
  int theDeaths = 0;
  {
    RootNode3D theRoot;
    CountedPoly* thePoly = new CountedPoly(&theDeaths);
    AxisNode3D theAxis(0xFF8080FF, 0xFF80FF80, 0xFFFF8080);
    EXPECT_TRUE(theRoot.AddChild(thePoly));
    EXPECT_TRUE(theRoot.AddChild(&theAxis));
    EXPECT_TRUE(theRoot.AddChild(thePoly)) << "a node added twice is drawn twice";
    EXPECT_FALSE(theRoot.AddChild(nullptr));
    EXPECT_FALSE(theRoot.AddChild(&theRoot)) << "a group must refuse itself";
    EXPECT_EQ(3u, theRoot.GetChildCount());

    KindRecorder theRecorder;
    theRoot.Accept(theRecorder);
    EXPECT_EQ("(pap)", theRecorder.mSeen);

    // The owner deletes its node before the group is emptied: the group
    // must not touch it.
    delete thePoly;
    theRoot.Clear();
    EXPECT_EQ(0u, theRoot.GetChildCount());
    EXPECT_EQ(1, theDeaths);
  }
  EXPECT_EQ(1, theDeaths) << "the group deleted a node it only held";
}

TEST(Nodes, LeavesRefuseChildrenAndOnlyTheRootIsARoot) {
  Node3D theNode;
  Poly3D thePoly;
  AxisNode3D theAxis(1, 2, 3);
  GroupNode3D theGroup;
  RootNode3D theRoot;
  EXPECT_FALSE(theNode.AddChild(&thePoly));
  EXPECT_FALSE(thePoly.AddChild(&theNode));
  EXPECT_FALSE(theAxis.AddChild(&theNode));
  EXPECT_EQ(nullptr, thePoly.GetRoot());
  EXPECT_EQ(nullptr, theGroup.GetRoot());
  EXPECT_EQ(&theRoot, theRoot.GetRoot());
  EXPECT_EQ(NODE_KIND_POLY, thePoly.GetKind()) << "a polygon answers 2";
  EXPECT_EQ(NODE_KIND_GROUP, theRoot.GetKind());
  EXPECT_EQ(NODE_KIND_AXIS, theAxis.GetKind());
  // Axis colours are given z first.
  EXPECT_EQ(3u, theAxis.GetAxisColour(0));
  EXPECT_EQ(1u, theAxis.GetAxisColour(2));
  // A fresh node sits at the origin, unrotated.
  const float theIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(theIdentity[i], theNode.mMatrix[i]);
  for (float f : theNode.mPosition) EXPECT_EQ(0.0f, f);

  // A group nested in itself through another group must not recurse forever.
  GroupNode3D theOuter, theInner;
  theOuter.AddChild(&theInner);
  theInner.AddChild(&theOuter);
  KindRecorder theRecorder;
  theOuter.Accept(theRecorder);
  EXPECT_LT(theRecorder.mSeen.size(), 1000u);
}

TEST(Nodes, PolygonDefaultsAndBlending) {
  Poly3D thePoly;
  EXPECT_EQ(255, thePoly.GetOpacity());
  EXPECT_EQ(0xFFFFFFFFu, thePoly.GetColour());
  EXPECT_EQ(0, thePoly.GetVertexCount());
  EXPECT_EQ(GL_TEXTURE_2D, thePoly.GetTextureType());
  EXPECT_EQ(Poly3D::kDefaultTexCoordScale, thePoly.GetTexCoordScale());
  EXPECT_FLOAT_EQ(10.0f, thePoly.GetPointSize(123.0f));
  EXPECT_FALSE(thePoly.IsTransparant());
  EXPECT_TRUE(thePoly.NeedsBlending()) << "the default factors are source alpha / one minus source alpha";

  thePoly.SetBlendSrc(GL_ONE);
  thePoly.SetBlendDst(GL_ZERO);
  EXPECT_FALSE(thePoly.NeedsBlending()) << "one/zero replaces the frame buffer: no blending";
  thePoly.SetAttribute(42);
  EXPECT_EQ(42, thePoly.GetAttribute());

  const struct {
    long given, kept;
  } theOpacities[] = {{128, 128}, {300, 255}, {-5, 0}, {255, 255}, {0, 0}};
  for (const auto& c : theOpacities) {
    thePoly.SetOpacity(c.given);
    EXPECT_EQ(c.kept, thePoly.GetOpacity()) << "SetOpacity(" << c.given << ")";
    EXPECT_EQ(uint32_t(c.kept) << 24, thePoly.GetColour() & 0xFF000000u);
    EXPECT_EQ(c.kept < 255, thePoly.IsTransparant());
  }
}

TEST(Nodes, FlatOvalShape) {
  FlatOval3D theOval(40, 20, 15, 0.8f, 0xC0112233);
  ASSERT_EQ(4 * 15 + 2, theOval.GetVertexCount());
  EXPECT_EQ(GL_TRIANGLE_FAN, theOval.GetPrimitive());
  const float* v = theOval.GetVertices();
  EXPECT_EQ(0.0f, v[0]);
  EXPECT_EQ(0.0f, v[1]);
  // Rim: right, top, left, bottom on the axes; the last repeats the first.
  EXPECT_EQ(40.0f, v[3]);
  EXPECT_EQ(0.0f, v[4]);
  EXPECT_EQ(20.0f, v[(1 + 15) * 3 + 1]);
  EXPECT_EQ(-40.0f, v[(1 + 30) * 3]);
  EXPECT_EQ(-20.0f, v[(1 + 45) * 3 + 1]);
  EXPECT_EQ(v[3], v[61 * 3]);
  EXPECT_EQ(v[4], v[61 * 3 + 1]);
  // Roundness 0.8: a bulge beyond the ellipse, between it and the box.
  const float theDiagonal = std::pow(std::sqrt(0.5f), 0.8f);
  FlatOval3D theEven(100, 100, 2, 0.8f, 0);
  EXPECT_NEAR(100.0f * theDiagonal, theEven.GetVertices()[2 * 3], 1e-3f);
  EXPECT_GT(theEven.GetVertices()[2 * 3], 100.0f * std::sqrt(0.5f));
  FlatOval3D theCircle(100, 100, 2, 1.0f, 0);
  EXPECT_NEAR(100.0f * std::sqrt(0.5f), theCircle.GetVertices()[2 * 3 + 1], 1e-3f);
  for (int i = 0; i < theOval.GetVertexCount(); ++i) EXPECT_EQ(0.0f, v[i * 3 + 2]) << "vertex " << i << " is not flat";
}

TEST(Nodes, FlatOvalColourAndOddArguments) {
  FlatOval3D theOval(10, 10, 15, 0.8f, 0xC0112233);
  EXPECT_EQ(0xC0112233u, theOval.GetColour());
  theOval.SetOpacity(128);
  EXPECT_EQ(((0xC0u * 128u / 255u) << 24) | 0x112233u, theOval.GetColour());
  theOval.SetColour(0xFF445566);
  EXPECT_EQ(0x80445566u, theOval.GetColour());

  // Hostile arguments give a usable, finite polygon.
  FlatOval3D theOdd(-5, 1000000, -3, std::nanf(""), 0);
  EXPECT_EQ(6, theOdd.GetVertexCount()) << "segments are clamped to at least one per quarter";
  for (int i = 0; i < theOdd.GetVertexCount() * 3; ++i) EXPECT_TRUE(std::isfinite(theOdd.GetVertices()[i]));
  EXPECT_EQ(0.0f, theOdd.GetVertices()[3]) << "a negative extent counts as 0";
  FlatOval3D theHuge(1, 1, 1 << 30, 0.8f, 0);
  EXPECT_EQ(4 * 1024 + 2, theHuge.GetVertexCount());
}

TEST(Nodes, LibraryCarriesTheBufferClass) {
  Buffer theText("lattice");
  theText.Add(" buffer");
  EXPECT_STREQ("lattice buffer", theText.CStr());
}

}  // namespace
