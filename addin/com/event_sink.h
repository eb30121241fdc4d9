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
host::Subscription Advise(IDispatch* source, const IID& diid, EventTable handlers);

// Runs `handler` with a by-reference Boolean argument as a bool& and writes the result back.
template <class Handler>
void WithBoolRef(VARIANT_BOOL* ref, Handler&& handler) {
  bool value = *ref != VARIANT_FALSE;
  handler(value);
  *ref = value ? VARIANT_TRUE : VARIANT_FALSE;
}

}  // namespace fenmark::com
