#pragma once
// Fenmark.dll loaded as Outlook loads it, behind the seam of a loaded add-in: the add-in key read
// and its LoadBehavior checked, the object created by ProgID, IDTExtensibility2 and
// IRibbonExtensibility called through their vtables, and the ribbon callbacks through IDispatch
// by the names in the markup. The simulated Outlook is served to it over COM.

#include <windows.h>

#include <string>
#include <vector>

#include "addin/com/com_types.h"
#include "sim/com/office_side.h"
#include "sim/com/served.h"
#include "support/loaded_addin.h"

namespace fenmark::wintest {

// The real temporary folder as GetTempPath gives it, without its trailing backslash.
std::wstring RealTempFolder();

class ComAddin final : public support::LoadedAddin {
 public:
  explicit ComAddin(std::wstring prog_id) : prog_id_(std::move(prog_id)) {}
  ~ComAddin() override;

  void Create(sim::Outlook& outlook) override;
  support::Outcome Connect() override;
  support::Outcome Disconnect() override;
  void Release() override;
  sim::RibbonCallbacks& Ribbon() override { return ribbon_; }
  std::vector<sim::MessageBoxRecord> MessageBoxes() override;
  std::vector<std::wstring> TempFiles() override;
  std::wstring TempFolder() override { return RealTempFolder(); }
  // Through TMP and TEMP, which the process gets back when the object goes.
  void UseTempFolder(const std::wstring& path) override;
  void PutTempFile(const std::wstring& relative, const std::wstring& text) override;
  bool TempFileExists(const std::wstring& relative) override;
  long ServedObjects() override { return Counters().live; }

 private:
  std::wstring prog_id_;
  sim::Outlook* outlook_ = nullptr;
  com::com_ptr<com::IDTExtensibility2> extensibility_;
  ComRibbon ribbon_;
  std::vector<std::wstring> files_before_;
  std::size_t boxes_before_ = 0;
  std::wstring temp_before_;           // set while another folder is in use
  std::vector<std::wstring> planted_;  // files, then the folders made for them
};

}  // namespace fenmark::wintest
