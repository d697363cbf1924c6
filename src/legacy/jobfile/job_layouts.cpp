// Record identification, and compile-time checks that every field index name
// points at the descriptor of that field (see job_layouts.h).
#include "legacy/jobfile/job_layouts.h"

namespace sw::legacy::jobfile {
namespace {
using namespace layouts;
namespace col = sw::cruisedb::col;

template <std::size_t N>
consteval bool At(const std::array<FieldSpec, N>& fields, std::size_t index, std::string_view name) {
  return index < N && fields[index].name == name;
}

static_assert(At(kCruise1AFields, c1Purpose, col::Purpose.name) && At(kCruise1AFields, c1SaleNo, col::SaleNo.name));
static_assert(At(kUnit2AFields, u2PayUnit, col::PayUnit.name) && At(kUnit2AFields, u2Area, col::Area.name));
static_assert(At(kStratum3AFields, s3Year, col::Year.name) && At(kStratum3AFields, s3BAF, col::BAF.name));
static_assert(At(kStratumUnit4AFields, su4UnitAcres, col::UnitAcres.name));
static_assert(At(kTree7AFields, kTree, col::Tree.name) && At(kTree7AFields, t7aSp, col::Sp.name) &&
              At(kTree7AFields, t7aKPI, col::KPI.name) && At(kTree7AFields, t7aSlopePct, col::SlopePct.name) &&
              At(kTree7AFields, t7aLD, col::LD.name) && At(kTree7AFields, t7aCR, col::CR.name));
static_assert(At(kCount7AFields, c7SumKPI, col::SumKPI.name) && At(kCount7AFields, c7LD, col::LD.name));
static_assert(At(kNullPlot7AFields, n7CM, col::CM.name));
static_assert(At(kTree7BFields, t7bDBH, col::DBH.name) && At(kTree7BFields, t7bAvgZForm, col::AvgZForm.name) &&
              At(kTree7BFields, t7bVoidPct, col::VoidPct.name));
static_assert(At(kLog7CGroupFields, l7cPctRecChip, col::PctRecChip.name));
static_assert(At(kLog7DFields, l7dSEDi, col::SEDi.name) && At(kLog7DFields, l7dPctSeenDef, col::PctSeenDef.name) &&
              At(kLog7DFields, l7dSort, col::Sort.name));
static_assert(At(kRemarks7EFields, r7eRemarks, col::Remarks.name));
static_assert(At(kCruise6Fields, c6SaleName, col::SaleName.name) && At(kCruise6Fields, c6Year, col::CalYear.name));
static_assert(At(kUnit6Fields, u6Description, col::Description.name));
static_assert(At(kStratum6Fields, s6Year, col::Year.name) && At(kStratum6Fields, s6BAF, col::BAF.name));
static_assert(At(kTree6Fields, t6Kind, col::CM.name) && At(kTree6Fields, t6KPI, col::KPI.name) &&
              At(kTree6Fields, t6SlopePct, col::SlopePct.name) && At(kTree6Fields, t6UStemDOB, col::UStemDOB.name) &&
              At(kTree6Fields, t6Defect2, kDefect2));
static_assert(At(kLogGrade6GroupFields, lg6PctSeenDef, col::PctSeenDef.name) &&
              At(kLogGrade6FirstGroupFields, lg6PctSeenDef, col::PctSeenDef.name));
static_assert(At(kLogVolume6GroupFields, lv6NCUFT, col::NCUFT.name));

}  // namespace

RecordType IdentifyRecord(std::string_view line, int version) {
  if (line.empty()) return RecordType::Ignored;
  switch (line[0]) {
    case '1': return RecordType::Cruise;
    case '2': return RecordType::CuttingUnit;
    case '3': return RecordType::Stratum;
    case '4': return RecordType::StratumUnit;
    case '6':
    case '7': break;
    default: return RecordType::Ignored;
  }
  char part = line.size() > 1 ? line[1] : '\0';
  switch (part) {
    case 'A': return RecordType::PartA;
    case 'B': return RecordType::PartB;
    case 'C': return RecordType::PartC;
    case 'D': return version == 6 ? RecordType::Ignored : RecordType::PartD;
    case 'E': return RecordType::PartE;
    default: return RecordType::Ignored;
  }
}

const RecordLayout* ReadingLayout(RecordType type, int version) {
  bool v6 = version == 6;
  switch (type) {
    case RecordType::Cruise: return v6 ? &kCruise6 : &kCruise1A;
    case RecordType::CuttingUnit: return v6 ? &kUnit6 : &kUnit2A;
    case RecordType::Stratum: return v6 ? &kStratum6 : &kStratum3A;
    case RecordType::StratumUnit: return &kStratumUnit4A;
    case RecordType::PartA: return v6 ? &kTree6 : &kTree7A;
    case RecordType::PartB: return v6 ? &kLogGrade6 : &kTree7B;
    case RecordType::PartC: return v6 ? &kLogVolume6 : &kLog7C;
    case RecordType::PartD: return v6 ? nullptr : &kLog7D;
    case RecordType::PartE: return v6 ? &kTree6 : &kRemarks7E;
    case RecordType::Ignored: return nullptr;
  }
  return nullptr;
}

}  // namespace sw::legacy::jobfile
