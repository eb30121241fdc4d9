// An Outlook item as the add-in sees it, with its user properties and attachments.

#include <algorithm>
#include <climits>
#include <cstdio>

#include "sim/facade_call.h"

namespace fenmark::sim::detail {
namespace {

class UserPropertyImpl : public host::UserProperty, Facade {
 public:
  UserPropertyImpl(std::weak_ptr<Core> core, std::weak_ptr<ItemState> item, std::wstring name)
      : Facade(std::move(core), L"UserProperty", std::move(item)), name_(std::move(name)) {}

  std::wstring Value() override {
    auto call = Enter(L"Value", Quote(name_));
    return Find(*call.item).value;
  }
  void SetValue(const std::wstring& value) override {
    auto call = Enter(L"SetValue", Quote(name_) + L", " + Quote(value));
    Find(*call.item).value = value;
    call.item->Write(L"UserProperty " + name_ + L"=" + value);
  }
  void Delete() override {
    auto call = Enter(L"Delete", Quote(name_));
    auto& props = call.item->props;
    props.erase(props.begin() + (&Find(*call.item) - props.data()));
    call.item->Write(L"UserProperty- " + name_);
  }

 private:
  UserProp& Find(ItemState& item) {
    auto* prop = item.FindProp(name_);
    if (!prop) throw host::Failure(kDeleted, L"The property has been deleted.");
    return *prop;
  }
  std::wstring name_;
};

class UserPropertiesImpl : public host::UserPropertyCollection, Facade {
 public:
  UserPropertiesImpl(std::weak_ptr<Core> core, std::weak_ptr<ItemState> item)
      : Facade(std::move(core), L"UserPropertyCollection", std::move(item)) {}

  Ref<host::UserProperty> Add(const std::wstring& name, int type) override {
    auto call = Enter(L"Add", Quote(name) + L", " + std::to_wstring(type));
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
    auto call = Enter(L"Item", Quote(name));
    auto* prop = call.item->FindProp(name);
    if (!prop) return nullptr;
    return Make(call, prop->name);
  }

 private:
  Ref<host::UserProperty> Make(const Call& call, const std::wstring& name) {
    return call->gate.Hand<host::UserProperty>(
        std::make_shared<UserPropertyImpl>(core_, item_, name));
  }
};

class AttachmentsImpl : public host::AttachmentCollection, Facade {
 public:
  AttachmentsImpl(std::weak_ptr<Core> core, std::weak_ptr<ItemState> item)
      : Facade(std::move(core), L"AttachmentCollection", std::move(item)) {}

