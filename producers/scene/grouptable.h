// The named 3D groups of scene.so: one RootNode3D per name, made by the
// Scene3D events that name it and shared by all of them (counted), found by
// the 3DWR producer, emptied after drawing and at the start of every frame.
#pragma once

#include <map>
#include <string>

#include <zorbit/lattice/rootnode3d.h>

class GroupTable {
 public:
  GroupTable() = default;
  ~GroupTable();
  GroupTable(const GroupTable&) = delete;
  GroupTable& operator=(const GroupTable&) = delete;

  // The group of inName, made on the first use; every use needs a Drop.
  RootNode3D* Use(const std::string& inName);
  // Ends one use; the last one deletes the group (never its nodes).
  void Drop(const std::string& inName);
  // The group of inName, or null.
  RootNode3D* Find(const std::string& inName) const;
  // Empties every group (forgets the nodes without touching them).
  void ClearAll();
  // Deletes every group.
  void DeleteAll();
  size_t GetCount() const { return mGroups.size(); }

 private:
  struct Entry {
    RootNode3D* mGroup;
    int mUses;
  };
  std::map<std::string, Entry> mGroups;
};
