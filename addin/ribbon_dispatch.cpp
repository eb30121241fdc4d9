#include "addin/ribbon_dispatch.h"

#include <string>

#include "ui/text.h"

namespace fenmark {
namespace {

using Kind = RibbonCallback::Kind;

constexpr RibbonCallback OnLoad(std::wstring_view name,
                                void (Connect::*member)(const Ref<host::RibbonUI>&)) {
  return {name, Kind::kOnLoad, member, nullptr, nullptr};
}
constexpr RibbonCallback Decision(std::wstring_view name,
                                  bool (Connect::*member)(const Ref<host::RibbonControl>&)) {
  return {name, Kind::kDecision, nullptr, member, nullptr};
}
constexpr RibbonCallback Action(std::wstring_view name,
                                void (Connect::*member)(const Ref<host::RibbonControl>&)) {
  return {name, Kind::kAction, nullptr, nullptr, member};
}

const RibbonCallback kCallbacks[] = {
    OnLoad(L"Ribbon_OnLoad", &Connect::Ribbon_OnLoad),
    Decision(L"VB_GetEnabled", &Connect::VB_GetEnabled),
    Decision(L"VBX_GetEnabled", &Connect::VBX_GetEnabled),
    Decision(L"VBX_GetVisible", &Connect::VBX_GetVisible),
    Action(L"VB_OpenTask", &Connect::VB_OpenTask),
    Action(L"VB_CompleteTask", &Connect::VB_CompleteTask),
    Action(L"VB_StartTask", &Connect::VB_StartTask),
    Action(L"VB_StopTask", &Connect::VB_StopTask),
    Action(L"VBX_OpenTask", &Connect::VBX_OpenTask),
    Action(L"VBX_CompleteTask", &Connect::VBX_CompleteTask),
    Action(L"VBX_StartTask", &Connect::VBX_StartTask),
    Action(L"VBX_StopTask", &Connect::VBX_StopTask),
    Action(L"VBX_CopyToTask", &Connect::VBX_CopyToTask),
    Action(L"VB_ScheduleTask", &Connect::VB_ScheduleTask),
    Action(L"VBX_ScheduleTask", &Connect::VBX_ScheduleTask),
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
    if (ui::SameText(callback.name, name)) return &callback;
  }
  return nullptr;
}

void InvokeOnLoad(Connect& connect, std::wstring_view name, const Ref<host::RibbonUI>& ribbon) {
  (connect.*Require(name, Kind::kOnLoad).on_load)(ribbon);
}

bool InvokeDecision(Connect& connect, std::wstring_view name,
                    const Ref<host::RibbonControl>& control) {
  return (connect.*Require(name, Kind::kDecision).decision)(control);
}

void InvokeAction(Connect& connect, std::wstring_view name,
                  const Ref<host::RibbonControl>& control) {
  (connect.*Require(name, Kind::kAction).action)(control);
}

}  // namespace fenmark
