#pragma once
// A call through IDispatch held to the member the type library declares. The runtime's own
// ITypeInfo::Invoke trusts its caller (Wine's reads past the arguments it expects, and follows
// null by-reference pointers), so a call is checked before it is asked, and handed to it in the
// shape the declaration has.

#include <windows.h>

#include <deque>
#include <vector>

#include "addin/com/com_types.h"

namespace fenmark::com {

class CheckedCall {
 public:
  // S_OK, or the HRESULT the runtime would give for the first thing wrong: DISP_E_MEMBERNOTFOUND,
  // DISP_E_BADPARAMCOUNT, DISP_E_NONAMEDARGS, DISP_E_PARAMNOTFOUND, DISP_E_PARAMNOTOPTIONAL,
  // DISP_E_TYPEMISMATCH, DISP_E_BADVARTYPE, E_INVALIDARG or E_OUTOFMEMORY; `bad_arg` (may be null)
  // then names the argument, as an index into rgvarg.
  HRESULT Check(ITypeInfo* info, DISPID id, WORD flags, const DISPPARAMS& params,
                UINT* bad_arg) noexcept;
  // After a successful Check: the arguments as given, except that one given through a VARIANT
  // reference is the value it refers to, and a by-reference parameter given by value (as scripts
  // pass a literal) gets a copy of the declared type, whose changes are dropped.
  DISPPARAMS* Params() noexcept { return &params_; }

 private:
  HRESULT Argument(const VARIANT& given, const ELEMDESC& declared, VARIANT& passed);

  std::vector<VARIANTARG> args_;
  std::deque<unique_variant> copies_;
  DISPPARAMS params_{};
};

}  // namespace fenmark::com
