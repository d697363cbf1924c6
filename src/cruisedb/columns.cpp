// The vocabulary as lists per table, for checks that code and the shipped
// base dictionary agree (tests) and for tools that need the whole schema.
#include "cruisedb/columns.h"

#include <array>

namespace sw::cruisedb {
namespace {

constexpr std::array<ColumnRef, 11> kCruiseTableColumns{
    col::SaleNo, col::CruiseNo, col::SaleName, col::Region, col::Forest, col::District, col::MeasSys, col::CalYear, col::Purpose, col::CruiseType, col::Remarks};
constexpr std::array<ColumnRef, 6> kCuttingUnitTableColumns{
    col::CutUnit, col::Area, col::Description, col::LogMeth, col::PayUnit, col::Error};
constexpr std::array<ColumnRef, 9> kStratumTableColumns{
    col::BAF, col::FPSize, col::Month, col::Year, col::CruzMeth, col::Stratum, col::Description, col::Units, col::Error};
constexpr std::array<ColumnRef, 11> kCountTableColumns{
    col::CutUnit, col::Stratum, col::SG, col::Sp, col::Freq, col::KZ, col::Count, col::SumKPI, col::Key, col::Description, col::Error};
constexpr std::array<ColumnRef, 12> kPlotTableColumns{
    col::Stratum, col::CutUnit, col::Plot, col::SlopePct, col::Aspect, col::NullPlot, col::XCoord, col::YCoord, col::ZCoord, col::MetaData, col::Remark, col::Error};
constexpr std::array<ColumnRef, 60> kTreeTableColumns{
    col::Stratum, col::CutUnit, col::Plot, col::SG, col::Tree, col::Sp, col::STM, col::SlopePct, col::ProdP, col::ProdS, col::CL, col::CM, col::TreeCnt, col::UOMP, col::UOMS, col::KPI, col::ThreePcode, col::CDefP, col::HDefP, col::SDefP, col::CDefS, col::HDefS, col::SDefS, col::RecDefP, col::Initials, col::YC, col::ContrSpec, col::LD, col::TreeGrade, col::HgtFLL, col::PoleLen, col::Clear, col::CR, col::DBH, col::DRCOB, col::TotHt, col::MrchHtT, col::MrchHtLL, col::MrchHtP, col::MrchHtS, col::RefHtPct, col::FC, col::AvgZForm, col::UStemDOB, col::HgtUStem, col::DBHBTR, col::DBHDBT, col::TopDIBP, col::TopDIBS, col::DefectCode, col::Ht2Def, col::DiamDefPt, col::VoidPct, col::Remarks, col::Error, col::LogRecs, col::XCoord, col::YCoord, col::ZCoord, col::MetaData};
constexpr std::array<ColumnRef, 27> kLogTableColumns{
    col::Stratum, col::CutUnit, col::Plot, col::Tree, col::FBSFlag, col::LogNum, col::Grade, col::PctSeenDef, col::PctRecChip, col::SErD, col::LErD, col::SEDo, col::LEDo, col::SEDi, col::LEDi, col::DBT, col::Length, col::GBDFT, col::GCUFT, col::NBDFT, col::NCUFT, col::BDFTRem, col::CUFTRem, col::LogValue, col::DIBCls, col::Sort, col::Error};
constexpr std::array<ColumnRef, 28> kSubPopulationTableColumns{
    col::Stratum, col::SG, col::Sp, col::UOMP, col::UOMS, col::ProdP, col::ProdS, col::CL, col::LD, col::Freq, col::KZ, col::Description, col::Key, col::CDefP, col::HDefP, col::CDefS, col::HDefS, col::RecDefP, col::YC, col::ContrSpec, col::TreeGrade, col::MerchHtType, col::MerchHtLogLen, col::FC, col::DBHBTR, col::AvgZForm, col::TopDIBP, col::TopDIBS};
constexpr std::array<ColumnRef, 13> kVolumeEquationTableColumns{
    col::VolEqSpecie, col::VolEqPP, col::VolEqNum, col::VolEqStump, col::VolEqTopDIBP, col::VolEqTopDIBS, col::VolEqFlags, col::VolEqUSHgt, col::VolEqRefHgt, col::VolEqZscore, col::VolEqRegion, col::VolEqForest, col::Error};
constexpr std::array<ColumnRef, 12> kValueEquationTableColumns{
    col::ValEqSpecie, col::ValEqPP, col::ValEqNum, col::ValEqGrade, col::ValEqCoef1, col::ValEqCoef2, col::ValEqCoef3, col::ValEqCoef4, col::ValEqCoef5, col::ValEqCoef6, col::ValEqRegion, col::Error};
constexpr std::array<ColumnRef, 10> kWeightEquationTableColumns{
    col::WgtEqSpecie, col::WgtEqPP, col::WgtEqNum, col::WgtEqLiveDead, col::WgtEqFactor, col::WgtEqPercent, col::WgtEqSP, col::WgtEqFactor2, col::WgtEqPercent2, col::Error};
constexpr std::array<ColumnRef, 11> kQAEquationTableColumns{
    col::QAEqSpecie, col::QAEqNum, col::QAEqYear, col::QAEqGrade, col::QAEqCoef1, col::QAEqCoef2, col::QAEqCoef3, col::QAEqCoef4, col::QAEqCoef5, col::QAEqCoef6, col::Error};
constexpr std::array<ColumnRef, 3> kGlobalConfigurationTableColumns{
    col::Block, col::Key, col::Value};
constexpr std::array<ColumnRef, 7> kMessageLogColumns{
    col::MsgNum, col::Msg, col::Date, col::Time, col::Level, col::Note, col::Program};
constexpr std::array<ColumnRef, 25> kDataDictionaryColumns{
    col::TableName, col::FieldType, col::Description, col::ColumnName, col::IsUsed, col::Length, col::Min, col::Max, col::Validate, col::Callbacks, col::DefaultValue, col::FieldEdit, col::CompoundSelection, col::Order1, col::Order2, col::Order3, col::Order4, col::Order5, col::Order6, col::Order7, col::Order8, col::Order9, col::Order10, col::Order11, col::Order12};
}  // namespace

std::span<const TableVocabulary> Vocabulary() {
  static const std::array<TableVocabulary, 15> kTables{{
      {table::CruiseTable, kCruiseTableColumns},
      {table::CuttingUnitTable, kCuttingUnitTableColumns},
      {table::StratumTable, kStratumTableColumns},
      {table::CountTable, kCountTableColumns},
      {table::PlotTable, kPlotTableColumns},
      {table::TreeTable, kTreeTableColumns},
      {table::LogTable, kLogTableColumns},
      {table::SubPopulationTable, kSubPopulationTableColumns},
      {table::VolumeEquationTable, kVolumeEquationTableColumns},
      {table::ValueEquationTable, kValueEquationTableColumns},
      {table::WeightEquationTable, kWeightEquationTableColumns},
      {table::QAEquationTable, kQAEquationTableColumns},
      {table::GlobalConfigurationTable, kGlobalConfigurationTableColumns},
      {table::MessageLog, kMessageLogColumns},
      {table::DataDictionary, kDataDictionaryColumns},
  }};
  return kTables;
}

}  // namespace sw::cruisedb
