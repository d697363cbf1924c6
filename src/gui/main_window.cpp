// The main window's widgets, their layout and wiring to MainDialog.
//
// Not for: the Create conversions (installed into MainDialog later).
#include "gui/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace sw::gui {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

QIcon ProgramIcon() {
  QPixmap pixmap(64, 64);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(QColor(0x6b, 0x42, 0x1e));  // bark
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(QRectF(2, 2, 60, 60));
  painter.setBrush(QColor(0xe3, 0xc0, 0x8a));  // cut face
  painter.drawEllipse(QRectF(7, 7, 50, 50));
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(0xa0, 0x6e, 0x3a), 1.6));
  for (int r = 6; r <= 22; r += 5) painter.drawEllipse(QPointF(32, 32), r, r * 0.92);  // growth rings
  painter.end();
  return QIcon(pixmap);
}

MainWindow::MainWindow(app::MainDialog& dialog, QWidget* parent) : QDialog(parent), dialog_(dialog) {
  setWindowTitle(app::kWindowTitle);
  setWindowIcon(ProgramIcon());

  auto* menu_bar = new QMenuBar(this);
  QMenu* help = menu_bar->addMenu("&Help");
  about_ = help->addAction(app::kAboutMenuEntry);

  auto* label = new QLabel("Enter filename or click Browse button", this);
  file_box_ = new QLineEdit(this);
  file_box_->setMinimumWidth(330);
  browse_ = new QPushButton("Browse...", this);
  browse_->setAutoDefault(false);
  create_ = new QPushButton("&Create", this);
  create_->setDefault(true);
  quit_ = new QPushButton("&Quit", this);
  quit_->setAutoDefault(false);
  version7_ = new QCheckBox("&Version 7 Job and Key", this);
  gro_ = new QCheckBox("&GRO Input File", this);

  auto* grid = new QGridLayout;
  grid->addWidget(label, 0, 0);
  grid->addWidget(file_box_, 1, 0);
  grid->addWidget(browse_, 1, 1);
  auto* options = new QHBoxLayout;
  options->addWidget(version7_);
  options->addWidget(gro_);
  options->addStretch();
  grid->addLayout(options, 2, 0);
  grid->addWidget(create_, 2, 1);
  grid->addWidget(quit_, 3, 1);
  grid->setRowStretch(4, 1);
  auto* outer = new QVBoxLayout(this);
  outer->setMenuBar(menu_bar);
  outer->addLayout(grid);

  connect(browse_, &QPushButton::clicked, this, [this] {
    dialog_.Browse();
    Refresh();
  });
  file_box_->installEventFilter(this);
  connect(file_box_, &QLineEdit::editingFinished, this, [this] {
    dialog_.ConfirmTypedPath(file_box_->text().toStdString());
    Refresh();
  });
  connect(create_, &QPushButton::clicked, this, [this] {
    dialog_.Create();
    Refresh();
  });
  connect(quit_, &QPushButton::clicked, this, &QDialog::reject);
  connect(version7_, &QCheckBox::clicked, this, [this](bool checked) { dialog_.SetVersion7Option(checked); });
  connect(gro_, &QCheckBox::clicked, this, [this](bool checked) { dialog_.SetGroOption(checked); });
  connect(about_, &QAction::triggered, this, [this] { dialog_.About(); });

  Refresh();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == file_box_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      // Taken here, so that the dialog's default button is not pressed with
      // a path the user has not seen the options of.
      const bool create = dialog_.EnterInFileBox(file_box_->text().toStdString());
      Refresh();
      if (create && create_->isEnabled()) create_->click();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void MainWindow::Refresh() {
  const app::WindowState& w = dialog_.window();
  if (file_box_->text() != Q(w.file_box)) file_box_->setText(Q(w.file_box));
  create_->setText(Q(w.create_label));
  create_->setEnabled(w.create_enabled);
  version7_->setVisible(w.version7_visible);
  gro_->setVisible(w.gro_visible);
  version7_->setChecked(w.version7_checked);
  gro_->setChecked(w.gro_checked);
}

}  // namespace sw::gui
