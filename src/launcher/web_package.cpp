// Web-hosted packages: source folder, URL, local copy and the download question.
#include "launcher/web_package.h"

#include "launcher/tempspace.h"
#include "text/utils.h"

namespace vx {

const char* const kBadSecretToken = "Bad Secret Token!";

String WebSourceFolder(const String& webFolder, const String& ownFolder, bool noLocal,
                       bool localCopyExists) {
  return !noLocal && localCopyExists ? ownFolder : webFolder;
}

namespace {

// folder, separator, fileName: built in one text, with no temporary to move and destroy.
String Joined(const String& folder, char separator, const String& fileName) {
  String path = folder;
  path += separator;
  path += fileName;
  return path;
}

}  // namespace

String WebPackageUrl(const String& folder, const String& fileName) { return Joined(folder, '/', fileName); }

String LocalCopyPath(const String& folder, const String& fileName) { return Joined(folder, '\\', fileName); }

bool IsPlainFileName(const String& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/:") == String::npos;
}

String AskDownloadText(const String& question, const String& sizeText) {
  int64_t size = 0;
  const String t = Trim(sizeText);
  // Digits only (an empty text does not convert).
  if (t.find_first_not_of("0123456789") != String::npos || !TextToInt64(t, size)) size = 0;
  return ReplaceAll(question, "<SIZE>", MbText(static_cast<double>(size)));
}

}  // namespace vx
