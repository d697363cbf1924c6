// The sections of a Version 7 key file as text, from plain structs: the
// header line followed by one record per equation.
//
// Not for: the header lines 1 to 3 or "END" (the export driver writes those),
// nor reading tables (key_writer.h).
#pragma once

#include <string>
#include <vector>

#include "legacy/keyfile/key_records.h"

namespace sw::legacy::keyfile {

std::string FormatVolumeSection(const std::vector<VolumeEquation>& equations);
std::string FormatValueSection(const std::vector<ValueEquation>& equations);
std::string FormatWeightSection(const std::vector<WeightEquation>& equations);
std::string FormatQualitySection(const std::vector<QualityEquation>& equations);

}  // namespace sw::legacy::keyfile
