#pragma once
// Outlook's object model as the add-in uses it. Every operation either returns its result or
// throws host::Failure with the host's number and description. A reference that the host may
// answer with "no object" is documented as such and comes back empty; any other is never empty.

#include <functional>
#include <memory>
#include <string>

#include "host/date_time.h"
#include "host/failure.h"
#include "host/subscription.h"

namespace fenmark::host {

template <class T>
using Ref = std::shared_ptr<T>;

class CommandBar;
class WordDocument;

// Object-class numbers of items (`Class`).
enum ItemClass : int {
  kOlAppointment = 26,
  kOlMail = 43,
  kOlPost = 45,
  kOlTask = 48,
  kOlMeetingRequest = 53,
};

inline constexpr int kOlFolderDeletedItems = 3;  // GetDefaultFolder
inline constexpr int kOlFolderCalendar = 9;      // GetDefaultFolder
inline constexpr int kOlFolderTasks = 13;        // GetDefaultFolder
inline constexpr int kOlAppointmentItem = 1;     // CreateItem
inline constexpr int kOlTaskItem = 3;            // CreateItem
inline constexpr int kOlDiscard = 1;             // Close: drop unsaved changes
inline constexpr int kOlMsg = 3;                 // SaveAs: message file, ANSI
inline constexpr int kOlMsgUnicode = 9;          // SaveAs: message file, Unicode
inline constexpr int kOlHtml = 5;                // SaveAs: HTML
inline constexpr int kOlSave = 0;                // Close: save changes
inline constexpr int kOlTaskInProgress = 1;      // TaskItem.Status
inline constexpr int kOlTaskDeferred = 4;        // TaskItem.Status
inline constexpr int kOlText = 1;                // UserProperties.Add
// AppointmentItem.MeetingStatus of a meeting someone else organised, as it arrived or once
// cancelled.
inline constexpr int kOlMeetingReceived = 3;
inline constexpr int kOlMeetingReceivedAndCanceled = 7;
inline constexpr int kOlNormal = 0;   // Sensitivity
inline constexpr int kOlPrivate = 2;  // Sensitivity: details hidden from those sharing

class UserProperty {
 public:
  virtual ~UserProperty() = default;
  // The value as text.
  virtual std::wstring Value() = 0;
  // Stored with the item's next save.
  virtual void SetValue(const std::wstring& value) = 0;
  // Removes the property from the item; stored with the item's next save.
  virtual void Delete() = 0;
};

class UserPropertyCollection {
 public:
  virtual ~UserPropertyCollection() = default;
  // Adds a property of `type` (only kOlText is used), no folder field, no display format.
  // An existing text property of that name is handed back without failing.
  virtual Ref<UserProperty> Add(const std::wstring& name, int type) = 0;
  // The property of that name, or no object when the item has none.
  virtual Ref<UserProperty> Item(const std::wstring& name) = 0;
};

class AttachmentCollection {
 public:
  virtual ~AttachmentCollection() = default;
  // Attaches the file at `source` under `display_name`; type and position are left to the host.
  virtual void Add(const std::wstring& source, const std::wstring& display_name) = 0;
};

class Inspector;
class Folder;

// Any Outlook item, reached by name. The task-only members fail on items of other classes.
class Item {
 public:
  virtual ~Item() = default;
  virtual int Class() = 0;
  // Empty for an item that was never saved.
  virtual std::wstring EntryID() = 0;
  virtual std::wstring Subject() = 0;
  virtual void SetSubject(const std::wstring& subject) = 0;
  virtual std::wstring Body() = 0;
  virtual void SetBody(const std::wstring& body) = 0;
  virtual Ref<UserPropertyCollection> UserProperties() = 0;
  // False while the item has changes not yet saved (or was never saved).
  virtual bool Saved() = 0;
  // Raises the item's write event (tasks) before it returns.
  virtual void Save() = 0;
  // The folder that holds the item.
  virtual Ref<Folder> Parent() = 0;
  // `type` is kOlMsgUnicode or kOlHtml; writes the file at `path` (an HTML rendering may add a
  // folder of pictures beside it).
  virtual void SaveAs(const std::wstring& path, int type) = 0;
  // `mode` kOlSave saves the item and closes its window.
  virtual void Close(int mode) = 0;

  // Task items only.
  virtual Ref<AttachmentCollection> Attachments() = 0;
  // The item's window, made if it has none yet (not shown until Display or Activate).
  virtual Ref<Inspector> GetInspector() = 0;
  // Shows the item's window, not modal.
  virtual void Display() = 0;
  virtual void MarkComplete() = 0;
  virtual bool Complete() = 0;
  virtual void SetStatus(int status) = 0;
  // "Actual work", in minutes.
  virtual int ActualWork() = 0;
  virtual void SetActualWork(int minutes) = 0;
  // Estimated work ("Total work"), in minutes.
  virtual int TotalWork() = 0;

  // Appointment items only: the start in local time, and the length in minutes.
  virtual void SetStart(const DateTime& local) = 0;
  virtual void SetDuration(int minutes) = 0;
  // Appointment items only: whether and how the item is a meeting (kOlMeetingReceived...).
  virtual int MeetingStatus() = 0;

