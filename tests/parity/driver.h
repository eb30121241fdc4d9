#pragma once
// The add-in as a host drives it, whatever it is built as: the portable Connect called directly,
// or Fenmark.dll loaded through COM. The end-to-end scenarios speak only to this seam, so that
// both builds run the very same scenarios against the same simulated Outlook.

#include <string>
#include <vector>

#include "sim/outlook.h"

namespace fenmark::parity {

// How a host call of the add-in ended: "ok", or "<number> - <description>".
using Outcome = std::wstring;

class AddinUnderTest {
 public:
  virtual ~AddinUnderTest() = default;

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
  // Objects served to the add-in that are still referenced (0 when the add-in holds the sim's
  // objects directly: the sim counts those itself).
  virtual long ServedObjects() = 0;
};

}  // namespace fenmark::parity
