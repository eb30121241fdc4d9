#pragma once
// Whether a call through IDispatch fits the member the type library declares. The runtime's own
// ITypeInfo::Invoke trusts its caller (Wine's reads past the arguments it expects, and follows
// null by-reference pointers), so a call is held to the declaration before it is asked.

#include <windows.h>

namespace fenmark::com {

// S_OK, or the HRESULT the runtime would give for the first thing wrong: DISP_E_MEMBERNOTFOUND,
// DISP_E_BADPARAMCOUNT, DISP_E_NONAMEDARGS, DISP_E_PARAMNOTFOUND, DISP_E_PARAMNOTOPTIONAL,
// DISP_E_TYPEMISMATCH, DISP_E_BADVARTYPE or E_INVALIDARG; `bad_arg` (may be null) then names the
// argument, as an index into rgvarg.
HRESULT CheckCall(ITypeInfo* info, DISPID id, WORD flags, const DISPPARAMS& params,
                  UINT* bad_arg) noexcept;

}  // namespace fenmark::com
