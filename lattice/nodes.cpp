// Node3D, the group nodes and the default visitor.
#include <zorbit/lattice/groupnode3d.h>
#include <zorbit/lattice/lattice_math.h>
#include <zorbit/lattice/node3d.h>
#include <zorbit/lattice/rootnode3d.h>
#include <zorbit/lattice/visitor3d.h>
#include "zassert.h"

Node3D::Node3D() : mPosition{0.0f, 0.0f, 0.0f} { make_identity_mat(mMatrix); }
Node3D::~Node3D() = default;
int Node3D::GetKind() const { return NODE_KIND_PLAIN; }
void Node3D::Accept(Visitor3D& inVisitor) { inVisitor.VisitNode(*this); }
RootNode3D* Node3D::GetRoot() { return nullptr; }
int Node3D::GetPrimitive() const { return 0; }
const float* Node3D::GetVertices() const { return nullptr; }
bool Node3D::AddChild(Node3D*) { return false; }

GroupNode3D::GroupNode3D() = default;
GroupNode3D::~GroupNode3D() = default;
int GroupNode3D::GetKind() const { return NODE_KIND_GROUP; }
void GroupNode3D::Accept(Visitor3D& inVisitor) { inVisitor.VisitGroup(*this); }

bool GroupNode3D::AddChild(Node3D* inChild) {
  if (inChild == nullptr || inChild == this) return false;
  mChildren.push_back(inChild);
  return true;
}

void GroupNode3D::Clear() { mChildren.clear(); }

Node3D* GroupNode3D::GetChild(std::size_t inIndex) const {
  Z_ASSERT(inIndex < mChildren.size() && "GroupNode3D::GetChild: index out of range");
  return mChildren[inIndex];
}

RootNode3D::RootNode3D() = default;
RootNode3D::~RootNode3D() = default;
RootNode3D* RootNode3D::GetRoot() { return this; }

Visitor3D::~Visitor3D() = default;
void Visitor3D::VisitNode(Node3D&) {}
void Visitor3D::VisitPoly(Poly3D&) {}
void Visitor3D::VisitAxis(AxisNode3D&) {}

void Visitor3D::VisitGroup(GroupNode3D& inGroup) {
  // A group inside itself (through another group) would recurse forever.
  static int gDepth = 0;
  if (gDepth >= 64) return;
  ++gDepth;
  for (std::size_t i = 0; i < inGroup.GetChildCount(); ++i) inGroup.GetChild(i)->Accept(*this);
  --gDepth;
}
