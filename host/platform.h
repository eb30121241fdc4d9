#pragma once
// What Windows gives the add-in beside Office: the scripting file system, the message box, the
// clock and regional separators, the DLL's own resources and the files of the markup loader.
// Method names avoid the Windows headers' A/W macros (DeleteFile, FindResource, GetTempPath).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/date_time.h"
#include "host/failure.h"

namespace fenmark::host {

inline constexpr int kTemporaryFolder = 2;  // GetSpecialFolder
inline constexpr int kFileExists = 58;      // scripting runtime: "File already exists"
inline constexpr int kMbOk = 0;             // message-box style: OK only, no icon
inline constexpr int kMbIconStop = 16;      // message-box style: OK with the critical-stop icon

// One reading of the clock in both zones, so that a note and a stored instant agree.
struct ClockReading {
  DateTime local;
  DateTime utc;
};

class FileSystemFolder {
 public:
  virtual ~FileSystemFolder() = default;
  // The folder's path, without a trailing backslash.
  virtual std::wstring Path() = 0;
};

// "Scripting.FileSystemObject".
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // kTemporaryFolder: the user's temporary folder.
  virtual std::shared_ptr<FileSystemFolder> GetSpecialFolder(int folder) = 0;
  // `DeleteFile`; fails when the file does not exist.
  virtual void Delete(const std::wstring& path) = 0;
  // `GetTempName`: a random file name such as "rad1A2B3.tmp", not checked against the disk.
  virtual std::wstring GetTempName() = 0;
  // `CreateFolder`; fails when it exists already (kFileExists) or its parent does not.
  virtual void CreateFolder(const std::wstring& path) = 0;
  // `DeleteFolder` with force: the folder and everything in it, read-only files too.
  virtual void DeleteFolder(const std::wstring& path) = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Creates the scripting file-system object; fails when it cannot be created.
  virtual std::shared_ptr<FileSystem> CreateFileSystemObject() = 0;

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
  // Creates or empties the file and writes `bytes` from its first byte.
  virtual void WriteFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes) = 0;
  virtual std::vector<std::uint8_t> ReadFile(const std::wstring& path) = 0;
  virtual void RemoveFile(const std::wstring& path) = 0;
};

}  // namespace fenmark::host
