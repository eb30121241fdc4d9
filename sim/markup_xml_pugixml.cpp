#include <pugixml.hpp>

#include "sim/markup_xml.h"

namespace fenmark::sim::xml {
namespace {

Element Convert(const pugi::xml_node& node) {
  Element element;
  element.name = node.name();
  for (auto attribute : node.attributes())
    element.attributes.emplace_back(attribute.name(), attribute.value());
  for (auto child : node.children())
    if (child.type() == pugi::node_element) element.children.push_back(Convert(child));
  return element;
}

}  // namespace

std::optional<Element> Parse(const std::string& utf8, ParseError& error) {
  pugi::xml_document doc;
  auto result = doc.load_buffer(utf8.data(), utf8.size());
  if (!result) {
    error = {result.description(), static_cast<std::size_t>(result.offset)};
    return std::nullopt;
  }
  return Convert(doc.document_element());
}

}  // namespace fenmark::sim::xml
