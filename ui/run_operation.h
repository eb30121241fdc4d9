#pragma once
// An operation as every surface runs it: the tab, the context-menu markup and the Outlook 12
// command bar alike.

#include "ui/surface.h"

namespace fenmark::ui {

// Runs the operation. One that changes a task (complete, start, stop) then invalidates every
// ribbon the host handed over, so that no open window's tab goes on offering what the task's new
// status rules out; a ribbon that fails to invalidate is passed over, the action stands.
void RunOperation(AddIn& addin, Operation operation);

// Invalidates each ribbon; one that fails is passed over.
void InvalidateRibbons(const std::vector<Ref<host::RibbonUI>>& ribbons) noexcept;

}  // namespace fenmark::ui
