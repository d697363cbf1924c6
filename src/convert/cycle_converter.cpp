#include "convert/cycle_converter.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <system_error>

#include "convert/job_key_exporter.h"
#include "cruisedb/columns.h"
#include "cruisedb/dictionary.h"
#include "cruisedb/settings.h"
#include "legacy/files.h"
#include "legacy/line.h"
#include "storage/output_set.h"

namespace sw::convert {
namespace {

namespace col = cruisedb::col;
namespace config = cruisedb::config;
namespace table = cruisedb::table;
namespace fs = std::filesystem;
using cyclefile::CycleHeader;
using cyclefile::CycleReader;
using cyclefile::CycleRecord;
using platform::Icon;

constexpr char kProgramTitle[] = "Stumpwright";

// The tables a cycle conversion obtains, in that order.
constexpr std::array<std::string_view, 9> kCycleTables{
    table::VolumeEquationTable, table::GlobalConfigurationTable, table::CruiseTable,
    table::StratumTable,        table::CuttingUnitTable,         table::PlotTable,
    table::CountTable,          table::TreeTable,                table::LogTable};

constexpr std::array<std::string_view, 6> kReportCodes{"A1", "A5", "A7", "B1", "CP1", "CS1"};

// Region-8 district tables: district, area code, digit.
constexpr std::array<std::string_view, 6> kDistricts01{"01134", "04164", "05144", "06144", "07174", "03154"};
constexpr std::array<std::string_view, 7> kDistricts07{"01195", "02205", "04215", "05225", "06187", "07234", "17234"};
constexpr std::array<std::string_view, 4> kDistricts13{"01265", "03275", "04295", "07285"};

std::string LeftTrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string TrimBlanks(std::string_view text) {
  std::string t = LeftTrimBlanks(text);
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.pop_back();
  return t;
}

// Forests "01".."09" also match "1".."9"; districts "0x" also match "x".
bool SameCode(std::string_view text, std::string_view code) {
  if (text == code) return true;
  return code.size() == 2 && code[0] == '0' && text.size() == 1 && text[0] == code[1];
}

template <std::size_t N>
void FromDistrictTable(const std::array<std::string_view, N>& entries, std::string_view district, Region8Codes& codes) {
  // An empty district names no entry.
  if (district.empty()) return;
  std::string key(district);
  if (key.size() == 1) key = "0" + key;
  for (std::string_view entry : entries) {
    if (entry.substr(0, key.size()) == key && key.size() <= entry.size()) {
      codes.area = std::string(entry.substr(2, 2));
      codes.digit = std::string(entry.substr(4, 1));
    }
  }
}

// Key of an add-if-absent lookup: the engine compares text without regard
// to the case of A-Z, so the key folds them.
std::string KeyOf(std::initializer_list<std::string_view> parts) {
  std::string key;
  for (std::string_view part : parts) {
    for (char c : part) key += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    key += '\x1f';
  }
  return key;
}

bool IsPlainFileName(std::string_view name) {
  if (name.find('/') != std::string_view::npos || name.find('\\') != std::string_view::npos ||
      name.find(':') != std::string_view::npos || name.find("..") != std::string_view::npos) {
    return false;
  }
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20) return false;
  }
  return true;
}

struct Section {
  CycleHeader header;
  std::size_t records_start = 0;
  std::size_t line = 0;
};

// One cruise file being filled: its tables and the add-if-absent keys seen.
class CruiseFileWriter {
 public:
  CruiseFileWriter(storage::Storage& storage) : storage_(storage) {}

