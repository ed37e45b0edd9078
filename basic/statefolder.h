// The user's own folder for what the programs keep between runs (the setup
// window's last choices, a log that has nowhere else to go), after the XDG
// base-directory rules.
#pragma once

#include <string>

// "$XDG_STATE_HOME/zorbit"; when XDG_STATE_HOME is unset, empty or not an
// absolute path, "$HOME/.local/state/zorbit" (HOME from the password
// database when the environment has none). Empty when no absolute folder can
// be named. The folder may not exist yet.
std::string StateFolder();

// Makes inPath and every missing parent; new folders get mode 0700, as the
// rules ask for. False with the reason in outError when a part cannot be
// made or is not a folder.
bool MakeFolders(const std::string& inPath, std::string& outError);
