// The end-to-end scenarios against the portable add-in on the simulated Outlook; their transcript
// must equal the checked-in one, which the DLL's run under Wine is held to as well.
// FENMARK_PARITY_WRITE=<file> writes this run's transcript there (to review and check in).
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/native_addin.h"
#include "tests/parity/transcript.h"
#include "tests/parity/transcript_file.h"

namespace fenmark::parity {
namespace {

TEST(Parity, EveryScenarioLeavesTheCheckedInEffects) {
  const auto expected =
      Sections(ReadTranscript(FENMARK_SOURCE_DIR "/tests/parity/expected_transcript.txt"));
  std::vector<std::wstring> all;
  for (const auto& scenario : Scenarios()) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(scenario.name)));
    support::NativeAddin addin;
    const auto lines = Play(scenario, addin);
    all.insert(all.end(), lines.begin(), lines.end());
    EXPECT_EQ(lines.back(), L"references after release: 0");
    auto found = expected.find(scenario.name);
    if (found == expected.end()) {
      ADD_FAILURE() << "no checked-in transcript";
      continue;
    }
    EXPECT_EQ(FirstDifference(found->second, lines), L"");
  }
  if (const char* path = std::getenv("FENMARK_PARITY_WRITE")) WriteTranscript(path, all);
}

}  // namespace
}  // namespace fenmark::parity
