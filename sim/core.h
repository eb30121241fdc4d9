#pragma once
// The simulator's state and the machinery shared by its parts: events, the gate (sim/gate.h) and
// the slots the fidelity modules fill. Internal to sim/.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "sim/facts.h"
#include "sim/gate.h"
#include "sim/outlook.h"

namespace fenmark::sim::detail {

struct Core;

// Text helpers.
std::wstring Lower(std::wstring text);
std::wstring Upper(std::wstring text);
bool EqualsNoCase(const std::wstring& a, const std::wstring& b);
std::wstring Quote(const std::wstring& text);  // "text"; CR and LF shown escaped

// The sim behind an object the add-in holds; once the sim is gone, calls fail as on a server
// that has shut down.
std::shared_ptr<Core> Lock(const std::weak_ptr<Core>& weak);

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::vector<std::uint8_t>& bytes);
// CR, LF and CR LF all become CR LF: the body's paragraph breaks, as Outlook's Body shows them.
std::wstring ParagraphBreaks(const std::wstring& text);

// Delivers a handler's failure back to the event source: recorded, never propagated.
void RecordReturned(Core& core, const std::wstring& source);  // inside a catch block

// Handlers of one event. Raising works on a copy, so handlers may connect and disconnect while
// it runs; a subscription that outlives the source disconnects nothing.
template <class... Args>
class EventSource {
 public:
  using Handler = std::function<void(Args...)>;

  host::Subscription Subscribe(Handler handler) {
    const auto id = ++list_->next_id;
    list_->entries.emplace_back(id, std::make_shared<Handler>(std::move(handler)));
    std::weak_ptr<List> weak = list_;
    return host::Subscription([weak, id] {
      if (auto list = weak.lock()) {
        auto& entries = list->entries;
        for (auto it = entries.begin(); it != entries.end(); ++it) {
          if (it->first == id) {
            entries.erase(it);
            break;
          }
        }
      }
    });
  }

  std::size_t Count() const { return list_->entries.size(); }

  template <class... Actual>
  void Raise(Core& core, const std::wstring& source, Actual&&... args) {
    auto snapshot = list_->entries;
    for (auto& [id, handler] : snapshot) {
      if (!Connected(id)) continue;  // dropped by an earlier handler of this raise
      try {
        (*handler)(args...);
      } catch (...) {
        RecordReturned(core, source);
      }
    }
  }

 private:
  struct List {
    std::uint64_t next_id = 0;
    std::vector<std::pair<std::uint64_t, std::shared_ptr<Handler>>> entries;
  };
  bool Connected(std::uint64_t id) const {
    for (auto& entry : list_->entries)
      if (entry.first == id) return true;
    return false;
  }
  std::shared_ptr<List> list_ = std::make_shared<List>();
};

struct UserProp {
  std::wstring name;
  int type = 1;
  std::wstring value;
};

struct ItemState {
  int serial = 0;
  int item_class = 0;
  std::wstring entry_id;
  std::wstring subject;
  std::wstring body;
  std::vector<UserProp> props;
  std::vector<Attachment> attachments;
  bool complete = false;
  int status = 0;
  int actual_work = 0;
  int total_work = 0;
  std::optional<host::DateTime> start;   // appointments
  int duration = 0;                      // appointments, minutes
  int meeting_status = 0;                // appointments: olNonMeeting
  std::vector<std::wstring> former_ids;  // entry IDs before each move, oldest first
  int sensitivity = 0;
  std::wstring categories;
  int reminder_minutes = 0;  // appointments: before the start
  bool recurring = false;    // tasks
  std::optional<FolderKind> folder;
  std::optional<FolderKind> pending_folder;  // where the first save puts it
  bool creating = false;  // the user's save that brings the item into being: no write
  bool deleted = false;
  int save_count = 0;
  std::optional<PersistedState> persisted;
  bool dirty = true;
  std::vector<std::wstring> writes;
  EventSource<bool&> write_event;
  int write_depth = 0;
  bool write_overflowed = false;  // within the current outermost save
  bool word_available = true;
  // The window.
  EventSource<> inspector_close;
  bool window_open = false;
  // The editor's selection: `selection_length` characters from the insertion point.
  std::size_t insertion_point = 0;
  std::size_t selection_length = 0;
  std::uint64_t activated = 0;
  // The window's tab as Office last drew it; asked again only once stale.
  std::vector<RibbonButton> tab;
  bool tab_stale = true;
  int pictures = 0;  // images the HTML rendering puts in a folder beside its file
  std::optional<std::wstring> html_page;  // the HTML rendering, where a test gives it
  std::wstring html_charset = L"utf-8";

