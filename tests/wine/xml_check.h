// A small XML reader for the tests: checks that a document is well-formed (one root element,
// tags nested and closed, attributes quoted and not repeated, only the five predefined
// entities and character references) and gives its elements as a tree.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vxtest {

struct XmlElement {
  std::string name;  // as written, prefix included
  std::map<std::string, std::string> attributes;
  std::string text;  // character data directly inside, entities resolved
  std::vector<std::unique_ptr<XmlElement>> children;

  // Every element below this one (at any depth) with this name, in document order.
  std::vector<const XmlElement*> FindAll(const std::string& elementName) const;
  std::string Attribute(const std::string& key) const;  // empty when absent
};

// Parses text; on failure returns null and says where and why in error.
std::unique_ptr<XmlElement> ParseXml(const std::string& text, std::string& error);

}  // namespace vxtest
