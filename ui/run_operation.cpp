#include "ui/run_operation.h"

namespace fenmark::ui {

void RunOperation(AddIn& addin, Operation operation) {
  addin.Run(operation);
  if (operation == Operation::kOpenTask || operation == Operation::kCopyToTask) return;
  for (const auto& ribbon : addin.Ribbons()) {
    if (!ribbon) continue;
    try {
      ribbon->Invalidate();
    } catch (...) {
      // The task has changed already; a tab that stays stale is the lesser harm.
    }
  }
}

}  // namespace fenmark::ui
