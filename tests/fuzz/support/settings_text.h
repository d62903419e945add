// The agent's two settings files as INI texts in memory, read as the system's profile reader
// reads them: sections and keys in any letter case, the first of a repeated key, blanks around
// keys and values dropped, one pair of quotes around a value removed, values cut at 10240
// characters. Installed as the settings store (and fresh agent state) for the life of the scope.
#pragma once
#include <map>
#include <string>
#include <utility>

#include "agent/settings.h"

namespace vxfuzz {

class TextSettings : public vx::SettingsStore {
 public:
  static constexpr const char* kOriginal = "C:\\App\\App.original";
  static constexpr const char* kInfo = "C:\\App\\App.info";

  TextSettings(const std::string& original, const std::string& info) {
    Parse(kOriginal, original);
    Parse(kInfo, info);
    vx::SetSettingsStore(this);
    vx::ResetTransientFlags();
  }
  ~TextSettings() {
    vx::SetSettingsStore(nullptr);
    vx::ResetTransientFlags();
  }
  TextSettings(const TextSettings&) = delete;
  TextSettings& operator=(const TextSettings&) = delete;

  vx::String OriginalFilePath() override { return kOriginal; }
  vx::String InfoFilePath() override { return kInfo; }
  vx::String Read(const vx::String& file, const char* section, const char* key, const char* def) override {
    auto it = values_.find(Key(file, section, key));
    return it == values_.end() ? vx::String(def) : vx::String(it->second);
  }
  bool Write(const vx::String& file, const char* section, const char* key, const vx::String& value) override {
    values_[Key(file, section, key)] = std::string(value);
    return true;
  }
  char TimeSeparator() override { return ':'; }

 private:
  static std::string Lower(std::string s) {
    for (char& c : s)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
  }
  static std::string Strip(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return std::string();
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
  }
  static std::string Key(const std::string& file, const std::string& section, const std::string& key) {
    return file + '\n' + Lower(section) + '\n' + Lower(key);
  }

  void Parse(const std::string& file, const std::string& text) {
    std::string section;
    bool inSection = false;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find_first_of("\r\n", start);
      if (end == std::string::npos) end = text.size();
      const std::string line = Strip(text.substr(start, end - start));
      start = end + 1;
      if (!line.empty() && line[0] == '[') {
        const size_t close = line.find(']');
        section = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        inSection = true;
        continue;
      }
      const size_t eq = line.find('=');
      if (!inSection || eq == std::string::npos || line[0] == ';') continue;
      std::string value = Strip(line.substr(eq + 1));
      if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        value = value.substr(1, value.size() - 2);
      if (value.size() > 10240) value.resize(10240);
      values_.emplace(Key(file, Strip(section), Strip(line.substr(0, eq))), value);
    }
  }

  std::map<std::string, std::string> values_;
};

}  // namespace vxfuzz
