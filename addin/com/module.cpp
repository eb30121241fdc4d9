#include "addin/com/module.h"

#include <atomic>

#include "addin/com/errors.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace fenmark::com {
namespace {
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};
}  // namespace

HMODULE ModuleHandle() noexcept {
  return reinterpret_cast<HMODULE>(&__ImageBase);
}

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n =
        GetModuleFileNameW(ModuleHandle(), path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) ThrowLastError();
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

ObjectCount::ObjectCount() noexcept {
  ++g_objects;
}
ObjectCount::~ObjectCount() {
  --g_objects;
}

void LockModule(bool lock) noexcept {
  if (lock) {
    ++g_locks;
    return;
  }
  // An unlock without a lock before it is the caller's mistake: the count stays at zero, so that
  // a later lock still keeps the DLL loaded.
  long locks = g_locks.load();
  while (locks > 0 && !g_locks.compare_exchange_weak(locks, locks - 1)) {
  }
}

bool ModuleIdle() noexcept {
  return g_objects == 0 && g_locks == 0;
}

}  // namespace fenmark::com
