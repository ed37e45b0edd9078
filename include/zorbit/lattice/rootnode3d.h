// RootNode3D: the top group of a scene, the one a renderer is given.
#pragma once

#include "groupnode3d.h"

class RootNode3D : public GroupNode3D {
 public:
  RootNode3D();
  ~RootNode3D() override;

  // This root.
  RootNode3D* GetRoot() override;
};
