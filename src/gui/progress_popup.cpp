// The Qt progress popup's widgets and their placement.
//
// Not for: deciding when to show, hide or cancel.
#include "gui/progress_popup.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QStyle>
#include <QWindow>

namespace sw::gui {

ProgressPopup::ProgressPopup(QWidget* owner, const std::string& caption, bool smooth_bar,
                             const std::string& cancel_label)
    : owner_(owner),
      // No Qt parent: while the popup is modal the main window is disabled,
      // and a disabled parent would disable the popup and its Cancel button
      // with it. The owner is kept for placing the popup over it.
      window_(new QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                                       Qt::WindowTitleHint)) {
  if (owner != nullptr && owner->window()->windowHandle() != nullptr) {
    window_->createWinId();  // kept above its owner by the window manager
    window_->windowHandle()->setTransientParent(owner->window()->windowHandle());
  }
  window_->setAttribute(Qt::WA_ShowWithoutActivating);
  window_->setWindowTitle(QString::fromStdString(caption));
  window_->setCursor(Qt::BusyCursor);
  const QFont font = QApplication::font("QMessageBox");
  label_ = new QLabel(window_);
  label_->setTextFormat(Qt::PlainText);
  label_->setWordWrap(false);
  label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label_->setFont(font);
  bar_ = new QProgressBar(window_);
  bar_->setTextVisible(false);
  bar_->setProperty("smooth", smooth_bar);
  button_ = new QPushButton(QString::fromStdString(cancel_label), window_);
  button_->setFont(font);
  for (QWidget* child : {static_cast<QWidget*>(label_), static_cast<QWidget*>(bar_), static_cast<QWidget*>(button_)}) {
    child->setGeometry(0, 0, 10, 10);
  }
  window_->setGeometry(0, 0, 390, 130);
  QObject::connect(button_, &QPushButton::clicked, window_, [this] {
    std::function<void()> handler = cancel_handler_;  // the handler may destroy this object
    if (handler) handler();
  });
}

ProgressPopup::~ProgressPopup() {
  QObject::disconnect(button_, nullptr, window_, nullptr);
  window_->hide();
  window_->deleteLater();  // may be inside the button's own click signal
}

void ProgressPopup::SetCaption(const std::string& caption) { window_->setWindowTitle(QString::fromStdString(caption)); }

void ProgressPopup::SetText(const std::string& text) { label_->setText(QString::fromStdString(text)); }

void ProgressPopup::SetRange(int lower, int upper, int) {
  // An empty range would turn the bar into a busy indicator.
  bar_->setRange(lower, upper > lower ? upper : lower + 1);
}

void ProgressPopup::SetPosition(int position) { bar_->setValue(position); }

platform::TextMetrics ProgressPopup::Measure(int text_lines, const std::string& cancel_label) {
  const QFontMetrics metrics(label_->font());
  QStringList lines;
  for (int i = 0; i < text_lines; ++i) lines << "M";
  const QRect block = metrics.boundingRect(QRect(0, 0, 10000, 10000), Qt::AlignLeft | Qt::AlignTop, lines.join('\n'));
  const QSize label = QFontMetrics(button_->font()).size(0, QString::fromStdString(cancel_label) + "  ");
  const int edge = qMax(2, window_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth));
  return {{block.width(), block.height()}, {label.width(), label.height()}, edge, edge};
}

void ProgressPopup::ApplyLayout(const platform::ProgressLayout& layout) {
  auto place = [](QWidget* w, const platform::Rect& r) { w->setGeometry(r.left, r.top, r.Width(), r.Height()); };
  window_->setFixedSize(layout.client.width, layout.client.height);
  place(bar_, layout.bar);
  place(button_, layout.button);
  place(label_, layout.text);
}

void ProgressPopup::Show() {
  window_->show();
  window_->repaint();
}

void ProgressPopup::Hide() { window_->hide(); }

bool ProgressPopup::IsVisible() const { return window_->isVisible(); }

bool ProgressPopup::HasFocus() const { return window_->isActiveWindow(); }

void ProgressPopup::TakeFocus() {
  window_->raise();
  window_->activateWindow();
}

platform::Point ProgressPopup::TopLeft() const {
  const QPoint p = window_->frameGeometry().topLeft();
  return {p.x(), p.y()};
}

void ProgressPopup::MoveTo(platform::Point top_left) { window_->move(top_left.x, top_left.y); }

void ProgressPopup::CentreOverOwner() {
  QRect area;
  if (owner_ != nullptr && owner_->isVisible()) {
    area = owner_->frameGeometry();
  } else if (const QScreen* screen = QGuiApplication::primaryScreen(); screen != nullptr) {
    area = screen->availableGeometry();
  }
  const QRect frame = window_->frameGeometry();
  window_->move(area.center() - QPoint(frame.width() / 2, frame.height() / 2));
}

platform::Rect ProgressPopup::CancelButtonScreenRect() const {
  const QPoint p = button_->mapToGlobal(QPoint(0, 0));
  return {p.x(), p.y(), p.x() + button_->width(), p.y() + button_->height()};
}

}  // namespace sw::gui
