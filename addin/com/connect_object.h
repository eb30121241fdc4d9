#pragma once
// The COM class `Connect`: the portable add-in object behind the interfaces Office calls.

#include <windows.h>

namespace fenmark::com {

// Makes a new object and hands out its `riid`.
HRESULT CreateConnectObject(REFIID riid, void** out) noexcept;

}  // namespace fenmark::com
