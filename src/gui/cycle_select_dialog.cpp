#include "gui/cycle_select_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace sw::gui {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

CycleSelectDialog::CycleSelectDialog(const platform::CycleSelectRequest& request,
                                     std::function<platform::Button(const platform::Message&)> ask, QWidget* parent)
    : QDialog(parent), ask_(std::move(ask)) {
  setWindowTitle(platform::kCycleSelectCaption);
  auto* layout = new QVBoxLayout(this);

  auto* count_row = new QHBoxLayout;
  count_row->addWidget(new QLabel("There are ", this));
  auto* count = new QLineEdit(Q(request.count), this);
  count->setReadOnly(true);
  count->setObjectName("count");
  count_row->addWidget(count);
  count_row->addWidget(new QLabel("cycles in this file.", this));
  layout->addLayout(count_row);

  layout->addWidget(
      new QLabel("Select cycles from the box by clicking.\nListing shows cycle number followed by the year.", this));
  layout->addWidget(new QLabel("Multiple selection will create multiple files.", this));

  list_ = new QListWidget(this);
  list_->setSelectionMode(QAbstractItemView::MultiSelection);
  for (std::size_t index : platform::CycleListOrder(request.entries)) {
    auto* item = new QListWidgetItem(Q(request.entries[index]), list_);
    item->setData(Qt::UserRole, QVariant::fromValue<qulonglong>(index));
  }
  layout->addWidget(list_);

  auto* buttons = new QHBoxLayout;
  ok_ = new QPushButton("OK", this);
  ok_->setDefault(true);
  cancel_ = new QPushButton("Cancel", this);
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  layout->addLayout(buttons);
  connect(ok_, &QPushButton::clicked, this, &CycleSelectDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &CycleSelectDialog::reject);
}

void CycleSelectDialog::accept() {
  selection_.clear();
  for (int row = 0; row < list_->count(); ++row) {
    const QListWidgetItem* item = list_->item(row);
    if (item->isSelected()) selection_.push_back(static_cast<std::size_t>(item->data(Qt::UserRole).toULongLong()));
  }
  if (selection_.empty()) {
    ask_({platform::kNoCyclesSelected, "WARNING", platform::Icon::kExclamation, platform::Buttons::kOk});
    return;  // stays open
  }
  QDialog::accept();
}

void CycleSelectDialog::reject() {
  const platform::Button answer =
      ask_({platform::kReallyCancel, "WARNING", platform::Icon::kExclamation, platform::Buttons::kYesNo});
  if (answer == platform::Button::kYes) QDialog::reject();
}

}  // namespace sw::gui
