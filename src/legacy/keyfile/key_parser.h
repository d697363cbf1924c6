// Reads the equation sections of a key file into plain structs: line 1 for
// the region, then every section wherever it stands, each at most once.
//
// Not for: the report list (report_codes.h) or cruise file tables
// (key_reader.h stores what this gives).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "legacy/keyfile/key_records.h"
#include "legacy/keyfile/section_headers.h"
#include "legacy/line.h"

namespace sw::legacy::keyfile {

struct KeyEquations {
  std::string region;  // the key file's region, normalised
  std::vector<VolumeEquation> volumes;
  std::vector<ValueEquation> values;
  std::vector<WeightEquation> weights;
  std::vector<QualityEquation> qualities;
  std::array<bool, kSectionCount> sections_read{};
  std::vector<std::string> messages;  // what was missing, repeated or ignored
};

// Reads line 1 and then scans the rest of the file once. A section starts at
// its header line and ends at the next line whose first three characters are
// a stop word; a repeated section is skipped; "END" ends the scan. A missing
// header loses only its own section. Region "09" files get their volume
// equations merged (MergeRegion9Volumes).
KeyEquations ParseEquationSections(LineReader& reader);

// One row per (species, product), in ascending order without regard to case,
// with region "09": products other than "01" take the last member's number
// with flags "00110"; product "01" takes the last number starting "90" with
// flags "01100", and flag 4 when a member starts "911" or "921".
void MergeRegion9Volumes(std::vector<VolumeEquation>& volumes);

}  // namespace sw::legacy::keyfile
