#pragma once
// Late binding: calling any automation object by member name, as a script would, and reading the
// results. Every failure comes back as a host::Failure.

#include <windows.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "addin/com/com_types.h"

namespace fenmark::com {

// One argument of a late-bound call. A default-constructed Arg is an optional argument left out.
class Arg {
 public:
  Arg() noexcept {
    V_VT(&v_) = VT_ERROR;
    V_ERROR(&v_) = DISP_E_PARAMNOTFOUND;
  }
  Arg(int value) noexcept {
    V_VT(&v_) = VT_I4;
    V_I4(&v_) = value;
  }
  Arg(bool value) noexcept {
    V_VT(&v_) = VT_BOOL;
    V_BOOL(&v_) = value ? VARIANT_TRUE : VARIANT_FALSE;
  }
  Arg(std::wstring_view text) : text_(text) {
    V_VT(&v_) = VT_BSTR;
    V_BSTR(&v_) = text_.get();
  }
  Arg(const std::wstring& text) : Arg(std::wstring_view(text)) {}
  Arg(const wchar_t* text) : Arg(std::wstring_view(text)) {}
  // Borrowed for the length of the call.
  Arg(IDispatch* object) noexcept {
    V_VT(&v_) = VT_DISPATCH;
    V_DISPATCH(&v_) = object;
  }
  // An automation date (days since 30 December 1899, the time as their fraction).
  static Arg Date(DATE value) noexcept {
    Arg date;
    V_VT(&date.v_) = VT_DATE;
    V_DATE(&date.v_) = value;
    return date;
  }
  const VARIANT& get() const noexcept { return v_; }

 private:
  unique_bstr text_;
  VARIANT v_{};
};

enum class Access : WORD {
  kGet = DISPATCH_PROPERTYGET | DISPATCH_METHOD,
  kCall = DISPATCH_METHOD | DISPATCH_PROPERTYGET,
  kPut = DISPATCH_PROPERTYPUT,
  kPutRef = DISPATCH_PROPERTYPUTREF,
};

// Calls `name` on `object`. Arguments are given in their natural order.
unique_variant Invoke(IDispatch* object, std::wstring_view name, Access access,
                      std::initializer_list<Arg> args = {});

// Result conversions. "No object" (empty, null, or a null reference) is an empty com_ptr.
std::wstring ToText(const VARIANT& value);
int ToInt(const VARIANT& value);
bool ToBool(const VARIANT& value);
com_ptr<IDispatch> ToObject(const VARIANT& value);

}  // namespace fenmark::com