  void Open() {
    vol_ = storage_.GetView(table::VolumeEquationTable);
    config_ = storage_.GetView(table::GlobalConfigurationTable);
    cruise_ = storage_.GetView(table::CruiseTable);
    stratum_ = storage_.GetView(table::StratumTable);
    unit_ = storage_.GetView(table::CuttingUnitTable);
    plot_ = storage_.GetView(table::PlotTable);
    count_ = storage_.GetView(table::CountTable);
    tree_ = storage_.GetView(table::TreeTable);
    t_.stratum = tree_.Bind(col::Stratum);
    t_.cut_unit = tree_.Bind(col::CutUnit);
    t_.plot = tree_.Bind(col::Plot);
    t_.tree = tree_.Bind(col::Tree);
    t_.sp = tree_.Bind(col::Sp);
    t_.prod = tree_.Bind(col::ProdP);
    t_.cl = tree_.Bind(col::CL);
    t_.cm = tree_.Bind(col::CM);
    t_.uomp = tree_.Bind(col::UOMP);
    t_.count = tree_.Bind(col::TreeCnt);
    t_.sdefp = tree_.Bind(col::SDefP);
    t_.sdefs = tree_.Bind(col::SDefS);
    t_.ld = tree_.Bind(col::LD);
    t_.hgtfll = tree_.Bind(col::HgtFLL);
    t_.cr = tree_.Bind(col::CR);
    t_.dbh = tree_.Bind(col::DBH);
    t_.totht = tree_.Bind(col::TotHt);
    t_.fc = tree_.Bind(col::FC);
    t_.dbhbtr = tree_.Bind(col::DBHBTR);
  }

  void AddRecord(const CycleHeader& h, const CycleRecord& r) {
    AddVolumeEquations(r);
    if (cruise_keys_.insert(KeyOf({h.cruise_no, r.region, r.forest, h.cal_year})).second) {
      storage::Row row;
      row.Set(col::CruiseNo, h.cruise_no)
          .Set(col::SaleName, "GRO Tree Data")
          .Set(col::Region, r.region)
          .Set(col::Forest, r.forest)
          .Set(col::CalYear, h.cal_year)
          .Set(col::CruiseType, "F");
      KeepAdded(cruise_.Add(row));
    }
    if (stratum_keys_.insert(KeyOf({r.stratum, "STR"})).second) {
      storage::Row row;
      row.Set(col::Year, static_cast<std::int32_t>(legacy::Atoi(h.cycle_year)))
          .Set(col::CruzMeth, "STR")
          .Set(col::Stratum, r.stratum)
          .Set(col::Description, h.stratum_description);
      KeepAdded(stratum_.Add(row));
    }
    if (plot_keys_.insert(KeyOf({r.stratum, "1", r.plot})).second) {
      storage::Row row;
      row.Set(col::Stratum, r.stratum).Set(col::CutUnit, "1").Set(col::Plot, r.plot);
      KeepAdded(plot_.Add(row));
    }
    if (r.live_count != 0.0f) AddTree(h, r, r.tree, r.live_count, "L");
    if (r.dead_count != 0.0f) AddTree(h, r, r.tree + "D", r.dead_count, "D");
    region_number_ = r.region;
  }

  // The rows every file holds once: the default count and cutting unit,
  // then the settings.
  storage::Status Finish(const std::string& count_stratum, const std::string& file_name,
                         const std::string& base_version) {
    storage::Row count;
    count.Set(col::CutUnit, "1").Set(col::Stratum, count_stratum).Set(col::SG, "");
    KeepAdded(count_.Add(count));
    storage::Row unit;
    unit.Set(col::CutUnit, "1").Set(col::Area, 1.0);
    KeepAdded(unit_.Add(unit));
    std::string report_file = file_name;
    for (std::size_t at = report_file.find("crz"); at != std::string::npos; at = report_file.find("crz", at + 3)) {
      report_file.replace(at, 3, "out");
    }
    if (!error_.ok()) return error_;
    storage::Status st = cruisedb::AddSetting(config_, config::Processing, config::ReportFile, report_file);
    if (st) st = cruisedb::AddSetting(config_, config::Processing, config::RegionNumber, region_number_);
    for (std::string_view code : kReportCodes) {
      if (st) st = cruisedb::AddSetting(config_, config::Processing, config::Reports, code);
    }
    if (st) st = cruisedb::AddSetting(config_, config::General, config::MRU, config::kProgramName);
    if (st) st = cruisedb::AddSetting(config_, config::General, config::StructureVersion, base_version);
    return st;
  }

 private:
  // The first failed write, reported once the section is done.
  void Keep(const storage::Status& st) {
    if (error_.ok() && !st.ok()) error_ = st;
  }
  void KeepAdded(long row) {
    if (row < 0) Keep(storage::Status::Error("a row could not be added"));
  }

