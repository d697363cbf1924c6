// The acres of a cutting unit as a job file carries them twice: in the unit's
// 2A record (7 columns, two decimals) and in each 4A record of a stratum that
// covers the unit (6 columns, two decimals). A large area fits the 2A field
// but not the 4A one; the 4A record then carries it with fewer decimals.
// The export writes 4A acres with StratumUnitAcresText and the import's
// check that the two records agree uses UnitAcresAgree, one rule for both.
//
// Not for: reading or writing whole records (job_record.h, job_writer.h).
#pragma once

#include <optional>
#include <string>

namespace sw::legacy::jobfile {

// The 4A acres text for a unit of `area` acres: the area as its 2A record
// writes it, then with the most decimals (at most two, rounded) that fit the
// 4A field. Empty when the whole part does not fit 6 columns.
std::optional<std::string> StratumUnitAcresText(double area);

// True when a 4A record's acres belong to a 2A record's area: both give the
// same 4A text, or the 4A text is the 2A area cut to six columns (as lines
// shifted by an over-wide number in older files read back).
bool UnitAcresAgree(double unit_area, double stratum_unit_acres);

}  // namespace sw::legacy::jobfile
