// QtPlatform: the window-system services the core asks for, on Qt Widgets.
//
// Not for: the main window's layout (main_window.cpp) or the progress
// popup's widgets (progress_popup.cpp).
#include "gui/qt_platform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QSettings>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

#include "gui/cycle_select_dialog.h"
#include "gui/progress_popup.h"

namespace sw::gui {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

QMessageBox::Icon ToQtIcon(platform::Icon icon) {
  switch (icon) {
    case platform::Icon::kStop:
      return QMessageBox::Critical;
    case platform::Icon::kExclamation:
      return QMessageBox::Warning;
    case platform::Icon::kQuestion:
      return QMessageBox::Question;
    case platform::Icon::kInformation:
      return QMessageBox::Information;
    case platform::Icon::kNone:
      break;
  }
  return QMessageBox::NoIcon;
}

// Shows each event to the inspector before it is delivered. Quit requests
// are held back and reported instead.
class PumpFilter : public QObject {
 public:
  explicit PumpFilter(const std::function<bool(const platform::Event&)>& inspect) : inspect_(inspect) {}
  bool quit_seen() const { return quit_seen_; }

  bool eventFilter(QObject* watched, QEvent* event) override {
    using Kind = platform::Event::Kind;
    switch (event->type()) {
      case QEvent::Quit:
        quit_seen_ = true;
        return true;
      case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) Inspect({Kind::kEscapeKey, {}});
        break;
      case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
          const QPoint p = mouse->globalPosition().toPoint();
          Inspect({Kind::kMouseRelease, {p.x(), p.y()}});
        }
        break;
      }
      default:
        break;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  // Qt delivers a whole batch at once; once the inspector says stop, the
  // rest of the batch is still delivered but no longer inspected.
  void Inspect(const platform::Event& event) {
    if (!stopped_) stopped_ = !inspect_(event);
  }

  const std::function<bool(const platform::Event&)>& inspect_;
  bool quit_seen_ = false;
  bool stopped_ = false;
};

}  // namespace

QString ToQtFilter(const std::string& filter) {
  const QStringList parts = Q(filter).split('|');
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString description = parts[i].trimmed();
    QString pattern = parts[i + 1].trimmed();
    if (description.isEmpty()) break;
    if (pattern == "*.*") pattern = "*";  // files without a dot count too
    const QString suffix = "(" + pattern + ")";
    out << (description.endsWith(suffix) ? description : description + " " + suffix);
  }
  return out.join(";;");
}

QtPlatform::QtPlatform() {
  const char* flag = std::getenv("STUMPWRIGHT_AUTO_ANSWER");
  auto_answer_ = flag != nullptr && flag[0] != '\0' && flag[0] != '0';
}

platform::Button QtPlatform::ShowMessage(const platform::Message& message) {
  if (auto_answer_) {
    std::fprintf(stderr, "%s: %s\n", message.caption.c_str(), message.text.c_str());
    return message.buttons == platform::Buttons::kYesNo ? platform::Button::kNo : platform::Button::kOk;
  }
  QMessageBox box(ToQtIcon(message.icon), Q(message.caption), Q(message.text), QMessageBox::NoButton, main_window_);
  if (message.buttons == platform::Buttons::kYesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? platform::Button::kYes : platform::Button::kNo;
  }
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
  return platform::Button::kOk;
}

std::optional<std::string> QtPlatform::AskOpenFile(const platform::OpenFileRequest& request) {
  QFileDialog dialog(main_window_, "Open", QString(), ToQtFilter(request.filter));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setDefaultSuffix(Q(request.default_extension));
  if (!request.initial_path.empty()) dialog.selectFile(Q(request.initial_path));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

void QtPlatform::ShowAbout(const std::string& caption, const std::string& text) {
  if (auto_answer_) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, Q(caption), Q(text), QMessageBox::Ok, main_window_);
  box.setIconPixmap(QApplication::windowIcon().pixmap(48, 48));
  box.exec();
}

void QtPlatform::BeginWaitCursor() {
  if (wait_depth_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtPlatform::EndWaitCursor() {
  if (wait_depth_ > 0 && --wait_depth_ == 0) QApplication::restoreOverrideCursor();
}

std::unique_ptr<platform::ProgressPopup> QtPlatform::CreateProgressPopup(const std::string& caption, bool smooth_bar,
                                                                         const std::string& cancel_label) {
  return std::make_unique<ProgressPopup>(main_window_, caption, smooth_bar, cancel_label);
}

platform::Size QtPlatform::ScreenSize() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return {};
  const QRect r = screen->geometry();
  return {r.width(), r.height()};
}

void QtPlatform::SetMainWindowEnabled(bool enabled) {
  if (main_window_ != nullptr) main_window_->setEnabled(enabled);
}

void QtPlatform::BringMainWindowToFront() {
  if (main_window_ == nullptr) return;
  main_window_->raise();
  main_window_->activateWindow();
}

platform::Platform::PumpResult QtPlatform::PumpEvents(const std::function<bool(const platform::Event&)>& inspect) {
  PumpFilter filter(inspect);
  QCoreApplication::instance()->installEventFilter(&filter);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  QCoreApplication::instance()->removeEventFilter(&filter);
  return filter.quit_seen() ? PumpResult::kQuit : PumpResult::kDone;
}

void QtPlatform::PostQuit() { QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit)); }

int QtPlatform::ReadProfileInt(const std::string& section, const std::string& key, int fallback) {
  QSettings settings("Stumpwright", "Stumpwright");
  bool ok = false;
  const int value = settings.value(Q(section + "/" + key), fallback).toInt(&ok);
  return ok ? value : fallback;
}

void QtPlatform::WriteProfileInt(const std::string& section, const std::string& key, int value) {
  QSettings settings("Stumpwright", "Stumpwright");
  settings.setValue(Q(section + "/" + key), value);
}

platform::CycleSelection QtPlatform::SelectCycles(const platform::CycleSelectRequest& request) {
  if (auto_answer_) {
    std::fprintf(stderr, "%s: %s cycles; cancelled\n", platform::kCycleSelectCaption, request.count.c_str());
    return std::nullopt;
  }
  CycleSelectDialog dialog(request, [this](const platform::Message& message) { return ShowMessage(message); },
                           main_window_);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.selection();
}

}  // namespace sw::gui
