// Folder-text normalisation shared by every part that handles paths (portable).
// Texts are single-byte ANSI strings; the separator is the backslash. A backslash that is the
// second byte of a double-byte character is never a separator, so every rule takes the code page's
// lead-byte test (null: a single-byte code page). The Win32 layer binds IsDBCSLeadByte (folders.h).
#pragma once
#include "text/str.h"
namespace vx {

using LeadByteTest = bool (*)(unsigned char c);

// The path without one trailing backslash (only when at least 3 characters long), then with one
// appended when add is true: "C:\" -> "C:", "D:\Setup\" + add -> "D:\Setup\", "\" + add -> "\\".
String SetTrailingBackslash(const String& path, bool add, LeadByteTest isLead);
// "\" -> empty; otherwise one trailing backslash removed when longer than 1 character.
String RemoveTrailingBackslash(const String& path, LeadByteTest isLead);
// Runs of backslashes reduced to one, keeping a leading pair (network paths) and a trailing pair;
// with strip, RemoveTrailingBackslash follows.
String CollapseBackslashes(const String& path, bool strip, LeadByteTest isLead);

// Folder part of a path up to and including its last "\" or ":" ("C:\a\b.exe" -> "C:\a\"),
// empty when there is none.
String FolderOf(const String& path, LeadByteTest isLead);
// File-name part after the last "\" or ":".
String FileNameOf(const String& path, LeadByteTest isLead);
// FolderOf without its trailing backslash ("C:\a\b.exe" -> "C:\a", "C:\b.exe" -> "C:").
String ParentOf(const String& path, LeadByteTest isLead);

// The file-name part of a path: the text after its last "\", "/" or ":" (the whole text when it
// holds none). Unlike FileNameOf it splits at "/" too and reads every byte as a character.
String FileNamePart(const String& path);

}  // namespace vx
