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
  host::DateTime LocalTime(const host::DateTime& utc) override;
  std::uint64_t Milliseconds() override { return core_.milliseconds; }
  std::wstring DateSeparator() override;
  std::wstring TimeSeparator() override;
  std::wstring ShortDatePattern() override;
  std::optional<std::vector<std::uint8_t>> ResourceBytes(const std::wstring& name,
                                                         const std::wstring& type) override;
  std::wstring TempPath() override;
  std::uint64_t RandomBits() override;
  std::unique_ptr<host::HeldEntry> MakeOwnFolder(const std::wstring& path) override;
  std::unique_ptr<host::HeldEntry> MakeHeldFile(const std::wstring& path) override;
  std::unique_ptr<host::HeldEntry> OpenEntry(const std::wstring& path) override;
  host::FileIdentity IdentityAt(const std::wstring& path) override;
  std::vector<host::FolderEntry> FolderEntries(const std::wstring& folder,
                                               const std::wstring& pattern) override;
  std::vector<std::uint8_t> ReadBytes(const std::wstring& path) override;
  void WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) override;
  std::optional<std::wstring> DecodeText(const std::vector<std::uint8_t>& bytes,
                                         const std::wstring& charset) override;
  void Wait(int milliseconds) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;

 private:
  void Enter(const wchar_t* member, std::wstring arguments = {});
  Core& core_;
};

// The next of the sim's random numbers.
std::uint64_t NextRandom(std::uint64_t& state);

// The clock moved on by `seconds`.
host::DateTime AddSeconds(host::DateTime time, long seconds);

}  // namespace fenmark::sim::detail