  UserProp* FindProp(const std::wstring& name);
  // An empty selection at `at` (within the body).
  void Place(std::size_t at);
  // Typing or inserting: the selected text makes way for `text`, after which the insertion point
  // stands.
  void ReplaceSelection(const std::wstring& text);
  std::optional<FolderKind> Home() const;  // the folder, or the one the first save will join
  void Write(std::wstring what);
  PersistedState Snapshot() const;
  void Restore(const PersistedState& state);
};

struct FolderState {
  std::wstring name;
  std::optional<FolderKind> parent;  // none for a store's root
  int item_type = 0;                 // DefaultItemType: olMailItem
  EventSource<const Ref<host::Item>&> item_add;
  // Outlook raises no ItemAdd for items that arrive many at once (a bulk import, a sync).
  bool add_events_dropped = false;
  // The add-in's saves of items here fail, as in a calendar the user may only read.
  bool refuses_saves = false;
};

struct ControlState {
  MenuControl data;
  EventSource<const std::shared_ptr<host::CommandBarControl>&, bool&> click;
  host::Subscription foreign_subscription;  // another program's handler
};

// What a ribbon callback is about, handed over as the control's Context: a window (its tab) or
// the items a context menu is for.
struct ControlContext {
  std::shared_ptr<ItemState> window;
  bool menu = false;
  std::vector<std::weak_ptr<ItemState>> items;
};

struct MenuState {
  std::wstring id_mso;
  ControlContext context;
  std::vector<std::shared_ptr<ControlState>> controls;
  std::vector<RibbonMenuEntry> ribbon_entries;
  bool last_cancel_default = false;
};

struct RibbonUIState {
  std::wstring ribbon_id;
  int invalidates = 0;
};

struct ParsedControl {
  std::wstring id;
  std::wstring label;
  bool separator = false;
  bool enabled = true;  // static attributes
  bool visible = true;
  std::wstring on_action, get_enabled, get_visible;
};

struct LoadedRibbon {
  std::wstring on_load;
  std::vector<ParsedControl> tab_buttons;
  std::map<std::wstring, std::vector<ParsedControl>> menus;  // by lower-case idMso
  std::shared_ptr<RibbonUIState> ui;
};

struct FileEntry {
  std::wstring path;  // as first written
  std::vector<std::uint8_t> bytes;
  int save_type = -1;  // the SaveAs type that wrote it; -1 for other writers
};

class PlatformImpl;

struct Core : std::enable_shared_from_this<Core> {
  Core();
  ~Core();

  // ---- store ----
  std::vector<std::shared_ptr<ItemState>> items;
  std::map<FolderKind, std::shared_ptr<FolderState>> folders;
  int next_serial = 0;
  std::uint64_t entry_seed = 0x5EED0F1A2B3C4D5Eull;
  std::wstring store_uid;

  // ---- application ----
  std::wstring version = L"14.0.4760.1000";
  EventSource<const Ref<host::Inspector>&> new_inspector;
  EventSource<const Ref<host::CommandBar>&, const Ref<host::ItemSelection>&> context_menu;
  bool explorer_open = true;
  std::vector<std::shared_ptr<ItemState>> selection;
  // Every button that a program added to a command bar: Office routes a click by its tag.
  std::vector<std::weak_ptr<ControlState>> buttons;
  std::uint64_t activation_clock = 0;
  bool word_default = true;
  int default_reminder = 15;  // what a new appointment's reminder is set to, in minutes
  bool overtype = false;      // Word's Options.Overtype, one setting for every window
  bool item_from_id_nothing = false;
  int wait_cursor = 0;  // shown while above zero
  int added_folders = 0;

  // ---- ribbon ----
  RibbonCallbacks* ribbon_callbacks = nullptr;
  std::map<std::wstring, std::shared_ptr<LoadedRibbon>> ribbons;  // by lower-case ribbon id
  std::vector<std::shared_ptr<RibbonUIState>> ribbon_uis;

