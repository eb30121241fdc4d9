#pragma once
// A simulated Outlook, held in memory, for the add-in's tests and the demo.
//
// One `Outlook` object is the whole host: the application with its namespace, one store with its
// default folders and items, inspector windows with a Word-like editor, an explorer with a
// selection, command-bar context menus, a ribbon driven by the add-in's markup, and the Windows
// platform (a file system, message boxes, a clock, the DLL's resources).
//
// Two kinds of callers use it:
//  - the add-in, through the host interfaces of host (`Application()`, `Platform()` and
//    every object reached from them). Each of its calls passes one gate: it is logged
//    (`Calls()`), a test may override it (`Override`, and on it `FailNthCall`, `FailCallsTo`,
//    `BeforeCall`), and every reference handed back is counted (`OutstandingReferences()`);
//  - the test, through the members of `Outlook`, `SimItem` and `ContextMenu`: user actions
//    (receive a mail, select, right-click, open, save, schedule a task...) and inspection. These
//    are never logged and never fail by injection; the events they raise reach the add-in, whose
//    calls are logged as usual.
//
// A failure thrown by an add-in handler goes back to the event source: the sim records it
// (`ReturnedFailures()`) and the user action carries on, as Outlook does.
//
// The Outlook object must outlive nothing: references and subscriptions that the add-in keeps
// after it is destroyed are harmless (their calls fail, their disconnection does nothing).

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/host.h"
#include "sim/menus.h"
#include "sim/sim_item.h"

namespace fenmark::sim {

using host::Ref;

class Outlook;
namespace detail {
struct Core;
Core& CoreOf(Outlook& outlook);
}  // namespace detail

inline constexpr int kOlContact = 40;  // an item class beside those of host::ItemClass

// Failures the simulated host gives (number, description), for tests that compare them.
inline constexpr std::int32_t kNotFound = -2147221233;      // 0x8004010F, unknown entry ID
inline constexpr std::int32_t kDeleted = -2147221238;       // 0x8004010A, item moved or deleted
inline constexpr std::int32_t kFailed = -2147467259;        // 0x80004005, generic failure
inline constexpr std::int32_t kInvalidArg = -2147024809;    // 0x80070057
inline constexpr std::int32_t kBadIndex = -2147352565;      // 0x8002000B, collection index
inline constexpr std::int32_t kNotSupported = 438;          // member not on this kind of object
inline constexpr std::int32_t kDisconnected = -2147417848;  // 0x80010108, host object gone
inline constexpr std::int32_t kNoPermission = -2147024891;  // 0x80070005, a save refused
// A Save nested deeper than this in Write handlers fails with kRecursionDescription.
inline constexpr int kMaxWriteDepth = 32;
inline constexpr wchar_t kRecursionDescription[] =
    L"SIMULATOR: Write event re-raised beyond 32 nested saves (endless Save in a Write handler)";

// One logged host call of the add-in.
struct HostCall {
  std::wstring interface_name;  // as in host: "Item", "Namespace", "Platform", ...
  std::wstring member;          // "Save", "GetItemFromID", "OnWrite", ...
  std::wstring arguments;       // short text: strings quoted, numbers plain, comma-separated
  std::wstring object;          // the item concerned, e.g. `task "Budget"`; empty if none
  bool failed = false;          // made to fail by injection
  // "Interface.Member(arguments)".
  std::wstring ToString() const;
  // "Interface.Member", the name used by FailCallsTo and CountCalls.
  std::wstring Name() const { return interface_name + L"." + member; }
};

// A test's hand in the gate that every add-in call passes before the model answers it, in the
// manner of an environment wrapper that overrides one call: it sees each call with its number
// (from 1, over the whole session), may act first as another program would, and fails the call by
// throwing a host::Failure (the call then has no effect). It answers whether it stays for later
// calls.
using CallOverride = std::function<bool(const HostCall& call, std::size_t number)>;

// A failure an add-in handler or callback returned to the host.
struct ReturnedFailure {
  std::wstring source;  // "Item.Write", "Inspectors.NewInspector", "Items.ItemAdd",
                        // "Application.ItemContextMenuDisplay", "CommandBarButton.Click",
                        // "Ribbon.<callback name>"
  std::int32_t number = 0;
  std::wstring description;
  bool foreign_exception = false;  // not a host::Failure: a C++ exception that would cross COM
};

struct MessageBoxRecord {
  std::wstring text;
  int style = 0;
  std::wstring title;  // "Fenmark" when the caller gave none
  bool title_given = false;
};

class Outlook {
 public:
  Outlook();
  ~Outlook();
  Outlook(const Outlook&) = delete;
  Outlook& operator=(const Outlook&) = delete;

