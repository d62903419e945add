#include "xml_check.h"

#include <cstring>

namespace vxtest {
namespace {

class Reader {
 public:
  explicit Reader(const std::string& t) : t_(t) {}

  std::unique_ptr<XmlElement> Document(std::string& error) {
    if (t_.compare(0, 3, "\xEF\xBB\xBF") == 0) p_ = 3;
    if (t_.compare(p_, 5, "<?xml") == 0) {
      const size_t end = t_.find("?>", p_);
      if (end == std::string::npos) return Fail(error, "unclosed XML declaration");
      p_ = end + 2;
    }
    if (!Misc(error)) return nullptr;
    if (p_ >= t_.size() || t_[p_] != '<') return Fail(error, "no root element");
    std::unique_ptr<XmlElement> root = Element(error);
    if (!root) return nullptr;
    if (!Misc(error)) return nullptr;
    if (p_ != t_.size()) return Fail(error, "content after the root element");
    return root;
  }

 private:
  std::unique_ptr<XmlElement> Fail(std::string& error, const std::string& why) {
    if (error.empty()) error = why + " at offset " + std::to_string(p_);
    return nullptr;
  }

  static bool NameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == ':' ||
           c == '-' || c == '.' || static_cast<unsigned char>(c) >= 0x80;
  }
  static bool NameStart(char c) { return NameChar(c) && !(c >= '0' && c <= '9') && c != '-' && c != '.'; }
  static bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

  void SkipBlanks() {
    while (p_ < t_.size() && Blank(t_[p_])) ++p_;
  }

  // Blanks and comments between the top-level parts.
  bool Misc(std::string& error) {
    for (;;) {
      SkipBlanks();
      if (t_.compare(p_, 4, "<!--") != 0) return true;
      if (!Comment(error)) return false;
    }
  }

  bool Comment(std::string& error) {
    const size_t end = t_.find("-->", p_ + 4);
    if (end == std::string::npos) return Fail(error, "unclosed comment"), false;
    p_ = end + 3;
    return true;
  }

  bool Name(std::string& out) {
    if (p_ >= t_.size() || !NameStart(t_[p_])) return false;
    const size_t start = p_;
    while (p_ < t_.size() && NameChar(t_[p_])) ++p_;
    out = t_.substr(start, p_ - start);
    return true;
  }

  // Character data up to stop, with entity and character references resolved.
  bool CharData(const char* stop, std::string& out, std::string& error) {
    while (p_ < t_.size() && std::strchr(stop, t_[p_]) == nullptr) {
      if (t_[p_] == '&') {
        const size_t semi = t_.find(';', p_);
        if (semi == std::string::npos) return Fail(error, "unterminated reference"), false;
        const std::string ref = t_.substr(p_ + 1, semi - p_ - 1);
        if (ref == "amp") out += '&';
        else if (ref == "lt") out += '<';
        else if (ref == "gt") out += '>';
        else if (ref == "quot") out += '"';
        else if (ref == "apos") out += '\'';
        else if (ref.size() > 1 && ref[0] == '#') out += '?';  // a character reference
        else return Fail(error, "unknown entity &" + ref + ";"), false;
        p_ = semi + 1;
      } else {
        out += t_[p_++];
      }
    }
    return true;
  }

  std::unique_ptr<XmlElement> Element(std::string& error) {
    ++p_;  // '<'
    auto e = std::make_unique<XmlElement>();
    if (!Name(e->name)) return Fail(error, "bad element name");
    for (;;) {
      const size_t before = p_;
      SkipBlanks();
      if (p_ >= t_.size()) return Fail(error, "unclosed start tag <" + e->name);
      if (t_.compare(p_, 2, "/>") == 0) {
        p_ += 2;
        return e;
      }
      if (t_[p_] == '>') {
        ++p_;
        break;
      }
      if (p_ == before) return Fail(error, "attributes must be separated by blanks");
      std::string key;
      if (!Name(key)) return Fail(error, "bad attribute name in <" + e->name);
      SkipBlanks();
      if (p_ >= t_.size() || t_[p_] != '=') return Fail(error, "attribute " + key + " without value");
      ++p_;
      SkipBlanks();
      if (p_ >= t_.size() || (t_[p_] != '"' && t_[p_] != '\'')) return Fail(error, "unquoted attribute " + key);
      const char quote[2] = {t_[p_++], '\0'};
      std::string value;
      if (!CharData(quote, value, error)) return nullptr;
      if (p_ >= t_.size()) return Fail(error, "unclosed attribute " + key);
      ++p_;
      if (value.find('<') != std::string::npos) return Fail(error, "'<' in attribute " + key);
      if (!e->attributes.emplace(key, value).second) return Fail(error, "repeated attribute " + key);
    }
    for (;;) {
      if (!CharData("<", e->text, error)) return nullptr;
      if (p_ >= t_.size()) return Fail(error, "unclosed element <" + e->name + ">");
      if (t_.compare(p_, 4, "<!--") == 0) {
        if (!Comment(error)) return nullptr;
      } else if (t_.compare(p_, 2, "</") == 0) {
        p_ += 2;
        std::string closing;
        if (!Name(closing) || closing != e->name) return Fail(error, "</" + closing + "> closes <" + e->name + ">");
        SkipBlanks();
        if (p_ >= t_.size() || t_[p_] != '>') return Fail(error, "bad end tag </" + closing);
        ++p_;
        return e;
      } else {
        std::unique_ptr<XmlElement> child = Element(error);
        if (!child) return nullptr;
        e->children.push_back(std::move(child));
      }
    }
  }

  const std::string& t_;
  size_t p_ = 0;
};

void Collect(const XmlElement& e, const std::string& name, std::vector<const XmlElement*>& out) {
  for (const auto& c : e.children) {
    if (c->name == name) out.push_back(c.get());
    Collect(*c, name, out);
  }
}

}  // namespace

std::vector<const XmlElement*> XmlElement::FindAll(const std::string& elementName) const {
  std::vector<const XmlElement*> out;
  Collect(*this, elementName, out);
  return out;
}

std::string XmlElement::Attribute(const std::string& key) const {
  const auto it = attributes.find(key);
  return it == attributes.end() ? std::string() : it->second;
}

std::unique_ptr<XmlElement> ParseXml(const std::string& text, std::string& error) {
  error.clear();
  return Reader(text).Document(error);
}

}  // namespace vxtest
