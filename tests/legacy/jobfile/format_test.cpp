// The record formatter writes every field exactly as printf would with the
// field's format, for the values the layouts meet (rounding, negative zero,
// values wider than their field, long texts).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "legacy/jobfile/job_record.h"

namespace sw::legacy::jobfile {
namespace {

std::string Printf(const char* format, double v) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, v);
  return buffer;
}
std::string Printf(const char* format, long long v) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, v);
  return buffer;
}
std::string Printf(const char* format, int v) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, v);
  return buffer;
}
std::string Printf(const char* format, const char* v) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, v);
  return buffer;
}

TEST(RecordFormatTest, MatchesPrintfForEveryKindOfField) {
  static constexpr std::array<FieldSpec, 9> kFields{
      FieldSpec{"real", 0, 7, Conv::Real, "%7.2f"},   FieldSpec{"real0", 7, 11, Conv::Real, "%4.0f"},
      FieldSpec{"real4", 11, 20, Conv::Real, "%9.4f"}, FieldSpec{"int", 20, 25, Conv::Int, "%5d"},
      FieldSpec{"long", 25, 35, Conv::Long, "%10ld"},  FieldSpec{"text", 35, 38, Conv::Text, "%3s"},
      FieldSpec{"left", 38, 42, Conv::Text, "%-4s"},   FieldSpec{"bare", 42, 43, Conv::Text, "%s"},
      FieldSpec{"real1", 43, 49, Conv::Real, "%6.1f"}};
  static const RecordLayout kLayout{"test", "", kFields};

  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> wide(-1e6, 1e6);
  std::uniform_int_distribution<int> digits(0, 6);
  const std::array<double, 10> edges{0.0, -0.0, 0.005, 0.015, 2.5, -2.5, 0.125, 999.995, 1e15, -1e-7};
  const std::array<const char*, 5> texts{"", "A", "ABC", "ABCDE", "a b"};
  for (int i = 0; i < 5000; ++i) {
    double v = i < static_cast<int>(edges.size()) ? edges[static_cast<std::size_t>(i)]
                                                  : std::round(wide(random) * std::pow(10.0, digits(random))) /
                                                        std::pow(10.0, digits(random));
    const char* text = texts[static_cast<std::size_t>(i) % texts.size()];
    JobRecord record(kLayout);
    for (std::size_t f = 0; f < kFields.size(); ++f) {
      if (kFields[f].conv == Conv::Text) record.SetText(f, text);
      else if (kFields[f].conv == Conv::Real) record.SetReal(f, v);
      else record.SetWhole(f, static_cast<std::int64_t>(v * 1000));
    }
    std::string expected = Printf("%7.2f", v) + Printf("%4.0f", v) + Printf("%9.4f", v) +
                           Printf("%5d", static_cast<int>(std::clamp<std::int64_t>(static_cast<std::int64_t>(v * 1000), INT_MIN, INT_MAX))) +
                           Printf("%10lld", static_cast<long long>(v * 1000)) + Printf("%3s", text) +
                           Printf("%-4s", text) + Printf("%s", text) + Printf("%6.1f", v);
    ASSERT_EQ(record.Format(), expected) << "value " << v;
  }
}

// Reals are rounded as printf rounds the exact binary value: ties of
// binary fractions go to even, and the neighbours of a decimal tie go the
// way their exact value lies, at every precision and magnitude.
TEST(RecordFormatTest, RoundsRealsNearTiesAsPrintfDoes) {
  static constexpr std::array<FieldSpec, 4> kFields{
      FieldSpec{"p0", 0, 20, Conv::Real, "%20.0f"}, FieldSpec{"p1", 20, 40, Conv::Real, "%20.1f"},
      FieldSpec{"p2", 40, 60, Conv::Real, "%20.2f"}, FieldSpec{"p4", 60, 80, Conv::Real, "%20.4f"}};
  static const RecordLayout kLayout{"ties", "", kFields};
  std::mt19937_64 random(11);
  std::uniform_int_distribution<long long> whole(-2000000, 2000000);
  std::vector<double> values{0.5, 1.5, 2.5, -0.5, -2.5, 0.125, 0.375, -0.625, 0.05, 0.15, 0.25, 0.35, 1.005,
                             2.675, 1e14 + 0.5, 999999999999999.5, 4503599627370497.0, 1e15, -1e15, 1e-320};
  for (int i = 0; i < 20000; ++i) {
    const double scale = std::pow(10.0, static_cast<int>(random() % 5));
    const double tie = (static_cast<double>(whole(random)) + 0.5) / scale;
    values.push_back(tie);
    values.push_back(std::nextafter(tie, 0.0));
    values.push_back(std::nextafter(tie, tie > 0 ? 1e300 : -1e300));
  }
  for (double v : values) {
    JobRecord record(kLayout);
    for (std::size_t f = 0; f < kFields.size(); ++f) record.SetReal(f, v);
    ASSERT_EQ(record.Format(), Printf("%20.0f", v) + Printf("%20.1f", v) + Printf("%20.2f", v) + Printf("%20.4f", v))
        << "value " << v;
  }
}

}  // namespace
}  // namespace sw::legacy::jobfile
