// fenmark_bench: OnConnection, the ribbon's getEnabled/getVisible per call, a whole calendar
// context menu, and host round trips per command against the algorithms' host-call counts.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "addin/connect.h"
#include "bench/round_trips.h"
#include "support/native_addin.h"
#include "support/ribbon_bridge.h"
#include "ui/embedded_markup.h"

namespace fenmark::bench {
namespace {

// A connected add-in with its ribbon attached, and an appointment linked to a stopped task.
struct Session {
  sim::Outlook outlook;
  Connect connect{outlook.Platform()};
  support::RibbonBridge bridge{connect};
  sim::SimItem appointment;

  explicit Session(const wchar_t* version = support::kOutlook14Version) {
    sim::UseOffice(outlook);
    outlook.SetVersion(version);
    connect.OnConnection(outlook.Application());
    outlook.AttachRibbon(&bridge);
    appointment = bench::UserLinkedAppointment(outlook, L"Stopped");
  }
  ~Session() {
    outlook.AttachRibbon(nullptr);
    connect.OnDisconnection();
  }
};

void OnConnection(benchmark::State& state) {
  sim::Outlook outlook;
  for (auto _ : state) {
    state.PauseTiming();
    auto connect = std::make_unique<Connect>(outlook.Platform());
    state.ResumeTiming();
    connect->OnConnection(outlook.Application());
    state.PauseTiming();
    connect->OnDisconnection();
    connect.reset();
    outlook.ClearCalls();
    state.ResumeTiming();
  }
}
BENCHMARK(OnConnection);

// The markup loader as it was before it read the resources directly: each document written to a
// working file in the temporary folder, read back and deleted. OnConnection is set beside it.
void OldMarkupFileRoundTrips(benchmark::State& state) {
  const auto file = std::filesystem::temp_directory_path() / "resOstrandRibbon.xml";
  const auto ribbon = ui::EmbeddedMarkup(L"RIBBONXML").value_or(std::vector<std::uint8_t>{});
  const auto context = ui::EmbeddedMarkup(L"CONTEXTXML").value_or(std::vector<std::uint8_t>{});
  for (auto _ : state) {
    for (const auto* bytes : {&ribbon, &context}) {
      std::FILE* out = std::fopen(file.c_str(), "wb");
      if (!out) return state.SkipWithError("temporary folder not writable");
      std::fwrite(bytes->data(), 1, bytes->size(), out);
      std::fclose(out);
      std::vector<char> back(bytes->size() + 1);
      std::FILE* in = std::fopen(file.c_str(), "rb");
      if (!in) return state.SkipWithError("working file gone");
      benchmark::DoNotOptimize(std::fread(back.data(), 1, back.size(), in));
      std::fclose(in);
      std::remove(file.c_str());
    }
  }
}
BENCHMARK(OldMarkupFileRoundTrips);

// One decision callback per call: the tab's with the appointment's window in front, the context
// menu's with the appointment selected.
void DecisionCallback(benchmark::State& state, const wchar_t* callback, const wchar_t* control_id,
                      bool from_tab) {
  Session session;
  if (from_tab) {
    session.outlook.OpenItem(session.appointment);
  } else {
    session.outlook.Select({session.appointment});
  }
  auto control = support::Control(control_id);
  for (auto _ : state) {
    benchmark::DoNotOptimize(session.bridge.GetBool(callback, control));
    session.outlook.ClearCalls();
  }
}
BENCHMARK_CAPTURE(DecisionCallback, TabGetEnabled, L"VB_GetEnabled", L"VB_StartTask", true);
BENCHMARK_CAPTURE(DecisionCallback, MenuGetEnabled, L"VBX_GetEnabled", L"VBX_Start_Ostrand_Task",
                  false);
BENCHMARK_CAPTURE(DecisionCallback, MenuGetVisible, L"VBX_GetVisible", L"VBX_Fenmark", false);

// A right-click on the appointment: Outlook 14 asks getVisible and getEnabled of the four
// markup entries; Outlook 12 raises ItemContextMenuDisplay and the add-in adds four buttons.
void CalendarContextMenu(benchmark::State& state) {
  Session session(state.range(0) == 14 ? support::kOutlook14Version : support::kOutlook12Version);
  for (auto _ : state) {
    benchmark::DoNotOptimize(session.outlook.RightClick({session.appointment}));
    state.PauseTiming();
    state.counters["host_calls"] = bench::HostCalls(session.outlook);
    state.counters["GetItemFromID"] = session.outlook.CountCalls(L"Namespace.GetItemFromID");
    session.outlook.ClearCalls();
    state.ResumeTiming();
  }
}
BENCHMARK(CalendarContextMenu)->Arg(14)->Arg(12);

// The appointment's window opening with its tab drawn (the add-in's NewInspector included).
void TabDrawing(benchmark::State& state) {
  Session session;
  for (auto _ : state) {
    session.outlook.OpenItem(session.appointment);
    state.PauseTiming();
    state.counters["host_calls"] = bench::HostCalls(session.outlook);
    state.counters["GetItemFromID"] = session.outlook.CountCalls(L"Namespace.GetItemFromID");
    session.outlook.CloseWindow(session.appointment, false);
    session.outlook.ClearCalls();
    state.ResumeTiming();
  }
}
BENCHMARK(TabDrawing);

void PrintRoundTrips() {
  support::NativeAddin addin;
  std::printf("\nHost round trips per command (one click of its context-menu entry)\n");
  std::printf("%-14s %22s %28s\n", "command", "algorithm's host calls", "measured (with handlers)");
  for (const auto& row : bench::MeasureRoundTrips(addin, {}, {}))
    std::printf("%-14ls %22d %28d\n", row.command.c_str(), row.algorithm, row.host_calls);
}

}  // namespace
}  // namespace fenmark::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fenmark::bench::PrintRoundTrips();
  return 0;
}
