#pragma once
// The links made without a command: the watched task stamps itself when saved, and an appointment
// that arrives in the calendar with the marker line names its task.

#include <string>
#include <string_view>

#include "host/host.h"
#include "links/own_saves.h"

namespace fenmark::links {

using host::Ref;

// "TaskLinkEntryID:" as the host writes it into the body of an appointment made from a task.
inline constexpr std::wstring_view kMarker = L"TaskLinkEntryID:";
// The entry ID starts this many characters after the marker's first one: the marker and one
// separating character, whatever that character is.
inline constexpr std::size_t kEntryIdOffset = 17;

struct MarkerLine {
  enum class Kind {
    kAbsent,        // no marker in the body
    kUnterminated,  // a marker with no carriage return after the entry ID's start
    kFound,
  };
  Kind kind = Kind::kAbsent;
  std::wstring entry_id;  // kFound only; may be empty
};

// The first marker of `body`, found without regard to letter case, and the text from its entry ID
// start up to the next carriage return, character for character.
MarkerLine FindMarkerLine(std::wstring_view body);

// The task shown in the inspector, or no object when the window shows any other kind of item.
Ref<host::Item> TaskShownIn(host::Inspector& inspector);

// Stamps the task: `TaskLinkEntryID` names its entry ID now, `OstrandTaskKey` keeps the first
// one it was stamped with (for a task stamped before keys were kept, that stamp's value), and,
// `with_status`, `OstrandStatus` is "Stopped" when it has none. A task whose stamp names another
// entry ID was moved or restored (the old one is found no more) and keeps its key, or is a copy
// (the old one is another task) and gets a key of its own. A task never saved is saved first for
// its entry ID; the stamp is saved only when it changed anything. All saves are the add-in's own.
// True when the task was saved.
bool StampTask(host::Item& task, const Ref<host::Application>& app, OwnSaves& saves,
               bool with_status);

// A task gets its stamp without a status; an appointment with the marker line is linked to the
// task it names once that proved to be a task, looked for in the appointment's store (one
// lookup): its `TaskLinkEntryID`, the task's key and its store, saved. Any other item, a
// received meeting, an appointment linked already or whose marker names no entry ID, is left
// alone. A marker without a carriage return after it fails with "invalid argument", leaving the
// appointment unchanged. True when an appointment was linked.
bool LinkAddedItem(host::Item& item, const Ref<host::Application>& app, OwnSaves& saves);

// A task that arrived in the Tasks folder without a window (the To-Do Bar, the task list, a mail
// dragged onto Tasks, a move, a restore, a copy) is stamped as a save in its window would stamp
// it. True when it was saved.
bool StampAddedTask(host::Item& task, const Ref<host::Application>& app, OwnSaves& saves);

// Writes the link to the task (its entry ID, key and store) into the appointment and saves it; a
// save that fails takes the link back, leaving the properties as they were, and goes on to the
// caller.
void WriteLink(host::Item& appointment, const std::wstring& task_entry_id, const std::wstring& key,
               const std::wstring& store_id, OwnSaves& saves);

// Links an appointment that names its task only by the marker line, once the task was found,
// where that has no other effect: only an appointment without unsaved changes. Any failure (a
// reviewer's rights on a shared calendar, a conflict) leaves it unlinked, silently. True when
// linked.
bool LinkFoundByMarker(host::Item& appointment, const std::wstring& task_entry_id, host::Item& task,
                       OwnSaves& saves) noexcept;

}  // namespace fenmark::links
