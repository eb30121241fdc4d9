#include "ui/status_rules.h"

#include "host/outlook.h"
#include "host/text.h"

namespace fenmark::ui {
namespace {

using host::kComplete;
using host::kStarted;
using host::kStopped;
using host::kTaskNotFound;
using host::SameText;

using enum host::Operation;

struct ControlOperation {
  std::wstring_view id;
  host::Operation operation;
};

constexpr ControlOperation kControls[] = {
    {L"VBX_Send_To_Ostrand", kCopyToTask},
    {L"VB_CompleteTask", kCompleteTask},
    {L"VBX_Fenmark", kCompleteTask},
    {L"VB_OpenTask", kOpenTask},
    {L"VBX_Open_Ostrand_Task", kOpenTask},
    {L"VB_StartTask", kStartTask},
    {L"VBX_Start_Ostrand_Task", kStartTask},
    {L"VB_StopTask", kStopTask},
    {L"VBX_Stop_Ostrand_Task", kStopTask},
    {L"VB_ScheduleTask", kScheduleTask},
    {L"VBX_Schedule_Ostrand_Task", kScheduleTask},
};

}  // namespace

std::optional<host::Operation> OperationOf(std::wstring_view control_id) {
  for (const auto& entry : kControls) {
    if (SameText(entry.id, control_id)) return entry.operation;
  }
  return std::nullopt;
}

bool Allows(host::Operation operation, int item_class, std::wstring_view status) {
  // A task its link no longer finds: Open looks for it; nothing else can act on it.
  const bool missing = status == kTaskNotFound;
  const bool linked = !status.empty() && !missing;
  // A complete task whose work is still recorded as started: its window and Stop.
  if (SameText(status, host::kCompleteButStarted))
    return operation == kOpenTask || operation == kStopTask;
  switch (operation) {
    case kCopyToTask:  // a single mail or post item
      return item_class == host::kOlMail || item_class == host::kOlPost;
    case kOpenTask:  // any linked task, found or not
      return linked || missing;
    case kCompleteTask:  // a linked task that is not complete
      return linked && !SameText(status, kComplete);
    case kStartTask:  // a linked task neither complete nor started
      return linked && !SameText(status, kComplete) && !SameText(status, kStarted);
    case kStopTask:  // a linked task neither complete nor stopped
      return linked && !SameText(status, kComplete) && !SameText(status, kStopped);
    case kScheduleTask:  // a saved task that is not complete
      return item_class == host::kOlTask && linked && !SameText(status, kComplete);
  }
  return false;
}

std::wstring TaskItemStatus(host::Item& task) {
  if (task.EntryID().empty()) return {};
  return std::wstring(task.Complete() ? kComplete : L"Open");
}

bool IsEnabled(std::wstring_view control_id, int item_class, std::wstring_view status) {
  const auto operation = OperationOf(control_id);
  return operation && Allows(*operation, item_class, status);
}

}  // namespace fenmark::ui
