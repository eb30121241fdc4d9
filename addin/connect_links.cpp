// Connect's linked-task members: each hands its work to links/ with the member state it needs.

#include "addin/connect.h"
#include "links/send_to_task.h"
#include "links/task_actions.h"
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

void Connect::CopyToTask() {
  links::CopyToTask(platform_, objOLApp.Get(), strItemEntryID, strItemStoreID);
}

void Connect::CompleteTask() {
  links::RunTaskAction(platform_, objOLApp.Get(), strItemEntryID, strItemStoreID,
                       links::TaskAction::kComplete);
}

void Connect::OpenTask() {
  links::RunTaskAction(platform_, objOLApp.Get(), strItemEntryID, strItemStoreID,
                       links::TaskAction::kOpen);
}

void Connect::StartTask() {
  links::RunTaskAction(platform_, objOLApp.Get(), strItemEntryID, strItemStoreID,
                       links::TaskAction::kStart);
}

void Connect::StopTask() {
  links::RunTaskAction(platform_, objOLApp.Get(), strItemEntryID, strItemStoreID,
                       links::TaskAction::kStop);
}

void Connect::objInsp_NewInspector(const Ref<host::Inspector>& Inspector) {
  if (!connected_) return;
  drawing_status_.Forget();
  auto task = links::TaskShownIn(host::Require(Inspector));
  if (!task) return;
  oTask.Assign(std::move(task), [this](host::Item& watched) {
    return watched.OnWrite([this](bool& cancel) { oTask_Write(cancel); });
  });
}

void Connect::oTask_Write(bool& /*Cancel: the save always goes ahead*/) {
  // The handler's own saves raise this event again; those are not the user's saves.
  drawing_status_.Forget();
  if (writing_task_ || !connected_) return;
  writing_task_ = true;
  struct Guard {
    bool& flag;
    ~Guard() { flag = false; }
  } guard{writing_task_};
  // Held here, so that the task outlives the call even if the member is replaced meanwhile.
  const Ref<host::Item> task = oTask.Get();
  links::StampWatchedTask(host::Require(task));
}

void Connect::olItems_ItemAdd(const Ref<host::Item>& item) {
  if (!connected_) return;
  drawing_status_.Forget();
  links::LinkAddedItem(host::Require(item));
}

}  // namespace fenmark
