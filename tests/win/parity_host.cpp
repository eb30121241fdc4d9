// Fenmark.dll driven end to end under Wine, as Outlook drives it, against the simulated Outlook
// served over COM:
//   fenmark_parity_host <Fenmark.dll> scenarios <expected transcript> [<transcript to write>]
//   fenmark_parity_host <Fenmark.dll> bench [--smoke]
// In place of the DLL, --installed takes the add-in that the registry names, as an installer left
// it, and leaves its registration alone.
// "scenarios" plays every end-to-end scenario and compares its effects with the checked-in
// transcript that the native run is held to as well; "bench" is the timing loop.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "sim/com/loaded_dll.h"
#include "sim/com/message_boxes.h"
#include "sim/com/served.h"
#include "tests/parity/transcript.h"
#include "tests/parity/transcript_file.h"
#include "tests/win/check.h"

namespace fenmark::wintest {
namespace {

// The temporary folder of the native runs, so that names cut to fit it come out the same.
void UseTheSimTempFolder() {
  const std::wstring folder = sim::Outlook().TempFolder();
  for (auto at = folder.find(L'\\', 3); at != std::wstring::npos; at = folder.find(L'\\', at + 1))
    CreateDirectoryW(folder.substr(0, at).c_str(), nullptr);
  CreateDirectoryW(folder.c_str(), nullptr);
  SetEnvironmentVariableW(L"TMP", folder.c_str());
  SetEnvironmentVariableW(L"TEMP", folder.c_str());
}

void PrepareOutlook(sim::Outlook& outlook) {
  // The add-in's files live on the real file system; the sim's view of them must name the same
  // folder, so that the items' SaveAs and the attachments find their paths.
  outlook.SetTempFolder(RealTempFolder());
}

int RunScenarios(const std::wstring& prog_id, const std::wstring& expected_path,
                 const std::wstring& write_path) {
  const auto expected = parity::ReadTranscripts(FullPath(expected_path));
  CHECK(!expected.empty());
  std::map<std::wstring, std::vector<std::wstring>> all;
  for (const auto& scenario : parity::Scenarios()) {
    std::printf("  %s\n", Narrow(scenario.name).c_str());
    ComAddin addin(prog_id);
    const auto lines = parity::Play(scenario, addin, PrepareOutlook);
    all[scenario.name] = lines;
    CHECK_TEXT(L"references after release: 0", lines.back());
    CHECK(Counters().live == 0 && Counters().connections == 0);
    auto found = expected.find(scenario.name);
    if (!CHECK(found != expected.end())) continue;
    const auto difference = parity::FirstDifference(found->second, lines);
    if (!CHECK(difference.empty()))
      std::printf("%s\n", std::string(difference.begin(), difference.end()).c_str());
  }
  if (!write_path.empty()) parity::WriteTranscripts(FullPath(write_path), all);
  return 0;
}

// The DLL that COM loads for the class of the ProgID, or "".
std::wstring RegisteredDll(const std::wstring& prog_id) {
  CLSID clsid{};
  wchar_t guid[40] = {}, path[MAX_PATH * 2] = {};
  DWORD size = sizeof path;
  if (FAILED(CLSIDFromProgID(prog_id.c_str(), &clsid)) || !StringFromGUID2(clsid, guid, 40) ||
      RegGetValueW(HKEY_CLASSES_ROOT,
                   (std::wstring(L"CLSID\\") + guid + L"\\InprocServer32").c_str(), nullptr,
                   RRF_RT_REG_SZ, nullptr, path, &size) != ERROR_SUCCESS)
    return {};
  return path;
}

}  // namespace

int RunBench(const std::wstring& prog_id, bool smoke);

}  // namespace fenmark::wintest

int wmain(int argc, wchar_t** argv) try {
  using namespace fenmark::wintest;
  if (argc < 3) {
    std::printf(
        "usage: fenmark_parity_host DLL|--installed scenarios EXPECTED [WRITE] | bench "
        "[--smoke]\n");
    return 2;
  }
  const bool installed = std::wstring(argv[1]) == L"--installed";
  std::wstring dll = FullPath(argv[1]);
  const std::wstring mode = argv[2];
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
  if (!installed && !CHECK(Regsvr32(L"/s \"" + dll + L"\"") == 0)) return Summary();
  // As Outlook: the add-in key names what to load at start-up.
  const std::wstring prog_id = StartupAddinProgId();
  if (installed) {
    dll = RegisteredDll(prog_id);
    std::printf("installed add-in: %s\n", Narrow(dll).c_str());
  }
  // Loaded first, so that the object COM creates lives in this very module, whose message boxes
  // are recorded.
  HMODULE module = LoadLibraryW(dll.c_str());
  CHECK(module != nullptr && PatchImport(module, "USER32.dll", "MessageBoxW",
                                         reinterpret_cast<void*>(&RecordMessageBox)));

  int rc = 0;
  if (!CHECK_TEXT(L"Fenmark.Connect", prog_id) || !ClassFound(prog_id.c_str())) {
    rc = 1;
  } else if (mode == L"scenarios" && argc >= 4) {
    UseTheSimTempFolder();
    RunScenarios(prog_id, argv[3], argc >= 5 ? argv[4] : L"");
  } else if (mode == L"bench") {
    rc = RunBench(prog_id, argc >= 4 && std::wstring(argv[3]) == L"--smoke");
  } else {
    std::printf("unknown mode\n");
    rc = 2;
  }
  CoFreeUnusedLibraries();
  if (!installed) CHECK(Regsvr32(L"/u /s \"" + dll + L"\"") == 0);
  CoUninitialize();
  const int summary = Summary();
  return rc != 0 ? rc : summary;
} catch (...) {
  return fenmark::wintest::Stopped();
}
