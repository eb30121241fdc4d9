#include "addin/com/call_check.h"

#include <algorithm>
#include <iterator>

#include "host/scope_exit.h"

namespace fenmark::com {
namespace {

// The types a VARIANT may carry by value into a call of ours; arrays, records and the like never.
constexpr VARTYPE kAutomationTypes[] = {
    VT_EMPTY,   VT_NULL, VT_I1,   VT_I2,    VT_I4,       VT_I8,     VT_INT, VT_UI1,
    VT_UI2,     VT_UI4,  VT_UI8,  VT_UINT,  VT_R4,       VT_R8,     VT_CY,  VT_DATE,
    VT_DECIMAL, VT_BSTR, VT_BOOL, VT_ERROR, VT_DISPATCH, VT_UNKNOWN};

bool Automation(VARTYPE vt) noexcept {
  return std::find(std::begin(kAutomationTypes), std::end(kAutomationTypes), vt) !=
         std::end(kAutomationTypes);
}

bool IsObject(VARTYPE vt) noexcept {
  return vt == VT_DISPATCH || vt == VT_UNKNOWN;
}

// The declared type of a parameter: by reference or not, and what it holds.
struct Declared {
  bool by_ref = false;
  VARTYPE vt = VT_EMPTY;
  bool optional = false;
};

Declared DeclaredOf(const ELEMDESC& element) noexcept {
  Declared d;
  const TYPEDESC* type = &element.tdesc;
  // An interface pointer is declared as a pointer to the interface; a pointer to anything else
  // is a by-reference parameter.
  if (type->vt == VT_PTR && type->lptdesc) {
    const TYPEDESC* to = type->lptdesc;
    if (to->vt == VT_USERDEFINED || IsObject(to->vt)) {
      d.vt = VT_DISPATCH;
    } else {
      d.by_ref = true;
      d.vt = to->vt;
    }
  } else {
    d.vt = type->vt == VT_USERDEFINED ? VARTYPE{VT_DISPATCH} : type->vt;
  }
  d.optional = (element.paramdesc.wParamFlags & PARAMFLAG_FOPT) != 0;
  return d;
}

bool Matches(INVOKEKIND kind, WORD flags) noexcept {
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))
    return ((flags & DISPATCH_PROPERTYPUT) && kind == INVOKE_PROPERTYPUT) ||
           ((flags & DISPATCH_PROPERTYPUTREF) && kind == INVOKE_PROPERTYPUTREF);
  return ((flags & DISPATCH_METHOD) && kind == INVOKE_FUNC) ||
         ((flags & DISPATCH_PROPERTYGET) && kind == INVOKE_PROPERTYGET);
}

}  // namespace

HRESULT CheckedCall::Argument(const VARIANT& given, const ELEMDESC& element, VARIANT& passed) {
  const Declared declared = DeclaredOf(element);
  const VARIANT* v = &given;
  if (V_VT(v) == (VT_VARIANT | VT_BYREF)) {
    v = V_VARIANTREF(v);
    if (!v || V_VT(v) == (VT_VARIANT | VT_BYREF)) return DISP_E_TYPEMISMATCH;
  }
  const bool by_ref = (V_VT(v) & VT_BYREF) != 0;
  const VARTYPE vt = V_VT(v) & ~VT_BYREF;
  if (!Automation(vt)) return DISP_E_BADVARTYPE;
  if (by_ref && !V_BYREF(v)) return DISP_E_TYPEMISMATCH;
  passed = *v;
  if (vt == VT_ERROR && !by_ref && V_ERROR(v) == DISP_E_PARAMNOTFOUND)
    return declared.optional ? S_OK : DISP_E_PARAMNOTOPTIONAL;
  if (declared.vt == VT_DISPATCH) return IsObject(vt) ? S_OK : DISP_E_TYPEMISMATCH;
  // Objects and errors never stand for a value here; what else converts is converted below or
  // by the runtime.
  if (IsObject(vt) || vt == VT_ERROR) return DISP_E_TYPEMISMATCH;
  if (!declared.by_ref || V_VT(v) == (declared.vt | VT_BYREF)) return S_OK;
  unique_variant& copy = copies_.emplace_back();
  if (FAILED(VariantChangeType(copy.get(), const_cast<VARIANT*>(v), 0, declared.vt)))
    return DISP_E_TYPEMISMATCH;
  V_VT(&passed) = declared.vt | VT_BYREF;
  V_BYREF(&passed) = &V_NONE(copy.get());
  return S_OK;
}

HRESULT CheckedCall::Check(ITypeInfo* info, DISPID id, WORD flags, const DISPPARAMS& params,
                           UINT* bad_arg) noexcept try {
  if ((params.cArgs && !params.rgvarg) || params.cNamedArgs > params.cArgs ||
      (params.cNamedArgs && !params.rgdispidNamedArgs))
    return E_INVALIDARG;
  const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  TYPEATTR* attributes = nullptr;
  if (FAILED(info->GetTypeAttr(&attributes))) return E_UNEXPECTED;
  const WORD functions = attributes->cFuncs;
  info->ReleaseTypeAttr(attributes);
  for (UINT f = 0; f < functions; ++f) {
    FUNCDESC* func = nullptr;
    if (FAILED(info->GetFuncDesc(f, &func))) continue;
    const auto release = host::scope_exit([&] { info->ReleaseFuncDesc(func); });
    if (func->memid != id || !Matches(func->invkind, flags)) continue;

    if (put ? params.cNamedArgs != 1 || params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT
            : params.cNamedArgs != 0)
      return put ? DISP_E_PARAMNOTFOUND : DISP_E_NONAMEDARGS;
    UINT declared = static_cast<UINT>(func->cParams), required = 0;
    for (UINT i = 0; i < declared; ++i) {
      const auto param_flags = func->lprgelemdescParam[i].paramdesc.wParamFlags;
      if (param_flags & (PARAMFLAG_FRETVAL | PARAMFLAG_FLCID)) {
        declared = i;  // the result and the locale come last and are not the caller's to give
        break;
      }
      if (!(param_flags & PARAMFLAG_FOPT)) required = i + 1;
    }
    if (params.cArgs < required || params.cArgs > declared) return DISP_E_BADPARAMCOUNT;
    args_.assign(params.rgvarg, params.rgvarg + params.cArgs);
    for (UINT i = 0; i < params.cArgs; ++i) {
      // Positional arguments come last to first; a put's value is the named one, at the front.
      const UINT at = params.cArgs - 1 - i;
      const HRESULT hr = Argument(params.rgvarg[at], func->lprgelemdescParam[i], args_[at]);
      if (FAILED(hr)) {
        if (bad_arg) *bad_arg = at;
        return hr;
      }
    }
    params_ = params;
    params_.rgvarg = args_.data();
    return S_OK;
  }
  return DISP_E_MEMBERNOTFOUND;
} catch (...) {
  return E_OUTOFMEMORY;
}

}  // namespace fenmark::com
