#include "grouptable.h"

GroupTable::~GroupTable() { DeleteAll(); }

RootNode3D* GroupTable::Use(const std::string& inName) {
  auto theFound = mGroups.find(inName);
  if (theFound != mGroups.end()) {
    ++theFound->second.mUses;
    return theFound->second.mGroup;
  }
  RootNode3D* theGroup = new RootNode3D();
  mGroups.emplace(inName, Entry{theGroup, 1});
  return theGroup;
}

void GroupTable::Drop(const std::string& inName) {
  auto theFound = mGroups.find(inName);
  if (theFound == mGroups.end()) return;
  if (--theFound->second.mUses > 0) return;
  delete theFound->second.mGroup;
  mGroups.erase(theFound);
}

RootNode3D* GroupTable::Find(const std::string& inName) const {
  auto theFound = mGroups.find(inName);
  return theFound == mGroups.end() ? nullptr : theFound->second.mGroup;
}

void GroupTable::ClearAll() {
  for (auto& theEntry : mGroups) theEntry.second.mGroup->Clear();
}

void GroupTable::DeleteAll() {
  for (auto& theEntry : mGroups) delete theEntry.second.mGroup;
  mGroups.clear();
}
