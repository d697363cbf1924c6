// The Version 7 key file body and headers (see key_export.h).
//
// The equation rows are loaded once, checked against their columns (a value
// that does not fit would shift or lose the rest of its record, so the file
// is then not written) and formatted by the section writers.
#include "legacy/keyfile/key_export.h"

#include <array>
#include <ostream>

#include "cruisedb/columns.h"
#include "legacy/jobfile/export_files.h"
#include "legacy/keyfile/report_codes.h"
#include "legacy/keyfile/key_writer.h"
#include "legacy/keyfile/section_format.h"
#include "legacy/line.h"

namespace sw::legacy::keyfile {
namespace {

namespace col = cruisedb::col;
namespace table = cruisedb::table;

// The equation tables as rows, and the check of every value against the
// columns of its record.
struct KeyBody {
  std::vector<std::string> reports;
  std::vector<VolumeEquation> volume;
  std::vector<ValueEquation> value;
  std::vector<WeightEquation> weight;
  std::vector<QualityEquation> quality;
};

class FieldChecker {
 public:
  FieldChecker(ExportReport& report, std::string_view table, std::size_t row)
      : report_(report), table_(table), row_(row) {}
  void Text(const storage::StringColumn& column, const std::string& text, std::size_t width) const {
    if (!FitsField(text, width)) Refuse(column.name, text, width);
  }
  // `room`: the columns the digits may take (a field whose first column
  // must stay blank has one less than its width).
  template <class T>
  void Number(std::string_view column, const char* format, T value, std::size_t width) const {
    Number(column, format, value, width, width);
  }
  template <class T>
  void Number(std::string_view column, const char* format, T value, std::size_t width, std::size_t room) const {
    std::string written = legacy::Format(format, value);
    std::size_t first = written.find_first_not_of(' ');
    std::size_t digits = first == std::string::npos ? 0 : written.size() - first;
    if (written.size() > width || digits > room) Refuse(column, written, room);
  }

 private:
  void Refuse(std::string_view column, const std::string& value, std::size_t width) const {
    report_.Refuse(table_, row_, column, value, "does not fit in " + std::to_string(width) + " columns");
  }
  ExportReport& report_;
  std::string_view table_;
  std::size_t row_;
};

void CheckVolume(const std::vector<VolumeEquation>& rows, ExportReport& report) {
  namespace l = volume_layout;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const VolumeEquation& e = rows[r];
    FieldChecker c(report, table::VolumeEquationTable, r);
    c.Text(col::VolEqSpecie, e.species, l::kSpecies.width());
    c.Text(col::VolEqPP, e.product, l::kProduct.width());
    c.Text(col::VolEqNum, e.number, l::kNumber.width());
    c.Number(col::VolEqStump.name, "%3.1f", e.stump, l::kStump.width());
    c.Number(col::VolEqTopDIBP.name, "%4.1f", e.top_dib_primary, l::kTopDibPrimary.width());
    c.Number(col::VolEqTopDIBS.name, "%4.1f", e.top_dib_secondary, l::kTopDibSecondary.width());
    c.Number(col::VolEqZscore.name, "%7.3f", e.zscore, l::kZscore.width());
    c.Number(col::VolEqUSHgt.name, "%3d", e.upper_stem_height, l::kUpperStemHeight.width());
    c.Number(col::VolEqRefHgt.name, "%3d", e.reference_height, l::kReferenceHeight.width());
  }
}

void CheckValue(const std::vector<ValueEquation>& rows, ExportReport& report) {
  namespace l = value_layout;
  static constexpr std::array kCoefficients{col::ValEqCoef1, col::ValEqCoef2, col::ValEqCoef3,
                                            col::ValEqCoef4, col::ValEqCoef5, col::ValEqCoef6};
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const ValueEquation& e = rows[r];
    FieldChecker c(report, table::ValueEquationTable, r);
    c.Text(col::ValEqSpecie, e.species, l::kSpecies.width());
    c.Text(col::ValEqPP, e.product, l::kProduct.width());
    c.Text(col::ValEqNum, e.number, l::kNumber.width());
    c.Text(col::ValEqGrade, e.grade, l::kGrade.width());
    for (std::size_t i = 0; i < e.coefficients.size(); ++i)
      c.Number(kCoefficients[i].name, l::kCoefficientFormat, e.coefficients[i], l::kCoefficientWidth);
  }
}

