// Connect's linked-task members and the watchers of the items the add-in keeps in step.

#include <algorithm>

#include "addin/connect.h"
#include "links/operations.h"
#include "links/send_to_task.h"
#include "links/tracking.h"

namespace fenmark {

void Connect::AttachOrigItem(const Ref<host::Item>& objSourceItem,
                             const Ref<host::Item>& objTargetItem) {
  links::AttachOrigItem(platform_, objSourceItem, objTargetItem);
}

// The argument is left as it came: no caller reads it back.
std::wstring Connect::CleanFileName(std::wstring& strText) {
  return links::CleanFileName(strText, [this] { return platform_.Now(); });
}

void Connect::RunOn(host::ItemRef item, host::Operation operation) {
  handed_over_ = std::move(item);
  Run(operation);
}

// Every operation of every surface comes through here, as the add-in's own saves.
void Connect::Run(host::Operation operation) {
  drawing_status_.Forget();
  const links::OperationRow& row = links::RowOf(operation);
  Ref<host::Item> shown;
  AsOwnSaves([&] {
    shown = row.run({platform_, objOLApp.Get(), &task_stores_}, handed_over_, operation);
  });
  // Schedule's appointment: its first save must show the task's commands in its own tab at
  // once, add event or not.
  if (shown) {
    try {
      Watch(
          oAppointments, shown, [&] { return shown->GetInspector(); },
          &Connect::oAppointment_Write);
    } catch (...) {
      // The appointment is shown; only its tab may wait for the next drawing.
    }
  }
  // No open window's tab may go on offering what the task's new status rules out.
  if (row.changes_task) RefreshTabs();
}

template <class GetInspector>
void Connect::Watch(ItemWindows& windows, Ref<host::Item> item, GetInspector&& get_inspector,
                    void (Connect::*on_write)(ItemWindow&, bool&)) {
  auto window = std::make_unique<ItemWindow>();
  ItemWindow* watched = window.get();
  watched->item.Assign(std::move(item), [this, watched, on_write](host::Item& source) {
    return source.OnWrite(
        [this, watched, on_write](bool& cancel) { (this->*on_write)(*watched, cancel); });
  });
  watched->inspector.AssignOptional(std::forward<GetInspector>(get_inspector),
                                    [this, &windows, watched](host::Inspector& inspector) {
                                      return inspector.OnClose([this, &windows, watched] {
                                        oInspector_Close(windows, *watched);
                                      });
                                    });
  windows.push_back(std::move(window));
}

void Connect::oAppointment_Write(ItemWindow&, bool& /*Cancel*/) {
  drawing_status_.Forget();
  if (own_saves_ || !connected_) return;
  RefreshTabs();
}

// A ribbon put into glblObjRibbon by name counts as one the host handed over.
void Connect::RefreshTabs() noexcept {
  auto refresh = [](const Ref<host::RibbonUI>& ribbon) {
    try {
      if (ribbon) ribbon->Invalidate();
    } catch (...) {
      // The task has changed already; a tab that stays stale is the lesser harm.
    }
  };
  for (const auto& ribbon : objRibbons) refresh(ribbon);
  if (std::find(objRibbons.begin(), objRibbons.end(), glblObjRibbon) == objRibbons.end())
    refresh(glblObjRibbon);
}

// Users keep several task windows open: each is watched until it closes, so that a save in any
// of them stamps its task.
void Connect::objInsp_NewInspector(const Ref<host::Inspector>& Inspector) {
  if (!connected_) return;
  drawing_status_.Forget();
  auto task = links::TaskShownIn(host::Require(Inspector));
  if (!task) return;
  Watch(
      oTasks, std::move(task), [&] { return Inspector; }, &Connect::oTask_Write);
}

void Connect::oTask_Write(ItemWindow& window, bool& /*Cancel: the save always goes ahead*/) {
  drawing_status_.Forget();
  // The add-in's own saves raise this event too; those are not the user's.
  if (own_saves_ || !connected_) return;
  // Held here, so that the task outlives the call even if its window goes meanwhile.
  const Ref<host::Item> task = window.item.Get();
  AsOwnSaves([&] { links::StampWatchedTask(host::Require(task)); });
  // A tab drawn before the save offers what the task's old status allowed.
  RefreshTabs();
}

void Connect::oInspector_Close(ItemWindows& windows, const ItemWindow& window) {
  // Dropping the window ends this very subscription; the event source keeps its handler alive
  // until it returns.
  std::erase_if(windows, [&](const auto& watched) { return watched.get() == &window; });
}

void Connect::olItems_ItemAdd(const Ref<host::Item>& item) {
  if (!connected_) return;
  drawing_status_.Forget();
  bool linked = false;
  AsOwnSaves([&] { linked = links::LinkAddedItem(host::Require(item)); });
  // The appointment's window may be open already (Save rather than Save & Close).
  if (linked) RefreshTabs();
}

void Connect::olTaskItems_ItemAdd(const Ref<host::Item>& item) noexcept {
  // A stamping save of the add-in's own brings a new task into the folder.
  if (!connected_ || own_saves_ || !item) return;
  try {
    AsOwnSaves([&] { links::StampAddedTask(*item); });
  } catch (...) {
    // A conflict or a store error leaves the task as it was; its next save in a window stamps it.
  }
}

}  // namespace fenmark
