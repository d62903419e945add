// Web-hosted packages: source folder, local copy path, URL, file-name check, download question.
#include <gtest/gtest.h>

#include "launcher/web_package.h"
#include "ui/lang_defaults.h"

namespace vx {
namespace {

TEST(WebPackage, SourceFolder) {
  struct Case {
    bool noLocal, localCopy;
    const char* source;
  } cases[] = {
      {false, false, "http://h/app"},
      {false, true, "C:\\Setup Files"},
      {true, true, "http://h/app"},  // WebNoLocal: always the web folder
      {true, false, "http://h/app"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.noLocal << c.localCopy);
    EXPECT_EQ(WebSourceFolder("http://h/app", "C:\\Setup Files", c.noLocal, c.localCopy), c.source);
  }
  EXPECT_EQ(WebPackageUrl("http://h/app", "full.exe"), "http://h/app/full.exe");
  EXPECT_EQ(LocalCopyPath("C:\\Setup Files", "full.exe"), "C:\\Setup Files\\full.exe");
  // A URL folder never names an existing file: backslash after "http:".
  EXPECT_EQ(LocalCopyPath("http://h/app", "full.exe"), "http://h/app\\full.exe");
}

TEST(WebPackage, OnlyPlainFileNamesAreSavedInTheTemporaryFolder) {
  struct Case {
    const char* name;
    bool plain;
  } cases[] = {{"setup.exe", true},      {"My Setup 2.exe", true}, {"", false},         {".", false},
               {"..", false},            {"..\\x.exe", false},     {"a/b.exe", false},  {"C:x.exe", false},
               {"\\\\srv\\x.exe", false}, {"...", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsPlainFileName(c.name), c.plain);
  }
}

TEST(WebPackage, DownloadQuestionShowsTheSizeInMegabytes) {
  const std::string question = LanguageDefault("s11");
  struct Case {
    const char* sizeText;
    const char* shown;
  } cases[] = {
      {"5242880", "Size: 5.00 MB"}, {"12446441", "Size: 11.9 MB"}, {"1000", "Size: 0.001 MB"},
      {"", "Size: 0.000 MB"},       {"abc", "Size: 0.000 MB"},     {"0x500000", "Size: 0.000 MB"},
      {" 5242880 ", "Size: 5.00 MB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sizeText);
    const std::string text = AskDownloadText(question, c.sizeText);
    EXPECT_NE(text.find(c.shown), std::string::npos) << text;
    EXPECT_EQ(text.find("<SIZE>"), std::string::npos);
    EXPECT_EQ(text.compare(0, 26, "<b>INTERNET DOWNLOAD</b><p"), 0);
  }
}

}  // namespace
}  // namespace vx
