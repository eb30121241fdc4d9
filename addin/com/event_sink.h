#pragma once
// One event sink for every source interface: a table of DISPIDs and handlers, connected through
// the source's connection point for that interface.

#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

#include "addin/com/com_types.h"
#include "host/subscription.h"

namespace fenmark::com {

// The arguments of one event, in their declared order.
class EventArgs {
 public:
  explicit EventArgs(const DISPPARAMS& params) noexcept : params_(params) {}
  // An object argument; empty for "no object".
  com_ptr<IDispatch> Object(UINT index) const;
  // A by-reference Boolean: read before the handler, written back after it.
  VARIANT_BOOL* BoolRef(UINT index) const;

 private:
  const VARIANT& At(UINT index) const;
  const DISPPARAMS& params_;
};

using EventHandler = std::function<void(const EventArgs&)>;
using EventTable = std::vector<std::pair<DISPID, EventHandler>>;

// Connects `handlers` to `source`'s events of interface `diid`; the subscription disconnects.
// Once it has, the sink passes no event on, even if the source keeps calling it.
host::Subscription Advise(IDispatch* source, const IID& diid, EventTable handlers);

// While one lives on this thread, the sinks connected under it hold `owner` (the add-in object
// whose handlers they call) alive through every event they pass on, so that a host releasing the
// object during a modal message box cannot pull it from under a running handler. The owner must
// end every such subscription before it goes.
class EventOwner {
 public:
  explicit EventOwner(IUnknown* owner) noexcept;
  ~EventOwner();
  EventOwner(const EventOwner&) = delete;
  EventOwner& operator=(const EventOwner&) = delete;

 private:
  IUnknown* previous_;
};

// Runs `handler` with a by-reference Boolean argument as a bool& and writes the result back.
template <class Handler>
void WithBoolRef(VARIANT_BOOL* ref, Handler&& handler) {
  bool value = *ref != VARIANT_FALSE;
  handler(value);
  *ref = value ? VARIANT_TRUE : VARIANT_FALSE;
}

}  // namespace fenmark::com
