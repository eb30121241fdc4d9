#pragma once
// Office's side of a COM add-in: the per-user add-in key that Outlook loads from at start-up, and
// the add-in object's ribbon side reached as Office reaches it, GetCustomUI through the vtable and
// the callbacks by the names in the markup through IDispatch, with the sim's ribbon objects served.

#include <windows.h>

#include <string>

#include "addin/com/com_types.h"
#include "addin/com/office_interfaces.h"
#include "sim/outlook.h"

namespace fenmark::wintest {

// The ProgID of the add-in that Outlook's per-user key loads at start-up (LoadBehavior 3), or "".
std::wstring StartupAddinProgId();

class ComRibbon final : public sim::RibbonCallbacks {
 public:
  void Attach(com::com_ptr<com::IRibbonExtensibility> extensibility,
              com::com_ptr<IDispatch> dispatch);
  void Detach();
  std::wstring GetCustomUI(const std::wstring& ribbon_id) override;
  void OnLoad(const std::wstring& name, const host::Ref<host::RibbonUI>& ribbon) override;
  bool GetBool(const std::wstring& name, const host::Ref<host::RibbonControl>& control) override;
  void Action(const std::wstring& name, const host::Ref<host::RibbonControl>& control) override;

 private:
  com::unique_variant Call(const std::wstring& name, IDispatch* argument);
  com::com_ptr<com::IRibbonExtensibility> extensibility_;
  com::com_ptr<IDispatch> dispatch_;
};

}  // namespace fenmark::wintest
