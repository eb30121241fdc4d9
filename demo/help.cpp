// The demo's help and its built-in working session.

#include "demo/session.h"
#include "demo/words.h"

namespace fenmark::demo {
namespace {

struct CommandHelp {
  std::string_view usage;
  std::string_view what;
};

constexpr CommandHelp kHelp[] = {
    {"receive mail|post \"SUBJECT\" [\"BODY\"]", "a mail or post item arrives in the Inbox"},
    {"appointment \"SUBJECT\" [\"BODY\"]", "you make an appointment in the calendar"},
    {"task \"SUBJECT\" [\"BODY\"]", "you make a task in the Tasks folder"},
    {"select ITEM... | select none", "select items in the main window"},
    {"right-click [ITEM...]", "right-click the selection (or select these items first)"},
    {"right-click-outside ITEM...",
     "right-click items in the To-Do Bar: the main window's selection stays"},
    {"click ENTRY", "click an entry of the last context menu, by caption or number"},
    {"open ITEM",
     "open the item's window (an appointment shows its Ostrand tab); several may be open"},
    {"tab [ITEM]", "show the Ostrand tab of the item's window (default: the front one)"},
    {"press BUTTON [ITEM]", "click a button of that window's Ostrand tab, by number or caption"},
    {"type ITEM \"TEXT\"", "type into the item's open window"},
    {"save [ITEM]", "save the item (default: the front window's)"},
    {"close [ITEM] [discard]", "close the item's window, saving unless \"discard\""},
    {"schedule TASK [other]",
     "drag the task into the calendar (other: into a calendar subfolder, whose arrivals the "
     "add-in does not hear of)"},
    {"move ITEM tasks|subfolder|deleted|archive",
     "move the item to Tasks, the Tasks subfolder Projects, Deleted Items or the archive's Tasks"},
    {"delete ITEM", "delete the item for good"},
    {"show ITEM", "show the item"},
    {"items", "list every item"},
    {"version 12|14|TEXT", "switch the Outlook version (12: command-bar menus)"},
    {"time HH:MM[:SS]", "set the clock (same day) that dates the task notes"},
    {"word on|off ITEM", "give the item's window a Word editor, or not"},
    {"explorer on|off", "open or close Outlook's main window"},
    {"say TEXT", "print a line of narration"},
    {"help", "this list"},
    {"quit", "end the session"},
};

}  // namespace

void Session::PrintHelp(std::ostream& out) {
  Printer print(out);
  print.Wrap(
      "scripts/demo (the program build/demo/demo/fenmark-demo) plays a working session in a "
      "simulated Outlook through the real Fenmark "
      "add-in code, and shows what the user would see at each step.");
  print.Blank();
  print.Wrap("Usage: scripts/demo [--outlook12] [--width N] [FILE | -]");
  print.Wrap("  ",
             "With no FILE, plays the built-in session. With FILE (or - for standard input), "
             "runs the commands in it, one per line.",
             2);
  print.Wrap("  ", "--outlook12  Outlook 12: context-menu entries are command-bar buttons.", 15);
  print.Wrap("  ", "--script     print the built-in session's commands and exit.", 15);
  print.Wrap("  ", "--width N    wrap the output at N columns (default 80).", 15);
  print.Blank();
  print.Wrap(
      "Commands (items get names such as mail1, task1, appt1 as they appear; lines starting with "
      "# are ignored; a line ending in \\ goes on in the next, and a leading \"> \" is dropped, so "
      "echoed commands can be pasted back). Quoting: a text with blanks goes in double quotes, "
      "which stand alone as a word (not ab\"c d\"e, not \"x\"\"y\"); inside, \\n is a line break, "
      "\\\" a quote and \\\\ a backslash, and any other backslash is an error. The exit status is "
      "1 when any command failed, else 0, also after quit.");
  for (const auto& help : kHelp) {
    std::string usage = "  " + std::string(help.usage);
    if (usage.size() < 40) {
      usage.resize(40, ' ');
      print.Wrap(usage, help.what, 40);
    } else {
      print.Wrap(usage);
      print.Wrap(std::string(40, ' '), help.what, 40);
    }
  }
}

std::string_view Session::DefaultScript() {
  return R"(say Avery works with Outlook and the Fenmark add-in. A mail about the budget arrives.
receive mail "RE: Budget 2024 / Q3?" "Hi Avery,\nplease check the Q3 figures before Friday.\nThanks, Jo"
say Avery right-clicks the mail to turn it into a task.
right-click mail1
click "Send to Ostrand"
say The new task window shows the mail's subject, the mail attached, and its text below a separator line, with the cursor at the top. Avery saves the task and closes its window.
save task1
close task1
say Avery drags the task into the calendar to plan the work. The appointment arrives with the task's entry ID and the add-in links it.
schedule task1
say The appointment's context menu offers the linked task's commands; stop is greyed, because work has not started.
right-click appt1
say At nine, Avery opens the appointment and starts work from its Ostrand tab.
time 09:05:12
open appt1
press "Start Ostrand Task"
say At lunch, Avery stops work from the calendar's context menu; the appointment's window is still open, and its tab follows at once. The add-in adds the minutes since the start to the task's Actual work.
time 12:31:40
right-click appt1
click "Stop Ostrand Task"
say In the afternoon the work is done: Avery clicks Fenmark on the appointment's tab to complete the task.
time 14:25:07
press Fenmark
right-click appt1
say Avery types a task straight into the To-Do Bar, with no task window; the add-in stamps it all the same.
task "Order the printer toner"
say Avery plans it in a calendar subfolder, Other Calendar, whose arrivals the add-in does not hear of. The appointment still names its task in its first line, and its menu offers the task's commands.
schedule task2 other
right-click appt2
say A task can also be scheduled from itself: the Schedule button on the task window's Ostrand tab shows a new appointment at the next half hour, linked already, for Avery to place and save.
open task2
press Schedule
save appt3
close appt3 discard
close task2 discard
say With two mails selected, Outlook shows its menu for several items, and the add-in offers nothing there.
receive mail "Lunch on Friday?" "Who is in?"
right-click mail1 mail2
say Avery files the finished task in Projects, a Tasks subfolder. The move gives it a new entry ID, so the appointment no longer finds it by the old one: its menu offers Open only, and asks Outlook nothing more while it stays so.
move task1 subfolder
right-click appt1
click "Open Ostrand Task"
say Open looked for the task by its key, found it in Projects, opened it and linked the appointment to where it is now: its menu reads the task's status again, with one lookup (complete, so Open only).
close task1 discard
right-click appt1
say Someone deletes the task for good. Open says so in words.
delete task1
right-click appt1
click "Open Ostrand Task"
)";
}

}  // namespace fenmark::demo
