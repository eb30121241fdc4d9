#pragma once
// Which entries the add-in offers: one rule per operation, whose control ids the appointment
// window's tab, the context-menu markup and the Outlook 12 command-bar menu share.

#include <optional>
#include <string>
#include <string_view>

#include "host/host.h"
#include "host/operation.h"

namespace fenmark::ui {

// The operation of a tab or context-menu control id, compared without regard to case.
std::optional<host::Operation> OperationOf(std::wstring_view control_id);

// Whether the operation's entry is enabled for an item of `item_class` whose linked task has
// `status` (the text GetTaskStatus gives; empty when no linked task is known).
bool Allows(host::Operation operation, int item_class, std::wstring_view status);

// What the rules need of a task item itself: "" for a task never saved, "Complete", or "Open".
std::wstring TaskItemStatus(host::Item& task);

// OperationOf and Allows together; an id outside the table is disabled.
bool IsEnabled(std::wstring_view control_id, int item_class, std::wstring_view status);

}  // namespace fenmark::ui
