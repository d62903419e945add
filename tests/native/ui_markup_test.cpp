// Message markup: line breaks, tabs and bold runs as the message box shows them.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "text/utils.h"
#include "ui/markup.h"
#include "ui/msgbox_buttons.h"

namespace vx {
namespace {

struct ExpectedRun {
  int start, end;
};

TEST(Markup, TextAndBoldRuns) {
  struct Case {
    const char* name;
    const char* input;
    const char* shown;
    std::vector<ExpectedRun> runs;
  } const cases[] = {
      {"plain", "plain text", "plain text", {}},
      {"double backslash n", "a\\\\nb", "a\r\nb", {}},
      {"single backslash n", "a\\nb", "a\\nb", {}},
      {"backslash N needs exact case", "a\\\\Nb", "a\\\\Nb", {}},
      {"double backslash t", "x\\\\ty", "x\ty", {}},
      {"<P> either case", "one<p>two<P>three", "one\r\ntwo\r\nthree", {}},
      {"<T> either case", "a<t>b<T>c", "a\tb\tc", {}},
      {"runs in both tag cases", "Hello <b>big</b> and <B>bold</B> end", "Hello big and bold end", {{6, 9}, {14, 18}}},
      {"CR LF counts two", "line<P><b>bold</b>", "line\r\nbold", {{6, 10}}},
      {"tab counts one", "<T><b>x</b>", "\tx", {{1, 2}}},
      {"unclosed", "<b>never closed", "never closed", {}},
      {"stray close before open", "a</b>b<b>c</b>", "abc", {}},
      {"stray close alone", "x</B>y", "xy", {}},
      {"empty run", "<b></b>empty", "empty", {}},
      {"heading rule", "<<b>ERROR</b><P><P>text<P>", "ERROR\r\n\r\ntext\r\n", {{0, 5}}},
      {"heading rule needs lower b", "<<B>X</B>", "<X", {{1, 2}}},
      {"other angle texts stay", "<i>kept</i> <x> <<b", "<i>kept</i> <x> <<b", {}},
      {"expanded text keeps no tags", "<b>a<p>b</b>", "a\r\nb", {{0, 4}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const MarkupText m = RenderMessageMarkup(c.input);
    EXPECT_EQ(m.text, c.shown);
    ASSERT_EQ(m.runs.size(), c.runs.size());
    for (size_t i = 0; i < c.runs.size(); ++i) {
      EXPECT_EQ(m.runs[i].start, c.runs[i].start);
      EXPECT_EQ(m.runs[i].end, c.runs[i].end);
    }
  }
}

TEST(Markup, ExpansionNeverRescansInsertedText) {
  // "\\\\nn" holds one double-backslash-n; the inserted CR LF followed by "n" is not a tag.
  EXPECT_EQ(ExpandMessageMarkup("\\\\nn<<P>P>"), "\r\nn<\r\nP>");
}

TEST(Markup, RunOffsetsAreSixteenBit) {
  const std::string lead(70000, 'x');
  const MarkupText m = RenderMessageMarkup(lead + "<b>y</b>");
  ASSERT_EQ(m.runs.size(), 1u);
  EXPECT_EQ(m.runs[0].start, 70000 - 65536);
  EXPECT_EQ(m.runs[0].end, 70001 - 65536);
}

// The bold-run steps as they read: remove the first "<B>", look for the first "</B>" from the
// start, record and remove it when it lies after the removed tag; repeat.
MarkupText BoldRunsBySteps(const std::string& expanded) {
  MarkupText out;
  std::string text = expanded;
  if (text.compare(0, 4, "<<b>") == 0) text.erase(0, 1);
  std::string upper = UpperCase(text);
  for (size_t open = upper.find("<B>"); open != std::string::npos; open = upper.find("<B>")) {
    text.erase(open, 3);
    upper.erase(open, 3);
    const size_t close = upper.find("</B>");
    if (close != std::string::npos && close > open) {
      text.erase(close, 4);
      upper.erase(close, 4);
      out.runs.push_back(BoldRun{static_cast<uint16_t>(open), static_cast<uint16_t>(close)});
    }
  }
  out.text = ReplaceAllCI(text, "</B>", "");
  return out;
}

TEST(Markup, BoldRunsSameAsTheStepsOnRandomTexts) {
  std::mt19937 gen(7);
  const std::string letters = "<</>bBx";  // tags, broken tags and tags that form when others go
  for (int i = 0; i < 30000; ++i) {
    std::string t(gen() % 33, ' ');
    for (char& c : t) c = letters[gen() % letters.size()];
    if (i % 10 == 0) t = "<<b>" + t;
    SCOPED_TRACE(t);
    const MarkupText got = ExtractBoldRuns(t);
    const MarkupText want = BoldRunsBySteps(t);
    ASSERT_EQ(got.text, want.text);
    ASSERT_EQ(got.runs.size(), want.runs.size());
    for (size_t k = 0; k < want.runs.size(); ++k) {
      ASSERT_EQ(got.runs[k].start, want.runs[k].start);
      ASSERT_EQ(got.runs[k].end, want.runs[k].end);
    }
  }
}

// Large texts, whose step-by-step cost grows with the square of the length.
TEST(Markup, LargeTexts) {
  const size_t n = 256 * 1024;
  std::string tags;
  for (size_t i = 0; i < n / 3; ++i) tags += "<B>";
  MarkupText m = RenderMessageMarkup(tags);
  EXPECT_EQ(m.text, "");
  EXPECT_TRUE(m.runs.empty());

  std::string runs;
  for (size_t i = 0; runs.size() < n; ++i) runs += i % 2 ? "<b>y</b>" : "<B>x</B>";
  m = RenderMessageMarkup(runs);
  const size_t count = runs.size() / 8;
  ASSERT_EQ(m.runs.size(), count);
  EXPECT_EQ(m.text.size(), count);
  EXPECT_EQ(m.text.substr(0, 4), "xyxy");
  for (size_t k = 0; k < count; k += 997) {
    SCOPED_TRACE(k);
    EXPECT_EQ(m.runs[k].start, static_cast<uint16_t>(k));
    EXPECT_EQ(m.runs[k].end, static_cast<uint16_t>(k + 1));
  }

  // Nested opens: each takes the next close, at the offsets of the text as it stood then.
  std::string nested = std::string(n / 2, 'x');
  nested = std::string(1000, '<') + "<b>" + nested;
  for (int i = 0; i < 1000; ++i) nested += "<b>a</b>";
  m = RenderMessageMarkup(nested);
  const MarkupText want = BoldRunsBySteps(nested);
  EXPECT_EQ(m.text, want.text);
  ASSERT_EQ(m.runs.size(), want.runs.size());
  EXPECT_EQ(m.runs.back().start, want.runs.back().start);
  EXPECT_EQ(m.runs.back().end, want.runs.back().end);
}

TEST(Markup, OwnerlessHeadingShowsCaptionInBold) {
  struct Case {
    const char* caption;
    const char* heading;
  } const cases[] = {
      {"Error", "ERROR"},
      {"Confirm", "CONFIRM"},
      {"Setup", "Setup"},  // not a standard caption: unchanged
      {"error", "error"},  // the caption test is case-sensitive
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    const MarkupText m = RenderMessageMarkup(BoxTextWithHeading("Disk full", c.caption));
    const std::string heading = c.heading;
    EXPECT_EQ(m.text, heading + "\r\n\r\nDisk full\r\n");
    ASSERT_EQ(m.runs.size(), 1u);
    EXPECT_EQ(m.runs[0].start, 0);
    EXPECT_EQ(m.runs[0].end, heading.size());
  }
}

}  // namespace
}  // namespace vx
