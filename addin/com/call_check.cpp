#include "addin/com/call_check.h"

namespace fenmark::com {
namespace {

// The types a VARIANT may carry by value into a call of ours; arrays, records and the like never.
bool Automation(VARTYPE vt) noexcept {
  switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_INT:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_UINT:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_DECIMAL:
    case VT_BSTR:
    case VT_BOOL:
    case VT_ERROR:
    case VT_DISPATCH:
    case VT_UNKNOWN:
      return true;
    default:
      return false;
  }
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

HRESULT CheckArgument(const VARIANT& given, const Declared& declared) noexcept {
  const VARIANT* v = &given;
  if (V_VT(v) == (VT_VARIANT | VT_BYREF)) {
    v = V_VARIANTREF(v);
    if (!v) return DISP_E_TYPEMISMATCH;
  }
  const bool by_ref = (V_VT(v) & VT_BYREF) != 0;
  const VARTYPE vt = V_VT(v) & ~VT_BYREF;
  if (!Automation(vt)) return DISP_E_BADVARTYPE;
  if (by_ref && !V_BYREF(v)) return DISP_E_TYPEMISMATCH;
  if (vt == VT_ERROR && !by_ref && V_ERROR(v) == DISP_E_PARAMNOTFOUND)
    return declared.optional ? S_OK : DISP_E_PARAMNOTOPTIONAL;
  if (declared.vt == VT_DISPATCH) return IsObject(vt) ? S_OK : DISP_E_TYPEMISMATCH;
  // By reference only as declared: the runtime would otherwise write through a stand-in.
  if (declared.by_ref) return V_VT(&given) == (declared.vt | VT_BYREF) ? S_OK : DISP_E_TYPEMISMATCH;
  // By value: what converts is the runtime's to convert; objects and errors never do here.
  return IsObject(vt) || vt == VT_ERROR ? DISP_E_TYPEMISMATCH : S_OK;
}

bool Matches(INVOKEKIND kind, WORD flags) noexcept {
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))
    return ((flags & DISPATCH_PROPERTYPUT) && kind == INVOKE_PROPERTYPUT) ||
           ((flags & DISPATCH_PROPERTYPUTREF) && kind == INVOKE_PROPERTYPUTREF);
  return ((flags & DISPATCH_METHOD) && kind == INVOKE_FUNC) ||
         ((flags & DISPATCH_PROPERTYGET) && kind == INVOKE_PROPERTYGET);
}

HRESULT CheckAgainst(const FUNCDESC& func, WORD flags, const DISPPARAMS& params,
                     UINT* bad_arg) noexcept {
  const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  if (put) {
    if (params.cNamedArgs != 1 || params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
      return DISP_E_PARAMNOTFOUND;
  } else if (params.cNamedArgs != 0) {
    return DISP_E_NONAMEDARGS;
  }
  UINT declared = static_cast<UINT>(func.cParams);
  UINT required = 0;
  for (UINT i = 0; i < declared; ++i) {
    const auto flags_of = func.lprgelemdescParam[i].paramdesc.wParamFlags;
    if (flags_of & (PARAMFLAG_FRETVAL | PARAMFLAG_FLCID)) {
      declared = i;  // the result and the locale come last and are not the caller's to give
      break;
    }
    if (!(flags_of & PARAMFLAG_FOPT)) required = i + 1;
  }
  if (params.cArgs < required || params.cArgs > declared) return DISP_E_BADPARAMCOUNT;
  for (UINT i = 0; i < params.cArgs; ++i) {
    // Positional arguments come last to first; a put's value is the named one, at the front.
    const UINT at = params.cArgs - 1 - i;
    const HRESULT hr = CheckArgument(params.rgvarg[at], DeclaredOf(func.lprgelemdescParam[i]));
    if (FAILED(hr)) {
      if (bad_arg) *bad_arg = at;
      return hr;
    }
  }
  return S_OK;
}

}  // namespace

HRESULT CheckCall(ITypeInfo* info, DISPID id, WORD flags, const DISPPARAMS& params,
                  UINT* bad_arg) noexcept {
  if ((params.cArgs && !params.rgvarg) || params.cNamedArgs > params.cArgs ||
      (params.cNamedArgs && !params.rgdispidNamedArgs))
    return E_INVALIDARG;
  TYPEATTR* attributes = nullptr;
  if (FAILED(info->GetTypeAttr(&attributes))) return E_UNEXPECTED;
  const WORD functions = attributes->cFuncs;
  info->ReleaseTypeAttr(attributes);
  HRESULT found = DISP_E_MEMBERNOTFOUND;
  for (UINT i = 0; i < functions && found == DISP_E_MEMBERNOTFOUND; ++i) {
    FUNCDESC* func = nullptr;
    if (FAILED(info->GetFuncDesc(i, &func))) continue;
    if (func->memid == id && Matches(func->invkind, flags))
      found = CheckAgainst(*func, flags, params, bad_arg);
    info->ReleaseFuncDesc(func);
  }
  return found;
}

}  // namespace fenmark::com
