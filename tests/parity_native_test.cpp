// The end-to-end scenarios against the portable add-in on the simulated Outlook; their transcript
// must equal the checked-in one, which the DLL's run under Wine is held to as well.
// FENMARK_PARITY_WRITE=<file> writes this run's transcript there (to review and check in).
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "addin/connect.h"
#include "demo/ribbon_bridge.h"
#include "tests/parity/scenarios.h"
#include "tests/parity/transcript_file.h"

namespace fenmark::parity {
namespace {

class NativeAddin final : public AddinUnderTest {
 public:
  void Create(sim::Outlook& outlook) override {
    outlook_ = &outlook;
    connect_ = std::make_unique<fenmark::Connect>(outlook.Platform());
    bridge_ = std::make_unique<demo::RibbonBridge>(*connect_);
  }
  Outcome Connect() override {
    return Run([&] { connect_->AddinInstance_OnConnection(outlook_->Application()); });
  }
  Outcome Disconnect() override {
    return Run([&] { connect_->AddinInstance_OnDisconnection(); });
  }
  void Release() override {
    bridge_.reset();
    connect_.reset();
  }
  sim::RibbonCallbacks& Ribbon() override { return *bridge_; }
  std::vector<sim::MessageBoxRecord> MessageBoxes() override { return outlook_->MessageBoxes(); }
  std::vector<std::wstring> TempFiles() override {
    return outlook_->FilesIn(outlook_->TempFolder());
  }
  std::wstring TempFolder() override { return outlook_->TempFolder(); }
  long ServedObjects() override { return 0; }

 private:
  template <class Body>
  static Outcome Run(Body&& body) {
    try {
      body();
      return L"ok";
    } catch (const host::Failure& failure) {
      return std::to_wstring(failure.Number()) + L" - " + failure.Description();
    }
  }
  sim::Outlook* outlook_ = nullptr;
  std::unique_ptr<fenmark::Connect> connect_;
  std::unique_ptr<demo::RibbonBridge> bridge_;
};

std::string Narrow(const std::wstring& text) {
  return std::string(text.begin(), text.end());
}

TEST(Parity, EveryScenarioLeavesTheCheckedInEffects) {
  const auto expected =
      Sections(ReadTranscript(FENMARK_SOURCE_DIR "/tests/parity/expected_transcript.txt"));
  std::vector<std::wstring> all;
  for (const auto& scenario : Scenarios()) {
    SCOPED_TRACE(Narrow(scenario.name));
    NativeAddin addin;
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
