#pragma once
// What every object handed to the add-in has in common: the way in through the gate, and the
// failures the object model gives.

#include <memory>
#include <string>

#include "sim/core.h"

namespace fenmark::sim::detail {

inline host::Failure Deleted() {
  return {kDeleted, L"The item has been moved or deleted."};
}
inline host::Failure NotSupported() {
  return {kNotSupported, L"Object doesn't support this property or method"};
}
inline host::Failure InvalidArgument() {
  return {kInvalidArg,
          L"Could not complete the operation. One or more parameter values are not valid."};
}

// The sim and, for an item's objects, the item, both alive for the call.
struct Call {
  std::shared_ptr<Core> core;
  std::shared_ptr<ItemState> item;
  Core* operator->() const { return core.get(); }
  Core& operator*() const { return *core; }
};

// An object of the model as the add-in holds it. It holds the sim weakly, so that nothing the
// add-in keeps can hold the sim alive or form a cycle with its handlers; an item's object holds
// its item weakly too.
class Facade {
 protected:
  Facade(std::weak_ptr<Core> core, const wchar_t* interface_name)
      : core_(std::move(core)), interface_(interface_name) {}
  Facade(std::weak_ptr<Core> core, const wchar_t* interface_name, std::weak_ptr<ItemState> item)
      : core_(std::move(core)), item_(std::move(item)), interface_(interface_name), bound_(true) {}

  // Through the gate before any effect: once the sim is gone the call fails as on a server that
  // has shut down, and an item's object fails once its item is deleted. `object` names what the
  // call is on in the log (an item's object: the item).
  Call Enter(const wchar_t* member, std::wstring arguments = {}, std::wstring object = {}) const {
    Call call{Lock(core_), item_.lock()};
    if (bound_ && call.item) object = Label(*call.item);
    call->gate.Pass({interface_, member, std::move(arguments), std::move(object), false});
    if (bound_ && (!call.item || call.item->deleted)) throw Deleted();
    return call;
  }

  std::weak_ptr<Core> core_;
  std::weak_ptr<ItemState> item_;

 private:
  const wchar_t* interface_;
  bool bound_ = false;
};

}  // namespace fenmark::sim::detail