  // ---------------- the add-in's side ----------------
  // A counted reference to the application, to hand to the add-in's connection handler.
  Ref<host::Application> Application();
  // The Windows platform of this sim (file system, message boxes, clock, resources).
  host::Platform& Platform();
  // A counted reference to the item, to hand to an add-in member (e.g. GetTaskStatus).
  Ref<host::Item> AddinRef(const SimItem& item);
  // The item behind a reference that the add-in holds.
  SimItem Find(const Ref<host::Item>& item) const;

  // ---------------- the store ----------------
  std::vector<SimItem> ItemsIn(FolderKind folder) const;
  std::vector<SimItem> AllItems() const;  // every item ever made, also unsaved and deleted ones
  SimItem FindByEntryID(const std::wstring& entry_id) const;  // empty handle if none
  // The store ID of the folder's store.
  std::wstring StoreID(FolderKind folder) const;
  // The user makes a folder in `parent`, of the store of `parent`, holding items of `item_type`
  // (host::kOlTaskItem for tasks; 0, mail, by default).
  FolderKind AddFolder(FolderKind parent, const std::wstring& name, int item_type = 0);

  // ---------------- user actions (not logged, never injected) ----------------
  // A mail (class 43) or post (45) arrives in the Inbox, saved; raises the Inbox's ItemAdd.
  SimItem ReceiveMail(const std::wstring& subject, const std::wstring& body);
  SimItem ReceivePost(const std::wstring& subject, const std::wstring& body);
  // The user makes and saves an appointment in the folder (default: the calendar, raising its
  // ItemAdd); its Write event is raised by the save.
  SimItem CreateAppointment(const std::wstring& subject, const std::wstring& body,
                            FolderKind folder = FolderKind::kCalendar);
  // The user makes and saves a task in the Tasks folder.
  SimItem CreateTask(const std::wstring& subject, const std::wstring& body = L"");
  // Any class (e.g. kOlContact, host::kOlMeetingRequest) in any folder, saved.
  SimItem AddItem(int item_class, const std::wstring& subject, const std::wstring& body,
                  FolderKind folder);
  // The user drags the task into the default calendar: a new appointment with the task's subject,
  // whose body starts with "TaskLinkEntryID: <value>" CR LF when the task has that user property,
  // followed by `free_text` (default: the task's body). Saved, then ItemAdd on the calendar.
  // `folder` puts it elsewhere: a calendar subfolder or a shared calendar, whose ItemAdd the add-in
  // does not watch.
  SimItem ScheduleTask(const SimItem& task, std::optional<std::wstring> free_text = std::nullopt,
                       FolderKind folder = FolderKind::kCalendar);
  // While dropped, items that arrive in the folder raise no ItemAdd, as for a bulk arrival, a
  // synchronisation or items saved while the add-in was off.
  void SetAddEventsDropped(FolderKind folder, bool dropped);
  // The user moves an existing item (of any class) into the default calendar: ItemAdd.
  void AddToCalendar(const SimItem& item);
  // A meeting someone else organised arrives in the folder: an appointment whose MeetingStatus
  // is olMeetingReceived (3), the organiser's body; ItemAdd.
  SimItem ReceiveMeeting(const std::wstring& subject, const std::wstring& body,
                         FolderKind folder = FolderKind::kCalendar);
  // The user moves a saved item to another folder (Deleted Items is one; restoring is another
  // move): it gets a new entry ID, the old one is no longer found, its user properties go with
  // it; ItemAdd of the folder.
  void MoveItem(const SimItem& item, FolderKind folder);
  // The user copies a saved item into a folder: a new item with its own entry ID, carrying the
  // original's fields and user properties; ItemAdd of the folder.
  SimItem CopyItem(const SimItem& item, FolderKind folder);
  // While refused, the add-in's saves of items in the folder fail with kNoPermission, as in a
  // calendar the user may only read.
  void SetSavesRefused(FolderKind folder, bool refused);
  // Hard delete: the entry ID is no longer found; references the add-in holds fail with kDeleted;
  // the item's window closes and it leaves the selection.
  void DeleteItem(const SimItem& item);

