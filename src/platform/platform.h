// The program's own interface over the window system: message boxes, the
// open-file dialog, the wait cursor, the progress popup, the message pump,
// the application profile and the user and computer names. The core talks
// only to this; the Qt window program and the scripted/terminal
// implementation provide it.
//
// Not for: any decision of the program. Texts and captions pass through
// unchanged, so what a test sees is exactly what the user would see.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/cycle_select.h"
#include "platform/geometry.h"

namespace sw::platform {

enum class Icon { kNone, kStop, kExclamation, kQuestion, kInformation };
enum class Buttons { kOk, kYesNo };
enum class Button { kOk, kYes, kNo };

// One message box as the program asks for it.
struct Message {
  std::string text;
  std::string caption;
  Icon icon = Icon::kNone;
  Buttons buttons = Buttons::kOk;
};

struct OpenFileRequest {
  std::string default_extension;  // without the dot, e.g. "key"
  std::string initial_path;       // pre-filled file name; may be empty
  // "Description |pattern|Description |pattern||": pairs separated by '|'.
  std::string filter;
};

// What the message pump shows the program before it dispatches an event.
struct Event {
  enum class Kind {
    kOther,
    kEscapeKey,      // the Escape key was typed
    kMouseRelease,   // the left button was released at `screen_point`
    kQuit,           // the application is asked to quit
    kCancelRequest,  // the user interrupted the work (Ctrl-C on a terminal)
  };
  Kind kind = Kind::kOther;
  Point screen_point;
};

// The measurements a progress layout needs, in the popup's own font.
struct TextMetrics {
  Size text_block;    // extent of the text lines the layout reserves
  Size cancel_label;  // extent of the cancel label followed by two blanks
  int edge_width = 2;
  int edge_height = 2;
};

// Placement of the progress popup's parts, in client coordinates.
struct ProgressLayout {
  Rect text;
  Rect bar;
  Rect button;
  Size client;
};

// A top-most popup with a caption, a text label, a progress bar and a
// cancel button. It draws only; the logic lives in progress::ProgressWindow.
class ProgressPopup {
 public:
  virtual ~ProgressPopup() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetText(const std::string& text) = 0;
  virtual void SetRange(int lower, int upper, int step) = 0;
  virtual void SetPosition(int position) = 0;
  virtual TextMetrics Measure(int text_lines, const std::string& cancel_label) = 0;
  virtual void ApplyLayout(const ProgressLayout& layout) = 0;
  virtual void Show() = 0;  // without taking the focus
  virtual void Hide() = 0;
  virtual bool IsVisible() const = 0;
  virtual bool HasFocus() const = 0;
  virtual void TakeFocus() = 0;
  virtual Point TopLeft() const = 0;  // of the window frame, on the screen
  virtual void MoveTo(Point top_left) = 0;
  virtual void CentreOverOwner() = 0;
  virtual Rect CancelButtonScreenRect() const = 0;
  // Called when the cancel button's own click command is dispatched.
  virtual void SetCancelHandler(std::function<void()> handler) = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  virtual Button ShowMessage(const Message& message) = 0;
  // The chosen full path, or nothing when the user cancels.
  virtual std::optional<std::string> AskOpenFile(const OpenFileRequest& request) = 0;
  virtual void ShowAbout(const std::string& caption, const std::string& text) = 0;
  // Nested calls are counted; the cursor returns at the last End.
  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;

  // Null when the window cannot be created.
  virtual std::unique_ptr<ProgressPopup> CreateProgressPopup(const std::string& caption, bool smooth_bar,
                                                              const std::string& cancel_label) = 0;
  virtual Size ScreenSize() const = 0;
  virtual void SetMainWindowEnabled(bool enabled) = 0;
  virtual void BringMainWindowToFront() = 0;

  enum class PumpResult { kDone, kQuit };
  // Dispatches the pending events. `inspect` sees each event before it is
  // dispatched; when it returns false, pumping stops after that event. A
  // quit request is not dispatched: kQuit is returned at once.
  virtual PumpResult PumpEvents(const std::function<bool(const Event&)>& inspect) = 0;
  virtual void PostQuit() = 0;

  // The application profile: integer values by section and key.
  virtual int ReadProfileInt(const std::string& section, const std::string& key, int fallback) = 0;
  virtual void WriteProfileInt(const std::string& section, const std::string& key, int value) = 0;

  // The user's login name (the environment, then the account database) and
  // the computer's host name; "unknown user" and "unknown PC" when the
  // system gives none.
  virtual std::string UserName() const;
  virtual std::string ComputerName() const;

  // The cycle selection dialog (cycle_select.h). Without a window system
  // nothing can be chosen: the default cancels.
  virtual CycleSelection SelectCycles(const CycleSelectRequest& request);
};

// Shows the wait cursor for the lifetime of the object.
class WaitCursor {
 public:
  explicit WaitCursor(Platform& platform) : platform_(platform) { platform_.BeginWaitCursor(); }
  ~WaitCursor() { platform_.EndWaitCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  Platform& platform_;
};

}  // namespace sw::platform
