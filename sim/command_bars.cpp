// Office's command bars in the simulator: the context menu that Outlook builds for each
// right-click, with the host's own entries, that the add-in extends, and the test clicks.

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "sim/facade_call.h"

namespace fenmark::sim::detail {
namespace {

host::Failure BadArgument() {
  // Office's HRESULT, with the runtime's text for it.
  return {kInvalidArg, host::errors::RuntimeText(host::errors::kInvalidArgument)};
}

class ControlImpl : public host::CommandBarControl, Facade {
 public:
  ControlImpl(std::weak_ptr<Core> core, std::shared_ptr<ControlState> control)
      : Facade(std::move(core), L"CommandBarControl"), control_(std::move(control)) {}

  void SetCaption(const std::wstring& caption) override {
    Enter(L"SetCaption", Quote(caption));
    data().caption = caption;
  }
  void SetStyle(int style) override {
    EnterButton(L"SetStyle", std::to_wstring(style));
    data().style = style;
  }
  void SetFaceId(int face_id) override {
    EnterButton(L"SetFaceId", std::to_wstring(face_id));
    data().face_id = face_id;
  }
  void SetTag(const std::wstring& tag) override {
    Enter(L"SetTag", Quote(tag));
    data().tag = tag;
  }
  std::wstring Parameter() override {
    Enter(L"Parameter");
    return data().parameter;
  }
  void SetParameter(const std::wstring& parameter) override {
    Enter(L"SetParameter", Quote(parameter));
    data().parameter = parameter;
  }
  void SetEnabled(bool enabled) override {
    Enter(L"SetEnabled", enabled ? L"True" : L"False");
    data().enabled = enabled;
  }
  void SetOnAction(const std::wstring& on_action) override {
    Enter(L"SetOnAction", Quote(on_action));
    data().on_action = on_action;
  }
  void SetBeginGroup(bool begin_group) override {
    Enter(L"SetBeginGroup", begin_group ? L"True" : L"False");
    data().begin_group = begin_group;
  }
  host::Subscription OnClick(
      std::function<void(const std::shared_ptr<CommandBarControl>& ctrl, bool& cancel_default)>
          handler) override {
    EnterButton(L"OnClick");
    return control_->click.Subscribe(std::move(handler));
  }

 private:
  MenuControl& data() { return control_->data; }
  void Enter(const wchar_t* member, std::wstring arguments = {}) {
    Facade::Enter(member, std::move(arguments), Quote(control_->data.caption));
  }
  void EnterButton(const wchar_t* member, std::wstring arguments = {}) {
    Enter(member, std::move(arguments));
    if (control_->data.type != host::kMsoControlButton) throw NotSupported();
  }
  std::shared_ptr<ControlState> control_;
};

class ControlsImpl : public host::CommandBarControlCollection, Facade {
 public:
  ControlsImpl(std::weak_ptr<Core> core, std::shared_ptr<MenuState> menu)
      : Facade(std::move(core), L"CommandBarControlCollection"), menu_(std::move(menu)) {}

  std::shared_ptr<host::CommandBarControl> Add(int type, int before) override {
    auto core = Enter(L"Add", std::to_wstring(type) + L", " + std::to_wstring(before)).core;
    auto& controls = menu_->controls;
    if (type != host::kMsoControlButton && type != 10) throw BadArgument();
    if (before < 1 || before > static_cast<int>(controls.size()) + 1) throw BadArgument();
    auto control = std::make_shared<ControlState>();
    control->data.type = type;
    control->data.added_by_addin = true;
    controls.insert(controls.begin() + (before - 1), control);
    core->AddButton(control);
    return core->gate.Hand<host::CommandBarControl>(std::make_shared<ControlImpl>(core_, control));
  }

