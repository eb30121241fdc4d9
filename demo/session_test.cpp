// The demo end to end: a whole working session through its command interpreter, as a user sees
// it in either Outlook.
#include "demo/session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fenmark::testing {
namespace {

struct Played {
  std::string text;
  int failed = 0;
  bool quit = false;
};

// The default session, or these commands, played on an 80-column terminal.
Played Play(bool outlook12, const char* commands = nullptr) {
  std::ostringstream out;
  Played played;
  {
    demo::Session session(out, {outlook12, 80});
    std::istringstream in(commands ? commands : "");
    played.failed = commands ? session.Run(in, true) : session.PlayDefault();
    played.quit = session.QuitRequested();
  }
  played.text = out.str();
  return played;
}

// `lines` appear in this order in `text`.
void ExpectInOrder(const std::string& text, std::initializer_list<std::string> lines) {
  std::size_t at = 0;
  for (const auto& line : lines) {
    const auto found = text.find(line, at);
    ASSERT_NE(found, std::string::npos) << "missing, or out of order: " << line << "\n" << text;
    at = found + line.size();
  }
}

std::vector<std::string> Lines(std::istream&& in) {
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

void ExpectFitsTheTerminal(const std::string& text) {
  for (const auto& line : Lines(std::istringstream(text))) {
    std::size_t columns = 0;
    for (unsigned char c : line) columns += (c & 0xC0) != 0x80;
    EXPECT_LE(columns, 80u) << line;
  }
}

TEST(DemoSession, PlaysTheWholeSessionInEitherOutlook) {
  for (const bool outlook12 : {false, true}) {
    SCOPED_TRACE(outlook12 ? "Outlook 12" : "Outlook 14");
    const auto played = Play(outlook12);
    const std::string& text = played.text;
    EXPECT_EQ(played.failed, 0) << text;
    EXPECT_EQ(text.find("Error:"), std::string::npos) << text;
    EXPECT_EQ(text.find("returned a failure"), std::string::npos) << text;
    ExpectFitsTheTerminal(text);
    // The landmarks of the session (the transcript pins Outlook 14's line by line); the add-in's
    // behaviour itself is pinned by its own suites.
    ExpectInOrder(text,
                  {outlook12 ? "Outlook 12.0.6423.1000 starts" : "Outlook 14.0.4760.1000 starts",
                   "   1. Send to Ostrand\n      ------------------\n",
                   "Attachment: RE Budget 2024  Q3.msg", "OstrandStatus: \"Stopped\"",
                   "Stop Ostrand Task   (greyed)", "Ostrand task started - 03/15/24 09:05:12 am",
                   "The add-in refreshes the tab of appt1's window",
                   "Ostrand task stopped - 03/15/24 12:31:40 pm",
                   "Ostrand task completed - 03/15/24 02:25:07 pm", "> right-click mail1 mail2",
                   "> delete task1", "End of the session."});
  }
}

// A tab's reading is not the next menu's: once the task is deleted, the menu right after the
// appointment's window leaves its entries out, though the clock stands still.
TEST(DemoSession, AMenuAfterTheTabOffersOnlyOpenForADeletedTask) {
  for (const bool outlook12 : {false, true}) {
    const auto played =
        Play(outlook12,
             "receive mail \"Budget\" \"Figures\"\nright-click mail1\nclick \"Send to Ostrand\"\n"
             "save task1\nclose task1\nschedule task1\nopen appt1\ndelete task1\n"
             "time 14:25:07\nright-click-outside appt1\n");
    const std::string& text = played.text;
    EXPECT_EQ(played.failed, 0) << text;
    const auto menu = text.find("> right-click-outside appt1");
    ASSERT_NE(menu, std::string::npos) << text;
    EXPECT_NE(text.find("Open Ostrand Task\n", menu), std::string::npos) << text;
    EXPECT_NE(text.find("Start Ostrand Task   (greyed)", menu), std::string::npos) << text;
  }
}

// `shown` is the played session as it stands, but where a "[..." line says something is left out.
void ExpectAbridges(const std::vector<std::string>& shown, const std::vector<std::string>& played) {
  auto mark = [](const std::string& line) {
    return line.find("[...") != std::string::npos &&
           line.find_first_not_of(' ') == line.find("[...");
  };
  std::size_t at = 0, i = 0;
  bool gap = false;
  while (i < shown.size()) {
    if (mark(shown[i])) {
      gap = true;
      ++i;
      continue;
    }
    std::size_t n = 0;
    while (i + n < shown.size() && !mark(shown[i + n])) ++n;
    auto fits = [&](std::size_t from) {
      if (from + n > played.size()) return false;
      return std::equal(shown.begin() + i, shown.begin() + i + n, played.begin() + from);
    };
    std::size_t from = at;
    while (gap && from < played.size() && !fits(from)) ++from;
    ASSERT_TRUE(fits(from)) << "from line " << i + 1 << " on, the demo says otherwise ("
                            << (gap ? "anywhere after" : "exactly at") << " its line " << at + 1
                            << "): " << shown[i];
    at = from + n;
    i += n;
    gap = false;
  }
  EXPECT_TRUE(gap || at == played.size()) << "the end of the session is left out unmarked";
}

TEST(DemoSession, TheTranscriptAndTheDocumentedExcerptAbridgeTheSessionAsItPlays) {
  const auto played = Lines(std::istringstream(Play(false).text));
  auto transcript = Lines(std::ifstream(FENMARK_SOURCE_DIR "/demo/TRANSCRIPT.txt"));
  ASSERT_GT(transcript.size(), 2u);
  transcript.erase(transcript.begin(), transcript.begin() + 2);  // "$ scripts/demo ..." and a blank
  ExpectAbridges(transcript, played);

  const auto doc = Lines(std::ifstream(FENMARK_SOURCE_DIR "/docs/demo.md"));
  auto start = std::find(doc.begin(), doc.end(), "```text");
  ASSERT_LT(start + 3, doc.end());
  auto excerpt = std::vector<std::string>(start + 3, std::find(start + 1, doc.end(), "```"));
  ExpectAbridges(excerpt, played);
}

TEST(DemoSession, CommandsFromAStreamReportMistakesAndGoOn) {
  const auto played =
      Play(true,
           "# a comment\nfrobnicate mail1\nreceive parcel \"Box\"\n"
           "receive post \"Team notes\" \"Agenda\"\nopen mail7\nsay \"unclosed\nsay ab\"c d\"e\n"
           "say \"x\"\"y\"\nsay \"a\\qb\"\nversion \"\"\nright-click\nright-click post1\n"
           "click 9999\nclick \"Send to Ostrand\"\nsave task1\nversion 14\nselect post1\n"
           "right-click\nquit\nreceive mail \"never read\"\n");
  const std::string& text = played.text;
  EXPECT_TRUE(played.quit);
  EXPECT_EQ(played.failed, 10) << text;
  ExpectInOrder(text, {"Error: Unknown command \"frobnicate\". Type help for the list of commands.",
                       "Error: receive takes mail or post, not \"parcel\".",
                       "A post arrives in the Inbox; the demo calls it post1.",
                       "Error: There is no item called \"mail7\". Items: post1.",
                       "Error: The quote at column 5 is not closed",
                       "Error: A quote inside a word at column 7",
                       "Error: A quoted text must end a word: add a blank at column 8",
                       "Error: Unknown escape at column 7", "Error: Usage: version 12|14|TEXT",
                       "Error: Nothing is selected", "   1. Send to Ostrand",
                       "Error: The menu has no entry \"9999\".", "A new window opens: task1.",
                       "Attachment: Team notes.msg", "OstrandStatus: \"Stopped\"",
                       "Outlook now reports version 14.0.4760.1000.", "   1. Send to Ostrand"});
  EXPECT_EQ(text.find("never read"), std::string::npos);
  ExpectFitsTheTerminal(text);
}

}  // namespace
}  // namespace fenmark::testing
