#pragma once
// Lets the simulated Office reach the add-in object's ribbon side by the names in its markup, as
// Office reaches the DLL through IDispatch.

#include <string>

#include "addin/connect.h"
#include "addin/ribbon_dispatch.h"
#include "sim/outlook.h"

namespace fenmark::support {

class RibbonBridge final : public sim::RibbonCallbacks {
 public:
  explicit RibbonBridge(Connect& connect) : connect_(connect) {}

  std::wstring GetCustomUI(const std::wstring& ribbon_id) override {
    return connect_.GetCustomUI(ribbon_id);
  }
  void OnLoad(const std::wstring& name, const Ref<host::RibbonUI>& ribbon) override {
    InvokeOnLoad(connect_, name, ribbon);
  }
  bool GetBool(const std::wstring& name, const Ref<host::RibbonControl>& control) override {
    return InvokeDecision(connect_, name, control);
  }
  void Action(const std::wstring& name, const Ref<host::RibbonControl>& control) override {
    InvokeAction(connect_, name, control);
  }

 private:
  Connect& connect_;
};

}  // namespace fenmark::support
