// Cruise file tables into the report list and equation sections of a
// Version 7 key file.
//
// Not for: the header lines 1 to 3, "END", or choosing file names (the
// export driver does that).
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "legacy/keyfile/key_records.h"
#include "storage/storage.h"

namespace sw::legacy::keyfile {

// The first `rows` rows of a table (at most its size) as structs.
std::vector<std::string> LoadReportCodes(const storage::View& config, std::size_t rows);
std::vector<VolumeEquation> LoadVolumeEquations(const storage::View& view, std::size_t rows);
std::vector<ValueEquation> LoadValueEquations(const storage::View& view, std::size_t rows);
std::vector<WeightEquation> LoadWeightEquations(const storage::View& view, std::size_t rows);
std::vector<QualityEquation> LoadQualityEquations(const storage::View& view, std::size_t rows);

// The report lines from every "Reports" row of GlobalConfigurationTable, in
// row order (an empty list is one empty line).
void WriteReportCodes(const storage::View& config, std::size_t rows, std::ostream& out);
// Each writes its section header and one record per row.
void WriteVolumeSection(const storage::View& view, std::size_t rows, std::ostream& out);
void WriteValueSection(const storage::View& view, std::size_t rows, std::ostream& out);
void WriteWeightSection(const storage::View& view, std::size_t rows, std::ostream& out);
void WriteQualitySection(const storage::View& view, std::size_t rows, std::ostream& out);

}  // namespace sw::legacy::keyfile
