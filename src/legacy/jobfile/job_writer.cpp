// Cruise tables to a Version 7 job file (see job_writer.h).
//
// Every record is filled into a JobRecord of its layout (job_layouts.h) and
// formatted by it. A number wider than its columns is written with as many
// decimals as fit and listed in the notes shown after writing. A record that
// is still not exactly as wide as its layout has a value that would shift
// the rest of the line (a whole part or a text too long); such values are
// refused by table, row and column and the file is not written.
#include "legacy/jobfile/job_writer.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <ostream>
#include <unordered_map>
#include <unordered_set>

#include "cruisedb/columns.h"
#include "legacy/jobfile/export_files.h"
#include "legacy/jobfile/job_layouts.h"
#include "legacy/jobfile/job_record.h"
#include "legacy/jobfile/text_key.h"
#include "legacy/jobfile/unit_acres.h"
#include "legacy/line.h"

namespace sw::legacy::jobfile {
namespace {

namespace col = cruisedb::col;
namespace table = cruisedb::table;
using namespace layouts;
using storage::BoundDouble;
using storage::BoundFloat;
using storage::BoundInt;
using storage::BoundLong;
using storage::BoundString;
using storage::View;

constexpr std::int64_t kMaxKpi = 99999;

std::string UpperTrimmed(std::string_view text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  std::size_t last = text.find_last_not_of(' ');
  std::string out(text.substr(first, last - first + 1));
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

bool IsBlank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

// A field's text as its format writes it.
std::string FieldText(const FieldSpec& def, const std::string& text, double real, std::int64_t whole) {
  std::string_view format(def.format);
  if (format.ends_with('f')) return legacy::Format(def.format, real);
  if (format.ends_with("ld")) return legacy::Format(def.format, static_cast<long>(whole));
  if (format.ends_with('d'))
    return legacy::Format(def.format, static_cast<int>(std::clamp<std::int64_t>(whole, INT_MIN, INT_MAX)));
  return text;
}

// Binds a column and notes when a table that has rows lacks it.
class Binder {
 public:
  Binder(const View& view, std::string_view table, ExportReport& report)
      : view_(view), table_(table), report_(report) {}
  template <storage::Type T>
  storage::Bound<T> operator()(const storage::Column<T>& column) const {
    storage::Bound<T> bound = view_.Bind(column);
    if (!bound.present() && view_.Size() > 0)
      report_.Note(std::string(table_) + " has no column " + std::string(column.name) + "; it is written blank");
    return bound;
  }

 private:
  const View& view_;
  std::string_view table_;
  ExportReport& report_;
};

// The log rows of one tree: runs of consecutive rows with the same key,
// chained so that a tree whose logs are not consecutive still gets all.
struct LogRun {
  std::size_t first;
  std::size_t count;
  std::size_t next;  // index of the next run of the same tree, or SIZE_MAX
  bool head;         // the tree's first run
};

// Lines are gathered and handed to the stream in blocks of about this size.
constexpr std::size_t kFlushBytes = 1 << 16;

// Writes the record groups of one job file.
class JobFileComposer {
 public:
  JobFileComposer(const cruisedb::CruiseTables& tables, ExportReport& report, std::ostream& out,
                  const RowProgress& progress)
      : t_(tables), report_(report), out_(out), progress_(progress) {}

  void Write();
  bool stopped() const { return stopped_; }

 private:
  void Emit(const JobRecord& record, std::string_view table, std::size_t row);
  void Flush();
  // A text column's value, valid until the next call.
  std::string_view Text(const BoundString& column, std::size_t row) { return column.Peek(row, scratch_); }
  // After each count or tree row; false once the caller asked to stop.
  bool Tick();
  void Refuse(const JobRecord& record, std::string_view table, std::size_t row);
  void SetKey(JobRecord& r, const BoundString& stratum, const BoundString& unit, const BoundString& plot,
              const BoundString& tree, std::size_t row);
  // The key fields of a record already keyed, without reading them again.
  static void CopyKey(JobRecord& to, const JobRecord& from) {
    for (std::size_t field : {kCruiseNo, kStratum, kCutUnit, kPlot, kTree}) to.SetText(field, from.Text(field));
  }

  std::string WriteCruiseRecord();
  void WriteUnitRecords();
  void WriteStratumRecords();
  void WriteStratumUnitRecords();
  void WriteCountRecords();
  void WriteTreeRecords();
  void WriteLogRecords(std::size_t run, bool volume_records);
  void WriteNullPlotRecords();
  std::string LookupCruiseMethod(const std::string& stratum);

  void BuildLogIndex();
  // The hash key of a log row's tree.
  void RunKey(std::size_t row, std::string& key);
  bool CarriesLogVolumes(std::size_t run);
  // The first run of the tree's logs that is not yet written, or SIZE_MAX.
  std::size_t FindLogRun(const JobRecord& tree);
  void BuildTreePlots();

  const cruisedb::CruiseTables& t_;
  ExportReport& report_;
  std::ostream& out_;
  const RowProgress& progress_;
  std::size_t rows_done_ = 0;
  bool stopped_ = false;
  std::string cruise_no_ = "     ";
  std::optional<std::unordered_map<std::string, std::string>> methods_;
  std::optional<std::unordered_set<std::string>> tree_plots_;  // Stratum, CutUnit, Plot of every tree
  std::string buffer_;   // lines not yet handed to the stream
  std::string scratch_;  // for Text
  std::string key_;      // reused for hash keys

  struct LogColumns {
    BoundString Stratum, CutUnit, Plot, Tree, LogNum, Grade, Sort;
    BoundInt FBSFlag, Length;
    BoundFloat PctSeenDef, PctRecChip, SEDi, LEDi;
    BoundDouble GBDFT, GCUFT, NBDFT, NCUFT;
  };
  std::optional<LogColumns> log_;
  std::vector<LogRun> runs_;
  std::unordered_map<std::string, std::pair<std::size_t, std::size_t>> tree_logs_;  // key -> first, last run
  std::vector<bool> run_written_;
  JobRecord log_7c_{kLog7C}, log_7d_{kLog7D};  // reused for every tree
  std::size_t next_run_ = 0;  // the run expected for the next tree when logs follow the trees' order
  bool sorted_runs_ = true;   // the runs' keys increase, so no tree has two runs
};

// The record is formatted straight into the output buffer and taken back
// out when it does not keep its columns.
void JobFileComposer::Emit(const JobRecord& record, std::string_view table, std::size_t row) {
  const std::size_t start = buffer_.size();
  record.AppendTo(buffer_);
  const std::size_t width = record.Width();
  auto keeps_columns = [&](std::string_view text) {
    return text.size() == width && std::memchr(text.data(), '\n', text.size()) == nullptr &&
           std::memchr(text.data(), '\r', text.size()) == nullptr;
  };
  if (!keeps_columns(std::string_view(buffer_).substr(start))) {
    // Numbers wider than their columns at the format's decimals are written
    // with fewer decimals; each one is listed for the user.
    std::string line = buffer_.substr(start);
    buffer_.resize(start);
    JobRecord narrowed = record;
    std::vector<NarrowedField> fields = narrowed.NarrowToFit();
    std::string retry = fields.empty() ? line : narrowed.Format();
    if (!keeps_columns(retry)) {
      Refuse(narrowed, table, row);
      return;
    }
    for (const NarrowedField& f : fields)
      report_.Note(std::string(table) + " row " + std::to_string(row + 1) + ", " + std::string(f.field) + " \"" +
                   f.before + "\" is written as \"" + f.after + "\" (fewer decimals fit its columns)");
    buffer_ += retry;
  }
  if (report_.refused()) {  // the file will not be kept
    buffer_.resize(start);
    return;
  }
  buffer_ += '\n';
  if (buffer_.size() >= kFlushBytes) Flush();
}

void JobFileComposer::Flush() {
  out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  buffer_.clear();
}

// Names every field of the record that does not fit its columns.
void JobFileComposer::Refuse(const JobRecord& record, std::string_view table, std::size_t row) {
  const RecordLayout& layout = *record.layout();
  auto check = [&](const FieldSpec& def, const std::string& text, double real, std::int64_t whole) {
    if (def.conv == Conv::Literal) return;
    std::size_t width = def.end - def.start;
    int format_width = 0, precision = 0;
    if (def.conv == Conv::Real && ParseFixedFormat(def.format, format_width, precision) &&
        FitDecimals(real, static_cast<int>(width), precision))
      return;  // written with fewer decimals
    std::string written = FieldText(def, text, real, whole);
    if (!FitsField(def.conv == Conv::Text ? text : written, width))
      report_.Refuse(table, row, def.name, def.conv == Conv::Text ? text : written,
                     "does not fit in " + std::to_string(width) + " columns");
  };
  std::size_t before = report_.refusal_count();
  for (std::size_t i = 0; i < layout.fields.size(); ++i)
    check(layout.fields[i], record.Text(i), record.Real(i), record.Whole(i));
  for (std::size_t g = 0; g < record.GroupCount(); ++g)
    for (std::size_t i = 0; i < layout.groups[g].fields.size(); ++i) {
      const FieldValue& v = record.GroupField(g, i);
      check(layout.groups[g].fields[i], v.text, v.real, v.whole);
    }
  if (report_.refusal_count() == before)  // a text holding a NUL byte, say
    report_.Refuse(table, row, layout.name, record.Format(), "the record does not keep its columns");
}

void JobFileComposer::SetKey(JobRecord& r, const BoundString& stratum, const BoundString& unit,
                             const BoundString& plot, const BoundString& tree, std::size_t row) {
  r.SetText(kCruiseNo, cruise_no_);
  r.SetText(kStratum, stratum.Peek(row, scratch_));
  r.SetText(kCutUnit, unit.Peek(row, scratch_));
  r.SetText(kPlot, plot.Peek(row, scratch_));
  r.SetText(kTree, tree.Peek(row, scratch_));
}

void JobFileComposer::Write() {
  for (const auto& [view, name] :
       {std::pair{&t_.cruise, table::CruiseTable}, {&t_.units, table::CuttingUnitTable},
        {&t_.strata, table::StratumTable}, {&t_.counts, table::CountTable}, {&t_.trees, table::TreeTable},
        {&t_.logs, table::LogTable}, {&t_.plots, table::PlotTable}, {&t_.subpopulations, table::SubPopulationTable}})
    if (view->ColumnCount() == 0) report_.Note("the cruise file has no " + std::string(name));

  if (t_.cruise.Size() > 0)
    cruise_no_ = WriteCruiseRecord();
  else
    report_.Note(std::string(table::CruiseTable) + " holds no rows; the cruise number is written blank");
  if (t_.units.Size() > 0) WriteUnitRecords();
  if (t_.strata.Size() > 0) WriteStratumRecords();
  if (t_.strata.Size() > 0 && t_.units.Size() > 0) WriteStratumUnitRecords();
  if (t_.counts.Size() > 0) WriteCountRecords();
  if (!stopped_ && (t_.trees.Size() > 0 || t_.logs.Size() > 0)) WriteTreeRecords();
  if (!stopped_) WriteNullPlotRecords();
  Flush();
}

bool JobFileComposer::Tick() {
  if (stopped_) return false;
  ++rows_done_;
  if (progress_ && !progress_(rows_done_, t_.counts.Size() + t_.trees.Size())) stopped_ = true;
  return !stopped_;
}

std::string JobFileComposer::WriteCruiseRecord() {
  const View& v = t_.cruise;
  Binder bind(v, table::CruiseTable, report_);
  auto CruiseNo = bind(col::CruiseNo), SaleNo = bind(col::SaleNo), Region = bind(col::Region),
       Forest = bind(col::Forest), District = bind(col::District), CalYear = bind(col::CalYear),
       MeasSys = bind(col::MeasSys), SaleName = bind(col::SaleName), Purpose = bind(col::Purpose);
  std::string first = CruiseNo.Get(0);
  JobRecord r(kCruise1A);
  for (std::size_t row = 0; row < v.Size(); ++row) {
    r.SetText(c1CruiseNo, CruiseNo.Get(row));
    r.SetText(c1SaleNo, SaleNo.Get(row));
    r.SetText(c1Region, Region.Get(row));
    r.SetText(c1Forest, Forest.Get(row));
    r.SetText(c1District, District.Get(row));
    r.SetText(c1CalYear, CalYear.Get(row));
    r.SetText(c1MeasSys, MeasSys.Get(row));
    r.SetText(c1SaleName, SaleName.Get(row));
    r.SetText(c1Purpose, Purpose.Get(row));
    Emit(r, table::CruiseTable, row);
  }
  return first;
}

void JobFileComposer::WriteUnitRecords() {
  const View& v = t_.units;
  Binder bind(v, table::CuttingUnitTable, report_);
  auto CutUnit = bind(col::CutUnit), Description = bind(col::Description), LogMeth = bind(col::LogMeth),
       PayUnit = bind(col::PayUnit);
  auto Area = bind(col::Area);
  JobRecord r(kUnit2A);
  r.SetText(u2CruiseNo, cruise_no_);
  for (std::size_t row = 0; row < v.Size(); ++row) {
    r.SetText(u2CutUnit, CutUnit.Get(row));
    r.SetReal(u2Area, Area.Get(row));
    r.SetText(u2Description, Description.Get(row));
    r.SetText(u2LogMeth, LogMeth.Get(row));
    r.SetText(u2PayUnit, PayUnit.Get(row));
    Emit(r, table::CuttingUnitTable, row);
  }
}

void JobFileComposer::WriteStratumRecords() {
  const View& v = t_.strata;
  Binder bind(v, table::StratumTable, report_);
  auto Stratum = bind(col::Stratum), CruzMeth = bind(col::CruzMeth), Description = bind(col::Description);
  auto BAF = bind(col::BAF), FPSize = bind(col::FPSize);
  auto Month = bind(col::Month), Year = bind(col::Year);
  JobRecord r(kStratum3A);
  r.SetText(s3CruiseNo, cruise_no_);
  for (std::size_t row = 0; row < v.Size(); ++row) {
    r.SetText(s3Stratum, Stratum.Get(row));
    r.SetText(s3CruzMeth, CruzMeth.Get(row));
    r.SetReal(s3BAF, BAF.Get(row));
    r.SetReal(s3FPSize, FPSize.Get(row));
    r.SetText(s3Description, Description.Get(row));
    r.SetWhole(s3Month, Month.Get(row));
    r.SetWhole(s3Year, Year.Get(row));
    Emit(r, table::StratumTable, row);
  }
}

// Unit names are compared without their surrounding blanks, so that a unit
// listed as "1" finds the unit stored as "  1".
void JobFileComposer::WriteStratumUnitRecords() {
  Binder unit_bind(t_.units, table::CuttingUnitTable, report_);
  auto CutUnit = unit_bind(col::CutUnit);
  auto Area = unit_bind(col::Area);
  std::unordered_map<std::string, double> acres;
  for (std::size_t row = 0; row < t_.units.Size(); ++row)
    acres.emplace(FoldedKey({UpperTrimmed(CutUnit.Get(row))}), Area.Get(row));

  Binder bind(t_.strata, table::StratumTable, report_);
  auto Stratum = bind(col::Stratum), Units = bind(col::Units);
  JobRecord r(kStratumUnit4A);
  r.SetText(su4CruiseNo, cruise_no_);
  for (std::size_t row = 0; row < t_.strata.Size(); ++row) {
    std::string units = Units.Get(row);
    r.SetText(su4Stratum, Stratum.Get(row));
    std::size_t start = 0;
    while (start <= units.size()) {
      std::size_t comma = std::min(units.find(',', start), units.size());
      std::string_view piece = std::string_view(units).substr(start, comma - start);
      std::size_t first = piece.find_first_not_of(' ');
      if (first != std::string_view::npos) {
        std::string name(piece.substr(first, piece.find_last_not_of(' ') - first + 1));
        auto it = acres.find(FoldedKey({UpperTrimmed(name)}));
        r.SetText(su4CutUnit, name);
        // The acres as the unit's 2A record carries them, so that the import's
        // check finds both records agree.
        double area = it == acres.end() ? 0.0 : it->second;
        std::optional<std::string> acres_text = StratumUnitAcresText(area);
        r.SetReal(su4UnitAcres, acres_text ? Atof(*acres_text) : area);
        Emit(r, table::StratumTable, row);
      }
      start = comma + 1;
    }
  }
}

void JobFileComposer::WriteCountRecords() {
  struct SubPopulation {
    std::string ProdP, ProdS, CL, UOMP, LD;
  };
  Binder sp_bind(t_.subpopulations, table::SubPopulationTable, report_);
  auto sStratum = sp_bind(col::Stratum), sSG = sp_bind(col::SG), sSp = sp_bind(col::Sp),
       sProdP = sp_bind(col::ProdP), sProdS = sp_bind(col::ProdS), sCL = sp_bind(col::CL),
       sUOMP = sp_bind(col::UOMP), sLD = sp_bind(col::LD);
  std::unordered_map<std::string, SubPopulation> subpops;
  for (std::size_t row = 0; row < t_.subpopulations.Size(); ++row)
    subpops.emplace(FoldedKey({sStratum.Get(row), sSG.Get(row), sSp.Get(row)}),
                    SubPopulation{sProdP.Get(row), sProdS.Get(row), sCL.Get(row), sUOMP.Get(row), sLD.Get(row)});

  const View& v = t_.counts;
  Binder bind(v, table::CountTable, report_);
  auto Stratum = bind(col::Stratum), CutUnit = bind(col::CutUnit), SG = bind(col::SG), Sp = bind(col::Sp);
  auto Count = bind(col::Count), SumKPI = bind(col::SumKPI);
  JobRecord r(kCount7A);
  r.SetText(c7CruiseNo, cruise_no_);
  r.SetText(c7CM, "C");
  int plot = 9999;
  int tree = 999;
  for (std::size_t row = 0; row < v.Size(); ++row) {
    if (!Tick()) return;
    std::int64_t count = Count.Get(row);
    std::int64_t kpi = SumKPI.Get(row);
    if (kpi <= kMaxKpi && count <= 0 && kpi <= 0) continue;
    std::string stratum = Stratum.Get(row), sg = SG.Get(row), sp = Sp.Get(row);
    auto it = subpops.find(FoldedKey({stratum, sg, sp}));
    if (it == subpops.end()) continue;
    auto parts = SplitKpi(kpi, count);
    if (parts.empty()) report_.Refuse(table::CountTable, row, col::SumKPI.name, std::to_string(kpi), "is too large");
    r.SetText(c7Stratum, stratum);
    r.SetText(c7CutUnit, CutUnit.Get(row));
    r.SetWhole(c7Plot, plot);
    r.SetWhole(c7Tree, tree);
    r.SetText(c7Sp, sp);
    r.SetText(c7SG, sg);
    r.SetText(c7ProdP, it->second.ProdP);
    r.SetText(c7ProdS, it->second.ProdS);
    r.SetText(c7CL, it->second.CL);
    r.SetText(c7UOMP, it->second.UOMP);
    r.SetText(c7LD, it->second.LD);
    for (const auto& [part_kpi, part_count] : parts) {
      r.SetWhole(c7SumKPI, part_kpi);
      r.SetWhole(c7Count, part_count);
      Emit(r, table::CountTable, row);
    }
    if (--tree == 0) {
      tree = 999;
      --plot;
    }
  }
}

// One pass over LogTable: each run of consecutive rows of one tree is a run;
// later runs of the same tree are chained to its first.
void JobFileComposer::BuildLogIndex() {
  const View& v = t_.logs;
  Binder bind(v, table::LogTable, report_);
  log_ = LogColumns{bind(col::Stratum),    bind(col::CutUnit), bind(col::Plot),   bind(col::Tree),
                    bind(col::LogNum),     bind(col::Grade),   bind(col::Sort),   bind(col::FBSFlag),
                    bind(col::Length),     bind(col::PctSeenDef), bind(col::PctRecChip), bind(col::SEDi),
                    bind(col::LEDi),       bind(col::GBDFT),   bind(col::GCUFT),  bind(col::NBDFT),
                    bind(col::NCUFT)};
  std::string previous;
  for (std::size_t row = 0; row < v.Size(); ++row) {
    RunKey(row, key_);
    if (row > 0 && key_ == previous) {
      ++runs_.back().count;
      continue;
    }
    if (row > 0 && !(previous < key_)) sorted_runs_ = false;
    runs_.push_back(LogRun{row, 1, SIZE_MAX, true});
    previous.swap(key_);
  }
  run_written_.assign(runs_.size(), false);
  if (sorted_runs_) return;  // every run is a tree of its own, found by binary search
  // Otherwise later runs of a tree are chained to its first through a hash index.
  tree_logs_.reserve(runs_.size());
  for (std::size_t run = 0; run < runs_.size(); ++run) {
    RunKey(runs_[run].first, key_);
    auto [it, added] = tree_logs_.try_emplace(key_, run, run);
    if (!added) {
      runs_[run].head = false;
      runs_[it->second.second].next = run;
      it->second.second = run;
    }
  }
}

void JobFileComposer::RunKey(std::size_t row, std::string& key) {
  const LogColumns& l = *log_;
  key.clear();
  for (const BoundString* part : {&l.Stratum, &l.CutUnit, &l.Plot, &l.Tree})
    AppendKeyPart(key, part->Peek(row, scratch_));
}

// Logs usually follow their trees in order: the next run is tried first by
// comparing its key with the tree's (A-Z and a-z alike, as the hash keys
// compare), before any hash key is built.
std::size_t JobFileComposer::FindLogRun(const JobRecord& tree) {
  while (next_run_ < runs_.size() && (!runs_[next_run_].head || run_written_[next_run_])) ++next_run_;
  std::size_t run = SIZE_MAX;
  if (next_run_ < runs_.size()) {
    const LogColumns& l = *log_;
    const std::size_t row = runs_[next_run_].first;
    if (storage::EqualText(tree.Text(kStratum), l.Stratum.Peek(row, scratch_)) &&
        storage::EqualText(tree.Text(kCutUnit), l.CutUnit.Peek(row, scratch_)) &&
        storage::EqualText(tree.Text(kPlot), l.Plot.Peek(row, scratch_)) &&
        storage::EqualText(tree.Text(kTree), l.Tree.Peek(row, scratch_)))
      run = next_run_;
  }
  if (run == SIZE_MAX) {
    key_.clear();
    for (std::size_t part : {kStratum, kCutUnit, kPlot, kTree}) AppendKeyPart(key_, tree.Text(part));
    if (sorted_runs_) {
      std::string probe;
      auto it = std::partition_point(runs_.begin(), runs_.end(), [&](const LogRun& r) {
        RunKey(r.first, probe);
        return probe < key_;
      });
      if (it == runs_.end()) return SIZE_MAX;
      RunKey(it->first, probe);
      if (probe != key_) return SIZE_MAX;
      run = static_cast<std::size_t>(it - runs_.begin());
    } else {
      auto it = tree_logs_.find(key_);
      if (it == tree_logs_.end()) return SIZE_MAX;
      run = it->second.first;
    }
  }
  return run_written_[run] ? SIZE_MAX : run;
}

// True when a log of the tree holds what only a 7D record carries.
bool JobFileComposer::CarriesLogVolumes(std::size_t run) {
  const LogColumns& l = *log_;
  for (; run != SIZE_MAX; run = runs_[run].next)
    for (std::size_t row = runs_[run].first; row < runs_[run].first + runs_[run].count; ++row)
      if (l.SEDi.Get(row) != 0 || l.LEDi.Get(row) != 0 || l.Length.Get(row) != 0 || l.GBDFT.Get(row) != 0 ||
          l.GCUFT.Get(row) != 0 || l.NBDFT.Get(row) != 0 || l.NCUFT.Get(row) != 0 ||
          !IsBlank(l.Sort.Peek(row, scratch_)))
        return true;
  return false;
}

void JobFileComposer::WriteTreeRecords() {
  bool volume_mode = false;
  if (t_.logs.Size() > 0) {
    BuildLogIndex();
    volume_mode = log_->FBSFlag.Get(0) == 1;
  }
  const View& v = t_.trees;
  Binder bind(v, table::TreeTable, report_);
  auto Stratum = bind(col::Stratum), CutUnit = bind(col::CutUnit), Plot = bind(col::Plot), Tree = bind(col::Tree),
       Sp = bind(col::Sp), ProdP = bind(col::ProdP), ProdS = bind(col::ProdS), SG = bind(col::SG),
       CL = bind(col::CL), CM = bind(col::CM), UOMP = bind(col::UOMP), ThreePcode = bind(col::ThreePcode),
       Initials = bind(col::Initials), YC = bind(col::YC), LD = bind(col::LD), ContrSpec = bind(col::ContrSpec),
       TreeGrade = bind(col::TreeGrade), Clear = bind(col::Clear), CR = bind(col::CR),
       MrchHtT = bind(col::MrchHtT), DefectCode = bind(col::DefectCode), Remarks = bind(col::Remarks);
  auto TreeCnt = bind(col::TreeCnt), CDefP = bind(col::CDefP), HDefP = bind(col::HDefP), SDefP = bind(col::SDefP),
       RecDefP = bind(col::RecDefP), CDefS = bind(col::CDefS), HDefS = bind(col::HDefS), SDefS = bind(col::SDefS),
       SlopePct = bind(col::SlopePct), HgtFLL = bind(col::HgtFLL), DBH = bind(col::DBH), DRCOB = bind(col::DRCOB),
       TotHt = bind(col::TotHt), MrchHtP = bind(col::MrchHtP), MrchHtS = bind(col::MrchHtS),
       UStemDOB = bind(col::UStemDOB), HgtUStem = bind(col::HgtUStem), DBHBTR = bind(col::DBHBTR),
       DBHDBT = bind(col::DBHDBT), TopDIBP = bind(col::TopDIBP), TopDIBS = bind(col::TopDIBS),
       DiamDefPt = bind(col::DiamDefPt), VoidPct = bind(col::VoidPct);
  auto KPI = bind(col::KPI);
  auto PoleLen = bind(col::PoleLen), MrchHtLL = bind(col::MrchHtLL), RefHtPct = bind(col::RefHtPct),
       FC = bind(col::FC), Ht2Def = bind(col::Ht2Def);
  auto AvgZForm = bind(col::AvgZForm);

  JobRecord a(kTree7A), b(kTree7B), e(kRemarks7E);
  for (std::size_t row = 0; row < v.Size(); ++row) {
    if (!Tick()) return;
    SetKey(a, Stratum, CutUnit, Plot, Tree, row);
    a.SetText(t7aSp, Text(Sp, row));
    a.SetText(t7aProdP, Text(ProdP, row));
    a.SetText(t7aProdS, Text(ProdS, row));
    a.SetText(t7aSG, Text(SG, row));
    a.SetText(t7aCL, Text(CL, row));
    a.SetText(t7aCM, Text(CM, row));
    const std::string& cm = a.Text(t7aCM);
    a.SetText(t7aUOMP, Text(UOMP, row));
    a.SetText(t7a3Pcode, Text(ThreePcode, row));
    a.SetReal(t7aCDefP, CDefP.Get(row));
    a.SetReal(t7aHDefP, HDefP.Get(row));
    a.SetReal(t7aSDefP, SDefP.Get(row));
    a.SetReal(t7aRecDefP, RecDefP.Get(row));
    a.SetReal(t7aCDefS, CDefS.Get(row));
    a.SetReal(t7aHDefS, HDefS.Get(row));
    a.SetReal(t7aSDefS, SDefS.Get(row));
    a.SetReal(t7aSlopePct, SlopePct.Get(row));
    a.SetText(t7aInitials, Text(Initials, row));
    a.SetText(t7aYC, Text(YC, row));
    a.SetText(t7aLD, Text(LD, row));
    a.SetText(t7aContrSpec, Text(ContrSpec, row));
    a.SetText(t7aTreeGrade, Text(TreeGrade, row));
    a.SetReal(t7aHgtFLL, HgtFLL.Get(row));
    a.SetWhole(t7aPoleLen, PoleLen.Get(row));
    a.SetText(t7aClear, Text(Clear, row));
    a.SetText(t7aCR, Text(CR, row));
    std::int64_t kpi = KPI.Get(row);
    if (kpi <= kMaxKpi) {  // one record, as nearly every tree has
      a.SetWhole(t7aKPI, kpi);
      a.SetReal(t7aTreeCnt, static_cast<double>(TreeCnt.Get(row)));
      Emit(a, table::TreeTable, row);
    } else {
      auto parts = SplitKpi(kpi, 0);
      if (parts.empty()) report_.Refuse(table::TreeTable, row, col::KPI.name, std::to_string(kpi), "is too large");
      for (std::size_t i = 0; i < parts.size(); ++i) {
        a.SetWhole(t7aKPI, parts[i].first);
        a.SetReal(t7aTreeCnt, i + 1 == parts.size() ? static_cast<double>(TreeCnt.Get(row)) : 0.0);
        Emit(a, table::TreeTable, row);
      }
    }

    if (cm != "C" && cm != "c") {
      CopyKey(b, a);
      b.SetReal(t7bDBH, DBH.Get(row));
      b.SetReal(t7bDRCOB, DRCOB.Get(row));
      b.SetReal(t7bTotHt, TotHt.Get(row));
      b.SetText(t7bMrchHtT, Text(MrchHtT, row));
      b.SetWhole(t7bMrchHtLL, MrchHtLL.Get(row));
      b.SetReal(t7bMrchHtP, MrchHtP.Get(row));
      b.SetReal(t7bMrchHtS, MrchHtS.Get(row));
      b.SetWhole(t7bRefHtPct, RefHtPct.Get(row));
      b.SetWhole(t7bFC, FC.Get(row));
      b.SetReal(t7bAvgZForm, AvgZForm.Get(row));
      b.SetReal(t7bUStemDOB, UStemDOB.Get(row));
      b.SetReal(t7bHgtUStem, HgtUStem.Get(row));
      b.SetReal(t7bDBHBTR, DBHBTR.Get(row));
      b.SetReal(t7bDBHDBT, DBHDBT.Get(row));
      b.SetReal(t7bTopDIBP, TopDIBP.Get(row));
      b.SetReal(t7bTopDIBS, TopDIBS.Get(row));
      b.SetText(t7bDefectCode, Text(DefectCode, row));
      b.SetWhole(t7bHt2Def, Ht2Def.Get(row));
      b.SetReal(t7bDiamDefPt, DiamDefPt.Get(row));
      b.SetReal(t7bVoidPct, VoidPct.Get(row));
      Emit(b, table::TreeTable, row);
    }

    if (log_) {
      if (std::size_t run = FindLogRun(a); run != SIZE_MAX) {
        // Logs with values only a 7D record carries are written as 7D even
        // when the file's first log asks for 7C, so that no volume is lost.
        WriteLogRecords(run, volume_mode || CarriesLogVolumes(run));
        run_written_[run] = true;
      }
    }

    if (std::string_view remarks = Text(Remarks, row); !remarks.empty()) {
      e.SetText(r7eRemarks, remarks);
      CopyKey(e, a);
      Emit(e, table::TreeTable, row);
    }
  }

  for (std::size_t run = 0; run < runs_.size(); ++run)
    if (runs_[run].head && !run_written_[run])
      report_.Note(std::string(table::LogTable) + " row " + std::to_string(runs_[run].first + 1) +
                   ": no tree of TreeTable has its key; its logs are not written");
}

void JobFileComposer::WriteLogRecords(std::size_t run, bool volume_records) {
  const LogColumns& l = *log_;
  JobRecord& r = volume_records ? log_7d_ : log_7c_;
  r.ClearGroups();
  std::size_t first = runs_[run].first;
  SetKey(r, l.Stratum, l.CutUnit, l.Plot, l.Tree, first);
  std::size_t line_row = first;
  for (; run != SIZE_MAX; run = runs_[run].next) {
    for (std::size_t row = runs_[run].first; row < runs_[run].first + runs_[run].count; ++row) {
      std::string_view log_num = Text(l.LogNum, row);
      if (IsBlank(log_num))  // the reader stops at a blank log number
        report_.Refuse(table::LogTable, row, col::LogNum.name, std::string(log_num), "a log needs a log number");
      if (volume_records) {
        r.SetText(l7dLogNum, log_num);
        r.SetReal(l7dSEDi, l.SEDi.Get(row));
        r.SetWhole(l7dLEDi, static_cast<std::int64_t>(l.LEDi.Get(row)));
        r.SetWhole(l7dLength, l.Length.Get(row));
        r.SetText(l7dGrade, Text(l.Grade, row));
        r.SetReal(l7dGBDFT, l.GBDFT.Get(row));
        r.SetReal(l7dGCUFT, l.GCUFT.Get(row));
        r.SetReal(l7dNBDFT, l.NBDFT.Get(row));
        r.SetReal(l7dNCUFT, l.NCUFT.Get(row));
        r.SetReal(l7dPctRecChip, l.PctRecChip.Get(row));
        r.SetReal(l7dPctSeenDef, l.PctSeenDef.Get(row));
        r.SetText(l7dSort, Text(l.Sort, row));
        Emit(r, table::LogTable, row);
        continue;
      }
      if (r.GroupCount() == 0) line_row = row;
      auto g = static_cast<std::size_t>(r.AddGroup());
      r.SetGroupText(g, l7cLogNum, log_num);
      r.SetGroupText(g, l7cGrade, Text(l.Grade, row));
      r.SetGroupReal(g, l7cPctSeenDef, l.PctSeenDef.Get(row));
      r.SetGroupReal(g, l7cPctRecChip, l.PctRecChip.Get(row));
      if (r.GroupCount() == kLog7CGroups.size()) {
        Emit(r, table::LogTable, line_row);
        r.ClearGroups();
      }
    }
  }
  if (!volume_records && r.GroupCount() > 0) Emit(r, table::LogTable, line_row);
}

std::string JobFileComposer::LookupCruiseMethod(const std::string& stratum) {
  if (!methods_) {
    methods_.emplace();
    Binder bind(t_.strata, table::StratumTable, report_);
    auto Stratum = bind(col::Stratum), CruzMeth = bind(col::CruzMeth);
    for (std::size_t row = 0; row < t_.strata.Size(); ++row)
      methods_->emplace(FoldedKey({Stratum.Get(row)}), CruzMeth.Get(row));
  }
  auto it = methods_->find(FoldedKey({stratum}));
  return it == methods_->end() ? std::string() : it->second;
}

// Only a file with null plots needs to know which plots hold trees.
void JobFileComposer::BuildTreePlots() {
  tree_plots_.emplace();
  const View& v = t_.trees;
  auto Stratum = v.Bind(col::Stratum), CutUnit = v.Bind(col::CutUnit), Plot = v.Bind(col::Plot);
  for (std::size_t row = 0; row < v.Size(); ++row) {
    key_.clear();
    for (const BoundString* part : {&Stratum, &CutUnit, &Plot}) AppendKeyPart(key_, part->Peek(row, scratch_));
    tree_plots_->insert(key_);
  }
}

void JobFileComposer::WriteNullPlotRecords() {
  const View& v = t_.plots;
  if (v.Size() == 0) return;
  Binder bind(v, table::PlotTable, report_);
  auto Stratum = bind(col::Stratum), CutUnit = bind(col::CutUnit), Plot = bind(col::Plot);
  auto NullPlot = bind(col::NullPlot);
  JobRecord a(kNullPlot7A), b(kKeyOnly7B);
  for (std::size_t row = 0; row < v.Size(); ++row) {
    if (NullPlot.Get(row) != 1) continue;
    std::string stratum = Stratum.Get(row), unit = CutUnit.Get(row), plot = Plot.Get(row);
    if (!tree_plots_) BuildTreePlots();
    if (tree_plots_->contains(FoldedKey({stratum, unit, plot}))) continue;
    // Methods are compared as the import stores them: trimmed, upper case.
    std::string method = UpperTrimmed(LookupCruiseMethod(stratum));
    bool three_p_point = method == "3PPNT";
    for (JobRecord* r : {&a, &b}) {
      r->SetText(kCruiseNo, cruise_no_);
      r->SetText(kStratum, stratum);
      r->SetText(kCutUnit, unit);
      r->SetText(kPlot, plot);
      r->SetText(kTree, three_p_point ? "0" : "1");
    }
    a.SetText(n7CM, method == "FIX" || method == "PNT" ? "M" : "C");
    Emit(a, table::PlotTable, row);
    if (three_p_point) Emit(b, table::PlotTable, row);
  }
}

}  // namespace

std::vector<std::pair<std::int64_t, std::int64_t>> SplitKpi(std::int64_t kpi, std::int64_t count) {
  if (kpi <= kMaxKpi) return {{kpi, count}};
  std::int64_t full = kpi / kMaxKpi;
  if (full >= kMaxKpiRecords) return {};
  std::vector<std::pair<std::int64_t, std::int64_t>> parts(static_cast<std::size_t>(full), {kMaxKpi, 0});
  parts.emplace_back(kpi - kMaxKpi * full, count);
  return parts;
}

std::string JobFileBuffer(const cruisedb::CruiseTables& tables) {
  // 7A and 7B of a tree take about 216 bytes, a 7D log about 80; every other
  // record is at most a line of 112.
  const std::size_t others = tables.cruise.Size() + 2 * tables.units.Size() + 8 * tables.strata.Size() +
                             tables.counts.Size() + tables.plots.Size();
  std::string buffer;
  buffer.reserve(216 * tables.trees.Size() + 80 * tables.logs.Size() + 112 * others + kFlushBytes);
  return buffer;
}

bool WriteJobFile(const cruisedb::CruiseTables& tables, ExportReport& report, std::ostream& out) {
  return WriteJobFile(tables, report, out, RowProgress());
}

bool WriteJobFile(const cruisedb::CruiseTables& tables, ExportReport& report, std::ostream& out,
                  const RowProgress& progress) {
  JobFileComposer composer(tables, report, out, progress);
  composer.Write();
  return !report.refused() && !composer.stopped();
}

}  // namespace sw::legacy::jobfile
