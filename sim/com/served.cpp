#include "sim/com/served.h"

#include <ocidl.h>
#include <olectl.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <utility>
#include <vector>

#include "addin/com/office_interfaces.h"
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
  return Make(
      {{L"Value", 0, [property](const Args&, VARIANT* r) { ReturnText(r, property->Value()); },
        [property](const VARIANT& value, const Args&) {
          std::vector<VARIANT*> one{const_cast<VARIANT*>(&value)};
          property->SetValue(Args(std::move(one)).Text(0));
        }},
       Method(L"Delete", 0, [property](const Args&) { property->Delete(); })});
}

com_ptr<IDispatch> Serve(const Ref<host::UserPropertyCollection>& properties) {
  return Make({
      // Add(Name, Type, AddToFolderFields, DisplayFormat)
      Object(L"Add", 4,
             [properties](const Args& a) {
               if (a.Given(2) || a.Given(3)) throw DispError{E_INVALIDARG};
               return ServeOrNothing(properties->Add(a.Text(0), a.Int(1)));
             }),
      Object(L"Item", 1,
             [properties](const Args& a) { return ServeOrNothing(properties->Item(a.Text(0))); }),
  });
}

com_ptr<IDispatch> Serve(const Ref<host::AttachmentCollection>& attachments) {
  // Add(Source, Type, Position, DisplayName)
  return Make({Object(L"Add", 4, [attachments](const Args& a) {
    if (a.Given(1) || a.Given(2)) throw DispError{E_INVALIDARG};
    attachments->Add(a.Text(0), a.Given(3) ? a.Text(3) : std::wstring());
    return com_ptr<IDispatch>();
  })});
}

