#pragma once
// Every operation by the code that carries it out: an operation a surface names is one row here.

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
};

struct OperationRow;
// What sets one command on a linked task apart from the others (links/task_actions.h).
struct TaskAction;

// Runs the row's operation on the item handed over; it reports its own failures and never fails
// towards the caller. Returns the item it left in a window for the user to place and save
// (Schedule's appointment), or no object.
using Runner = Ref<host::Item> (*)(const Session&, const host::ItemRef&,
                                   const OperationRow&) noexcept;

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
