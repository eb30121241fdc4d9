#pragma once
// The simulated Office's menus as the test sees and clicks them: the command-bar context menu
// that Outlook builds and the add-in extends, the entries and buttons of the add-in's markup, and
// how the sim reaches the add-in's ribbon side.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/host.h"

namespace fenmark::sim {

using host::Ref;

namespace detail {
struct Core;
struct MenuState;
}  // namespace detail

using host::kAppointmentRibbon;
using host::kExplorerRibbon;
using host::kTaskRibbon;

// Context menus of the explorer's markup.
inline constexpr wchar_t kMailItemMenu[] = L"ContextMenuMailItem";
inline constexpr wchar_t kCalendarItemMenu[] = L"ContextMenuCalendarItem";
inline constexpr wchar_t kMultipleItemsMenu[] = L"ContextMenuMultipleItems";
inline constexpr wchar_t kOtherItemMenu[] = L"ContextMenuContactItem";  // contacts and others
inline constexpr wchar_t kTaskItemMenu[] = L"ContextMenuTaskItem";

// A command-bar control as it stands on a menu.
struct MenuControl {
  int type = 1;  // 1 button, 10 popup
  std::wstring caption;
  std::wstring tag;
  std::wstring parameter;
  std::wstring on_action;
  bool enabled = true;
  bool begin_group = false;
  int style = 0;
  int face_id = 0;
  bool added_by_addin = false;  // false: one of the host's own entries
  int click_subscribers = 0;
  int foreign_handler_runs = 0;  // clicks that reached the handler of another program's button
};

// An entry of a ribbon context menu built from the add-in's markup.
struct RibbonMenuEntry {
  std::wstring id;
  std::wstring label;
  bool separator = false;
  bool visible = true;
  bool enabled = true;
  std::wstring on_action;  // callback name, empty if none
};

// A button of a ribbon tab built from the add-in's markup.
struct RibbonButton {
  std::wstring id;
  std::wstring label;
  bool enabled = true;
  bool visible = true;
  std::wstring on_action;
};

// How the sim reaches the add-in's ribbon side: the add-in object's IRibbonExtensibility and the
// callbacks named in its markup, called by name as Office calls them through IDispatch.
class RibbonCallbacks {
 public:
  virtual ~RibbonCallbacks() = default;
  virtual std::wstring GetCustomUI(const std::wstring& ribbon_id) = 0;
  virtual void OnLoad(const std::wstring& name, const Ref<host::RibbonUI>& ribbon) = 0;
  // getEnabled / getVisible.
  virtual bool GetBool(const std::wstring& name, const Ref<host::RibbonControl>& control) = 0;
  // onAction.
  virtual void Action(const std::wstring& name, const Ref<host::RibbonControl>& control) = 0;
};

// A right-click context menu: the command bar that Outlook built (and the add-in may have
// extended in ItemContextMenuDisplay) and, from Outlook 14 on, the entries of the add-in's
// context-menu markup. Stays usable after the right-click, so that a test can click.
class ContextMenu {
 public:
  ContextMenu() = default;
  ContextMenu(std::shared_ptr<detail::MenuState> state, std::weak_ptr<detail::Core> core)
      : state_(std::move(state)), core_(std::move(core)) {}

  // The menu's idMso: kMailItemMenu, kCalendarItemMenu, kMultipleItemsMenu or kOtherItemMenu.
  std::wstring IdMso() const;

  // Command-bar controls, top to bottom.
  std::vector<MenuControl> Controls() const;
  MenuControl Control(int index) const;  // 1-based; throws std::out_of_range past the end
  // The user clicks control `index`: raises its Click to every subscriber with the control and a
  // CancelDefault flag. Returns false (and raises nothing) for a disabled control.
  bool Click(int index);
  bool ClickCaption(const std::wstring& caption);
  // CancelDefault as the last Click left it. Office raises a click on every live button that has
  // the clicked one's tag, on any menu, whichever program added it.
  bool LastCancelDefault() const;
  // Another program (add-in or macro) puts its own button at the top of the menu, with its own
  // click handler; returns its index (1).
  int AddForeignButton(const std::wstring& caption, const std::wstring& tag,
                       const std::wstring& parameter);

  // Entries from the add-in's markup (empty before Outlook 14 or without markup), as shown:
  // getVisible and getEnabled were asked when the menu was built.
  std::vector<RibbonMenuEntry> RibbonEntries() const;
  std::optional<RibbonMenuEntry> RibbonEntry(const std::wstring& id) const;
  // The user clicks the markup entry: calls its onAction. False (and no call) when the entry is
  // missing, hidden, disabled, a separator or has no onAction.
  bool ClickRibbonEntry(const std::wstring& id);

 private:
  std::shared_ptr<detail::MenuState> state_;
  std::weak_ptr<detail::Core> core_;
};

}  // namespace fenmark::sim
