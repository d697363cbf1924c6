// "Select Units and Variants": the growth-model export's dialog on Qt. It
// lists the cruise's units (several may be selected) and the variants of its
// region (one), and hands the selection to the export at each press of OK;
// it stays open until Exit or until the export closes it.
#pragma once

#include <QDialog>
#include <functional>

#include "platform/unit_variant_prompt.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace sw::gui {

class UnitVariantDialog : public QDialog {
 public:
  using OkHandler = std::function<bool(const platform::UnitVariantChoice&)>;

  UnitVariantDialog(const platform::UnitVariantContent& content, OkHandler ok, QWidget* parent = nullptr);

  // The selection as OK would hand it over.
  platform::UnitVariantChoice Choice() const;

  QListWidget* unit_list() const { return units_; }
  QListWidget* variant_list() const { return variants_; }
  QLineEdit* count_box() const { return count_; }
  QPushButton* ok_button() const { return ok_button_; }
  QPushButton* exit_button() const { return exit_button_; }

 private:
  void PressOk();

  OkHandler ok_;
  QLineEdit* count_ = nullptr;
  QListWidget* units_ = nullptr;
  QListWidget* variants_ = nullptr;
  QPushButton* ok_button_ = nullptr;
  QPushButton* exit_button_ = nullptr;
};

// Runs the dialog modally over `parent` (may be null).
class QtUnitVariantPrompt : public platform::UnitVariantPrompt {
 public:
  explicit QtUnitVariantPrompt(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  void RunUnitVariantDialog(const platform::UnitVariantContent& content,
                            const std::function<bool(const platform::UnitVariantChoice&)>& ok) override;

 private:
  QWidget* parent_;
};

}  // namespace sw::gui
