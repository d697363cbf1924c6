#include "gui/unit_variant_dialog.h"

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

UnitVariantDialog::UnitVariantDialog(const platform::UnitVariantContent& content, OkHandler ok, QWidget* parent)
    : QDialog(parent), ok_(std::move(ok)) {
  setWindowTitle("Select Units and Variants");
  auto* layout = new QVBoxLayout(this);

  auto* count_row = new QHBoxLayout;
  count_row->addWidget(new QLabel("There are ", this));
  count_ = new QLineEdit(Q(content.unit_count), this);
  count_->setReadOnly(true);
  count_->setMaximumWidth(count_->fontMetrics().horizontalAdvance("00000") + 12);
  count_row->addWidget(count_);
  count_row->addWidget(new QLabel("units in this file.", this));
  count_row->addStretch();
  layout->addLayout(count_row);

  // The lists keep the order they are given: the export sorts them, so that
  // the window and the command line agree.
  layout->addWidget(new QLabel("Select a unit (or units) by clicking.", this));
  units_ = new QListWidget(this);
  units_->setSelectionMode(QAbstractItemView::MultiSelection);
  for (const auto& entry : content.units) units_->addItem(Q(entry));
  layout->addWidget(units_);

  layout->addWidget(new QLabel("Select a variant for these units by clicking.", this));
  variants_ = new QListWidget(this);
  variants_->setSelectionMode(QAbstractItemView::SingleSelection);
  for (const auto& name : content.variants) variants_->addItem(Q(name));
  layout->addWidget(variants_);

  layout->addWidget(new QLabel("Click OK to generate GRO files for this unit and variant combination.", this));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  ok_button_ = new QPushButton("&OK", this);
  ok_button_->setDefault(true);
  exit_button_ = new QPushButton("E&xit", this);
  buttons->addWidget(ok_button_);
  buttons->addWidget(exit_button_);
  layout->addLayout(buttons);

  connect(ok_button_, &QPushButton::clicked, this, [this] { PressOk(); });
  connect(exit_button_, &QPushButton::clicked, this, &QDialog::reject);
}

platform::UnitVariantChoice UnitVariantDialog::Choice() const {
  platform::UnitVariantChoice choice;
  for (int i = 0; i < units_->count(); ++i) {
    if (units_->item(i)->isSelected()) choice.units.push_back(units_->item(i)->text().toStdString());
  }
  for (int i = 0; i < variants_->count(); ++i) {
    if (variants_->item(i)->isSelected()) choice.variant = variants_->item(i)->text().toStdString();
  }
  return choice;
}

void UnitVariantDialog::PressOk() {
  if (ok_ && !ok_(Choice())) accept();
}

void QtUnitVariantPrompt::RunUnitVariantDialog(const platform::UnitVariantContent& content,
                                               const std::function<bool(const platform::UnitVariantChoice&)>& ok) {
  UnitVariantDialog dialog(content, ok, parent_);
  dialog.exec();
}

}  // namespace sw::gui
