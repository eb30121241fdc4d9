// The ribbon in the simulator, built from the add-in's markup the way Office builds it: onLoad,
// getVisible/getEnabled per control, onAction on click.

#include <cstdio>

#include "sim/facade_call.h"

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
  std::optional<LoadedRibbon> parsed;
  if (markup_reader)
    parsed = markup_reader(ribbon_id, markup, errors);
  else
    errors.push_back(ribbon_id + L": no markup reader is installed");
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
    auto ui =
        gate.Hand<host::RibbonUI>(std::make_shared<RibbonUIImpl>(weak_from_this(), ribbon->ui));
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
  return gate.Hand<host::RibbonControl>(
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
