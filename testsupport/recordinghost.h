// Test fixtures for plug-ins linked into the test (fonts.so, balloons.so): a
// real SDL 1.2 OpenGL window with the state tracker current, and a host
// table backed by a small resource registry that records what the plug-in
// asks of it, user data included.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "zorbit.h"

class OGLState;

// Opens the window once per test program (SDL_OPENGL, 256 x 256 pixels) and
// makes a tracker for it current. Safe to call from every test.
OGLState* OpenTestWindow();

// A registry good enough for one plug-in under test: texts by number,
// producers by kind in registration order, and a log of every call.
struct TestHost {
  struct Use {
    int32_t kind;
    int32_t nameIndex;
    void* userData;
    std::string requester;
    std::string kindName;
  };
  struct Release {
    int32_t kind;
    int32_t nameIndex;
    void* userData;
  };

  std::vector<std::string> texts;  // getText(i) and resource names
  std::vector<std::string> warnings;
  std::vector<Use> uses;
  std::vector<Release> releases;
  std::vector<std::pair<int32_t, std::pair<ProduceFunction, ReleaseFunction>>> kinds;
  void* table[HOST_SLOT_COUNT] = {};

  TestHost();   // installs itself as the current host (one at a time)
  ~TestHost();

  int32_t AddText(const std::string& inText);  // returns its number
  std::string AllWarnings() const;
  int32_t CountUses(int32_t inKind) const;
  int32_t CountReleases(int32_t inKind) const;
};
