// Message markup against a plain reference: line breaks and tabs replaced, then bold runs taken
// one "<B>" at a time from the front, each closed by the first "</B>" after it.
#include <string>
#include <vector>

#include "fuzz_target.h"
#include "ui/markup.h"

namespace {

constexpr const char* kName = "markup";

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

// Every occurrence replaced from left to right; inserted text is not searched again. With an
// empty replacement, occurrences that form where text closes up go too.
std::string Replace(const std::string& text, const std::string& find, const std::string& repl, bool anyCase) {
  std::string hay = anyCase ? Upper(text) : text;
  const std::string needle = anyCase ? Upper(find) : find;
  if (repl.empty()) {
    std::string out = text;
    for (size_t at; (at = hay.find(needle)) != std::string::npos;) {
      out.erase(at, find.size());
      hay.erase(at, find.size());
    }
    return out;
  }
  std::string out;
  size_t pos = 0;
  for (size_t at; (at = hay.find(needle, pos)) != std::string::npos; pos = at + find.size())
    out += text.substr(pos, at - pos) + repl;
  return out + text.substr(pos);
}

struct Reference {
  std::string text;
  std::vector<std::pair<size_t, size_t>> runs;
};

Reference Render(const std::string& input) {
  std::string s = Replace(input, "\\\\n", "\r\n", false);
  s = Replace(s, "\\\\t", "\t", false);
  s = Replace(s, "<P>", "\r\n", true);
  s = Replace(s, "<T>", "\t", true);
  if (s.compare(0, 4, "<<b>") == 0) s.erase(0, 1);
  Reference r;
  std::string u = Upper(s);  // searched; s and u lose the same characters
  for (;;) {
    const size_t open = u.find("<B>");
    if (open == std::string::npos) break;
    s.erase(open, 3);
    u.erase(open, 3);
    const size_t close = u.find("</B>");
    if (close != std::string::npos && close > open) {
      r.runs.emplace_back(open, close);
      s.erase(close, 4);
      u.erase(close, 4);
    }
  }
  r.text = Replace(s, "</B>", "", true);
  return r;
}

VX_FUZZ_TARGET(markup) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const vx::MarkupText got = vx::RenderMessageMarkup(input);
  const Reference want = Render(input);
  VX_FUZZ_CHECK(kName, std::string(got.text) == want.text, "the text differs from the reference");
  bool same = got.runs.size() == want.runs.size();
  for (size_t i = 0; same && i < got.runs.size(); ++i)
    same = got.runs[i].start == static_cast<uint16_t>(want.runs[i].first) &&
           got.runs[i].end == static_cast<uint16_t>(want.runs[i].second);
  VX_FUZZ_CHECK(kName, same, "the bold runs differ from the reference");
}

}  // namespace
