// One adapter per host interface. Each member is one late-bound call; the event members are
// rows of the event table of their source interface.

#include "addin/com/adapters.h"

#include "addin/com/dispatch.h"
#include "addin/com/errors.h"
#include "addin/com/event_ids.h"
#include "addin/com/event_sink.h"
#include "addin/com/office_interfaces.h"

namespace fenmark::com {
namespace {

using host::Ref;

// The calls every adapter makes, on its own object.
class Adapter : public Late {
 public:
  using Late::Late;

 protected:
  unique_variant Get(std::wstring_view name, std::initializer_list<Arg> args = {}) const {
    return Invoke(dispatch(), name, Access::kGet, args);
  }
  void Call(std::wstring_view name, std::initializer_list<Arg> args = {}) const {
    Invoke(dispatch(), name, Access::kCall, args);
  }
  void Put(std::wstring_view name, Arg value) const {
    Invoke(dispatch(), name, Access::kPut, {std::move(value)});
  }
  std::wstring Text(std::wstring_view name) const { return ToText(*Get(name).get()); }
  template <class T>
  Ref<T> Object(std::wstring_view name, std::initializer_list<Arg> args = {}) const {
    return Wrap<T>(ToObject(*Get(name, args).get()));
  }
  host::Subscription Events(const IID& diid, EventTable table) const {
    return Advise(dispatch(), diid, std::move(table));
  }
};

class UserPropertyAdapter final : public Adapter, public host::UserProperty {
 public:
  using Adapter::Adapter;
  std::wstring Value() override { return Text(L"Value"); }
  void SetValue(const std::wstring& value) override { Put(L"Value", value); }
  void Delete() override { Call(L"Delete"); }
};

class UserPropertiesAdapter final : public Adapter, public host::UserPropertyCollection {
 public:
  using Adapter::Adapter;
  Ref<host::UserProperty> Add(const std::wstring& name, int type) override {
    return Object<host::UserProperty>(L"Add", {name, type});
  }
  Ref<host::UserProperty> Item(const std::wstring& name) override {
    return Object<host::UserProperty>(L"Item", {name});
  }
};

class AttachmentsAdapter final : public Adapter, public host::AttachmentCollection {
 public:
  using Adapter::Adapter;
  void Add(const std::wstring& source, const std::wstring& display_name) override {
    Call(L"Add", {source, Arg(), Arg(), display_name});
  }
};

class ItemAdapter final : public Adapter, public host::Item {
 public:
  using Adapter::Adapter;
  int Class() override { return ToInt(*Get(L"Class").get()); }
  std::wstring EntryID() override { return Text(L"EntryID"); }
  std::wstring Subject() override { return Text(L"Subject"); }
  void SetSubject(const std::wstring& subject) override { Put(L"Subject", subject); }
  std::wstring Body() override { return Text(L"Body"); }
  void SetBody(const std::wstring& body) override { Put(L"Body", body); }
  Ref<host::UserPropertyCollection> UserProperties() override {
    return Object<host::UserPropertyCollection>(L"UserProperties");
  }
  bool Saved() override { return ToBool(*Get(L"Saved").get()); }
  void Save() override { Call(L"Save"); }
  void SaveAs(const std::wstring& path, int type) override { Call(L"SaveAs", {path, type}); }
  void Close(int mode) override { Call(L"Close", {mode}); }
  Ref<host::Folder> Parent() override { return Object<host::Folder>(L"Parent"); }
  Ref<host::AttachmentCollection> Attachments() override {
    return Object<host::AttachmentCollection>(L"Attachments");
  }
  Ref<host::Inspector> GetInspector() override { return Object<host::Inspector>(L"GetInspector"); }
  void Display() override { Call(L"Display"); }
  void MarkComplete() override { Call(L"MarkComplete"); }
  bool Complete() override { return ToBool(*Get(L"Complete").get()); }
  void SetStatus(int status) override { Put(L"Status", status); }
  int TotalWork() override { return ToInt(*Get(L"TotalWork").get()); }
  void SetStart(const host::DateTime& local) override {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(local.year);
    time.wMonth = static_cast<WORD>(local.month);
    time.wDay = static_cast<WORD>(local.day);
    time.wHour = static_cast<WORD>(local.hour);
    time.wMinute = static_cast<WORD>(local.minute);
    time.wSecond = static_cast<WORD>(local.second);
    DATE date = 0;
    if (!SystemTimeToVariantTime(&time, &date)) throw host::errors::InvalidArgument();
    Put(L"Start", Arg::Date(date));
  }
  void SetDuration(int minutes) override { Put(L"Duration", minutes); }
  int MeetingStatus() override { return ToInt(*Get(L"MeetingStatus").get()); }
  int ActualWork() override { return ToInt(*Get(L"ActualWork").get()); }
  void SetActualWork(int minutes) override { Put(L"ActualWork", minutes); }
  int Sensitivity() override { return ToInt(*Get(L"Sensitivity").get()); }
  void SetSensitivity(int sensitivity) override { Put(L"Sensitivity", sensitivity); }
  std::wstring Categories() override { return Text(L"Categories"); }
  void SetCategories(const std::wstring& categories) override { Put(L"Categories", categories); }
  int ReminderMinutesBeforeStart() override {
    return ToInt(*Get(L"ReminderMinutesBeforeStart").get());
  }
  void SetReminderMinutesBeforeStart(int minutes) override {
    Put(L"ReminderMinutesBeforeStart", minutes);
  }
  bool IsRecurring() override { return ToBool(*Get(L"IsRecurring").get()); }
  host::Subscription OnWrite(std::function<void(bool&)> handler) override {
    return Events(kItemEvents10, {{kItemWrite, [handler](const EventArgs& args) {
                                     WithBoolRef(args.BoolRef(0), handler);
                                   }}});
  }
};

class WordSelectionAdapter final : public Adapter, public host::WordSelection {
 public:
  using Adapter::Adapter;
  void TypeText(const std::wstring& text) override { Call(L"TypeText", {text}); }
  void InsertFile(const std::wstring& path) override {
    Call(L"InsertFile", {path, Arg(), Arg(), Arg(), false});
  }
  void HomeKey(int unit) override { Call(L"HomeKey", {unit}); }
};

class WordRangeAdapter final : public Adapter, public host::WordRange {
 public:
  using Adapter::Adapter;
  void InsertBefore(const std::wstring& text) override { Call(L"InsertBefore", {text}); }
};

class WordWindowAdapter final : public Adapter, public host::WordWindow {
 public:
  using Adapter::Adapter;
  std::shared_ptr<host::WordSelection> Selection() override {
    return Object<host::WordSelection>(L"Selection");
  }
};

class WordDocumentAdapter final : public Adapter, public host::WordDocument {
 public:
  using Adapter::Adapter;
  std::shared_ptr<host::WordWindow> Windows(int index) override {
    auto windows = ToObject(*Get(L"Windows").get());
    return Wrap<host::WordWindow>(
        ToObject(*Invoke(windows.get(), L"Item", Access::kCall, {index}).get()));
  }
  std::shared_ptr<host::WordRange> Range(int start, int end) override {
    return Wrap<host::WordRange>(
        ToObject(*Invoke(dispatch(), L"Range", Access::kCall, {start, end}).get()));
  }
};

class InspectorAdapter final : public Adapter, public host::Inspector {
 public:
  using Adapter::Adapter;
  Ref<host::Item> CurrentItem() override { return Object<host::Item>(L"CurrentItem"); }
  Ref<host::WordDocument> WordEditor() override {
    return Object<host::WordDocument>(L"WordEditor");
  }
  void Activate() override { Call(L"Activate"); }
  host::Subscription OnClose(std::function<void()> handler) override {
    return Events(kInspectorEvents10,
                  {{kInspectorClose, [handler](const EventArgs&) { handler(); }}});
  }
};

class InspectorsAdapter final : public Adapter, public host::InspectorCollection {
 public:
  using Adapter::Adapter;
  host::Subscription OnNewInspector(
      std::function<void(const Ref<host::Inspector>&)> handler) override {
    return Events(kInspectorsEvents, {{kNewInspector, [handler](const EventArgs& args) {
                                         handler(Wrap<host::Inspector>(args.Object(0)));
                                       }}});
  }
};

class ItemsAdapter final : public Adapter, public host::ItemCollection {
 public:
  using Adapter::Adapter;
  host::Subscription OnItemAdd(std::function<void(const Ref<host::Item>&)> handler) override {
    return Events(kItemsEvents, {{kItemAdd, [handler](const EventArgs& args) {
                                    handler(Wrap<host::Item>(args.Object(0)));
                                  }}});
  }
  Ref<host::ItemCollection> Restrict(const std::wstring& filter) override {
    return Object<host::ItemCollection>(L"Restrict", {filter});
  }
  int Count() override { return ToInt(*Get(L"Count").get()); }
  Ref<host::Item> Item(int index) override { return Object<host::Item>(L"Item", {index}); }
};

class FoldersAdapter final : public Adapter, public host::FolderCollection {
 public:
  using Adapter::Adapter;
  int Count() override { return ToInt(*Get(L"Count").get()); }
  Ref<host::Folder> Item(int index) override { return Object<host::Folder>(L"Item", {index}); }
};

class FolderAdapter final : public Adapter, public host::Folder {
 public:
  using Adapter::Adapter;
  Ref<host::ItemCollection> Items() override { return Object<host::ItemCollection>(L"Items"); }
  std::wstring StoreID() override { return Text(L"StoreID"); }
  Ref<host::FolderCollection> Folders() override {
    return Object<host::FolderCollection>(L"Folders");
  }
  int DefaultItemType() override { return ToInt(*Get(L"DefaultItemType").get()); }
};

class NamespaceAdapter final : public Adapter, public host::Namespace {
 public:
  using Adapter::Adapter;
  Ref<host::Folder> GetDefaultFolder(int folder_type) override {
    return Object<host::Folder>(L"GetDefaultFolder", {folder_type});
  }
  // An empty store ID is left out rather than passed.
  Ref<host::Item> GetItemFromID(const std::wstring& entry_id,
                                const std::wstring& store_id) override {
    if (store_id.empty()) return Object<host::Item>(L"GetItemFromID", {entry_id});
    return Object<host::Item>(L"GetItemFromID", {entry_id, store_id});
  }
  // Every version lists the stores' roots here; the public folders' root among them is not told
  // apart, since nothing the add-in relies on names a store's kind.
  Ref<host::FolderCollection> Folders() override {
    return Object<host::FolderCollection>(L"Folders");
  }
};

class SelectionAdapter final : public Adapter, public host::ItemSelection {
 public:
  using Adapter::Adapter;
  int Count() override { return ToInt(*Get(L"Count").get()); }
  Ref<host::Item> Item(int index) override { return Object<host::Item>(L"Item", {index}); }
};

class ExplorerAdapter final : public Adapter, public host::Explorer {
 public:
  using Adapter::Adapter;
  Ref<host::ItemSelection> Selection() override {
    return Object<host::ItemSelection>(L"Selection");
  }
};

class ApplicationAdapter final : public Adapter, public host::Application {
 public:
  using Adapter::Adapter;
  std::wstring Version() override { return Text(L"Version"); }
  Ref<host::InspectorCollection> Inspectors() override {
    return Object<host::InspectorCollection>(L"Inspectors");
  }
  Ref<host::Namespace> GetNamespace(const std::wstring& type) override {
    return Object<host::Namespace>(L"GetNamespace", {type});
  }
  Ref<host::Item> CreateItem(int item_type) override {
    return Object<host::Item>(L"CreateItem", {item_type});
  }
  Ref<host::Inspector> ActiveInspector() override {
    return Object<host::Inspector>(L"ActiveInspector");
  }
  Ref<host::Explorer> ActiveExplorer() override {
    return Object<host::Explorer>(L"ActiveExplorer");
  }
  host::Subscription OnItemContextMenuDisplay(
      std::function<void(const Ref<host::CommandBar>&, const Ref<host::ItemSelection>&)> handler)
      override {
    return Events(kApplicationEvents11,
                  {{kItemContextMenuDisplay, [handler](const EventArgs& args) {
                      handler(Wrap<host::CommandBar>(args.Object(0)),
                              Wrap<host::ItemSelection>(args.Object(1)));
                    }}});
  }
};

class CommandBarControlAdapter final : public Adapter, public host::CommandBarControl {
 public:
  using Adapter::Adapter;
  void SetCaption(const std::wstring& caption) override { Put(L"Caption", caption); }
  void SetStyle(int style) override { Put(L"Style", style); }
  void SetFaceId(int face_id) override { Put(L"FaceId", face_id); }
  void SetTag(const std::wstring& tag) override { Put(L"Tag", tag); }
  std::wstring Parameter() override { return Text(L"Parameter"); }
  void SetParameter(const std::wstring& parameter) override { Put(L"Parameter", parameter); }
  void SetEnabled(bool enabled) override { Put(L"Enabled", enabled); }
  void SetOnAction(const std::wstring& on_action) override { Put(L"OnAction", on_action); }
  void SetBeginGroup(bool begin_group) override { Put(L"BeginGroup", begin_group); }
  host::Subscription OnClick(
      std::function<void(const std::shared_ptr<host::CommandBarControl>&, bool&)> handler)
      override {
    return Events(kCommandBarButtonEvents,
                  {{kButtonClick, [handler](const EventArgs& args) {
                      auto ctrl = Wrap<host::CommandBarControl>(args.Object(0));
                      WithBoolRef(args.BoolRef(1), [&](bool& cancel) { handler(ctrl, cancel); });
                    }}});
  }
};

class CommandBarControlsAdapter final : public Adapter, public host::CommandBarControlCollection {
 public:
  using Adapter::Adapter;
  std::shared_ptr<host::CommandBarControl> Add(int type, int before) override {
    return Object<host::CommandBarControl>(L"Add", {type, Arg(), Arg(), before});
  }
  std::shared_ptr<host::CommandBarControl> Item(int index) override {
    return Object<host::CommandBarControl>(L"Item", {index});
  }
};

class CommandBarAdapter final : public Adapter, public host::CommandBar {
 public:
  using Adapter::Adapter;
  std::shared_ptr<host::CommandBarControlCollection> Controls() override {
    return Object<host::CommandBarControlCollection>(L"Controls");
  }
};

// The ribbon's objects are reached through Office's own interfaces where they offer them.
class RibbonUIAdapter final : public Adapter, public host::RibbonUI {
 public:
  using Adapter::Adapter;
  void Invalidate() override {
    if (auto ui = com_ptr<IDispatch>::retain(dispatch()).try_as<IRibbonUI>())
      Check(ui->Invalidate());
    else
      Call(L"Invalidate");
  }
  // COM's identity: the object's IUnknown, whichever interface or adapter reaches it.
  const void* Identity() noexcept override {
    return com_ptr<IDispatch>::retain(dispatch()).try_as<IUnknown>().get();
  }
};

class RibbonControlAdapter final : public Adapter, public host::RibbonControl {
 public:
  using Adapter::Adapter;
  std::wstring Id() override {
    if (auto control = com_ptr<IDispatch>::retain(dispatch()).try_as<IRibbonControl>()) {
      unique_bstr id;
      Check(control->get_Id(id.put()));
      return id.str();
    }
    return Text(L"Id");
  }
  // Read by name: Office's IRibbonControl is dual, so this reaches the same member (DISPID 2).
  host::RibbonContext Context() override {
    auto context = ToObject(*Get(L"Context").get());
    if (!context) return {};
    int context_class = 0;
    try {
      context_class = ToInt(*Invoke(context.get(), L"Class", Access::kGet).get());
    } catch (const host::Failure&) {
      // An object that cannot say what it is names nothing: as if Office had given none.
      return {};
    }
    switch (context_class) {
      case host::kOlInspector:
        return {Wrap<host::Inspector>(std::move(context)), nullptr, nullptr};
      case host::kOlSelection:
        return {nullptr, Wrap<host::ItemSelection>(std::move(context)), nullptr};
      case host::kOlExplorer:
        return {nullptr, nullptr, Wrap<host::Explorer>(std::move(context))};
      default:
        return {};
    }
  }
};

// Which adapter serves which host interface.
template <class Adapter>
struct Is {
  using type = Adapter;
};
template <class T>
struct AdapterFor;
// clang-format off
template <> struct AdapterFor<host::UserProperty> : Is<UserPropertyAdapter> {};
template <> struct AdapterFor<host::UserPropertyCollection> : Is<UserPropertiesAdapter> {};
template <> struct AdapterFor<host::AttachmentCollection> : Is<AttachmentsAdapter> {};
template <> struct AdapterFor<host::Item> : Is<ItemAdapter> {};
template <> struct AdapterFor<host::Inspector> : Is<InspectorAdapter> {};
template <> struct AdapterFor<host::InspectorCollection> : Is<InspectorsAdapter> {};
template <> struct AdapterFor<host::ItemCollection> : Is<ItemsAdapter> {};
template <> struct AdapterFor<host::Folder> : Is<FolderAdapter> {};
template <> struct AdapterFor<host::FolderCollection> : Is<FoldersAdapter> {};
template <> struct AdapterFor<host::Namespace> : Is<NamespaceAdapter> {};
template <> struct AdapterFor<host::ItemSelection> : Is<SelectionAdapter> {};
template <> struct AdapterFor<host::Explorer> : Is<ExplorerAdapter> {};
template <> struct AdapterFor<host::Application> : Is<ApplicationAdapter> {};
template <> struct AdapterFor<host::CommandBarControl> : Is<CommandBarControlAdapter> {};
template <> struct AdapterFor<host::CommandBarControlCollection> : Is<CommandBarControlsAdapter> {};
template <> struct AdapterFor<host::CommandBar> : Is<CommandBarAdapter> {};
template <> struct AdapterFor<host::RibbonUI> : Is<RibbonUIAdapter> {};
template <> struct AdapterFor<host::RibbonControl> : Is<RibbonControlAdapter> {};
template <> struct AdapterFor<host::WordSelection> : Is<WordSelectionAdapter> {};
template <> struct AdapterFor<host::WordWindow> : Is<WordWindowAdapter> {};
template <> struct AdapterFor<host::WordDocument> : Is<WordDocumentAdapter> {};
template <> struct AdapterFor<host::WordRange> : Is<WordRangeAdapter> {};
// clang-format on

}  // namespace

template <class T>
std::shared_ptr<T> Wrap(com_ptr<IDispatch> object) {
  if (!object) return nullptr;
  return std::make_shared<typename AdapterFor<T>::type>(std::move(object));
}

template std::shared_ptr<host::UserProperty> Wrap(com_ptr<IDispatch>);
template std::shared_ptr<host::UserPropertyCollection> Wrap(com_ptr<IDispatch>);
template std::shared_ptr<host::AttachmentCollection> Wrap(com_ptr<IDispatch>);
template std::shared_ptr<host::Item> Wrap(com_ptr<IDispatch>);
template std::shared_ptr<host::Inspector> Wrap(com_ptr<IDispatch>);
template std::shared_ptr<host::InspectorCollection> Wrap(com_ptr<IDispatch>);
template std::shared_ptr<host::ItemCollection> Wrap(com_ptr<IDispatch>);
template std::shared_ptr<host::Folder> Wrap(com_ptr<IDispatch>);
template std::shared_ptr<host::FolderCollection> Wrap(com_ptr<IDispatch>);
template std::shared_ptr<host::Namespace> Wrap(com_ptr<IDispatch>);
template std::shared_ptr<host::ItemSelection> Wrap(com_ptr<IDispatch>);
template std::shared_ptr<host::Explorer> Wrap(com_ptr<IDispatch>);
template std::shared_ptr<host::Application> Wrap(com_ptr<IDispatch>);
template std::shared_ptr<host::CommandBarControl> Wrap(com_ptr<IDispatch>);
template std::shared_ptr<host::CommandBarControlCollection> Wrap(com_ptr<IDispatch>);
template std::shared_ptr<host::CommandBar> Wrap(com_ptr<IDispatch>);
template std::shared_ptr<host::RibbonUI> Wrap(com_ptr<IDispatch>);
template std::shared_ptr<host::RibbonControl> Wrap(com_ptr<IDispatch>);
template std::shared_ptr<host::WordSelection> Wrap(com_ptr<IDispatch>);
template std::shared_ptr<host::WordWindow> Wrap(com_ptr<IDispatch>);
template std::shared_ptr<host::WordDocument> Wrap(com_ptr<IDispatch>);
template std::shared_ptr<host::WordRange> Wrap(com_ptr<IDispatch>);

}  // namespace fenmark::com
