// Outlook's windows, namespace, explorer and application as the add-in sees them.

#include <algorithm>

#include "sim/facade_call.h"

namespace fenmark::sim::detail {
namespace {

class InspectorImpl : public host::Inspector, Facade {
 public:
  InspectorImpl(std::weak_ptr<Core> core, std::weak_ptr<ItemState> item)
      : Facade(std::move(core), L"Inspector", std::move(item)) {}

  Ref<host::Item> CurrentItem() override {
    auto call = Enter(L"CurrentItem");
    return call->HandItem(call.item);
  }
  Ref<host::WordDocument> WordEditor() override {
    auto call = Enter(L"WordEditor");
    if (!call.item->word_available || !call->word_editor) return nullptr;
    return call->gate.Hand<host::WordDocument>(call->word_editor(core_, item_));
  }
  void Activate() override {
    auto call = Enter(L"Activate");
    call->OpenWindow(call.item);
  }
  host::Subscription OnClose(std::function<void()> handler) override {
    return Enter(L"OnClose").item->inspector_close.Subscribe(std::move(handler));
  }
};

class InspectorsImpl : public host::InspectorCollection, Facade {
 public:
  explicit InspectorsImpl(std::weak_ptr<Core> core)
      : Facade(std::move(core), L"InspectorCollection") {}
  host::Subscription OnNewInspector(
      std::function<void(const Ref<host::Inspector>&)> handler) override {
    return Enter(L"OnNewInspector")->new_inspector.Subscribe(std::move(handler));
  }
};

class NamespaceImpl : public host::Namespace, Facade {
 public:
  explicit NamespaceImpl(std::weak_ptr<Core> core) : Facade(std::move(core), L"Namespace") {}

  Ref<host::Folder> GetDefaultFolder(int folder_type) override {
    auto core = Enter(L"GetDefaultFolder", std::to_wstring(folder_type)).core;
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
    auto core = Enter(L"GetItemFromID",
                      Quote(entry_id) + (store_id.empty() ? L"" : L", " + Quote(store_id)))
                    .core;
    if (entry_id.empty()) throw host::Failure(kInvalidArg, L"Could not open the item. Try again.");
    const int store = store_id.empty() ? 1 : StoreByID(store_id);
    auto item = core->ByEntryID(entry_id);
    if (!item || !item->folder || StoreOf(*item->folder) != store)
      throw host::Failure(kNotFound, L"The operation failed. An object cannot be found.");
    if (core->item_from_id_nothing) return nullptr;
    return core->HandItem(item);
  }

  Ref<host::FolderCollection> Folders() override { return HandStoreRoots(*Enter(L"Folders").core); }
};

class SelectionImpl : public host::ItemSelection, Facade {
 public:
  SelectionImpl(std::weak_ptr<Core> core, std::vector<std::weak_ptr<ItemState>> items)
      : Facade(std::move(core), L"ItemSelection"), items_(std::move(items)) {}
  int Count() override {
    Enter(L"Count");
    return static_cast<int>(items_.size());
  }
  Ref<host::Item> Item(int index) override {
    auto call = Enter(L"Item", std::to_wstring(index));
    if (index < 1 || index > static_cast<int>(items_.size()))
      throw host::Failure(kBadIndex, L"Array index out of bounds.");
    auto item = items_[index - 1].lock();
    if (!item) throw Deleted();
    return call->HandItem(item);
  }

 private:
  std::vector<std::weak_ptr<ItemState>> items_;
};

class ExplorerImpl : public host::Explorer, Facade {
 public:
  explicit ExplorerImpl(std::weak_ptr<Core> core) : Facade(std::move(core), L"Explorer") {}
  Ref<host::ItemSelection> Selection() override {
    auto call = Enter(L"Selection");
    return HandSelection(*call, {call->selection.begin(), call->selection.end()});
  }
};

class ApplicationImpl : public host::Application, Facade {
 public:
  explicit ApplicationImpl(std::weak_ptr<Core> core) : Facade(std::move(core), L"Application") {}

  std::wstring Version() override { return Enter(L"Version")->version; }
  Ref<host::InspectorCollection> Inspectors() override {
    return Enter(L"Inspectors")
        ->gate.Hand<host::InspectorCollection>(std::make_shared<InspectorsImpl>(core_));
  }
  Ref<host::Namespace> GetNamespace(const std::wstring& type) override {
    auto call = Enter(L"GetNamespace", Quote(type));
    if (!EqualsNoCase(type, L"MAPI")) throw InvalidArgument();
    return call->gate.Hand<host::Namespace>(std::make_shared<NamespaceImpl>(core_));
  }
  Ref<host::Item> CreateItem(int item_type) override {
    auto call = Enter(L"CreateItem", std::to_wstring(item_type));
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
    return call->HandItem(call->NewItem(item_class));
  }
  Ref<host::Inspector> ActiveInspector() override {
    auto call = Enter(L"ActiveInspector");
    auto front = call->ActiveWindow();
    return front ? call->HandInspector(front) : nullptr;
  }
  Ref<host::Explorer> ActiveExplorer() override {
    auto call = Enter(L"ActiveExplorer");
    if (!call->explorer_open) return nullptr;
    return call->gate.Hand<host::Explorer>(std::make_shared<ExplorerImpl>(core_));
  }
  host::Subscription OnItemContextMenuDisplay(
      std::function<void(const Ref<host::CommandBar>&, const Ref<host::ItemSelection>&)> handler)
      override {
    return Enter(L"OnItemContextMenuDisplay")->context_menu.Subscribe(std::move(handler));
  }
};

}  // namespace

Ref<host::Inspector> Core::HandInspector(const std::shared_ptr<ItemState>& item) {
  return gate.Hand<host::Inspector>(std::make_shared<InspectorImpl>(weak_from_this(), item));
}

Ref<host::Application> HandApplication(Core& core) {
  return core.gate.Hand<host::Application>(
      std::make_shared<ApplicationImpl>(core.weak_from_this()));
}

Ref<host::ItemSelection> HandSelection(Core& core,
                                       const std::vector<std::weak_ptr<ItemState>>& items) {
  std::vector<std::weak_ptr<ItemState>> live;
  for (auto& weak : items)
    if (auto item = weak.lock(); item && !item->deleted) live.push_back(item);
  return core.gate.Hand<host::ItemSelection>(
      std::make_shared<SelectionImpl>(core.weak_from_this(), std::move(live)));
}

}  // namespace fenmark::sim::detail
