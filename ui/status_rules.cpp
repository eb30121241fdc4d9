#include "ui/status_rules.h"

#include "host/outlook.h"
#include "host/text.h"

namespace fenmark::ui {
namespace {

using host::kComplete;
using host::kStarted;
using host::kStopped;
using host::SameText;

struct ControlRule {
  std::wstring_view id;
  Rule rule;
};

constexpr ControlRule kControlRules[] = {
    {L"VBX_Send_To_Ostrand", Rule::kSendToTask},
    {L"VB_CompleteTask", Rule::kComplete},
    {L"VBX_Fenmark", Rule::kComplete},
    {L"VB_OpenTask", Rule::kOpen},
    {L"VBX_Open_Ostrand_Task", Rule::kOpen},
    {L"VB_StartTask", Rule::kStart},
    {L"VBX_Start_Ostrand_Task", Rule::kStart},
    {L"VB_StopTask", Rule::kStop},
    {L"VBX_Stop_Ostrand_Task", Rule::kStop},
    {L"VB_ScheduleTask", Rule::kSchedule},
    {L"VBX_Schedule_Ostrand_Task", Rule::kSchedule},
};

}  // namespace

std::optional<Rule> RuleOf(std::wstring_view control_id) {
  for (const auto& entry : kControlRules) {
    if (SameText(entry.id, control_id)) return entry.rule;
  }
  return std::nullopt;
}

bool Allows(Rule rule, int item_class, std::wstring_view status) {
  const bool linked = !status.empty();
  switch (rule) {
    case Rule::kSendToTask:
      return item_class == host::kOlMail || item_class == host::kOlPost;
    case Rule::kOpen:
      return linked;
    case Rule::kComplete:
      return linked && !SameText(status, kComplete);
    case Rule::kStart:
      return linked && !SameText(status, kComplete) && !SameText(status, kStarted);
    case Rule::kStop:
      return linked && !SameText(status, kComplete) && !SameText(status, kStopped);
    case Rule::kSchedule:
      return item_class == host::kOlTask && linked && !SameText(status, kComplete);
  }
  return false;
}

std::wstring TaskItemStatus(host::Item& task) {
  if (task.EntryID().empty()) return {};
  return std::wstring(task.Complete() ? kComplete : L"Open");
}

bool IsEnabled(std::wstring_view control_id, int item_class, std::wstring_view status) {
  const auto rule = RuleOf(control_id);
  return rule && Allows(*rule, item_class, status);
}

}  // namespace fenmark::ui
