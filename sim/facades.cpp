// The Outlook and Word objects as the add-in sees them. Each object holds its state weakly, so
// that nothing the add-in keeps can hold the sim alive or form a cycle with its handlers; every
// call is logged and may be failed by injection before it has any effect.

#include <algorithm>

#include "sim/core.h"

namespace fenmark::sim::detail {
namespace {

host::Failure Deleted() {
  return {kDeleted, L"The item has been moved or deleted."};
}
host::Failure NotSupported() {
  return {kNotSupported, L"Object doesn't support this property or method"};
}
host::Failure InvalidArgument() {
  return {kInvalidArg,
          L"Could not complete the operation. One or more parameter values are not valid."};
}

// The common start of every call on an item's objects: the sim is alive, the call is logged and
// may fail, the item still exists.
struct ItemCall {
  std::shared_ptr<Core> core;
  std::shared_ptr<ItemState> item;
};

ItemCall EnterItem(const std::weak_ptr<Core>& weak_core, const std::weak_ptr<ItemState>& weak_item,
                   const wchar_t* interface_name, const wchar_t* member,
                   std::wstring arguments = {}) {
  auto core = Lock(weak_core);
  auto item = weak_item.lock();
  core->Enter(interface_name, member, std::move(arguments), item ? Label(*item) : L"");
  if (!item || item->deleted) throw Deleted();
  return {core, item};
}

// ---------------- Word ----------------

class WordSelectionImpl : public host::WordSelection {
 public:
  WordSelectionImpl(std::weak_ptr<Core> core, std::weak_ptr<ItemState> item)
      : core_(std::move(core)), item_(std::move(item)) {}

  void TypeText(const std::wstring& text) override {
    auto call = EnterItem(core_, item_, L"WordSelection", L"TypeText", Quote(text));
    Insert(*call.item, ParagraphBreaks(text));
    call.item->Write(L"TypeText(" + Quote(text) + L")");
  }

  void InsertFile(const std::wstring& path) override {
    auto call = EnterItem(core_, item_, L"WordSelection", L"InsertFile", Quote(path));
    auto it = call.core->files.find(Core::Key(path));
    if (it == call.core->files.end()) throw host::Failure(5174, L"This file could not be found.");
    std::wstring text = FromUtf8(it->second.bytes);
    std::wstring lower = Lower(text.substr(0, 512));
    if (lower.find(L"<html") != std::wstring::npos ||
        lower.find(L"<!doctype html") != std::wstring::npos)
      text = HtmlToText(text);
    else
      text = ParagraphBreaks(text);
    Insert(*call.item, text);
    call.item->Write(L"InsertFile(" + Quote(path) + L")");
  }

  void HomeKey(int unit) override {
    auto call = EnterItem(core_, item_, L"WordSelection", L"HomeKey", std::to_wstring(unit));
    auto& item = *call.item;
    if (unit == host::kWdStory) {
      item.insertion_point = 0;
    } else if (unit == 5) {  // wdLine: start of the paragraph
      auto pos = std::min(item.insertion_point, item.body.size());
      auto start = pos == 0 ? std::wstring::npos : item.body.rfind(L'\n', pos - 1);
      item.insertion_point = start == std::wstring::npos ? 0 : start + 1;
    } else {
      throw host::Failure(4120, L"Bad parameter");
    }
  }

 private:
  static void Insert(ItemState& item, const std::wstring& text) {
    auto pos = std::min(item.insertion_point, item.body.size());
    item.body.insert(pos, text);
    item.insertion_point = pos + text.size();
  }

  std::weak_ptr<Core> core_;
  std::weak_ptr<ItemState> item_;
};

class WordWindowImpl : public host::WordWindow {
 public:
  WordWindowImpl(std::weak_ptr<Core> core, std::weak_ptr<ItemState> item)
      : core_(std::move(core)), item_(std::move(item)) {}
  std::shared_ptr<host::WordSelection> Selection() override {
    auto call = EnterItem(core_, item_, L"WordWindow", L"Selection");
    return call.core->Hand<host::WordSelection>(std::make_shared<WordSelectionImpl>(core_, item_));
  }

