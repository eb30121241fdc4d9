#pragma once
// The little XML the simulated Office needs to read the add-in's markup: elements and their
// attributes, nothing else. Internal to sim/; read by a small reader of its own on every build.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fenmark::sim::xml {

struct Element {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;  // UTF-8, entities decoded
  std::vector<Element> children;                                // elements only, in order

  const std::string* Find(std::string_view attribute) const {
    for (const auto& [key, value] : attributes)
      if (key == attribute) return &value;
    return nullptr;
  }
  bool Has(std::string_view attribute) const { return Find(attribute) != nullptr; }
  // "" when missing.
  std::string Attribute(std::string_view attribute) const {
    const auto* value = Find(attribute);
    return value ? *value : std::string();
  }
  // The first child element of that name, or null.
  const Element* Child(std::string_view child) const {
    for (const auto& element : children)
      if (element.name == child) return &element;
    return nullptr;
  }
};

struct ParseError {
  std::string description;
  std::size_t offset = 0;
};

// The document element of `utf8`, or nothing with `error` filled in.
std::optional<Element> Parse(const std::string& utf8, ParseError& error);

}  // namespace fenmark::sim::xml
