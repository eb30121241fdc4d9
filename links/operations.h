#pragma once
// Every operation by the code that carries it out: an operation a surface names is one row here.

#include <cstdint>

#include "host/host.h"
#include "host/operation.h"
#include "links/own_saves.h"
#include "links/task_stores.h"

namespace fenmark::links {

using host::Ref;

// What an operation needs of the add-in.
struct Session {
  host::Platform& platform;
  // Every save an operation makes goes through here.
  OwnSaves& saves;
  // Empty before the connection and after the disconnection.
  Ref<host::Application> app;
  // The stores that found linked tasks before, asked first.
  TaskStores* stores = nullptr;
  // How many item windows have opened so far (NewInspector), so that a command tells a window it
  // opened itself from one the user had open; none known: every window counts as its own.
  const std::uint64_t* windows_opened = nullptr;
};

// What one run came to: the item it left in a window for the user to place and save (Schedule's
// appointment), or no object; and whether it did what it was asked (a failure reported, a message
// instead of the work, or the user's Cancel: not).
struct Ran {
  Ref<host::Item> shown;
  bool succeeded = false;
  // An appointment was linked anew to a task that had moved: open tabs show the old reading.
  bool relinked = false;
};

struct OperationRow;
// What sets one command on a linked task apart from the others (links/task_actions.h).
struct TaskAction;

// Runs the row's operation on the item handed over; it reports its own failures and never fails
// towards the caller.
using Runner = Ran (*)(const Session&, const host::ItemRef&, const OperationRow&) noexcept;

struct OperationRow {
  host::Operation operation;
  Runner run;
  // For a command on a linked task: what it does to the task.
  const TaskAction* action = nullptr;

  // The task changes, so that every open tab must be drawn anew: the commands that write a note.
  bool ChangesTask() const noexcept;
};

const OperationRow& RowOf(host::Operation operation);

}  // namespace fenmark::links
