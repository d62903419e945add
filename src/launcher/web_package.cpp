// Web-hosted packages: source folder, URL, local copy and the download question.
#include "launcher/web_package.h"

#include "env/utils.h"
#include "launcher/tempspace.h"

namespace vx {

const char* const kBadSecretToken = "Bad Secret Token!";

std::string WebSourceFolder(const std::string& webFolder, const std::string& ownFolder, bool noLocal,
                            bool localCopyExists) {
  return !noLocal && localCopyExists ? ownFolder : webFolder;
}

std::string WebPackageUrl(const std::string& folder, const std::string& fileName) { return folder + "/" + fileName; }

std::string LocalCopyPath(const std::string& folder, const std::string& fileName) { return folder + "\\" + fileName; }

bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/:") == std::string::npos;
}

std::string AskDownloadText(const std::string& question, const std::string& sizeText) {
  int64_t size = 0;
  const std::string t = Trim(sizeText);
  const bool decimal = !t.empty() && t.find_first_not_of("0123456789") == std::string::npos;
  if (!decimal || !TextToInt64(t, size)) size = 0;
  return ReplaceAll(question, "<SIZE>", MbText(static_cast<double>(size)));
}

}  // namespace vx
