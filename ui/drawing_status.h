#pragma once
// The linked task's status as the callbacks of one menu or one tab drawing share it: Office asks
// up to eight of them before it shows a calendar item's menu, and every fresh reading costs a
// GetItemFromID, a server round trip in Exchange's online mode.

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "ui/add_in.h"

namespace fenmark::ui {

// The callback that asks, and so what Office is drawing: a window's tab, or an item's context menu
// (markup or command bar).
enum class Asking { kTabEnabled, kMenuEnabled, kMenuVisible, kCommandBarMenu };

class DrawingStatus {
 public:
  // How long an answer may stand: a task changed elsewhere shows at the next right-click.
  static constexpr std::uint64_t kMaxAgeMs = 1000;

  // The status of the appointment whose entry ID is `entry_id`, for the callback `asking` about
  // `control_id`. Read afresh unless this drawing read it already: the same kind of surface and the
  // same item, nothing forgotten since, younger than kMaxAgeMs, and
  // this callback not yet asked about this control (Office asks each once per drawing; a second
  // time is the next drawing). Which object Office hands as Context does not matter: it may be a
  // fresh one for each callback of one menu.
  //
  // Never shows a message: a box would come up before the menu or the tab, on every right-click
  // while the server cannot be reached. A failed reading answers "", as for an appointment without
  // a task; a command run all the same reads again and reports the failure itself.
  std::wstring Status(AddIn& addin, const Ref<host::Item>& appointment,
                      const std::wstring& entry_id, Asking asking, std::wstring_view control_id);

  // Anything that may change a status drops the answer.
  void Forget() noexcept { valid_ = false; }

 private:
  bool valid_ = false;
  bool tab_ = false;
  std::wstring entry_id_;
  std::wstring status_;
  std::uint64_t read_at_ = 0;
  std::set<std::pair<Asking, std::wstring>> asked_;
};

}  // namespace fenmark::ui
