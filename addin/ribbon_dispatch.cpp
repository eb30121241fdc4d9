#include "addin/ribbon_dispatch.h"

#include <string>

#include "host/text.h"
#include "ui/ribbon_callbacks.h"

namespace fenmark {
namespace {

using Kind = RibbonCallback::Kind;
using host::Operation;

constexpr RibbonCallback kCallbacks[] = {
#define FENMARK_ON_LOAD(name, dispid) {L"" #name, dispid, Kind::kOnLoad, nullptr, nullptr, {}},
#define FENMARK_DECISION(name, dispid, decide) \
  {L"" #name, dispid, Kind::kDecision, &ui::decide, nullptr, {}},
#define FENMARK_ACTION(name, dispid, click, operation) \
  {L"" #name, dispid, Kind::kAction, nullptr, &ui::click, Operation::operation},
#define FENMARK_MEMBER(name, dispid)
#include "addin/ribbon_callback_list.h"
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
  connect.OnRibbonLoad(ribbon);
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
