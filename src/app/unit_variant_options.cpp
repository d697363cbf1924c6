#include "app/unit_variant_options.h"

#include <algorithm>

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
  incomplete_ = resolved.choice.units.empty() || resolved.choice.variant.empty();
  ok(resolved.choice);
}

}  // namespace sw::app
