// The player's log, "Errorlog.txt" in the working directory, truncated at
// every start. Every diagnostic of the player and the plug-ins ends up here.
#pragma once

#include <cstdio>
#include <string>

// Opens (truncates) the log. When it cannot be opened the reason goes to
// standard error and WriteLog writes to standard error instead, so no
// diagnostic is lost. Returns false in that case.
bool OpenLog(const char* inPath);
// Opens "Errorlog.txt" in the working directory. Where it cannot be made
// there (an installed demo's folder is read-only), opens Errorlog.txt in the
// state folder (statefolder.h), making the folders, and says so on standard
// error in one line. Without either, WriteLog writes to standard error.
// Returns the path of the log, empty when none could be opened.
std::string OpenPlayerLog();
// Closes the log; later WriteLog calls go to standard error.
void CloseLog();
// The open log file, or null when none is open.
FILE* GetLogFile();

// Writes inText verbatim (no formatting) and flushes. The player's warning
// function and the HostTable's warn slot.
void WriteLog(const char* inText);
// printf-style convenience for the player's own lines; any length.
void WriteLogF(const char* inFormat, ...) __attribute__((format(printf, 1, 2)));
// The last non-empty line written, for authoring mode's display.
const std::string& LastLogLine();
