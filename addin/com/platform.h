#pragma once
// Windows as the add-in's platform.

#include "host/platform.h"

namespace fenmark::com {

class WindowsPlatform final : public host::Platform {
 public:
  std::shared_ptr<host::FileSystem> CreateFileSystemObject() override;
  int MsgBox(const std::wstring& text, int style,
             const std::optional<std::wstring>& title = std::nullopt) override;
  host::ClockReading ReadClock() override;
  std::uint64_t Milliseconds() override;
  std::wstring DateSeparator() override;
  std::wstring TimeSeparator() override;
  std::wstring ShortDatePattern() override;
  std::optional<std::vector<std::uint8_t>> ResourceBytes(const std::wstring& name,
                                                         const std::wstring& type) override;
  std::wstring TempPath() override;
  void WriteFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes) override;
  std::vector<std::uint8_t> ReadFile(const std::wstring& path) override;
  void RemoveFile(const std::wstring& path) override;
};

}  // namespace fenmark::com
