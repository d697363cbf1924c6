// MainWindow: the Qt face of MainDialog. It lays out the label, the file
// name box, Browse, Create, Quit and the two option check boxes, forwards
// each command to MainDialog and then mirrors MainDialog's window state.
// The About entry is in a Help menu (window managers here have no system
// menu to extend).
//
// Not for: any decision; those are MainDialog's.
#pragma once

#include <QDialog>
#include <string>

#include "app/main_dialog.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QAction;

namespace sw::gui {

// The program's icon: a tree stump seen from above.
QIcon ProgramIcon();

class MainWindow : public QDialog {
 public:
  explicit MainWindow(app::MainDialog& dialog, QWidget* parent = nullptr);

  // Copies MainDialog's window state into the widgets.
  void Refresh();


  QLineEdit* file_box() const { return file_box_; }
  QPushButton* browse_button() const { return browse_; }
  QPushButton* create_button() const { return create_; }
  QPushButton* quit_button() const { return quit_; }
  QCheckBox* version7_box() const { return version7_; }
  QCheckBox* gro_box() const { return gro_; }
  QAction* about_action() const { return about_; }

 protected:
  // Enter in the file name box: the first confirms a typed path, the next
  // one presses Create (see MainDialog::EnterInFileBox).
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  app::MainDialog& dialog_;
  QLineEdit* file_box_;
  QPushButton* browse_;
  QPushButton* create_;
  QPushButton* quit_;
  QCheckBox* version7_;
  QCheckBox* gro_;
  QAction* about_;
};

}  // namespace sw::gui
