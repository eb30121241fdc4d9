#pragma once
// The host seam over real automation objects: each host interface is served by an adapter that
// reaches its object late-bound, by member name.

#include <windows.h>

#include <memory>

#include "addin/com/com_types.h"
#include "host/host.h"

namespace fenmark::com {

// Base of every adapter: the automation object it speaks to.
class Late {
 public:
  explicit Late(com_ptr<IDispatch> object) noexcept : object_(std::move(object)) {}
  virtual ~Late() = default;
  IDispatch* dispatch() const noexcept { return object_.get(); }

 private:
  com_ptr<IDispatch> object_;
};

// The adapter of host interface T over `object`; empty for no object. Defined for every host
// interface.
template <class T>
std::shared_ptr<T> Wrap(com_ptr<IDispatch> object);

// The automation object behind a host reference that an adapter serves, or null.
template <class T>
IDispatch* DispatchOf(const std::shared_ptr<T>& ref) noexcept {
  auto* late = dynamic_cast<const Late*>(ref.get());
  return late ? late->dispatch() : nullptr;
}

}  // namespace fenmark::com
