#pragma once
// The ribbon callbacks by the names that the markup gives them, as the host resolves them through
// the add-in object's dispatch interface (names match without regard to case): one row for each
// entry of addin/ribbon_callback_list.h, and an action's row names the surface and the operation
// it runs.

#include <span>
#include <string_view>

#include "addin/connect.h"

namespace fenmark {

struct RibbonCallback {
  enum class Kind { kOnLoad, kDecision, kAction };
  std::wstring_view name;
  // Its member's DISPID in the add-in object's type library.
  int dispid;
  Kind kind;
  // A decision: what the control's entry offers.
  bool (*decide)(ui::AddIn&, const Ref<host::RibbonControl>&);
  // An action: the surface's click (a window's tab or a context menu) and what it runs.
  void (*click)(ui::AddIn&, const Ref<host::RibbonControl>&, host::Operation);
  host::Operation operation;
};

// Every callback, as the add-in object's type library must name them too.
std::span<const RibbonCallback> AllRibbonCallbacks();

// The callback of that name, or nothing for a name the add-in object does not know.
const RibbonCallback* FindRibbonCallback(std::wstring_view name);

// Calls by name. An unknown name, or a name of another kind, fails as the dispatch interface
// answers it (DISP_E_UNKNOWNNAME); failures of the callback itself pass through.
void InvokeOnLoad(Connect& connect, std::wstring_view name, const Ref<host::RibbonUI>& ribbon);
bool InvokeDecision(Connect& connect, std::wstring_view name,
                    const Ref<host::RibbonControl>& control);
void InvokeAction(Connect& connect, std::wstring_view name,
                  const Ref<host::RibbonControl>& control);

}  // namespace fenmark
