// Section scanning of key files (see key_parser.h).
#include "legacy/keyfile/key_parser.h"

#include <map>
#include <utility>

namespace sw::legacy::keyfile {
namespace {

void ReadRecord(Section section, const std::string& line, KeyEquations& out) {
  switch (section) {
    case Section::Volume:
      if (IsVersion6Record(line)) {
        Version6Volume record = ReadVolumeRecord6(line, out.region);
        for (VolumeEquation& e : record.volumes) out.volumes.push_back(std::move(e));
        if (record.weight) out.weights.push_back(std::move(*record.weight));
      } else {
        out.volumes.push_back(ReadVolumeRecord7(line, out.region));
      }
      break;
    case Section::Value:
      out.values.push_back(IsVersion6Record(line) ? ReadValueRecord6(line) : ReadValueRecord7(line));
      break;
    case Section::Weight:
      out.weights.push_back(ReadWeightRecord(line));
      break;
    case Section::Quality:
      out.qualities.push_back(IsVersion6Record(line) ? ReadQualityRecord6(line) : ReadQualityRecord7(line));
      break;
  }
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Text order without regard to the case of A-Z, as the cruise file sorts.
struct LessNoCase {
  static int Compare(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
      const unsigned char x = static_cast<unsigned char>(Lower(a[i]));
      const unsigned char y = static_cast<unsigned char>(Lower(b[i]));
      if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
  }
  bool operator()(const std::pair<std::string, std::string>& a, const std::pair<std::string, std::string>& b) const {
    const int first = Compare(a.first, b.first);
    return first != 0 ? first < 0 : Compare(a.second, b.second) < 0;
  }
};

VolumeEquation MergeGroup(const std::vector<const VolumeEquation*>& members) {
  VolumeEquation row;
  row.species = members.front()->species;
  row.product = members.front()->product;
  row.region = "09";
  bool primary_given = false;
  bool secondary = false;
  for (const VolumeEquation* m : members) {
    if (row.product != "01") {
      row.number = m->number;
      row.flags = "00110";
    } else if (m->number.starts_with("90")) {
      row.number = m->number;
      row.flags = "01100";
      primary_given = true;
    } else if (m->number.starts_with("911") || m->number.starts_with("921")) {
      secondary = true;
    }
  }
  // Flag 4 does not depend on whether the secondary equation came first.
  if (primary_given && secondary) row.flags[4] = '1';
  return row;
}

}  // namespace

KeyEquations ParseEquationSections(LineReader& reader) {
  KeyEquations out;
  std::string line;
  if (!reader.ReadLine(line)) {
    out.messages.push_back("The key file is empty.");
    return out;
  }
  out.region = KeyFileRegion(line);

  Section current = Section::Volume;
  bool reading = false;     // records of `current` are being read
  bool in_section = false;  // also true while a repeated section is skipped
  while (reader.ReadLine(line)) {
    const Marker marker = in_section ? StopWord(line) : HeaderLine(line);
    if (marker == Marker::End) break;
    if (marker != Marker::None) {
      const Section section = *SectionOf(marker);
      const auto index = static_cast<std::size_t>(section);
      in_section = true;
      if (out.sections_read[index]) {
        reading = false;
        out.messages.push_back("The key file repeats " + std::string(SectionHeader(section)) +
                               "; the repeat is ignored.");
      } else {
        current = section;
        reading = true;
        out.sections_read[index] = true;
      }
      continue;
    }
    if (reading) ReadRecord(current, line, out);
  }

  for (int i = 0; i < kSectionCount; ++i)
    if (!out.sections_read[static_cast<std::size_t>(i)])
      out.messages.push_back("The key file has no " + std::string(SectionHeader(static_cast<Section>(i))) + ".");
  if (out.region == "09" || out.region == "9") MergeRegion9Volumes(out.volumes);
  return out;
}

void MergeRegion9Volumes(std::vector<VolumeEquation>& volumes) {
  std::map<std::pair<std::string, std::string>, std::vector<const VolumeEquation*>, LessNoCase> groups;
  for (const VolumeEquation& e : volumes) groups[{e.species, e.product}].push_back(&e);
  std::vector<VolumeEquation> merged;
  merged.reserve(groups.size());
  for (const auto& [key, members] : groups) merged.push_back(MergeGroup(members));
  volumes = std::move(merged);
}

}  // namespace sw::legacy::keyfile
