// Fuzzes the legacy files' number conversions against the C library (the
// fuzzer runs in the "C" locale): Atof and Atol must give what strtod and
// strtol give for any text, Format("%.17g") must read back to the same
// double, and a number narrowed to a field (FitDecimals) must fit it and
// stay within half a unit of its last decimal.
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "legacy/line.h"

using namespace sw::legacy;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string c_string = text.substr(0, text.find('\0'));  // what the C library sees

  const double expected = std::strtod(c_string.c_str(), nullptr);
  const double actual = Atof(text.substr(0, text.find('\0')));
  if (std::isnan(expected) != std::isnan(actual)) __builtin_trap();
  if (!std::isnan(expected) && std::memcmp(&expected, &actual, sizeof expected) != 0) __builtin_trap();

  errno = 0;
  const long expected_long = std::strtol(c_string.c_str(), nullptr, 10);
  if (Atol(c_string) != expected_long) __builtin_trap();

  if (std::isfinite(actual)) {
    if (Atof(Format("%.17g", actual)) != actual) __builtin_trap();
    const int width = 3 + static_cast<int>(size % 10);
    const int precision = static_cast<int>(size % 7);
    if (auto fitted = FitDecimals(actual, width, precision)) {
      if (fitted->size() > static_cast<std::size_t>(width)) __builtin_trap();
      const std::size_t dot = fitted->find('.');
      const int decimals = dot == std::string::npos ? 0 : static_cast<int>(fitted->size() - dot - 1);
      if (decimals > precision) __builtin_trap();
      const double back = Atof(*fitted);
      if (std::fabs(back - actual) > 0.5 * std::pow(10.0, -decimals) * (1 + 1e-9) + std::fabs(actual) * 1e-15)
        __builtin_trap();
    }
  }
  return 0;
}
