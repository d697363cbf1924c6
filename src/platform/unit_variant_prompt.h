// The unit and variant dialog of the growth-model export ("Select Units and
// Variants") as the program asks for it: it shows the units and variants it
// is given, and each press of OK hands the current choice to the export,
// which decides whether the dialog stays open. The Qt window draws it; the
// scripted implementation presses OK with prepared choices (tests, the
// command line).
//
// Not for: the export or its messages (convert/growth_model_export.h).
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace sw::platform {

struct UnitVariantContent {
  std::string unit_count;              // shown in the read-only count box
  std::vector<std::string> units;      // list entries in list order
  std::vector<std::string> variants;   // variant names in list order
};

// What is selected when OK is pressed.
struct UnitVariantChoice {
  std::vector<std::string> units;  // the selected unit entries, in list order
  std::string variant;             // the selected variant name; "" when none
};

class UnitVariantPrompt {
 public:
  virtual ~UnitVariantPrompt() = default;
  // Shows the dialog modally until Exit is pressed or `ok` returns false.
  virtual void RunUnitVariantDialog(const UnitVariantContent& content,
                                    const std::function<bool(const UnitVariantChoice&)>& ok) = 0;
};

// Presses OK once for each queued choice, in order, then Exit; stops early
// when OK closes the dialog.
class ScriptedUnitVariantPrompt : public UnitVariantPrompt {
 public:
  void QueueOk(UnitVariantChoice choice) { presses_.push_back(std::move(choice)); }

  void RunUnitVariantDialog(const UnitVariantContent& content,
                            const std::function<bool(const UnitVariantChoice&)>& ok) override;

  // What each opening of the dialog showed.
  const std::vector<UnitVariantContent>& shown() const { return shown_; }
  int presses() const { return presses_made_; }
  bool closed_by_ok() const { return closed_by_ok_; }

 private:
  std::deque<UnitVariantChoice> presses_;
  std::vector<UnitVariantContent> shown_;
  int presses_made_ = 0;
  bool closed_by_ok_ = false;
};

}  // namespace sw::platform
