#pragma once
// The simulated Windows platform handed to the add-in. Internal to sim/.

#include "host/platform.h"

namespace fenmark::sim::detail {

struct Core;

class PlatformImpl : public host::Platform {
 public:
  explicit PlatformImpl(Core& core) : core_(core) {}

  int MsgBox(const std::wstring& text, int style,
             const std::optional<std::wstring>& title = std::nullopt) override;
  host::ClockReading ReadClock() override;
  std::uint64_t Milliseconds() override { return core_.milliseconds; }
  std::wstring DateSeparator() override;
  std::wstring TimeSeparator() override;
  std::wstring ShortDatePattern() override;
  std::optional<std::vector<std::uint8_t>> ResourceBytes(const std::wstring& name,
                                                         const std::wstring& type) override;
  std::wstring TempPath() override;
  void MakeFolder(const std::wstring& path) override;
  void RemoveFile(const std::wstring& path) override;
  void RemoveFolder(const std::wstring& path) override;
  std::vector<host::FolderEntry> FolderEntries(const std::wstring& folder,
                                               const std::wstring& pattern) override;
  void Wait(int milliseconds) override;

 private:
  Core& core_;
};

// The clock moved on by `seconds`.
host::DateTime AddSeconds(host::DateTime time, long seconds);

}  // namespace fenmark::sim::detail
