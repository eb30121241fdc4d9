#include "ui/ribbon_callbacks.h"

#include "ui/drawing_status.h"
#include "ui/status_rules.h"

namespace fenmark::ui {
namespace {

// What the host says the control is about; a call without a control is about nothing named.
host::RibbonContext ContextOf(const Ref<host::RibbonControl>& control) {
  return control ? control->Context() : host::RibbonContext{};
}

// The current item of the window whose tab is asked: the control's own window; the active
// inspector stands for it when the host names none.
Ref<host::Item> InspectorItem(AddIn& addin, const Ref<host::RibbonControl>& control) {
  auto inspector = ContextOf(control).inspector;
  if (!inspector) inspector = host::Require(addin.Application()).ActiveInspector();
  auto item = host::Require(inspector).CurrentItem();
  host::Require(item);
  return item;
}

bool Accepted(int item_class) {
  return item_class == host::kOlMail || item_class == host::kOlPost ||
         item_class == host::kOlAppointment || item_class == host::kOlTask;
}

// The item that a context menu is built for: the only one right-clicked, or nothing. A menu
// raised outside the main window's list names its own items; the main window's selection stands
// for them only when the host names none.
Ref<host::Item> SelectedItem(AddIn& addin, const host::RibbonContext& context) {
  auto selection = context.selection;
  if (!selection) {
    auto explorer = context.explorer;
    if (!explorer) explorer = host::Require(addin.Application()).ActiveExplorer();
    selection = host::Require(explorer).Selection();
  }
  if (host::Require(selection).Count() != 1) return nullptr;
  auto item = selection->Item(1);
  host::Require(item);
  return item;
}

// Both from the item a drawing asks about. An entry ID names one store's item, so the store is
// read only for an item not remembered already: eight callbacks of one menu read it once.
void RememberDrawn(AddIn& addin, host::Item& item, const std::wstring& entry_id) {
  const auto& remembered = addin.Remembered();
  if (entry_id == remembered.entry_id && !remembered.store_id.empty()) return;
  addin.RememberDrawn({entry_id, host::StoreIDOf(item)});
}

// The store is read first, then the entry ID.
host::ItemRef RefOf(host::Item& item) {
  auto store_id = host::StoreIDOf(item);
  return {item.EntryID(), std::move(store_id)};
}

}  // namespace

bool TabGetEnabled(AddIn& addin, const Ref<host::RibbonControl>& control) {
  auto appointment = InspectorItem(addin, control);
  const int item_class = appointment->Class();
  // A task window's tab offers Schedule.
  if (item_class == host::kOlTask)
    return IsEnabled(host::Require(control).Id(), item_class, TaskItemStatus(*appointment));
  if (item_class != host::kOlAppointment) throw host::errors::TypeMismatch();
  const std::wstring id = host::Require(control).Id();
  const std::wstring status =
      addin.Statuses().Status(addin, appointment, appointment->EntryID(), Asking::kTabEnabled, id);
  return IsEnabled(id, host::kOlAppointment, status);
}

bool MenuGetEnabled(AddIn& addin, const Ref<host::RibbonControl>& control) {
  auto item = SelectedItem(addin, ContextOf(control));
  if (!item) return false;
  const int item_class = item->Class();
  if (!Accepted(item_class)) return false;
  const std::wstring entry_id = item->EntryID();
  RememberDrawn(addin, *item, entry_id);
  const std::wstring id = host::Require(control).Id();
  std::wstring status;
  if (item_class == host::kOlAppointment)
    status = addin.Statuses().Status(addin, item, entry_id, Asking::kMenuEnabled, id);
  if (item_class == host::kOlTask) status = TaskItemStatus(*item);
  return IsEnabled(id, item_class, status);
}

bool MenuGetVisible(AddIn& addin, const Ref<host::RibbonControl>& control) {
  auto item = SelectedItem(addin, ContextOf(control));
  if (!item || item->Class() != host::kOlAppointment) return false;
  const std::wstring entry_id = item->EntryID();
  RememberDrawn(addin, *item, entry_id);
  // The four entries show or hide together; the id only tells the drawing's callbacks apart, and
  // a call without a control is answered all the same.
  const std::wstring id = control ? control->Id() : std::wstring();
  return !addin.Statuses().Status(addin, item, entry_id, Asking::kMenuVisible, id).empty();
}

void TabClick(AddIn& addin, const Ref<host::RibbonControl>& control, host::Operation operation) {
  // Kept from before the operation: completing brings the task's window up, which changes the
  // active inspector, and the window to close is the appointment's.
  auto item = InspectorItem(addin, control);
  // A failed or cancelled Complete leaves the window as the user had it, unsaved edits and all.
  if (addin.Run(operation, RefOf(*item)) && operation == host::Operation::kCompleteTask)
    item->Close(host::kOlSave);
}

void MenuClick(AddIn& addin, const Ref<host::RibbonControl>& control, host::Operation operation) {
  // Without a context the host named no items; the entry ID stored while the menu was built
  // stands. Items named that are not one accepted item leave nothing to act on: an entry ID
  // stored earlier may be another item's.
  const auto context = ContextOf(control);
  if (!context.selection && !context.explorer) {
    addin.Run(operation, addin.Remembered());
    return;
  }
  auto item = SelectedItem(addin, context);
  if (!item || !Accepted(item->Class())) return;
  addin.Run(operation, RefOf(*item));
}

}  // namespace fenmark::ui
