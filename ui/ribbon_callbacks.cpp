#include "ui/ribbon_callbacks.h"

#include "ui/status_rules.h"

namespace fenmark::ui {
namespace {

// The current item of the window whose tab is asked; the active inspector stands for it.
Ref<host::Item> InspectorItem(AddIn& addin) {
  auto inspector = host::Require(addin.Application()).ActiveInspector();
  auto item = host::Require(inspector).CurrentItem();
  host::Require(item);
  return item;
}

// The item that a context menu is built for: the only one selected, or nothing.
Ref<host::Item> SelectedItem(AddIn& addin) {
  auto explorer = host::Require(addin.Application()).ActiveExplorer();
  auto selection = host::Require(explorer).Selection();
  if (host::Require(selection).Count() != 1) return nullptr;
  auto item = selection->Item(1);
  host::Require(item);
  return item;
}

bool Accepted(int item_class) {
  return item_class == host::kOlMail || item_class == host::kOlPost ||
         item_class == host::kOlAppointment;
}

}  // namespace

bool TabGetEnabled(AddIn& addin, const Ref<host::RibbonControl>& control) {
  auto appointment = InspectorItem(addin);
  if (appointment->Class() != host::kOlAppointment) throw host::errors::TypeMismatch();
  const std::wstring status = addin.TaskStatus(appointment);
  return IsEnabled(host::Require(control).Id(), host::kOlAppointment, status);
}

bool MenuGetEnabled(AddIn& addin, const Ref<host::RibbonControl>& control) {
  auto item = SelectedItem(addin);
  if (!item) return false;
  const int item_class = item->Class();
  if (!Accepted(item_class)) return false;
  addin.SetItemEntryID(item->EntryID());
  std::wstring status;
  if (item_class == host::kOlAppointment) status = addin.TaskStatus(item);
  return IsEnabled(host::Require(control).Id(), item_class, status);
}

bool MenuGetVisible(AddIn& addin, const Ref<host::RibbonControl>&) {
  auto item = SelectedItem(addin);
  if (!item || item->Class() != host::kOlAppointment) return false;
  addin.SetItemEntryID(item->EntryID());
  return !addin.TaskStatus(item).empty();
}

void TabClick(AddIn& addin, Operation operation) {
  // Kept from before the operation: completing brings the task's window up, which changes the
  // active inspector, and the window to close is the appointment's.
  auto item = InspectorItem(addin);
  addin.SetItemEntryID(item->EntryID());
  addin.Run(operation);
  if (operation == Operation::kOpenTask || operation == Operation::kCopyToTask) return;
  host::Require(addin.Ribbon()).Invalidate();
  if (operation == Operation::kCompleteTask) item->Close(host::kOlSave);
}

void MenuClick(AddIn& addin, Operation operation) {
  addin.Run(operation);
}

}  // namespace fenmark::ui
