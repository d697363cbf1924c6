// The cycle selection the Create command asks for when it is given a cycle
// file: the "Select Cycles to Convert" dialog in the window, options on the
// command line, a script in tests.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sw::platform {

struct CycleSelectRequest {
  std::string count;                 // "There are COUNT cycles in this file."
  std::vector<std::string> entries;  // "Cycle  CycleYear", in file order
  // (Cycle, CycleYear) of each entry, for choices made without the dialog.
  std::vector<std::pair<std::string, std::string>> cycles;
};

// Indices into the request's entries of the chosen ones, in list order; no
// value when the user cancelled.
using CycleSelection = std::optional<std::vector<std::size_t>>;

// The list box's order of the entries: sorted by their text, letter case
// ignored, identical entries in file order.
std::vector<std::size_t> CycleListOrder(const std::vector<std::string>& entries);

// The texts of the selection dialog and its messages.
inline constexpr char kCycleSelectCaption[] = "Select Cycles to Convert";
inline constexpr char kNoCyclesSelected[] = "NO CYCLES SELECTED! \nPlease select at least one cycle";
inline constexpr char kReallyCancel[] = "Do you really want to cancel?\nChanges will not be saved";

}  // namespace sw::platform