// A percent that fills all nine of its columns would be read back as part of
// the factor, so the percent keeps its first column blank.
void CheckWeight(const std::vector<WeightEquation>& rows, ExportReport& report) {
  namespace l = weight_layout;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const WeightEquation& e = rows[r];
    FieldChecker c(report, table::WeightEquationTable, r);
    c.Text(col::WgtEqSpecie, e.species, l::kSpecies.width());
    c.Text(col::WgtEqPP, e.product, l::kProduct.width());
    c.Text(col::WgtEqNum, e.number, l::kNumber.width());
    c.Number(col::WgtEqFactor.name, "%9.4f", e.factor, l::kFactor.width());
    c.Number(col::WgtEqPercent.name, "%9.4f", e.percent, l::kPercent.width(), l::kPercent.width() - 1);
    c.Text(col::WgtEqLiveDead, e.live_dead, l::kLiveDead.width());
  }
}

void CheckQuality(const std::vector<QualityEquation>& rows, ExportReport& report) {
  namespace l = quality_layout;
  static constexpr std::array kCoefficients{col::QAEqCoef1, col::QAEqCoef2, col::QAEqCoef3,
                                            col::QAEqCoef4, col::QAEqCoef5, col::QAEqCoef6};
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const QualityEquation& e = rows[r];
    FieldChecker c(report, table::QAEquationTable, r);
    c.Text(col::QAEqSpecie, e.species, l::kSpecies.width());
    c.Text(col::QAEqNum, e.number, l::kNumber.width());
    c.Number(col::QAEqYear.name, "%6d", e.year, l::kYear.width());
    c.Text(col::QAEqGrade, e.grade, l::kGrade.width());
    for (std::size_t i = 0; i < e.coefficients.size(); ++i)
      c.Number(kCoefficients[i].name, "%8.4f", e.coefficients[i], l::kCoefficientWidth);
  }
}

KeyBody LoadKeyBody(const cruisedb::CruiseTables& t, ExportReport& report) {
  KeyBody body;
  body.reports = LoadReportCodes(t.config, t.config.Size());
  body.volume = LoadVolumeEquations(t.volume, t.volume.Size());
  body.value = LoadValueEquations(t.value, t.value.Size());
  body.weight = LoadWeightEquations(t.weight, t.weight.Size());
  body.quality = LoadQualityEquations(t.quality, t.quality.Size());
  CheckVolume(body.volume, report);
  CheckValue(body.value, report);
  CheckWeight(body.weight, report);
  CheckQuality(body.quality, report);
  for (std::size_t i = 0; i < body.reports.size(); ++i)
    if (body.reports[i].find_first_of(std::string_view(",\n\r\0", 4)) != std::string::npos)
      report.Refuse(table::GlobalConfigurationTable, i, col::Value.name, body.reports[i],
                    "a report code cannot hold a comma or a line end");
  return body;
}

}  // namespace

std::string ExportKeyHeader(std::string_view region, const std::filesystem::path& cruise_path,
                            const cruisedb::CruiseTables& tables, ExportReport& report) {
  const std::string name = BareFileName(ReplaceExtension(cruise_path, "").string());
  std::string cruise_type;
  if (tables.cruise.Size() > 0)
    cruise_type = tables.cruise.Bind(col::CruiseType).Get(0);
  else
    report.Note(std::string(table::CruiseTable) + " holds no rows; the key file has no cruise type");
  return std::string(region) + cruise_type + "\n" + name + ".job\n" + name + ".out\n";
}

std::string Version6KeyHeader(std::string_view region, const std::filesystem::path& job_path,
                              const std::filesystem::path& report_path) {
  return std::string(region) + "\n" + BareFileName(job_path.string()) + "\n" + BareFileName(report_path.string()) +
         "\n";
}

bool WriteKeyFile(const std::string& header, const cruisedb::CruiseTables& tables, ExportReport& report,
                  std::ostream& out) {
  KeyBody body = LoadKeyBody(tables, report);
  if (report.refused()) return false;
  out << header << FormatReportLines(body.reports) << FormatVolumeSection(body.volume)
      << FormatValueSection(body.value) << FormatWeightSection(body.weight) << FormatQualitySection(body.quality)
      << "END\n";
  return static_cast<bool>(out);
}

}  // namespace sw::legacy::keyfile