  std::shared_ptr<host::CommandBarControl> Item(int index) override {
    auto core = Enter(L"Item", std::to_wstring(index)).core;
    auto& controls = menu_->controls;
    if (index < 1 || index > static_cast<int>(controls.size())) throw BadArgument();
    return core->gate.Hand<host::CommandBarControl>(
        std::make_shared<ControlImpl>(core_, controls[index - 1]));
  }

 private:
  std::shared_ptr<MenuState> menu_;
};

class CommandBarImpl : public host::CommandBar, Facade {
 public:
  CommandBarImpl(std::weak_ptr<Core> core, std::shared_ptr<MenuState> menu)
      : Facade(std::move(core), L"CommandBar"), menu_(std::move(menu)) {}
  std::shared_ptr<host::CommandBarControlCollection> Controls() override {
    return Enter(L"Controls")
        ->gate.Hand<host::CommandBarControlCollection>(
            std::make_shared<ControlsImpl>(core_, menu_));
  }

 private:
  std::shared_ptr<MenuState> menu_;
};

// The host's own entries of each context menu; a caption ending in '>' opens a submenu. Outlook
// 2010's menus begin with the entries that its markup names as anchors ("Copy" and "Quick
// Print"); Outlook 2007's are the command-bar menus.
struct HostMenu {
  bool outlook14;
  const wchar_t* id_mso;
  std::vector<const wchar_t*> captions;
};
const HostMenu kHostMenus[] = {
    {true,
     kMailItemMenu,
     {L"Copy", L"Quick Print", L"Reply", L"Reply All", L"Forward", L"Mark as Read", L"Categorize>",
      L"Follow Up>", L"Find Related>", L"Quick Steps>", L"Rules>", L"Move>", L"Delete"}},
    {true,
     kCalendarItemMenu,
     {L"Open", L"Quick Print", L"Forward", L"Show As>", L"Categorize>", L"Private", L"Delete"}},
    {false,
     kMailItemMenu,
     {L"Open", L"Print", L"Reply", L"Reply to All", L"Forward", L"Follow Up>", L"Categorize>",
      L"Mark as Unread", L"Find All>", L"Create Rule...", L"Junk E-mail>", L"Delete",
      L"Move to Folder...", L"Message Options..."}},
    {false,
     kCalendarItemMenu,
     {L"Open", L"Print", L"Forward", L"Show Time As>", L"Categorize>", L"Private", L"Delete"}},
    {false,
     kMultipleItemsMenu,
     {L"Print", L"Reply", L"Forward", L"Categorize>", L"Mark as Read", L"Mark as Unread", L"Delete",
      L"Move to Folder..."}},
    {false, nullptr, {L"Open", L"Print", L"Forward", L"Follow Up>", L"Categorize>", L"Delete"}}};

}  // namespace

Ref<host::CommandBar> HandCommandBar(Core& core, const std::shared_ptr<MenuState>& menu) {
  return core.gate.Hand<host::CommandBar>(
      std::make_shared<CommandBarImpl>(core.weak_from_this(), menu));
}

std::shared_ptr<MenuState> NewMenu(const std::wstring& id_mso, bool outlook14) {
  auto menu = std::make_shared<MenuState>();
  menu->id_mso = id_mso;
  const auto& host_menu =
      *std::find_if(std::begin(kHostMenus), std::end(kHostMenus), [&](const HostMenu& candidate) {
        return !candidate.id_mso ||
               (candidate.id_mso == id_mso && (outlook14 || !candidate.outlook14));
      });
  for (std::wstring caption : host_menu.captions) {
    auto control = std::make_shared<ControlState>();
    control->data.type = caption.back() == L'>' ? 10 : host::kMsoControlButton;  // msoControlPopup
    if (caption.back() == L'>') caption.pop_back();
    control->data.caption = caption;
    menu->controls.push_back(control);
  }
  return menu;
}

}  // namespace fenmark::sim::detail