  // ---- platform ----
  std::map<std::wstring, FileEntry> files;  // by lower-case path
  std::map<std::wstring, std::wstring>
      dirs;  // by lower-case path: the path as made, no trailing backslash
  std::wstring temp_folder;
  std::map<std::wstring, std::uint64_t> held_files;  // by key: held until that tick count
  // Who made each file and folder, when, and what it is whatever its path (made when first asked).
  struct EntryMeta {
    std::wstring owner;
    std::int64_t made_ms = 0;  // on the tick count
    std::uint64_t identity = 0;
  };
  std::map<std::wstring, EntryMeta> entry_meta;  // by key
  struct Link {
    std::wstring path, target;
  };
  std::map<std::wstring, Link> links;        // by key: a junction and where it points
  std::map<std::wstring, int> add_in_holds;  // by key: the add-in's handles that deny deletion
  std::wstring user = L"Avery";
  bool holds_kept = true;  // Windows refuses to rename or replace what a handle denies deletion
  std::uint64_t next_identity = 1;
  std::uint64_t random_state = 0x9E3779B97F4A7C15ull;
  std::vector<std::wstring> fetched;  // what Word fetched from beyond the inserted file's folder
  std::map<std::wstring, std::vector<std::uint8_t>> resources;  // by "NAME|TYPE"
  std::vector<MessageBoxRecord> message_boxes;
  std::function<int(const MessageBoxRecord&)> message_box_handler;
  int Answer(const MessageBoxRecord& box) {
    return message_box_handler ? message_box_handler(box) : 1;
  }
  host::DateTime now{2024, 3, 15, 14, 25, 7};
  int clock_step = 0;
  // The tick count: each user command takes kCommandMilliseconds, and the clock set forward
  // moves it as far.
  std::uint64_t milliseconds = 0;
  static constexpr std::uint64_t kCommandMilliseconds = 200;
  void Command() { milliseconds += kCommandMilliseconds; }
  int utc_offset_minutes = -240;  // local time less UTC: New York in summer time
  std::wstring date_separator = kRegionalSettings[0].date_separator;
  std::wstring time_separator = L":";
  std::wstring short_date_pattern = kRegionalSettings[0].short_date_pattern;
  std::unique_ptr<PlatformImpl> platform;

  // ---- what Office and Windows do beyond the model: filled by sim/fidelity/, else missing ----
  std::function<std::shared_ptr<host::WordDocument>(std::weak_ptr<Core>, std::weak_ptr<ItemState>)>
      word_editor;
  // The files SaveAs of a type writes for the item at a path, its own first; none for a type
  // unknown.
  std::function<std::vector<std::pair<std::wstring, std::vector<std::uint8_t>>>(
      const ItemState&, const std::wstring& path, int type)>
      renderings;
  // The ribbon a markup document describes, or nothing with the reasons in `errors`.
  std::function<std::optional<LoadedRibbon>(
      const std::wstring& ribbon_id, const std::wstring& markup, std::vector<std::wstring>& errors)>
      markup_reader;
  std::function<std::optional<std::wstring>(const std::vector<std::uint8_t>&,
                                            const std::wstring& charset)>
      charsets;

  // ---- the gate, and what went back to the host ----
  Gate gate;
  std::vector<ReturnedFailure> returned;
  bool write_overflow = false;

  // ---- store operations ----
  std::shared_ptr<ItemState> NewItem(int item_class);
  // Completing an occurrence of a recurring task: a completed copy, saved into the task's folder
  // with an entry ID of its own; the task itself stays open for its next occurrence.
  void CompleteOccurrence(const std::shared_ptr<ItemState>& task);
  // A new item with the fields of `source` (not its identity, window or history), changed as
  // given, then saved into `folder` as the user's copy: ItemAdd there.
  std::shared_ptr<ItemState> Copy(const ItemState& source, FolderKind folder,
                                  const std::function<void(ItemState&)>& change = {});
  std::wstring NewEntryID();
  std::shared_ptr<ItemState> ByEntryID(const std::wstring& entry_id) const;
  // Raises Write, then persists (entry ID at the first save, joining its folder: ItemAdd).
  void Save(ItemState& item);
  void JoinFolder(const std::shared_ptr<ItemState>& item, FolderKind folder);
  void OpenWindow(const std::shared_ptr<ItemState>& item);  // NewInspector when it was closed
  void CloseWindow(ItemState& item);
  std::shared_ptr<ItemState> ActiveWindow() const;

  Ref<host::Item> HandItem(const std::shared_ptr<ItemState>& item);
  Ref<host::Inspector> HandInspector(const std::shared_ptr<ItemState>& item);

