#include "ui/drawing_status.h"

#include <cwctype>

namespace fenmark::ui {
namespace {

std::wstring Lower(std::wstring_view control_id) {
  std::wstring lower;
  for (wchar_t c : control_id) lower += static_cast<wchar_t>(std::towlower(c));
  return lower;
}

}  // namespace

std::wstring DrawingStatus::Status(AddIn& addin, const Ref<host::Item>& appointment,
                                   const std::wstring& entry_id, Asking asking,
                                   std::wstring_view control_id) {
  const std::uint64_t now = addin.Platform().Milliseconds();
  const bool tab = asking == Asking::kTabEnabled;
  auto key = std::pair(asking, Lower(control_id));
  if (valid_ && tab == tab_ && !entry_id.empty() && entry_id == entry_id_ &&
      now - read_at_ < kMaxAgeMs && asked_.insert(key).second) {
    return status_;
  }
  valid_ = false;
  std::wstring status;
  try {
    status = addin.ReadTaskStatus(appointment, entry_id);
  } catch (...) {
    // Offered as for an appointment without a task; see the header.
  }
  valid_ = true;
  tab_ = tab;
  entry_id_ = entry_id;
  status_ = status;
  read_at_ = now;
  asked_ = {std::move(key)};
  return status;
}

}  // namespace fenmark::ui
