// Macro expansion and the path texts it ends with. Input: a mode byte (bit 0 makes relative paths
// full, bit 1 reads bytes 0x81-0x9F and 0xE0-0xFC as lead bytes of double-byte characters, bits 4
// and 5 choose the suffix), then fields text and the install folder. The suffix is the caller's
// constant ("\\" for the program path), never a text from outside: a suffix that held macros would
// multiply the text with every folder macro after it.
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "fuzz_target.h"
#include "system/macros.h"
#include "text/paths.h"

namespace {

constexpr const char* kName = "macros";

bool LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

class Environment : public vx::MacroEnvironment {
 public:
  Environment(const std::string& install, bool dbcs) : install_(install), dbcs_(dbcs) {}
  vx::String Value(vx::MacroSource source) override {
    switch (source) {
      case vx::kMacroInstallDir: return install_;
      case vx::kMacroWinDir: return "C:\\Windows";
      case vx::kMacroSysDir: return "C:\\Windows\\System32";
      case vx::kMacroTempDir: return "C:\\Users\\me\\AppData\\Local\\Temp\\";
      case vx::kMacroLoggedUserName: return "me";
      case vx::kMacroOriginDir: return "\\\\server\\share\\setup";
      default: return "C:\\Folder" + std::to_string(static_cast<int>(source));
    }
  }
  vx::CivilTime Now() override { return vx::CivilTime{2023, 3, 15, 12, 30, 45}; }
  vx::String DateSeparator() override { return "."; }
  vx::String TimeSeparator() override { return ":"; }
  vx::String MonthName(int month) override { return month == 3 ? "March" : "Month"; }
  // The path with "." and ".." parts resolved (".." at the root stays at the root).
  vx::String FullPathName(const vx::String& path) override {
    std::vector<std::string> parts;
    const std::string p = path;
    size_t start = 0;
    while (start <= p.size()) {
      size_t end = p.find('\\', start);
      if (end == std::string::npos) end = p.size();
      const std::string part = p.substr(start, end - start);
      start = end + 1;
      if (part == "..") {
        if (parts.size() > 1) parts.pop_back();
      } else if (part != ".") {
        parts.push_back(part);
      }
    }
    std::string out;
    for (const std::string& part : parts) out += (out.empty() ? "" : "\\") + part;
    return out;
  }
  vx::LeadByteTest LeadBytes() override { return dbcs_ ? LeadByte : nullptr; }

 private:
  std::string install_;
  bool dbcs_;
};

VX_FUZZ_TARGET(macros) {
  vxfuzz::FuzzInput in(data, size);
  const uint8_t mode = in.Byte();
  static const char* const kSuffixes[] = {"\\", "", "/", "\\\\"};
  const char* const suffix = kSuffixes[(mode >> 4) & 3];
  const std::string text = in.Field();
  const std::string install = in.Field();
  Environment env(install, (mode & 2) != 0);
  const vx::LeadByteTest lead = env.LeadBytes();

  const bool relative = (mode & 1) != 0;
  const vx::String out = vx::ExpandMacrosWith(env, text, suffix, relative);
  if (text.find('<') == std::string::npos && !relative)
    VX_FUZZ_CHECK(kName, std::string(out) == text, "a text without macros changed");
  for (char code = '0'; code <= '7'; ++code) vx::MacroDateText(env, code);
  vx::MacroDateText(env, '#');

  // Path texts on the result: the folder and file-name parts put together give the path again.
  VX_FUZZ_CHECK(kName, std::string(vx::FolderOf(out, lead) + vx::FileNameOf(out, lead)) == std::string(out),
                "folder and file name do not make the path");
  const vx::String collapsed = vx::CollapseBackslashes(out, (mode & 4) != 0, lead);
  VX_FUZZ_CHECK(kName, collapsed.size() <= out.size(), "collapsing made the path longer");
  vx::SetTrailingBackslash(out, (mode & 8) != 0, lead);
  vx::RemoveTrailingBackslash(out, lead);
  vx::ParentOf(out, lead);
  vx::FileNamePart(out);
}

}  // namespace
