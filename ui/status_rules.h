#pragma once
// Which entries the add-in offers: one rule per control id, shared by the appointment window's
// tab, the context-menu markup and the Outlook 12 command-bar menu.

#include <optional>
#include <string>
#include <string_view>

#include "host/host.h"

namespace fenmark::ui {

enum class Rule {
  kSendToTask,  // a single mail or post item
  kComplete,    // a linked task that is not complete
  kOpen,        // any linked task
  kStart,       // a linked task neither complete nor started
  kStop,        // a linked task neither complete nor stopped
  kSchedule,    // a saved task that is not complete
};

// The rule of a tab or context-menu control id, compared without regard to case.
std::optional<Rule> RuleOf(std::wstring_view control_id);

// Whether the rule enables its entry for an item of `item_class` whose linked task has `status`
// (the text GetTaskStatus gives; empty when no linked task is known).
bool Allows(Rule rule, int item_class, std::wstring_view status);

// What the rules need of a task item itself: "" for a task never saved, "Complete", or "Open".
std::wstring TaskItemStatus(host::Item& task);

// RuleOf and Allows together; an id outside the table is disabled.
bool IsEnabled(std::wstring_view control_id, int item_class, std::wstring_view status);

}  // namespace fenmark::ui
