// The markup message box on a real window system: text, bold runs, buttons, keys, results,
// right-to-left styles and the owner chain.
#include <gtest/gtest.h>

#include <algorithm>

#include "test_support.h"
#include "ui/msgbox.h"
#include "ui/richedit_win.h"
#include "ui_probe.h"

using namespace vxtest;

namespace {

const char kButtons[] = "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|";

HWND TextControl(HWND box) {
  std::vector<HWND> all = ChildrenOfClass(box, "");
  for (HWND w : all)
    if (ClassOf(w) != "Button") return w;
  return nullptr;
}

// Buttons of the box from left to right.
std::vector<HWND> ButtonsLeftToRight(HWND box) {
  std::vector<HWND> b = ChildrenOfClass(box, "Button");
  std::sort(b.begin(), b.end(), [](HWND x, HWND y) { return RectInParent(x).left < RectInParent(y).left; });
  return b;
}

HWND ButtonWithCaption(HWND box, const std::string& caption) {
  for (HWND b : ChildrenOfClass(box, "Button"))
    if (TextOf(b) == caption) return b;
  return nullptr;
}

std::vector<bool> ExpectedBold(const std::string& text, const std::vector<std::string>& boldWords) {
  std::vector<bool> mask(text.size(), false);
  for (const std::string& w : boldWords) {
    const size_t at = text.find(w);
    for (size_t i = 0; at != std::string::npos && i < w.size(); ++i) mask[at + i] = true;
  }
  return mask;
}

// Line ends carry no visible format (the control may report the paragraph mark either way).
std::vector<bool> VisibleOnly(std::vector<bool> mask, const std::string& text) {
  for (size_t i = 0; i < mask.size() && i < text.size(); ++i)
    if (text[i] == '\r' || text[i] == '\n') mask[i] = false;
  return mask;
}

TEST(MarkupBox, ShowsMarkupWithBoldRuns) {
  const struct {
    const char* name;
    vx::WindowHandle owner;
    const char* input;
    const char* caption;
    const char* shown;
    std::vector<std::string> bold;
  } cases[] = {
      {"both tag cases", vx::ActiveWindowOwner(), "Plain <b>bold</b> and<P><B>More</B> end", "Note",
       "Plain bold and\r\nMore end", {"bold", "More"}},
      {"no markup, owner 1", vx::ActiveWindowOwner(), "Just <x> this\\n", "Note", "Just <x> this\\n", {}},
      {"ownerless heading", nullptr, "Disk full", "Error", "ERROR\r\n\r\nDisk full\r\n", {"ERROR"}},
      {"ownerless other caption", nullptr, "Go", "Setup", "Setup\r\n\r\nGo\r\n", {"Setup"}},
      {"unclosed and stray tags", vx::ActiveWindowOwner(), "a</b>b<b>c", "Note", "abc", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string text, cls, title;
    std::vector<bool> bold;
    int result = -1;
    UiProbeResult probe = RunWithWindow(
        "VMsgBox",
        [&](HWND box) {
          HWND edit = TextControl(box);
          cls = ClassOf(edit);
          text = TextOf(edit);
          bold = BoldMask(edit);
          title = TextOf(box);
          PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
        },
        [&] { result = vx::MessageBoxCommon(c.owner, c.input, c.caption, kButtons, 0, 0x40); });
    ASSERT_TRUE(probe.found);
    EXPECT_FALSE(probe.forced);
    EXPECT_EQ(cls, "RICHEDIT");
    EXPECT_EQ(title, c.caption);
    EXPECT_EQ(text, c.shown);
    EXPECT_EQ(VisibleOnly(bold, c.shown), ExpectedBold(c.shown, c.bold));
    EXPECT_EQ(result, 0);  // closed by the caption's close button
  }
}

TEST(MarkupBox, YesNoCancelButtons) {
  std::vector<std::string> captions;
  std::vector<RECT> rects;
  RECT client = {};
  LONG defStyle = 0;
  bool yesFocused = false;
  int result = -1;
  RunWithWindow(
      "VMsgBox",
      [&](HWND box) {
        client = ClientRect(box);
        for (HWND b : ButtonsLeftToRight(box)) {
          captions.push_back(TextOf(b));
          rects.push_back(RectInParent(b));
        }
        HWND yes = ButtonWithCaption(box, "&Yes");
        yesFocused = GetFocus() == yes;
        defStyle = GetWindowLongA(yes, GWL_STYLE) & 0x0F;
        SendMessageA(ButtonWithCaption(box, "&No"), BM_CLICK, 0, 0);
      },
      [&] { result = vx::ShowMarkupBox(nullptr, "Keep the old files?", "Confirm", kButtons, 0x23); });
  EXPECT_EQ(captions, std::vector<std::string>({"&Yes", "&No", "&Cancel"}));
  ASSERT_EQ(rects.size(), 3u);
  const int cw = client.right, ch = client.bottom;
  const int lefts[] = {cw - 220, cw - 150, cw - 80};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rects[i].left, lefts[i]);
    EXPECT_EQ(rects[i].top, ch - 29);
    EXPECT_EQ(rects[i].right - rects[i].left, 70);
    EXPECT_EQ(rects[i].bottom - rects[i].top, 23);
  }
  EXPECT_TRUE(yesFocused);
  EXPECT_EQ(defStyle, BS_DEFPUSHBUTTON);
  EXPECT_EQ(result, 7);
}

