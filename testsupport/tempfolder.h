// Test support: a folder of a test's own, for the files it writes.
#pragma once

#include <string>

// Makes a new folder named inPrefix plus six random characters in the
// system's temporary folder; removes it with everything in it when the
// object goes, unless ZORBIT_KEEP_TEST_FOLDERS is set (to look at what a
// failing test left there).
class TempFolder {
 public:
  explicit TempFolder(const std::string& inPrefix);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Empty when the folder could not be made.
  const std::string& Path() const { return mPath; }

 private:
  std::string mPath;
};
