// Connect's linked-task members: each hands its work to links/ with the member state it needs.

#include "addin/connect.h"
#include "links/schedule_task.h"
#include "links/send_to_task.h"
#include "links/task_actions.h"
#include "links/tracking.h"
#include "ui/run_operation.h"

namespace fenmark {

void Connect::AttachOrigItem(const Ref<host::Item>& objSourceItem,
                             const Ref<host::Item>& objTargetItem) {
  links::AttachOrigItem(platform_, objSourceItem, objTargetItem);
}

// The argument is left as it came: no caller reads it back.
std::wstring Connect::CleanFileName(std::wstring& strText) {
  return links::CleanFileName(strText, [this] { return platform_.Now(); });
}

void Connect::CopyToTask() {
  AsOwnSaves([&] { links::CopyToTask(platform_, objOLApp.Get(), strItemEntryID, strItemStoreID); });
}

void Connect::RunTaskAction(links::TaskAction action) {
  AsOwnSaves([&] {
    links::RunTaskAction(platform_, objOLApp.Get(), strItemEntryID, strItemStoreID, action,
                         &task_stores_);
  });
}

void Connect::CompleteTask() {
  RunTaskAction(links::TaskAction::kComplete);
}

void Connect::OpenTask() {
  RunTaskAction(links::TaskAction::kOpen);
}

void Connect::StartTask() {
  RunTaskAction(links::TaskAction::kStart);
}

void Connect::StopTask() {
  RunTaskAction(links::TaskAction::kStop);
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

void Connect::ScheduleTask() {
  Ref<host::Item> appointment;
  AsOwnSaves([&] {
    appointment = links::ScheduleTask(platform_, objOLApp.Get(), strItemEntryID, strItemStoreID);
  });
  if (!appointment) return;
  // Its first save must show the task's commands in its own tab at once, add event or not.
  try {
    Watch(
        oAppointments, appointment, [&] { return appointment->GetInspector(); },
        &Connect::oAppointment_Write);
  } catch (...) {
    // The appointment is shown; only its tab may wait for the next drawing.
  }
}

void Connect::oAppointment_Write(ItemWindow&, bool& /*Cancel*/) {
  drawing_status_.Forget();
  if (own_saves_ || !connected_) return;
  RefreshTabs();
}

void Connect::RefreshTabs() noexcept {
  ui::InvalidateRibbons(objRibbons);
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
