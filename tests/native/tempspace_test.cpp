// Space question, megabyte figures, alternative drive choice, force-prompt value, disk prompt.
#include <gtest/gtest.h>

#include "fake_platform.h"
#include "launcher/tempspace.h"
#include "system/debug.h"
#include "ui/lang_defaults.h"
#include "ui/language.h"

namespace vx {
namespace {

TEST(MbText, Examples) {
  struct Case {
    double bytes;
    const char* text;
  } cases[] = {
      {12446441, "11.9"}, {1048576, "1.00"}, {1000, "0.001"}, {0, "0.000"}, {-5, "0.000"},
      {10485760, "10.00"},  // exactly 10 MB is not above 10
      {10485761 * 100.0, "1000.0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(MbText(c.bytes), c.text);
  }
}

class RecordingAsker : public SpaceAsker {
 public:
  bool answer = true;
  std::vector<vx::String> asked;  // text, caption, buttons
  bool Ask(const vx::String& text, const vx::String& caption, const vx::String& buttons) override {
    asked = {text, caption, buttons};
    return answer;
  }
};

const char kFigures[] =
    "<P>Estimated space required on your Temp drive is: <T>  11.9 MB<P>"
    "Free space available on your Temp drive is: <T>  11.9 MB<P>"
    "<P>Continue with Setup?<P>";

TEST(ConfirmTempSpace, QuestionAssembly) {
  ResetLanguageSelection();
  struct Case {
    const char* what;
    double available;
    bool confirm;
    bool answer;
    std::string question;  // empty: no question
    bool result;
  } cases[] = {
      {"equal is not enough", 12446441, false, true,
       std::string("Limited Free Space on your Temp Drive! (C:)<P>") + kFigures, true},
      {"not enough replaces the confirm text", 12446441, true, false,
       std::string("Limited Free Space on your Temp Drive! (C:)<P>") + kFigures, false},
      {"confirm flag with room", 1e12, true, true,
       "Vornix will extract files to your Temp Drive (C:)<P><P>Estimated space required on your Temp drive is: "
       "<T>  11.9 MB<P>Free space available on your Temp drive is: <T>  953674.3 MB<P><P>Continue with Setup?<P>",
       true},
      {"room and no flag", 1e12, false, false, "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingAsker asker;
    asker.answer = c.answer;
    vxtest::FakePlatform platform;
    const bool r = ConfirmTempSpaceWith("c:\\users\\me\\Temp\\SETUP_1", 12446441, c.available, c.confirm, "",
                                        asker);
    EXPECT_EQ(r, c.result);
    if (c.question.empty()) {
      EXPECT_TRUE(asker.asked.empty());
    } else {
      ASSERT_EQ(asker.asked.size(), 3u);
      EXPECT_EQ(asker.asked[0], c.question);
      EXPECT_EQ(asker.asked[1], "Confirm");
      EXPECT_EQ(asker.asked[2], "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|");
    }
    EXPECT_EQ(platform.Trace(), "SpaceReq= 1.24464410000000E+0007\nSpaceAvail=" + DbgFloat(c.available) +
                           "\nConfirmExtract=" + (c.confirm ? "TRUE" : "FALSE") + "\n");
  }
}

TEST(ConfirmTempSpace, TranslatedTextsGetTheirPlaceholders) {
  vxtest::FakePlatform platform;
  platform.localeId = 9;
  ResetLanguageSelection();
  const std::string block =
      "#|English|s3=Low <DRIVE> <DRIVE>|s4= need <SPACE_REQ>|s5= have <SPACE_AVAIL>|s6=?|Confirm=Sure|#";
  EXPECT_EQ(SpaceQuestion("d:\\t", 2097152, 1048576, false, block), "Low D: D: need 2.00 have 1.00?");
  RecordingAsker asker;
  ConfirmTempSpaceWith("d:\\t", 2097152, 1048576, false, block, asker);
  ASSERT_EQ(asker.asked.size(), 3u);
  EXPECT_EQ(asker.asked[1], "Sure");
  ResetLanguageSelection();
}

TEST(AlternativeDrive, MostRoomOnAnotherDrive) {
  struct Case {
    const char* what;
    double c, d, e;
    char temp;
    char pick;
  } cases[] = {
      {"temp on D with most room keeps it", 10, 50, 20, 'D', 0},
      {"D has most room", 10, 50, 20, 'C', 'D'},
      {"ties keep the earlier drive", 50, 50, 50, 'E', 'C'},
      {"unrecorded drives never win", -1, -1, 5, 'c', 'E'},
      {"no drive recorded", -1, -1, -1, 'C', 0},
      {"no room anywhere", 0, 0, 0, 'C', 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const double recorded[3] = {c.c, c.d, c.e};
    EXPECT_EQ(AlternativeDrive(recorded, c.temp), c.pick);
  }
}

TEST(ForcePrompt, OnlyOneForces) {
  EXPECT_TRUE(ForcePromptValue("1"));
  for (const char* v : {"0", "01", "true", " 1", "", "1 "}) {
    SCOPED_TRACE(v);
    EXPECT_FALSE(ForcePromptValue(v));
  }
  EXPECT_STREQ(kSpanDiskKey, "HKEY_CURRENT_USER\\Software\\Brevanto\\Vornix\\SpanDisk");
}

TEST(DiskPromptTexts, DefaultsAndTranslation) {
  // The texts of the next-disk question: "s8", "Attention" and the entry's charset.
  ResetLanguageSelection();
  EXPECT_EQ(LauncherText("", "s8"), "Please insert <B>DISK #<DISK_NUM></B> and press OK to continue");
  EXPECT_EQ(LauncherText("", "Attention"), "Attention");
  EXPECT_EQ(LanguageCharset(""), 0);
  vxtest::FakePlatform platform;
  platform.localeId = 9;
  ResetLanguageSelection();
  const std::string block = "#|English|s8=Disk <DISK_NUM>!|Attention=Achtung|Charset=177|#";
  EXPECT_EQ(LauncherText(block, "s8"), "Disk <DISK_NUM>!");
  EXPECT_EQ(LauncherText(block, "Attention"), "Achtung");
  EXPECT_EQ(LanguageCharset(block), 177);
  ResetLanguageSelection();
}

}  // namespace
}  // namespace vx