 private:
  std::weak_ptr<Core> core_;
  std::weak_ptr<ItemState> item_;
};

class WordDocumentImpl : public host::WordDocument {
 public:
  WordDocumentImpl(std::weak_ptr<Core> core, std::weak_ptr<ItemState> item)
      : core_(std::move(core)), item_(std::move(item)) {}
  std::shared_ptr<host::WordWindow> Windows(int index) override {
    auto call = EnterItem(core_, item_, L"WordDocument", L"Windows", std::to_wstring(index));
    if (index != 1)
      throw host::Failure(5941, L"The requested member of the collection does not exist.");
    return call.core->Hand<host::WordWindow>(std::make_shared<WordWindowImpl>(core_, item_));
  }

 private:
  std::weak_ptr<Core> core_;
  std::weak_ptr<ItemState> item_;
};

// ---------------- items ----------------

class UserPropertyImpl : public host::UserProperty {
 public:
  UserPropertyImpl(std::weak_ptr<Core> core, std::weak_ptr<ItemState> item, std::wstring name)
      : core_(std::move(core)), item_(std::move(item)), name_(std::move(name)) {}

  std::wstring Value() override {
    auto call = EnterItem(core_, item_, L"UserProperty", L"Value", Quote(name_));
    return Find(*call.item).value;
  }
  void SetValue(const std::wstring& value) override {
    auto call =
        EnterItem(core_, item_, L"UserProperty", L"SetValue", Quote(name_) + L", " + Quote(value));
    Find(*call.item).value = value;
    call.item->Write(L"UserProperty " + name_ + L"=" + value);
  }

 private:
  UserProp& Find(ItemState& item) {
    auto* prop = item.FindProp(name_);
    if (!prop) throw host::Failure(kDeleted, L"The property has been deleted.");
    return *prop;
  }
  std::weak_ptr<Core> core_;
  std::weak_ptr<ItemState> item_;
  std::wstring name_;
};

class UserPropertiesImpl : public host::UserPropertyCollection {
 public:
  UserPropertiesImpl(std::weak_ptr<Core> core, std::weak_ptr<ItemState> item)
      : core_(std::move(core)), item_(std::move(item)) {}

  Ref<host::UserProperty> Add(const std::wstring& name, int type) override {
    auto call = EnterItem(core_, item_, L"UserPropertyCollection", L"Add",
                          Quote(name) + L", " + std::to_wstring(type));
    if (name.empty() || name.find_first_of(L"[]_#") != std::wstring::npos) throw InvalidArgument();
    if (type != host::kOlText) throw InvalidArgument();  // only text properties are simulated
    auto* prop = call.item->FindProp(name);
    if (prop && prop->type != type) throw InvalidArgument();
    if (!prop) {
      call.item->props.push_back({name, type, L""});
      call.item->Write(L"UserProperty+ " + name);
    }
    return Make(call, prop ? prop->name : name);
  }

  Ref<host::UserProperty> Item(const std::wstring& name) override {
    auto call = EnterItem(core_, item_, L"UserPropertyCollection", L"Item", Quote(name));
    auto* prop = call.item->FindProp(name);
    if (!prop) return nullptr;
    return Make(call, prop->name);
  }

 private:
  Ref<host::UserProperty> Make(const ItemCall& call, const std::wstring& name) {
    return call.core->Hand<host::UserProperty>(
        std::make_shared<UserPropertyImpl>(core_, item_, name));
  }
  std::weak_ptr<Core> core_;
  std::weak_ptr<ItemState> item_;
};

class AttachmentsImpl : public host::AttachmentCollection {
 public:
  AttachmentsImpl(std::weak_ptr<Core> core, std::weak_ptr<ItemState> item)
      : core_(std::move(core)), item_(std::move(item)) {}

