#include "ui/run_operation.h"

namespace fenmark::ui {

void RunOperation(AddIn& addin, Operation operation) {
  addin.Run(operation);
  if (operation == Operation::kOpenTask || operation == Operation::kCopyToTask ||
      operation == Operation::kScheduleTask)
    return;
  InvalidateRibbons(addin.Ribbons());
}

void InvalidateRibbons(const std::vector<Ref<host::RibbonUI>>& ribbons) noexcept {
  for (const auto& ribbon : ribbons) {
    if (!ribbon) continue;
    try {
      ribbon->Invalidate();
    } catch (...) {
      // The task has changed already; a tab that stays stale is the lesser harm.
    }
  }
}

}  // namespace fenmark::ui
