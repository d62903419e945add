#include "ui/box_layout.h"

#include "text/utils.h"

namespace vx {

std::vector<String> MessageLines(const String& text) {
  std::vector<String> lines;
  ForEachMessageLine(text, [&](const char* line, size_t length) { lines.push_back(String(line, length)); });
  return lines;
}

int BoxLineHeight(int charHeight, int externalLeading, const String& face) {
  return charHeight + externalLeading + (SameTextTrim(face, "MS PGothic") ? 1 : 0);
}

void MessageMeasure::AddLine(int width) {
  width_ = Max(width_, width + 10);
  height_ += (width / kBoxMaxTextWidth + 1) * lineHeight_;
}

BoxSize MessageMeasure::Size() const { return BoxSize{Min(width_, kBoxMaxTextWidth), height_}; }

BoxSize MeasureMessage(const std::vector<int>& lineWidths, int lineHeight) {
  MessageMeasure measure(lineHeight);
  for (int cx : lineWidths) measure.AddLine(cx);
  return measure.Size();
}

int WidenForBoldRuns(int width, int height, WidthProbe& probe) {
  int largest = width;
  for (int i = 0; i <= 20; ++i) {
    const BoxSize requested = probe.Apply(width + 10 * i);
    if (requested.cy <= height) return width + 10 * i;
    largest = Max(largest, requested.cx);
  }
  probe.Apply(largest + 10);
  return largest + 10;
}

BoxSize BoxOuterSize(int ew, int eh, int frameX, int frameY, int captionHeight) {
  const int marginX = ew < 200 ? 64 : 32;
  const int marginY = eh < 39 ? 45 : 32;
  const int width = Max(ew + kBoxBandWidth + 2 * marginX + 2 * frameX, kBoxMinWidth);
  const int height = eh + 36 + 2 * marginY + 2 * frameY + captionHeight;
  return BoxSize{width, height};
}

BoxSize CenteredOrigin(int screenWidth, int screenHeight, int width, int height) {
  return BoxSize{(screenWidth - width) / 2, (screenHeight - height) / 2};
}

BoxRect BoxTextRect(int cw, int ch, int ew, int eh) {
  return BoxRect{(cw - ew - kBoxBandWidth) / 2 + kBoxBandWidth, (ch - eh - 36) / 2, ew, eh + 31};
}

BoxRect BoxButtonRect(int cw, int ch, int index, int count) {
  const int fromRight = count - 1 - index;
  return BoxRect{cw - 80 - kBoxButtonWidth * fromRight, ch - 29, kBoxButtonWidth, kBoxButtonHeight};
}

BoxRect InformTextRect(int cw, int ch, bool hasLink) { return BoxRect{3, 0, cw - 3, hasLink ? ch - 43 : ch}; }

BoxRect InformButtonRect(int cw, int ch) { return BoxRect{(cw - 160) / 2, ch - 33, 160, 25}; }

}  // namespace vx
