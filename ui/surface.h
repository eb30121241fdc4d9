#pragma once
// What the user-interface surfaces need from the add-in object. The add-in object answers by
// forwarding to its own members, so the surfaces decide what to offer and which item a command
// acts on without knowing how links are kept or how the operations work.

#include <string>
#include <vector>

#include "host/host.h"

namespace fenmark::ui {

using host::Ref;

// The five operations, each acting on the item whose entry ID was handed over just before.
enum class Operation {
  kCopyToTask,
  kCompleteTask,
  kOpenTask,
  kStartTask,
  kStopTask,
  kScheduleTask,
};

// The command-bar button slots: objButton, the four objButtonCalTask* members and
// objButtonScheduleTask.
enum class Slot {
  kButton,
  kCalTaskComplete,
  kCalTaskOpen,
  kCalTaskStart,
  kCalTaskStop,
  kScheduleTask,
};

class DrawingStatus;

class AddIn {
 public:
  virtual ~AddIn() = default;

  virtual host::Platform& Platform() = 0;
  // objOLApp: empty before the connection and after the disconnection.
  virtual Ref<host::Application> Application() = 0;
  // Every ribbon object the host has handed over (glblObjRibbon is the last of them).
  virtual std::vector<Ref<host::RibbonUI>> Ribbons() = 0;
  // strItemEntryID and strItemStoreID: the hand-over to the next operation; "" for a store that
  // could not be told.
  virtual void SetItem(const std::wstring& entry_id, const std::wstring& store_id) = 0;
  // Both from the item a drawing asks about. An entry ID names one store's item, so the store is
  // read only for an item not handed over already: eight callbacks of one menu read it once.
  virtual void SetItemOf(host::Item& item, const std::wstring& entry_id) = 0;
  // strItemEntryID alone: the store stays only if it was handed over with this very entry ID.
  virtual void SetItemEntryID(const std::wstring& entry_id) = 0;
  // GetTaskStatus's reading, with its failure left to the caller.
  virtual std::wstring ReadTaskStatus(const Ref<host::Item>& appointment) = 0;
  // The status the callbacks of one drawing share.
  virtual DrawingStatus& Statuses() = 0;
  // Runs the operation; it reports its own failures.
  virtual void Run(Operation operation) = 0;
  // Puts the button into the slot, connecting its click to the slot's handler after dropping the
  // button held before, and returns the button the slot now holds.
  virtual host::CommandBarControl& Store(Slot slot, Ref<host::CommandBarControl> button) = 0;
};

}  // namespace fenmark::ui
