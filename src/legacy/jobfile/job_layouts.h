// Every record layout of the legacy job file, Version 7 (read and written)
// and Version 6 (read only), as field-descriptor tables, with the field index
// names that the readers and the writer use, and the record identification
// by first and second character.
//
// Version 7 formats are the exact printf conversions the job file is written
// with. Version 6 records are never written; their fields carry "%-Ns" so that
// a parsed line formats back to the same text.
//
// Not for: what a reader does with a field (job_record_readers.h).
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "cruisedb/columns.h"
#include "legacy/jobfile/job_record.h"

namespace sw::legacy::jobfile {
namespace layout_detail {
namespace col = sw::cruisedb::col;
inline constexpr std::string_view kCodeName = "RecordCode";
inline constexpr std::string_view kBlank = "Blank";
inline constexpr std::string_view kFiller = "Filler";
}  // namespace layout_detail

// Field indices shared by every layout that carries the common key.
enum KeyField : std::size_t { kCode = 0, kCruiseNo, kStratum, kCutUnit, kPlot, kTree, kKeyFieldCount };

#define SW_JOB_KEY_FIELDS                                                                              \
  FieldSpec{layout_detail::kCodeName, 0, 2, Conv::Text, "%s"},                                            \
      FieldSpec{layout_detail::col::CruiseNo.name, 2, 7, Conv::Text, "%5s"},                          \
      FieldSpec{layout_detail::col::Stratum.name, 7, 9, Conv::Text, "%2s"},                           \
      FieldSpec{layout_detail::col::CutUnit.name, 9, 12, Conv::Text, "%3s"},                          \
      FieldSpec{layout_detail::col::Plot.name, 12, 16, Conv::Text, "%4s"},                            \
      FieldSpec{layout_detail::col::Tree.name, 16, 19, Conv::Text, "%3s"}
#define SW_JOB_KEY_FIELDS_V6                                                                           \
  FieldSpec{layout_detail::kCodeName, 0, 2, Conv::Text, "%-2s"},                                          \
      FieldSpec{layout_detail::col::CruiseNo.name, 2, 7, Conv::Text, "%-5s"},                         \
      FieldSpec{layout_detail::col::Stratum.name, 7, 9, Conv::Text, "%-2s"},                          \
      FieldSpec{layout_detail::col::CutUnit.name, 9, 12, Conv::Text, "%-3s"},                         \
      FieldSpec{layout_detail::col::Plot.name, 12, 16, Conv::Text, "%-4s"},                           \
      FieldSpec{layout_detail::col::Tree.name, 16, 19, Conv::Text, "%-3s"}

namespace layouts {
using namespace layout_detail;

// ------------------------------------------------------------ Version 7 ---

// 1A cruise record.
enum Cruise1A : std::size_t { c1Code, c1CruiseNo, c1Blank, c1SaleNo, c1Region, c1Forest, c1District, c1CalYear,
                              c1MeasSys, c1SaleName, c1Purpose };
inline constexpr std::array<FieldSpec, 11> kCruise1AFields{{
    {kCodeName, 0, 2, Conv::Text, "%s"},
    {col::CruiseNo.name, 2, 7, Conv::Text, "%5s"},
    {kBlank, 7, 9, Conv::Text, "%2s"},
    {col::SaleNo.name, 9, 14, Conv::Text, "%5s"},
    {col::Region.name, 14, 16, Conv::Text, "%2s"},
    {col::Forest.name, 16, 18, Conv::Text, "%2s"},
    {col::District.name, 18, 20, Conv::Text, "%2s"},
    {col::CalYear.name, 20, 24, Conv::Text, "%4s"},
    {col::MeasSys.name, 24, 25, Conv::Text, "%1s"},
    {col::SaleName.name, 25, 50, Conv::Text, "%-25s"},
    {col::Purpose.name, 50, 60, Conv::Text, "%-10s"},
}};
inline constexpr RecordLayout kCruise1A{"1A", "1A", kCruise1AFields};

// 2A cutting unit record.
enum Unit2A : std::size_t { u2Code, u2CruiseNo, u2Blank, u2CutUnit, u2Area, u2Description, u2LogMeth, u2PayUnit };
inline constexpr std::array<FieldSpec, 8> kUnit2AFields{{
    {kCodeName, 0, 2, Conv::Text, "%s"},
    {col::CruiseNo.name, 2, 7, Conv::Text, "%5s"},
    {kBlank, 7, 9, Conv::Text, "%2s"},
    {col::CutUnit.name, 9, 12, Conv::Text, "%3s"},
    {col::Area.name, 12, 19, Conv::Real, "%7.2f"},
    {col::Description.name, 19, 44, Conv::Text, "%-25s"},
    {col::LogMeth.name, 44, 47, Conv::Text, "%3s"},
    {col::PayUnit.name, 47, 50, Conv::Text, "%3s"},
}};
inline constexpr RecordLayout kUnit2A{"2A", "2A", kUnit2AFields};

// 3A stratum record.
enum Stratum3A : std::size_t { s3Code, s3CruiseNo, s3Stratum, s3CruzMeth, s3BAF, s3FPSize, s3Description, s3Month,
                               s3Year };
inline constexpr std::array<FieldSpec, 9> kStratum3AFields{{
    {kCodeName, 0, 2, Conv::Text, "%s"},
    {col::CruiseNo.name, 2, 7, Conv::Text, "%5s"},
    {col::Stratum.name, 7, 9, Conv::Text, "%2s"},
    {col::CruzMeth.name, 9, 15, Conv::Text, "%-6s"},
    {col::BAF.name, 15, 21, Conv::Real, "%6.1f"},
    {col::FPSize.name, 21, 25, Conv::Real, "%4.0f"},
    {col::Description.name, 25, 50, Conv::Text, "%-25s"},
    {col::Month.name, 50, 52, Conv::Int, "%2d"},
    {col::Year.name, 52, 56, Conv::Int, "%4d"},
}};
inline constexpr RecordLayout kStratum3A{"3A", "3A", kStratum3AFields};

// 4A stratum-unit record (read alike in both versions).
enum StratumUnit4A : std::size_t { su4Code, su4CruiseNo, su4Stratum, su4CutUnit, su4UnitAcres };
inline constexpr std::array<FieldSpec, 5> kStratumUnit4AFields{{
    {kCodeName, 0, 2, Conv::Text, "%s"},
    {col::CruiseNo.name, 2, 7, Conv::Text, "%5s"},
    {col::Stratum.name, 7, 9, Conv::Text, "%2s"},
    {col::CutUnit.name, 9, 12, Conv::Text, "%3s"},
    {col::UnitAcres.name, 12, 18, Conv::Real, "%6.2f"},
}};
inline constexpr RecordLayout kStratumUnit4A{"4A", "4A", kStratumUnit4AFields};

// 7A tree record.
enum Tree7A : std::size_t { t7aSp = kKeyFieldCount, t7aProdP, t7aProdS, t7aSG, t7aCL, t7aCM, t7aTreeCnt, t7aUOMP,
                            t7aKPI, t7a3Pcode, t7aCDefP, t7aHDefP, t7aSDefP, t7aRecDefP, t7aCDefS, t7aHDefS,
                            t7aSDefS, t7aSlopePct, t7aInitials, t7aYC, t7aLD, t7aContrSpec, t7aTreeGrade,
                            t7aHgtFLL, t7aPoleLen, t7aClear, t7aCR };
inline constexpr std::array<FieldSpec, 33> kTree7AFields{{
    SW_JOB_KEY_FIELDS,
    {col::Sp.name, 19, 25, Conv::Text, "%-6s"},
    {col::ProdP.name, 25, 27, Conv::Text, "%2s"},
    {col::ProdS.name, 27, 29, Conv::Text, "%2s"},
    {col::SG.name, 29, 31, Conv::Text, "%2s"},
    {col::CL.name, 31, 32, Conv::Text, "%1s"},
    {col::CM.name, 32, 33, Conv::Text, "%1s"},
    {col::TreeCnt.name, 33, 38, Conv::Real, "%5d"},
    {col::UOMP.name, 38, 40, Conv::Text, "%2s"},
    {col::KPI.name, 40, 45, Conv::Long, "%5ld"},
    {col::ThreePcode.name, 45, 46, Conv::Text, "%1s"},
    {col::CDefP.name, 46, 49, Conv::Real, "%3.0f"},
    {col::HDefP.name, 49, 52, Conv::Real, "%3.0f"},
    {col::SDefP.name, 52, 55, Conv::Real, "%3.0f"},
    {col::RecDefP.name, 55, 58, Conv::Real, "%3.0f"},
    {col::CDefS.name, 58, 61, Conv::Real, "%3.0f"},
    {col::HDefS.name, 61, 64, Conv::Real, "%3.0f"},
    {col::SDefS.name, 64, 67, Conv::Real, "%3.0f"},
    {col::SlopePct.name, 67, 70, Conv::Real, "%3.0f"},
    {col::Initials.name, 70, 73, Conv::Text, "%-3s"},
    {col::YC.name, 73, 75, Conv::Text, "%2s"},
    {col::LD.name, 75, 76, Conv::Text, "%1s"},
    {col::ContrSpec.name, 76, 80, Conv::Text, "%-4s"},
    {col::TreeGrade.name, 80, 81, Conv::Text, "%1s"},
    {col::HgtFLL.name, 81, 83, Conv::Real, "%2d"},
    {col::PoleLen.name, 83, 85, Conv::Int, "%2d"},
    {col::Clear.name, 85, 86, Conv::Text, "%1s"},
    {col::CR.name, 86, 88, Conv::Text, "%2s"},
}};
inline constexpr RecordLayout kTree7A{"7A", "7A", kTree7AFields};

// Count record: a 7A written from one CountTable row. Plot and Tree are
// numbers the writer invents; LD stands in column 76.
enum Count7A : std::size_t { c7Code, c7CruiseNo, c7Stratum, c7CutUnit, c7Plot, c7Tree, c7Sp, c7ProdP, c7ProdS,
                             c7SG, c7CL, c7CM, c7Count, c7UOMP, c7SumKPI, c7Blanks, c7LD };
inline constexpr std::array<FieldSpec, 17> kCount7AFields{{
    {kCodeName, 0, 2, Conv::Text, "%s"},
    {col::CruiseNo.name, 2, 7, Conv::Text, "%5s"},
    {col::Stratum.name, 7, 9, Conv::Text, "%2s"},
    {col::CutUnit.name, 9, 12, Conv::Text, "%3s"},
    {col::Plot.name, 12, 16, Conv::Int, "%4d"},
    {col::Tree.name, 16, 19, Conv::Int, "%3d"},
    {col::Sp.name, 19, 25, Conv::Text, "%-6s"},
    {col::ProdP.name, 25, 27, Conv::Text, "%2s"},
    {col::ProdS.name, 27, 29, Conv::Text, "%2s"},
    {col::SG.name, 29, 31, Conv::Text, "%2s"},
    {col::CL.name, 31, 32, Conv::Text, "%1s"},
    {col::CM.name, 32, 33, Conv::Text, "%1s"},
    {col::Count.name, 33, 38, Conv::Long, "%5d"},
    {col::UOMP.name, 38, 40, Conv::Text, "%2s"},
    {col::SumKPI.name, 40, 45, Conv::Long, "%5ld"},
    {kBlank, 45, 76, Conv::Literal, "                               "},
    {col::LD.name, 76, 77, Conv::Text, "%1s"},
}};
inline constexpr RecordLayout kCount7A{"7A count", "7A", kCount7AFields};

// Null plot record: a 7A with the key, the CM mark and zero count and KPI.
enum NullPlot7A : std::size_t { n7Blanks = kKeyFieldCount, n7CM, n7Zeros };
inline constexpr std::array<FieldSpec, 9> kNullPlot7AFields{{
    SW_JOB_KEY_FIELDS,
    {kBlank, 19, 32, Conv::Literal, "             "},
    {col::CM.name, 32, 33, Conv::Text, "%1s"},
    {kFiller, 33, 45, Conv::Literal, "    0      0"},
}};
inline constexpr RecordLayout kNullPlot7A{"7A null plot", "7A", kNullPlot7AFields};

// The key-only 7B that follows a "3PPNT" null plot.
inline constexpr std::array<FieldSpec, 6> kKeyOnly7BFields{{SW_JOB_KEY_FIELDS}};
inline constexpr RecordLayout kKeyOnly7B{"7B key only", "7B", kKeyOnly7BFields};

// 7B tree measurement record.
enum Tree7B : std::size_t { t7bDBH = kKeyFieldCount, t7bDRCOB, t7bTotHt, t7bMrchHtT, t7bMrchHtLL, t7bMrchHtP,
                            t7bMrchHtS, t7bRefHtPct, t7bFC, t7bAvgZForm, t7bUStemDOB, t7bHgtUStem, t7bDBHBTR,
                            t7bDBHDBT, t7bTopDIBP, t7bTopDIBS, t7bDefectCode, t7bHt2Def, t7bDiamDefPt,
                            t7bVoidPct };
inline constexpr std::array<FieldSpec, 26> kTree7BFields{{
    SW_JOB_KEY_FIELDS,
    {col::DBH.name, 19, 24, Conv::Real, "%5.1f"},
    {col::DRCOB.name, 24, 29, Conv::Real, "%5.1f"},
    {col::TotHt.name, 29, 32, Conv::Real, "%3d"},
    {col::MrchHtT.name, 32, 33, Conv::Text, "%1s"},
    {col::MrchHtLL.name, 33, 35, Conv::Int, "%2d"},
    {col::MrchHtP.name, 35, 38, Conv::Real, "%3d"},
    {col::MrchHtS.name, 38, 41, Conv::Real, "%3d"},
    {col::RefHtPct.name, 41, 44, Conv::Int, "%3d"},
    {col::FC.name, 44, 46, Conv::Int, "%2d"},
    {col::AvgZForm.name, 46, 53, Conv::Real, "%7.3f"},
    {col::UStemDOB.name, 53, 57, Conv::Real, "%4.0f"},
    {col::HgtUStem.name, 57, 60, Conv::Real, "%3.0f"},
    {col::DBHBTR.name, 60, 65, Conv::Real, "%5.0f"},
    {col::DBHDBT.name, 65, 69, Conv::Real, "%4.0f"},
    {col::TopDIBP.name, 69, 73, Conv::Real, "%4.0f"},
    {col::TopDIBS.name, 73, 77, Conv::Real, "%4.0f"},
    {col::DefectCode.name, 77, 80, Conv::Text, "%3s"},
    {col::Ht2Def.name, 80, 83, Conv::Int, "%3d"},
    {col::DiamDefPt.name, 83, 87, Conv::Real, "%4.0f"},
    {col::VoidPct.name, 87, 89, Conv::Real, "%2.0f"},
}};
inline constexpr RecordLayout kTree7B{"7B", "7B", kTree7BFields};

// 7C log grade record: five 10-column log groups from column 19.
enum Log7CGroup : std::size_t { l7cLogNum, l7cGrade, l7cPctSeenDef, l7cPctRecChip };
inline constexpr std::array<FieldSpec, 4> kLog7CGroupFields{{
    {col::LogNum.name, 0, 3, Conv::Text, "%3s"},
    {col::Grade.name, 3, 4, Conv::Text, "%1s"},
    {col::PctSeenDef.name, 4, 7, Conv::Real, "%3.0f"},
    {col::PctRecChip.name, 7, 10, Conv::Real, "%3.0f"},
}};
inline constexpr std::array<FieldSpec, 6> kLog7CFields{{SW_JOB_KEY_FIELDS}};
inline constexpr std::array<GroupSpec, 5> kLog7CGroups{{
    {19, kLog7CGroupFields}, {29, kLog7CGroupFields}, {39, kLog7CGroupFields}, {49, kLog7CGroupFields},
    {59, kLog7CGroupFields},
}};
inline constexpr RecordLayout kLog7C{"7C", "7C", kLog7CFields, kLog7CGroups};

// 7D log volume record, one log. The diameters are the inside diameters
// SEDi and LEDi on both sides; PctSeenDef takes columns 62-64 and the sort
// code column 65, so that a written record reads back as it was written.
enum Log7D : std::size_t { l7dLogNum = kKeyFieldCount, l7dSEDi, l7dLEDi, l7dLength, l7dGrade, l7dGBDFT, l7dGCUFT,
                           l7dNBDFT, l7dNCUFT, l7dPctRecChip, l7dPctSeenDef, l7dSort };
inline constexpr std::array<FieldSpec, 18> kLog7DFields{{
    SW_JOB_KEY_FIELDS,
    {col::LogNum.name, 19, 22, Conv::Text, "%3s"},
    {col::SEDi.name, 22, 27, Conv::Real, "%5d"},
    {col::LEDi.name, 27, 32, Conv::Int, "%5d"},
    {col::Length.name, 32, 36, Conv::Int, "%4d"},
    {col::Grade.name, 36, 37, Conv::Text, "%1s"},
    {col::GBDFT.name, 37, 41, Conv::Real, "%4.0f"},
    {col::GCUFT.name, 41, 48, Conv::Real, "%7.0f"},
    {col::NBDFT.name, 48, 52, Conv::Real, "%4.0f"},
    {col::NCUFT.name, 52, 59, Conv::Real, "%7.0f"},
    {col::PctRecChip.name, 59, 62, Conv::Real, "%3.0f"},
    {col::PctSeenDef.name, 62, 65, Conv::Real, "%3.0f"},
    {col::Sort.name, 65, 66, Conv::Text, "%1s"},
}};
inline constexpr RecordLayout kLog7D{"7D", "7D", kLog7DFields};

// 7E tree remarks record.
enum Remarks7E : std::size_t { r7eRemarks = kKeyFieldCount };
inline constexpr std::array<FieldSpec, 7> kRemarks7EFields{{
    SW_JOB_KEY_FIELDS,
    {col::Remarks.name, 19, 84, Conv::Text, "%-65s"},
}};
inline constexpr RecordLayout kRemarks7E{"7E", "7E", kRemarks7EFields};

// ------------------------------------------------------------ Version 6 ---

// Cruise record: SaleNo and CruiseNo both from columns 2-6, two-digit year.
enum Cruise6 : std::size_t { c6Code, c6SaleNo, c6Filler, c6Forest, c6District, c6Year, c6SaleName };
inline constexpr std::array<FieldSpec, 7> kCruise6Fields{{
    {kCodeName, 0, 2, Conv::Text, "%-2s"},
    {col::SaleNo.name, 2, 7, Conv::Text, "%-5s"},
    {kFiller, 7, 9, Conv::Text, "%-2s"},
    {col::Forest.name, 9, 11, Conv::Text, "%-2s"},
    {col::District.name, 11, 13, Conv::Text, "%-2s"},
    {col::CalYear.name, 13, 15, Conv::Text, "%-2s"},
    {col::SaleName.name, 15, 40, Conv::Text, "%-25s"},
}};
inline constexpr RecordLayout kCruise6{"V6 1", "1A", kCruise6Fields};

// Cutting unit record (type 2, and every type 4 record).
enum Unit6 : std::size_t { u6Code, u6Filler, u6CutUnit, u6Area, u6LogMeth, u6Description };
inline constexpr std::array<FieldSpec, 6> kUnit6Fields{{
    {kCodeName, 0, 2, Conv::Text, "%-2s"},
    {kFiller, 2, 9, Conv::Text, "%-7s"},
    {col::CutUnit.name, 9, 12, Conv::Text, "%-3s"},
    {col::Area.name, 12, 18, Conv::Real, "%-6s"},
    {col::LogMeth.name, 18, 21, Conv::Text, "%-3s"},
    {col::Description.name, 21, 46, Conv::Text, "%-25s"},
}};
inline constexpr RecordLayout kUnit6{"V6 2", "2A", kUnit6Fields};

// Stratum record: two-digit year.
enum Stratum6 : std::size_t { s6Code, s6Filler1, s6Stratum, s6CruzMeth, s6Filler2, s6BAF, s6FPSize, s6Filler3,
                              s6Description, s6Month, s6Year };
inline constexpr std::array<FieldSpec, 11> kStratum6Fields{{
    {kCodeName, 0, 2, Conv::Text, "%-2s"},
    {kFiller, 2, 7, Conv::Text, "%-5s"},
    {col::Stratum.name, 7, 9, Conv::Text, "%-2s"},
    {col::CruzMeth.name, 9, 15, Conv::Text, "%-6s"},
    {kFiller, 15, 21, Conv::Text, "%-6s"},
    {col::BAF.name, 21, 26, Conv::Real, "%-5s"},
    {col::FPSize.name, 26, 30, Conv::Real, "%-4s"},
    {kFiller, 30, 33, Conv::Text, "%-3s"},
    {col::Description.name, 33, 58, Conv::Text, "%-25s"},
    {col::Month.name, 58, 60, Conv::Int, "%-2s"},
    {col::Year.name, 60, 62, Conv::Text, "%-2s"},
}};
inline constexpr RecordLayout kStratum6{"V6 3", "3A", kStratum6Fields};

// Tree record: the whole tree on one line (also count and null plot records).
// Columns 34-39 and 58-63 hold heights and defects by region.
inline constexpr std::string_view kHeight1 = "Height34";
inline constexpr std::string_view kHeight2 = "Height37";
inline constexpr std::string_view kDefect1 = "Defect58";
inline constexpr std::string_view kDefect2 = "Defect61";
enum Tree6 : std::size_t { t6Kind = kKeyFieldCount, t6Sp, t6DBH, t6TreeCnt, t6Height1, t6Height2, t6MrchHtT,
                           t6ProdP, t6UOMP, t6YC, t6LD, t6CL, t6SG, t63Pcode, t6TreeGrade, t6KPI, t6Defect1,
                           t6Defect2, t6HgtFLL, t6PoleLen, t6CR, t6Clear, t6SlopePct, t6Initials, t6Filler,
                           t6ContrSpec, t6FC, t6TopDIBP, t6DBHBTR, t6UStemDOB };
inline constexpr std::array<FieldSpec, 36> kTree6Fields{{
    SW_JOB_KEY_FIELDS_V6,
    {col::CM.name, 19, 20, Conv::Text, "%-1s"},
    {col::Sp.name, 20, 24, Conv::Text, "%-4s"},
    {col::DBH.name, 24, 29, Conv::Real, "%-5s"},
    {col::TreeCnt.name, 29, 34, Conv::Real, "%-5s"},
    {kHeight1, 34, 37, Conv::Real, "%-3s"},
    {kHeight2, 37, 40, Conv::Real, "%-3s"},
    {col::MrchHtT.name, 40, 41, Conv::Text, "%-1s"},
    {col::ProdP.name, 41, 43, Conv::Text, "%-2s"},
    {col::UOMP.name, 43, 45, Conv::Text, "%-2s"},
    {col::YC.name, 45, 47, Conv::Text, "%-2s"},
    {col::LD.name, 47, 48, Conv::Text, "%-1s"},
    {col::CL.name, 48, 49, Conv::Text, "%-1s"},
    {col::SG.name, 49, 51, Conv::Text, "%-2s"},
    {col::ThreePcode.name, 51, 52, Conv::Text, "%-1s"},
    {col::TreeGrade.name, 52, 53, Conv::Text, "%-1s"},
    {col::KPI.name, 53, 58, Conv::Long, "%-5s"},
    {kDefect1, 58, 61, Conv::Real, "%-3s"},
    {kDefect2, 61, 64, Conv::Real, "%-3s"},
    {col::HgtFLL.name, 64, 66, Conv::Real, "%-2s"},
    {col::PoleLen.name, 66, 68, Conv::Int, "%-2s"},
    {col::CR.name, 68, 70, Conv::Text, "%-2s"},
    {col::Clear.name, 70, 71, Conv::Text, "%-1s"},
    {col::SlopePct.name, 71, 74, Conv::Real, "%-3s"},
    {col::Initials.name, 74, 76, Conv::Text, "%-2s"},
    {kFiller, 76, 77, Conv::Text, "%-1s"},
    {col::ContrSpec.name, 77, 81, Conv::Text, "%-4s"},
    {col::FC.name, 81, 83, Conv::Int, "%-2s"},
    {col::TopDIBP.name, 83, 85, Conv::Real, "%-2s"},
    {col::DBHBTR.name, 85, 89, Conv::Real, "%-4s"},
    {col::UStemDOB.name, 89, 93, Conv::Real, "%-4s"},
}};
inline constexpr RecordLayout kTree6{"V6 A", "7A", kTree6Fields};

// Log grade record (second character B): seven logs, the first one column
// wider in its LogNum.
enum LogGrade6Group : std::size_t { lg6LogNum, lg6Grade, lg6PctSeenDef };
inline constexpr std::array<FieldSpec, 3> kLogGrade6FirstGroupFields{{
    {col::LogNum.name, 0, 4, Conv::Text, "%-4s"},
    {col::Grade.name, 4, 6, Conv::Text, "%-2s"},
    {col::PctSeenDef.name, 6, 9, Conv::Real, "%-3s"},
}};
inline constexpr std::array<FieldSpec, 3> kLogGrade6GroupFields{{
    {col::LogNum.name, 0, 3, Conv::Text, "%-3s"},
    {col::Grade.name, 3, 5, Conv::Text, "%-2s"},
    {col::PctSeenDef.name, 5, 8, Conv::Real, "%-3s"},
}};
inline constexpr std::array<FieldSpec, 7> kLog6HeaderFields{{
    SW_JOB_KEY_FIELDS_V6,
    {kFiller, 19, 21, Conv::Text, "%-2s"},
}};
inline constexpr std::array<GroupSpec, 7> kLogGrade6Groups{{
    {21, kLogGrade6FirstGroupFields}, {30, kLogGrade6GroupFields}, {38, kLogGrade6GroupFields},
    {46, kLogGrade6GroupFields},      {54, kLogGrade6GroupFields}, {62, kLogGrade6GroupFields},
    {70, kLogGrade6GroupFields},
}};
inline constexpr RecordLayout kLogGrade6{"V6 B", "7B", kLog6HeaderFields, kLogGrade6Groups};

// Log volume record (second character C): two logs of 30 columns.
enum LogVolume6Group : std::size_t { lv6LogNum, lv6SEDi, lv6LEDi, lv6Length, lv6Grade, lv6GBDFT, lv6GCUFT,
                                     lv6NBDFT, lv6NCUFT };
inline constexpr std::array<FieldSpec, 9> kLogVolume6GroupFields{{
    {col::LogNum.name, 0, 3, Conv::Text, "%-3s"},
    {col::SEDi.name, 3, 5, Conv::Real, "%-2s"},
    {col::LEDi.name, 5, 7, Conv::Real, "%-2s"},
    {col::Length.name, 7, 9, Conv::Int, "%-2s"},
    {col::Grade.name, 9, 10, Conv::Text, "%-1s"},
    {col::GBDFT.name, 10, 14, Conv::Real, "%-4s"},
    {col::GCUFT.name, 14, 20, Conv::Real, "%-6s"},
    {col::NBDFT.name, 20, 24, Conv::Real, "%-4s"},
    {col::NCUFT.name, 24, 30, Conv::Real, "%-6s"},
}};
inline constexpr std::array<GroupSpec, 2> kLogVolume6Groups{{{21, kLogVolume6GroupFields},
                                                             {51, kLogVolume6GroupFields}}};
inline constexpr RecordLayout kLogVolume6{"V6 C", "7C", kLog6HeaderFields, kLogVolume6Groups};

// Every layout, for tests and tools.
inline constexpr std::array<const RecordLayout*, 18> kAll{
    &kCruise1A, &kUnit2A,   &kStratum3A, &kStratumUnit4A, &kTree7A,    &kCount7A,   &kNullPlot7A, &kKeyOnly7B,
    &kTree7B,   &kLog7C,    &kLog7D,     &kRemarks7E,     &kCruise6,   &kUnit6,     &kStratum6,   &kTree6,
    &kLogGrade6, &kLogVolume6};

}  // namespace layouts

#undef SW_JOB_KEY_FIELDS
#undef SW_JOB_KEY_FIELDS_V6

// What a line is, by its first and (for 6 and 7) second character.
enum class RecordType { Ignored, Cruise, CuttingUnit, Stratum, StratumUnit, PartA, PartB, PartC, PartD, PartE };

// Version 6 is 6; anything else is read as Version 7. Version 6 D records are
// ignored.
RecordType IdentifyRecord(std::string_view line, int version);

// The layout a reader parses a record type with (null for Ignored). Version 6
// B and C are the log grade and log volume records, E reads as a tree.
const RecordLayout* ReadingLayout(RecordType type, int version);

}  // namespace sw::legacy::jobfile