  void AddVolumeEquation(const CycleRecord& r, const std::string& number, float top, std::string_view flags) {
    if (!vol_keys_.insert(KeyOf({r.species, r.product, number, flags})).second) return;
    storage::Row row;
    row.Set(col::VolEqSpecie, r.species)
        .Set(col::VolEqPP, r.product)
        .Set(col::VolEqNum, number)
        .Set(col::VolEqStump, 1.0f)
        .Set(col::VolEqTopDIBP, top)
        .Set(col::VolEqFlags, std::string(flags));
    KeepAdded(vol_.Add(row));
  }

  void AddVolumeEquations(const CycleRecord& r) {
    if (r.region == "08" || r.region == "8") {
      const Region8Codes codes = Region8CodesFor(r.forest, r.district);
      AddVolumeEquation(r, Region8FirstEquation(codes, r.species), 6.0f, "01001");
      AddVolumeEquation(r, Region8SecondEquation(codes, r.species), 6.0f, "00101");
      return;
    }
    AddVolumeEquation(r, r.vol_eq1, r.top_dib1, "10100");
    AddVolumeEquation(r, r.vol_eq2, r.top_dib2, "11000");
  }

  void AddTree(const CycleHeader& h, const CycleRecord& r, const std::string& tree, float count,
               const char* live_dead) {
    const long added = tree_.Add();
    KeepAdded(added);
    if (added < 0) return;
    const auto i = static_cast<std::size_t>(added);
    Keep(t_.stratum.Set(i, r.stratum));
    Keep(t_.cut_unit.Set(i, "1"));
    Keep(t_.plot.Set(i, r.plot));
    Keep(t_.tree.Set(i, tree));
    Keep(t_.sp.Set(i, r.species));
    Keep(t_.prod.Set(i, r.product));
    Keep(t_.cl.Set(i, h.tree_class));
    Keep(t_.cm.Set(i, "M"));
    Keep(t_.uomp.Set(i, "03"));
    Keep(t_.count.Set(i, count));
    Keep(t_.sdefp.Set(i, r.primary_defect));
    Keep(t_.sdefs.Set(i, r.secondary_defect));
    Keep(t_.ld.Set(i, live_dead));
    Keep(t_.hgtfll.Set(i, r.height_first_live_limb));
    Keep(t_.cr.Set(i, r.crown));
    Keep(t_.dbh.Set(i, r.dbh));
    Keep(t_.totht.Set(i, r.total_height));
    Keep(t_.fc.Set(i, r.form_class));
    Keep(t_.dbhbtr.Set(i, r.dbh_bark_thickness_ratio));
  }

  storage::Storage& storage_;
  storage::View vol_, config_, cruise_, stratum_, unit_, plot_, count_, tree_;
  struct TreeColumns {
    storage::BoundString stratum, cut_unit, plot, tree, sp, prod, cl, cm, uomp, ld, cr;
    storage::BoundFloat count, sdefp, sdefs, hgtfll, dbh, totht, dbhbtr;
    storage::BoundInt fc;
  } t_;
  std::set<std::string> cruise_keys_, stratum_keys_, plot_keys_, vol_keys_;
  std::string region_number_;
  storage::Status error_;
};

}  // namespace

Region8Codes Region8CodesFor(std::string_view forest_text, std::string_view district_text) {
  const std::string forest = TrimBlanks(forest_text);
  const std::string district = TrimBlanks(district_text);
  Region8Codes c;
  auto set = [&c](const char* area, const char* digit) {
    c.area = area;
    c.digit = digit;
  };
  auto is = [&district](std::string_view code) { return !district.empty() && SameCode(district, code); };
  if (SameCode(forest, "01")) {
    FromDistrictTable(kDistricts01, district, c);
  } else if (SameCode(forest, "02")) {
    set("10", "3");
  } else if (SameCode(forest, "03")) {
    set("01", "3");
    if (is("08")) set("06", "2");
  } else if (SameCode(forest, "04")) {
    set("01", "3");
  } else if (SameCode(forest, "05")) {
    set("03", "1");
  } else if (SameCode(forest, "06")) {
    set("02", "5");
    if (is("06")) c.area = "09";
  } else if (SameCode(forest, "07")) {
    FromDistrictTable(kDistricts07, district, c);
  } else if (SameCode(forest, "08")) {
    set("11", "3");
    for (const char* d : {"11", "12", "13", "14", "15", "16"}) {
      if (is(d)) c.area = "12";
    }
  } else if (SameCode(forest, "09")) {
    set("31", "6");
    if (is("01") || is("06")) c.area = "30";
    if (is("12")) c.area = "32";
  } else if (forest == "10") {
    set("04", "6");
    if (is("07")) set("05", "7");
  } else if (forest == "11") {
    set("01", "3");
    if (is("03")) set("07", "1");
    if (is("10")) set("08", "2");
  } else if (forest == "12") {
    set("24", "2");
    if (is("02")) set("01", "3");
    if (is("05")) set("25", "1");
  } else if (forest == "13") {
    FromDistrictTable(kDistricts13, district, c);
  } else if (forest == "36") {
    set("25", "1");
  } else if (forest == "60") {
    set("01", "3");
  }
  return c;
}

