#pragma once
// The common start of the add-in's calls on the sim's objects, and the failures they give.

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

// The common start of every call on an item's objects: the sim is alive, the call is logged and
// may fail, the item still exists.
struct ItemCall {
  std::shared_ptr<Core> core;
  std::shared_ptr<ItemState> item;
};

inline ItemCall EnterItem(const std::weak_ptr<Core>& weak_core,
                          const std::weak_ptr<ItemState>& weak_item, const wchar_t* interface_name,
                          const wchar_t* member, std::wstring arguments = {}) {
  auto core = Lock(weak_core);
  auto item = weak_item.lock();
  core->Enter(interface_name, member, std::move(arguments), item ? Label(*item) : L"");
  if (!item || item->deleted) throw Deleted();
  return {core, item};
}

// The Word document of an item's window, for the inspector that hands it out.
std::shared_ptr<host::WordDocument> NewWordDocument(std::weak_ptr<Core> core,
                                                    std::weak_ptr<ItemState> item);

}  // namespace fenmark::sim::detail
