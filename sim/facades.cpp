// Outlook's windows, folders, namespace, explorer and application as the add-in sees them. Each
// object holds its state weakly, so that nothing the add-in keeps can hold the sim alive or form a
// cycle with its handlers; every call is logged and may be failed by injection before it has any
// effect.

#include <algorithm>

#include "sim/facade_call.h"

namespace fenmark::sim::detail {
namespace {

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
    return call.core->Hand<host::WordDocument>(NewWordDocument(core_, item_));
  }
  void Activate() override {
    auto call = EnterItem(core_, item_, L"Inspector", L"Activate");
    call.core->OpenWindow(call.item);
  }
  host::Subscription OnClose(std::function<void()> handler) override {
    auto call = EnterItem(core_, item_, L"Inspector", L"OnClose");
    return call.item->inspector_close.Subscribe(std::move(handler));
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

class NamespaceImpl : public host::Namespace {
 public:
  explicit NamespaceImpl(std::weak_ptr<Core> core) : core_(std::move(core)) {}

  Ref<host::Folder> GetDefaultFolder(int folder_type) override {
    auto core = Lock(core_);
    core->Enter(L"Namespace", L"GetDefaultFolder", std::to_wstring(folder_type));
    auto kind = static_cast<FolderKind>(folder_type);
    if (StoreOf(kind) != 1 || static_cast<int>(kind) >= static_cast<int>(FolderKind::kMailbox) ||
        !core->folders.count(kind))
      throw InvalidArgument();
    return HandFolder(*core, kind);
  }

  // Without the store ID only the default store is searched, as Outlook may do with stores of
  // other accounts, shared mailboxes and delegates' folders.
  Ref<host::Item> GetItemFromID(const std::wstring& entry_id,
                                const std::wstring& store_id) override {
    auto core = Lock(core_);
    core->Enter(L"Namespace", L"GetItemFromID",
                Quote(entry_id) + (store_id.empty() ? L"" : L", " + Quote(store_id)));
    if (entry_id.empty()) throw host::Failure(kInvalidArg, L"Could not open the item. Try again.");
    const int store = store_id.empty() ? 1 : StoreByID(store_id);
    auto item = core->ByEntryID(entry_id);
    if (!item || !item->folder || StoreOf(*item->folder) != store)
      throw host::Failure(kNotFound, L"The operation failed. An object cannot be found.");
    if (core->item_from_id_nothing) return nullptr;
    return core->HandItem(item);
  }

  Ref<host::FolderCollection> Folders() override {
    auto core = Lock(core_);
    core->Enter(L"Namespace", L"Folders");
    return HandStoreRoots(*core);
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

Ref<host::Inspector> Core::HandInspector(const std::shared_ptr<ItemState>& item) {
  return Hand<host::Inspector>(std::make_shared<InspectorImpl>(weak_from_this(), item));
}

Ref<host::Application> HandApplication(Core& core) {
  return core.Hand<host::Application>(std::make_shared<ApplicationImpl>(core.weak_from_this()));
}

Ref<host::ItemSelection> HandSelection(Core& core,
                                       const std::vector<std::weak_ptr<ItemState>>& items) {
  std::vector<std::weak_ptr<ItemState>> live;
  for (auto& weak : items)
    if (auto item = weak.lock(); item && !item->deleted) live.push_back(item);
  return core.Hand<host::ItemSelection>(
      std::make_shared<SelectionImpl>(core.weak_from_this(), std::move(live)));
}

}  // namespace fenmark::sim::detail
