// Language texts: entry selection for the locale and key lookup with defaults.
#include <gtest/gtest.h>

#include "fake_platform.h"
#include "text/utils.h"
#include "ui/lang_defaults.h"
#include "ui/language.h"
#include "ui/msgbox_buttons.h"
#include "work_count.h"

namespace vx {
namespace {

constexpr uint32_t kGerman = 0x0407;
constexpr uint32_t kSerbianLatin = 0x081A;
constexpr uint32_t kFrench = 0x040C;

// The locale comes from a fake platform; a fresh selection is left behind for the other tests.
class Language : public ::testing::Test {
 protected:
  void TearDown() override { ResetLanguageSelection(); }

  // Each lookup starts a fresh process-wide selection for the given locale.
  std::string Lookup(const std::string& table, uint32_t locale, const std::string& key) {
    platform_.localeId = locale;
    ResetLanguageSelection();
    return LanguageText(table, key, "<default>");
  }

  vxtest::FakePlatform platform_;
};

TEST_F(Language, SelectionAndLookup) {
  struct Case {
    const char* name;
    const char* table;
    uint32_t locale;
    const char* key;
    const char* expected;
  } const cases[] = {
      {"empty table", "#", kGerman, "s0", "<default>"},
      {"no table at all", "", kGerman, "s0", "<default>"},
      {"single entry of another language", "#|Klingon|s0=Qapla|#", kGerman, "s0", "Qapla"},
      {"locale entry", "#|English|s0=Hello|#|German|s0=Hallo|#", kGerman, "s0", "Hallo"},
      {"name in any case, trimmed", "#|English|s0=Hello|#| german |s0=Hallo|#", kGerman, "s0", "Hallo"},
      {"English fallback", "#|English|s0=Hello|#|French|s0=Bonjour|#", kGerman, "s0", "Hello"},
      {"no English, two others", "#|Italian|s0=Ciao|#|French|s0=Bonjour|#", kGerman, "s0", "<default>"},
      {"Serbian chooses Croatian", "#|English|s0=Hello|#|Croatian|s0=Zdravo|#", kSerbianLatin, "s0", "Zdravo"},
      {"locale 0 means English", "#|French|s0=Bonjour|#|English|s0=Hello|#", 0, "s0", "Hello"},
      {"blank before =", "#|French|s7 =Mauvais|#", kFrench, "s7", "Mauvais"},
      {"blank after separator", "#|French| s7=Mauvais|#", kFrench, "s7", "Mauvais"},
      {"empty value is not the default", "#|French|s7=|s8=x|#", kFrench, "s7", ""},
      {"key case", "#|French|S7=Grand|#", kFrench, "s7", "Grand"},
      {"missing key", "#|French|s7=x|#", kFrench, "s8", "<default>"},
      {"key with =", "#|French|s7=x|#", kFrench, "s7=", "x"},
      {"key prefix does not match", "#|French|s10=dix|#", kFrench, "s1", "<default>"},
      {"value list with its own separator", "#|English|BtnText=;Ok;Nope;|#", kFrench, "BtnText", ";Ok;Nope;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Lookup(c.table, c.locale, c.key), c.expected);
  }
}

// A package may hold tens of thousands of entries (a 120 KB table of 30,000 passes the checks):
// the first lookup, which chooses the entry, costs work in proportion to the table. Reading
// every entry from the start of the table cost the square of it (the window caption of such a
// package took 40 s).
TEST_F(Language, ChoosingAnEntryCostsWorkInProportionToTheTable) {
  auto table = [](int n) {
    std::string t = "#";
    for (int i = 0; i < n; ++i) t += "|Lang" + std::to_string(i) + "|s0=x|#";
    return t + "|German|s0=Hallo|#";
  };
  EXPECT_EQ(Lookup(table(3), kGerman, "s0"), "Hallo");
  platform_.localeId = kGerman;
  vxtest::ExpectLinearWork(
      [&](int n) {
        const String t = table(n);
        ResetLanguageSelection();
        EXPECT_EQ(LanguageText(t, "s0", "<default>"), "Hallo");
      },
      3000);
}

TEST_F(Language, SelectionIsKeptForTheProcess) {
  platform_.localeId = kFrench;
  ResetLanguageSelection();
  EXPECT_EQ(LanguageText("#|French|s0=Un|#", "s0", "?"), "Un");
  EXPECT_EQ(LanguageText("#|French|s0=Deux|#", "s0", "?"), "Un");
  // A first lookup that found nothing is kept as well.
  ResetLanguageSelection();
  EXPECT_EQ(LanguageText("#", "s0", "?"), "?");
  EXPECT_EQ(LanguageText("#|French|s0=Trois|#", "s0", "?"), "?");
}

TEST_F(Language, FontAndCharsetSettings) {
  struct Case {
    const char* entry;
    int charset;
    int fontSize;
    const char* fontName;
  } const cases[] = {
      {"|English|s0=x|", 0, 8, "Tahoma"},
      {"|English|Charset=177|FontSize=11|FontName=Arial|", 177, 11, "Arial"},
      {"|English|Charset=abc|FontSize=big|", 0, 8, "Tahoma"},
      {"|English|Charset=|FontSize=|FontName=|", 0, 8, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    const std::string table = std::string("#") + c.entry + "#";
    platform_.localeId = kGerman;
    ResetLanguageSelection();
    EXPECT_EQ(LanguageCharset(table), c.charset);
    EXPECT_EQ(LanguageFontSize(table), c.fontSize);
    EXPECT_EQ(LanguageFontName(table), c.fontName);
  }
}

TEST_F(Language, NameForId) {
  struct Case {
    int id;
    const char* name;
  } const cases[] = {
      {9, "ENGLISH"}, {7, "GERMAN"},  {1, "ARABIC"},  {26, "CROATIAN"}, {54, "AFRIKAANS"},
      {42, "VIETNAMESE"}, {13, "HEBREW"}, {0, ""}, {100, ""}, {99, ""}, {-9, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(LanguageNameForId(c.id), c.name);
  }
}

TEST_F(Language, IdTableForm) {
  const std::string table = kLanguageIdTable;
  EXPECT_EQ(table.substr(0, 37), "|AFRIKAANS    = 54|ALBANIAN     = 28|");
  EXPECT_EQ(ListCount(table), 43);
  for (int i = 0; i < ListCount(table); ++i) {
    const std::string item = ListItem(table, i, "");
    SCOPED_TRACE(item);
    ASSERT_EQ(item.size(), 17u);  // name padded to 12, " = ", two digits
    EXPECT_EQ(item.substr(12, 3), " = ");
  }
}

TEST_F(Language, BuiltInDefaults) {
  EXPECT_EQ(LanguageDefault("s1").size(), 13u);
  EXPECT_EQ(LanguageDefault("S0"), "Vornix Installation Suite");
  EXPECT_EQ(LanguageDefault("BtnText"), kDefaultButtonList);
  EXPECT_EQ(LanguageDefault("s9"), "");  // not a launcher key
  // Every caption key's default is the matching item of the caption list.
  EXPECT_EQ(LanguageDefault("Error"), CaptionOrDefault("", 0));
  EXPECT_EQ(LanguageDefault("Attention"), CaptionOrDefault("", 1));
  EXPECT_EQ(LanguageDefault("Confirm"), CaptionOrDefault("", 2));
  platform_.localeId = kGerman;
  ResetLanguageSelection();
  EXPECT_EQ(LauncherText("#|English|s10=Loading|#", "s10"), "Loading");
  EXPECT_EQ(LauncherText("#|English|s10=Loading|#", "s12"), LanguageDefault("s12"));
}

}  // namespace
}  // namespace vx
