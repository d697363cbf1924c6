#include "platform/cycle_select.h"

#include <algorithm>
#include <numeric>

#include "platform/platform.h"

namespace sw::platform {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool LessText(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(Lower(x)) < static_cast<unsigned char>(Lower(y));
  });
}

}  // namespace

std::vector<std::size_t> CycleListOrder(const std::vector<std::string>& entries) {
  std::vector<std::size_t> order(entries.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&entries](std::size_t a, std::size_t b) { return LessText(entries[a], entries[b]); });
  return order;
}

CycleSelection Platform::SelectCycles(const CycleSelectRequest&) { return std::nullopt; }

}  // namespace sw::platform
