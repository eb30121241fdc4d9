#pragma once
// The folder in the user's temporary folder where one Send to Ostrand writes its files. It is the
// run's own: made new under a name nobody can predict, for the user alone, marked, and held until
// the run removes it, so that no one can swap it for a link to the user's documents meanwhile.
// What a run could not remove, a later run removes, once it is provably a run's leftover.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "host/platform.h"

namespace fenmark::links {

// "Fenmark-" and eight letters and digits from 40 random bits.
std::wstring WorkingFolderName(std::uint64_t random_bits);
// The file that marks a folder as a run's own, held by the run while it lasts.
inline constexpr wchar_t kRunMarker[] = L"Fenmark.run";
// A leftover younger than this may belong to a run of another Outlook of the user's.
inline constexpr std::uint64_t kLeftoverAgeSeconds = 3600;

class WorkingFolder {
 public:
  // Made in `temp_folder` (without trailing separator).
  WorkingFolder(host::Platform& platform, const std::wstring& temp_folder);
  // Removes the folder with everything in it, without following a link, as long as it is still
  // the folder the run made; what is still held by another program stays, for a later run.
  ~WorkingFolder();
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;

  // The folder's path, without trailing separator.
  const std::wstring& Path() const { return path_; }

 private:
  void Remove() noexcept;

  host::Platform& platform_;
  std::wstring path_;
  std::optional<host::FileIdentity> identity_;
  std::unique_ptr<host::HeldEntry> folder_;
  std::unique_ptr<host::HeldEntry> marker_;
};

// Removes the leftovers of earlier runs in `temp_folder`: folders of the working folders' names
// that are the user's own, carry the mark, are held by no run and are older than an hour.
// Anything else stays untouched.
void RemoveEarlierRuns(host::Platform& platform, const std::wstring& temp_folder) noexcept;

}  // namespace fenmark::links
