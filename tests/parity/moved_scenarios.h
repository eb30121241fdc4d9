#pragma once
// The end-to-end scenarios of a task that moved: found again by Open from an appointment made
// before the move, in a subfolder, in Deleted Items, in an archive, or nowhere. Played by both
// builds, as those of scenarios.h.

#include <string>

#include "tests/parity/stage.h"

namespace fenmark::parity {

// Open from the menu of the appointment, then what Open searched and how the next drawing reads.
inline void OpenMoved(Stage& s, const sim::SimItem& appointment) {
  s.NoteMenu(s.outlook.RightClick({appointment}));
  const int restricts = s.outlook.CountCalls(L"ItemCollection.Restrict");
  s.MenuClick(L"Open Ostrand Task", appointment, L"VBX_Open_Ostrand_Task");
  s.Note(L"folders searched: " +
         std::to_wstring(s.outlook.CountCalls(L"ItemCollection.Restrict") - restricts));
  const auto window = s.outlook.ActiveWindowItem();
  s.Note(L"window in front: " + (window ? window.Subject() + L" in folder " +
                                              std::to_wstring(static_cast<int>(*window.Folder()))
                                        : L"none"));
  if (window && window.Class() == host::kOlTask) s.outlook.CloseWindow(window, false);
  const int lookups = s.outlook.CountCalls(L"Namespace.GetItemFromID");
  s.outlook.AdvanceMilliseconds(2000);
  s.NoteMenu(s.outlook.RightClick({appointment}));
  s.Note(L"lookups: " +
         std::to_wstring(s.outlook.CountCalls(L"Namespace.GetItemFromID") - lookups));
}

// Moved to a Tasks subfolder, once before and once after the user saves it there.
inline void MovedToASubfolder(Stage& s) {
  for (const bool saved_there : {false, true}) {
    auto appointment = s.LinkedAppointment(saved_there ? L"Saved there" : L"Not saved there", L"");
    auto task = s.TaskOf(appointment);
    s.outlook.MoveItem(task, sim::FolderKind::kOtherTasks);
    if (saved_there) {
      s.outlook.OpenItem(task);
      s.outlook.UserSave(task);
      s.outlook.CloseWindow(task, false);
    }
    OpenMoved(s, appointment);
  }
}

inline void InDeletedItems(Stage& s) {
  auto appointment = s.LinkedAppointment(L"Deleted", L"");
  s.outlook.MoveItem(s.TaskOf(appointment), sim::FolderKind::kDeletedItems);
  OpenMoved(s, appointment);
}

inline void GoneForGood(Stage& s) {
  auto appointment = s.LinkedAppointment(L"Gone", L"");
  s.outlook.DeleteItem(s.TaskOf(appointment));
  OpenMoved(s, appointment);
}

inline void MovedIntoAnArchive(Stage& s) {
  auto appointment = s.LinkedAppointment(L"Archived", L"");
  s.outlook.MoveItem(s.TaskOf(appointment), sim::FolderKind::kArchiveTasks);
  OpenMoved(s, appointment);
}

}  // namespace fenmark::parity
