// Visitor over scene nodes: a node's Accept calls the Visit function of its
// own class, so a renderer (or any other walk) sees each node as what it is.
#pragma once

class Node3D;
class GroupNode3D;
class Poly3D;
class AxisNode3D;

class Visitor3D {
 public:
  virtual ~Visitor3D();

  // A plain Node3D (nothing to draw).
  virtual void VisitNode(Node3D& inNode);
  // A group or a root: the default visits every child in the order added.
  virtual void VisitGroup(GroupNode3D& inGroup);
  // Any polygon node (Poly3D, FlatOval3D and the plug-ins' text nodes).
  virtual void VisitPoly(Poly3D& inPoly);
  // An axis cross.
  virtual void VisitAxis(AxisNode3D& inAxis);
};