std::string Region8FirstEquation(const Region8Codes& codes, std::string_view species) {
  return "8" + codes.area + "DVEE" + std::string(species);
}

std::string Region8SecondEquation(const Region8Codes& codes, std::string_view species) {
  const bool before_300 = species.compare("300") < 0;  // byte-wise
  return "8" + codes.digit + (before_300 ? "7" : "9") + "CLKE" + std::string(species);
}

std::string CruiseFileNameOf(const CycleHeader& header) {
  return header.name_prefix + "_" + LeftTrimBlanks(header.cycle) + header.cycle_year + ".crz";
}

Outcome CycleFileImporter::Convert(const fs::path& cycle_file, const fs::path& base_dictionary,
                                   const std::vector<cyclefile::CycleEntry>& chosen, const fs::path& output_folder) {
  Outcome outcome;
  std::string text;
  std::string why;
  if (!cyclefile::LoadCycleFile(cycle_file, text, why)) {
    outcome.result = Result::kFailed;
    outcome.Say(cycle_file.string() + "\ncannot be read: " + why + "\nNo cruise files were created.", "ERROR",
                Icon::kStop);
    return outcome;
  }

  // One walk over the file: where each section's records start, and where
  // an unfinished last record begins.
  CycleReader reader(std::move(text));
  std::vector<Section> sections;
  std::size_t incomplete_line = 0;
  std::size_t incomplete_section = 0;
  {
    CycleHeader header;
    for (bool more = true; more;) {
      switch (reader.Skip(header)) {
        case CycleReader::Item::kHeader:
          sections.push_back({header, reader.position(), reader.item_line()});
          break;
        case CycleReader::Item::kRecord: break;
        case CycleReader::Item::kIncomplete:
          incomplete_line = reader.item_line();
          incomplete_section = sections.size();  // 1 + index of its section; 0 before any header
          more = false;
          break;
        case CycleReader::Item::kEnd: more = false; break;
      }
    }
  }

  // Cruise file names in the order they are first made, each with the
  // sections it receives. Sections of one stand, cycle and year that occur
  // more than once all go into the one file of that name.
  std::vector<std::pair<std::string, std::vector<std::size_t>>> targets;
  std::map<std::string, std::size_t> target_index;
  std::set<std::size_t> taken;
  std::vector<cyclefile::CycleEntry> distinct;
  for (const auto& entry : chosen) {
    if (std::find(distinct.begin(), distinct.end(), entry) == distinct.end()) distinct.push_back(entry);
  }
  for (const auto& entry : distinct) {
    for (std::size_t s = 0; s < sections.size(); ++s) {
      const CycleHeader& h = sections[s].header;
      if (h.cycle != entry.cycle || h.cycle_year != entry.cycle_year || !taken.insert(s).second) continue;
      const std::string name = CruiseFileNameOf(h);
      if (!IsPlainFileName(name)) {
        outcome.result = Result::kRefused;
        outcome.Say("The section at line " + std::to_string(sections[s].line) + " (cycle " + h.cycle + ", year " +
                        h.cycle_year + ") names the cruise file \"" + name +
                        "\",\nwhich is not a plain file name.\nNo cruise files were created.",
                    "ERROR", Icon::kStop);
        return outcome;
      }
      auto [it, inserted] = target_index.emplace(name, targets.size());
      if (inserted) targets.push_back({name, {}});
      targets[it->second].second.push_back(s);
    }
  }
  if (targets.empty()) {
    outcome.result = Result::kRefused;
    outcome.Say("No section of the chosen cycles was found in\n" + cycle_file.string() +
                    "\nNo cruise files were created.",
                "WARNING", Icon::kExclamation);
    return outcome;
  }

  // Existing files are replaced only when the user agrees, and only once
  // every new file is complete.
  std::error_code ec;
  for (const auto& [name, unused] : targets) {
    const fs::path target = output_folder / name;
    if (!fs::exists(target, ec)) continue;
    if (!fs::is_regular_file(target, ec)) {
      outcome.result = Result::kRefused;
      outcome.Say(target.string() + "\nis not a file and cannot be replaced.\nNo cruise files were created.",
                  "ERROR", Icon::kStop);
      return outcome;
    }
    const platform::Button answer = platform_.ShowMessage({"Cruise File exists \nDO YOU WANT TO DELETE IT?",
                                                           kProgramTitle, Icon::kQuestion,
                                                           platform::Buttons::kYesNo});
    if (answer != platform::Button::kYes) {
      outcome.result = Result::kDeclined;
      return outcome;
    }
    if (!legacy::MakeWritable(target)) {
      outcome.result = Result::kFailed;
      outcome.Say(target.string() + " already exists and cannot be deleted \nIs it open by another program?",
                  "ERROR", Icon::kExclamation);
      return outcome;
    }
  }

  storage::OutputSet outputs(fs_);
  for (const auto& [name, section_list] : targets) {
    const fs::path target = output_folder / name;
    auto opened = outputs.AddStorage(target.string());
    if (!opened.ok()) {
      outcome.result = storage::IsInUse(opened.status()) ? Result::kInUse : Result::kFailed;
      outcome.Say(storage::IsInUse(opened.status())
                      ? InUseMessage(opened.status())
                      : target.string() + "\ncannot be written: " + opened.status().message() +
                            "\nNo cruise files were created.",
                  "ERROR", Icon::kStop);
      return outcome;
    }
    storage::Storage& storage = opened.value();
    const cruisedb::NewCruiseFile made = cruisedb::CreateCruiseSchema(storage, base_dictionary, kCycleTables);
    if (!made.status.ok()) {
      outcome.result = Result::kNoBaseDictionary;
      outcome.Say("Base file missing \n Cannot continue", kProgramTitle, Icon::kStop);
      return outcome;
    }
    CruiseFileWriter writer(storage);
    writer.Open();
    CycleHeader unused;
    CycleRecord record;
    for (std::size_t s : section_list) {
      reader.Seek(sections[s].records_start);
      while (reader.Next(unused, record) == CycleReader::Item::kRecord) writer.AddRecord(sections[s].header, record);
      if (incomplete_section == s + 1) {
        outcome.Say("The cycle file ends inside a tree record at line " + std::to_string(incomplete_line) +
                        ".\nThat record was left out of " + name + ".",
                    "WARNING", Icon::kExclamation);
      }
    }
    const Section& last = sections[section_list.back()];
    storage::Status st = writer.Finish(LeftTrimBlanks(last.header.cycle), name, made.base_version);
    if (st.ok()) st = storage.Commit();
    if (!st.ok()) {
      outcome.result = Result::kFailed;
      outcome.Say(target.string() + "\ncannot be written: " + st.message() + "\nNo cruise files were created.",
                  "ERROR", Icon::kStop);
      return outcome;
    }
    outcome.written.push_back(target);
  }
  const storage::Status committed = outputs.Commit();
  if (!committed.ok()) {
    outcome.result = storage::IsInUse(committed) ? Result::kInUse : Result::kFailed;
    outcome.written.clear();
    outcome.Say(storage::IsInUse(committed) ? InUseMessage(committed)
                                            : "The cruise files cannot be put in place: " + committed.message() +
                                                  "\nNo cruise files were created; existing files are unchanged.",
                "ERROR", Icon::kStop);
    return outcome;
  }
  outcome.result = Result::kDone;
  return outcome;
}

}  // namespace sw::convert
