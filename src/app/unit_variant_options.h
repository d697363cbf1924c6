// The unit and variant dialog answered from command-line options: one press
// of OK with the units and the variant given (or with the missing choice
// left empty, as a click on OK would), or a listing of what the dialog
// offers. Options that name no offered unit or variant press nothing.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "platform/unit_variant_prompt.h"

namespace sw::app {

struct UnitVariantOptions {
  std::vector<std::string> units;  // unit codes; "1,2" names two
  bool all_units = false;
  std::string variant;             // code or name, any letter case; "" none
  bool list = false;               // show the offer, export nothing
};

// The choice the options make in a dialog showing `content`, or an
// "ERROR: ..." text naming the value and the valid choices. Units come in
// list order (" ALL UNITS" first), each once.
struct ResolvedChoice {
  platform::UnitVariantChoice choice;
  std::string error;
};
ResolvedChoice ResolveUnitVariantOptions(const UnitVariantOptions& options,
                                         const platform::UnitVariantContent& content);

// Asks on a terminal for the entries of `list` by their numbers (1 is the
// first; "1,3" or "1 3" several when `several`). False with `error` set for
// an answer naming no entry; true and nothing chosen for an empty answer.
bool AskEntries(const std::string& title, const std::vector<std::string>& list, bool several, std::istream& in,
                std::ostream& err, std::vector<std::string>& chosen, std::string& error);

class OptionUnitVariantPrompt : public platform::UnitVariantPrompt {
 public:
  // The listing goes to `out`, errors to `err`. With `terminal` (a user at
  // stdin), a missing choice is asked for there: the numbered entries on
  // `err`, the answer read from `terminal`; an empty answer leaves it missing.
  OptionUnitVariantPrompt(UnitVariantOptions options, std::ostream& out, std::ostream& err,
                          std::istream* terminal = nullptr)
      : options_(std::move(options)), out_(out), err_(err), terminal_(terminal) {}

  void RunUnitVariantDialog(const platform::UnitVariantContent& content,
                            const std::function<bool(const platform::UnitVariantChoice&)>& ok) override;

  bool shown() const { return shown_; }
  bool refused() const { return refused_; }     // an option named nothing offered
  bool incomplete() const { return incomplete_; }  // OK was pressed without units or a variant

 private:
  UnitVariantOptions options_;
  std::ostream& out_;
  std::ostream& err_;
  std::istream* terminal_;
  bool shown_ = false;
  bool refused_ = false;
  bool incomplete_ = false;
};

}  // namespace sw::app
