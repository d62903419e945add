// Sizing and placing of the message box and the inform dialog: arithmetic only, no windows.
#pragma once
#include <vector>

#include "text/str.h"

namespace vx {

struct BoxSize {
  int cx;
  int cy;
};
struct BoxRect {
  int x;
  int y;
  int cx;
  int cy;
};

constexpr int kBoxMaxTextWidth = 600;
constexpr int kBoxBandWidth = 54;      // coloured band at the left
constexpr int kBoxButtonWidth = 70;
constexpr int kBoxButtonHeight = 23;
constexpr int kBoxMinWidth = 360;

// Lines of a message as measured: split at CR LF; an empty message counts as " ".
std::vector<String> MessageLines(const String& text);
// The same lines without copies: fn(first character, length) for each.
template <typename Fn>
void ForEachMessageLine(const String& text, Fn fn) {
  if (text.empty()) return fn(" ", size_t{1});
  for (size_t start = 0;;) {
    const size_t br = text.find("\r\n", start);
    fn(text.c_str() + start, (br == String::npos ? text.size() : br) - start);
    if (br == String::npos) return;
    start = br + 2;
  }
}
// Font line height: character height + external leading, one more for "MS PGothic".
int BoxLineHeight(int charHeight, int externalLeading, const String& face);
// Text size from the single-line widths of the lines: lines wider than 600 pixels count as
// several lines; the width is at most 600. Lines are added one at a time as they are measured.
class MessageMeasure {
 public:
  explicit MessageMeasure(int lineHeight) : lineHeight_(lineHeight), height_(lineHeight) {}
  void AddLine(int width);
  BoxSize Size() const;

 private:
  int lineHeight_;
  int width_ = 0;
  int height_;
};
BoxSize MeasureMessage(const std::vector<int>& lineWidths, int lineHeight);

// Bold text is wider than the measure: the control is widened in steps of 10 until it no longer
// asks for more height. Apply sets the control's width and returns the size it last requested.
class WidthProbe {
 public:
  virtual ~WidthProbe() = default;
  virtual BoxSize Apply(int width) = 0;
};
// Returns the width the control was left with.
int WidenForBoldRuns(int width, int height, WidthProbe& probe);

// Outer size of the box for a text control of ew x eh.
BoxSize BoxOuterSize(int ew, int eh, int frameX, int frameY, int captionHeight);
// Top-left corner that centres an outer size on the screen.
BoxSize CenteredOrigin(int screenWidth, int screenHeight, int width, int height);
// Text control in the client area cw x ch, for a control of ew x eh.
BoxRect BoxTextRect(int cw, int ch, int ew, int eh);
// Button index (0 = leftmost) of a set of count buttons; the rightmost sits at cw - 80.
BoxRect BoxButtonRect(int cw, int ch, int index, int count);

// Inform dialog.
BoxRect InformTextRect(int cw, int ch, bool hasLink);
BoxRect InformButtonRect(int cw, int ch);

}  // namespace vx
