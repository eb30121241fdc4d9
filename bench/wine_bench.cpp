// The timing loop of the Wine host: Fenmark.dll through COM against the served simulated Outlook.
// Medians of OnConnection, of the ribbon's getEnabled/getVisible per call and of a whole calendar
// context menu; host round trips and COM calls per command; references left after release.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "addin/com/unique_any.h"
#include "bench/round_trips.h"
#include "sim/com/loaded_dll.h"
#include "sim/com/served.h"
#include "ui/embedded_markup.h"

namespace fenmark::wintest {
namespace {

// What the smoke run holds the DLL to; a miss fails the run.
int g_misses = 0;
bool Expect(bool ok, const char* what) {
  if (!ok) std::printf("FAILED in the timing loop: %s\n", what), ++g_misses;
  return ok;
}

double Now() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / frequency;
}

// Median in microseconds of `times` runs of `step`.
double MedianMicros(int times, const std::function<void()>& step) {
  std::vector<double> samples;
  for (int i = 0; i < times; ++i) {
    const double start = Now();
    step();
    samples.push_back((Now() - start) * 1e6);
  }
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

void Prepare(sim::Outlook& outlook) {
  sim::UseOffice(outlook);
  outlook.SetTempFolder(RealTempFolder());
}

// A connected DLL and an appointment linked to a stopped task, as the benchmarks' session.
struct Session {
  sim::Outlook outlook;
  ComAddin addin;
  sim::SimItem appointment;

  Session(const std::wstring& prog_id, const wchar_t* version) : addin(prog_id) {
    Prepare(outlook);
    outlook.SetVersion(version);
    addin.Create(outlook);
    outlook.AttachRibbon(&addin.Ribbon());
    addin.Connect();
    appointment = bench::UserLinkedAppointment(outlook, L"Stopped");
  }
  ~Session() {
    addin.Disconnect();
    outlook.AttachRibbon(nullptr);
    addin.Release();
  }
};

// The markup loader as it was before it read the resources directly: each document written to a
// working file in the temporary folder, read back and deleted. The figure OnConnection is set
// beside.
void OldMarkupFileRoundTrips() {
  const std::wstring file = RealTempFolder() + L"\\resOstrandRibbon.xml";
  for (const wchar_t* name : {L"RIBBONXML", L"CONTEXTXML"}) {
    const auto bytes = ui::EmbeddedMarkup(name).value_or(std::vector<std::uint8_t>{});
    DWORD written = 0, read = 0;
    {
      const com::unique_file out(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
      WriteFile(out.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    std::vector<std::uint8_t> back(4096);
    {
      const com::unique_file in(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      ReadFile(in.get(), back.data(), static_cast<DWORD>(back.size()), &read, nullptr);
    }
    Expect(DeleteFileW(file.c_str()) && read == bytes.size(), "old markup file round trip");
  }
}

long ComCalls() {
  return Counters().invokes + Counters().vtable_calls;
}

}  // namespace

int RunBench(const std::wstring& prog_id, bool smoke) {
  const int connections = smoke ? 3 : 51, calls = smoke ? 5 : 1001, menus = smoke ? 3 : 101;
  std::printf("Fenmark.dll under Wine, through COM (%s)\n", smoke ? "smoke run" : "full run");

  // OnConnection: a new object each time, as at every start of Outlook.
  double connect_us = 0;
  {
    sim::Outlook outlook;
    Prepare(outlook);
    ComAddin addin(prog_id);
    std::vector<double> samples;
    for (int i = 0; i < connections; ++i) {
      addin.Create(outlook);
      const double start = Now();
      const auto outcome = addin.Connect();
      samples.push_back((Now() - start) * 1e6);
      Expect(outcome == L"ok", "OnConnection");
      addin.Disconnect();
      addin.Release();
      outlook.ClearCalls();
    }
    std::sort(samples.begin(), samples.end());
    connect_us = samples[samples.size() / 2];
  }

  const double old_files_us = MedianMicros(connections, OldMarkupFileRoundTrips);
  if (!smoke)
    Expect(connect_us <= old_files_us / 4, "OnConnection at most a quarter of the old file trips");

  double tab_us = 0, enabled_us = 0, visible_us = 0, menu14_us = 0, menu12_us = 0;
  long menu14_com = 0, menu12_com = 0, tab_draw_com = 0;
  int menu14_lookups = 0, tab_draw_lookups = 0;
  {
    Session session(prog_id, support::kOutlook14Version);
    session.outlook.OpenItem(session.appointment);
    auto tab_control = support::Control(L"VB_StartTask");
    tab_us = MedianMicros(calls, [&] {
      Expect(session.addin.Ribbon().GetBool(L"VB_GetEnabled", tab_control), "VB_GetEnabled");
      session.outlook.ClearCalls();
    });
    session.outlook.Select({session.appointment});
    auto start_control = support::Control(L"VBX_Start_Ostrand_Task");
    auto fenmark_control = support::Control(L"VBX_Fenmark");
    enabled_us = MedianMicros(calls, [&] {
      Expect(session.addin.Ribbon().GetBool(L"VBX_GetEnabled", start_control), "VBX_GetEnabled");
      session.outlook.ClearCalls();
    });
    visible_us = MedianMicros(calls, [&] {
      Expect(session.addin.Ribbon().GetBool(L"VBX_GetVisible", fenmark_control), "VBX_GetVisible");
      session.outlook.ClearCalls();
    });
    const long before = ComCalls();
    menu14_us = MedianMicros(menus, [&] {
      session.outlook.RightClick({session.appointment});
      session.outlook.ClearCalls();
    });
    menu14_com = (ComCalls() - before) / menus;
    session.outlook.RightClick({session.appointment});
    menu14_lookups = session.outlook.CountCalls(L"Namespace.GetItemFromID");
    // The appointment's window opening with its tab drawn (the add-in's NewInspector included).
    session.outlook.CloseWindow(session.appointment, false);
    session.outlook.ClearCalls();
    const long tab_before = ComCalls();
    session.outlook.OpenItem(session.appointment);
    tab_draw_com = ComCalls() - tab_before;
    tab_draw_lookups = session.outlook.CountCalls(L"Namespace.GetItemFromID");
  }
  {
    Session session(prog_id, support::kOutlook12Version);
    const long before = ComCalls();
    menu12_us = MedianMicros(menus, [&] {
      session.outlook.RightClick({session.appointment});
      session.outlook.ClearCalls();
    });
    menu12_com = (ComCalls() - before) / menus;
  }

  ComAddin addin(prog_id);
  const auto rows = bench::MeasureRoundTrips(addin, Prepare, ComCalls);
  addin.Release();

  std::printf("\n%-44s %12s\n", "measure", "median");
  std::printf("%-44s %9.1f us\n", "OnConnection", connect_us);
  std::printf("%-44s %9.1f us  (OnConnection %.0f%% of it)\n",
              "old markup loader's two file round trips", old_files_us,
              100.0 * connect_us / old_files_us);
  std::printf("%-44s %9.1f us\n", "getEnabled of the tab (VB_GetEnabled)", tab_us);
  std::printf("%-44s %9.1f us\n", "getEnabled of the menu (VBX_GetEnabled)", enabled_us);
  std::printf("%-44s %9.1f us\n", "getVisible of the menu (VBX_GetVisible)", visible_us);
  std::printf("%-44s %9.1f us  (%ld COM calls, %d GetItemFromID)\n",
              "calendar context menu, Outlook 14 markup", menu14_us, menu14_com, menu14_lookups);
  std::printf("%-44s %12s  (%ld COM calls, %d GetItemFromID)\n",
              "appointment window opened, its tab drawn", "", tab_draw_com, tab_draw_lookups);
  std::printf("%-44s %9.1f us  (%ld COM calls)\n", "calendar context menu, Outlook 12 buttons",
              menu12_us, menu12_com);
  std::printf("\n%-14s %10s %10s %10s\n", "command", "algorithm", "host calls", "COM calls");
  for (const auto& row : rows)
    std::printf("%-14ls %10d %10d %10ld\n", row.command.c_str(), row.algorithm, row.host_calls,
                row.com_calls);
  std::printf("\nserved objects still referenced after release: %ld (of %ld served)\n",
              Counters().live, Counters().made);
  Expect(Counters().live == 0 && Counters().connections == 0, "everything released");
  return g_misses == 0 ? 0 : 1;
}

}  // namespace fenmark::wintest
