#include "tempfolder.h"

#include <cstdlib>
#include <filesystem>

TempFolder::TempFolder(const std::string& inPrefix) {
  std::string theTemplate = (std::filesystem::temp_directory_path() / (inPrefix + "XXXXXX")).string();
  if (mkdtemp(theTemplate.data())) mPath = theTemplate;
}

TempFolder::~TempFolder() {
  std::error_code theError;
  if (!mPath.empty() && !std::getenv("ZORBIT_KEEP_TEST_FOLDERS")) std::filesystem::remove_all(mPath, theError);
}