  // The explorer's selection; selecting opens the explorer if it was switched off.
  void Select(std::initializer_list<SimItem> items);
  void Select(const std::vector<SimItem>& items);
  std::vector<SimItem> Selection() const;
  // Switches the main window (explorer) on or off; off: ActiveExplorer gives no object.
  void SetExplorerOpen(bool open);

  // Right-click on the selection (or on `items`, which are selected first): builds the host's
  // menu (one item: kMailItemMenu for mail, post and meeting requests, kCalendarItemMenu for
  // appointments, kTaskItemMenu, else kOtherItemMenu; none or several: kMultipleItemsMenu),
  // raises ItemContextMenuDisplay, then from Outlook 14 on (and when ribbon callbacks are
  // attached) builds that menu's entries of the explorer markup, loading it first if needed.
  ContextMenu RightClick();
  ContextMenu RightClick(std::initializer_list<SimItem> items);
  // Right-click on `items` outside the main window's list (the To-Do Bar, a calendar peek, a
  // second main window): the menu is built for them, the main window's selection stays.
  ContextMenu RightClickOutside(const std::vector<SimItem>& items);

  // Opens the item's window (NewInspector when it was closed) and brings it to the front. Several
  // windows may be open; an appointment window's tab is asked, with that window as Context, while
  // the window is being built, before it becomes the active inspector. The first appointment
  // window loads the appointment ribbon (one RibbonUI, onLoad once).
  void OpenItem(const SimItem& item);
  // Brings an open window to the front.
  void ActivateWindow(const SimItem& item);
  // The user closes the window, saving (raises Write) or discarding the unsaved changes.
  void CloseWindow(const SimItem& item, bool save);
  // The user saves the item (from its window or not): raises Write, persists.
  void UserSave(const SimItem& item);
  // The user types into the item's window at its insertion point (CR = paragraph break).
  void UserTypes(const SimItem& item, const std::wstring& text);
  // The item that the front inspector shows, if any window is open.
  SimItem ActiveWindowItem() const;
  std::vector<SimItem> OpenWindows() const;  // front first

  // "No Word document": WordEditor gives no object for this item / for items made from now on.
  void SetWordAvailable(const SimItem& item, bool available);
  void SetWordAvailableByDefault(bool available);
  // Word's Overtype mode (the Insert key), for every window; off by default.
  void SetOvertype(bool on);
  bool Overtype() const;
  // GetItemFromID answers Nothing for an entry ID it knows, as the object model allows a store
  // to answer, instead of the item.
  void SetItemFromIDAnswersNothing(bool nothing);

  void SetVersion(const std::wstring& version);  // default "14.0.4760.1000"
  // The user's default reminder, set on every new appointment: minutes before its start (15).
  void SetDefaultReminder(int minutes);
  std::wstring Version() const;

