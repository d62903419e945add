// Message markup: "\\n", "\\t", "<P>", "<T>" and bold runs between "<B>" and "</B>".
#pragma once
#include <cstdint>
#include <vector>

#include "text/str.h"

namespace vx {

// A bold run of the final text: characters from start (inclusive) to end (exclusive), counted
// from 0 over every character, CR LF as two. Stored in 16 bits, as the rich-edit control takes them.
struct BoldRun {
  uint16_t start;
  uint16_t end;
};

struct MarkupText {
  String text;
  std::vector<BoldRun> runs;  // in the order found
};

// Line breaks and tabs: "\\n" and "\\t" (exact case) and "<P>", "<T>" (any case).
String ExpandMessageMarkup(const String& text);
// Removes the bold tags of an expanded text and records where the bold runs lie.
MarkupText ExtractBoldRuns(const String& expanded);
// Both steps: the text as the message box shows it.
MarkupText RenderMessageMarkup(const String& text);

}  // namespace vx
