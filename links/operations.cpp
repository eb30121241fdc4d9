#include "links/operations.h"

#include "links/schedule_task.h"
#include "links/send_to_task.h"
#include "links/task_actions.h"

namespace fenmark::links {
namespace {

using host::Operation;

constexpr OperationRow kOperations[] = {
    {Operation::kCopyToTask, &CopyToTask, false},  {Operation::kCompleteTask, &RunTaskAction, true},
    {Operation::kOpenTask, &RunTaskAction, false}, {Operation::kStartTask, &RunTaskAction, true},
    {Operation::kStopTask, &RunTaskAction, true},  {Operation::kScheduleTask, &ScheduleTask, false},
};
static_assert(std::size(kOperations) == host::kOperationCount);

}  // namespace

const OperationRow& RowOf(Operation operation) {
  for (const auto& row : kOperations)
    if (row.operation == operation) return row;
  throw host::errors::InvalidArgument();
}

}  // namespace fenmark::links
