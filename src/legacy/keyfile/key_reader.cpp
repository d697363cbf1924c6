// Storing key file contents in cruise file tables (see key_reader.h).
#include "legacy/keyfile/key_reader.h"

#include "cruisedb/columns.h"
#include "cruisedb/settings.h"

namespace sw::legacy::keyfile {
namespace {

namespace col = cruisedb::col;
namespace config = cruisedb::config;
using storage::Row;
using storage::Status;
using storage::View;

float F(double value) { return static_cast<float>(value); }

Status AddRow(View& view, const Row& row, std::string_view table) {
  if (view.Add(row) < 0) return Status::Error("Cannot add a row to " + std::string(table));
  return Status::Ok();
}

Status StoreVolume(View& view, const VolumeEquation& e) {
  Row row;
  row.Set(col::VolEqSpecie, e.species)
      .Set(col::VolEqPP, e.product)
      .Set(col::VolEqNum, e.number)
      .Set(col::VolEqStump, F(e.stump))
      .Set(col::VolEqTopDIBP, F(e.top_dib_primary))
      .Set(col::VolEqTopDIBS, F(e.top_dib_secondary))
      .Set(col::VolEqFlags, e.flags)
      .Set(col::VolEqUSHgt, e.upper_stem_height)
      .Set(col::VolEqRefHgt, e.reference_height)
      .Set(col::VolEqZscore, F(e.zscore))
      .Set(col::VolEqRegion, e.region);
  return AddRow(view, row, cruisedb::table::VolumeEquationTable);
}

Status StoreValue(View& view, const ValueEquation& e) {
  static constexpr const storage::FloatColumn* kCoefficients[] = {&col::ValEqCoef1, &col::ValEqCoef2,
                                                                   &col::ValEqCoef3, &col::ValEqCoef4,
                                                                   &col::ValEqCoef5, &col::ValEqCoef6};
  Row row;
  row.Set(col::ValEqSpecie, e.species)
      .Set(col::ValEqPP, e.product)
      .Set(col::ValEqNum, e.number)
      .Set(col::ValEqGrade, e.grade)
      .Set(col::ValEqRegion, e.region);
  for (std::size_t i = 0; i < e.coefficients.size(); ++i) row.Set(*kCoefficients[i], F(e.coefficients[i]));
  return AddRow(view, row, cruisedb::table::ValueEquationTable);
}

Status StoreWeight(View& view, const WeightEquation& e) {
  Row row;
  row.Set(col::WgtEqSpecie, e.species)
      .Set(col::WgtEqPP, e.product)
      .Set(col::WgtEqNum, e.number)
      .Set(col::WgtEqLiveDead, e.live_dead)
      .Set(col::WgtEqFactor, F(e.factor))
      .Set(col::WgtEqPercent, F(e.percent));
  return AddRow(view, row, cruisedb::table::WeightEquationTable);
}

Status StoreQuality(View& view, const QualityEquation& e) {
  static constexpr const storage::FloatColumn* kCoefficients[] = {&col::QAEqCoef1, &col::QAEqCoef2,
                                                                   &col::QAEqCoef3, &col::QAEqCoef4,
                                                                   &col::QAEqCoef5, &col::QAEqCoef6};
  Row row;
  row.Set(col::QAEqSpecie, e.species)
      .Set(col::QAEqNum, e.number)
      .Set(col::QAEqYear, e.year)
      .Set(col::QAEqGrade, e.grade);
  for (std::size_t i = 0; i < e.coefficients.size(); ++i) row.Set(*kCoefficients[i], F(e.coefficients[i]));
  return AddRow(view, row, cruisedb::table::QAEquationTable);
}

template <class Equation, class Store>
Status StoreAll(View& view, const std::vector<Equation>& equations, Store store) {
  for (const Equation& e : equations) {
    Status status = store(view, e);
    if (!status.ok()) return status;
  }
  return Status::Ok();
}

}  // namespace

Status StoreLegacySettings(View& config, const std::vector<std::string>& codes, std::string_view key_file,
                           std::string_view job_file, std::string_view report_file, std::string_view region) {
  const std::pair<std::string_view, std::string_view> settings[] = {{config::LegacyKeyFile, key_file},
                                                                     {config::LegacyJobFile, job_file},
                                                                     {config::LegacyReportFile, report_file},
                                                                     {config::RegionNumber, region}};
  for (const auto& [key, value] : settings) {
    Status status = cruisedb::AddSetting(config, config::Processing, key, value);
    if (!status.ok()) return status;
  }
  for (const std::string& code : codes) {
    if (code.empty() || code[0] == ' ') continue;
    Status status = cruisedb::AddSetting(config, config::Processing, config::Reports, code);
    if (!status.ok()) return status;
  }
  return Status::Ok();
}

Status StoreEquations(const KeyEquations& equations, View& volume, View& value, View& weight, View& quality) {
  Status status = StoreAll(volume, equations.volumes, StoreVolume);
  if (status.ok()) status = StoreAll(value, equations.values, StoreValue);
  if (status.ok()) status = StoreAll(weight, equations.weights, StoreWeight);
  if (status.ok()) status = StoreAll(quality, equations.qualities, StoreQuality);
  return status;
}

SectionsRead ReadEquationSections(LineReader& file, View& volume, View& value, View& weight, View& quality) {
  KeyEquations equations = ParseEquationSections(file);
  SectionsRead result;
  result.status = StoreEquations(equations, volume, value, weight, quality);
  result.messages = std::move(equations.messages);
  return result;
}

}  // namespace sw::legacy::keyfile
