// Job records into cruise tables (see job_record_readers.h).
#include "legacy/jobfile/job_record_readers.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "cruisedb/columns.h"
#include "legacy/jobfile/job_layouts.h"
#include "legacy/jobfile/key_index.h"
#include "legacy/jobfile/record_rules.h"
#include "legacy/jobfile/text_key.h"
#include "legacy/line.h"

namespace sw::legacy::jobfile {
namespace {

namespace col = sw::cruisedb::col;
using namespace layouts;
using storage::View;

// A bound column whose failed writes are kept as the import's first failure,
// so that the many field writes of a record stay one line each and none is
// dropped.
template <storage::Type T>
class Field {
 public:
  using value_type = typename storage::ValueOf<T>::type;
  Field() = default;
  Field(storage::Bound<T> bound, storage::Status* failure) : bound_(std::move(bound)), failure_(failure) {}
  void Set(std::size_t row, const value_type& value) const {
    storage::Status status = bound_.Set(row, value);
    if (!status.ok() && failure_->ok()) *failure_ = std::move(status);
  }
  value_type Get(std::size_t row) const { return bound_.Get(row); }
  bool present() const { return bound_.present(); }

 private:
  storage::Bound<T> bound_;
  storage::Status* failure_ = nullptr;
};
using BoundString = Field<storage::Type::String>;
using BoundInt = Field<storage::Type::Int>;
using BoundLong = Field<storage::Type::Long>;
using BoundFloat = Field<storage::Type::Float>;
using BoundDouble = Field<storage::Type::Double>;

// atof that never yields infinity or NaN.
double FiniteAtof(std::string_view text) {
  double v = Atof(text);
  return std::isfinite(v) ? v : 0.0;
}

std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b) {
  std::int64_t sum = 0;
  if (__builtin_add_overflow(a, b, &sum)) return b > 0 ? INT64_MAX : INT64_MIN;
  return sum;
}

float ToFloat(double v) { return static_cast<float>(v); }

// A field index by version (Version 6 first).
std::size_t Pick(bool v6, std::size_t v6_field, std::size_t v7_field) { return v6 ? v6_field : v7_field; }

bool IsCountMark(std::string_view mark) { return mark == "C" || mark == "c"; }

std::string TrimBoth(std::string_view text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  std::size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

// Where the fields the count, plot and sub-population readers share stand
// on an A line of each version.
struct AFields {
  std::size_t mark, sp, tree_cnt, sg, kpi, slope, uomp, prod_p, cl;
};
constexpr AFields kAFields6{t6Kind, t6Sp, t6TreeCnt, t6SG, t6KPI, t6SlopePct, t6UOMP, t6ProdP, t6CL};
constexpr AFields kAFields7{t7aCM, t7aSp, t7aTreeCnt, t7aSG, t7aKPI, t7aSlopePct, t7aUOMP, t7aProdP, t7aCL};

// A record whose fields past the key are all empty or blank.
bool CarriesOnlyKey(const JobRecord& record) {
  for (std::size_t i = kKeyFieldCount; i < record.layout()->fields.size(); ++i)
    if (!IsBlankField(record.Text(i))) return false;
  return record.GroupCount() == 0;
}

// The fields that identify a record of a kind: none for the cruise record
// (there is one), the unit, the stratum, the stratum and unit, the tree key.
std::vector<std::string_view> KeyFieldNames(RecordType type) {
  switch (type) {
    case RecordType::Cruise: return {};
    case RecordType::CuttingUnit: return {col::CutUnit.name};
    case RecordType::Stratum: return {col::Stratum.name};
    case RecordType::StratumUnit: return {col::Stratum.name, col::CutUnit.name};
    default: return {col::Stratum.name, col::CutUnit.name, col::Plot.name, col::Tree.name};
  }
}

// What the readers know of a tree key: its TreeTable row (SIZE_MAX while
// only its logs were seen), and the LogTable rows added for it.
struct TreeEntry {
  std::size_t row = SIZE_MAX;
  bool split_pending = false;  // the last A line was a KPI split part (99999, count 0)
  int logs = 0;
};

// Clears `key` and appends each part as FoldedKey does.
void FoldInto(std::string& key, std::initializer_list<std::string_view> parts) {
  key.clear();
  for (std::string_view part : parts) AppendKeyPart(key, part);
}

// Appends `text` without its leading and trailing blanks.
void AppendTrimmed(std::string& out, std::string_view text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return;
  out.append(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// Where the fields that RepeatedKeys reads stand in a layout, found once
// per layout and record kind.
struct KeyFieldsOf {
  const RecordLayout* layout = nullptr;
  RecordType type = RecordType::Ignored;
  std::vector<std::string_view> names;  // KeyFieldNames(type)
  std::vector<std::size_t> fields;      // index of each name in the layout, or SIZE_MAX
  std::size_t kpi = SIZE_MAX;
  std::size_t tree_cnt = SIZE_MAX;
  std::size_t log_num = SIZE_MAX;
  std::vector<std::vector<std::size_t>> group_log_nums;  // per group, its LogNum fields
};

// Records whose key repeats an earlier record's key (see
// JobRecordReaders::repeats): the keys seen, by record kind, and for A
// records whether the last one with the key was a KPI split part.
//
// A record's keys are worked out first (Prepare), and their places in the
// table fetched, while the readers handle the record; Add then notes them.
class RepeatedKeys {
 public:
  void Prepare(RecordType type, bool v6, const JobRecord& record);
  void Add(Diagnostics& repeats, std::size_t line_number);
  void Reserve(std::size_t keys) { seen_.Reserve(keys); }

 private:
  // A prepared key: its bytes in keys_, for a log its trimmed number in
  // numbers_, whether it is a KPI split part, and its hash.
  struct Pending {
    std::size_t key_begin, key_end;
    std::size_t number_begin, number_end;
    bool log;
    bool split_part;
    std::size_t hash;
  };

  std::size_t FieldsOf(const RecordLayout* layout, RecordType type);

  KeyIndex<bool> seen_;
  std::vector<KeyFieldsOf> layouts_;
  // The prepared record: its layout's entry in layouts_, its kind, its
  // trimmed key values joined by "/", and its keys.
  std::size_t fields_ = 0;
  std::string_view kind_;
  std::string values_;
  std::string keys_;     // each key: the kind, "|" and the folded values (and log number)
  std::string numbers_;  // the trimmed log numbers
  std::vector<Pending> pending_;
};

}  // namespace

struct JobRecordReaders::State {
  JobTables t;
  JobFileContext ctx;
  bool v6;
  Diagnostics diagnostics;
  Diagnostics repeats;
  // Keys seen, by record kind; for A records whether the last one with the
  // key was a KPI split part (so that the next one continues it).
  RepeatedKeys seen_keys;
  JobRecord record;   // the current line
  JobRecord scratch;  // a second reading of the same line
  bool count_flag = false;
  storage::Status failure;  // the first write that failed

  struct {
    BoundString SaleNo, CruiseNo, SaleName, Region, Forest, District, MeasSys, CalYear, Purpose, CruiseType;
  } cruise;
  struct {
    BoundString CutUnit, Description, LogMeth, PayUnit;
    BoundDouble Area;
    BoundInt Error;
  } unit;
  struct {
    BoundDouble BAF, FPSize;
    BoundInt Month, Year, Error;
    BoundString CruzMeth, Stratum, Description, Units;
  } stratum;
  struct {
    BoundString CutUnit, Stratum, SG, Sp;
    BoundLong Count, SumKPI;
    BoundInt Error;
  } count;
  struct {
    BoundString Stratum, CutUnit, Plot;
    BoundFloat SlopePct;
    BoundInt NullPlot, Error;
  } plot;
  struct {
    BoundString Stratum, CutUnit, Plot, Tree, SG, Sp, ProdP, ProdS, CL, CM, UOMP, ThreePcode, Initials, YC, ContrSpec,
        LD, TreeGrade, Clear, CR, MrchHtT, DefectCode, Remarks;
    BoundFloat SlopePct, TreeCnt, CDefP, HDefP, SDefP, CDefS, HDefS, SDefS, RecDefP, HgtFLL, DBH, DRCOB, TotHt,
        MrchHtP, MrchHtS, UStemDOB, HgtUStem, DBHBTR, DBHDBT, TopDIBP, TopDIBS, DiamDefPt, VoidPct;
    BoundLong KPI;
    BoundInt PoleLen, MrchHtLL, RefHtPct, FC, Ht2Def, Error, LogRecs;
    BoundDouble AvgZForm;
  } tree;
  struct {
    BoundString Stratum, SG, Sp, UOMP, ProdP, ProdS, CL;
  } subpop;
  struct {
    BoundString Stratum, CutUnit, Plot, Tree, LogNum, Grade, Sort;
    BoundInt FBSFlag, Length, Error;
    BoundFloat PctSeenDef, PctRecChip, SEDi, LEDi;
    BoundDouble GBDFT, GCUFT, NBDFT, NCUFT;
  } log;
  struct {
    BoundString StrataUnit, UnitStrata;
    BoundDouble UnitAcres;
  } su;
  BoundString tree_id;
  bool index_trees = false;  // the caller's index view has a TreeID column to fill
  std::string id;            // reused for TreeID texts

  // Adds the tree's row to the index view, row for row beside TreeTable.
  void IndexTree(const JobRecord& r) {
    if (!index_trees) return;
    const std::size_t id_row = AddRow(index_rows);
    if (id_row == SIZE_MAX) return;
    id.clear();
    for (std::size_t part : {kStratum, kCutUnit, kPlot, kTree}) id += r.Text(part);
    tree_id.Set(id_row, id);
  }

  // The indexes, keyed by FoldedKey of the parts named below.
  KeyIndex<bool> units;                                          // CutUnit
  std::unordered_map<std::string, std::string> stratum_methods;  // Stratum: first row's CruzMeth
  KeyIndex<std::size_t> counts;                                  // Sp, SG, Stratum, CutUnit
  KeyIndex<bool> plots;                                          // Stratum, CutUnit, Plot
  KeyIndex<TreeEntry> trees;                                     // Stratum, CutUnit, Plot, Tree
  std::size_t indexed_trees = 0;  // TreeTable rows with an entry of their own in `trees`
  KeyIndex<bool> subpops;  // Stratum, SG, Sp, UOMP, ProdP, ProdS, CL
  std::string key;         // the key being looked up

  // The rows of TreeTable, the tree index and LogTable in use, and the rows
  // the views have: these views grow a block of rows at a time, since
  // adding one row inserts into every column of the table, while growing
  // by a block resizes each column once. TrimRows gives them back their
  // exact size.
  struct RowBlock {
    View* view;
    std::size_t used;
    std::size_t size;
  };
  RowBlock tree_rows, index_rows, log_rows;

  State(const JobTables& tables, JobFileContext context)
      : t(tables),
        ctx(std::move(context)),
        v6(ctx.version == 6),
        tree_rows{&t.trees, t.trees.Size(), t.trees.Size()},
        index_rows{&t.tree_index, t.tree_index.Size(), t.tree_index.Size()},
        log_rows{&t.logs, t.logs.Size(), t.logs.Size()} {
    Bind();
    Index();
  }

  void Bind();
  void Index();
  const AFields& A() const { return v6 ? kAFields6 : kAFields7; }
  template <storage::Type T>
  Field<T> F(const View& view, const storage::Column<T>& column) {
    return Field<T>(view.Bind(column), &failure);
  }
  std::size_t AddRow(View& view) {
    long r = view.Add();
    if (r >= 0) return static_cast<std::size_t>(r);
    if (failure.ok()) failure = storage::Status::Error("a row could not be added to a cruise table");
    return SIZE_MAX;
  }
  // AddRow for a view of a RowBlock. A view that cannot grow by a block
  // (a derived view, memory short) gets its rows one at a time from AddRow.
  std::size_t AddRow(RowBlock& rows) {
    if (rows.used == rows.size) {
      const std::size_t grown = rows.size + std::max<std::size_t>(rows.size / 2, 256);
      if (!rows.view->SetSize(grown).ok()) {
        const std::size_t row = AddRow(*rows.view);
        if (row != SIZE_MAX) rows.used = rows.size = row + 1;
        return row;
      }
      rows.size = grown;
    }
    return rows.used++;
  }
  void TrimRows() {
    for (RowBlock* rows : {&tree_rows, &index_rows, &log_rows}) {
      if (rows->size == rows->used) continue;
      storage::Status st = rows->view->SetSize(rows->used);
      if (st.ok())
        rows->size = rows->used;
      else if (failure.ok())
        failure = std::move(st);
    }
  }
  void SetTreeKey(std::size_t row, const JobRecord& r) {
    tree.Stratum.Set(row, r.Text(kStratum));
    tree.CutUnit.Set(row, r.Text(kCutUnit));
    tree.Plot.Set(row, r.Text(kPlot));
    tree.Tree.Set(row, r.Text(kTree));
  }
  void SetTree7A(std::size_t row, const JobRecord& r, bool with_count, bool add_split);
  void SetTree7B(std::size_t row, const JobRecord& r);
  void AddTree6(const JobRecord& r);
};

void JobRecordReaders::State::Bind() {
  View& c = t.cruise;
  cruise = {F(c, col::SaleNo),  F(c, col::CruiseNo), F(c, col::SaleName), F(c, col::Region),
            F(c, col::Forest),  F(c, col::District), F(c, col::MeasSys),  F(c, col::CalYear),
            F(c, col::Purpose), F(c, col::CruiseType)};
  View& u = t.units;
  unit = {F(u, col::CutUnit), F(u, col::Description), F(u, col::LogMeth),
          F(u, col::PayUnit), F(u, col::Area),        F(u, col::Error)};
  View& s = t.strata;
  stratum = {F(s, col::BAF),      F(s, col::FPSize),  F(s, col::Month),       F(s, col::Year),
             F(s, col::Error),    F(s, col::CruzMeth), F(s, col::Stratum),    F(s, col::Description),
             F(s, col::Units)};
  View& n = t.counts;
  count = {F(n, col::CutUnit), F(n, col::Stratum), F(n, col::SG),   F(n, col::Sp),
           F(n, col::Count),   F(n, col::SumKPI),  F(n, col::Error)};
  View& p = t.plots;
  plot = {F(p, col::Stratum),  F(p, col::CutUnit),  F(p, col::Plot),
          F(p, col::SlopePct), F(p, col::NullPlot), F(p, col::Error)};
  View& r = t.trees;
  tree.Stratum = F(r, col::Stratum);
  tree.CutUnit = F(r, col::CutUnit);
  tree.Plot = F(r, col::Plot);
  tree.Tree = F(r, col::Tree);
  tree.SG = F(r, col::SG);
  tree.Sp = F(r, col::Sp);
  tree.ProdP = F(r, col::ProdP);
  tree.ProdS = F(r, col::ProdS);
  tree.CL = F(r, col::CL);
  tree.CM = F(r, col::CM);
  tree.UOMP = F(r, col::UOMP);
  tree.ThreePcode = F(r, col::ThreePcode);
  tree.Initials = F(r, col::Initials);
  tree.YC = F(r, col::YC);
  tree.ContrSpec = F(r, col::ContrSpec);
  tree.LD = F(r, col::LD);
  tree.TreeGrade = F(r, col::TreeGrade);
  tree.Clear = F(r, col::Clear);
  tree.CR = F(r, col::CR);
  tree.MrchHtT = F(r, col::MrchHtT);
  tree.DefectCode = F(r, col::DefectCode);
  tree.Remarks = F(r, col::Remarks);
  tree.SlopePct = F(r, col::SlopePct);
  tree.TreeCnt = F(r, col::TreeCnt);
  tree.CDefP = F(r, col::CDefP);
  tree.HDefP = F(r, col::HDefP);
  tree.SDefP = F(r, col::SDefP);
  tree.CDefS = F(r, col::CDefS);
  tree.HDefS = F(r, col::HDefS);
  tree.SDefS = F(r, col::SDefS);
  tree.RecDefP = F(r, col::RecDefP);
  tree.HgtFLL = F(r, col::HgtFLL);
  tree.DBH = F(r, col::DBH);
  tree.DRCOB = F(r, col::DRCOB);
  tree.TotHt = F(r, col::TotHt);
  tree.MrchHtP = F(r, col::MrchHtP);
  tree.MrchHtS = F(r, col::MrchHtS);
  tree.UStemDOB = F(r, col::UStemDOB);
  tree.HgtUStem = F(r, col::HgtUStem);
  tree.DBHBTR = F(r, col::DBHBTR);
  tree.DBHDBT = F(r, col::DBHDBT);
  tree.TopDIBP = F(r, col::TopDIBP);
  tree.TopDIBS = F(r, col::TopDIBS);
  tree.DiamDefPt = F(r, col::DiamDefPt);
  tree.VoidPct = F(r, col::VoidPct);
  tree.KPI = F(r, col::KPI);
  tree.PoleLen = F(r, col::PoleLen);
  tree.MrchHtLL = F(r, col::MrchHtLL);
  tree.RefHtPct = F(r, col::RefHtPct);
  tree.FC = F(r, col::FC);
  tree.Ht2Def = F(r, col::Ht2Def);
  tree.Error = F(r, col::Error);
  tree.LogRecs = F(r, col::LogRecs);
  tree.AvgZForm = F(r, col::AvgZForm);
  View& sp = t.subpopulations;
  subpop = {F(sp, col::Stratum), F(sp, col::SG),    F(sp, col::Sp), F(sp, col::UOMP),
            F(sp, col::ProdP),   F(sp, col::ProdS), F(sp, col::CL)};
  View& l = t.logs;
  log = {F(l, col::Stratum),    F(l, col::CutUnit),    F(l, col::Plot),  F(l, col::Tree),
         F(l, col::LogNum),     F(l, col::Grade),      F(l, col::Sort),  F(l, col::FBSFlag),
         F(l, col::Length),     F(l, col::Error),      F(l, col::PctSeenDef),
         F(l, col::PctRecChip), F(l, col::SEDi),       F(l, col::LEDi),  F(l, col::GBDFT),
         F(l, col::GCUFT),      F(l, col::NBDFT),      F(l, col::NCUFT)};
  su = {F(t.strata_units, col::StrataUnit), F(t.strata_units, col::UnitStrata),
        F(t.strata_units, col::UnitAcres)};
  tree_id = F(t.tree_index, col::TreeID);
  index_trees = tree_id.present();
}

// Rows already in the views (normally none) take part like rows of this file.
void JobRecordReaders::State::Index() {
  for (std::size_t r = 0; r < t.units.Size(); ++r) units.TryEmplace(FoldedKey({unit.CutUnit.Get(r)}), true);
  for (std::size_t r = 0; r < t.strata.Size(); ++r)
    stratum_methods.emplace(FoldedKey({stratum.Stratum.Get(r)}), stratum.CruzMeth.Get(r));
  for (std::size_t r = 0; r < t.counts.Size(); ++r)
    counts.TryEmplace(FoldedKey({count.Sp.Get(r), count.SG.Get(r), count.Stratum.Get(r), count.CutUnit.Get(r)}), r);
  for (std::size_t r = 0; r < t.plots.Size(); ++r)
    plots.TryEmplace(FoldedKey({plot.Stratum.Get(r), plot.CutUnit.Get(r), plot.Plot.Get(r)}), true);
  for (std::size_t r = 0; r < t.trees.Size(); ++r)
    indexed_trees +=
        trees.TryEmplace(FoldedKey({tree.Stratum.Get(r), tree.CutUnit.Get(r), tree.Plot.Get(r), tree.Tree.Get(r)}),
                         TreeEntry{r, false, 0})
            .second;
  for (std::size_t r = 0; r < t.subpopulations.Size(); ++r)
    subpops.TryEmplace(FoldedKey({subpop.Stratum.Get(r), subpop.SG.Get(r), subpop.Sp.Get(r), subpop.UOMP.Get(r),
                                  subpop.ProdP.Get(r), subpop.ProdS.Get(r), subpop.CL.Get(r)}),
                       true);
}

JobRecordReaders::JobRecordReaders(const JobTables& tables, JobFileContext context)
    : state_(std::make_unique<State>(tables, std::move(context))) {}

// Views left without Finish (a cancelled import) still get their exact size.
JobRecordReaders::~JobRecordReaders() { state_->TrimRows(); }

// A line names one key, a log line up to five; two keys a line on average
// covers a cruise of a few logs a tree.
void JobRecordReaders::Reserve(std::size_t lines) {
  state_->seen_keys.Reserve(lines * 2);
  state_->trees.Reserve(lines / 2);
}

const Diagnostics& JobRecordReaders::diagnostics() const { return state_->diagnostics; }
const Diagnostics& JobRecordReaders::repeats() const { return state_->repeats; }

namespace {

std::size_t RepeatedKeys::FieldsOf(const RecordLayout* layout, RecordType type) {
  for (std::size_t i = 0; i < layouts_.size(); ++i)
    if (layouts_[i].layout == layout && layouts_[i].type == type) return i;
  KeyFieldsOf f;
  f.layout = layout;
  f.type = type;
  f.names = KeyFieldNames(type);
  auto index_of = [&](std::string_view name) {
    for (std::size_t i = 0; i < layout->fields.size(); ++i)
      if (layout->fields[i].name == name) return i;
    return std::size_t{SIZE_MAX};
  };
  for (std::string_view name : f.names) f.fields.push_back(index_of(name));
  f.kpi = index_of(col::KPI.name);
  f.tree_cnt = index_of(col::TreeCnt.name);
  f.log_num = index_of(col::LogNum.name);
  for (const GroupSpec& group : layout->groups) {
    std::vector<std::size_t>& numbers = f.group_log_nums.emplace_back();
    for (std::size_t i = 0; i < group.fields.size(); ++i)
      if (group.fields[i].name == col::LogNum.name) numbers.push_back(i);
  }
  layouts_.push_back(std::move(f));
  return layouts_.size() - 1;
}

// The keys of `record` (of `type`): the kind, "|" and the folded key of the
// trimmed key values joined by "/", with the trimmed log number for each
// log of a log line.
void RepeatedKeys::Prepare(RecordType type, bool v6, const JobRecord& record) {
  pending_.clear();
  keys_.clear();
  numbers_.clear();
  if (type == RecordType::Ignored || (v6 && (type == RecordType::PartE || type == RecordType::PartD))) return;
  fields_ = FieldsOf(record.layout(), type);
  const KeyFieldsOf& f = layouts_[fields_];
  values_.clear();
  for (std::size_t k = 0; k < f.fields.size(); ++k) {
    if (k > 0) values_ += '/';
    if (f.fields[k] != SIZE_MAX) AppendTrimmed(values_, record.Text(f.fields[k]));
  }
  kind_ = record.layout()->name;
  auto add = [&](bool log, std::string_view number, bool split_part) {
    Pending p{keys_.size(), 0, numbers_.size(), 0, log, split_part, 0};
    keys_ += kind_;
    keys_ += '|';
    AppendKeyPart(keys_, values_);
    if (log) {
      AppendTrimmed(numbers_, number);
      p.number_end = numbers_.size();
      AppendKeyPart(keys_, std::string_view(numbers_).substr(p.number_begin));
    }
    p.key_end = keys_.size();
    p.hash = seen_.Prefetch(std::string_view(keys_).substr(p.key_begin));
    pending_.push_back(p);
  };
  const bool log_lines = type == RecordType::PartC || type == RecordType::PartD || (v6 && type == RecordType::PartB);
  if (!log_lines) {
    bool split_part = false;
    if (type == RecordType::PartA && f.kpi != SIZE_MAX && f.tree_cnt != SIZE_MAX)
      split_part = Atol(record.Text(f.kpi)) == 99999 && Atof(record.Text(f.tree_cnt)) == 0;
    add(false, {}, split_part);
    return;
  }
  // Log lines: each log is identified by the tree key and its log number.
  if (f.log_num != SIZE_MAX) {
    const std::string& number = record.Text(f.log_num);
    if (!EndsLogs(number)) add(true, number, false);
  }
  for (std::size_t g = 0; g < record.GroupCount(); ++g) {
    for (std::size_t i : f.group_log_nums[g]) {
      const std::string& number = record.GroupField(g, i).text;
      if (EndsLogs(number)) return;  // the readers stop at the first missing log number
      add(true, number, false);
    }
  }
}

// Notes each prepared key in `repeats` (with `line_number`) when it was seen
// before, unless it continues a KPI split.
void RepeatedKeys::Add(Diagnostics& repeats, std::size_t line_number) {
  for (const Pending& p : pending_) {
    const std::string_view key = std::string_view(keys_).substr(p.key_begin, p.key_end - p.key_begin);
    auto [seen_split, added] = seen_.TryEmplace(key, p.hash, p.split_part);
    if (added) continue;
    const bool continues_split = *seen_split;
    *seen_split = p.split_part;
    if (continues_split) continue;
    std::string field;
    for (std::string_view name : layouts_[fields_].names) {
      if (!field.empty()) field += '/';
      field += name;
    }
    std::string text = values_;
    if (p.log) {
      field += "/" + std::string(col::LogNum.name);
      text += "/" + std::string(numbers_.substr(p.number_begin, p.number_end - p.number_begin));
    }
    repeats.push_back({line_number, std::string(kind_), std::move(field), std::move(text)});
  }
  pending_.clear();
}

}  // namespace

void JobRecordReaders::ReadRecord(std::string_view line, std::size_t line_number) {
  State& s = *state_;
  RecordType type = IdentifyRecord(line, s.ctx.version);
  const RecordLayout* layout = ReadingLayout(type, s.ctx.version);
  if (layout == nullptr) return;
  if (type == RecordType::StratumUnit && s.v6) {
    // A Version 6 stratum-unit record also names a cutting unit.
    s.record.Parse(kUnit6, line, line_number, &s.diagnostics);
    ReadUnitRecord(s.record);
    s.record.Parse(kStratumUnit4A, line);
    s.seen_keys.Prepare(type, s.v6, s.record);
    ReadStratumUnitRecord(s.record);
    s.seen_keys.Add(s.repeats, line_number);
    return;
  }
  s.record.Parse(*layout, line, line_number, &s.diagnostics);
  s.seen_keys.Prepare(type, s.v6, s.record);
  switch (type) {
    case RecordType::Cruise: ReadCruiseRecord(s.record); break;
    case RecordType::CuttingUnit: ReadUnitRecord(s.record); break;
    case RecordType::Stratum: ReadStratumRecord(s.record); break;
    case RecordType::StratumUnit:
      ReadStratumUnitRecord(s.record);
      AddRegion7Unit(line);
      break;
    case RecordType::PartA: {
      s.count_flag = ReadCountRecord(s.record);
      bool null_plot = ReadPlotRecord(s.record);
      if (!null_plot) ReadTreeRecord(s.record, s.count_flag);
      AddSubPopulation(s.record);
      break;
    }
    case RecordType::PartB:
      if (s.v6)
        ReadLogRecord(s.record);
      else
        ReadTreeRecord(s.record, s.count_flag);
      break;
    case RecordType::PartC:
    case RecordType::PartD: ReadLogRecord(s.record); break;
    case RecordType::PartE:
      s.count_flag = false;
      ReadTreeRecord(s.record, false);
      break;
    case RecordType::Ignored: break;
  }
  s.seen_keys.Add(s.repeats, line_number);
}

storage::Status JobRecordReaders::Finish() {
  state_->TrimRows();
  BuildStratumUnits();
  CountTreeLogs();
  return state_->failure;
}

void JobRecordReaders::ReadCruiseRecord(const JobRecord& r) {
  State& s = *state_;
  std::size_t row = s.AddRow(s.t.cruise);
  if (row == SIZE_MAX) return;
  auto& c = s.cruise;
  c.Region.Set(row, s.ctx.region);
  if (s.v6) {
    c.SaleNo.Set(row, r.Text(c6SaleNo));
    c.CruiseNo.Set(row, r.Text(c6SaleNo));
    c.Forest.Set(row, r.Text(c6Forest));
    c.District.Set(row, r.Text(c6District));
    c.CalYear.Set(row, ExpandYear(r.Text(c6Year)));
    c.SaleName.Set(row, r.Text(c6SaleName));
    c.MeasSys.Set(row, "E");
    c.CruiseType.Set(row, "");
    return;
  }
  c.CruiseNo.Set(row, r.Text(c1CruiseNo));
  c.SaleNo.Set(row, r.Text(c1SaleNo));
  c.Forest.Set(row, r.Text(c1Forest));
  c.District.Set(row, r.Text(c1District));
  c.CalYear.Set(row, r.Text(c1CalYear));
  c.MeasSys.Set(row, r.Text(c1MeasSys));
  c.SaleName.Set(row, r.Text(c1SaleName));
  c.Purpose.Set(row, r.Text(c1Purpose));
  c.CruiseType.Set(row, s.ctx.cruise_type);
}

void JobRecordReaders::ReadUnitRecord(const JobRecord& r) {
  State& s = *state_;
  bool v6 = r.layout() == &kUnit6;
  const std::string& cut_unit = r.Text(Pick(v6, u6CutUnit, u2CutUnit));
  FoldInto(s.key, {cut_unit});
  if (!s.units.TryEmplace(s.key, true).second) return;  // the first record of a unit wins
  std::size_t row = s.AddRow(s.t.units);
  if (row == SIZE_MAX) return;
  auto& u = s.unit;
  u.CutUnit.Set(row, cut_unit);
  u.Error.Set(row, 0);
  if (v6) {
    u.Area.Set(row, r.Real(u6Area));
    u.Description.Set(row, r.Text(u6Description));
    u.LogMeth.Set(row, r.Text(u6LogMeth));
    return;
  }
  u.Area.Set(row, r.Real(u2Area));
  u.Description.Set(row, r.Text(u2Description));
  u.LogMeth.Set(row, r.Text(u2LogMeth));
  u.PayUnit.Set(row, r.Text(u2PayUnit));
}

void JobRecordReaders::ReadStratumRecord(const JobRecord& r) {
  State& s = *state_;
  std::size_t row = s.AddRow(s.t.strata);
  if (row == SIZE_MAX) return;
  bool v6 = s.v6;
  std::string method = r.Text(Pick(v6, s6CruzMeth, s3CruzMeth));
  if (method == "PCMPLT") method = "PCMTRE";
  const std::string& stratum = r.Text(Pick(v6, s6Stratum, s3Stratum));
  auto& t = s.stratum;
  t.BAF.Set(row, r.Real(Pick(v6, s6BAF, s3BAF)));
  t.FPSize.Set(row, r.Real(Pick(v6, s6FPSize, s3FPSize)));
  t.Month.Set(row, r.Int(Pick(v6, s6Month, s3Month)));
  t.Year.Set(row, v6 ? Atoi(ExpandYear(r.Text(s6Year))) : r.Int(s3Year));
  t.CruzMeth.Set(row, method);
  t.Stratum.Set(row, stratum);
  t.Description.Set(row, r.Text(Pick(v6, s6Description, s3Description)));
  t.Error.Set(row, 0);
  s.stratum_methods.emplace(FoldedKey({stratum}), method);
}

void JobRecordReaders::ReadStratumUnitRecord(const JobRecord& r) {
  State& s = *state_;
  std::size_t row = s.AddRow(s.t.strata_units);
  if (row == SIZE_MAX) return;
  s.su.StrataUnit.Set(row, r.Text(su4Stratum));
  s.su.UnitStrata.Set(row, r.Text(su4CutUnit));
  s.su.UnitAcres.Set(row, r.Real(su4UnitAcres));
}

void JobRecordReaders::AddRegion7Unit(std::string_view line) {
  State& s = *state_;
  if (s.v6 || (s.ctx.region != "07" && s.ctx.region != "7")) return;
  s.scratch.Parse(kUnit2A, line);
  ReadUnitRecord(s.scratch);  // adds nothing when the unit exists
}

bool JobRecordReaders::ReadCountRecord(const JobRecord& r) {
  State& s = *state_;
  const AFields& f = s.A();
  const std::string& stratum = r.Text(kStratum);
  const std::string& cut_unit = r.Text(kCutUnit);
  FoldInto(s.key, {stratum});
  auto method_it = s.stratum_methods.find(s.key);
  std::string_view method = method_it == s.stratum_methods.end() ? std::string_view() : method_it->second;
  const std::string& sg = r.Text(f.sg);
  const std::string& sp = r.Text(f.sp);

  bool flag = false;
  double tally = 0;
  std::int64_t kpi = 0;
  if (IsCountMark(r.Text(f.mark))) {
    tally = FiniteAtof(r.Text(f.tree_cnt));
    kpi = WholePart(FiniteAtof(r.Text(f.kpi)));
    flag = method == "3P" || method == "S3P" || method == "STR";
    if (method == "S3P" && kpi >= 1) flag = false;
  }

  FoldInto(s.key, {sp, sg, stratum, cut_unit});
  const std::size_t* known = s.counts.Find(s.key);
  if (known == nullptr) {
    std::size_t row = s.AddRow(s.t.counts);
    if (row == SIZE_MAX) return flag;
    s.counts.TryEmplace(s.key, row);
    auto& c = s.count;
    c.CutUnit.Set(row, cut_unit);
    c.Stratum.Set(row, stratum);
    c.SG.Set(row, sg);
    c.Sp.Set(row, sp);
    c.Error.Set(row, 0);
    if (flag) {
      c.Count.Set(row, WholePart(tally));
      c.SumKPI.Set(row, kpi);
    }
  } else if (flag) {
    std::size_t row = *known;
    auto& c = s.count;
    c.Count.Set(row, WholePart(static_cast<double>(c.Count.Get(row)) + tally));
    c.SumKPI.Set(row, SaturatingAdd(c.SumKPI.Get(row), kpi));
  }
  return flag;
}

bool JobRecordReaders::ReadPlotRecord(const JobRecord& r) {
  State& s = *state_;
  const AFields& f = s.A();
  const std::string& plot_no = r.Text(kPlot);
  const std::string& tree_no = r.Text(kTree);
  double tally = FiniteAtof(r.Text(f.tree_cnt));
  double kpi = FiniteAtof(r.Text(f.kpi));
  bool null_plot = plot_no != " " && TrimBoth(r.Text(f.sp)).empty() &&
                   (tree_no == " " || (!tree_no.empty() && (tree_no.back() == '0' || tree_no.back() == '1'))) &&
                   tally == 0 && kpi == 0;
  // A null plot record for a plot that already has a row adds nothing, and
  // it is no tree either.
  FoldInto(s.key, {r.Text(kStratum), r.Text(kCutUnit), plot_no});
  if (!s.plots.TryEmplace(s.key, true).second) return null_plot;
  std::size_t row = s.AddRow(s.t.plots);
  if (row == SIZE_MAX) return null_plot;
  auto& p = s.plot;
  p.Stratum.Set(row, r.Text(kStratum));
  p.CutUnit.Set(row, r.Text(kCutUnit));
  p.Plot.Set(row, plot_no);
  p.NullPlot.Set(row, null_plot ? 1 : 0);
  p.SlopePct.Set(row, ToFloat(FiniteAtof(r.Text(f.slope))));
  p.Error.Set(row, 0);
  return null_plot;
}

void JobRecordReaders::State::SetTree7A(std::size_t row, const JobRecord& r, bool with_count, bool add_split) {
  const std::string& region = ctx.region;
  tree.SG.Set(row, r.Text(t7aSG));
  tree.Sp.Set(row, r.Text(t7aSp));
  tree.SlopePct.Set(row, ToFloat(r.Real(t7aSlopePct)));
  tree.ProdP.Set(row, r.Text(t7aProdP));
  tree.ProdS.Set(row, TreeProdS(r.Text(t7aProdP), r.Text(t7aProdS), r.Text(t7aCL), region));
  tree.CL.Set(row, r.Text(t7aCL));
  tree.CM.Set(row, r.Text(t7aCM));
  if (with_count) {
    if (add_split) {
      // A KPI above 99999 is written as several 7A lines: 99999 with count 0
      // on each but the last. Their sum is the tree's KPI.
      tree.TreeCnt.Set(row, ToFloat(static_cast<double>(tree.TreeCnt.Get(row)) + r.Real(t7aTreeCnt)));
      tree.KPI.Set(row, SaturatingAdd(tree.KPI.Get(row), r.Whole(t7aKPI)));
    } else {
      tree.TreeCnt.Set(row, ToFloat(r.Real(t7aTreeCnt)));
      tree.KPI.Set(row, r.Whole(t7aKPI));
    }
  }
  tree.UOMP.Set(row, NormaliseUomp(r.Text(t7aUOMP)));
  tree.ThreePcode.Set(row, r.Text(t7a3Pcode));
  tree.CDefP.Set(row, ToFloat(r.Real(t7aCDefP)));
  tree.HDefP.Set(row, ToFloat(r.Real(t7aHDefP)));
  tree.SDefP.Set(row, ToFloat(r.Real(t7aSDefP)));
  tree.CDefS.Set(row, ToFloat(r.Real(t7aCDefS)));
  tree.HDefS.Set(row, ToFloat(r.Real(t7aHDefS)));
  tree.SDefS.Set(row, ToFloat(r.Real(t7aSDefS)));
  tree.RecDefP.Set(row, ToFloat(r.Real(t7aRecDefP)));
  tree.Initials.Set(row, r.Text(t7aInitials));
  tree.YC.Set(row, r.Text(t7aYC));
  tree.ContrSpec.Set(row, r.Text(t7aContrSpec));
  tree.LD.Set(row, r.Text(t7aLD));
  tree.TreeGrade.Set(row, r.Text(t7aTreeGrade));
  tree.HgtFLL.Set(row, ToFloat(r.Real(t7aHgtFLL)));
  tree.PoleLen.Set(row, r.Int(t7aPoleLen));
  tree.Clear.Set(row, NormaliseClear(r.Text(t7aClear), region));
  tree.CR.Set(row, r.Text(t7aCR));
}

void JobRecordReaders::State::SetTree7B(std::size_t row, const JobRecord& r) {
  tree.DBH.Set(row, ToFloat(r.Real(t7bDBH)));
  tree.DRCOB.Set(row, ToFloat(r.Real(t7bDRCOB)));
  tree.TotHt.Set(row, ToFloat(r.Real(t7bTotHt)));
  tree.MrchHtT.Set(row, r.Text(t7bMrchHtT));
  tree.MrchHtLL.Set(row, r.Int(t7bMrchHtLL));
  tree.MrchHtP.Set(row, ToFloat(r.Real(t7bMrchHtP)));
  tree.MrchHtS.Set(row, ToFloat(r.Real(t7bMrchHtS)));
  tree.RefHtPct.Set(row, r.Int(t7bRefHtPct));
  tree.FC.Set(row, r.Int(t7bFC));
  tree.AvgZForm.Set(row, r.Real(t7bAvgZForm));
  tree.UStemDOB.Set(row, ToFloat(r.Real(t7bUStemDOB)));
  tree.HgtUStem.Set(row, ToFloat(r.Real(t7bHgtUStem)));
  tree.DBHBTR.Set(row, ToFloat(r.Real(t7bDBHBTR)));
  tree.DBHDBT.Set(row, ToFloat(r.Real(t7bDBHDBT)));
  tree.TopDIBP.Set(row, ToFloat(r.Real(t7bTopDIBP)));
  tree.TopDIBS.Set(row, ToFloat(r.Real(t7bTopDIBS)));
  tree.DefectCode.Set(row, r.Text(t7bDefectCode));
  tree.Ht2Def.Set(row, r.Int(t7bHt2Def));
  tree.DiamDefPt.Set(row, ToFloat(r.Real(t7bDiamDefPt)));
  tree.VoidPct.Set(row, ToFloat(r.Real(t7bVoidPct)));
}

void JobRecordReaders::State::AddTree6(const JobRecord& r) {
  std::size_t row = AddRow(tree_rows);
  if (row == SIZE_MAX) return;
  SetTreeKey(row, r);
  const std::string& region = ctx.region;
  tree.SG.Set(row, r.Text(t6SG));
  tree.Sp.Set(row, r.Text(t6Sp));
  tree.SlopePct.Set(row, ToFloat(r.Real(t6SlopePct)));
  tree.ProdP.Set(row, r.Text(t6ProdP));
  tree.ProdS.Set(row, region == "06" ? "08" : "02");
  tree.TreeCnt.Set(row, ToFloat(r.Real(t6TreeCnt)));
  tree.KPI.Set(row, r.Whole(t6KPI));
  tree.UOMP.Set(row, NormaliseUomp(r.Text(t6UOMP)));
  tree.ThreePcode.Set(row, r.Text(t63Pcode));
  tree.Initials.Set(row, r.Text(t6Initials));
  tree.YC.Set(row, r.Text(t6YC));
  tree.ContrSpec.Set(row, r.Text(t6ContrSpec));
  tree.LD.Set(row, r.Text(t6LD));
  tree.TreeGrade.Set(row, r.Text(t6TreeGrade));
  tree.HgtFLL.Set(row, ToFloat(r.Real(t6HgtFLL)));
  tree.PoleLen.Set(row, r.Int(t6PoleLen));
  tree.Clear.Set(row, NormaliseClear(r.Text(t6Clear), region));
  tree.CR.Set(row, r.Text(t6CR));
  tree.DBH.Set(row, ToFloat(r.Real(t6DBH)));
  tree.MrchHtT.Set(row, r.Text(t6MrchHtT));
  tree.FC.Set(row, r.Int(t6FC));
  tree.UStemDOB.Set(row, ToFloat(r.Real(t6UStemDOB)));
  tree.DBHBTR.Set(row, ToFloat(r.Real(t6DBHBTR)));
  tree.TopDIBP.Set(row, ToFloat(r.Real(t6TopDIBP)));
  tree.CL.Set(row, Version6CL(r.Text(t6CL)));
  tree.CM.Set(row, Version6CM(r.Text(t6Kind)));
  Version6Heights h = DecodeVersion6Heights(r, region);
  tree.TotHt.Set(row, ToFloat(FiniteAtof(h.TotHt)));
  tree.MrchHtP.Set(row, ToFloat(FiniteAtof(h.MrchHtP)));
  tree.MrchHtS.Set(row, ToFloat(FiniteAtof(h.MrchHtS)));
  tree.HgtUStem.Set(row, ToFloat(FiniteAtof(h.HgtUStem)));
  tree.CDefP.Set(row, ToFloat(FiniteAtof(h.CDefP)));
  tree.HDefP.Set(row, ToFloat(FiniteAtof(h.HDefP)));
  tree.SDefP.Set(row, ToFloat(FiniteAtof(h.SDefP)));
  tree.SDefS.Set(row, ToFloat(FiniteAtof(h.SDefS)));
  tree.Error.Set(row, 0);
  IndexTree(r);  // though Version 6 trees are never looked up
}

void JobRecordReaders::ReadTreeRecord(const JobRecord& r, bool count_flag) {
  State& s = *state_;
  if (s.v6) {
    // A tallied count record is no tree; every other line is a tree of its own.
    if (count_flag && IsCountMark(r.Text(t6Kind))) return;
    s.AddTree6(r);
    return;
  }
  const RecordLayout* layout = r.layout();
  bool is_a = layout == &kTree7A;
  bool is_b = layout == &kTree7B;
  if (is_a && count_flag && IsCountMark(r.Text(t7aCM))) return;
  if (is_b && count_flag) return;

  FoldInto(s.key, {r.Text(kStratum), r.Text(kCutUnit), r.Text(kPlot), r.Text(kTree)});
  TreeEntry* entry = s.trees.Find(s.key);
  if (entry == nullptr || entry->row == SIZE_MAX) {
    // A B or E line with nothing past the key (the line that follows a
    // "3PPNT" null plot) makes no tree of its own.
    if (!is_a && CarriesOnlyKey(r)) return;
    std::size_t row = s.AddRow(s.tree_rows);
    if (row == SIZE_MAX) return;
    s.SetTreeKey(row, r);
    s.tree.Error.Set(row, 0);
    if (entry == nullptr) entry = s.trees.TryEmplace(s.key, TreeEntry{}).first;
    entry->row = row;
    ++s.indexed_trees;
    entry->split_pending = false;
    s.IndexTree(r);
    if (is_a) {
      s.SetTree7A(row, r, true, false);
      entry->split_pending = r.Whole(t7aKPI) == 99999 && r.Real(t7aTreeCnt) == 0;
      return;
    }
  } else if (is_a) {
    s.SetTree7A(entry->row, r, !count_flag, entry->split_pending);
    if (!count_flag) entry->split_pending = r.Whole(t7aKPI) == 99999 && r.Real(t7aTreeCnt) == 0;
    return;
  }
  std::size_t row = entry->row;
  if (is_b)
    s.SetTree7B(row, r);
  else
    s.tree.Remarks.Set(row, r.Text(r7eRemarks));
}

void JobRecordReaders::AddSubPopulation(const JobRecord& r) {
  State& s = *state_;
  const AFields& f = s.A();
  // Version 6 marks measured trees "N"; they count as "M".
  std::string mark = s.v6 ? Version6CM(r.Text(f.mark)) : r.Text(f.mark);
  if (mark != "M" && mark != "m") return;
  const std::string& sp = r.Text(f.sp);
  if (sp == " ") return;
  const std::string& stratum = r.Text(kStratum);
  const std::string& sg = r.Text(f.sg);
  const std::string& uomp = r.Text(f.uomp);
  const std::string& prod_p = r.Text(f.prod_p);
  const std::string prod_s = s.v6 ? std::string() : r.Text(t7aProdS);
  const std::string& cl = r.Text(f.cl);
  FoldInto(s.key, {stratum, sg, sp, uomp, prod_p, prod_s, cl});
  if (!s.subpops.TryEmplace(s.key, true).second) return;
  std::size_t row = s.AddRow(s.t.subpopulations);
  if (row == SIZE_MAX) return;
  auto& p = s.subpop;
  p.Stratum.Set(row, stratum);
  p.SG.Set(row, sg);
  p.Sp.Set(row, sp);
  p.UOMP.Set(row, uomp);
  p.ProdP.Set(row, prod_p);
  p.ProdS.Set(row, prod_s);
  p.CL.Set(row, cl);
}

void JobRecordReaders::ReadLogRecord(const JobRecord& r) {
  State& s = *state_;
  auto& l = s.log;
  const RecordLayout* layout = r.layout();
  int* tree_logs = nullptr;  // the tree's log count, found once per record
  auto add_row = [&](std::string_view log_num) -> std::size_t {
    std::size_t row = s.AddRow(s.log_rows);
    if (row == SIZE_MAX) return row;
    if (tree_logs == nullptr) {
      FoldInto(s.key, {r.Text(kStratum), r.Text(kCutUnit), r.Text(kPlot), r.Text(kTree)});
      tree_logs = &s.trees.TryEmplace(s.key, TreeEntry{}).first->logs;
    }
    ++*tree_logs;
    l.Stratum.Set(row, r.Text(kStratum));
    l.CutUnit.Set(row, r.Text(kCutUnit));
    l.Plot.Set(row, r.Text(kPlot));
    l.Tree.Set(row, r.Text(kTree));
    l.LogNum.Set(row, std::string(log_num));
    l.Error.Set(row, 0);
    return row;
  };

  if (layout == &kLog7D) {
    if (EndsLogs(r.Text(l7dLogNum))) return;
    std::size_t row = add_row(r.Text(l7dLogNum));
    if (row == SIZE_MAX) return;
    bool v_type = s.ctx.cruise_type == "V";
    l.FBSFlag.Set(row, v_type ? 0 : 1);
    l.PctSeenDef.Set(row, ToFloat(r.Real(l7dPctSeenDef)));
    l.PctRecChip.Set(row, ToFloat(r.Real(l7dPctRecChip)));
    l.SEDi.Set(row, ToFloat(r.Real(l7dSEDi)));
    l.LEDi.Set(row, ToFloat(r.Real(l7dLEDi)));
    l.Length.Set(row, r.Int(l7dLength));
    l.Grade.Set(row, r.Text(l7dGrade));
    l.GBDFT.Set(row, r.Real(l7dGBDFT));
    l.GCUFT.Set(row, r.Real(l7dGCUFT));
    l.NBDFT.Set(row, r.Real(l7dNBDFT));
    l.NCUFT.Set(row, r.Real(l7dNCUFT));
    l.Sort.Set(row, v_type ? r.Text(l7dSort) : std::string(" "));
    return;
  }

  for (std::size_t g = 0; g < r.GroupCount(); ++g) {
    auto field = [&](std::size_t i) -> const FieldValue& { return r.GroupField(g, i); };
    const std::string& log_num = field(0).text;  // LogNum leads every group
    if (EndsLogs(log_num)) return;
    std::size_t row = add_row(log_num);
    if (row == SIZE_MAX) return;
    if (layout == &kLog7C) {
      l.Grade.Set(row, field(l7cGrade).text);
      l.PctSeenDef.Set(row, ToFloat(field(l7cPctSeenDef).real));
      l.PctRecChip.Set(row, ToFloat(field(l7cPctRecChip).real));
    } else if (layout == &kLogGrade6) {
      l.Grade.Set(row, field(lg6Grade).text);
      l.PctSeenDef.Set(row, ToFloat(field(lg6PctSeenDef).real));
    } else if (layout == &kLogVolume6) {
      l.FBSFlag.Set(row, 1);
      l.SEDi.Set(row, ToFloat(field(lv6SEDi).real));
      l.LEDi.Set(row, ToFloat(field(lv6LEDi).real));
      l.Length.Set(row, static_cast<int>(field(lv6Length).whole));
      l.Grade.Set(row, field(lv6Grade).text);
      l.GBDFT.Set(row, field(lv6GBDFT).real);
      l.GCUFT.Set(row, field(lv6GCUFT).real);
      l.NBDFT.Set(row, field(lv6NBDFT).real);
      l.NCUFT.Set(row, field(lv6NCUFT).real);
    }
  }
}

void JobRecordReaders::BuildStratumUnits() {
  State& s = *state_;
  std::unordered_map<std::string, std::string> lists;
  for (std::size_t r = 0; r < s.t.strata_units.Size(); ++r) {
    std::string& list = lists[FoldedKey({s.su.StrataUnit.Get(r)})];
    list += s.su.UnitStrata.Get(r);
    list += ',';
  }
  for (std::size_t r = 0; r < s.t.strata.Size(); ++r) {
    auto it = lists.find(FoldedKey({s.stratum.Stratum.Get(r)}));
    std::string units = it == lists.end() ? std::string() : it->second;
    if (!units.empty()) units.back() = ' ';
    std::size_t last = units.find_last_not_of(' ');
    units.resize(last == std::string::npos ? 0 : last + 1);
    s.stratum.Units.Set(r, units);
  }
}

void JobRecordReaders::CountTreeLogs() {
  State& s = *state_;
  s.TrimRows();
  auto& t = s.tree;
  if (s.indexed_trees == s.t.trees.Size()) {
    // Every row has its own entry (no Version 6 trees, no rows sharing a
    // key): the entries give each row its count without reading the rows.
    s.trees.ForEach([&](std::string_view, const TreeEntry& entry) {
      if (entry.row != SIZE_MAX && entry.logs > 0) t.LogRecs.Set(entry.row, entry.logs);
    });
    return;
  }
  for (std::size_t r = 0; r < s.t.trees.Size(); ++r) {
    FoldInto(s.key, {t.Stratum.Get(r), t.CutUnit.Get(r), t.Plot.Get(r), t.Tree.Get(r)});
    const TreeEntry* entry = s.trees.Find(s.key);
    if (entry != nullptr && entry->logs > 0) t.LogRecs.Set(r, entry->logs);
  }
}

}  // namespace sw::legacy::jobfile
