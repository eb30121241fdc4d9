#include "sim/com/served.h"

#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

#include "addin/com/unique_any.h"
#include "sim/com/served_object.h"

namespace fenmark::wintest {

using com::com_ptr;
using com::unique_bstr;
using host::Ref;

namespace {
sim::Outlook* g_mirror = nullptr;

// What the add-in left in a real file, for the sim's reader: Word reads the file as it is now.
void MirrorBack(const std::wstring& path) {
  if (!g_mirror) return;
  std::ifstream in(path.c_str(), std::ios::binary);
  if (!in) return;
  g_mirror->PutFile(path, std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {}));
}
// Real files that the mirror holds open without sharing their removal, as a virus scanner would,
// while the sim says they are held.
std::vector<com::unique_file> g_held;
}  // namespace

namespace served {

// ---- one wrapper per host interface of Outlook and Word ----

com_ptr<IDispatch> Serve(const Ref<host::UserProperty>& property) {
  using P = host::UserProperty;
  return Make({Property(L"Value", property, &P::Value, &P::SetValue),
               Call(L"Delete", property, &P::Delete)});
}

com_ptr<IDispatch> Serve(const Ref<host::UserPropertyCollection>& properties) {
  return Make({
      // Add(Name, Type, AddToFolderFields, DisplayFormat)
      Method(L"Add", 4,
             [properties](const Args& a) {
               if (a.Given(2) || a.Given(3)) throw DispError{E_INVALIDARG};
               return properties->Add(a.Text(0), a.Int(1));
             }),
      Call(L"Item", properties, &host::UserPropertyCollection::Item),
  });
}

com_ptr<IDispatch> Serve(const Ref<host::AttachmentCollection>& attachments) {
  // Add(Source, Type, Position, DisplayName)
  return Make({Method(L"Add", 4, [attachments](const Args& a) {
    if (a.Given(1) || a.Given(2)) throw DispError{E_INVALIDARG};
    attachments->Add(a.Text(0), a.Given(3) ? a.Text(3) : std::wstring());
  })});
}

com_ptr<IDispatch> Serve(const Ref<host::WordSelection>& selection) {
  return Make({
      Call(L"TypeText", selection, &host::WordSelection::TypeText),
      // InsertFile(FileName, Range, ConfirmConversions, Link, Attachment)
      Method(L"InsertFile", 5,
             [selection](const Args& a) {
               if (a.Given(4) && a.Bool(4)) throw DispError{E_INVALIDARG};
               MirrorBack(a.Text(0));
               selection->InsertFile(a.Text(0));
             }),
      // HomeKey(Unit, Extend)
      Method(L"HomeKey", 2,
             [selection](const Args& a) { selection->HomeKey(a.Given(0) ? a.Int(0) : 5); }),
  });
}

com_ptr<IDispatch> Serve(const Ref<host::WordRange>& range) {
  return Make({Call(L"InsertBefore", range, &host::WordRange::InsertBefore)});
}

com_ptr<IDispatch> Serve(const Ref<host::WordWindow>& window) {
  return Make({Call(L"Selection", window, &host::WordWindow::Selection)});
}

com_ptr<IDispatch> Serve(const Ref<host::WordDocument>& document) {
  return Make({Method(L"Windows", 1,
                      [document](const Args& a) {
                        if (a.size() == 1) return ServeOrNothing(document->Windows(a.Int(0)));
                        // Document.Windows is a collection; its Item(index) is the window.
                        return Make({Call(L"Item", document, &host::WordDocument::Windows)});
                      }),
               // Range(Start, End): the add-in always gives both.
               Method(L"Range", 2, [document](const Args& a) {
                 if (!a.Given(0) || !a.Given(1)) throw DispError{E_INVALIDARG};
                 return document->Range(a.Int(0), a.Int(1));
               })});
}

// What an object is, as Outlook answers `Class` on it without asking the sim.
Member ClassOf(int object_class) {
  return Method(L"Class", 0, [object_class](const Args&) { return object_class; });
}

com_ptr<IDispatch> Serve(const Ref<host::Inspector>& inspector) {
  using I = host::Inspector;
  return Make(
      {ClassOf(host::kOlInspector), Call(L"CurrentItem", inspector, &I::CurrentItem),
       Call(L"WordEditor", inspector, &I::WordEditor), Call(L"Activate", inspector, &I::Activate)},
      &kInspectorEvents10, RaiseOn(inspector, &I::OnClose, 0xF008));
}

// A folder that the add-in made through the real file system, where the sim saves too.
void MirrorFolderOf(const std::wstring& path) {
  const auto slash = path.find_last_of(L'\\');
  if (!g_mirror || slash == std::wstring::npos) return;
  const std::wstring folder = path.substr(0, slash);
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    g_mirror->CreateFolder(folder);
}

void MirrorOneFile(const std::wstring& path) {
  auto bytes = g_mirror->FileBytes(path);
  if (!bytes) return;
  // Written and closed before it is held.
  std::ofstream(path.c_str(), std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes->data()),
             static_cast<std::streamsize>(bytes->size()));
  if (!g_mirror->FileHeld(path)) return;
  com::unique_file held(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (held) g_held.push_back(std::move(held));
}

// The file the sim wrote, and the pictures folder beside an HTML file, also where the real file
// system's callers look for them.
void MirrorFile(const std::wstring& path) {
  if (!g_mirror) return;
  MirrorOneFile(path);
  const auto dot = path.find_last_of(L'.');
  if (dot == std::wstring::npos) return;
  const std::wstring pictures = path.substr(0, dot) + L"_files";
  for (const auto& entry : g_mirror->EntriesBelow(pictures)) {
    if (entry.back() == L'\\') continue;
    CreateDirectoryW(pictures.c_str(), nullptr);
    MirrorOneFile(entry);
  }
}

com_ptr<IDispatch> Serve(const Ref<host::Item>& item) {
  using I = host::Item;
  std::vector<Member> members = {
      Call(L"Class", item, &I::Class),
      Call(L"EntryID", item, &I::EntryID),
      Property(L"Subject", item, &I::Subject, &I::SetSubject),
      Property(L"Body", item, &I::Body, &I::SetBody),
      Call(L"UserProperties", item, &I::UserProperties),
      Call(L"Saved", item, &I::Saved),
      Call(L"Save", item, &I::Save),
      // SaveAs(Path, Type)
      Method(L"SaveAs", 2,
             [item](const Args& a) {
               const std::wstring path = a.Text(0);
               MirrorFolderOf(path);
               item->SaveAs(path, a.Given(1) ? a.Int(1) : host::kOlMsgUnicode);
               MirrorFile(path);
             }),
      Call(L"Close", item, &I::Close),
      Call(L"Parent", item, &I::Parent),
      Call(L"Attachments", item, &I::Attachments),
      Call(L"GetInspector", item, &I::GetInspector),
      // Display(Modal)
      Method(L"Display", 1,
             [item](const Args& a) {
               if (a.Given(0) && a.Bool(0)) throw DispError{E_INVALIDARG};
               item->Display();
             }),
      Call(L"MarkComplete", item, &I::MarkComplete),
      Call(L"Complete", item, &I::Complete),
      PutOnly(L"Status", item, &I::SetStatus),
      PutOnly(L"Start", item, &I::SetStart),
      PutOnly(L"Duration", item, &I::SetDuration),
      Call(L"MeetingStatus", item, &I::MeetingStatus),
      Call(L"TotalWork", item, &I::TotalWork),
      Property(L"ActualWork", item, &I::ActualWork, &I::SetActualWork),
      Property(L"Sensitivity", item, &I::Sensitivity, &I::SetSensitivity),
      Property(L"Categories", item, &I::Categories, &I::SetCategories),
      Property(L"ReminderMinutesBeforeStart", item, &I::ReminderMinutesBeforeStart,
               &I::SetReminderMinutesBeforeStart),
      Call(L"IsRecurring", item, &I::IsRecurring),
  };
  return Make(std::move(members), &kItemEvents10, RaiseOn(item, &I::OnWrite, 0xF002));
}

com_ptr<IDispatch> Serve(const Ref<host::InspectorCollection>& inspectors) {
  return Make({}, &kInspectorsEvents,
              RaiseOn(inspectors, &host::InspectorCollection::OnNewInspector, 0xF001));
}

com_ptr<IDispatch> Serve(const Ref<host::ItemCollection>& items) {
  using I = host::ItemCollection;
  return Make({Call(L"Restrict", items, &I::Restrict), Call(L"Count", items, &I::Count),
               Call(L"Item", items, &I::Item)},
              &kItemsEvents, RaiseOn(items, &I::OnItemAdd, 0xF001));
}

com_ptr<IDispatch> Serve(const Ref<host::FolderCollection>& folders) {
  using F = host::FolderCollection;
  return Make({Call(L"Count", folders, &F::Count), Call(L"Item", folders, &F::Item)});
}

com_ptr<IDispatch> Serve(const Ref<host::Folder>& folder) {
  using F = host::Folder;
  return Make({Call(L"Items", folder, &F::Items), Call(L"StoreID", folder, &F::StoreID),
               Call(L"Folders", folder, &F::Folders),
               Call(L"DefaultItemType", folder, &F::DefaultItemType)});
}

com_ptr<IDispatch> Serve(const Ref<host::Namespace>& ns) {
  return Make({
      Call(L"GetDefaultFolder", ns, &host::Namespace::GetDefaultFolder),
      // GetItemFromID(EntryIDItem, EntryIDStore)
      Method(L"GetItemFromID", 2,
             [ns](const Args& a) {
               return ns->GetItemFromID(a.Text(0), a.Given(1) ? a.Text(1) : std::wstring());
             }),
      Call(L"Folders", ns, &host::Namespace::Folders),
  });
}

com_ptr<IDispatch> Serve(const Ref<host::ItemSelection>& selection) {
  using S = host::ItemSelection;
  return Make({ClassOf(host::kOlSelection), Call(L"Count", selection, &S::Count),
               Call(L"Item", selection, &S::Item)});
}

com_ptr<IDispatch> Serve(const Ref<host::Explorer>& explorer) {
  return Make(
      {ClassOf(host::kOlExplorer), Call(L"Selection", explorer, &host::Explorer::Selection)});
}

}  // namespace served

