// The test's handle on one item: reads and edits of the user, never logged or injected.

#include <algorithm>
#include <stdexcept>

#include "sim/core.h"
#include "sim/outlook.h"
#include "sim/platform_impl.h"

namespace fenmark::sim {

using detail::ItemState;
using detail::Need;

// ---------------- SimItem ----------------

int SimItem::Class() const {
  return Need(*this).item_class;
}
std::wstring SimItem::EntryID() const {
  return Need(*this).entry_id;
}
std::vector<std::wstring> SimItem::FormerEntryIDs() const {
  return Need(*this).former_ids;
}
int SimItem::MeetingStatus() const {
  return Need(*this).meeting_status;
}
std::wstring SimItem::Subject() const {
  return Need(*this).subject;
}
std::wstring SimItem::Body() const {
  return Need(*this).body;
}

std::vector<UserPropertyValue> SimItem::UserProperties() const {
  std::vector<UserPropertyValue> values;
  for (auto& prop : Need(*this).props) values.push_back({prop.name, prop.value});
  return values;
}

std::optional<std::wstring> SimItem::UserProperty(const std::wstring& name) const {
  auto* prop = Need(*this).FindProp(name);
  if (!prop) return std::nullopt;
  return prop->value;
}

bool SimItem::HasUserProperty(const std::wstring& name) const {
  return Need(*this).FindProp(name) != nullptr;
}

std::vector<Attachment> SimItem::Attachments() const {
  return Need(*this).attachments;
}
bool SimItem::Complete() const {
  return Need(*this).complete;
}
int SimItem::Status() const {
  return Need(*this).status;
}

std::optional<host::DateTime> SimItem::Start() const {
  return Need(*this).start;
}

int SimItem::Duration() const {
  return Need(*this).duration;
}

ItemSettings SimItem::Settings() const {
  const auto& item = Need(*this);
  return {item.sensitivity, item.categories, item.reminder_minutes, item.recurring};
}

int SimItem::ActualWork() const {
  return Need(*this).actual_work;
}
int SimItem::SaveCount() const {
  return Need(*this).save_count;
}
bool SimItem::Saved() const {
  return Need(*this).save_count > 0;
}
std::optional<PersistedState> SimItem::Persisted() const {
  return Need(*this).persisted;
}
bool SimItem::Dirty() const {
  return Need(*this).dirty;
}
std::optional<FolderKind> SimItem::Folder() const {
  return Need(*this).folder;
}
bool SimItem::Deleted() const {
  return Need(*this).deleted;
}
std::size_t SimItem::WriteCount() const {
  return Need(*this).writes.size();
}
bool SimItem::WindowOpen() const {
  return Need(*this).window_open;
}
std::size_t SimItem::InsertionPoint() const {
  return Need(*this).insertion_point;
}
int SimItem::Serial() const {
  return Need(*this).serial;
}

void SimItem::SetSubject(const std::wstring& subject) {
  Need(*this).subject = subject;
  state_->Write(L"Subject=" + subject);
}

void SimItem::SetBody(const std::wstring& body) {
  auto& item = Need(*this);
  item.body = body;
  item.Place(item.insertion_point);
  item.Write(L"Body=" + detail::Quote(body));
}

void SimItem::SetUserProperty(const std::wstring& name, const std::wstring& value) {
  auto& item = Need(*this);
  if (auto* prop = item.FindProp(name))
    prop->value = value;
  else
    item.props.push_back({name, 1, value});
  item.Write(L"UserProperty " + name + L"=" + value);
}

void SimItem::RemoveUserProperty(const std::wstring& name) {
  auto& item = Need(*this);
  auto it = std::find_if(item.props.begin(), item.props.end(), [&](const detail::UserProp& p) {
    return detail::EqualsNoCase(p.name, name);
  });
  if (it == item.props.end()) return;
  item.props.erase(it);
  item.Write(L"UserProperty- " + name);
}

void SimItem::SetComplete(bool complete) {
  auto& item = Need(*this);
  item.complete = complete;
  if (complete) item.status = 2;
  item.Write(complete ? L"Complete=True" : L"Complete=False");
}

void SimItem::SetSensitivity(int sensitivity) {
  auto& item = Need(*this);
  item.sensitivity = sensitivity;
  item.Write(L"Sensitivity=" + std::to_wstring(sensitivity));
}

void SimItem::SetCategories(const std::wstring& categories) {
  auto& item = Need(*this);
  item.categories = categories;
  item.Write(L"Categories=" + categories);
}

void SimItem::SetRecurring(bool recurring) {
  auto& item = Need(*this);
  item.recurring = recurring;
  item.Write(recurring ? L"Recurring=True" : L"Recurring=False");
}

void SimItem::SetTotalWork(int minutes) {
  auto& item = Need(*this);
  item.total_work = minutes;
  item.Write(L"TotalWork=" + std::to_wstring(minutes));
}

void SimItem::SetMeetingStatus(int status) {
  auto& item = Need(*this);
  item.meeting_status = status;
  item.Write(L"MeetingStatus=" + std::to_wstring(status));
}

void SimItem::SetActualWork(int minutes) {
  auto& item = Need(*this);
  item.actual_work = minutes;
  item.Write(L"ActualWork=" + std::to_wstring(minutes));
}

void SimItem::SetInsertionPoint(std::size_t position) {
  auto& item = Need(*this);
  item.Place(position);
}

void SimItem::SetSelection(std::size_t position, std::size_t length) {
  auto& item = Need(*this);
  item.Place(position);
  item.selection_length = std::min(length, item.body.size() - item.insertion_point);
}

void SimItem::SetPictures(int count) {
  Need(*this).pictures = count;
}

void SimItem::SetHtmlPage(const std::wstring& page, const std::wstring& charset) {
  Need(*this).html_page = page;
  Need(*this).html_charset = charset;
}

}  // namespace fenmark::sim
