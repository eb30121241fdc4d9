#pragma once
// The transcript of one scenario: played on a fresh simulated Outlook and add-in, every observable
// effect one line, in a canonical form (the clock, the temporary folder and the entry IDs of the
// run shown as placeholders), so that the two builds' runs and the checked-in transcript compare
// line by line.

#include <algorithm>
#include <functional>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "host/text.h"
#include "sim/fidelity/fidelity.h"
#include "support/state_lines.h"
#include "tests/parity/scenarios.h"

namespace fenmark::parity {

class Canon {
 public:
  explicit Canon(std::wstring temp) : temp_(std::move(temp)) {}
  // The run's temporary folder, its clock and its entry IDs as placeholders.
  std::wstring operator()(const std::wstring& text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size();) {
      if (!temp_.empty() &&
          host::SameText(std::wstring_view(text).substr(i, temp_.size()), temp_)) {
        out += L"%TEMP%";
        i += temp_.size();
      } else {
        out += text[i++];
      }
    }
    static const std::wregex stamp(L"\\d\\d\\D\\d\\d\\D\\d\\d \\d\\d\\D\\d\\d\\D\\d\\d [ap]m");
    out = std::regex_replace(out, stamp, L"<time>");
    static const std::wregex utc(L"\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ");
    out = std::regex_replace(out, utc, L"<utc>");
    // The working folder's name is random on Windows.
    static const std::wregex folder(L"\\\\Fenmark-[a-z2-7]{8}\\\\");
    out = std::regex_replace(out, folder, L"\\Fenmark-<run>\\");
    static const std::wregex fallback(L"No subject - \\d{14}ff");
    out = std::regex_replace(out, fallback, L"No subject - <stamp>ff");
    // Schedule's slot, from the clock the add-in reads: only that it is a whole half hour stays.
    static const std::wregex slot(L"\\d{4}-\\d\\d-\\d\\d \\d\\d:(00|30)");
    out = std::regex_replace(out, slot, L"<half hour>");
    for (const auto& [id, name] : ids_) {
      for (std::size_t at; (at = out.find(id)) != std::wstring::npos;)
        out.replace(at, id.size(), name);
    }
    return out;
  }
  void NameEntryId(const std::wstring& id) {
    if (!id.empty() && !ids_.count(id)) ids_[id] = L"<id" + std::to_wstring(ids_.size() + 1) + L">";
  }
  void Name(const std::wstring& text, const std::wstring& name) { ids_[text] = name; }

 private:
  std::wstring temp_;
  std::map<std::wstring, std::wstring> ids_;
};

// Plays one scenario on a fresh Outlook and add-in; the transcript, one effect a line.
inline std::vector<std::wstring> Play(const Scenario& scenario, support::LoadedAddin& addin,
                                      const std::function<void(sim::Outlook&)>& prepare = {}) {
  std::vector<std::wstring> lines;
  sim::Outlook outlook;
  sim::UseOffice(outlook);
  if (prepare) prepare(outlook);
  if (scenario.before_connect) scenario.before_connect(outlook);
  addin.Create(outlook);
  outlook.AttachRibbon(&addin.Ribbon());
  const auto connected = addin.Connect();
  Stage stage(outlook, addin);
  scenario.play(stage);
  const auto disconnected = addin.Disconnect();
  outlook.AttachRibbon(nullptr);
  const auto boxes = addin.MessageBoxes();
  addin.Release();

  Canon canon(addin.TempFolder());
  for (const auto& item : outlook.AllItems()) {
    for (const auto& former : item.FormerEntryIDs()) canon.NameEntryId(former);
    canon.NameEntryId(item.EntryID());
  }
  canon.Name(outlook.StoreID(sim::FolderKind::kInbox), L"<store1>");
  canon.Name(outlook.StoreID(sim::FolderKind::kSharedInbox), L"<store2>");
  auto add = [&](const std::wstring& line) { lines.push_back(canon(line)); };
  add(L"== " + std::wstring(scenario.name));
  add(L"connect: " + connected);
  for (const auto& note : stage.notes) add(L"note: " + support::EscapeText(note));
  add(L"disconnect: " + disconnected);
  for (const auto& line : support::ItemLines(outlook)) add(line);
  for (const auto& box : boxes)
    add(L"box " + std::to_wstring(box.style) + L" \"" + box.title + L"\": " +
        support::EscapeText(box.text));
  for (const auto& line : support::FailureLines(outlook)) add(line);
  for (const auto& file : addin.TempFiles()) add(L"file left: " + file);
  for (const auto& line : support::CallLines(outlook)) add(line);
  add(L"references after release: " +
      std::to_wstring(outlook.OutstandingReferences() + addin.ServedObjects()));
  return lines;
}

// The first difference between two transcripts, or "" when they agree.
inline std::wstring FirstDifference(const std::vector<std::wstring>& expected,
                                    const std::vector<std::wstring>& actual) {
  const std::size_t n = std::max(expected.size(), actual.size());
  for (std::size_t i = 0; i < n; ++i) {
    const std::wstring e = i < expected.size() ? expected[i] : L"(end)";
    const std::wstring a = i < actual.size() ? actual[i] : L"(end)";
    if (e != a)
      return L"line " + std::to_wstring(i + 1) + L":\n  expected: " + e + L"\n  actual:   " + a;
  }
  return {};
}

}  // namespace fenmark::parity
