#pragma once
// What the user-interface surfaces need of the add-in object: they decide what to offer and which
// item an operation acts on, without knowing how links are kept or how the operations work.

#include <string>

#include "host/host.h"
#include "host/operation.h"

namespace fenmark::ui {

using host::Ref;

class DrawingStatus;

class AddIn {
 public:
  virtual host::Platform& Platform() = 0;
  // Empty before the connection and after the disconnection.
  virtual Ref<host::Application> Application() = 0;
  // The item that a drawing was about, or the last one acted on: what a click that names no item
  // acts on.
  virtual const host::ItemRef& Remembered() const = 0;
  // A drawing names the item a click that follows may act on.
  virtual void RememberDrawn(host::ItemRef item) = 0;
  // The status of the appointment's linked task, with its failure left to the caller; the
  // caller has read its entry ID already.
  virtual std::wstring ReadTaskStatus(const Ref<host::Item>& appointment,
                                      const std::wstring& entry_id) = 0;
  // The status the callbacks of one drawing share.
  virtual DrawingStatus& Statuses() = 0;
  // Runs the operation on the item, which is remembered. It reports its own failures; one that
  // changes a task has every tab drawn anew. Whether the operation did what it was asked.
  virtual bool Run(host::Operation operation, host::ItemRef item) = 0;
  // Puts the button into the operation's command-bar slot, connecting its click to the operation
  // after dropping the button held before, and returns the button the slot now holds.
  virtual host::CommandBarControl& Store(host::Operation operation,
                                         Ref<host::CommandBarControl> button) = 0;

 protected:
  ~AddIn() = default;
};

}  // namespace fenmark::ui
