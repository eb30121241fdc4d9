#include "ui/command_bar_menu.h"

#include <utility>

#include "ui/drawing_status.h"
#include "ui/markup.h"

namespace fenmark::ui {
namespace {

// A failure that must reach the host as it is, past the handler's own report.
struct Untrapped {
  host::Failure failure;
};

// Returns the entry ID handed to the button.
std::wstring SetUp(AddIn& addin, const MenuButton& spec, Ref<host::CommandBarControl> added,
                   host::Item& item, std::wstring_view status, int item_class) {
  host::CommandBarControl& button = addin.Store(spec.operation, std::move(added));
  button.SetCaption(std::wstring(spec.caption));
  button.SetStyle(host::kMsoButtonIconAndCaption);
  button.SetFaceId(kButtonFaceId);
  button.SetTag(std::wstring(kButtonTagPrefix) + std::wstring(host::NameOf(spec.operation)));
  std::wstring entry_id;
  try {
    entry_id = item.EntryID();
    button.SetParameter(entry_id);
  } catch (const host::Failure& failure) {
    throw Untrapped{failure};
  }
  if (!Allows(spec.operation, item_class, status)) button.SetEnabled(false);
  button.SetOnAction(std::wstring(kButtonOnAction));
  return entry_id;
}

void AddButtons(AddIn& addin, host::CommandBar& command_bar, Menu menu, host::Item& item,
                std::wstring_view status, int item_class) {
  auto controls = command_bar.Controls();
  int added = 0;
  std::wstring entry_id;
  for (const auto& spec : kMenuButtons) {
    if (spec.menu != menu) continue;
    entry_id = SetUp(addin, spec, host::Require(controls).Add(host::kMsoControlButton, spec.before),
                     item, status, item_class);
    ++added;
  }
  // A button carries the entry ID only; the click finds the store here, as long as no other
  // menu's item has been handed over since.
  addin.RememberDrawn({entry_id, host::StoreIDOf(item)});
  // The host's first own entry, now just below the add-in's buttons.
  host::Require(controls->Item(added + 1)).SetBeginGroup(true);
}

void Build(AddIn& addin, const Ref<host::CommandBar>& command_bar,
           const Ref<host::ItemSelection>& selection) {
  if (!SortsBefore14(host::Require(addin.Application()).Version())) return;
  if (host::Require(selection).Count() != 1) return;
  auto item = selection->Item(1);
  const int item_class = host::Require(item).Class();
  if (item_class == host::kOlMail || item_class == host::kOlPost) {
    AddButtons(addin, host::Require(command_bar), Menu::kMail, *item, L"", item_class);
  } else if (item_class == host::kOlAppointment) {
    const std::wstring status =
        addin.Statuses().Status(addin, item, item->EntryID(), Asking::kCommandBarMenu, L"");
    if (status.empty()) return;
    AddButtons(addin, host::Require(command_bar), Menu::kAppointment, *item, status, item_class);
  } else if (item_class == host::kOlTask) {
    // A task never saved has no entry ID for the button to carry.
    const std::wstring status = TaskItemStatus(*item);
    if (status.empty()) return;
    AddButtons(addin, host::Require(command_bar), Menu::kTask, *item, status, item_class);
  }
}

}  // namespace

void ShowContextMenu(AddIn& addin, const Ref<host::CommandBar>& command_bar,
                     const Ref<host::ItemSelection>& selection) {
  try {
    Build(addin, command_bar, selection);
  } catch (Untrapped& untrapped) {
    throw std::move(untrapped.failure);
  } catch (...) {
    // No box while the menu is being built: Outlook shows the menu only once the handler has
    // returned. The menu keeps what was added; a click reports what fails then.
  }
}

void ButtonClick(AddIn& addin, host::Operation operation,
                 const Ref<host::CommandBarControl>& button) {
  host::ItemRef item = addin.Remembered();
  item.SetEntryID(host::Require(button).Parameter());
  addin.Run(operation, std::move(item));
}

}  // namespace fenmark::ui
