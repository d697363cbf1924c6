// The column vocabulary of cruise files: one typed constant per column,
// declared once and used by every reader and writer of that column. Names are
// matched by the storage engine without regard to case, so SubPopulationTable's
// "key" and CountTable's "Key" are the same constant. LogTable's float "Value"
// differs in type from the configuration table's text "Value", hence LogValue.
//
// Not for: table shapes. A table's columns come from the file's own
// DataDictionary (dictionary.h); this list is what the program reads and writes.
#pragma once

#include <span>
#include <string_view>

#include "storage/storage.h"

namespace sw::cruisedb {

// A column constant without its static type, for lists and checks.
struct ColumnRef {
  std::string_view name;
  storage::Type type;
  template <storage::Type T>
  constexpr ColumnRef(const storage::Column<T>& c) : name(c.name), type(T) {}  // NOLINT(google-explicit-constructor)
};

namespace col {
using storage::DoubleColumn;
using storage::FloatColumn;
using storage::IntColumn;
using storage::LongColumn;
using storage::StringColumn;

inline constexpr StringColumn SaleNo{"SaleNo"};
inline constexpr StringColumn CruiseNo{"CruiseNo"};
inline constexpr StringColumn SaleName{"SaleName"};
inline constexpr StringColumn Region{"Region"};
inline constexpr StringColumn Forest{"Forest"};
inline constexpr StringColumn District{"District"};
inline constexpr StringColumn MeasSys{"MeasSys"};
inline constexpr StringColumn CalYear{"CalYear"};
inline constexpr StringColumn Purpose{"Purpose"};
inline constexpr StringColumn CruiseType{"CruiseType"};
inline constexpr StringColumn Remarks{"Remarks"};
inline constexpr StringColumn CutUnit{"CutUnit"};
inline constexpr DoubleColumn Area{"Area"};
inline constexpr StringColumn Description{"Description"};
inline constexpr StringColumn LogMeth{"LogMeth"};
inline constexpr StringColumn PayUnit{"PayUnit"};
inline constexpr IntColumn Error{"Error"};
inline constexpr DoubleColumn BAF{"BAF"};
inline constexpr DoubleColumn FPSize{"FPSize"};
inline constexpr IntColumn Month{"Month"};
inline constexpr IntColumn Year{"Year"};
inline constexpr StringColumn CruzMeth{"CruzMeth"};
inline constexpr StringColumn Stratum{"Stratum"};
inline constexpr StringColumn Units{"Units"};
inline constexpr StringColumn SG{"SG"};
inline constexpr StringColumn Sp{"Sp"};
inline constexpr IntColumn Freq{"Freq"};
inline constexpr IntColumn KZ{"KZ"};
inline constexpr LongColumn Count{"Count"};
inline constexpr LongColumn SumKPI{"SumKPI"};
inline constexpr StringColumn Key{"Key"};
inline constexpr StringColumn Plot{"Plot"};
inline constexpr FloatColumn SlopePct{"SlopePct"};
inline constexpr IntColumn Aspect{"Aspect"};
inline constexpr IntColumn NullPlot{"NullPlot"};
inline constexpr StringColumn XCoord{"XCoord"};
inline constexpr StringColumn YCoord{"YCoord"};
inline constexpr StringColumn ZCoord{"ZCoord"};
inline constexpr StringColumn MetaData{"MetaData"};
inline constexpr StringColumn Remark{"Remark"};
inline constexpr StringColumn Tree{"Tree"};
inline constexpr StringColumn STM{"STM"};
inline constexpr StringColumn ProdP{"ProdP"};
inline constexpr StringColumn ProdS{"ProdS"};
inline constexpr StringColumn CL{"CL"};
inline constexpr StringColumn CM{"CM"};
inline constexpr FloatColumn TreeCnt{"TreeCnt"};
inline constexpr StringColumn UOMP{"UOMP"};
inline constexpr StringColumn UOMS{"UOMS"};
inline constexpr LongColumn KPI{"KPI"};
inline constexpr StringColumn ThreePcode{"3Pcode"};
inline constexpr FloatColumn CDefP{"CDefP"};
inline constexpr FloatColumn HDefP{"HDefP"};
inline constexpr FloatColumn SDefP{"SDefP"};
inline constexpr FloatColumn CDefS{"CDefS"};
inline constexpr FloatColumn HDefS{"HDefS"};
inline constexpr FloatColumn SDefS{"SDefS"};
inline constexpr FloatColumn RecDefP{"RecDefP"};
inline constexpr StringColumn Initials{"Initials"};
inline constexpr StringColumn YC{"YC"};
inline constexpr StringColumn ContrSpec{"ContrSpec"};
inline constexpr StringColumn LD{"LD"};
inline constexpr StringColumn TreeGrade{"TreeGrade"};
inline constexpr FloatColumn HgtFLL{"HgtFLL"};
inline constexpr IntColumn PoleLen{"PoleLen"};
inline constexpr StringColumn Clear{"Clear"};
inline constexpr StringColumn CR{"CR"};
inline constexpr FloatColumn DBH{"DBH"};
inline constexpr FloatColumn DRCOB{"DRCOB"};
inline constexpr FloatColumn TotHt{"TotHt"};
inline constexpr StringColumn MrchHtT{"MrchHtT"};
inline constexpr IntColumn MrchHtLL{"MrchHtLL"};
inline constexpr FloatColumn MrchHtP{"MrchHtP"};
inline constexpr FloatColumn MrchHtS{"MrchHtS"};
inline constexpr IntColumn RefHtPct{"RefHtPct"};
inline constexpr IntColumn FC{"FC"};
inline constexpr DoubleColumn AvgZForm{"AvgZForm"};
inline constexpr FloatColumn UStemDOB{"UStemDOB"};
inline constexpr FloatColumn HgtUStem{"HgtUStem"};
inline constexpr FloatColumn DBHBTR{"DBHBTR"};
inline constexpr FloatColumn DBHDBT{"DBHDBT"};
inline constexpr FloatColumn TopDIBP{"TopDIBP"};
inline constexpr FloatColumn TopDIBS{"TopDIBS"};
inline constexpr StringColumn DefectCode{"DefectCode"};
inline constexpr IntColumn Ht2Def{"Ht2Def"};
inline constexpr FloatColumn DiamDefPt{"DiamDefPt"};
inline constexpr FloatColumn VoidPct{"VoidPct"};
inline constexpr IntColumn LogRecs{"LogRecs"};
inline constexpr IntColumn FBSFlag{"FBSFlag"};
inline constexpr StringColumn LogNum{"LogNum"};
inline constexpr StringColumn Grade{"Grade"};
inline constexpr FloatColumn PctSeenDef{"PctSeenDef"};
inline constexpr FloatColumn PctRecChip{"PctRecChip"};
inline constexpr IntColumn SErD{"SErD"};
inline constexpr IntColumn LErD{"LErD"};
inline constexpr FloatColumn SEDo{"SEDo"};
inline constexpr FloatColumn LEDo{"LEDo"};
inline constexpr FloatColumn SEDi{"SEDi"};
inline constexpr FloatColumn LEDi{"LEDi"};
inline constexpr FloatColumn DBT{"DBT"};
inline constexpr IntColumn Length{"Length"};
inline constexpr DoubleColumn GBDFT{"GBDFT"};
inline constexpr DoubleColumn GCUFT{"GCUFT"};
inline constexpr DoubleColumn NBDFT{"NBDFT"};
inline constexpr DoubleColumn NCUFT{"NCUFT"};
inline constexpr DoubleColumn BDFTRem{"BDFTRem"};
inline constexpr DoubleColumn CUFTRem{"CUFTRem"};
inline constexpr FloatColumn LogValue{"Value"};
inline constexpr IntColumn DIBCls{"DIBCls"};
inline constexpr StringColumn Sort{"Sort"};
inline constexpr StringColumn MerchHtType{"MerchHtType"};
inline constexpr IntColumn MerchHtLogLen{"MerchHtLogLen"};
inline constexpr StringColumn VolEqSpecie{"VolEqSpecie"};
inline constexpr StringColumn VolEqPP{"VolEqPP"};
inline constexpr StringColumn VolEqNum{"VolEqNum"};
inline constexpr FloatColumn VolEqStump{"VolEqStump"};
inline constexpr FloatColumn VolEqTopDIBP{"VolEqTopDIBP"};
inline constexpr FloatColumn VolEqTopDIBS{"VolEqTopDIBS"};
inline constexpr StringColumn VolEqFlags{"VolEqFlags"};
inline constexpr IntColumn VolEqUSHgt{"VolEqUSHgt"};
inline constexpr IntColumn VolEqRefHgt{"VolEqRefHgt"};
inline constexpr FloatColumn VolEqZscore{"VolEqZscore"};
inline constexpr StringColumn VolEqRegion{"VolEqRegion"};
inline constexpr StringColumn VolEqForest{"VolEqForest"};
inline constexpr StringColumn ValEqSpecie{"ValEqSpecie"};
inline constexpr StringColumn ValEqPP{"ValEqPP"};
inline constexpr StringColumn ValEqNum{"ValEqNum"};
inline constexpr StringColumn ValEqGrade{"ValEqGrade"};
inline constexpr FloatColumn ValEqCoef1{"ValEqCoef1"};
inline constexpr FloatColumn ValEqCoef2{"ValEqCoef2"};
inline constexpr FloatColumn ValEqCoef3{"ValEqCoef3"};
inline constexpr FloatColumn ValEqCoef4{"ValEqCoef4"};
inline constexpr FloatColumn ValEqCoef5{"ValEqCoef5"};
inline constexpr FloatColumn ValEqCoef6{"ValEqCoef6"};
inline constexpr StringColumn ValEqRegion{"ValEqRegion"};
inline constexpr StringColumn WgtEqSpecie{"WgtEqSpecie"};
inline constexpr StringColumn WgtEqPP{"WgtEqPP"};
inline constexpr StringColumn WgtEqNum{"WgtEqNum"};
inline constexpr StringColumn WgtEqLiveDead{"WgtEqLiveDead"};
inline constexpr FloatColumn WgtEqFactor{"WgtEqFactor"};
inline constexpr FloatColumn WgtEqPercent{"WgtEqPercent"};
inline constexpr StringColumn WgtEqSP{"WgtEqSP"};
inline constexpr FloatColumn WgtEqFactor2{"WgtEqFactor2"};
inline constexpr FloatColumn WgtEqPercent2{"WgtEqPercent2"};
inline constexpr StringColumn QAEqSpecie{"QAEqSpecie"};
inline constexpr StringColumn QAEqNum{"QAEqNum"};
inline constexpr IntColumn QAEqYear{"QAEqYear"};
inline constexpr StringColumn QAEqGrade{"QAEqGrade"};
inline constexpr FloatColumn QAEqCoef1{"QAEqCoef1"};
inline constexpr FloatColumn QAEqCoef2{"QAEqCoef2"};
inline constexpr FloatColumn QAEqCoef3{"QAEqCoef3"};
inline constexpr FloatColumn QAEqCoef4{"QAEqCoef4"};
inline constexpr FloatColumn QAEqCoef5{"QAEqCoef5"};
inline constexpr FloatColumn QAEqCoef6{"QAEqCoef6"};
inline constexpr StringColumn Block{"Block"};
inline constexpr StringColumn Value{"Value"};
inline constexpr StringColumn MsgNum{"MsgNum"};
inline constexpr StringColumn Msg{"Msg"};
inline constexpr StringColumn Date{"Date"};
inline constexpr StringColumn Time{"Time"};
inline constexpr StringColumn Level{"Level"};
inline constexpr StringColumn Note{"Note"};
inline constexpr StringColumn Program{"Program"};
inline constexpr StringColumn TableName{"TableName"};
inline constexpr StringColumn FieldType{"FieldType"};
inline constexpr StringColumn ColumnName{"ColumnName"};
inline constexpr StringColumn IsUsed{"IsUsed"};
inline constexpr StringColumn Min{"Min"};
inline constexpr StringColumn Max{"Max"};
inline constexpr StringColumn Validate{"Validate"};
inline constexpr StringColumn Callbacks{"Callbacks"};
inline constexpr StringColumn DefaultValue{"DefaultValue"};
inline constexpr StringColumn FieldEdit{"FieldEdit"};
inline constexpr StringColumn CompoundSelection{"CompoundSelection"};
inline constexpr IntColumn Order1{"Order1"};
inline constexpr IntColumn Order2{"Order2"};
inline constexpr IntColumn Order3{"Order3"};
inline constexpr IntColumn Order4{"Order4"};
inline constexpr IntColumn Order5{"Order5"};
inline constexpr IntColumn Order6{"Order6"};
inline constexpr IntColumn Order7{"Order7"};
inline constexpr IntColumn Order8{"Order8"};
inline constexpr IntColumn Order9{"Order9"};
inline constexpr IntColumn Order10{"Order10"};
inline constexpr IntColumn Order11{"Order11"};
inline constexpr IntColumn Order12{"Order12"};
inline constexpr StringColumn StrataUnit{"StrataUnit"};
inline constexpr StringColumn UnitStrata{"UnitStrata"};
inline constexpr DoubleColumn UnitAcres{"UnitAcres"};
inline constexpr IntColumn PopNum{"PopNum"};
// Growth-model export: the processing program's expansion factor in
// TreeTable (read as double whatever its stored type), the proration file's
// factor, the species data file's columns and the chosen-units list.
inline constexpr DoubleColumn ExpanFac{"ExpanFac"};
inline constexpr FloatColumn Proration{"Proration"};
inline constexpr StringColumn FIAcode{"FIAcode"};
inline constexpr StringColumn SpeciesName{"SpeciesName"};
inline constexpr StringColumn GROspeciesCode{"GROspeciesCode"};
inline constexpr StringColumn Unit{"Unit"};
inline constexpr StringColumn TreeID{"TreeID"};
}  // namespace col

namespace table {
inline constexpr std::string_view DataDictionary = "DataDictionary";
inline constexpr std::string_view GlobalConfigurationTable = "GlobalConfigurationTable";
inline constexpr std::string_view MessageLog = "MessageLog";
inline constexpr std::string_view CruiseTable = "CruiseTable";
inline constexpr std::string_view CuttingUnitTable = "CuttingUnitTable";
inline constexpr std::string_view StratumTable = "StratumTable";
inline constexpr std::string_view CountTable = "CountTable";
inline constexpr std::string_view PlotTable = "PlotTable";
inline constexpr std::string_view TreeTable = "TreeTable";
inline constexpr std::string_view LogTable = "LogTable";
inline constexpr std::string_view SubPopulationTable = "SubPopulationTable";
inline constexpr std::string_view VolumeEquationTable = "VolumeEquationTable";
inline constexpr std::string_view ValueEquationTable = "ValueEquationTable";
inline constexpr std::string_view WeightEquationTable = "WeightEquationTable";
inline constexpr std::string_view QAEquationTable = "QAEquationTable";
}  // namespace table

// Fixed descriptions shared by every writer of a cruise file.
inline constexpr std::string_view kDataDictionaryDescription =
    "DataDictionary[TableName:S,FieldType:S,Description:S,ColumnName:S,IsUsed:S,Length:I,Min:S,Max:S,Validate:S,"
    "Callbacks:S,DefaultValue:S,FieldEdit:S,CompoundSelection:S,Order1:I,Order2:I,Order3:I,Order4:I,Order5:I,"
    "Order6:I,Order7:I,Order8:I,Order9:I,Order10:I,Order11:I,Order12:I]";
inline constexpr std::string_view kMessageLogDescription =
    "MessageLog[MsgNum:S,Msg:S,Date:S,Time:S,Level:S,Note:S,Program:S]";

// GlobalConfigurationTable blocks, keys and fixed values.
namespace config {
inline constexpr std::string_view General = "General";
inline constexpr std::string_view Processing = "Processing";
inline constexpr std::string_view StructureVersion = "StructureVersion";
inline constexpr std::string_view MRU = "MRU";
inline constexpr std::string_view Setup = "Setup";
inline constexpr std::string_view RegionNumber = "Region Number";
inline constexpr std::string_view Reports = "Reports";
inline constexpr std::string_view ReportFile = "Report File";
inline constexpr std::string_view LegacyKeyFile = "Legacy Key File";
inline constexpr std::string_view LegacyJobFile = "Legacy Job File";
inline constexpr std::string_view LegacyReportFile = "Legacy Report File";
inline constexpr std::string_view kCurrentStructureVersion = "2010.03.18";
inline constexpr std::string_view kProgramName = "Stumpwright";
inline constexpr std::string_view kBaseDictionaryFileName = "CruiseDefault.stp";
}  // namespace config

// One table of the vocabulary and its columns in declaration order.
struct TableVocabulary {
  std::string_view table;
  std::span<const ColumnRef> columns;
};

// Every table of the vocabulary (the data tables, the configuration table,
// the log and the dictionary itself).
std::span<const TableVocabulary> Vocabulary();

}  // namespace sw::cruisedb
