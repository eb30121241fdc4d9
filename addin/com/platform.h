#pragma once
// Windows as the add-in's platform.

#include "host/platform.h"

namespace fenmark::com {

class WindowsPlatform final : public host::Platform {
 public:
  int MsgBox(const std::wstring& text, int style,
             const std::optional<std::wstring>& title = std::nullopt) override;
  host::ClockReading ReadClock() override;
  host::DateTime LocalTime(const host::DateTime& utc) override;
  std::uint64_t Milliseconds() override;
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
  // The cursor the wait cursor replaced, put back at the end.
  void* before_wait_ = nullptr;  // an HCURSOR
};

}  // namespace fenmark::com
