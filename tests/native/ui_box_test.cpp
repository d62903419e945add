// Message box and inform dialog rules that need no window: button sets, flags, keys, sizes.
#include <gtest/gtest.h>

#include <vector>

#include "text/utils.h"
#include "ui/box_layout.h"
#include "ui/msgbox_buttons.h"

namespace vx {
namespace {

TEST(BoxRules, ButtonSets) {
  struct Case {
    uint32_t flags;
    std::vector<const char*> captions;
    std::vector<int> results;
  } const cases[] = {
      {0x00, {"&OK"}, {1}},
      {0x01, {"&OK", "&Cancel"}, {1, 2}},
      {0x02, {"&Abort", "&Retry", "&Ignore"}, {3, 4, 5}},
      {0x03, {"&Yes", "&No", "&Cancel"}, {6, 7, 2}},
      {0x24, {"&Yes", "&No"}, {6, 7}},  // icon bits do not change the set
      {0x05, {"&Retry", "&Cancel"}, {4, 2}},
      {0x06, {}, {}},
      {0x0F, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    const ButtonSet set = ButtonSetFor(c.flags);
    ASSERT_EQ(set.count, static_cast<int>(c.captions.size()));
    for (int i = 0; i < set.count; ++i) {
      EXPECT_EQ(ListItem(kDefaultButtonList, set.buttons[i].captionItem, ""), c.captions[i]);
      EXPECT_EQ(set.buttons[i].result, c.results[i]);
    }
  }
}

TEST(BoxRules, IconsAndDefaultSlot) {
  const struct {
    uint32_t flags;
    int icon;
    int slot;
  } cases[] = {
      {0x000, 0, 0},     {0x010, 32513, 0}, {0x120, 32514, 1}, {0x230, 32515, 2},
      {0x340, 32516, -1}, {0xF50, 0, -1},   {0x00080000, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.flags);
    EXPECT_EQ(BoxIconId(c.flags), c.icon);
    EXPECT_EQ(DefaultSlot(c.flags), c.slot);
  }
}

TEST(BoxRules, CharsetFlags) {
  const struct {
    int charset;
    bool rightToLeft;
  } cases[] = {{177, true}, {178, true}, {0, false}, {1, false}, {176, false}, {179, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.charset);
    const uint32_t f = BoxFlagsForCharset(0x24, c.charset);
    EXPECT_EQ(f & 0xFF, 0x24u);
    EXPECT_EQ((f & 0x00052000u) == 0x00052000u, true);
    EXPECT_EQ((f & kBoxRightAlign) != 0, c.rightToLeft);
    EXPECT_EQ((f & kBoxRtlReading) != 0, c.rightToLeft);
  }
}

TEST(BoxRules, TypedBoxDefaults) {
  EXPECT_EQ(CaptionOrDefault("", 0), "Error");
  EXPECT_EQ(CaptionOrDefault("", 1), "Attention");
  EXPECT_EQ(CaptionOrDefault("", 2), "Confirm");
  EXPECT_EQ(CaptionOrDefault("Setup", 1), "Setup");
  EXPECT_EQ(ButtonListOrDefault(""), "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|");
  EXPECT_EQ(ButtonListOrDefault(";Ja;Nein;"), ";Ja;Nein;");
}

TEST(BoxRules, ArrowKeysCycleOverThreeSlots) {
  const struct {
    int current, previous, next;
  } cases[] = {{-1, 1, 0}, {0, 2, 1}, {1, 0, 2}, {2, 1, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.current);
    EXPECT_EQ(PreviousSlot(c.current), c.previous);
    EXPECT_EQ(NextSlot(c.current), c.next);
  }
}

TEST(BoxRules, Mnemonics) {
  const struct {
    const char* caption;
    char ch;
    bool match;
  } cases[] = {
      {"&Yes", 'y', true}, {"&Yes", 'Y', true}, {"&Yes", 'n', false}, {"&yes", 'y', true},
      {"&yes", 'Y', false},  // the caption's letter is compared as written
      {"OK", 'k', true},     // second character, with or without "&"
      {"&", '&', false},     {"", 'y', false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.caption) + " " + c.ch);
    EXPECT_EQ(MnemonicMatches(c.caption, c.ch), c.match);
  }
}

TEST(BoxLayout, MessageLines) {
  const struct {
    const char* text;
    std::vector<String> lines;
  } cases[] = {
      {"", {" "}},
      {"one", {"one"}},
      {"a\r\nb", {"a", "b"}},
      {"a\r\n", {"a", ""}},
      {"a\nb\rc", {"a\nb\rc"}},
      {"\r\n\r\n", {"", "", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(MessageLines(c.text), c.lines);
  }
}

TEST(BoxLayout, LineHeight) {
  EXPECT_EQ(BoxLineHeight(13, 0, "Tahoma"), 13);
  EXPECT_EQ(BoxLineHeight(13, 2, "Tahoma"), 15);
  EXPECT_EQ(BoxLineHeight(13, 2, " ms pgothic "), 16);
}

TEST(BoxLayout, Measure) {
  const struct {
    const char* name;
    std::vector<int> widths;
    int width, height;  // line height 10
  } cases[] = {
      {"one short line", {100}, 110, 20},
      {"just under the limit", {589}, 599, 20},
      {"width capped at 600", {595}, 600, 20},
      {"600 pixels take two lines", {600}, 600, 30},
      {"1300 pixels take three lines", {1300}, 600, 40},
      {"widest line wins", {50, 200, 120}, 210, 40},
      {"empty lines count", {0, 0}, 10, 30},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const BoxSize s = MeasureMessage(c.widths, 10);
    EXPECT_EQ(s.cx, c.width);
    EXPECT_EQ(s.cy, c.height);
  }
}

// A control whose text fits in one line from a given width on; narrower it asks for two lines.
class FakeControl : public WidthProbe {
 public:
  FakeControl(int fitsFrom, int height) : fitsFrom_(fitsFrom), height_(height) {}
  BoxSize Apply(int width) override {
    applied.push_back(width);
    return BoxSize{width - 4, width >= fitsFrom_ ? height_ : 2 * height_};
  }
  std::vector<int> applied;

 private:
  int fitsFrom_, height_;
};

TEST(BoxLayout, WideningForBoldText) {
  {
    FakeControl fits(300, 40);
    EXPECT_EQ(WidenForBoldRuns(310, 40, fits), 310);
    EXPECT_EQ(fits.applied, std::vector<int>({310}));
  }
  {
    FakeControl needs(345, 40);
    EXPECT_EQ(WidenForBoldRuns(310, 40, needs), 350);
    EXPECT_EQ(needs.applied, std::vector<int>({310, 320, 330, 340, 350}));
  }
  {
    // Never fits: 21 steps, then the largest requested width (510 - 4) plus 10.
    FakeControl never(100000, 40);
    EXPECT_EQ(WidenForBoldRuns(310, 40, never), 516);
    ASSERT_EQ(never.applied.size(), 22u);
    EXPECT_EQ(never.applied[20], 510);
    EXPECT_EQ(never.applied[21], 516);
  }
}

TEST(BoxLayout, OuterSize) {
  const struct {
    int ew, eh, width, height;  // frame 4 x 4, caption 19
  } cases[] = {
      {610, 100, 610 + 54 + 64 + 8, 100 + 36 + 64 + 8 + 19},
      {300, 39, 300 + 54 + 64 + 8, 39 + 36 + 64 + 8 + 19},
      {199, 39, 199 + 54 + 128 + 8, 39 + 36 + 64 + 8 + 19},
      {200, 38, 360, 38 + 36 + 90 + 8 + 19},
      {100, 20, 360, 20 + 36 + 90 + 8 + 19},  // at least 360 wide
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ew);
    const BoxSize s = BoxOuterSize(c.ew, c.eh, 4, 4, 19);
    EXPECT_EQ(s.cx, c.width);
    EXPECT_EQ(s.cy, c.height);
  }
}

TEST(BoxLayout, Placement) {
  const BoxSize centred = CenteredOrigin(1024, 768, 300, 201);
  EXPECT_EQ(centred.cx, 362);
  EXPECT_EQ(centred.cy, 283);
  const BoxSize tall = CenteredOrigin(800, 600, 901, 1001);  // halves truncated toward zero
  EXPECT_EQ(tall.cx, -50);
  EXPECT_EQ(tall.cy, -200);

  const BoxRect t = BoxTextRect(500, 200, 301, 60);
  EXPECT_EQ(t.x, 126);  // (500 - 301 - 54) div 2 + 54
  EXPECT_EQ(t.y, 52);
  EXPECT_EQ(t.cx, 301);
  EXPECT_EQ(t.cy, 91);
}

TEST(BoxLayout, ButtonsTouchAndEndAtTheRight) {
  const struct {
    int count;
    std::vector<int> lefts;  // client width 400
  } cases[] = {{1, {320}}, {2, {250, 320}}, {3, {180, 250, 320}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count);
    for (int i = 0; i < c.count; ++i) {
      const BoxRect r = BoxButtonRect(400, 120, i, c.count);
      EXPECT_EQ(r.x, c.lefts[i]);
      EXPECT_EQ(r.y, 91);
      EXPECT_EQ(r.cx, 70);
      EXPECT_EQ(r.cy, 23);
    }
  }
}

TEST(BoxLayout, InformDialog) {
  const struct {
    int cw, ch;
    bool link;
    BoxRect text;
  } cases[] = {
      {400, 300, true, {3, 0, 397, 257}},
      {400, 300, false, {3, 0, 397, 300}},
      {250, 120, true, {3, 0, 247, 77}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cw);
    const BoxRect t = InformTextRect(c.cw, c.ch, c.link);
    EXPECT_EQ(t.x, c.text.x);
    EXPECT_EQ(t.y, c.text.y);
    EXPECT_EQ(t.cx, c.text.cx);
    EXPECT_EQ(t.cy, c.text.cy);
  }
  const BoxRect b = InformButtonRect(401, 300);
  EXPECT_EQ(b.x, 120);
  EXPECT_EQ(b.y, 267);
  EXPECT_EQ(b.cx, 160);
  EXPECT_EQ(b.cy, 25);
}

}  // namespace
}  // namespace vx
