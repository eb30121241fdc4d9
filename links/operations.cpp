#include "links/operations.h"

#include "links/linked_task.h"
#include "links/schedule_task.h"
#include "links/send_to_task.h"
#include "links/task_actions.h"

namespace fenmark::links {
namespace {

using enum host::Operation;

constexpr TaskAction kComplete{L"Ostrand task completed - ", true, 0, kStopped,
                               WorkTime::kAddSinceStart};
constexpr TaskAction kOpen{.finds_moved_task = true};
constexpr TaskAction kStart{L"Ostrand task started - ", false, host::kOlTaskInProgress, kStarted,
                            WorkTime::kRecordStart};
constexpr TaskAction kStop{L"Ostrand task stopped - ", false, host::kOlTaskDeferred, kStopped,
                           WorkTime::kAddSinceStart,   true};

// In the order of the operations, one row each.
// clang-format off
constexpr OperationRow kOperations[] = {
    {kCopyToTask, &CopyToTask},
    {kCompleteTask, &RunTaskAction, &kComplete},
    {kOpenTask, &RunTaskAction, &kOpen},
    {kStartTask, &RunTaskAction, &kStart},
    {kStopTask, &RunTaskAction, &kStop},
    {kScheduleTask, &ScheduleTask},
};
// clang-format on

constexpr bool InOrder() {
  for (std::size_t i = 0; i < std::size(kOperations); ++i)
    if (static_cast<std::size_t>(kOperations[i].operation) != i) return false;
  return std::size(kOperations) == host::kOperationCount;
}
static_assert(InOrder());

}  // namespace

bool OperationRow::ChangesTask() const noexcept {
  return action && action->WritesNote();
}

const OperationRow& RowOf(host::Operation operation) {
  const auto index = static_cast<std::size_t>(operation);
  if (index >= std::size(kOperations)) throw host::errors::InvalidArgument();
  return kOperations[index];
}

}  // namespace fenmark::links
