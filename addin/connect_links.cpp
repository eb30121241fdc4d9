// Connect's operations and the watchers of the items the add-in keeps in step.

#include <algorithm>

#include "addin/connect.h"
#include "links/operations.h"
#include "links/tracking.h"

namespace fenmark {

bool Connect::Run(host::Operation operation, host::ItemRef item) {
  drawing_status_.Forget();
  task_stores_.ForgetMisses();
  remembered_ = std::move(item);
  const links::OperationRow& row = links::RowOf(operation);
  const links::Ran ran =
      row.run({platform_, own_saves_, application_.Get(), &task_stores_, &windows_opened_},
              remembered_, row);
  const Ref<host::Item>& shown = ran.shown;
  // Schedule's appointment: its first save must show the task's commands in its own tab at
  // once, add event or not.
  if (shown) {
    try {
      Watch(
          scheduled_windows_, shown, [&] { return shown->GetInspector(); },
          &Connect::OnAppointmentWrite);
    } catch (...) {
      // The appointment is shown; only its tab may wait for the next drawing.
    }
  }
  // No open window's tab may go on offering what the task's new status or place rules out.
  if (row.ChangesTask() || ran.relinked) RefreshTabs();
  return ran.succeeded;
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
  watched->inspector.AssignOptional(
      std::forward<GetInspector>(get_inspector),
      [this, &windows, watched](host::Inspector& inspector) {
        return inspector.OnClose([this, &windows, watched] { OnWindowClose(windows, *watched); });
      });
  windows.push_back(std::move(window));
}

void Connect::OnAppointmentWrite(ItemWindow&, bool& /*cancel*/) {
  drawing_status_.Forget();
  task_stores_.ForgetMisses();
  if (own_saves_.Underway() || !connected_) return;
  RefreshTabs();
}

// A ribbon put by name counts as one the host handed over, once, though it is one of those.
void Connect::RefreshTabs() noexcept {
  auto refresh = [](const Ref<host::RibbonUI>& ribbon) {
    try {
      if (ribbon) ribbon->Invalidate();
    } catch (...) {
      // The task has changed already; a tab that stays stale is the lesser harm.
    }
  };
  for (const auto& ribbon : loaded_ribbons_) refresh(ribbon);
  if (ribbon_ && !IsLoaded(*ribbon_)) refresh(ribbon_);
}

// Users keep several task windows open: each is watched until it closes, so that a save in any
// of them stamps its task.
void Connect::OnNewInspector(const Ref<host::Inspector>& inspector) {
  if (!connected_) return;
  ++windows_opened_;
  drawing_status_.Forget();
  auto task = links::TaskShownIn(host::Require(inspector));
  if (!task) return;
  Watch(
      task_windows_, std::move(task), [&] { return inspector; }, &Connect::OnTaskWrite);
}

void Connect::OnTaskWrite(ItemWindow& window, bool& /*cancel: the save always goes ahead*/) {
  drawing_status_.Forget();
  // The add-in's own saves raise this event too; those are not the user's.
  if (own_saves_.Underway() || !connected_) return;
  // Held here, so that the task outlives the call even if its window goes meanwhile.
  const Ref<host::Item> task = window.item.Get();
  links::StampTask(host::Require(task), application_.Get(), own_saves_, true);
  // A tab drawn before the save offers what the task's old status allowed.
  RefreshTabs();
}

void Connect::OnWindowClose(ItemWindows& windows, const ItemWindow& window) {
  // Dropping the window ends this very subscription; the event source keeps its handler alive
  // until it returns.
  std::erase_if(windows, [&](const auto& watched) { return watched.get() == &window; });
}

void Connect::OnCalendarItemAdd(const Ref<host::Item>& item) {
  if (!connected_) return;
  drawing_status_.Forget();
  // The appointment's window may be open already (Save rather than Save & Close).
  if (links::LinkAddedItem(host::Require(item), application_.Get(), own_saves_)) {
    task_stores_.ForgetMisses();
    RefreshTabs();
  }
}

void Connect::OnTaskItemAdd(const Ref<host::Item>& item) noexcept {
  // A stamping save of the add-in's own brings a new task into the folder.
  if (!connected_ || own_saves_.Underway() || !item) return;
  try {
    links::StampAddedTask(*item, application_.Get(), own_saves_);
  } catch (...) {
    // A conflict or a store error leaves the task as it was; its next save in a window stamps it.
  }
}

}  // namespace fenmark
