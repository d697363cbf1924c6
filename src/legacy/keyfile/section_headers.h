// The sections of a key file, their header lines and the three-letter stop
// words that end a section.
//
// Not for: the records inside the sections (key_records.h).
#pragma once

#include <optional>
#include <string_view>

namespace sw::legacy::keyfile {

// In the order the writer puts them.
enum class Section { Volume, Value, Weight, Quality };
inline constexpr int kSectionCount = 4;

inline constexpr std::string_view kVolumeHeader = "VOLUME EQUATIONS";
inline constexpr std::string_view kValueHeader = "VALUE EQUATIONS";
inline constexpr std::string_view kWeightHeader = "WEIGHT EQUATIONS";
inline constexpr std::string_view kQualityHeader = "QUALITY ADJUSTMENTS";
inline constexpr std::string_view kEndLine = "END";

std::string_view SectionHeader(Section section);

// What a line means when it stands between records.
enum class Marker { None, Volume, Value, Weight, Quality, End };

// A whole header line (trailing blanks ignored): one of the four headers or "END".
Marker HeaderLine(std::string_view line);
bool IsSectionHeaderLine(std::string_view line);

// Inside a section, a line whose first three characters are "VOL", "VAL",
// "WEI", "QUA" or "END" ends it.
Marker StopWord(std::string_view line);

std::optional<Section> SectionOf(Marker marker);

}  // namespace sw::legacy::keyfile
