// What every program of the project says for --version and for a command
// line it does not understand, so that they all read alike.
#pragma once

#include <string>

// "NAME (zorbit) VERSION" on standard output.
void PrintVersion(const char* inProgram);
// "NAME: PROBLEM" and the one-line hint "Try 'NAME --help' for more
// information." on standard error. Returns 2, the exit status of bad usage.
int UsageError(const char* inProgram, const std::string& inProblem);
