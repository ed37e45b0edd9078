// GroupNode3D: holds other nodes for the current frame.
//
// AddChild appends a node (the same node may be added more than once and is
// then drawn more than once); Clear forgets them all. The group never owns,
// deletes or dereferences the nodes it holds except while a visitor walks
// it, so it is safe to Clear a group whose nodes were already deleted.
// The group's own matrix and position are ignored when it is drawn: children
// are placed in scene coordinates.
#pragma once

#include <cstddef>
#include <vector>

#include "node3d.h"

class GroupNode3D : public Node3D {
 public:
  GroupNode3D();
  ~GroupNode3D() override;

  int GetKind() const override;          // NODE_KIND_GROUP
  void Accept(Visitor3D& inVisitor) override;  // VisitGroup
  // Takes inChild for the current frame; false for null or the group itself.
  bool AddChild(Node3D* inChild) override;

  // Forgets every child without touching them.
  void Clear();
  std::size_t GetChildCount() const { return mChildren.size(); }
  // inIndex below GetChildCount().
  Node3D* GetChild(std::size_t inIndex) const;

 private:
  std::vector<Node3D*> mChildren;  // not owned
};
