#include "addin/ribbon_dispatch.h"

#include <string>

#include "host/text.h"
#include "ui/ribbon_callbacks.h"

namespace fenmark {
namespace {

using Kind = RibbonCallback::Kind;
using host::Operation;

constexpr RibbonCallback OnLoad(std::wstring_view name) {
  return {name, Kind::kOnLoad, nullptr, nullptr, {}};
}
constexpr RibbonCallback Decision(std::wstring_view name,
                                  bool (*decide)(ui::AddIn&, const Ref<host::RibbonControl>&)) {
  return {name, Kind::kDecision, decide, nullptr, {}};
}
constexpr RibbonCallback Tab(std::wstring_view name, Operation operation) {
  return {name, Kind::kAction, nullptr, &ui::TabClick, operation};
}
constexpr RibbonCallback Menu(std::wstring_view name, Operation operation) {
  return {name, Kind::kAction, nullptr, &ui::MenuClick, operation};
}

constexpr RibbonCallback kCallbacks[] = {
    OnLoad(L"Ribbon_OnLoad"),
    Decision(L"VB_GetEnabled", &ui::TabGetEnabled),
    Decision(L"VBX_GetEnabled", &ui::MenuGetEnabled),
    Decision(L"VBX_GetVisible", &ui::MenuGetVisible),
    Tab(L"VB_OpenTask", Operation::kOpenTask),
    Tab(L"VB_CompleteTask", Operation::kCompleteTask),
    Tab(L"VB_StartTask", Operation::kStartTask),
    Tab(L"VB_StopTask", Operation::kStopTask),
    Menu(L"VBX_OpenTask", Operation::kOpenTask),
    Menu(L"VBX_CompleteTask", Operation::kCompleteTask),
    Menu(L"VBX_StartTask", Operation::kStartTask),
    Menu(L"VBX_StopTask", Operation::kStopTask),
    Menu(L"VBX_CopyToTask", Operation::kCopyToTask),
    Tab(L"VB_ScheduleTask", Operation::kScheduleTask),
    Menu(L"VBX_ScheduleTask", Operation::kScheduleTask),
};

constexpr std::int32_t kUnknownName = static_cast<std::int32_t>(0x80020006);  // DISP_E_UNKNOWNNAME

const RibbonCallback& Require(std::wstring_view name, Kind kind) {
  const RibbonCallback* callback = FindRibbonCallback(name);
  if (!callback || callback->kind != kind) {
    throw host::Failure(kUnknownName, L"Unknown name: " + std::wstring(name));
  }
  return *callback;
}

}  // namespace

std::span<const RibbonCallback> AllRibbonCallbacks() {
  return kCallbacks;
}

const RibbonCallback* FindRibbonCallback(std::wstring_view name) {
  for (const auto& callback : kCallbacks) {
    if (host::SameText(callback.name, name)) return &callback;
  }
  return nullptr;
}

void InvokeOnLoad(Connect& connect, std::wstring_view name, const Ref<host::RibbonUI>& ribbon) {
  Require(name, Kind::kOnLoad);
  connect.Ribbon_OnLoad(ribbon);
}

bool InvokeDecision(Connect& connect, std::wstring_view name,
                    const Ref<host::RibbonControl>& control) {
  return Require(name, Kind::kDecision).decide(connect, control);
}

void InvokeAction(Connect& connect, std::wstring_view name,
                  const Ref<host::RibbonControl>& control) {
  const RibbonCallback& action = Require(name, Kind::kAction);
  action.click(connect, control, action.operation);
}

}  // namespace fenmark
