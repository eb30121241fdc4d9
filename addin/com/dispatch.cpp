#include "addin/com/dispatch.h"

#include <vector>

#include "addin/com/errors.h"

namespace fenmark::com {

namespace {

// The value a VARIANT stands for, through one by-reference VARIANT; a by-reference value must
// point somewhere.
const VARIANT& Checked(const VARIANT& value) {
  const VARIANT* v = &value;
  if (V_VT(v) == (VT_VARIANT | VT_BYREF)) {
    v = V_VARIANTREF(v);
    if (!v || V_VT(v) == (VT_VARIANT | VT_BYREF)) throw host::errors::TypeMismatch();
  }
  if ((V_VT(v) & VT_BYREF) && !V_BYREF(v)) throw host::errors::TypeMismatch();
  return *v;
}

}  // namespace

unique_variant Invoke(IDispatch* object, std::wstring_view name, Access access,
                      std::initializer_list<Arg> args) {
  if (!object) throw host::errors::ObjectNotSet();
  std::wstring member(name);
  LPOLESTR names[] = {member.data()};
  DISPID id = DISPID_UNKNOWN;
  ClearErrorInfo();
  Check(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));

  // Automation wants the arguments last to first; the VARIANTs stay owned by the Args.
  std::vector<VARIANTARG> reversed;
  reversed.reserve(args.size());
  for (auto it = std::rbegin(args); it != std::rend(args); ++it) reversed.push_back(it->get());
  DISPID put_id = DISPID_PROPERTYPUT;
  const bool put = access == Access::kPut || access == Access::kPutRef;
  DISPPARAMS params{reversed.data(), put ? &put_id : nullptr, static_cast<UINT>(reversed.size()),
                    put ? 1u : 0u};

  unique_variant result;
  EXCEPINFO info{};
  UINT bad_arg = 0;
  ClearErrorInfo();
  const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, static_cast<WORD>(access),
                                    &params, put ? nullptr : result.get(), &info, &bad_arg);
  if (FAILED(hr)) ThrowFailure(hr, info);
  return result;
}

std::wstring ToText(const VARIANT& value) {
  unique_variant text;
  Check(VariantChangeType(text.get(), const_cast<VARIANT*>(&Checked(value)), VARIANT_ALPHABOOL,
                          VT_BSTR));
  const BSTR b = V_BSTR(text.get());
  return b ? std::wstring(b, SysStringLen(b)) : std::wstring();
}

int ToInt(const VARIANT& value) {
  unique_variant number;
  Check(VariantChangeType(number.get(), const_cast<VARIANT*>(&Checked(value)), 0, VT_I4));
  return V_I4(number.get());
}

bool ToBool(const VARIANT& value) {
  unique_variant flag;
  Check(VariantChangeType(flag.get(), const_cast<VARIANT*>(&Checked(value)), 0, VT_BOOL));
  return V_BOOL(flag.get()) != VARIANT_FALSE;
}

com_ptr<IDispatch> ToObject(const VARIANT& value) {
  const VARIANT& v = Checked(value);
  IUnknown* unknown = nullptr;
  switch (V_VT(&v)) {
    case VT_EMPTY:
    case VT_NULL:
      return {};
    case VT_DISPATCH:
      return com_ptr<IDispatch>::retain(V_DISPATCH(&v));
    case VT_DISPATCH | VT_BYREF:
      return com_ptr<IDispatch>::retain(*V_DISPATCHREF(&v));
    case VT_UNKNOWN:
      unknown = V_UNKNOWN(&v);
      break;
    case VT_UNKNOWN | VT_BYREF:
      unknown = *V_UNKNOWNREF(&v);
      break;
    default:
      throw host::errors::TypeMismatch();
  }
  if (!unknown) return {};
  return com_ptr<IUnknown>::retain(unknown).as<IDispatch>();
}

}  // namespace fenmark::com
