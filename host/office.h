#pragma once
// The Office shared library as the add-in uses it: command bars and the ribbon.

#include <functional>
#include <memory>
#include <string>

#include "host/failure.h"
#include "host/subscription.h"

namespace fenmark::host {

class Inspector;
class ItemSelection;
class Explorer;

inline constexpr int kMsoControlButton = 1;         // CommandBarControls.Add
inline constexpr int kMsoButtonIconAndCaption = 3;  // CommandBarButton.Style

// A command-bar control; the button members fail on controls that are not buttons.
class CommandBarControl {
 public:
  virtual ~CommandBarControl() = default;
  virtual void SetCaption(const std::wstring& caption) = 0;
  virtual void SetStyle(int style) = 0;
  virtual void SetFaceId(int face_id) = 0;
  virtual void SetTag(const std::wstring& tag) = 0;
  // The text set when the menu was built.
  virtual std::wstring Parameter() = 0;
  virtual void SetParameter(const std::wstring& parameter) = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual void SetOnAction(const std::wstring& on_action) = 0;
  virtual void SetBeginGroup(bool begin_group) = 0;
  // `Click`: delivers the clicked control and `cancel_default` by reference.
  virtual Subscription OnClick(
      std::function<void(const std::shared_ptr<CommandBarControl>& ctrl, bool& cancel_default)>
          handler) = 0;
};

class CommandBarControlCollection {
 public:
  virtual ~CommandBarControlCollection() = default;
  // Adds a control of `type` at 1-based position `before`; returns the new control.
  virtual std::shared_ptr<CommandBarControl> Add(int type, int before) = 0;
  // The control at a 1-based index; an index past the end fails.
  virtual std::shared_ptr<CommandBarControl> Item(int index) = 0;
};

class CommandBar {
 public:
  virtual ~CommandBar() = default;
  virtual std::shared_ptr<CommandBarControlCollection> Controls() = 0;
};

// The ribbons that Outlook asks the add-in's markup for, by id.
inline constexpr wchar_t kAppointmentRibbon[] = L"Microsoft.Outlook.Appointment";
inline constexpr wchar_t kExplorerRibbon[] = L"Microsoft.Outlook.Explorer";
inline constexpr wchar_t kTaskRibbon[] = L"Microsoft.Outlook.Task";

class RibbonUI {
 public:
  virtual ~RibbonUI() = default;
  // The host asks every callback of that ribbon again.
  virtual void Invalidate() = 0;
  // The ribbon itself, the same through every reference to it: one handed to onLoad and one put
  // by name are one ribbon.
  virtual const void* Identity() noexcept = 0;
};

inline bool SameRibbon(RibbonUI& a, RibbonUI& b) noexcept {
  return a.Identity() == b.Identity();
}

// Object-class numbers (`Class`) of what a ribbon control's context can be.
inline constexpr int kOlExplorer = 34;
inline constexpr int kOlInspector = 35;
inline constexpr int kOlSelection = 74;

// What a callback is about, as the host tells it; at most one member is set, none when the host
// gives no object or one of another kind.
struct RibbonContext {
  std::shared_ptr<Inspector> inspector;      // a window's tab: that window
  std::shared_ptr<ItemSelection> selection;  // an item context menu: the right-clicked items
  std::shared_ptr<Explorer> explorer;        // the main window's ribbon
};

class RibbonControl {
 public:
  virtual ~RibbonControl() = default;
  // The control's id from the markup.
  virtual std::wstring Id() = 0;
  // `Context`: not necessarily the active window or the main window's selection.
  virtual RibbonContext Context() = 0;
};

}  // namespace fenmark::host
