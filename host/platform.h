#pragma once
// What Windows gives the add-in beside Office: its own file calls, the message box, the clock and
// regional separators, random bits, character sets, and the DLL's own resources.
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
// A question: Yes, No and Cancel, the question icon, No the default button (Windows' MB_ styles);
// the answers are the button pressed.
inline constexpr int kMbYesNoCancel = 3;
inline constexpr int kMbIconQuestion = 0x20;
inline constexpr int kMbDefButton2 = 0x100;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// One reading of the clock in both zones, so that a note and a stored instant agree.
struct ClockReading {
  DateTime local;
  DateTime utc;
};

// One entry of a folder listing: a name only, which may name something else by the time it is
// opened.
struct FolderEntry {
  std::wstring name;
  bool folder = false;
};

// What a file or folder is, whichever path or handle reaches it.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileIdentity& other) const {
    return volume == other.volume && index == other.index;
  }
  bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

// What a held entry is, read on its handle.
struct EntryFacts {
  FileIdentity identity;
  bool folder = false;
  // A link (junction, symbolic link, mount point): the link itself is held, never its target.
  bool link = false;
  // Owned by the user the add-in runs as.
  bool users_own = false;
  std::uint64_t age_seconds = 0;  // since it was made
};

// A file or folder the add-in holds open, without sharing deletion: while held, nobody else can
// rename, replace or remove it. Closed when destroyed.
class HeldEntry {
 public:
  virtual ~HeldEntry() = default;
  virtual EntryFacts Facts() = 0;
  // What a held folder holds now, read through its handle, without "." and "..".
  virtual std::vector<FolderEntry> Entries() = 0;
  // Removes the entry itself (a link as the link, a folder only when empty), once it is closed.
  virtual void Remove() = 0;
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
  // The local time of a UTC instant, by the rule of that date.
  virtual DateTime LocalTime(const DateTime& utc) = 0;
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
  // Random bits from the system's generator, for names nobody can predict.
  virtual std::uint64_t RandomBits() = 0;
  // Makes a new folder that only the current user may use, where the platform allows it, and
  // holds it. Fails with kAlreadyExists when anything of that name exists, and without a parent.
  virtual std::unique_ptr<HeldEntry> MakeOwnFolder(const std::wstring& path) = 0;
  // Makes a new empty file and holds it; kAlreadyExists when anything of that name exists.
  virtual std::unique_ptr<HeldEntry> MakeHeldFile(const std::wstring& path) = 0;
  // Holds the entry at `path`, the link itself when it is one. kSharingViolation while another
  // holder keeps it from being removed.
  virtual std::unique_ptr<HeldEntry> OpenEntry(const std::wstring& path) = 0;
  // The identity of what `path` names now, holding nothing; an empty one when nothing is there.
  virtual FileIdentity IdentityAt(const std::wstring& path) = 0;
  // The entries of `folder` whose names match `pattern` ('*' and '?'), without "." and "..".
  virtual std::vector<FolderEntry> FolderEntries(const std::wstring& folder,
                                                 const std::wstring& pattern) = 0;
  virtual std::vector<std::uint8_t> ReadBytes(const std::wstring& path) = 0;
  // Replaces the file's content, or makes the file.
  virtual void WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) = 0;
  // Text in the character set of that name (a web name: "utf-8", "iso-2022-jp"; empty for the
  // system's code page); nothing for a character set the platform does not know, or bytes that
  // are not valid in it.
  virtual std::optional<std::wstring> DecodeText(const std::vector<std::uint8_t>& bytes,
                                                 const std::wstring& charset) = 0;
  // Holds the calling thread.
  virtual void Wait(int milliseconds) = 0;
  // The wait cursor while the add-in searches, then the cursor as it was; calls come in pairs.
  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;
};

}  // namespace fenmark::host
