// The equation records of a key file as plain structs, with their column
// layouts and printf formats, and the readers and writers of single records.
// Reader and writer share one layout per record so that they cannot disagree.
//
// Not for: section scanning (key_parser.h) or cruise file tables
// (key_reader.h, key_writer.h).
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sw::legacy::keyfile {

// Columns [start, end) of a fixed-column field, counted from 0.
struct Field {
  std::size_t start;
  std::size_t end;
  constexpr std::size_t width() const { return end - start; }
};

// Version 7 volume record, 48 characters.
namespace volume_layout {
inline constexpr Field kSpecies{0, 6};
inline constexpr Field kProduct{6, 8};
inline constexpr Field kNumber{8, 18};
inline constexpr Field kStump{18, 21};
inline constexpr std::size_t kFlag0 = 21;
inline constexpr Field kTopDibPrimary{22, 26};
inline constexpr std::size_t kFlag1 = 26;
inline constexpr std::size_t kFlag2 = 27;
inline constexpr std::size_t kFlag3 = 28;
inline constexpr Field kTopDibSecondary{29, 33};
inline constexpr std::size_t kSecondaryMark2 = 33;
inline constexpr std::size_t kSecondaryMark3 = 34;
inline constexpr Field kZscore{35, 42};
inline constexpr Field kUpperStemHeight{42, 45};
inline constexpr Field kReferenceHeight{45, 48};
inline constexpr const char* kFormat = "%-6s%2s%10s%3.1f%c%4.1f%c%c%c%4.1f%c%c%7.3f%3d%3d\n";
}  // namespace volume_layout

// Version 7 value record, 65 characters.
namespace value_layout {
inline constexpr Field kSpecies{0, 6};
inline constexpr Field kProduct{6, 8};
inline constexpr Field kNumber{8, 16};
inline constexpr Field kGrade{16, 17};
inline constexpr std::size_t kFirstCoefficient = 17;
inline constexpr std::size_t kCoefficientWidth = 8;
inline constexpr std::size_t kRegionColumn = 13;  // sixth character of the number
inline constexpr const char* kHeadFormat = "%-6s%2s%8s%1s";
inline constexpr const char* kCoefficientFormat = "%8.5f";
}  // namespace value_layout

// Weight record, 35 characters, the same in both versions. The numbers are
// read from the columns they are written to.
namespace weight_layout {
inline constexpr Field kSpecies{0, 6};
inline constexpr Field kProduct{6, 8};
inline constexpr Field kNumber{8, 16};
inline constexpr Field kFactor{16, 25};
inline constexpr Field kPercent{25, 34};
inline constexpr Field kLiveDead{34, 35};
inline constexpr const char* kFormat = "%-6s%2s%8s%9.4f%9.4f%1s\n";
// The reader takes the factor from a field that ends with the percent's first
// column, so the percent keeps that column blank: 8 of its 9 for digits.
inline constexpr std::size_t kPercentRoom = kPercent.end - kPercent.start - 1;
}  // namespace weight_layout

// Version 7 quality-adjustment record, 75 characters.
namespace quality_layout {
inline constexpr Field kSpecies{0, 6};
inline constexpr Field kNumber{6, 14};
inline constexpr Field kYear{14, 20};
inline constexpr Field kGrade{20, 27};
inline constexpr std::size_t kFirstCoefficient = 27;
inline constexpr std::size_t kCoefficientWidth = 8;
inline constexpr const char* kFormat = "%-6s%8s%6d%7s%8.4f%8.4f%8.4f%8.4f%8.4f%8.4f\n";
}  // namespace quality_layout

// A real number of a key record as written with `format` ("%W.Pf"): the
// format's own text while its digits keep within `room` columns (at most W),
// otherwise the most decimals that do, rounded, right-justified in W columns.
// Empty when even the whole part does not fit.
std::optional<std::string> KeyNumberText(const char* format, double value, std::size_t room);

struct VolumeEquation {
  std::string species;
  std::string product;
  std::string number;
  double stump = 0;
  double top_dib_primary = 0;
  double top_dib_secondary = 0;
  std::string flags = "00000";  // five "0"/"1" calculation flags, flag 0 first
  int upper_stem_height = 0;
  int reference_height = 0;
  double zscore = 0;
  std::string region;
  bool operator==(const VolumeEquation&) const = default;
};

struct ValueEquation {
  std::string species;
  std::string product;
  std::string number;
  std::string grade;
  std::array<double, 6> coefficients{};
  std::string region;
  bool operator==(const ValueEquation&) const = default;
};

struct WeightEquation {
  std::string species;
  std::string product;
  std::string number;
  std::string live_dead;
  double factor = 0;
  double percent = 0;
  bool operator==(const WeightEquation&) const = default;
};

struct QualityEquation {
  std::string species;
  std::string number;
  int year = 0;
  std::string grade;
  std::array<double, 6> coefficients{};
  bool operator==(const QualityEquation&) const = default;
};

// A Version 6 record holds a "/" after column 0; any other line is Version 7.
bool IsVersion6Record(std::string_view line);

// The key file region from the first two characters of line 1. A one-character
// line or a region padded with a trailing blank gives the same region as the
// digit alone ("6", "6 " and " 6" all give "06").
std::string KeyFileRegion(std::string_view line1);

// VolEqRegion from an equation number and the key file's region.
std::string VolumeEquationRegion(std::string_view number, std::string_view key_region, bool version7);

// ValEqRegion from the sixth character of the equation number ("0" gives "10").
std::string ValueEquationRegion(std::string_view number);

// The year of a quality record: a full six-column field is taken as it is; a
// shorter one has its two-digit year expanded ("  98" and "98" give 1998).
int QualityYear(std::string_view field);

// Version 7 record readers (fields past the end of a short line read as
// empty text or 0).
VolumeEquation ReadVolumeRecord7(std::string_view line, std::string_view key_region);
ValueEquation ReadValueRecord7(std::string_view line);
WeightEquation ReadWeightRecord(std::string_view line);
QualityEquation ReadQualityRecord7(std::string_view line);

// A Version 6 volume record gives up to five volume rows and at most one
// weight row.
struct Version6Volume {
  std::vector<VolumeEquation> volumes;
  std::optional<WeightEquation> weight;
};
Version6Volume ReadVolumeRecord6(std::string_view line, std::string_view key_region);
ValueEquation ReadValueRecord6(std::string_view line);
QualityEquation ReadQualityRecord6(std::string_view line);

// Version 7 record writers: one line each, with its line end. Text longer
// than its field is cut to the field so that the following fields keep their
// columns.
std::string FormatVolumeRecord(const VolumeEquation& equation);
std::string FormatValueRecord(const ValueEquation& equation);
std::string FormatWeightRecord(const WeightEquation& equation);
std::string FormatQualityRecord(const QualityEquation& equation);

}  // namespace sw::legacy::keyfile
