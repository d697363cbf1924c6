// The simulator's geographic variants: their names and two-letter codes,
// and which variants a cruise's region may use.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sw::growthmodel {

struct Variant {
  std::string_view name;
  std::string_view code;
};

// Every variant, in the order of the variant table.
const std::vector<Variant>& AllVariants();

// The code of the variant with exactly this name; "" for an unknown name.
std::string VariantCode(std::string_view name);

// The names offered for a cruise's `Region`: regions 1 to 9 match in their
// one- and two-digit forms ("6" and "06"); any other region offers none.
std::vector<std::string> VariantsForRegion(std::string_view region);

}  // namespace sw::growthmodel
