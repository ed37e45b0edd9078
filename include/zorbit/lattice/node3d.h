// Node3D: the base of every scene node.
//
// A node is placed by its public matrix and position, which effects write
// directly every frame: a model point v is shown at mMatrix * v + mPosition
// (row-major matrix, see lattice_math.h). Nodes are created with the global
// new by the effect that owns them and deleted by it through the virtual
// destructor; groups only hold them for one frame and never delete them.
//
// The virtual functions are declared in a fixed order that every module
// compiled against this header relies on; never insert one in the middle.
#pragma once

#include <cstdint>

class Visitor3D;
class RootNode3D;

// Answers of GetKind().
enum NodeKind3D : int {
  NODE_KIND_PLAIN = 0,  // a bare Node3D
  NODE_KIND_GROUP = 1,  // GroupNode3D / RootNode3D
  NODE_KIND_POLY = 2,   // any Poly3D
  NODE_KIND_AXIS = 3,   // AxisNode3D
};

class Node3D {
 public:
  // Identity matrix, position (0, 0, 0).
  Node3D();
  // Slot 1.
  virtual ~Node3D();

  // Slot 2: what the node is (NodeKind3D).
  virtual int GetKind() const;
  // Slot 3: calls the visitor's Visit function of this node's class.
  virtual void Accept(Visitor3D& inVisitor);
  // Slot 4: the scene root this node is, or null. Nodes join groups for one
  // frame only and keep no parent, so every node but a RootNode3D answers null.
  virtual RootNode3D* GetRoot();
  // Slot 5: OpenGL primitive of the node's vertices (GL_QUADS = 7, ...);
  // 0 (GL_POINTS) with no vertices for nodes that are not polygons.
  virtual int GetPrimitive() const;
  // Slot 6: x, y, z per vertex, or null.
  virtual const float* GetVertices() const;
  // Slot 7: a group takes inChild for the current frame and answers true;
  // every other node takes nothing and answers false.
  virtual bool AddChild(Node3D* inChild);

  Node3D(const Node3D&) = delete;
  Node3D& operator=(const Node3D&) = delete;

  float mMatrix[9];    // row-major 3 x 3, written by the owning effect
  float mPosition[3];  // x, y, z in scene units
};
