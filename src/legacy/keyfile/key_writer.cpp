// Writing key file sections from cruise file tables (see key_writer.h).
#include "legacy/keyfile/key_writer.h"

#include <algorithm>
#include <array>

#include "cruisedb/columns.h"
#include "legacy/keyfile/report_codes.h"
#include "legacy/keyfile/section_format.h"

namespace sw::legacy::keyfile {
namespace {

namespace col = cruisedb::col;
using storage::View;

std::size_t RowCount(const View& view, std::size_t rows) { return std::min(rows, view.Size()); }

template <std::size_t N>
std::array<double, N> Coefficients(const std::array<storage::BoundFloat, N>& columns, std::size_t row) {
  std::array<double, N> out{};
  for (std::size_t i = 0; i < N; ++i) out[i] = columns[i].Get(row);
  return out;
}

}  // namespace

std::vector<std::string> LoadReportCodes(const View& config, std::size_t rows) {
  // Every row is examined, so that codes stored before the legacy settings
  // rows are not lost.
  const auto key = config.Bind(col::Key);
  const auto value = config.Bind(col::Value);
  std::vector<std::string> codes;
  for (std::size_t r = 0; r < RowCount(config, rows); ++r)
    if (key.Get(r) == cruisedb::config::Reports) codes.push_back(value.Get(r));
  return codes;
}

std::vector<VolumeEquation> LoadVolumeEquations(const View& view, std::size_t rows) {
  const auto species = view.Bind(col::VolEqSpecie);
  const auto product = view.Bind(col::VolEqPP);
  const auto number = view.Bind(col::VolEqNum);
  const auto stump = view.Bind(col::VolEqStump);
  const auto top_p = view.Bind(col::VolEqTopDIBP);
  const auto top_s = view.Bind(col::VolEqTopDIBS);
  const auto flags = view.Bind(col::VolEqFlags);
  const auto us_height = view.Bind(col::VolEqUSHgt);
  const auto ref_height = view.Bind(col::VolEqRefHgt);
  const auto zscore = view.Bind(col::VolEqZscore);
  const auto region = view.Bind(col::VolEqRegion);
  std::vector<VolumeEquation> out;
  for (std::size_t r = 0; r < RowCount(view, rows); ++r) {
    VolumeEquation e;
    e.species = species.Get(r);
    e.product = product.Get(r);
    e.number = number.Get(r);
    e.stump = stump.Get(r);
    e.top_dib_primary = top_p.Get(r);
    e.top_dib_secondary = top_s.Get(r);
    e.flags = flags.Get(r);
    e.upper_stem_height = us_height.Get(r);
    e.reference_height = ref_height.Get(r);
    e.zscore = zscore.Get(r);
    e.region = region.Get(r);
    out.push_back(std::move(e));
  }
  return out;
}

std::vector<ValueEquation> LoadValueEquations(const View& view, std::size_t rows) {
  const auto species = view.Bind(col::ValEqSpecie);
  const auto product = view.Bind(col::ValEqPP);
  const auto number = view.Bind(col::ValEqNum);
  const auto grade = view.Bind(col::ValEqGrade);
  const auto region = view.Bind(col::ValEqRegion);
  const std::array<storage::BoundFloat, 6> coefficients = {
      view.Bind(col::ValEqCoef1), view.Bind(col::ValEqCoef2), view.Bind(col::ValEqCoef3),
      view.Bind(col::ValEqCoef4), view.Bind(col::ValEqCoef5), view.Bind(col::ValEqCoef6)};
  std::vector<ValueEquation> out;
  for (std::size_t r = 0; r < RowCount(view, rows); ++r) {
    ValueEquation e;
    e.species = species.Get(r);
    e.product = product.Get(r);
    e.number = number.Get(r);
    e.grade = grade.Get(r);
    e.coefficients = Coefficients(coefficients, r);
    e.region = region.Get(r);
    out.push_back(std::move(e));
  }
  return out;
}

std::vector<WeightEquation> LoadWeightEquations(const View& view, std::size_t rows) {
  const auto species = view.Bind(col::WgtEqSpecie);
  const auto product = view.Bind(col::WgtEqPP);
  const auto number = view.Bind(col::WgtEqNum);
  const auto live_dead = view.Bind(col::WgtEqLiveDead);
  const auto factor = view.Bind(col::WgtEqFactor);
  const auto percent = view.Bind(col::WgtEqPercent);
  std::vector<WeightEquation> out;
  for (std::size_t r = 0; r < RowCount(view, rows); ++r) {
    WeightEquation e;
    e.species = species.Get(r);
    e.product = product.Get(r);
    e.number = number.Get(r);
    e.live_dead = live_dead.Get(r);
    e.factor = factor.Get(r);
    e.percent = percent.Get(r);
    out.push_back(std::move(e));
  }
  return out;
}

std::vector<QualityEquation> LoadQualityEquations(const View& view, std::size_t rows) {
  const auto species = view.Bind(col::QAEqSpecie);
  const auto number = view.Bind(col::QAEqNum);
  const auto year = view.Bind(col::QAEqYear);
  const auto grade = view.Bind(col::QAEqGrade);
  const std::array<storage::BoundFloat, 6> coefficients = {
      view.Bind(col::QAEqCoef1), view.Bind(col::QAEqCoef2), view.Bind(col::QAEqCoef3),
      view.Bind(col::QAEqCoef4), view.Bind(col::QAEqCoef5), view.Bind(col::QAEqCoef6)};
  std::vector<QualityEquation> out;
  for (std::size_t r = 0; r < RowCount(view, rows); ++r) {
    QualityEquation e;
    e.species = species.Get(r);
    e.number = number.Get(r);
    e.year = year.Get(r);
    e.grade = grade.Get(r);
    e.coefficients = Coefficients(coefficients, r);
    out.push_back(std::move(e));
  }
  return out;
}

void WriteReportCodes(const View& config, std::size_t rows, std::ostream& out) {
  out << FormatReportLines(LoadReportCodes(config, rows));
}
void WriteVolumeSection(const View& view, std::size_t rows, std::ostream& out) {
  out << FormatVolumeSection(LoadVolumeEquations(view, rows));
}
void WriteValueSection(const View& view, std::size_t rows, std::ostream& out) {
  out << FormatValueSection(LoadValueEquations(view, rows));
}
void WriteWeightSection(const View& view, std::size_t rows, std::ostream& out) {
  out << FormatWeightSection(LoadWeightEquations(view, rows));
}
void WriteQualitySection(const View& view, std::size_t rows, std::ostream& out) {
  out << FormatQualitySection(LoadQualityEquations(view, rows));
}

}  // namespace sw::legacy::keyfile
