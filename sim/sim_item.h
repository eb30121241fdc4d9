#pragma once
// The test's handle on one item of the simulated Outlook, and what it reads: the folders of the
// store, attachments, user properties, the state of the last save.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fenmark::sim {

namespace detail {
struct ItemState;
}  // namespace detail

// The folders of the stores. The numbers below 1000 are Outlook's for GetDefaultFolder, in the
// default store; a folder's store is its number's thousands (1 for the default store).
// kOtherCalendar and kOtherTasks are folders of the user's that are no default folder; the roots
// hold each store's folders (Outlook::AddFolder makes more).
enum class FolderKind : int {
  kDeletedItems = 3,
  kInbox = 6,
  kCalendar = 9,
  kContacts = 10,
  kTasks = 13,
  kDrafts = 16,
  kMailbox = 1000,  // the default store's root
  kOtherCalendar = 1009,
  kOtherTasks = 1013,  // a subfolder of Tasks
  // A second store (a shared mailbox or a delegate's): its items are found by entry ID only when
  // the store ID is given too.
  kSharedMailbox = 2000,
  kSharedInbox = 2006,
  kSharedCalendar = 2009,
  kSharedTasks = 2013,
  // An archive (an online archive, a data file): a store of the user's like the second one.
  kArchive = 3000,
  kArchiveTasks = 3013,
  // The public folders: nobody's own store, left out of the namespace's stores.
  kPublicFolders = 4000,
  kPublicTasks = 4013,
};

struct Attachment {
  std::wstring display_name;
  std::wstring source_path;
  std::vector<std::uint8_t> content;
  int save_type = -1;  // the SaveAs type that wrote the file; -1 for a file written otherwise
};

// The subject of a message file that the sim's SaveAs wrote; in the ANSI format every character
// outside the code page (Windows-1252) reads "?".
std::wstring MessageFileSubject(const std::vector<std::uint8_t>& content);

struct UserPropertyValue {
  std::wstring name;
  std::wstring value;
};

// An item's privacy, filing, reminder and recurrence.
struct ItemSettings {
  int sensitivity = 0;  // 0 normal, 1 personal, 2 private, 3 confidential
  std::wstring categories;
  int reminder_minutes = 0;  // appointments: before the start; the user's default when new
  bool recurring = false;    // tasks
};

// What an item's last save put into the store.
struct PersistedState {
  std::wstring subject;
  std::wstring body;
  std::vector<UserPropertyValue> user_properties;
  std::size_t attachment_count = 0;
  bool complete = false;
  int status = 0;
  int actual_work = 0;
};

// The test's handle on one item. Copies share the item. Reads and writes here are the user's
// (never logged, never failed by injection); writes are still entered in the item's write log.
class SimItem {
 public:
  SimItem() = default;
  explicit SimItem(std::shared_ptr<detail::ItemState> state) : state_(std::move(state)) {}

  explicit operator bool() const noexcept { return static_cast<bool>(state_); }
  friend bool operator==(const SimItem& a, const SimItem& b) { return a.state_ == b.state_; }

  int Class() const;
  // Empty until the first save; then a long upper-case hex text, unique in the sim.
  std::wstring EntryID() const;
  // The entry IDs it had before each move, oldest first.
  std::vector<std::wstring> FormerEntryIDs() const;
  std::wstring Subject() const;
  std::wstring Body() const;
  // Current values (saved or not), in the order they were added.
  std::vector<UserPropertyValue> UserProperties() const;
  std::optional<std::wstring> UserProperty(const std::wstring& name) const;  // any case
  bool HasUserProperty(const std::wstring& name) const;
  std::vector<Attachment> Attachments() const;
  bool Complete() const;
  int Status() const;  // Outlook task status: 0 not started, 1 in progress, 2 complete, 4 deferred
  int ActualWork() const;                       // minutes
  std::optional<host::DateTime> Start() const;  // appointments: local time
  int Duration() const;                         // appointments: minutes
  int MeetingStatus() const;                    // appointments: 0 no meeting, 3 received...
  ItemSettings Settings() const;

  // Persistence.
  int SaveCount() const;
  bool Saved() const;  // saved at least once
  std::optional<PersistedState> Persisted() const;
  bool Dirty() const;                        // changed since the last save (or never saved)
  std::optional<FolderKind> Folder() const;  // none before the first save of a new item
  bool Deleted() const;

  // Every write to the item, oldest first, in short text ("Subject=...", "Save", "TypeText(...)",
  // "UserProperty TaskLinkEntryID=..."), by the add-in or by a user action. The save of a user
  // action that brings the item into being (ReceiveMail, CreateTask...) is not counted.
  std::size_t WriteCount() const;

  // The item's window.
  bool WindowOpen() const;
  std::size_t InsertionPoint() const;  // index into Body(); 0 in a newly opened window

  // User edits (the user types into an open window or changes a field; unsaved until a save).
  void SetSubject(const std::wstring& subject);
  void SetBody(const std::wstring& body);
  void SetUserProperty(const std::wstring& name, const std::wstring& value);
  void RemoveUserProperty(const std::wstring& name);
  void SetComplete(bool complete);
  void SetActualWork(int minutes);
  void SetTotalWork(int minutes);
  // The organiser cancels a received meeting (7), or any other MeetingStatus.
  void SetMeetingStatus(int status);
  void SetSensitivity(int sensitivity);
  void SetCategories(const std::wstring& categories);
  // A task that repeats: completing it makes a completed copy and keeps it open for the next time.
  void SetRecurring(bool recurring);
  void SetInsertionPoint(std::size_t position);
  // The user selects `length` characters of the body from `position` in the item's window.
  void SetSelection(std::size_t position, std::size_t length);
  // The mail carries `count` pictures, which its HTML rendering saves in a folder beside the file.
  void SetPictures(int count);
  // Outlook renders the mail as this HTML page, saved in that character set (a web name).
  void SetHtmlPage(const std::wstring& page, const std::wstring& charset = L"utf-8");

  // A number unique to the item within its sim, for messages.
  int Serial() const;
  const std::shared_ptr<detail::ItemState>& State() const noexcept { return state_; }

 private:
  std::shared_ptr<detail::ItemState> state_;
};

}  // namespace fenmark::sim
