#include "shellrun.h"

#include <sys/wait.h>

#include <cstdio>

ShellRun RunShell(const std::string& inCommand) {
  ShellRun theRun;
  FILE* thePipe = popen((inCommand + " 2>&1").c_str(), "r");
  if (thePipe == nullptr) return theRun;
  char theChunk[4096];
  size_t theRead;
  while ((theRead = fread(theChunk, 1, sizeof theChunk, thePipe)) > 0) theRun.output.append(theChunk, theRead);
  const int theStatus = pclose(thePipe);
  theRun.status = WIFEXITED(theStatus) ? WEXITSTATUS(theStatus) : -1;
  return theRun;
}
