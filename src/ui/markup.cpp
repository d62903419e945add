#include "ui/markup.h"

#include "env/utils.h"

namespace vx {

String ExpandMessageMarkup(const String& text) {
  String s = ReplaceAll(text, "\\\\n", "\r\n");
  s = ReplaceAll(s, "\\\\t", "\t");
  s = ReplaceAllCI(s, "<P>", "\r\n");
  return ReplaceAllCI(s, "<T>", "\t");
}

MarkupText ExtractBoldRuns(const String& expanded) {
  MarkupText out;
  String& text = out.text;
  text = expanded;
  // The heading of an ownerless box starts "<<b>": its first "<" is not shown.
  if (text.compare(0, 4, "<<b>") == 0) text.erase(0, 1);

  // Tags are searched in an upper-case copy kept in step with the text.
  String upper = UpperCase(text);
  for (;;) {
    const size_t open = upper.find("<B>");
    if (open == String::npos) break;
    text.erase(open, 3);
    upper.erase(open, 3);
    const size_t close = upper.find("</B>");
    if (close != String::npos && close > open) {
      text.erase(close, 4);
      upper.erase(close, 4);
      out.runs.push_back(BoldRun{static_cast<uint16_t>(open), static_cast<uint16_t>(close)});
    }
  }
  text = ReplaceAllCI(text, "</B>", "");
  return out;
}

MarkupText RenderMessageMarkup(const String& text) { return ExtractBoldRuns(ExpandMessageMarkup(text)); }

}  // namespace vx
