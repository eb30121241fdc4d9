#pragma once
// The DLL itself: its handle, its path, and the counts that tell whether it may be unloaded.

#include <windows.h>

#include <string>

namespace fenmark::com {

HMODULE ModuleHandle() noexcept;
// The DLL's full path, as registered for its class.
std::wstring ModulePath();

// Every live object of this DLL holds one of these: ComObject, the base of each, does.
class ObjectCount {
 public:
  ObjectCount() noexcept;
  ~ObjectCount();
  ObjectCount(const ObjectCount&) = delete;
  ObjectCount& operator=(const ObjectCount&) = delete;
};

// IClassFactory::LockServer; never below zero.
void LockModule(bool lock) noexcept;
// No live object and no lock.
bool ModuleIdle() noexcept;

}  // namespace fenmark::com
