// The platform layer on Qt 6 Widgets: message boxes, the open-file dialog,
// the wait cursor, the progress popup, the event pump and the profile
// (QSettings, organisation and application "Stumpwright").
//
// Not for: decisions; MainDialog and ProgressWindow make them. Setting
// STUMPWRIGHT_AUTO_ANSWER=1 in the environment makes message and About
// boxes print "caption: text" on stderr and answer OK (No to a question)
// instead of waiting for a user: for automated runs without a desktop.
#pragma once

#include <QString>
#include <QWidget>
#include <string>

#include "platform/platform.h"

namespace sw::gui {

// The open-file filter "Desc |pattern|...||" in Qt's "Desc (pattern);;..." form.
QString ToQtFilter(const std::string& filter);

class QtPlatform : public platform::Platform {
 public:
  QtPlatform();

  // The window that owns dialogs and popups and is disabled while a
  // progress window is modal. May be null.
  void SetMainWindow(QWidget* window) { main_window_ = window; }

  platform::Button ShowMessage(const platform::Message& message) override;
  std::optional<std::string> AskOpenFile(const platform::OpenFileRequest& request) override;
  void ShowAbout(const std::string& caption, const std::string& text) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  std::unique_ptr<platform::ProgressPopup> CreateProgressPopup(const std::string& caption, bool smooth_bar,
                                                               const std::string& cancel_label) override;
  platform::Size ScreenSize() const override;
  void SetMainWindowEnabled(bool enabled) override;
  void BringMainWindowToFront() override;
  PumpResult PumpEvents(const std::function<bool(const platform::Event&)>& inspect) override;
  void PostQuit() override;
  int ReadProfileInt(const std::string& section, const std::string& key, int fallback) override;
  void WriteProfileInt(const std::string& section, const std::string& key, int value) override;

  // The "Select Cycles to Convert" dialog (cycle_select_dialog.h).
  platform::CycleSelection SelectCycles(const platform::CycleSelectRequest& request) override;

 private:
  QWidget* main_window_ = nullptr;
  bool auto_answer_ = false;
  int wait_depth_ = 0;
};

}  // namespace sw::gui
