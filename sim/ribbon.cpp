// The ribbon in the simulator, built from the add-in's markup the way Office builds it: onLoad,
// getVisible/getEnabled per control, onAction on click.

#include <cstdio>

#include "sim/facade_call.h"
#include "sim/markup_xml.h"

namespace fenmark::sim::detail {
namespace {

class RibbonUIImpl : public host::RibbonUI, Facade {
 public:
  RibbonUIImpl(std::weak_ptr<Core> core, std::shared_ptr<RibbonUIState> state)
      : Facade(std::move(core), L"RibbonUI"), state_(std::move(state)) {}
  void Invalidate() override {
    auto call = Enter(L"Invalidate", L"", state_->ribbon_id);
    ++state_->invalidates;
    call->InvalidateTabs(state_->ribbon_id);
  }
  const void* Identity() noexcept override { return state_.get(); }

 private:
  std::shared_ptr<RibbonUIState> state_;
};

class RibbonControlImpl : public host::RibbonControl, Facade {
 public:
  RibbonControlImpl(std::weak_ptr<Core> core, std::wstring id, ControlContext context)
      : Facade(std::move(core), L"RibbonControl"),
        id_(std::move(id)),
        context_(std::move(context)) {}
  std::wstring Id() override {
    Enter(L"Id", L"", Quote(id_));
    return id_;
  }
  host::RibbonContext Context() override {
    auto call = Enter(L"Context", L"", Quote(id_));
    host::RibbonContext context;
    if (context_.window) context.inspector = call->HandInspector(context_.window);
    if (context_.menu) context.selection = HandSelection(*call, context_.items);
    return context;
  }

 private:
  std::wstring id_;
  ControlContext context_;
};

// ---------------- markup ----------------

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

bool Core::LoadRibbon(const std::wstring& ribbon_id) {
  if (!ribbon_callbacks) return false;
  std::wstring markup;
  try {
    markup = ribbon_callbacks->GetCustomUI(ribbon_id);
  } catch (...) {
    RecordReturned(*this, L"Ribbon.GetCustomUI");
    return false;
  }
  if (markup.empty()) {
    ribbons.erase(Lower(ribbon_id));
    return false;
  }
  std::vector<std::wstring> errors;
  auto parsed = Parse(ribbon_id, markup, errors);
  if (!parsed) {
    // Office shows these only to a developer who asks for add-in errors; the sim always tells.
    for (const auto& error : errors) std::fprintf(stderr, "%s\n", ToUtf8(error).c_str());
    ribbons.erase(Lower(ribbon_id));
    return false;
  }
  auto ribbon = std::make_shared<LoadedRibbon>(std::move(*parsed));
  ribbon->ui = std::make_shared<RibbonUIState>();
  ribbon->ui->ribbon_id = ribbon_id;
  ribbon_uis.push_back(ribbon->ui);
  ribbons[Lower(ribbon_id)] = ribbon;
  if (!ribbon->on_load.empty()) {
    auto ui = Hand<host::RibbonUI>(std::make_shared<RibbonUIImpl>(weak_from_this(), ribbon->ui));
    try {
      ribbon_callbacks->OnLoad(ribbon->on_load, ui);
    } catch (...) {
      RecordReturned(*this, L"Ribbon." + ribbon->on_load);
    }
  }
  return true;
}

std::shared_ptr<LoadedRibbon> Core::Ribbon(const std::wstring& ribbon_id, bool load) {
  auto it = ribbons.find(Lower(ribbon_id));
  if (it != ribbons.end()) return it->second;
  if (load && LoadRibbon(ribbon_id)) return ribbons.at(Lower(ribbon_id));
  return nullptr;
}

void Core::AddButton(const std::shared_ptr<ControlState>& button) {
  buttons.erase(
      std::remove_if(buttons.begin(), buttons.end(),
                     [](const std::weak_ptr<ControlState>& weak) { return weak.expired(); }),
      buttons.end());
  buttons.push_back(button);
}

Ref<host::RibbonControl> Core::HandControl(const std::wstring& id, const ControlContext& context) {
  return Hand<host::RibbonControl>(
      std::make_shared<RibbonControlImpl>(weak_from_this(), id, context));
}

bool Core::CallBool(const std::wstring& name, const std::wstring& control_id, bool fallback,
                    const ControlContext& context) {
  if (!ribbon_callbacks) return fallback;
  auto control = HandControl(control_id, context);
  try {
    return ribbon_callbacks->GetBool(name, control);
  } catch (...) {
    RecordReturned(*this, L"Ribbon." + name);
    return fallback;
  }
}

bool Core::CallAction(const std::wstring& name, const std::wstring& control_id,
                      const ControlContext& context) {
  if (!ribbon_callbacks || name.empty()) return false;
  auto control = HandControl(control_id, context);
  try {
    ribbon_callbacks->Action(name, control);
  } catch (...) {
    RecordReturned(*this, L"Ribbon." + name);
  }
  return true;
}

Core::DrawnState Core::Draw(const ParsedControl& control, const ControlContext& context) {
  DrawnState state{control.visible, control.enabled};
  if (!control.get_visible.empty())
    state.visible = CallBool(control.get_visible, control.id, control.visible, context);
  if (state.visible && !control.separator && !control.get_enabled.empty())
    state.enabled = CallBool(control.get_enabled, control.id, control.enabled, context);
  return state;
}

std::vector<RibbonMenuEntry> Core::BuildMenuEntries(const std::wstring& id_mso,
                                                    const ControlContext& context) {
  std::vector<RibbonMenuEntry> entries;
  auto ribbon = Ribbon(kExplorerRibbon, true);
  if (!ribbon) return entries;
  auto it = ribbon->menus.find(Lower(id_mso));
  if (it == ribbon->menus.end()) return entries;
  for (auto& control : it->second) {
    auto entry = Drawn<RibbonMenuEntry>(control, context);
    entry.separator = control.separator;
    entries.push_back(entry);
  }
  return entries;
}

}  // namespace fenmark::sim::detail
