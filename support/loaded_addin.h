#pragma once
// The add-in as Outlook loads and drives it, whatever it is built as: the portable Connect called
// directly, or Fenmark.dll loaded through COM. The demo, the end-to-end scenarios and the
// benchmarks speak only to this seam, so that both builds play the very same sessions against the
// same simulated Outlook.

#include <memory>
#include <string>
#include <vector>

#include "sim/outlook.h"

namespace fenmark::support {

inline constexpr wchar_t kOutlook12Version[] = L"12.0.6423.1000";
inline constexpr wchar_t kOutlook14Version[] = L"14.0.4760.1000";

// How a host call of the add-in ended: "ok", or "<number> - <description>".
using Outcome = std::wstring;

class LoadedAddin {
 public:
  virtual ~LoadedAddin() = default;

  // Makes the add-in object for this Outlook, as Outlook does at start-up.
  virtual void Create(sim::Outlook& outlook) = 0;
  // IDTExtensibility2::OnConnection with the application, and OnDisconnection.
  virtual Outcome Connect() = 0;
  virtual Outcome Disconnect() = 0;
  // Outlook lets go of the add-in object.
  virtual void Release() = 0;
  // The ribbon side as Office reaches it (GetCustomUI and callbacks by name).
  virtual sim::RibbonCallbacks& Ribbon() = 0;

  // Observable effects that live outside the simulated store on one of the builds.
  virtual std::vector<sim::MessageBoxRecord> MessageBoxes() = 0;
  // Files and folders (with a trailing backslash) left in the user's temporary folder by the
  // add-in, at any depth, full paths.
  virtual std::vector<std::wstring> TempFiles() = 0;
  // The temporary folder, without trailing backslash (shown as %TEMP% in transcripts).
  virtual std::wstring TempFolder() = 0;
  // From now on the user's temporary folder is `path` (made when missing), for the add-in and the
  // simulated Outlook alike, as on a machine whose profile folder is elsewhere.
  virtual void UseTempFolder(const std::wstring& path) = 0;
  // Another program's file below the temporary folder (`relative` to it; folders made as
  // needed), which TempFiles does not count and Release removes again.
  virtual void PutTempFile(const std::wstring& relative, const std::wstring& text) = 0;
  virtual bool TempFileExists(const std::wstring& relative) = 0;
  // Objects served to the add-in that are still referenced (0 when the add-in holds the sim's
  // objects directly: the sim counts those itself).
  virtual long ServedObjects() = 0;
};

// Whether a listed entry (a folder with its trailing backslash) is, or holds, a planted file.
inline bool Planted(const std::vector<std::wstring>& planted, const std::wstring& entry) {
  for (const auto& file : planted)
    if (file.size() >= entry.size() && file.compare(0, entry.size(), entry) == 0 &&
        (file.size() == entry.size() || entry.back() == L'\\'))
      return true;
  return false;
}

// A ribbon control as Office hands it to a callback, with no context unless one is given.
class LooseControl final : public host::RibbonControl {
 public:
  explicit LooseControl(std::wstring id, host::RibbonContext context = {})
      : id_(std::move(id)), context_(std::move(context)) {}
  std::wstring Id() override { return id_; }
  host::RibbonContext Context() override { return context_; }

 private:
  std::wstring id_;
  host::RibbonContext context_;
};

inline host::Ref<host::RibbonControl> Control(std::wstring id, host::RibbonContext context = {}) {
  return std::make_shared<LooseControl>(std::move(id), std::move(context));
}

}  // namespace fenmark::support
