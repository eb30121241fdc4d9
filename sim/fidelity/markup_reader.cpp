// Office reading the add-in's ribbon markup before it shows anything: the tab's buttons and the
// context menus' entries with their callbacks, and every error that makes Office customise nothing.

#include <set>

#include "sim/fidelity/fidelity.h"
#include "sim/fidelity/markup_xml.h"
#include "sim/fidelity/parts.h"

namespace fenmark::sim::detail {
namespace {

const char kNs2007[] = "http://schemas.microsoft.com/office/2006/01/customui";
const char kNs2010[] = "http://schemas.microsoft.com/office/2009/07/customui";

std::wstring Text(const std::string& utf8) {
  return FromUtf8(std::vector<std::uint8_t>(utf8.begin(), utf8.end()));
}

bool BoolAttribute(const xml::Element& node, const char* name, bool fallback,
                   std::vector<std::wstring>& errors) {
  const std::string* attr = node.Find(name);
  if (!attr) return fallback;
  const std::string& value = *attr;
  if (value == "true" || value == "1") return true;
  if (value == "false" || value == "0") return false;
  errors.push_back(L"attribute " + Text(name) + L" has no Boolean value: " + Text(value));
  return fallback;
}

ParsedControl ParseControl(const xml::Element& node, std::vector<std::wstring>& errors) {
  ParsedControl control;
  control.separator = node.name == "menuSeparator";
  std::string id = node.Attribute("id");
  if (id.empty()) id = node.Attribute("idMso");
  if (id.empty()) id = node.Attribute("idQ");
  if (id.empty()) errors.push_back(L"a " + Text(node.name) + L" has no id");
  control.id = Text(id);
  control.label = Text(node.Attribute("label"));
  control.enabled = BoolAttribute(node, "enabled", true, errors);
  control.visible = BoolAttribute(node, "visible", true, errors);
  control.on_action = Text(node.Attribute("onAction"));
  control.get_enabled = Text(node.Attribute("getEnabled"));
  control.get_visible = Text(node.Attribute("getVisible"));
  if (node.Has("enabled") && node.Has("getEnabled"))
    errors.push_back(L"control " + control.id + L" has both enabled and getEnabled");
  if (node.Has("visible") && node.Has("getVisible"))
    errors.push_back(L"control " + control.id + L" has both visible and getVisible");
  return control;
}

bool IsEntry(const std::string& element) {
  return element == "button" || element == "toggleButton" || element == "checkBox" ||
         element == "menuSeparator";
}

// Parses as Office does before it shows anything: a document with an error customises nothing.
std::optional<LoadedRibbon> Parse(const std::wstring& ribbon_id, const std::wstring& markup,
                                  std::vector<std::wstring>& errors) {
  xml::ParseError failure;
  auto doc = xml::Parse(ToUtf8(markup), failure);
  if (!doc) {
    errors.push_back(ribbon_id + L": markup does not parse: " + Text(failure.description) +
                     L" at offset " + std::to_wstring(failure.offset));
    return std::nullopt;
  }
  const xml::Element& root = *doc;
  std::vector<std::wstring> found;
  std::string ns = root.Attribute("xmlns");
  if (root.name != "customUI") found.push_back(L"the root is not customUI");
  if (ns != kNs2007 && ns != kNs2010) found.push_back(L"unknown namespace " + Text(ns));

  LoadedRibbon ribbon;
  ribbon.on_load = Text(root.Attribute("onLoad"));
  std::set<std::wstring> ids;
  auto note_id = [&](const ParsedControl& control) {
    if (!control.id.empty() && !ids.insert(Lower(control.id)).second)
      found.push_back(L"duplicate id " + control.id);
  };
  const xml::Element* ribbon_node = root.Child("ribbon");
  const xml::Element* tabs = ribbon_node ? ribbon_node->Child("tabs") : nullptr;
  for (const auto& tab : tabs ? tabs->children : std::vector<xml::Element>{}) {
    if (tab.name != "tab") continue;
    for (const auto& group : tab.children) {
      if (group.name != "group") continue;
      for (const auto& node : group.children) {
        auto control = ParseControl(node, found);
        note_id(control);
        if (node.name == "button") ribbon.tab_buttons.push_back(control);
      }
    }
  }
  const xml::Element* menus = root.Child("contextMenus");
  if (menus && ns != kNs2010) found.push_back(L"contextMenus needs the 2009/07 namespace");
  for (const auto& menu : menus ? menus->children : std::vector<xml::Element>{}) {
    if (menu.name != "contextMenu") continue;
    std::wstring id_mso = Text(menu.Attribute("idMso"));
    if (id_mso.empty()) found.push_back(L"a contextMenu has no idMso");
    auto& entries = ribbon.menus[Lower(id_mso)];
    for (const auto& node : menu.children) {
      if (!IsEntry(node.name)) continue;
      auto control = ParseControl(node, found);
      note_id(control);
      entries.push_back(control);
    }
  }
  if (!found.empty()) {
    for (auto& error : found) errors.push_back(ribbon_id + L": " + error);
    return std::nullopt;
  }
  return ribbon;
}

}  // namespace
}  // namespace fenmark::sim::detail

void fenmark::sim::UseMarkupReader(Outlook& outlook) {
  detail::CoreOf(outlook).markup_reader = detail::Parse;
}
