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
  using C = host::CommandBarControl;
  std::vector<Member> members = {
      PutOnly(L"Caption", control, &C::SetCaption),
      PutOnly(L"Style", control, &C::SetStyle),
      PutOnly(L"FaceId", control, &C::SetFaceId),
      PutOnly(L"Tag", control, &C::SetTag),
      Property(L"Parameter", control, &C::Parameter, &C::SetParameter),
      PutOnly(L"Enabled", control, &C::SetEnabled),
      PutOnly(L"OnAction", control, &C::SetOnAction),
      PutOnly(L"BeginGroup", control, &C::SetBeginGroup),
  };
  return Make(std::move(members), &kCommandBarButtonEvents, RaiseOn(control, &C::OnClick, 1));
}

com_ptr<IDispatch> Serve(const Ref<host::CommandBarControlCollection>& controls) {
  return Make({
      // Add(Type, Id, Parameter, Before, Temporary)
      Method(L"Add", 5,
             [controls](const Args& a) {
               if (a.Given(1) || a.Given(2)) throw DispError{E_INVALIDARG};
               return controls->Add(a.Given(0) ? a.Int(0) : host::kMsoControlButton,
                                    a.Given(3) ? a.Int(3) : 0);
             }),
      Call(L"Item", controls, &host::CommandBarControlCollection::Item),
  });
}

com_ptr<IDispatch> Serve(const Ref<host::CommandBar>& bar) {
  return Make({Call(L"Controls", bar, &host::CommandBar::Controls)});
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
    return HresultOfFailure(failure);
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// A property read through the vtable: null until the sim has answered.
template <class T, class Get>
HRESULT Answer(T** out, Get get) noexcept {
  if (!out) return E_POINTER;
  *out = nullptr;
  return Vtable([&] { *out = get(); });
}

class ServedRibbonUIObject final : public Served<com::IRibbonUI> {
 public:
  explicit ServedRibbonUIObject(Ref<host::RibbonUI> ui)
      : Served({Call(L"Invalidate", ui, &host::RibbonUI::Invalidate)}), ui_(std::move(ui)) {}
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
      : Served({Call(L"Id", control, &host::RibbonControl::Id),
                Method(L"Context", 0,
                       [control](const Args&) { return ServeContext(control->Context()); }),
                Method(L"Tag", 0, [](const Args&) { return std::wstring(); })}),
        control_(std::move(control)) {}
  HRESULT STDMETHODCALLTYPE get_Id(BSTR* id) override {
    return Answer(id, [&] { return unique_bstr(control_->Id()).release(); });
  }
  HRESULT STDMETHODCALLTYPE get_Context(IDispatch** context) override {
    return Answer(context, [&] { return ServeContext(control_->Context()).detach(); });
  }
  HRESULT STDMETHODCALLTYPE get_Tag(BSTR* tag) override {
    return Answer(tag, [] { return unique_bstr(L"").release(); });
  }

 private:
  Ref<host::RibbonControl> control_;
};

}  // namespace

com_ptr<IDispatch> ServeRibbonUI(const Ref<host::RibbonUI>& ribbon) {
  return ribbon ? com_ptr<IDispatch>::adopt(new ServedRibbonUIObject(ribbon)) : nullptr;
}

com_ptr<IDispatch> ServeRibbonControl(const Ref<host::RibbonControl>& control) {
  return control ? com_ptr<IDispatch>::adopt(new ServedRibbonControlObject(control)) : nullptr;
}

}  // namespace fenmark::wintest
