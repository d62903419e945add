#include "ui/msgbox_buttons.h"

#include "text/utils.h"

namespace vx {

const char kDefaultButtonList[] = "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|";
const char* const kBoxCaptionList = "|Error|Attention|Confirm|";

ButtonSet ButtonSetFor(uint32_t flags) {
  static const ButtonSet kSets[] = {
      {1, {{0, kBoxOk}, {0, 0}, {0, 0}}},
      {2, {{0, kBoxOk}, {1, kBoxCancel}, {0, 0}}},
      {3, {{4, kBoxAbort}, {5, kBoxRetry}, {6, kBoxIgnore}}},
      {3, {{2, kBoxYes}, {3, kBoxNo}, {1, kBoxCancel}}},
      {2, {{2, kBoxYes}, {3, kBoxNo}, {0, 0}}},
      {2, {{5, kBoxRetry}, {1, kBoxCancel}, {0, 0}}},
  };
  const uint32_t kind = flags & kBoxButtonsMask;
  return kind < sizeof(kSets) / sizeof(kSets[0]) ? kSets[kind] : ButtonSet{};
}

int BoxIconId(uint32_t flags) {
  switch (flags & kBoxIconMask) {
    case 0x10: return 32513;  // hand
    case 0x20: return 32514;  // question
    case 0x30: return 32515;  // exclamation
    case 0x40: return 32516;  // asterisk
    default: return 0;
  }
}

int DefaultSlot(uint32_t flags) {
  const uint32_t slot = (flags & kBoxDefaultMask) >> 8;
  return slot <= 2 ? static_cast<int>(slot) : -1;
}

String BoxTextWithHeading(const String& text, const String& caption) {
  const String heading =
      String(kBoxCaptionList).find(caption) != String::npos ? UpperCase(caption) : caption;
  return "<<b>" + heading + "</b><P><P>" + text + "<P>";
}

bool IsRightToLeftCharset(int charset) { return charset == kHebrewCharset || charset == kArabicCharset; }

uint32_t BoxFlagsForCharset(uint32_t flags, int charset) {
  if (IsRightToLeftCharset(charset)) flags += kBoxRightAlign | kBoxRtlReading;
  return flags + kBoxFrontFlags;
}

String ButtonListOrDefault(const String& buttons) {
  return buttons.empty() ? String(kDefaultButtonList) : buttons;
}

String CaptionOrDefault(const String& caption, int captionItem) {
  return caption.empty() ? ListItem(kBoxCaptionList, captionItem, "") : caption;
}

int PreviousSlot(int current) { return current < 0 || current > 2 ? 1 : (current + 2) % 3; }
int NextSlot(int current) { return current < 0 || current > 2 ? 0 : (current + 1) % 3; }

bool MnemonicMatches(const String& caption, char ch) {
  if (caption.size() < 2) return false;
  const char upper = (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
  return caption[1] == ch || caption[1] == upper;
}

}  // namespace vx