  // ---- ribbon operations (ribbon.cpp) ----
  bool LoadRibbon(const std::wstring& ribbon_id);
  std::shared_ptr<LoadedRibbon> Ribbon(const std::wstring& ribbon_id, bool load);
  std::vector<RibbonMenuEntry> BuildMenuEntries(const std::wstring& id_mso,
                                                const ControlContext& context);
  bool CallBool(const std::wstring& name, const std::wstring& control_id, bool fallback,
                const ControlContext& context);
  bool CallAction(const std::wstring& name, const std::wstring& control_id,
                  const ControlContext& context);
  // A control's state as Office draws it: getVisible first, getEnabled only for a shown button.
  struct DrawnState {
    bool visible, enabled;
  };
  DrawnState Draw(const ParsedControl& control, const ControlContext& context);
  // A menu entry or tab button as the user sees it, drawn in that context.
  template <class Shown>
  Shown Drawn(const ParsedControl& control, const ControlContext& context) {
    Shown shown;
    shown.id = control.id;
    shown.label = control.label;
    shown.on_action = control.on_action;
    const auto drawn = Draw(control, context);
    shown.visible = drawn.visible;
    shown.enabled = drawn.enabled;
    return shown;
  }
  void AddButton(const std::shared_ptr<ControlState>& button);
  Ref<host::RibbonControl> HandControl(const std::wstring& id, const ControlContext& context);
  // A right-click on `items`: the host's menu, ItemContextMenuDisplay, then the markup's entries.
  std::shared_ptr<MenuState> RightClick(const std::vector<std::shared_ptr<ItemState>>& items);

  // ---- item windows' tabs (tabs.cpp) ----
  // Asks the window's tab afresh, with the window as the controls' Context.
  void DrawTab(const std::shared_ptr<ItemState>& window);
  // Every open window whose tab an Invalidate made stale is asked again, the front one first.
  void Repaint();
  void InvalidateTabs(const std::wstring& ribbon_id);

  // ---- files (platform.cpp) ----
  static std::wstring Key(const std::wstring& path);
  // The path as Windows names the file: no trailing separators, dots or blanks.
  static std::wstring Named(const std::wstring& path);
  static std::wstring Parent(const std::wstring& path);
  void MakeDirs(const std::wstring& path);
  // The path as the file system follows it: through every link on the way, the last name's too
  // unless `keep_last`.
  std::wstring Resolved(const std::wstring& path, bool keep_last = false) const;
  bool Exists(const std::wstring& key) const;  // a file, folder or link
  bool HasEntriesBelow(const std::wstring& key) const;
  EntryMeta& Meta(const std::wstring& key);
  void Erase(const std::wstring& key);  // a file, folder or link, and what was known of it
  // Whether the path is shorter than MAX_PATH, counted in UTF-16 units as Windows counts it.
  static bool FitsMaxPath(const std::wstring& path);
  // Fails with `not_found`/`bad_name` numbers when the path cannot hold a file.
  void CheckFilePath(const std::wstring& path, std::int32_t path_not_found,
                     const std::wstring& path_not_found_text, std::int32_t bad_name,
                     const std::wstring& bad_name_text) const;
};

// Stores: the default one (1), a second one (2, a shared mailbox or a delegate's), an archive (3)
// and the public folders (4); a folder's number tells its store.
inline constexpr int kStoreCount = 4;
inline constexpr int kPublicStore = 4;
int StoreOf(FolderKind folder);
std::wstring StoreIDOf(int store);
int StoreByID(const std::wstring& store_id);  // 0 for none

std::wstring ClassName(int item_class);
std::wstring Label(const ItemState& item);  // `task "Budget"`
int VersionMajor(const std::wstring& version);

// Counted references for the add-in (facades.cpp, office.cpp).
Ref<host::Application> HandApplication(Core& core);
Ref<host::ItemSelection> HandSelection(Core& core,
                                       const std::vector<std::weak_ptr<ItemState>>& items);
Ref<host::Folder> HandFolder(Core& core, FolderKind folder);
// The roots of the user's own stores, as the namespace lists them (folders.cpp).
Ref<host::FolderCollection> HandStoreRoots(Core& core);

std::shared_ptr<ItemState> StateOf(const Ref<host::Item>& item);
Ref<host::CommandBar> HandCommandBar(Core& core, const std::shared_ptr<MenuState>& menu);
// The host's own entries of a context menu of that idMso.
std::shared_ptr<MenuState> NewMenu(const std::wstring& id_mso, bool outlook14);

// The model behind the test's Outlook, for the simulator's own modules.
Core& CoreOf(Outlook& outlook);

// The state behind a test's item handle; an empty handle is the test's own mistake.
inline ItemState& Need(const SimItem& item) {
  if (!item) throw std::invalid_argument("empty SimItem");
  return *item.State();
}

}  // namespace fenmark::sim::detail