using namespace served;  // NOLINT: the machinery of these files

void SetFileMirror(sim::Outlook* outlook) {
  g_mirror = outlook;
  g_held.clear();
}

host::Failure FailureOf(HRESULT hr, EXCEPINFO* info) {
  unique_bstr description;
  HRESULT number = hr;
  if (info) {
    description = unique_bstr::adopt(std::exchange(info->bstrDescription, nullptr));
    SysFreeString(std::exchange(info->bstrSource, nullptr));
    SysFreeString(std::exchange(info->bstrHelpFile, nullptr));
    if (hr == DISP_E_EXCEPTION && info->scode != 0) number = info->scode;
  }
  std::int32_t code = number;
  if (HRESULT_FACILITY(number) == FACILITY_CONTROL) code = HRESULT_CODE(number);
  com_ptr<IErrorInfo> error;
  if (description.str().empty() && GetErrorInfo(0, error.put()) == S_OK && error)
    error->GetDescription(description.put());
  return host::Failure(code, description.str());
}

void CallMethod(IDispatch* object, DISPID id, std::vector<VARIANT> last_first, VARIANT* result) {
  DISPPARAMS params{last_first.data(), nullptr, static_cast<UINT>(last_first.size()), 0};
  EXCEPINFO info{};
  UINT bad = 0;
  const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                    result, &info, &bad);
  if (FAILED(hr)) throw FailureOf(hr, &info);
}

com_ptr<IDispatch> ServeApplication(const Ref<host::Application>& app) {
  using A = host::Application;
  std::vector<Member> members = {
      Call(L"Version", app, &A::Version),
      Call(L"Inspectors", app, &A::Inspectors),
      Call(L"GetNamespace", app, &A::GetNamespace),
      Call(L"CreateItem", app, &A::CreateItem),
      // Outlook answers "no window" with Nothing; an empty variant here keeps the add-in honest
      // about both forms.
      {L"ActiveInspector", 0,
       [app](const Args&, VARIANT* r) {
         if (auto inspector = app->ActiveInspector()) Return(r, Serve(inspector));
       }},
      Call(L"ActiveExplorer", app, &A::ActiveExplorer),
  };
  return Make(std::move(members), &kApplicationEvents11,
              RaiseOn(app, &A::OnItemContextMenuDisplay, 0xFB41));
}

}  // namespace fenmark::wintest
