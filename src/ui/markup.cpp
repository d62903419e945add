#include "ui/markup.h"

#include <memory>

#include "text/utils.h"

namespace vx {

String ExpandMessageMarkup(const String& text) {
  String s = ReplaceAll(text, "\\\\n", "\r\n");
  s = ReplaceAll(s, "\\\\t", "\t");
  s = ReplaceAllCI(s, "<P>", "\r\n");
  return ReplaceAllCI(s, "<T>", "\t");
}

namespace {

// The text as a list of characters, so that a tag is removed without moving what follows it.
// Two cursors walk it: the search for the next "<B>" and the search for the first "</B>", each
// with the number of characters before it (its 0-based offset in the text as it stands). Both
// only move forward, except a few characters back where a removal joins text that could form a
// new tag, so the whole work grows with the length of the text.
class BoldRunScanner {
 public:
  explicit BoldRunScanner(const String& upper)
      : upper_(upper), n_(upper.size()), next_(new size_t[n_ + 2]), prev_(new size_t[n_ + 2]) {
    for (size_t i = 0; i < n_; ++i) {
      next_[i] = i + 1 < n_ ? i + 1 : kTail();
      prev_[i] = i > 0 ? i - 1 : kHead();
    }
    next_[kHead()] = n_ > 0 ? 0 : kTail();
    prev_[kTail()] = n_ > 0 ? n_ - 1 : kHead();
    prev_[kHead()] = next_[kTail()] = 0;  // never followed
  }

  // Runs the steps; returns the runs and leaves the kept characters for Kept().
  std::vector<BoldRun> Run() {
    std::vector<BoldRun> runs;
    size_t open = next_[kHead()], openAt = 0;    // no "<B>" starts before open
    size_t close = next_[kHead()], closeAt = 0;  // no "</B>" starts before close
    for (;;) {
      while (open != kTail() && !Matches(open, "<B>")) {
        open = next_[open];
        ++openAt;
      }
      if (open == kTail()) break;
      const size_t p = openAt;
      const bool closeInside = close == open || close == next_[open] || close == next_[next_[open]];
      const size_t after = Remove(open, 3);
      if (closeInside) {
        close = after;
        closeAt = p;
      } else if (closeAt > p) {
        closeAt -= 3;
      }
      // A "</B>" formed across the join comes before every other one.
      size_t x = after, at = p;
      for (int k = 0; k < 3 && prev_[x] != kHead(); ++k) {
        x = prev_[x];
        --at;
      }
      for (; x != after; x = next_[x], ++at) {
        if (at < closeAt && Matches(x, "</B>")) {
          close = x;
          closeAt = at;
          break;
        }
      }
      while (close != kTail() && !Matches(close, "</B>")) {
        close = next_[close];
        ++closeAt;
      }
      if (close != kTail() && closeAt > p) {
        runs.push_back(BoldRun{static_cast<uint16_t>(p), static_cast<uint16_t>(closeAt)});
        close = Remove(close, 4);
        for (int k = 0; k < 3 && prev_[close] != kHead(); ++k) {
          close = prev_[close];
          --closeAt;
        }
      }
      // The next "<B>" may have formed across the join, two characters back at most.
      open = after;
      openAt = p;
      for (int k = 0; k < 2 && prev_[open] != kHead(); ++k) {
        open = prev_[open];
        --openAt;
      }
    }
    return runs;
  }

  String Kept(const String& text) const {
    String out;
    out.reserve(n_);
    for (size_t i = next_[kHead()]; i != kTail(); i = next_[i]) out += text[i];
    return out;
  }

 private:
  size_t kHead() const { return n_; }
  size_t kTail() const { return n_ + 1; }

  bool Matches(size_t i, const char* tag) const {
    for (; *tag != '\0'; ++tag, i = next_[i])
      if (i == kTail() || upper_[i] != *tag) return false;
    return true;
  }

  // Unlinks len characters from i on; returns the one after them.
  size_t Remove(size_t i, int len) {
    size_t last = i;
    for (int k = 1; k < len; ++k) last = next_[last];
    const size_t before = prev_[i], after = next_[last];
    next_[before] = after;
    prev_[after] = before;
    return after;
  }

  const String& upper_;
  size_t n_;
  std::unique_ptr<size_t[]> next_, prev_;  // index n_ is the head, n_ + 1 the tail
};

}  // namespace

MarkupText ExtractBoldRuns(const String& expanded) {
  MarkupText out;
  String text = expanded;
  // The heading of an ownerless box starts "<<b>": its first "<" is not shown.
  if (text.compare(0, 4, "<<b>") == 0) text.erase(0, 1);
  // Tags are searched in an upper-case copy, removed from both at the same positions.
  const String upper = UpperCase(text);
  BoldRunScanner scanner(upper);
  out.runs = scanner.Run();
  out.text = ReplaceAllCI(scanner.Kept(text), "</B>", "");
  return out;
}

MarkupText RenderMessageMarkup(const String& text) { return ExtractBoldRuns(ExpandMessageMarkup(text)); }

}  // namespace vx
