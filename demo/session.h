#pragma once
// The demo's command interpreter: a simulated Outlook with the real add-in object connected to
// it, driven by commands that stand for what a user does (receive a mail, right-click, click an
// entry, open, save, schedule...), and an account of everything the user would see.

#include <cstddef>
#include <istream>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "demo/text_output.h"
#include "sim/outlook.h"
#include "support/native_addin.h"

namespace fenmark::demo {

class Session {
 public:
  struct Options {
    bool outlook12 = false;  // command-bar context menus instead of context-menu markup
    std::size_t width = 80;
  };

  Session(std::ostream& out, Options options);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Runs one command line and reports what the user sees. Never throws: a bad command gets a
  // message. Returns false when the command failed.
  bool Execute(std::string_view line);
  // Runs every line of `in`, each echoed after "> " when `echo` is set, or asked for with
  // `prompt` (a user typing). Stops at "quit". Returns the number of commands that failed.
  int Run(std::istream& in, bool echo, std::string_view prompt = {});
  // The built-in working session, narrated.
  int PlayDefault();

  static std::string_view DefaultScript();
  static void PrintHelp(std::ostream& out);

  bool QuitRequested() const noexcept { return quit_; }
  sim::Outlook& outlook() noexcept { return *outlook_; }

 private:
  struct Named {
    std::string name;
    sim::SimItem item;
  };
  struct Snapshot {
    std::size_t writes = 0;
    bool window_open = false;
    bool deleted = false;
    std::wstring body;
  };
  using Args = std::vector<std::string>;
  // One line of a shown context menu, as the demo numbers it.
  struct MenuLine {
    std::string caption;
    bool enabled = true;
    bool separator_above = false;
    int command_bar_index = 0;  // a command-bar control, or
    std::wstring ribbon_id;     // an entry of the add-in's context-menu markup
    bool own_entry = false;     // the add-in's, as opposed to Outlook's
  };

  void Dispatch(const std::string& command, const Args& args);
  void Start();

  // Commands.
  void Say(const Args& args);
  void Receive(const Args& args);
  void NewAppointment(const Args& args);
  void NewTask(const Args& args);
  void Select(const Args& args);
  void RightClick(const Args& args);
  void RightClickOutside(const Args& args);
  void Click(const Args& args);
  void Open(const Args& args);
  void ShowTab(const Args& args);
  void Press(const Args& args);
  void Save(const Args& args);
  void Close(const Args& args);
  void Type(const Args& args);
  void Schedule(const Args& args);
  void Move(const Args& args);
  void Delete(const Args& args);
  void Show(const Args& args);
  void ListItems(const Args& args);
  void Version(const Args& args);
  void Time(const Args& args);
  void Word(const Args& args);
  void Explorer(const Args& args);

  // Items by the names the demo gives them.
  Named Lookup(const std::string& name) const;
  std::vector<sim::SimItem> LookupAll(const Args& args, std::size_t from) const;
  std::string NameOf(const sim::SimItem& item) const;
  std::string Adopt(const sim::SimItem& item);
  sim::SimItem WindowItem(const Args& args, std::size_t index) const;

  // What the user sees.
  void PrintItem(const sim::SimItem& item, bool with_body = true);
  void PrintMenu(const sim::ContextMenu& menu);
  void PrintTab(const std::vector<sim::RibbonButton>& buttons);
  // Every open appointment window's tab, once a task change made the add-in refresh them.
  void PrintRefreshedTabs();
  void PrintMessageBox(const sim::MessageBoxRecord& box);
  std::string DescribeEntryID(const std::wstring& entry_id) const;
  std::string Heading(const sim::SimItem& item) const;

  // Before and after a command: new items, changed items, failures that went back to Outlook.
  std::map<int, Snapshot> TakeSnapshot() const;
  void ReportChanges(const std::map<int, Snapshot>& before, bool quiet_about_windows);

  std::ostream& out_;
  Printer print_;
  Options options_;
  std::unique_ptr<sim::Outlook> outlook_;
  support::NativeAddin addin_;
  std::vector<Named> items_;
  std::map<std::string, int> counters_;
  sim::ContextMenu last_menu_;
  std::vector<MenuLine> last_lines_;
  bool have_menu_ = false;
  std::vector<sim::RibbonButton> last_tab_;
  std::vector<int> shown_;  // items this command already showed in full
  std::size_t failures_seen_ = 0;
  bool quit_ = false;
};

}  // namespace fenmark::demo
