#pragma once
// The portable add-in as the simulated Outlook loads it: Connect on the sim's host objects, its
// ribbon side reached by name.

#include <memory>

#include "addin/connect.h"
#include "support/loaded_addin.h"
#include "support/ribbon_bridge.h"

namespace fenmark::support {

class NativeAddin final : public support::LoadedAddin {
 public:
  using Outcome = support::Outcome;

  void Create(sim::Outlook& outlook) override {
    outlook_ = &outlook;
    connect_ = std::make_unique<fenmark::Connect>(outlook.Platform());
    bridge_ = std::make_unique<RibbonBridge>(*connect_);
  }
  Outcome Connect() override {
    return Run([&] { connect_->OnConnection(outlook_->Application()); });
  }
  Outcome Disconnect() override {
    return Run([&] { connect_->OnDisconnection(); });
  }
  void Release() override {
    bridge_.reset();
    connect_.reset();
  }
  sim::RibbonCallbacks& Ribbon() override { return *bridge_; }
  std::vector<sim::MessageBoxRecord> MessageBoxes() override { return outlook_->MessageBoxes(); }
  std::vector<std::wstring> TempFiles() override {
    std::vector<std::wstring> left;
    for (auto& entry : outlook_->EntriesBelow(outlook_->TempFolder()))
      if (!support::Planted(planted_, entry)) left.push_back(entry);
    return left;
  }
  void PutTempFile(const std::wstring& relative, const std::wstring& text) override {
    planted_.push_back(outlook_->TempFolder() + L"\\" + relative);
    outlook_->PutTextFile(planted_.back(), text);
  }
  bool TempFileExists(const std::wstring& relative) override {
    return outlook_->FileExists(outlook_->TempFolder() + L"\\" + relative);
  }
  std::wstring TempFolder() override { return outlook_->TempFolder(); }
  void UseTempFolder(const std::wstring& path) override { outlook_->SetTempFolder(path); }
  long ServedObjects() override { return 0; }

 private:
  template <class Body>
  static Outcome Run(Body&& body) {
    try {
      body();
      return L"ok";
    } catch (const host::Failure& failure) {
      return std::to_wstring(failure.Number()) + L" - " + failure.Description();
    }
  }
  sim::Outlook* outlook_ = nullptr;
  std::unique_ptr<fenmark::Connect> connect_;
  std::unique_ptr<RibbonBridge> bridge_;
  std::vector<std::wstring> planted_;
};

}  // namespace fenmark::support
