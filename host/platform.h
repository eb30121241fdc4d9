#pragma once
// What Windows gives the add-in beside Office: its own file calls, the message box, the clock and
// regional separators, and the DLL's own resources.
// Method names avoid the Windows headers' A/W macros (DeleteFile, FindResource, GetTempPath).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/date_time.h"
#include "host/failure.h"

namespace fenmark::host {

// The platform's failure numbers for a file call, as COM gives them (HRESULT_FROM_WIN32).
inline constexpr std::int32_t kAlreadyExists = static_cast<std::int32_t>(0x800700B7);
inline constexpr std::int32_t kSharingViolation = static_cast<std::int32_t>(0x80070020);
inline constexpr std::int32_t kDirectoryNotEmpty = static_cast<std::int32_t>(0x80070091);
inline constexpr int kMbOk = 0;         // message-box style: OK only, no icon
inline constexpr int kMbIconStop = 16;  // message-box style: OK with the critical-stop icon

// One reading of the clock in both zones, so that a note and a stored instant agree.
struct ClockReading {
  DateTime local;
  DateTime utc;
};

// One entry of a folder listing.
struct FolderEntry {
  std::wstring name;
  bool folder = false;
  // A link (junction, symbolic link): removed itself, never followed.
  bool link = false;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Shows a modal box and returns the button pressed. With no title, the box carries the
  // application title "Fenmark".
  virtual int MsgBox(const std::wstring& text, int style,
                     const std::optional<std::wstring>& title = std::nullopt) = 0;

  // The clock, to the second.
  virtual ClockReading ReadClock() = 0;
  // Local time, to the second.
  DateTime Now() { return ReadClock().local; }
  // A steady count of milliseconds (the system's tick count): for the age of an answer, not dates.
  virtual std::uint64_t Milliseconds() = 0;
  // The user's regional separators ("/" and ":" in a United States setting).
  virtual std::wstring DateSeparator() = 0;
  virtual std::wstring TimeSeparator() = 0;
  // The user's short-date pattern ("M/d/yyyy" in a United States setting, "dd/MM/yyyy" in a
  // British one), for the order of day, month and year.
  virtual std::wstring ShortDatePattern() = 0;

  // The bytes of the add-in's own resource of that name and type, or nothing when there is none.
  virtual std::optional<std::vector<std::uint8_t>> ResourceBytes(const std::wstring& name,
                                                                 const std::wstring& type) = 0;
  // The user's temporary folder with its trailing separator, as long as the platform gives it.
  virtual std::wstring TempPath() = 0;
  // Fails with kAlreadyExists when anything of that name exists, and fails without a parent.
  virtual void MakeFolder(const std::wstring& path) = 0;
  virtual void RemoveFile(const std::wstring& path) = 0;
  // An empty folder (or a link to one) only: kDirectoryNotEmpty otherwise.
  virtual void RemoveFolder(const std::wstring& path) = 0;
  // The entries of `folder` whose names match `pattern` ('*' and '?'), without "." and "..".
  virtual std::vector<FolderEntry> FolderEntries(const std::wstring& folder,
                                                 const std::wstring& pattern) = 0;
  // Holds the calling thread.
  virtual void Wait(int milliseconds) = 0;
};

}  // namespace fenmark::host
