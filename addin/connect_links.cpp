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

void Connect::CompleteTask() {
  AsOwnSaves([&] {
    links::RunTaskAction(platform_, objOLApp.Get(), strItemEntryID, strItemStoreID,
                         links::TaskAction::kComplete, &task_stores_);
  });
}

void Connect::OpenTask() {
  AsOwnSaves([&] {
    links::RunTaskAction(platform_, objOLApp.Get(), strItemEntryID, strItemStoreID,
                         links::TaskAction::kOpen, &task_stores_);
  });
}

void Connect::StartTask() {
  AsOwnSaves([&] {
    links::RunTaskAction(platform_, objOLApp.Get(), strItemEntryID, strItemStoreID,
                         links::TaskAction::kStart, &task_stores_);
  });
}

void Connect::StopTask() {
  AsOwnSaves([&] {
    links::RunTaskAction(platform_, objOLApp.Get(), strItemEntryID, strItemStoreID,
                         links::TaskAction::kStop, &task_stores_);
  });
}

void Connect::ScheduleTask() {
  Ref<host::Item> appointment;
  AsOwnSaves([&] {
    appointment = links::ScheduleTask(platform_, objOLApp.Get(), strItemEntryID, strItemStoreID);
  });
  if (!appointment) return;
  // Its first save must show the task's commands in its own tab at once, add event or not.
  try {
    auto window = std::make_unique<TaskWindow>();
    TaskWindow* watched = window.get();
    watched->task.Assign(appointment, [this](host::Item& item) {
      return item.OnWrite([this](bool& cancel) { oAppointment_Write(cancel); });
    });
    try {
      watched->inspector.Assign(appointment->GetInspector(), [this, watched](host::Inspector& i) {
        return i.OnClose([this, watched] { oAppointmentInspector_Close(*watched); });
      });
    } catch (...) {
      // Then it is watched until the disconnection.
    }
    oAppointments.push_back(std::move(window));
  } catch (...) {
    // The appointment is shown; only its tab may wait for the next drawing.
  }
}

void Connect::oAppointment_Write(bool& /*Cancel*/) {
  drawing_status_.Forget();
  if (own_saves_ || !connected_) return;
  RefreshTabs();
}

void Connect::oAppointmentInspector_Close(const TaskWindow& window) {
  std::erase_if(oAppointments, [&](const auto& watched) { return watched.get() == &window; });
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
  auto window = std::make_unique<TaskWindow>();
  TaskWindow* watched = window.get();
  watched->task.Assign(std::move(task), [this, watched](host::Item& item) {
    return item.OnWrite([this, watched](bool& cancel) { oTask_Write(*watched, cancel); });
  });
  try {
    watched->inspector.Assign(Inspector, [this, watched](host::Inspector& inspector) {
      return inspector.OnClose([this, watched] { oTaskInspector_Close(*watched); });
    });
  } catch (...) {
    // A window whose closing cannot be heard stays watched until the disconnection.
  }
  oTasks.push_back(std::move(window));
}

void Connect::oTask_Write(TaskWindow& window, bool& /*Cancel: the save always goes ahead*/) {
  drawing_status_.Forget();
  // The add-in's own saves raise this event too; those are not the user's.
  if (own_saves_ || !connected_) return;
  // Held here, so that the task outlives the call even if its window goes meanwhile.
  const Ref<host::Item> task = window.task.Get();
  AsOwnSaves([&] { links::StampWatchedTask(host::Require(task)); });
  // A tab drawn before the save offers what the task's old status allowed.
  RefreshTabs();
}

void Connect::oTaskInspector_Close(const TaskWindow& window) {
  // Dropping the window ends this very subscription; the event source keeps its handler alive
  // until it returns.
  std::erase_if(oTasks, [&](const auto& watched) { return watched.get() == &window; });
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
