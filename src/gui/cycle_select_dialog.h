// The "Select Cycles to Convert" dialog: the number of cycles of a cycle
// file and a sorted multiple-selection list of its entries (Cycle, two
// blanks, CycleYear). OK with nothing selected warns and stays open; Cancel
// (or Escape) asks before it closes.
#pragma once

#include <QDialog>
#include <cstddef>
#include <functional>
#include <vector>

#include "platform/platform.h"

class QListWidget;
class QPushButton;

namespace sw::gui {

class CycleSelectDialog : public QDialog {
 public:
  // `ask` shows the dialog's message boxes (the platform's ShowMessage).
  CycleSelectDialog(const platform::CycleSelectRequest& request,
                    std::function<platform::Button(const platform::Message&)> ask, QWidget* parent = nullptr);

  // The chosen entries' indices in the request, in list order; valid after OK.
  const std::vector<std::size_t>& selection() const { return selection_; }

  QListWidget* list() const { return list_; }
  QPushButton* ok_button() const { return ok_; }
  QPushButton* cancel_button() const { return cancel_; }

  void accept() override;
  void reject() override;

 private:
  std::function<platform::Button(const platform::Message&)> ask_;
  QListWidget* list_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  std::vector<std::size_t> selection_;
};

}  // namespace sw::gui
