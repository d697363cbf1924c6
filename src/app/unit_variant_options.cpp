#include "app/unit_variant_options.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "convert/growth_model_export.h"
#include "growthmodel/tree_data.h"
#include "growthmodel/variants.h"
#include "storage/storage.h"

namespace sw::app {

namespace {

std::string Joined(const std::vector<std::string>& items) {
  std::string out;
  for (const auto& item : items) out += (out.empty() ? "" : ", ") + item;
  return out.empty() ? "(none)" : out;
}

// The unit code of a list entry: the text before " -- ".
std::string UnitOf(const std::string& entry) { return entry.substr(0, entry.find(" -- ")); }

}  // namespace

ResolvedChoice ResolveUnitVariantOptions(const UnitVariantOptions& options,
                                         const platform::UnitVariantContent& content) {
  ResolvedChoice resolved;
  std::vector<bool> selected(content.units.size(), false);
  std::vector<std::string> codes;
  for (std::size_t i = 0; i < content.units.size(); ++i) {
    if (content.units[i] == convert::kAllUnitsEntry) {
      if (options.all_units) selected[i] = true;
    } else {
      codes.push_back(growthmodel::TrimBlanks(UnitOf(content.units[i])));
    }
  }
  for (const auto& value : options.units) {
    std::size_t start = 0;
    while (true) {
      const std::size_t comma = value.find(',', start);
      const std::string code =
          growthmodel::TrimBlanks(value.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
      bool found = false;
      for (std::size_t i = 0; i < content.units.size(); ++i) {
        if (content.units[i] != convert::kAllUnitsEntry && growthmodel::SameCode(UnitOf(content.units[i]), code)) {
          selected[i] = true;
          found = true;
          break;
        }
      }
      if (!found) {
        resolved.error = "ERROR: the cruise file has no cutting unit \"" + code + "\"; its units are: " + Joined(codes);
        return resolved;
      }
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  for (std::size_t i = 0; i < content.units.size(); ++i) {
    if (selected[i]) resolved.choice.units.push_back(content.units[i]);
  }

  if (!options.variant.empty()) {
    std::string name;
    for (const auto& variant : growthmodel::AllVariants()) {
      if (storage::EqualText(variant.name, options.variant) || storage::EqualText(variant.code, options.variant)) {
        name = std::string(variant.name);
      }
    }
    std::vector<std::string> offered;
    for (const auto& offer : content.variants) offered.push_back(offer + " (" + growthmodel::VariantCode(offer) + ")");
    if (name.empty()) {
      resolved.error = "ERROR: unknown variant \"" + options.variant +
                       "\"; the variants offered for this cruise file are: " + Joined(offered);
      return resolved;
    }
    if (std::find(content.variants.begin(), content.variants.end(), name) == content.variants.end()) {
      resolved.error = "ERROR: the variant \"" + options.variant + "\" (" + name +
                       ") is not offered for this cruise file's region; the variants offered are: " + Joined(offered);
      return resolved;
    }
    resolved.choice.variant = name;
  }
  return resolved;
}

bool AskEntries(const std::string& title, const std::vector<std::string>& list, bool several, std::istream& in,
                std::ostream& err, std::vector<std::string>& chosen, std::string& error) {
  err << title << "\n";
  for (std::size_t i = 0; i < list.size(); ++i) err << "  " << (i + 1) << ". " << list[i] << "\n";
  err << (several ? "Numbers (separated by commas or blanks; none to leave it): " : "Number (none to leave it): ");
  err.flush();
  std::string answer;
  std::getline(in, answer);
  for (char& c : answer) {
    if (c == ',') c = ' ';
  }
  std::istringstream words(answer);
  std::vector<bool> picked(list.size(), false);
  int count = 0;
  for (std::string word; words >> word;) {
    char* end = nullptr;
    const long number = std::strtol(word.c_str(), &end, 10);
    if (*end != '\0' || number < 1 || static_cast<std::size_t>(number) > list.size()) {
      error = "ERROR: \"" + word + "\" is not a number from 1 to " + std::to_string(list.size());
      return false;
    }
    picked[static_cast<std::size_t>(number - 1)] = true;
    ++count;
  }
  if (!several && count > 1) {
    error = "ERROR: choose one number only";
    return false;
  }
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (picked[i]) chosen.push_back(list[i]);
  }
  return true;
}

void OptionUnitVariantPrompt::RunUnitVariantDialog(
    const platform::UnitVariantContent& content, const std::function<bool(const platform::UnitVariantChoice&)>& ok) {
  shown_ = true;
  if (options_.list) {
    for (const auto& entry : content.units) out_ << entry << "\n";
    for (const auto& name : content.variants) out_ << name << "\n";
    return;
  }
  ResolvedChoice resolved = ResolveUnitVariantOptions(options_, content);
  if (!resolved.error.empty()) {
    err_ << resolved.error << "\n";
    refused_ = true;
    return;
  }
  if (terminal_ != nullptr) {
    std::string error;
    if (resolved.choice.units.empty() &&
        !AskEntries("Select a unit (or units) by clicking.", content.units, true, *terminal_, err_,
                    resolved.choice.units, error)) {
      err_ << error << "\n";
      refused_ = true;
      return;
    }
    std::vector<std::string> variant;
    if (resolved.choice.variant.empty() && !content.variants.empty()) {
      if (!AskEntries("Select a variant for these units by clicking.", content.variants, false, *terminal_, err_,
                      variant, error)) {
        err_ << error << "\n";
        refused_ = true;
        return;
      }
      if (!variant.empty()) resolved.choice.variant = variant.front();
    }
  }
  incomplete_ = resolved.choice.units.empty() || resolved.choice.variant.empty();
  ok(resolved.choice);
}

}  // namespace sw::app