  // Who may read the item, how it is filed, when it reminds, whether it repeats.
  // `Sensitivity` (kOlNormal to kOlConfidential) and `Categories` (names separated by the user's
  // list separator): any item.
  virtual int Sensitivity() = 0;
  virtual void SetSensitivity(int sensitivity) = 0;
  virtual std::wstring Categories() = 0;
  virtual void SetCategories(const std::wstring& categories) = 0;
  // Appointments: minutes before the start that the reminder fires.
  virtual int ReminderMinutesBeforeStart() = 0;
  virtual void SetReminderMinutesBeforeStart(int minutes) = 0;
  // Tasks: completing a recurring one makes a completed copy (a new item) and moves the task
  // itself on to its next occurrence.
  virtual bool IsRecurring() = 0;

  // `Write`: raised when the item is saved; `cancel` is passed by reference.
  virtual Subscription OnWrite(std::function<void(bool& cancel)> handler) = 0;
};

class Inspector {
 public:
  virtual ~Inspector() = default;
  virtual Ref<Item> CurrentItem() = 0;
  // The window's Word document, or no object when the editor is not Word.
  virtual Ref<WordDocument> WordEditor() = 0;
  // Brings the window up and gives it the focus, opening it if it was closed.
  virtual void Activate() = 0;
  // `Close`: raised when the window closes.
  virtual Subscription OnClose(std::function<void()> handler) = 0;
};

class InspectorCollection {
 public:
  virtual ~InspectorCollection() = default;
  // `NewInspector`: raised for every item window opened.
  virtual Subscription OnNewInspector(std::function<void(const Ref<Inspector>&)> handler) = 0;
};

class ItemCollection {
 public:
  virtual ~ItemCollection() = default;
  // `ItemAdd`: raised for every item added to the folder.
  virtual Subscription OnItemAdd(std::function<void(const Ref<Item>&)> handler) = 0;
  // The items that match `filter`, a DASL filter ("@SQL=..."), as a collection of their own; one
  // round trip to the server in online mode.
  virtual Ref<ItemCollection> Restrict(const std::wstring& filter) = 0;
  virtual int Count() = 0;
  // 1-based.
  virtual Ref<host::Item> Item(int index) = 0;
};

class FolderCollection {
 public:
  virtual ~FolderCollection() = default;
  virtual int Count() = 0;
  // 1-based.
  virtual Ref<Folder> Item(int index) = 0;
};

class Folder {
 public:
  virtual ~Folder() = default;
  virtual Ref<ItemCollection> Items() = 0;
  // The entry ID of the store that holds the folder.
  virtual std::wstring StoreID() = 0;
  // The subfolders.
  virtual Ref<FolderCollection> Folders() = 0;
  // The kind of item the folder holds (kOlTaskItem for a task folder).
  virtual int DefaultItemType() = 0;
};

// The store of the item's folder (`Parent.StoreID`), or "" when the host cannot tell: the store
// ID then stays out of lookups, as before stores were told apart.
inline std::wstring StoreIDOf(Item& item) noexcept {
  try {
    auto folder = item.Parent();
    return folder ? folder->StoreID() : std::wstring();
  } catch (...) {
    return {};
  }
}

class Namespace {
 public:
  virtual ~Namespace() = default;
  virtual Ref<Folder> GetDefaultFolder(int folder_type) = 0;
  // The item with that entry ID, or no object. An entry ID that no store holds is a failure, and
  // so may be one of an item outside the default store when `store_id` is empty (left out).
  virtual Ref<Item> GetItemFromID(const std::wstring& entry_id, const std::wstring& store_id) = 0;
  // The root folder of each of the user's stores loaded (`Folders`); the public folders are
  // nobody's own and not among them.
  virtual Ref<FolderCollection> Folders() = 0;
};

class ItemSelection {
 public:
  virtual ~ItemSelection() = default;
  virtual int Count() = 0;
  // 1-based.
  virtual Ref<host::Item> Item(int index) = 0;
};

class Explorer {
 public:
  virtual ~Explorer() = default;
  virtual Ref<ItemSelection> Selection() = 0;
};

class Application {
 public:
  virtual ~Application() = default;
  // Such as "14.0.4760.1000".
  virtual std::wstring Version() = 0;
  virtual Ref<InspectorCollection> Inspectors() = 0;
  // Only "MAPI" is used.
  virtual Ref<Namespace> GetNamespace(const std::wstring& type) = 0;
  // kOlTaskItem: a new, unsaved task without a window.
  virtual Ref<Item> CreateItem(int item_type) = 0;
  // The window in front of its kind, or no object when there is none.
  virtual Ref<Inspector> ActiveInspector() = 0;
  virtual Ref<Explorer> ActiveExplorer() = 0;
  // `ItemContextMenuDisplay`: raised before an item's context menu shows; controls may be added.
  virtual Subscription OnItemContextMenuDisplay(
      std::function<void(const Ref<CommandBar>&, const Ref<ItemSelection>&)> handler) = 0;
};

}  // namespace fenmark::host
