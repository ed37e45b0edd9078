// A command line run through the shell, for tests of the project's programs.
#pragma once

#include <string>

struct ShellRun {
  int status = -1;     // the exit status; -1 when it did not exit (a signal) or could not start
  std::string output;  // standard output and error together
};

// Runs inCommand with its standard error sent where its output goes.
ShellRun RunShell(const std::string& inCommand);