// How the test answers a box.
enum class Answer { ClickCancel, Enter, AltY, AltN, RightEnter, LeftEnter, RightRightRightEnter, Close };

void Perform(HWND box, Answer a) {
  HWND focus = GetFocus();
  auto key = [&](WPARAM vk) { PostMessageA(GetFocus() != nullptr ? GetFocus() : box, WM_KEYDOWN, vk, 1); };
  switch (a) {
    case Answer::ClickCancel: SendMessageA(ButtonWithCaption(box, "&Cancel"), BM_CLICK, 0, 0); break;
    case Answer::Enter: PostMessageA(focus, WM_KEYDOWN, VK_RETURN, 1); break;
    case Answer::AltY: PostMessageA(box, WM_SYSCHAR, 'y', 0x20000001); break;
    case Answer::AltN: PostMessageA(box, WM_SYSCHAR, 'N', 0x20000001); break;
    case Answer::RightEnter: key(VK_RIGHT); key(VK_RETURN); break;
    case Answer::LeftEnter: key(VK_LEFT); key(VK_RETURN); break;
    case Answer::RightRightRightEnter: key(VK_DOWN); key(VK_RIGHT); key(VK_RIGHT); key(VK_RETURN); break;
    case Answer::Close: PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0); break;
  }
}

TEST(MarkupBox, ResultCodes) {
  const struct {
    const char* name;
    uint32_t flags;
    Answer answer;
    int result;
  } cases[] = {
      {"click Cancel", 0x23, Answer::ClickCancel, 2},
      {"Enter on default Yes", 0x23, Answer::Enter, 6},
      {"Enter on default third slot", 0x223, Answer::Enter, 2},
      {"Enter on default second slot", 0x121, Answer::Enter, 2},
      {"Alt+y", 0x23, Answer::AltY, 6},
      {"Alt+N", 0x23, Answer::AltN, 7},
      {"Right then Enter", 0x23, Answer::RightEnter, 7},
      {"Left wraps to the third slot", 0x23, Answer::LeftEnter, 2},
      {"three steps come round", 0x23, Answer::RightRightRightEnter, 6},
      {"Abort Retry Ignore, Right then Enter", 0x22, Answer::RightEnter, 4},
      {"close button", 0x23, Answer::Close, 0},
      {"OK only", 0x30, Answer::Enter, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    int result = -1;
    UiProbeResult probe = RunWithWindow(
        "VMsgBox", [&](HWND box) { Perform(box, c.answer); },
        [&] { result = vx::ShowMarkupBox(nullptr, "Question", "Q", kButtons, c.flags); });
    ASSERT_TRUE(probe.found);
    EXPECT_FALSE(probe.forced);
    EXPECT_EQ(result, c.result);
  }
}

TEST(MarkupBox, TypedBoxes) {
  const struct {
    const char* name;
    int kind;  // 0 ConfirmBox, 1 ConfirmOkBox
    Answer answer;
    bool result;
    const char* caption;
    std::vector<std::string> buttons;
  } cases[] = {
      {"confirm, Alt+Y", 0, Answer::AltY, true, "Confirm", {"&Yes", "&No"}},
      {"confirm, closed", 0, Answer::Close, false, "Confirm", {"&Yes", "&No"}},
      {"confirm OK, Enter", 1, Answer::Enter, true, "Confirm", {"&OK", "&Cancel"}},
      {"confirm OK, Cancel", 1, Answer::ClickCancel, false, "Confirm", {"&OK", "&Cancel"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bool result = !c.result;
    std::string caption;
    std::vector<std::string> buttons;
    RunWithWindow(
        "VMsgBox",
        [&](HWND box) {
          caption = TextOf(box);
          for (HWND b : ButtonsLeftToRight(box)) buttons.push_back(TextOf(b));
          Perform(box, c.answer);
        },
        [&] {
          result = c.kind == 0 ? vx::ConfirmBox(vx::ActiveWindowOwner(), "Continue?")
                               : vx::ConfirmOkBox(vx::ActiveWindowOwner(), "Continue?");
        });
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(caption, c.caption);
    EXPECT_EQ(buttons, c.buttons);
  }
}

TEST(MarkupBox, RightToLeftCharsets) {
  const struct {
    int charset;
    bool rtl;
  } cases[] = {{177, true}, {178, true}, {0, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.charset);
    LONG style = 0, exStyle = 0;
    RunWithWindow(
        "VMsgBox",
        [&](HWND box) {
          HWND edit = TextControl(box);
          style = GetWindowLongA(edit, GWL_STYLE);
          exStyle = GetWindowLongA(edit, GWL_EXSTYLE);
          PostMessageA(box, WM_CLOSE, 0, 0);
        },
        [&] { vx::MessageBoxCommon(vx::ActiveWindowOwner(), "Text", "Caption", kButtons, c.charset, 0); });
    EXPECT_EQ((style & ES_RIGHT) != 0, c.rtl);
    EXPECT_EQ((exStyle & WS_EX_RTLREADING) != 0, c.rtl);
  }
}

LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

TEST(MarkupBox, OwnerDisabledWhileUpAndActiveAfterwards) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = PlainProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "VxTestOwner";
  RegisterClassA(&wc);
  HWND owner = CreateWindowExA(0, "VxTestOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                               nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(owner, nullptr);
  SetForegroundWindow(owner);
  SetActiveWindow(owner);
  PumpFor(100);
  ASSERT_EQ(GetActiveWindow(), owner);

  bool enabledDuring = true;
  HWND boxOwner = nullptr;
  bool boxTopMost = false;
  RunWithWindow(
      "VMsgBox",
      [&](HWND box) {
        enabledDuring = IsWindowEnabled(owner) != FALSE;
        boxOwner = GetWindow(box, GW_OWNER);
        boxTopMost = (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
      },
      [&] { vx::AttentionBox(vx::ActiveWindowOwner(), "Insert the next disk"); });
  EXPECT_FALSE(enabledDuring);
  EXPECT_EQ(boxOwner, owner);
  EXPECT_TRUE(boxTopMost);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(GetActiveWindow(), owner);
  DestroyWindow(owner);
  UnregisterClassA("VxTestOwner", wc.hInstance);
}

TEST(MarkupBox, Sizing) {
  // A line far wider than 600 pixels and no bold runs: the control is 600 + 10 wide.
  int wideWidth = 0;
  RunWithWindow(
      "VMsgBox",
      [&](HWND box) {
        RECT r = RectInParent(TextControl(box));
        wideWidth = r.right - r.left;
        PostMessageA(box, WM_CLOSE, 0, 0);
      },
      [&] { vx::ShowMarkupBox(nullptr, std::string(400, 'W'), "Wide", kButtons, 0); });
  EXPECT_EQ(wideWidth, 610);

  // Bold lines measured in the plain font would wrap: the control is widened until every
  // paragraph fits on one line again.
  const std::string line = "<b>" + std::string(45, 'W') + "</b>";
  int lines = 0, boldWidth = 0, plainWidth = 0;
  RunWithWindow(
      "VMsgBox",
      [&](HWND box) {
        HWND edit = TextControl(box);
        lines = static_cast<int>(SendMessageA(edit, EM_GETLINECOUNT, 0, 0));
        RECT r = RectInParent(edit);
        boldWidth = r.right - r.left;
        PostMessageA(box, WM_CLOSE, 0, 0);
      },
      [&] { vx::ShowMarkupBox(nullptr, line + "<P>" + line + "<P>" + line, "Bold", kButtons, 0); });
  RunWithWindow(
      "VMsgBox",
      [&](HWND box) {
        RECT r = RectInParent(TextControl(box));
        plainWidth = r.right - r.left;
        PostMessageA(box, WM_CLOSE, 0, 0);
      },
      [&] { vx::ShowMarkupBox(nullptr, std::string(45, 'W'), "Plain", kButtons, 0); });
  EXPECT_EQ(lines, 3);
  EXPECT_GT(boldWidth, plainWidth);
}

TEST(MarkupBox, NoButtonsForAnUndefinedSet) {
  size_t buttons = 99;
  int result = -1;
  RunWithWindow(
      "VMsgBox",
      [&](HWND box) {
        buttons = ChildrenOfClass(box, "Button").size();
        PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
      },
      [&] { result = vx::ShowMarkupBox(nullptr, "Nothing to press", "None", kButtons, 0x06); });
  EXPECT_EQ(buttons, 0u);
  EXPECT_EQ(result, 0);
}

TEST(MarkupBox, PlainEditWhenRichEditIsMissing) {
  vx::SetRichEditLibraryName("VXNORICH.DLL");
  std::string cls, text;
  int result = -1;
  RunWithWindow(
      "VMsgBox",
      [&](HWND box) {
        HWND edit = TextControl(box);
        cls = ClassOf(edit);
        text = TextOf(edit);
        Perform(box, Answer::Enter);
      },
      [&] { result = vx::ShowMarkupBox(nullptr, "Line one<P><b>Two</b>", "Fallback", kButtons, 0x01); });
  vx::SetRichEditLibraryName(nullptr);
  EXPECT_EQ(lstrcmpiA(cls.c_str(), "Edit"), 0) << cls;
  EXPECT_EQ(text, "Line one\r\nTwo");
  EXPECT_EQ(result, 1);
}

}  // namespace
