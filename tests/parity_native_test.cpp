// The end-to-end scenarios against the portable add-in on the simulated Outlook; their transcripts
// must equal the checked-in ones, which the DLL's run under Wine is held to as well.
// FENMARK_PARITY_ACCEPT=1 writes this run's transcripts over the checked-in ones (review the diff
// with git); FENMARK_PARITY_WRITE=<folder> writes them elsewhere.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "support/native_addin.h"
#include "tests/parity/transcript.h"
#include "tests/parity/transcript_file.h"

namespace fenmark::parity {
namespace {

TEST(Parity, EveryScenarioLeavesTheCheckedInEffects) {
  const std::filesystem::path checked_in = FENMARK_SOURCE_DIR "/tests/parity/transcripts";
  const auto expected = ReadTranscripts(checked_in);
  std::map<std::wstring, std::vector<std::wstring>> all;
  // FENMARK_SCENARIO=<text> plays only the scenarios whose names hold it.
  const char* only = std::getenv("FENMARK_SCENARIO");
  const std::wstring wanted = only ? std::wstring(only, only + std::strlen(only)) : L"";
  for (const auto& scenario : Scenarios()) {
    if (std::wstring(scenario.name).find(wanted) == std::wstring::npos) continue;
    SCOPED_TRACE(::testing::PrintToString(std::wstring(scenario.name)));
    support::NativeAddin addin;
    const auto lines = Play(scenario, addin);
    all[scenario.name] = lines;
    EXPECT_EQ(lines.back(), L"references after release: 0");
    auto found = expected.find(scenario.name);
    if (found == expected.end()) {
      ADD_FAILURE() << "no checked-in transcript";
      continue;
    }
    EXPECT_EQ(FirstDifference(found->second, lines), L"");
  }
  if (std::getenv("FENMARK_PARITY_ACCEPT")) {
    if (wanted.empty()) {
      EXPECT_TRUE(WriteTranscripts(checked_in, all));
    } else {
      for (const auto& [name, lines] : all)
        EXPECT_TRUE(WriteTranscript(checked_in / TranscriptFileName(name), lines));
    }
  }
  if (const char* path = std::getenv("FENMARK_PARITY_WRITE")) WriteTranscripts(path, all);
}

}  // namespace
}  // namespace fenmark::parity