com_ptr<IDispatch> Serve(const Ref<host::WordSelection>& selection) {
  return Make({
      Method(L"TypeText", 1, [selection](const Args& a) { selection->TypeText(a.Text(0)); }),
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
  return Make(
      {Method(L"InsertBefore", 1, [range](const Args& a) { range->InsertBefore(a.Text(0)); })});
}

com_ptr<IDispatch> Serve(const Ref<host::WordWindow>& window) {
  return Make({Object(L"Selection", 0,
                      [window](const Args&) { return ServeOrNothing(window->Selection()); })});
}

com_ptr<IDispatch> Serve(const Ref<host::WordDocument>& document) {
  // Document.Windows is a collection; its Item(index) is the window.
  auto windows = [document](const Args&) {
    return Make({Object(L"Item", 1, [document](const Args& a) {
      return ServeOrNothing(document->Windows(a.Int(0)));
    })});
  };
  return Make({{L"Windows",
                1,
                [document, windows](const Args& a, VARIANT* r) {
                  if (a.size() == 1)
                    ReturnObject(r, ServeOrNothing(document->Windows(a.Int(0))));
                  else
                    ReturnObject(r, windows(a));
                },
                {}},
               // Range(Start, End): the add-in always gives both.
               Object(L"Range", 2, [document](const Args& a) {
                 if (!a.Given(0) || !a.Given(1)) throw DispError{E_INVALIDARG};
                 return ServeOrNothing(document->Range(a.Int(0), a.Int(1)));
               })});
}

// What an object is, as Outlook answers `Class` on it without asking the sim.
Member ClassOf(int object_class) {
  return {L"Class", 0, [object_class](const Args&, VARIANT* r) { ReturnInt(r, object_class); }, {}};
}

com_ptr<IDispatch> Serve(const Ref<host::Inspector>& inspector) {
  return Make(
      {
          ClassOf(host::kOlInspector),
          Object(L"CurrentItem", 0,
                 [inspector](const Args&) { return ServeOrNothing(inspector->CurrentItem()); }),
          Object(L"WordEditor", 0,
                 [inspector](const Args&) { return ServeOrNothing(inspector->WordEditor()); }),
          Method(L"Activate", 0, [inspector](const Args&) { inspector->Activate(); }),
      },
      &kInspectorEvents10, [inspector](com_ptr<IDispatch> sink) {
        return inspector->OnClose([sink] { Raise(sink.get(), 0xF008, {}); });
      });
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
  {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes->data()),
              static_cast<std::streamsize>(bytes->size()));
  }
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
  std::vector<Member> members = {
      {L"Class", 0, [item](const Args&, VARIANT* r) { ReturnInt(r, item->Class()); }, {}},
      TextGet(L"EntryID", [item] { return item->EntryID(); }),
      TextProperty(
          L"Subject", [item] { return item->Subject(); },
          [item](const std::wstring& subject) { item->SetSubject(subject); }),
      TextProperty(
          L"Body", [item] { return item->Body(); },
          [item](const std::wstring& body) { item->SetBody(body); }),
      Object(L"UserProperties", 0,
             [item](const Args&) { return ServeOrNothing(item->UserProperties()); }),
      {L"Saved", 0, [item](const Args&, VARIANT* r) { ReturnBool(r, item->Saved()); }, {}},
      Method(L"Save", 0, [item](const Args&) { item->Save(); }),
      // SaveAs(Path, Type)
      Method(L"SaveAs", 2,
             [item](const Args& a) {
               const std::wstring path = a.Text(0);
               MirrorFolderOf(path);
               item->SaveAs(path, a.Given(1) ? a.Int(1) : host::kOlMsgUnicode);
               MirrorFile(path);
             }),
      Method(L"Close", 1, [item](const Args& a) { item->Close(a.Int(0)); }),
      Object(L"Parent", 0, [item](const Args&) { return ServeOrNothing(item->Parent()); }),
      Object(L"Attachments", 0,
             [item](const Args&) { return ServeOrNothing(item->Attachments()); }),
      Object(L"GetInspector", 0,
             [item](const Args&) { return ServeOrNothing(item->GetInspector()); }),
      // Display(Modal)
      Method(L"Display", 1,
             [item](const Args& a) {
               if (a.Given(0) && a.Bool(0)) throw DispError{E_INVALIDARG};
               item->Display();
             }),
      Method(L"MarkComplete", 0, [item](const Args&) { item->MarkComplete(); }),
      {L"Complete", 0, [item](const Args&, VARIANT* r) { ReturnBool(r, item->Complete()); }, {}},
      PutOnly(L"Status", [item](const Args& a) { item->SetStatus(a.Int(0)); }),
      PutOnly(L"Start", [item](const Args& a) { item->SetStart(a.Date(0)); }),
      PutOnly(L"Duration", [item](const Args& a) { item->SetDuration(a.Int(0)); }),
      {L"MeetingStatus",
       0,
       [item](const Args&, VARIANT* r) { ReturnInt(r, item->MeetingStatus()); },
       {}},
      {L"TotalWork", 0, [item](const Args&, VARIANT* r) { ReturnInt(r, item->TotalWork()); }, {}},
      IntProperty(
          L"ActualWork", [item] { return item->ActualWork(); },
          [item](int minutes) { item->SetActualWork(minutes); }),
      IntProperty(
          L"Sensitivity", [item] { return item->Sensitivity(); },
          [item](int sensitivity) { item->SetSensitivity(sensitivity); }),
      TextProperty(
          L"Categories", [item] { return item->Categories(); },
          [item](const std::wstring& categories) { item->SetCategories(categories); }),
      IntProperty(
          L"ReminderMinutesBeforeStart", [item] { return item->ReminderMinutesBeforeStart(); },
          [item](int minutes) { item->SetReminderMinutesBeforeStart(minutes); }),
      {L"IsRecurring",
       0,
       [item](const Args&, VARIANT* r) { ReturnBool(r, item->IsRecurring()); },
       {}},
  };
  return Make(std::move(members), &kItemEvents10, [item](com_ptr<IDispatch> sink) {
    return item->OnWrite([sink](bool& cancel) {
      VARIANT_BOOL flag = cancel ? VARIANT_TRUE : VARIANT_FALSE;
      VARIANT arg;
      V_VT(&arg) = VT_BOOL | VT_BYREF;
      V_BOOLREF(&arg) = &flag;
      Raise(sink.get(), 0xF002, {arg});
      cancel = flag != VARIANT_FALSE;
    });
  });
}

com_ptr<IDispatch> Serve(const Ref<host::InspectorCollection>& inspectors) {
  return Make({}, &kInspectorsEvents, [inspectors](com_ptr<IDispatch> sink) {
    return inspectors->OnNewInspector([sink](const Ref<host::Inspector>& inspector) {
      auto served = ServeOrNothing(inspector);
      Raise(sink.get(), 0xF001, {ObjectArg(served.get())});
    });
  });
}

com_ptr<IDispatch> Serve(const Ref<host::ItemCollection>& items) {
  std::vector<Member> members{
      Object(L"Restrict", 1,
             [items](const Args& a) { return ServeOrNothing(items->Restrict(a.Text(0))); }),
      {L"Count", 0, [items](const Args&, VARIANT* r) { ReturnInt(r, items->Count()); }, {}},
      Object(L"Item", 1, [items](const Args& a) { return ServeOrNothing(items->Item(a.Int(0))); }),
  };
  return Make(std::move(members), &kItemsEvents, [items](com_ptr<IDispatch> sink) {
    return items->OnItemAdd([sink](const Ref<host::Item>& item) {
      auto served = ServeOrNothing(item);
      Raise(sink.get(), 0xF001, {ObjectArg(served.get())});
    });
  });
}

com_ptr<IDispatch> Serve(const Ref<host::FolderCollection>& folders) {
  return Make({
      {L"Count", 0, [folders](const Args&, VARIANT* r) { ReturnInt(r, folders->Count()); }, {}},
      Object(L"Item", 1,
             [folders](const Args& a) { return ServeOrNothing(folders->Item(a.Int(0))); }),
  });
}

