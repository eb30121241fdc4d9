#include "links/working_folder.h"

#include <iterator>

#include "host/text.h"

namespace fenmark::links {
namespace {

constexpr std::wstring_view kPrefix = L"Fenmark-";
constexpr std::wstring_view kDigits = L"abcdefghijklmnopqrstuvwxyz234567";
constexpr std::size_t kRandomCharacters = 8;  // five bits each
// Names are tried anew while one is taken; forty bits make a second miss all but impossible.
constexpr int kAttempts = 8;
// Waits before the attempts after the first to remove a working folder: a virus scanner may hold
// a file just written for a moment.
constexpr int kRemovalWaits[] = {20, 50, 100, 200};

bool IsWorkingFolderName(std::wstring_view name) {
  if (name.size() != kPrefix.size() + kRandomCharacters) return false;
  if (!host::SameText(name.substr(0, kPrefix.size()), kPrefix)) return false;
  for (const wchar_t c : name.substr(kPrefix.size()))
    if (kDigits.find(c) == std::wstring_view::npos) return false;
  return true;
}

// Removes what the held `folder` at `path` holds, each entry checked on the handle that then
// removes it: a link goes as the link, whatever the listing said it was. `keep` is left.
// Whether all of it went.
bool RemoveContents(host::Platform& platform, host::HeldEntry& folder, const std::wstring& path,
                    std::wstring_view keep = {}) noexcept {
  bool all = true;
  try {
    for (const auto& entry : folder.Entries()) {
      if (!keep.empty() && host::SameText(entry.name, keep)) continue;
      const std::wstring entry_path = path + L"\\" + entry.name;
      try {
        auto held = platform.OpenEntry(entry_path);
        const host::EntryFacts facts = held->Facts();
        if (facts.folder && !facts.link && !RemoveContents(platform, *held, entry_path)) {
          all = false;
          continue;
        }
        held->Remove();
      } catch (...) {
        all = false;
      }
    }
  } catch (...) {
    return false;
  }
  return all;
}

// Removes the held folder, its marker last but for the folder, so that a folder left half
// removed still shows it is a run's own.
bool RemoveHeld(host::Platform& platform, const std::wstring& path,
                std::unique_ptr<host::HeldEntry>& folder,
                std::unique_ptr<host::HeldEntry>& marker) noexcept {
  try {
    if (!RemoveContents(platform, *folder, path, kRunMarker)) return false;
    if (marker) {
      marker->Remove();
      marker.reset();
    }
    folder->Remove();
    folder.reset();
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

std::wstring WorkingFolderName(std::uint64_t random_bits) {
  std::wstring name(kPrefix);
  for (std::size_t i = 0; i < kRandomCharacters; ++i, random_bits >>= 5)
    name += kDigits[random_bits & 31];
  return name;
}

WorkingFolder::WorkingFolder(host::Platform& platform, const std::wstring& temp_folder)
    : platform_(platform) {
  for (int attempt = 1;; ++attempt) {
    const std::wstring path = temp_folder + L"\\" + WorkingFolderName(platform.RandomBits());
    try {
      folder_ = platform.MakeOwnFolder(path);
      path_ = path;
      break;
    } catch (const host::Failure& failure) {
      if (failure.Number() != host::kAlreadyExists || attempt == kAttempts) throw;
    }
  }
  try {
    identity_ = folder_->Facts().identity;
    marker_ = platform.MakeHeldFile(path_ + L"\\" + kRunMarker);
  } catch (...) {
    Remove();
    throw;
  }
}

WorkingFolder::~WorkingFolder() {
  Remove();
}

void WorkingFolder::Remove() noexcept {
  for (std::size_t attempt = 0; folder_ && attempt <= std::size(kRemovalWaits); ++attempt) {
    try {
      if (attempt > 0) platform_.Wait(kRemovalWaits[attempt - 1]);
      // Never anything but the folder the run made.
      if (identity_ && platform_.IdentityAt(path_) != *identity_) break;
      RemoveHeld(platform_, path_, folder_, marker_);
    } catch (...) {
    }
  }
  marker_.reset();
  folder_.reset();
}

void RemoveEarlierRuns(host::Platform& platform, const std::wstring& temp_folder) noexcept {
  try {
    for (const auto& entry : platform.FolderEntries(temp_folder, std::wstring(kPrefix) + L"*")) {
      if (!entry.folder || !IsWorkingFolderName(entry.name)) continue;
      const std::wstring path = temp_folder + L"\\" + entry.name;
      try {
        // Held by its run, another Outlook's among them: opening it fails.
        auto folder = platform.OpenEntry(path);
        const host::EntryFacts facts = folder->Facts();
        if (!facts.folder || facts.link || !facts.users_own ||
            facts.age_seconds < kLeftoverAgeSeconds)
          continue;
        auto marker = platform.OpenEntry(path + L"\\" + kRunMarker);
        const host::EntryFacts mark = marker->Facts();
        if (mark.folder || mark.link || !mark.users_own) continue;
        RemoveHeld(platform, path, folder, marker);
      } catch (...) {
      }
    }
  } catch (...) {
  }
}

}  // namespace fenmark::links
