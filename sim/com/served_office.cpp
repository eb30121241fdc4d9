// Office's objects served over COM: the command bars of Outlook 12's context menu by their
// member names, and the ribbon's objects by Office's interfaces, IRibbonUI and IRibbonControl.

#include "addin/com/office_interfaces.h"
#include "sim/com/served.h"
#include "sim/com/served_object.h"

namespace fenmark::wintest {

using com::com_ptr;
using host::Ref;

namespace served {

com_ptr<IDispatch> Serve(const Ref<host::CommandBarControl>& control) {
  auto text_put = [control](void (host::CommandBarControl::*set)(const std::wstring&)) {
    return [control, set](const Args& a) { ((*control).*set)(a.Text(0)); };
  };
  std::vector<Member> members = {
      PutOnly(L"Caption", text_put(&host::CommandBarControl::SetCaption)),
      PutOnly(L"Style", [control](const Args& a) { control->SetStyle(a.Int(0)); }),
      PutOnly(L"FaceId", [control](const Args& a) { control->SetFaceId(a.Int(0)); }),
      PutOnly(L"Tag", text_put(&host::CommandBarControl::SetTag)),
      {L"Parameter", 0, [control](const Args&, VARIANT* r) { ReturnText(r, control->Parameter()); },
       [control](const VARIANT& value, const Args&) {
         std::vector<VARIANT*> one{const_cast<VARIANT*>(&value)};
         control->SetParameter(Args(std::move(one)).Text(0));
       }},
      PutOnly(L"Enabled", [control](const Args& a) { control->SetEnabled(a.Bool(0)); }),
      PutOnly(L"OnAction", text_put(&host::CommandBarControl::SetOnAction)),
      PutOnly(L"BeginGroup", [control](const Args& a) { control->SetBeginGroup(a.Bool(0)); }),
  };
  return Make(std::move(members), &kCommandBarButtonEvents, [control](com_ptr<IDispatch> sink) {
    return control->OnClick([sink](const Ref<host::CommandBarControl>& ctrl, bool& cancel_default) {
      auto served = ServeOrNothing(ctrl);
      VARIANT_BOOL flag = cancel_default ? VARIANT_TRUE : VARIANT_FALSE;
      VARIANT cancel;
      V_VT(&cancel) = VT_BOOL | VT_BYREF;
      V_BOOLREF(&cancel) = &flag;
      Raise(sink.get(), 1, {cancel, ObjectArg(served.get())});
      cancel_default = flag != VARIANT_FALSE;
    });
  });
}

com_ptr<IDispatch> Serve(const Ref<host::CommandBarControlCollection>& controls) {
  return Make({
      // Add(Type, Id, Parameter, Before, Temporary)
      Object(L"Add", 5,
             [controls](const Args& a) {
               if (a.Given(1) || a.Given(2)) throw DispError{E_INVALIDARG};
               return ServeOrNothing(controls->Add(a.Given(0) ? a.Int(0) : host::kMsoControlButton,
                                                   a.Given(3) ? a.Int(3) : 0));
             }),
      Object(L"Item", 1,
             [controls](const Args& a) { return ServeOrNothing(controls->Item(a.Int(0))); }),
  });
}

com_ptr<IDispatch> Serve(const Ref<host::CommandBar>& bar) {
  return Make(
      {Object(L"Controls", 0, [bar](const Args&) { return ServeOrNothing(bar->Controls()); })});
}

}  // namespace served

namespace {

using namespace served;  // NOLINT: the machinery of these files

// ---- the ribbon's objects, by Office's interfaces ----

template <class Body>
HRESULT Vtable(Body&& body) noexcept {
  ++Counters().vtable_calls;
  try {
    body();
    return S_OK;
  } catch (const host::Failure& failure) {
    const auto n = failure.Number();
    return n < 0 ? static_cast<HRESULT>(n)
                 : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, n & 0xFFFF);
  } catch (...) {
    return E_UNEXPECTED;
  }
}

class ServedRibbonUIObject final : public Served<com::IRibbonUI> {
 public:
  explicit ServedRibbonUIObject(Ref<host::RibbonUI> ui)
      : Served({Method(L"Invalidate", 0, [ui](const Args&) { ui->Invalidate(); })}, nullptr, {}),
        ui_(std::move(ui)) {}
  HRESULT STDMETHODCALLTYPE Invalidate() override {
    return Vtable([&] { ui_->Invalidate(); });
  }
  HRESULT STDMETHODCALLTYPE InvalidateControl(BSTR) override { return E_NOTIMPL; }

 private:
  Ref<host::RibbonUI> ui_;
};

com_ptr<IDispatch> ServeContext(const host::RibbonContext& context) {
  if (context.inspector) return Serve(context.inspector);
  if (context.selection) return Serve(context.selection);
  return ServeOrNothing(context.explorer);
}

class ServedRibbonControlObject final : public Served<com::IRibbonControl> {
 public:
  explicit ServedRibbonControlObject(Ref<host::RibbonControl> control)
      : Served({TextGet(L"Id", [control] { return control->Id(); }),
                Object(L"Context", 0,
                       [control](const Args&) { return ServeContext(control->Context()); }),
                TextGet(L"Tag", [] { return std::wstring(); })},
               nullptr, {}),
        control_(std::move(control)) {}
  HRESULT STDMETHODCALLTYPE get_Id(BSTR* id) override {
    if (!id) return E_POINTER;
    *id = nullptr;
    return Vtable([&] { *id = unique_bstr(control_->Id()).release(); });
  }
  HRESULT STDMETHODCALLTYPE get_Context(IDispatch** context) override {
    if (!context) return E_POINTER;
    *context = nullptr;
    return Vtable([&] { *context = ServeContext(control_->Context()).detach(); });
  }
  HRESULT STDMETHODCALLTYPE get_Tag(BSTR* tag) override {
    if (!tag) return E_POINTER;
    *tag = nullptr;
    return Vtable([&] { *tag = unique_bstr(L"").release(); });
  }

 private:
  Ref<host::RibbonControl> control_;
};

}  // namespace

com_ptr<IDispatch> ServeRibbonUI(const Ref<host::RibbonUI>& ribbon) {
  if (!ribbon) return {};
  return com_ptr<IDispatch>::adopt(new ServedRibbonUIObject(ribbon));
}

com_ptr<IDispatch> ServeRibbonControl(const Ref<host::RibbonControl>& control) {
  if (!control) return {};
  return com_ptr<IDispatch>::adopt(new ServedRibbonControlObject(control));
}

}  // namespace fenmark::wintest