com_ptr<IDispatch> Serve(const Ref<host::Folder>& folder) {
  return Make({
      Object(L"Items", 0, [folder](const Args&) { return ServeOrNothing(folder->Items()); }),
      TextGet(L"StoreID", [folder] { return folder->StoreID(); }),
      Object(L"Folders", 0, [folder](const Args&) { return ServeOrNothing(folder->Folders()); }),
      {L"DefaultItemType",
       0,
       [folder](const Args&, VARIANT* r) { ReturnInt(r, folder->DefaultItemType()); },
       {}},
  });
}

com_ptr<IDispatch> Serve(const Ref<host::Namespace>& ns) {
  return Make({
      Object(L"GetDefaultFolder", 1,
             [ns](const Args& a) { return ServeOrNothing(ns->GetDefaultFolder(a.Int(0))); }),
      // GetItemFromID(EntryIDItem, EntryIDStore)
      Object(L"GetItemFromID", 2,
             [ns](const Args& a) {
               return ServeOrNothing(
                   ns->GetItemFromID(a.Text(0), a.Given(1) ? a.Text(1) : std::wstring()));
             }),
      Object(L"Folders", 0, [ns](const Args&) { return ServeOrNothing(ns->Folders()); }),
  });
}

com_ptr<IDispatch> Serve(const Ref<host::ItemSelection>& selection) {
  return Make({
      ClassOf(host::kOlSelection),
      {L"Count", 0, [selection](const Args&, VARIANT* r) { ReturnInt(r, selection->Count()); }, {}},
      Object(L"Item", 1,
             [selection](const Args& a) { return ServeOrNothing(selection->Item(a.Int(0))); }),
  });
}

com_ptr<IDispatch> Serve(const Ref<host::Explorer>& explorer) {
  return Make({ClassOf(host::kOlExplorer), Object(L"Selection", 0, [explorer](const Args&) {
                 return ServeOrNothing(explorer->Selection());
               })});
}

}  // namespace served

using namespace served;  // NOLINT: the machinery of these files

void SetFileMirror(sim::Outlook* outlook) {
  g_mirror = outlook;
  g_held.clear();
}

host::Failure FailureOf(HRESULT hr, EXCEPINFO* info) {
  unique_bstr source, description, help;
  HRESULT number = hr;
  if (info) {
    source = unique_bstr::adopt(info->bstrSource);
    description = unique_bstr::adopt(info->bstrDescription);
    help = unique_bstr::adopt(info->bstrHelpFile);
    info->bstrSource = info->bstrDescription = info->bstrHelpFile = nullptr;
    if (hr == DISP_E_EXCEPTION && info->scode != 0) number = info->scode;
  }
  std::int32_t code = number;
  if (HRESULT_FACILITY(number) == FACILITY_CONTROL) code = HRESULT_CODE(number);
  std::wstring text = description.str();
  if (text.empty()) {
    com_ptr<IErrorInfo> error;
    if (GetErrorInfo(0, error.put()) == S_OK && error) {
      unique_bstr posted;
      error->GetDescription(posted.put());
      text = posted.str();
    }
  }
  return host::Failure(code, text);
}

com_ptr<IDispatch> ServeApplication(const Ref<host::Application>& app) {
  std::vector<Member> members = {
      TextGet(L"Version", [app] { return app->Version(); }),
      Object(L"Inspectors", 0, [app](const Args&) { return ServeOrNothing(app->Inspectors()); }),
      Object(L"GetNamespace", 1,
             [app](const Args& a) { return ServeOrNothing(app->GetNamespace(a.Text(0))); }),
      Object(L"CreateItem", 1,
             [app](const Args& a) { return ServeOrNothing(app->CreateItem(a.Int(0))); }),
      // Outlook answers "no window" with Nothing; an empty variant here keeps the add-in honest
      // about both forms.
      {L"ActiveInspector",
       0,
       [app](const Args&, VARIANT* r) {
         auto inspector = app->ActiveInspector();
         if (inspector) ReturnObject(r, Serve(inspector));
       },
       {}},
      Object(L"ActiveExplorer", 0,
             [app](const Args&) { return ServeOrNothing(app->ActiveExplorer()); }),
  };
  return Make(std::move(members), &kApplicationEvents11, [app](com_ptr<IDispatch> sink) {
    return app->OnItemContextMenuDisplay([sink](const Ref<host::CommandBar>& bar,
                                                const Ref<host::ItemSelection>& selection) {
      auto served_bar = ServeOrNothing(bar);
      auto served_selection = ServeOrNothing(selection);
      Raise(sink.get(), 0xFB41, {ObjectArg(served_selection.get()), ObjectArg(served_bar.get())});
    });
  });
}

}  // namespace fenmark::wintest