  // ---------------- ribbon ----------------
  // The add-in's ribbon side, or nullptr to detach. Not owned; must outlive its use.
  void AttachRibbon(RibbonCallbacks* callbacks);
  // Office loads a ribbon: asks GetCustomUI(ribbon_id); when markup comes back, parses it and
  // calls its onLoad with a new RibbonUI. Returns false for no markup or markup that does not
  // parse (then standard error says why).
  bool LoadRibbon(const std::wstring& ribbon_id);
  // The tab of an open appointment window (default: the front window) as it shows now: each window
  // keeps the answers it was last given. An Invalidate of the appointment ribbon makes Office ask
  // every open appointment window again, each with its own Inspector as Context, the front window
  // first; that happens after each user action and here. Empty for no such window.
  std::vector<RibbonButton> ShowTab();
  std::vector<RibbonButton> ShowTab(const SimItem& window);
  // The user clicks a tab button of that window (default: the front one), which comes to the
  // front: calls its onAction with the window as Context. False when the window is not open or
  // the button is missing, greyed or without onAction.
  bool ClickTabButton(const std::wstring& id);
  bool ClickTabButton(const std::wstring& id, const SimItem& window);
  // Builds one context menu of the explorer markup for the main window's selection: per entry
  // getVisible, then (when visible) getEnabled, with that selection as Context; separators
  // listed. Loads the explorer ribbon first when needed.
  ContextMenu ShowContextMenu(const std::wstring& id_mso);
  // Invalidate calls on the RibbonUI objects handed out for that ribbon.
  int InvalidateCount(const std::wstring& ribbon_id) const;

  // ---------------- files (the test's view; not logged) ----------------
  // The user's temporary folder, without trailing backslash (default
  // "C:\Users\Avery\AppData\Local\Temp"). Setting it creates the folder.
  std::wstring TempFolder() const;
  void SetTempFolder(const std::wstring& path);
  void CreateFolder(const std::wstring& path);
  bool FileExists(const std::wstring& path) const;
  std::optional<std::vector<std::uint8_t>> FileBytes(const std::wstring& path) const;
  void PutTextFile(const std::wstring& path, const std::wstring& text);  // UTF-8
  // Another program (a virus scanner) holds the file at `path`, written or not yet, for that many
  // milliseconds of the tick count (Platform::Wait moves it): removing it fails meanwhile.
  void HoldFile(const std::wstring& path, std::uint64_t milliseconds = UINT64_MAX);
  void ReleaseFile(const std::wstring& path);
  bool FileHeld(const std::wstring& path) const;
  std::vector<std::wstring> FilesIn(const std::wstring& folder) const;  // full paths
  std::vector<std::wstring> AllFiles() const;
  // Every folder (with a trailing backslash) and file below `folder`, at any depth, sorted.
  std::vector<std::wstring> EntriesBelow(const std::wstring& folder) const;

  void PutFile(const std::wstring& path, std::vector<std::uint8_t> bytes);
  // What others do to the file system. A link (junction) at `path` to `target`, made by `owner`.
  void MakeLink(const std::wstring& path, const std::wstring& target,
                const std::wstring& owner = L"Mallory");
  // Another user replaces the entry at `path` by a link to `target`, having moved it aside (to
  // `path` + ".old"). Windows refuses while the add-in holds the entry or anything in it (unless
  // holds are not kept): whether it was replaced.
  bool SwapForLink(const std::wstring& path, const std::wstring& target);
  // A file system whose handles keep nothing from being renamed (to test what a hold guards).
  void SetHoldsKept(bool kept);
  // The user the add-in runs as ("Avery"), and the owner and age of an entry.
  std::wstring User() const;
  void SetOwner(const std::wstring& path, const std::wstring& owner);
  void SetAge(const std::wstring& path, std::uint64_t seconds);
  // The random bits the add-in's next RandomBits call returns.
  std::uint64_t NextRandomBits() const;
  // What Word fetched from beyond an inserted file's folder, in order (an address a line).
  std::vector<std::wstring> Fetched() const;

