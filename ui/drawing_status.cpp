#include "ui/drawing_status.h"

#include <cwctype>

namespace fenmark::ui {
namespace {

std::wstring Key(std::wstring_view callback, std::wstring_view control_id) {
  std::wstring key(callback);
  key += L'|';
  for (wchar_t c : control_id) key += static_cast<wchar_t>(std::towlower(c));
  return key;
}

}  // namespace

std::wstring DrawingStatus::Status(AddIn& addin, const Ref<host::Item>& appointment,
                                   const std::wstring& entry_id, Drawn drawn,
                                   std::wstring_view callback, std::wstring_view control_id) {
  const std::uint64_t now = addin.Platform().Milliseconds();
  const std::wstring key = Key(callback, control_id);
  if (valid_ && drawn == drawn_ && !entry_id.empty() && entry_id == entry_id_ &&
      now - read_at_ < kMaxAgeMs && asked_.insert(key).second) {
    return status_;
  }
  valid_ = false;
  std::wstring status;
  try {
    status = addin.ReadTaskStatus(appointment);
  } catch (...) {
    // Offered as for an appointment without a task; see the header.
  }
  valid_ = true;
  drawn_ = drawn;
  entry_id_ = entry_id;
  status_ = status;
  read_at_ = now;
  asked_ = {key};
  return status;
}

}  // namespace fenmark::ui