  void Add(const std::wstring& source, const std::wstring& display_name) override {
    auto call = EnterItem(core_, item_, L"AttachmentCollection", L"Add",
                          Quote(source) + L", " + Quote(display_name));
    auto it = call.core->files.find(Core::Key(source));
    if (it == call.core->files.end())
      throw host::Failure(-2147024894,  // 0x80070002
                          L"Cannot find this file. Verify the path and file name are correct.");
    call.item->attachments.push_back({display_name, source, it->second.bytes});
    call.item->Write(L"Attachment+ " + display_name);
  }

 private:
  std::weak_ptr<Core> core_;
  std::weak_ptr<ItemState> item_;
};

std::vector<std::uint8_t> Bytes(const std::string& text) {
  return {text.begin(), text.end()};
}

std::wstring Escape(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    switch (c) {
      case L'&':
        out += L"&amp;";
        break;
      case L'<':
        out += L"&lt;";
        break;
      case L'>':
        out += L"&gt;";
        break;
      case L'"':
        out += L"&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// The item as Outlook renders it in HTML: the subject as a header line, the body paragraph by
// paragraph.
std::wstring HtmlRendering(const ItemState& item) {
  std::wstring html =
      L"<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
      L"charset=utf-8\">\r\n<title>" +
      Escape(item.subject) + L"</title>\r\n</head>\r\n<body>\r\n<p><b>Subject:</b> " +
      Escape(item.subject) + L"</p>\r\n";
  std::wstring body = ParagraphBreaks(item.body);
  std::size_t start = 0;
  while (start < body.size()) {
    auto end = body.find(L"\r\n", start);
    if (end == std::wstring::npos) end = body.size();
    html += L"<p>" + Escape(body.substr(start, end - start)) + L"</p>\r\n";
    start = end + 2;
  }
  return html + L"</body>\r\n</html>\r\n";
}

std::vector<std::uint8_t> MessageFile(const ItemState& item) {
  // A compound-file signature, then the content as UTF-16: enough to tell the formats apart.
  std::vector<std::uint8_t> bytes = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  std::wstring text = L"Class: " + ClassName(item.item_class) + L"\r\nSubject: " + item.subject +
                      L"\r\n\r\n" + item.body;
  for (wchar_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
  }
  return bytes;
}

class ItemImpl : public host::Item {
 public:
  ItemImpl(std::weak_ptr<Core> core, std::weak_ptr<ItemState> item)
      : core_(std::move(core)), item_(std::move(item)) {}

  const std::weak_ptr<ItemState>& state() const { return item_; }

  int Class() override { return Enter(L"Class").item->item_class; }
  std::wstring EntryID() override { return Enter(L"EntryID").item->entry_id; }
  std::wstring Subject() override { return Enter(L"Subject").item->subject; }
  void SetSubject(const std::wstring& subject) override {
    auto call = Enter(L"SetSubject", Quote(subject));
    call.item->subject = subject;
    call.item->Write(L"Subject=" + subject);
  }
  std::wstring Body() override { return Enter(L"Body").item->body; }
  Ref<host::UserPropertyCollection> UserProperties() override {
    auto call = Enter(L"UserProperties");
    return call.core->Hand<host::UserPropertyCollection>(
        std::make_shared<UserPropertiesImpl>(core_, item_));
  }
  void Save() override {
    auto call = Enter(L"Save");
    call.core->Save(*call.item);
  }
  void SaveAs(const std::wstring& path, int type) override {
    auto call = Enter(L"SaveAs", Quote(path) + L", " + std::to_wstring(type));
    std::vector<std::uint8_t> bytes;
    switch (type) {
      case 0:  // olTXT
        bytes = Bytes(ToUtf8(call.item->subject + L"\r\n\r\n" + call.item->body));
        break;
      case host::kOlMsg:
      case 9:  // olMSGUnicode
        bytes = MessageFile(*call.item);
        break;
      case host::kOlHtml:
        bytes = Bytes(ToUtf8(HtmlRendering(*call.item)));
        break;
      default:
        throw InvalidArgument();
    }
    call.core->CheckFilePath(path, -2147287037,  // 0x80030003
                             L"Cannot save the file. The folder does not exist.", -2147287035,
                             L"Cannot save the file. The file name is not valid.");
    auto& entry = call.core->files[Core::Key(path)];
    if (entry.path.empty()) entry.path = Core::Named(path);
    entry.bytes = std::move(bytes);
  }
  void Close(int mode) override {
    auto call = Enter(L"Close", std::to_wstring(mode));
    auto& item = *call.item;
    if (mode == host::kOlSave || mode == 2) {
      call.core->Save(item);
    } else if (mode == 1) {  // olDiscard
      if (item.persisted) item.Restore(*item.persisted);
    } else {
      throw InvalidArgument();
    }
    call.core->CloseWindow(item);
  }
  Ref<host::AttachmentCollection> Attachments() override {
    auto call = Enter(L"Attachments");
    return call.core->Hand<host::AttachmentCollection>(
        std::make_shared<AttachmentsImpl>(core_, item_));
  }
  Ref<host::Inspector> GetInspector() override {
    auto call = Enter(L"GetInspector");
    call.item->has_inspector = true;
    return call.core->HandInspector(call.item);
  }
  void Display() override {
    auto call = Enter(L"Display");
    call.core->OpenWindow(call.item);
  }
  void MarkComplete() override {
    auto call = EnterTask(L"MarkComplete");
    call.item->complete = true;
    call.item->status = 2;  // olTaskComplete
    call.item->Write(L"MarkComplete");
  }
  bool Complete() override { return EnterTask(L"Complete").item->complete; }
  void SetStatus(int status) override {
    auto call = EnterTask(L"SetStatus", std::to_wstring(status));
    if (status < 0 || status > 4) throw InvalidArgument();
    call.item->status = status;
    call.item->complete = status == 2;
    call.item->Write(L"Status=" + std::to_wstring(status));
  }
  int ActualWork() override { return EnterTask(L"ActualWork").item->actual_work; }
  void SetActualWork(int minutes) override {
    auto call = EnterTask(L"SetActualWork", std::to_wstring(minutes));
    call.item->actual_work = minutes;
    call.item->Write(L"ActualWork=" + std::to_wstring(minutes));
  }
  host::Subscription OnWrite(std::function<void(bool& cancel)> handler) override {
    auto call = Enter(L"OnWrite");
    return call.item->write_event.Subscribe(std::move(handler));
  }

 private:
  ItemCall Enter(const wchar_t* member, std::wstring arguments = {}) {
    return EnterItem(core_, item_, L"Item", member, std::move(arguments));
  }
  ItemCall EnterTask(const wchar_t* member, std::wstring arguments = {}) {
    auto call = Enter(member, std::move(arguments));
    if (call.item->item_class != host::kOlTask) throw NotSupported();
    return call;
  }
  std::weak_ptr<Core> core_;
  std::weak_ptr<ItemState> item_;
};

// ---------------- windows ----------------

class InspectorImpl : public host::Inspector {
 public:
  InspectorImpl(std::weak_ptr<Core> core, std::weak_ptr<ItemState> item)
      : core_(std::move(core)), item_(std::move(item)) {}

  Ref<host::Item> CurrentItem() override {
    auto call = EnterItem(core_, item_, L"Inspector", L"CurrentItem");
    return call.core->HandItem(call.item);
  }
  Ref<host::WordDocument> WordEditor() override {
    auto call = EnterItem(core_, item_, L"Inspector", L"WordEditor");
    if (!call.item->word_available) return nullptr;
    return call.core->Hand<host::WordDocument>(std::make_shared<WordDocumentImpl>(core_, item_));
  }
  void Activate() override {
    auto call = EnterItem(core_, item_, L"Inspector", L"Activate");
    call.core->OpenWindow(call.item);
  }

 private:
  std::weak_ptr<Core> core_;
  std::weak_ptr<ItemState> item_;
};

class InspectorsImpl : public host::InspectorCollection {
 public:
  explicit InspectorsImpl(std::weak_ptr<Core> core) : core_(std::move(core)) {}
  host::Subscription OnNewInspector(
      std::function<void(const Ref<host::Inspector>&)> handler) override {
    auto core = Lock(core_);
    core->Enter(L"InspectorCollection", L"OnNewInspector");
    return core->new_inspector.Subscribe(std::move(handler));
  }

 private:
  std::weak_ptr<Core> core_;
};

class ItemsImpl : public host::ItemCollection {
 public:
  ItemsImpl(std::weak_ptr<Core> core, FolderKind folder)
      : core_(std::move(core)), folder_(folder) {}
  host::Subscription OnItemAdd(std::function<void(const Ref<host::Item>&)> handler) override {
    auto core = Lock(core_);
    core->Enter(L"ItemCollection", L"OnItemAdd", L"", core->folders.at(folder_)->name);
    return core->folders.at(folder_)->item_add.Subscribe(std::move(handler));
  }

 private:
  std::weak_ptr<Core> core_;
  FolderKind folder_;
};

class FolderImpl : public host::Folder {
 public:
  FolderImpl(std::weak_ptr<Core> core, FolderKind folder)
      : core_(std::move(core)), folder_(folder) {}
  Ref<host::ItemCollection> Items() override {
    auto core = Lock(core_);
    core->Enter(L"Folder", L"Items", L"", core->folders.at(folder_)->name);
    return core->Hand<host::ItemCollection>(std::make_shared<ItemsImpl>(core_, folder_));
  }

 private:
  std::weak_ptr<Core> core_;
  FolderKind folder_;
};

class NamespaceImpl : public host::Namespace {
 public:
  explicit NamespaceImpl(std::weak_ptr<Core> core) : core_(std::move(core)) {}

  Ref<host::Folder> GetDefaultFolder(int folder_type) override {
    auto core = Lock(core_);
    core->Enter(L"Namespace", L"GetDefaultFolder", std::to_wstring(folder_type));
    auto kind = static_cast<FolderKind>(folder_type);
    if (kind == FolderKind::kOtherCalendar || !core->folders.count(kind)) throw InvalidArgument();
    return core->Hand<host::Folder>(std::make_shared<FolderImpl>(core_, kind));
  }

  Ref<host::Item> GetItemFromID(const std::wstring& entry_id) override {
    auto core = Lock(core_);
    core->Enter(L"Namespace", L"GetItemFromID", Quote(entry_id));
    if (entry_id.empty()) throw host::Failure(kInvalidArg, L"Could not open the item. Try again.");
    auto item = core->ByEntryID(entry_id);
    if (!item) throw host::Failure(kNotFound, L"The operation failed. An object cannot be found.");
    if (core->item_from_id_nothing) return nullptr;
    return core->HandItem(item);
  }

 private:
  std::weak_ptr<Core> core_;
};

class SelectionImpl : public host::ItemSelection {
 public:
  SelectionImpl(std::weak_ptr<Core> core, std::vector<std::weak_ptr<ItemState>> items)
      : core_(std::move(core)), items_(std::move(items)) {}
  int Count() override {
    Lock(core_)->Enter(L"ItemSelection", L"Count");
    return static_cast<int>(items_.size());
  }
  Ref<host::Item> Item(int index) override {
    auto core = Lock(core_);
    core->Enter(L"ItemSelection", L"Item", std::to_wstring(index));
    if (index < 1 || index > static_cast<int>(items_.size()))
      throw host::Failure(kBadIndex, L"Array index out of bounds.");
    auto item = items_[index - 1].lock();
    if (!item) throw Deleted();
    return core->HandItem(item);
  }

 private:
  std::weak_ptr<Core> core_;
  std::vector<std::weak_ptr<ItemState>> items_;
};

class ExplorerImpl : public host::Explorer {
 public:
  explicit ExplorerImpl(std::weak_ptr<Core> core) : core_(std::move(core)) {}
  Ref<host::ItemSelection> Selection() override {
    auto core = Lock(core_);
    core->Enter(L"Explorer", L"Selection");
    return core->Hand<host::ItemSelection>(MakeSelection(*core));
  }
  static std::shared_ptr<SelectionImpl> MakeSelection(Core& core) {
    std::vector<std::weak_ptr<ItemState>> items;
    for (auto& item : core.selection)
      if (!item->deleted) items.push_back(item);
    return std::make_shared<SelectionImpl>(core.weak_from_this(), std::move(items));
  }

 private:
  std::weak_ptr<Core> core_;
};

class ApplicationImpl : public host::Application {
 public:
  explicit ApplicationImpl(std::weak_ptr<Core> core) : core_(std::move(core)) {}

  std::wstring Version() override { return Enter(L"Version")->version; }
  Ref<host::InspectorCollection> Inspectors() override {
    auto core = Enter(L"Inspectors");
    return core->Hand<host::InspectorCollection>(std::make_shared<InspectorsImpl>(core_));
  }
  Ref<host::Namespace> GetNamespace(const std::wstring& type) override {
    auto core = Enter(L"GetNamespace", Quote(type));
    if (!EqualsNoCase(type, L"MAPI")) throw InvalidArgument();
    return core->Hand<host::Namespace>(std::make_shared<NamespaceImpl>(core_));
  }
  Ref<host::Item> CreateItem(int item_type) override {
    auto core = Enter(L"CreateItem", std::to_wstring(item_type));
    int item_class = 0;
    switch (item_type) {
      case 0:
        item_class = host::kOlMail;
        break;
      case 1:
        item_class = host::kOlAppointment;
        break;
      case 2:
        item_class = kOlContact;
        break;
      case host::kOlTaskItem:
        item_class = host::kOlTask;
        break;
      case 6:
        item_class = host::kOlPost;
        break;
      default:
        throw InvalidArgument();
    }
    return core->HandItem(core->NewItem(item_class));
  }
  Ref<host::Inspector> ActiveInspector() override {
    auto core = Enter(L"ActiveInspector");
    auto front = core->ActiveWindow();
    return front ? core->HandInspector(front) : nullptr;
  }
  Ref<host::Explorer> ActiveExplorer() override {
    auto core = Enter(L"ActiveExplorer");
    if (!core->explorer_open) return nullptr;
    return core->Hand<host::Explorer>(std::make_shared<ExplorerImpl>(core_));
  }
  host::Subscription OnItemContextMenuDisplay(
      std::function<void(const Ref<host::CommandBar>&, const Ref<host::ItemSelection>&)> handler)
      override {
    return Enter(L"OnItemContextMenuDisplay")->context_menu.Subscribe(std::move(handler));
  }

 private:
  std::shared_ptr<Core> Enter(const wchar_t* member, std::wstring arguments = {}) {
    auto core = Lock(core_);
    core->Enter(L"Application", member, std::move(arguments));
    return core;
  }
  std::weak_ptr<Core> core_;
};

}  // namespace

Ref<host::Item> Core::HandItem(const std::shared_ptr<ItemState>& item) {
  return Hand<host::Item>(std::make_shared<ItemImpl>(weak_from_this(), item));
}

Ref<host::Inspector> Core::HandInspector(const std::shared_ptr<ItemState>& item) {
  return Hand<host::Inspector>(std::make_shared<InspectorImpl>(weak_from_this(), item));
}

Ref<host::Application> HandApplication(Core& core) {
  return core.Hand<host::Application>(std::make_shared<ApplicationImpl>(core.weak_from_this()));
}

Ref<host::ItemSelection> HandSelection(Core& core) {
  return core.Hand<host::ItemSelection>(ExplorerImpl::MakeSelection(core));
}

Ref<host::ItemSelection> HandSelection(Core& core,
                                       const std::vector<std::weak_ptr<ItemState>>& items) {
  std::vector<std::weak_ptr<ItemState>> live;
  for (auto& weak : items)
    if (auto item = weak.lock(); item && !item->deleted) live.push_back(item);
  return core.Hand<host::ItemSelection>(
      std::make_shared<SelectionImpl>(core.weak_from_this(), std::move(live)));
}

std::shared_ptr<ItemState> StateOf(const Ref<host::Item>& item) {
  auto* impl = dynamic_cast<ItemImpl*>(item.get());
  return impl ? impl->state().lock() : nullptr;
}

}  // namespace fenmark::sim::detail
