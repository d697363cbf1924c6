#include "growthmodel/variants.h"

#include <array>
#include <utility>

namespace sw::growthmodel {

const std::vector<Variant>& AllVariants() {
  static const std::vector<Variant> kVariants = {
      {"Southeast Alaska/Coastal British Columbia", "AK"},
      {"Blue Mountains", "BM"},
      {"Inland California/Southern Cascades", "CA"},
      {"Central Idaho", "CI"},
      {"Central Rockies", "CR"},
      {"East Cascades", "EC"},
      {"Eastern Montana", "EM"},
      {"Central States", "CS"},
      {"Kootenai/Kaniksu/Tally Lake", "KT"},
      {"Lake States", "LS"},
      {"Northeast", "NE"},
      {"Northern California", "NC"},
      {"Northern Idaho", "NI"},
      {"Inland Empire", "IE"},
      {"Pacific Northwest Coast", "PN"},
      {"Southeast", "SE"},
      {"South Central Oregon/Northeast California", "SO"},
      {"Tetons", "TT"},
      {"Utah", "UT"},
      {"Southern", "SN"},
      {"Westside Cascades", "WC"},
      {"Western Sierra Nevada", "WS"},
  };
  return kVariants;
}

std::string VariantCode(std::string_view name) {
  for (const auto& variant : AllVariants()) {
    if (variant.name == name) return std::string(variant.code);
  }
  return "";
}

std::vector<std::string> VariantsForRegion(std::string_view region) {
  static const std::array<std::pair<std::string_view, std::vector<std::string>>, 10> kByRegion = {{
      {"01", {"Eastern Montana", "Kootenai/Kaniksu/Tally Lake", "Northern Idaho", "Inland Empire"}},
      {"02", {"Central Rockies"}},
      {"03", {"Central Rockies"}},
      {"04", {"Central Rockies", "Central Idaho", "Tetons", "Utah"}},
      {"05",
       {"Inland California/Southern Cascades", "Northern California", "Western Sierra Nevada",
        "South Central Oregon/Northeast California"}},
      {"06",
       {"Blue Mountains", "East Cascades", "Pacific Northwest Coast", "South Central Oregon/Northeast California",
        "Northern Idaho", "Inland Empire", "Westside Cascades"}},
      {"07",
       {"Blue Mountains", "East Cascades", "Pacific Northwest Coast", "South Central Oregon/Northeast California",
        "Northern Idaho", "Inland Empire", "Westside Cascades"}},
      {"08", {"Southern"}},
      {"09", {"Central States", "Northeast", "Lake States"}},
      {"10", {"Southeast Alaska/Coastal British Columbia"}},
  }};
  std::string key(region);
  if (key.size() == 1 && key[0] >= '1' && key[0] <= '9') key = "0" + key;
  for (const auto& [code, names] : kByRegion) {
    if (code == key) return names;
  }
  return {};
}

}  // namespace sw::growthmodel
