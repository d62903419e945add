#include "manifest.h"

#include <filesystem>
#include <set>
#include <vector>

#include "out_file.h"

namespace vxpack {
namespace fs = std::filesystem;

namespace {

std::string TrimBlanks(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string Unquoted(const std::string& v) {
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') return v.substr(1, v.size() - 2);
  return v;
}

std::string Join(const std::string& base, const std::string& p) {
  if (p.empty()) return p;
  const fs::path path(p);
  return path.is_absolute() || base.empty() ? p : (fs::path(base) / path).string();
}

class Parser {
 public:
  Parser(const std::string& baseDir, const std::string& source, BuildConfig& cfg)
      : base_(baseDir), source_(source), cfg_(cfg) {}

  bool Line(int number, const std::string& raw, std::string& error) {
    line_ = number;
    std::string s = TrimBlanks(raw);
    if (s.empty() || s[0] == ';' || s[0] == '#') return true;
    if (s[0] == '[') return Section(s, error);
    const size_t eq = s.find('=');
    if (eq == std::string::npos) return Fail("expected key = value", error);
    const std::string key = TrimBlanks(s.substr(0, eq));
    const std::string value = Unquoted(TrimBlanks(s.substr(eq + 1)));
    if (key.empty()) return Fail("empty key", error);
    if (section_.empty()) return Fail("key outside of a section", error);
    if (!seen_.insert(section_ + "\n" + Lower(key)).second) return Fail("duplicate key " + key, error);
    if (section_ == "package") return Package(Lower(key), value, error);
    if (section_ == "settings") return Settings(Lower(key), value, error);
    if (section_ == "web") return Web(Lower(key), value, error);
    if (section_ == "sign") return Sign(Lower(key), value, error);
    if (section_ == "files") {
      cfg_.extraFiles.emplace_back(key, Join(base_, value));
      return true;
    }
    // A language section.
    if (key.find('=') != std::string::npos) return Fail("a text key cannot contain '='", error);
    cfg_.languages.back().values.emplace_back(key, value);
    return true;
  }

 private:
  bool Fail(const std::string& what, std::string& error) {
    error = source_ + ":" + std::to_string(line_) + ": " + what;
    return false;
  }

  bool Section(const std::string& s, std::string& error) {
    if (s.back() != ']') return Fail("section header without ']'", error);
    const std::string name = TrimBlanks(s.substr(1, s.size() - 2));
    const std::string lower = Lower(name);
    if (lower == "package" || lower == "settings" || lower == "web" || lower == "files" || lower == "sign") {
      section_ = lower;
      if (lower == "web") cfg_.hasWeb = true;
    } else if (lower.compare(0, 9, "language ") == 0 && !TrimBlanks(name.substr(9)).empty()) {
      LanguageEntry e;
      e.name = TrimBlanks(name.substr(9));
      for (const LanguageEntry& other : cfg_.languages)
        if (Lower(other.name) == Lower(e.name)) return Fail("language " + e.name + " given twice", error);
      cfg_.languages.push_back(e);
      section_ = "language\n" + lower;
    } else {
      return Fail("unknown section [" + name + "]", error);
    }
    if (!sections_.insert(section_).second) return Fail("section [" + name + "] given twice", error);
    return true;
  }

  bool Bool(const std::string& key, const std::string& v, bool& out, std::string& error) {
    return ParseBool(v, out) || Fail(key + ": expected yes or no, got '" + v + "'", error);
  }

  bool Size(const std::string& key, const std::string& v, uint64_t& out, std::string& error) {
    return ParseSize(v, out) || Fail(key + ": expected a size such as 65536, 64K or 1M, got '" + v + "'", error);
  }

  bool Int(const std::string& key, const std::string& v, int lo, int hi, int& out, std::string& error) {
    uint64_t n = 0;
    if (v.empty() || v.find_first_not_of("0123456789") != std::string::npos || v.size() > 6 ||
        !ParseSize(v, n) || n < static_cast<uint64_t>(lo) || n > static_cast<uint64_t>(hi))
      return Fail(key + ": expected a number from " + std::to_string(lo) + " to " + std::to_string(hi), error);
    out = static_cast<int>(n);
    return true;
  }

  bool Package(const std::string& key, const std::string& v, std::string& error) {
    if (key == "output") cfg_.output = Join(base_, v);
    else if (key == "launcher") cfg_.launcher = Join(base_, v);
    else if (key == "files") cfg_.filesFolder = Join(base_, v);
    else if (key == "setup") cfg_.setupName = v;
    else if (key == "setup_params") cfg_.setupParams = v;
    else if (key == "block_size") return Size(key, v, cfg_.blockSize, error);
    else if (key == "span_size") return Size(key, v, cfg_.spanSize, error);
    else if (key == "level") return Int(key, v, 1, 12, cfg_.level, error);
    else if (key == "threads") return Int(key, v, 1, 64, cfg_.threads, error);
    else if (key == "dates") {
      if (Lower(v) == "mtime") cfg_.storeDates = true;
      else if (Lower(v) == "none") cfg_.storeDates = false;
      else return Fail("dates: expected mtime or none", error);
    } else if (key == "confirm_extract") return Bool(key, v, cfg_.confirmExtract, error);
    else if (key == "second_bar") return Bool(key, v, cfg_.secondBar, error);
    else if (key == "make_agent") return Bool(key, v, cfg_.makeAgent, error);
    else if (key == "agent") return Bool(key, v, cfg_.agent, error);
    else if (key == "signable") return Bool(key, v, cfg_.signable, error);
    else return Fail("unknown key " + key + " in [package]", error);
    return true;
  }

  bool Settings(const std::string& key, const std::string& v, std::string& error) {
    if (key == "update_url") cfg_.updateUrl = v;
    else if (key == "info_file") cfg_.infoFile = v;
    else if (key == "agent_exe") cfg_.agentExe = v;
    else if (key == "agent_token") cfg_.agentToken = v;
    else if (key == "run_hidden") return Bool(key, v, cfg_.runHidden, error);
    else return Fail("unknown key " + key + " in [settings]", error);
    return true;
  }

  bool Web(const std::string& key, const std::string& v, std::string& error) {
    if (key == "url_folder") {
      cfg_.web.folder = v;
      while (!cfg_.web.folder.empty() && cfg_.web.folder.back() == '/') cfg_.web.folder.pop_back();
    } else if (key == "file") cfg_.web.fileName = v;
    else if (key == "no_local") return Bool(key, v, cfg_.web.noLocal, error);
    else if (key == "token") cfg_.web.token = v;
    else if (key == "size") cfg_.web.sizeText = Lower(v) == "auto" ? std::string() : v;
    else if (key == "ask_download") return Bool(key, v, cfg_.web.askDownload, error);
    else if (key == "launcher_output") cfg_.web.launcherOutput = Join(base_, v);
    else return Fail("unknown key " + key + " in [web]", error);
    return true;
  }

  bool Sign(const std::string& key, const std::string& v, std::string& error) {
    SignOptions& o = cfg_.sign;
    if (key == "cert") o.files.cert = Join(base_, v);
    else if (key == "key") o.files.key = Join(base_, v);
    else if (key == "pkcs12") o.files.pkcs12 = Join(base_, v);
    else if (key == "password_file") o.passwordFile = Join(base_, v);
    else if (key == "timestamp") o.timestamp = v;
    else if (key == "description") o.description = v;
    else if (key == "url") o.url = v;
    else if (key == "pins") {
      std::string why;
      if (!ParsePins(v, cfg_.pins, why)) return Fail("pins: " + why, error);
    } else if (key == "password") {
      return Fail("password: a password is never written in the manifest; use password_file or the "
                  "environment variable " + std::string(kPasswordVariable), error);
    } else {
      return Fail("unknown key " + key + " in [sign]", error);
    }
    return true;
  }

  std::string base_, source_;
  BuildConfig& cfg_;
  std::string section_;
  std::set<std::string> seen_, sections_;
  int line_ = 0;
};

}  // namespace

bool ParseSize(const std::string& text, uint64_t& value) {
  const std::string t = TrimBlanks(text);
  if (t.empty() || t[0] < '0' || t[0] > '9') return false;
  uint64_t n = 0;
  size_t i = 0;
  for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
    if (n > (UINT64_MAX - 9) / 10) return false;
    n = n * 10 + static_cast<uint64_t>(t[i] - '0');
  }
  const std::string unit = Lower(TrimBlanks(t.substr(i)));
  int shift = 0;
  if (unit.empty() || unit == "b") shift = 0;
  else if (unit == "k" || unit == "kb" || unit == "kib") shift = 10;
  else if (unit == "m" || unit == "mb" || unit == "mib") shift = 20;
  else if (unit == "g" || unit == "gb" || unit == "gib") shift = 30;
  else return false;
  if (n > (UINT64_MAX >> shift)) return false;
  value = n << shift;
  return true;
}

bool ParseBool(const std::string& text, bool& value) {
  const std::string t = Lower(TrimBlanks(text));
  if (t == "yes" || t == "true" || t == "on" || t == "1") value = true;
  else if (t == "no" || t == "false" || t == "off" || t == "0") value = false;
  else return false;
  return true;
}

bool ParseManifest(const std::string& text, const std::string& baseDir, const std::string& source,
                   BuildConfig& cfg, std::string& error) {
  Parser parser(baseDir, source, cfg);
  size_t start = 0;
  int number = 0;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;  // byte-order mark of an editor
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!parser.Line(++number, line, error)) return false;
    start = end + 1;
  }
  return true;
}

bool LoadManifest(const std::string& path, BuildConfig& cfg, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes)) {
    error = "cannot read manifest " + path;
    return false;
  }
  const std::string base = fs::path(path).parent_path().string();
  return ParseManifest(std::string(bytes.begin(), bytes.end()), base, path, cfg, error);
}

}  // namespace vxpack
