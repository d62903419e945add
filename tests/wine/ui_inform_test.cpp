// The inform dialog on a real window system: layout with and without a link, resizing, fonts,
// the link button and the three outcomes of ShowInform.
#include <gtest/gtest.h>

#include <richedit.h>

#include "test_support.h"
#include "ui/inform.h"
#include "ui_probe.h"

using namespace vxtest;

namespace {

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A link that leaves a trace when opened: a copy of linkmark.exe in a fresh folder.
std::string MarkingLink(const std::string& name) {
  const std::string dir = FreshTempDir(name);
  const std::string exe = dir + "linkmark.exe";
  CopyFileTo(TestBinDir() + "linkmark.exe", exe);
  return exe;
}

struct Layout {
  RECT client{}, text{}, button{};
  bool hasButton = false;
};

Layout ReadLayout(HWND dlg) {
  Layout l;
  l.client = ClientRect(dlg);
  for (HWND w : ChildrenOfClass(dlg, "")) {
    if (ClassOf(w) == "Button") {
      l.hasButton = true;
      l.button = RectInParent(w);
    } else {
      l.text = RectInParent(w);
    }
  }
  return l;
}

void ExpectLayout(const Layout& l, bool link) {
  const int cw = l.client.right, ch = l.client.bottom;
  EXPECT_EQ(l.text.left, 3);
  EXPECT_EQ(l.text.top, 0);
  EXPECT_EQ(l.text.right, cw);
  EXPECT_EQ(l.text.bottom, link ? ch - 43 : ch);
  EXPECT_EQ(l.hasButton, link);
  if (link) {
    EXPECT_EQ(l.button.left, (cw - 160) / 2);
    EXPECT_EQ(l.button.top, ch - 33);
    EXPECT_EQ(l.button.right - l.button.left, 160);
    EXPECT_EQ(l.button.bottom - l.button.top, 25);
  }
}

TEST(InformDialog, WithLinkLaysOutResizesAndOpensTheLink) {
  const std::string link = MarkingLink("inform_link");
  Layout before, after;
  RECT outer{};
  std::string text, caption, buttonCaption;
  bool result = false;
  UiProbeResult probe = RunWithWindow(
      "VRichEditBox",
      [&](HWND dlg) {
        GetWindowRect(dlg, &outer);
        caption = TextOf(dlg);
        before = ReadLayout(dlg);
        for (HWND w : ChildrenOfClass(dlg, "")) {
          if (ClassOf(w) == "Button")
            buttonCaption = TextOf(w);
          else
            text = TextOf(w);
        }
        SetWindowPos(dlg, nullptr, 0, 0, 523, 417, SWP_NOMOVE | SWP_NOZORDER);
        after = ReadLayout(dlg);
        SendMessageA(ChildrenOfClass(dlg, "Button").at(0), BM_CLICK, 0, 0);
      },
      [&] {
        result = vx::ShowInform(nullptr, "New Version", "Download", "Version 2.0 is out.\r\nGet it now.",
                                "  " + link + " ", 400, 300, false, "Tahoma", 8, 0);
      });
  ASSERT_TRUE(probe.found);
  EXPECT_FALSE(probe.forced);
  EXPECT_TRUE(result);
  EXPECT_EQ(caption, "New Version");
  EXPECT_EQ(buttonCaption, "Download");
  EXPECT_EQ(text, "Version 2.0 is out.\r\nGet it now.");
  EXPECT_EQ(outer.right - outer.left, 400);
  EXPECT_EQ(outer.bottom - outer.top, 300);
  EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 400) / 2);
  EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - 300) / 2);
  {
    SCOPED_TRACE("as created");
    ExpectLayout(before, true);
  }
  {
    SCOPED_TRACE("resized");
    EXPECT_NE(after.client.right, before.client.right);
    ExpectLayout(after, true);
  }
  EXPECT_TRUE(PumpUntil([&] { return FileExists(link + ".ran"); }, 10000));
}

TEST(InformDialog, WithoutLinkTextFillsTheDialog) {
  const struct {
    const char* fontName;
    const char* textFace;
    bool rtl;
  } cases[] = {{"Tahoma", "Verdana", false}, {"", "Verdana", true}, {"Arial", "Arial", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fontName);
    Layout before, after;
    std::string face;
    LONG style = 0, exStyle = 0;
    std::string cls;
    bool result = false;
    UiProbeResult probe = RunWithWindow(
        "VRichEditBox",
        [&](HWND dlg) {
          before = ReadLayout(dlg);
          HWND text = ChildrenOfClass(dlg, "").at(0);
          cls = ClassOf(text);
          style = GetWindowLongA(text, GWL_STYLE);
          exStyle = GetWindowLongA(text, GWL_EXSTYLE);
          CHARFORMATA cf{};
          cf.cbSize = sizeof cf;
          SendMessageA(text, EM_GETCHARFORMAT, 0, reinterpret_cast<LPARAM>(&cf));  // default format
          face = cf.szFaceName;
          SetWindowPos(dlg, nullptr, 0, 0, 300, 250, SWP_NOMOVE | SWP_NOZORDER);
          after = ReadLayout(dlg);
          PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
        },
        [&] {
          result = vx::ShowInform(nullptr, "News", "Open", "{\\rtf1 Hello {\\b world}}", "", 360, 360, c.rtl,
                                  c.fontName, 9, 0);
        });
    ASSERT_TRUE(probe.found);
    EXPECT_FALSE(probe.forced);
    EXPECT_TRUE(result);
    EXPECT_EQ(cls, "RICHEDIT");
    ExpectLayout(before, false);
    ExpectLayout(after, false);
    EXPECT_EQ(face, c.textFace);
    EXPECT_NE(style & ES_READONLY, 0);
    EXPECT_NE(style & ES_MULTILINE, 0);
    EXPECT_EQ((style & ES_RIGHT) != 0, c.rtl);
    EXPECT_EQ((exStyle & WS_EX_RTLREADING) != 0, c.rtl);
  }
}

TEST(InformDialog, WithoutContent) {
  const std::string link = MarkingLink("inform_direct");
  bool shown = false;
  const UiProbeResult probe = RunWithWindow(
      "VRichEditBox", [&](HWND dlg) { shown = true; PostMessageA(dlg, WM_CLOSE, 0, 0); },
      [&] {
        EXPECT_TRUE(vx::ShowInform(nullptr, "News", "Open", "", link, 360, 360, false, "Tahoma", 8, 0));
        EXPECT_FALSE(vx::ShowInform(nullptr, "News", "Open", "", "   ", 360, 360, false, "Tahoma", 8, 0));
      });
  EXPECT_FALSE(probe.found);
  EXPECT_FALSE(shown);
  EXPECT_TRUE(PumpUntil([&] { return FileExists(link + ".ran"); }, 10000));
}

}  // namespace
