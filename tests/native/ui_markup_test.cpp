// Message markup: line breaks, tabs and bold runs as the message box shows them.
#include <gtest/gtest.h>

#include <vector>

#include "ui/markup.h"
#include "ui/msgbox_rules.h"

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