namespace fenmark::sim {

namespace {
std::shared_ptr<detail::Core> LockCore(const std::weak_ptr<detail::Core>& weak) {
  auto core = weak.lock();
  if (!core) throw std::logic_error("the simulated Outlook of this menu is gone");
  return core;
}
}  // namespace

std::wstring ContextMenu::IdMso() const {
  return state_ ? state_->id_mso : L"";
}

std::vector<MenuControl> ContextMenu::Controls() const {
  std::vector<MenuControl> controls;
  if (!state_) return controls;
  for (auto& control : state_->controls) {
    controls.push_back(control->data);
    controls.back().click_subscribers = static_cast<int>(control->click.Count());
  }
  return controls;
}

MenuControl ContextMenu::Control(int index) const {
  auto controls = Controls();
  if (index < 1 || index > static_cast<int>(controls.size()))
    throw std::out_of_range("no menu control at that index");
  return controls[index - 1];
}

bool ContextMenu::Click(int index) {
  if (!state_ || index < 1 || index > static_cast<int>(state_->controls.size())) return false;
  auto core = LockCore(core_);
  auto control = state_->controls[index - 1];
  if (!control->data.enabled) return false;
  core->Command();
  bool cancel_default = false;
  auto ref = core->gate.Hand<host::CommandBarControl>(
      std::make_shared<detail::ControlImpl>(core_, control));
  // Every live button with the clicked one's tag hears the click, whoever made it.
  std::vector<std::shared_ptr<detail::ControlState>> heard{control};
  for (auto& weak : core->buttons) {
    auto other = weak.lock();
    if (other && other != control && !control->data.tag.empty() &&
        other->data.tag == control->data.tag)
      heard.push_back(other);
  }
  for (auto& button : heard)
    button->click.Raise(*core, L"CommandBarButton.Click", ref, cancel_default);
  core->Repaint();
  state_->last_cancel_default = cancel_default;
  return true;
}

bool ContextMenu::ClickCaption(const std::wstring& caption) {
  if (!state_) return false;
  const auto& controls = state_->controls;
  for (std::size_t i = 0; i < controls.size(); ++i)
    if (controls[i]->data.caption == caption) return Click(static_cast<int>(i) + 1);
  return false;
}

bool ContextMenu::LastCancelDefault() const {
  return state_ && state_->last_cancel_default;
}

std::vector<RibbonMenuEntry> ContextMenu::RibbonEntries() const {
  return state_ ? state_->ribbon_entries : std::vector<RibbonMenuEntry>{};
}

std::optional<RibbonMenuEntry> ContextMenu::RibbonEntry(const std::wstring& id) const {
  for (auto& entry : RibbonEntries())
    if (detail::EqualsNoCase(entry.id, id)) return entry;
  return std::nullopt;
}

bool ContextMenu::ClickRibbonEntry(const std::wstring& id) {
  auto entry = RibbonEntry(id);
  if (!entry || !entry->visible || !entry->enabled || entry->separator || entry->on_action.empty())
    return false;
  auto core = LockCore(core_);
  core->Command();
  const bool called = core->CallAction(entry->on_action, entry->id, state_->context);
  core->Repaint();
  return called;
}

int ContextMenu::AddForeignButton(const std::wstring& caption, const std::wstring& tag,
                                  const std::wstring& parameter) {
  if (!state_) return 0;
  auto core = LockCore(core_);
  auto control = std::make_shared<detail::ControlState>();
  control->data.caption = caption;
  control->data.tag = tag;
  control->data.parameter = parameter;
  // The other program's handler: it only counts what reaches it.
  std::weak_ptr<detail::ControlState> weak = control;
  control->foreign_subscription =
      control->click.Subscribe([weak](const Ref<host::CommandBarControl>&, bool&) {
        if (auto self = weak.lock()) ++self->data.foreign_handler_runs;
      });
  state_->controls.insert(state_->controls.begin(), control);
  core->AddButton(control);
  return 1;
}

}  // namespace fenmark::sim
