// Message box rules that need no window: flags word, button sets, result codes, the heading of
// an ownerless box, typed-box defaults and the key filter's choices.
#pragma once
#include <cstdint>

#include "text/str.h"

namespace vx {

// Result codes (those of the system message box); 0 when closed by the caption's close button.
constexpr int kBoxClosed = 0;
constexpr int kBoxOk = 1;
constexpr int kBoxCancel = 2;
constexpr int kBoxAbort = 3;
constexpr int kBoxRetry = 4;
constexpr int kBoxIgnore = 5;
constexpr int kBoxYes = 6;
constexpr int kBoxNo = 7;

// Flags word fields.
constexpr uint32_t kBoxButtonsMask = 0x0000000F;
constexpr uint32_t kBoxIconMask = 0x000000F0;
constexpr uint32_t kBoxDefaultMask = 0x00000F00;
constexpr uint32_t kBoxRightAlign = 0x00080000;   // MB_RIGHT
constexpr uint32_t kBoxRtlReading = 0x00100000;   // MB_RTLREADING
constexpr uint32_t kBoxFrontFlags = 0x00052000;   // always added by MessageBoxCommon
constexpr uint32_t kBoxErrorFlags = 0x10;         // hand icon, OK
constexpr uint32_t kBoxAttentionFlags = 0x30;     // exclamation icon, OK
constexpr uint32_t kBoxConfirmFlags = 0x24;       // question icon, Yes/No
constexpr uint32_t kBoxConfirmOkFlags = 0x21;     // question icon, OK/Cancel

constexpr int kHebrewCharset = 177;
constexpr int kArabicCharset = 178;

extern const char kDefaultButtonList[];  // "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|"
extern const char* const kBoxCaptionList;     // "|Error|Attention|Confirm|"

struct BoxButton {
  uint8_t captionItem;  // item of the button list
  uint8_t result;       // result code
};
struct ButtonSet {
  uint8_t count;  // 0..3; buttons fill slots 0.. from the left
  BoxButton buttons[3];
};

ButtonSet ButtonSetFor(uint32_t flags);
// System icon id (32513..32516) of the icon field, 0 for the program's own icon.
int BoxIconId(uint32_t flags);
// Slot 0..2 that starts as the default button, -1 for none.
int DefaultSlot(uint32_t flags);

// The text of a box without owner: the caption again as a bold heading (upper-cased when it is
// one of the standard captions), a blank line, the text and a line break.
String BoxTextWithHeading(const String& text, const String& caption);
// Flags as MessageBoxCommon passes them on for a text in the given character set.
uint32_t BoxFlagsForCharset(uint32_t flags, int charset);
bool IsRightToLeftCharset(int charset);

// Typed boxes: an empty button list becomes the default list, an empty caption the item of the
// caption list.
String ButtonListOrDefault(const String& buttons);
String CaptionOrDefault(const String& caption, int captionItem);

// Arrow keys move the default button over the three slots; current -1 means no button has the focus.
int PreviousSlot(int current);
int NextSlot(int current);
// Alt+ch chooses a button whose caption's second character is ch or its upper-case form.
bool MnemonicMatches(const String& caption, char ch);

}  // namespace vx
