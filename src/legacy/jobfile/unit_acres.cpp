// One rule for the acres of 2A and 4A records (see unit_acres.h).
#include "legacy/jobfile/unit_acres.h"

#include "legacy/jobfile/job_layouts.h"
#include "legacy/line.h"

namespace sw::legacy::jobfile {
namespace {

std::optional<std::string> FitField(const FieldSpec& def, double value) {
  int width = 0, precision = 0;
  if (!ParseFixedFormat(def.format, width, precision)) return std::nullopt;
  return FitDecimals(value, width, precision);
}

}  // namespace

std::optional<std::string> StratumUnitAcresText(double area) {
  // Through the 2A text first, so that rounding to the 2A field and then to
  // the 4A field gives what a reader of the 2A record computes again.
  std::optional<std::string> unit = FitField(layouts::kUnit2AFields[layouts::u2Area], area);
  if (!unit) return std::nullopt;
  return FitField(layouts::kStratumUnit4AFields[layouts::su4UnitAcres], Atof(*unit));
}

bool UnitAcresAgree(double unit_area, double stratum_unit_acres) {
  std::optional<std::string> from_unit = StratumUnitAcresText(unit_area);
  std::optional<std::string> from_stratum = StratumUnitAcresText(stratum_unit_acres);
  if (!from_unit || !from_stratum) return unit_area == stratum_unit_acres;
  if (*from_unit == *from_stratum) return true;
  return Format("%6.2f", unit_area).substr(0, 6) == Format("%6.2f", stratum_unit_acres).substr(0, 6);
}

}  // namespace sw::legacy::jobfile
