// Test support: whole files as strings, byte for byte.
#pragma once

#include <string>

// The whole file; empty when it is missing or unreadable.
std::string ReadFile(const std::string& inPath);
// Replaces the file with inText; a folder that does not exist is not made.
void WriteFile(const std::string& inPath, const std::string& inText);
