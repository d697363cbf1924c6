// Key file section headers and stop words (see section_headers.h).
#include "legacy/keyfile/section_headers.h"

namespace sw::legacy::keyfile {

std::string_view SectionHeader(Section section) {
  switch (section) {
    case Section::Volume: return kVolumeHeader;
    case Section::Value: return kValueHeader;
    case Section::Weight: return kWeightHeader;
    case Section::Quality: return kQualityHeader;
  }
  return {};
}

Marker HeaderLine(std::string_view line) {
  const std::size_t last = line.find_last_not_of(' ');
  line = last == std::string_view::npos ? std::string_view() : line.substr(0, last + 1);
  if (line == kVolumeHeader) return Marker::Volume;
  if (line == kValueHeader) return Marker::Value;
  if (line == kWeightHeader) return Marker::Weight;
  if (line == kQualityHeader) return Marker::Quality;
  if (line == kEndLine) return Marker::End;
  return Marker::None;
}

bool IsSectionHeaderLine(std::string_view line) { return HeaderLine(line) != Marker::None; }

Marker StopWord(std::string_view line) {
  const std::string_view word = line.substr(0, 3);
  if (word == "VOL") return Marker::Volume;
  if (word == "VAL") return Marker::Value;
  if (word == "WEI") return Marker::Weight;
  if (word == "QUA") return Marker::Quality;
  if (word == "END") return Marker::End;
  return Marker::None;
}

std::optional<Section> SectionOf(Marker marker) {
  switch (marker) {
    case Marker::Volume: return Section::Volume;
    case Marker::Value: return Section::Value;
    case Marker::Weight: return Section::Weight;
    case Marker::Quality: return Section::Quality;
    default: return std::nullopt;
  }
}

}  // namespace sw::legacy::keyfile
