// Files that plug-ins follow themselves in edit mode, so that a save of one
// changes the picture in place instead of reloading the document.
#pragma once

#include <cstdint>
#include <set>

struct Demo;

// The environment variable that tells plug-ins they run in edit mode.
constexpr const char* kEditModeVariable = "ZORBIT_EDIT";

// The text numbers of the shader files of Shader events (their first
// parameter, when it is a constant): shaders.so recompiles them on a save.
std::set<int32_t> TextsFollowedByPlugins(const Demo& inDemo);