  void Add(const std::wstring& source, const std::wstring& display_name) override {
    auto call = Enter(L"Add", Quote(source) + L", " + Quote(display_name));
    auto it = call->files.find(Core::Key(source));
    if (it == call->files.end())
      throw host::Failure(-2147024894,  // 0x80070002
                          L"Cannot find this file. Verify the path and file name are correct.");
    call.item->attachments.push_back(
        {display_name, source, it->second.bytes, it->second.save_type});
    call.item->Write(L"Attachment+ " + display_name);
  }
};

class ItemImpl : public host::Item, Facade {
 public:
  ItemImpl(std::weak_ptr<Core> core, std::weak_ptr<ItemState> item)
      : Facade(std::move(core), L"Item", std::move(item)) {}

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
  void SetBody(const std::wstring& body) override {
    auto call = Enter(L"SetBody", Quote(body));
    call.item->body = ParagraphBreaks(body);
    call.item->Write(L"Body=" + body);
  }
  Ref<host::UserPropertyCollection> UserProperties() override {
    auto call = Enter(L"UserProperties");
    return call->gate.Hand<host::UserPropertyCollection>(
        std::make_shared<UserPropertiesImpl>(core_, item_));
  }
  bool Saved() override { return !Enter(L"Saved").item->dirty; }
  void Save() override {
    auto call = Enter(L"Save");
    Persist(call);
  }
  void SaveAs(const std::wstring& path, int type) override {
    auto call = Enter(L"SaveAs", Quote(path) + L", " + std::to_wstring(type));
    if (!call->renderings) throw InvalidArgument();
    auto files = call->renderings(*call.item, path, type);
    if (files.empty()) throw InvalidArgument();
    // Every path the save writes must fit, the pictures' too; what was written before one that
    // fails stays, as a real save leaves it.
    for (auto& [saved_path, bytes] : files) {
      const std::wstring file_path = call->Resolved(saved_path);
      if (saved_path != path && call->FitsMaxPath(file_path))
        call->MakeDirs(Core::Parent(file_path));
      call->CheckFilePath(file_path, -2147287037,  // 0x80030003
                          L"Cannot save the file. The folder does not exist.", -2147287035,
                          L"Cannot save the file. The file name is not valid.");
      auto& entry = call->files[Core::Key(file_path)];
      if (entry.path.empty()) entry.path = Core::Named(file_path);
      entry.bytes = std::move(bytes);
      entry.save_type = type;
    }
  }
  Ref<host::Folder> Parent() override {
    auto call = Enter(L"Parent");
    return HandFolder(*call.core, *call.item->Home());
  }
  void Close(int mode) override {
    auto call = Enter(L"Close", std::to_wstring(mode));
    auto& item = *call.item;
    if (mode == host::kOlSave || mode == 2) {
      Persist(call);
    } else if (mode == 1) {  // olDiscard
      if (item.persisted) item.Restore(*item.persisted);
    } else {
      throw InvalidArgument();
    }
    call->CloseWindow(item);
  }
  Ref<host::AttachmentCollection> Attachments() override {
    auto call = Enter(L"Attachments");
    return call->gate.Hand<host::AttachmentCollection>(
        std::make_shared<AttachmentsImpl>(core_, item_));
  }
  Ref<host::Inspector> GetInspector() override {
    auto call = Enter(L"GetInspector");
    return call->HandInspector(call.item);
  }
  void Display() override {
    auto call = Enter(L"Display");
    call->OpenWindow(call.item);
  }
  void MarkComplete() override {
    auto call = EnterTask(L"MarkComplete");
    if (call.item->recurring) return call->CompleteOccurrence(call.item);
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
  int TotalWork() override { return EnterTask(L"TotalWork").item->total_work; }
  void SetStart(const host::DateTime& local) override {
    auto call = EnterAppointment(L"SetStart", DateText(local));
    call.item->start = local;
    call.item->Write(L"Start=" + DateText(local));
  }
  void SetDuration(int minutes) override {
    PutNumber(EnterAppointment(L"SetDuration", std::to_wstring(minutes)), &ItemState::duration,
              L"Duration", minutes);
  }
  int MeetingStatus() override { return EnterAppointment(L"MeetingStatus").item->meeting_status; }
  int Sensitivity() override { return Enter(L"Sensitivity").item->sensitivity; }
  void SetSensitivity(int sensitivity) override {
    PutNumber(Enter(L"SetSensitivity", std::to_wstring(sensitivity)), &ItemState::sensitivity,
              L"Sensitivity", sensitivity, 3);
  }
  std::wstring Categories() override { return Enter(L"Categories").item->categories; }
  void SetCategories(const std::wstring& categories) override {
    auto call = Enter(L"SetCategories", Quote(categories));
    call.item->categories = categories;
    call.item->Write(L"Categories=" + categories);
  }
  int ReminderMinutesBeforeStart() override {
    return EnterAppointment(L"ReminderMinutesBeforeStart").item->reminder_minutes;
  }
  void SetReminderMinutesBeforeStart(int minutes) override {
    PutNumber(EnterAppointment(L"SetReminderMinutesBeforeStart", std::to_wstring(minutes)),
              &ItemState::reminder_minutes, L"ReminderMinutesBeforeStart", minutes);
  }
  bool IsRecurring() override { return EnterTask(L"IsRecurring").item->recurring; }
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
  // A folder the user may only read refuses the save before anything is raised.
  static void Persist(const Call& call) {
    const auto home = call.item->Home();
    if (home && call->folders.at(*home)->refuses_saves)
      throw host::Failure(kNoPermission,
                          L"You don't have appropriate permission to perform this operation.");
    call->Save(*call.item);
  }
  Call EnterTask(const wchar_t* member, std::wstring arguments = {}) {
    auto call = Enter(member, std::move(arguments));
    if (call.item->item_class != host::kOlTask) throw NotSupported();
    return call;
  }
  Call EnterAppointment(const wchar_t* member, std::wstring arguments = {}) {
    auto call = Enter(member, std::move(arguments));
    if (call.item->item_class != host::kOlAppointment) throw NotSupported();
    return call;
  }
  // A number the add-in puts, from 0 to `most`.
  static void PutNumber(const Call& call, int ItemState::*field, const wchar_t* name, int value,
                        int most = INT_MAX) {
    if (value < 0 || value > most) throw InvalidArgument();
    call.item.get()->*field = value;
    call.item->Write(name + (L"=" + std::to_wstring(value)));
  }
  static std::wstring DateText(const host::DateTime& t) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
    return text;
  }
};

}  // namespace

Ref<host::Item> Core::HandItem(const std::shared_ptr<ItemState>& item) {
  return gate.Hand<host::Item>(std::make_shared<ItemImpl>(weak_from_this(), item));
}

std::shared_ptr<ItemState> StateOf(const Ref<host::Item>& item) {
  auto* impl = dynamic_cast<ItemImpl*>(item.get());
  return impl ? impl->state().lock() : nullptr;
}

}  // namespace fenmark::sim::detail