  // The DLL's resources: by default type "CUSTOM" gives fenmark::ui::EmbeddedMarkup(name).
  void SetResource(const std::wstring& name, const std::wstring& type,
                   std::vector<std::uint8_t> bytes);

  // ---------------- message boxes, clock, regional settings ----------------
  std::vector<MessageBoxRecord> MessageBoxes() const;
  void ClearMessageBoxes();
  // Called while a box is "shown" (the add-in waits); its result is the button pressed.
  // Default: OK (1). The user may act meanwhile (save another item, say).
  void SetMessageBoxHandler(std::function<int(const MessageBoxRecord&)> handler);
  // The button the user presses for that box: the handler's answer, or OK. The DLL's boxes, shown
  // outside the sim, are answered here too.
  int AnswerMessageBox(const MessageBoxRecord& box);
  // Whether the add-in shows the wait cursor now.
  bool WaitCursorShown() const;
  // Local time, default 2024-03-15 14:25:07. `step_seconds` is added after every reading.
  // Setting it forward moves the tick count as far.
  void SetNow(const host::DateTime& now, int step_seconds = 0);
  host::DateTime Now() const;
  // The tick count moves on. It also moves by itself: 200 ms with each right-click, window
  // opened and command clicked, and as far as SetNow sets the clock forward.
  void AdvanceMilliseconds(std::uint64_t milliseconds);
  // Local time less UTC, in minutes (default -240); a change of summer time moves it.
  void SetUtcOffset(int minutes);
  void SetSeparators(const std::wstring& date_separator, const std::wstring& time_separator);
  // The short-date pattern and both separators of a country's default setting (the default:
  // kUnitedStates, "M/d/yyyy", "/" and ":").
  enum class Region { kUnitedStates, kUnitedKingdom, kGermany, kJapan };
  void SetRegion(Region region);

  // ---------------- the gate: call log and overrides ----------------
  void Override(CallOverride override);
  // Runs `action` just before the add-in's next call of that name ("Platform.OpenEntry").
  void BeforeCall(const std::wstring& name, std::function<void()> action);
  std::vector<HostCall> Calls() const;
  void ClearCalls();
  std::size_t CallCount() const;
  int CountCalls(const std::wstring& name) const;  // name "Interface.Member"
  bool Called(const std::wstring& name) const { return CountCalls(name) > 0; }
  // Calls as "Interface.Member(arguments)" lines, for failure messages.
  std::wstring CallsText() const;
  // The n-th add-in call (1 = the next one) after this request fails with number/description;
  // the call is logged (failed = true) and has no effect.
  void FailNthCall(int n, std::int32_t number = kFailed,
                   const std::wstring& description = L"The operation failed.");
  // Every call to "Interface.Member" (letter case ignored) fails: from the `nth` such call on, or
  // only that one when `only_once`.
  void FailCallsTo(const std::wstring& name, std::int32_t number = kFailed,
                   const std::wstring& description = L"The operation failed.", int nth = 1,
                   bool only_once = false);
  void ClearFaults();  // every override

  // ---------------- what went back to the host ----------------
  std::vector<ReturnedFailure> ReturnedFailures() const;
  void ClearReturnedFailures();
  // Set once a Save nested deeper than kMaxWriteDepth in Write handlers.
  bool WriteRecursionOverflowed() const;

  // Host references handed to the add-in (return values, event arguments, Application(),
  // AddinRef) that are still held.
  long OutstandingReferences() const;
  // Connections to the events of every source: application, inspectors, folders, items and
  // command-bar buttons still in existence.
  int EventConnections() const;

 private:
  friend detail::Core& detail::CoreOf(Outlook&);
  std::shared_ptr<detail::Core> core_;
};

}  // namespace fenmark::sim
