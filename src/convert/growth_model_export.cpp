#include "convert/growth_model_export.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "convert/job_key_exporter.h"
#include "cruisedb/columns.h"
#include "growthmodel/simulator_files.h"
#include "growthmodel/species.h"
#include "growthmodel/tree_data.h"
#include "growthmodel/variants.h"
#include "storage/file_system.h"
#include "storage/output_set.h"
#include "storage/storage.h"

namespace sw::convert {

namespace col = cruisedb::col;
namespace table = cruisedb::table;
namespace gm = growthmodel;
using platform::Icon;
using storage::Storage;

namespace {

constexpr char kError[] = "ERROR";
constexpr char kWarning[] = "WARNING";
constexpr std::size_t kListedAtMost = 20;

std::string NothingWritten() { return "\nNo GRO files were written."; }

storage::Result<Storage> OpenCruise(const std::filesystem::path& path) {
  auto opened = Storage::Open(path, Storage::Mode::ReadOnly);
  if (!opened) return storage::Status::Error(path.string() + " cannot be read: " + opened.status().message());
  return opened;
}

// "a\nb\n... and 3 more" for a message.
std::string ListOf(const std::vector<std::string>& items) {
  std::string out;
  for (std::size_t i = 0; i < items.size() && i < kListedAtMost; ++i) out += "\n" + items[i];
  if (items.size() > kListedAtMost) out += "\n... and " + std::to_string(items.size() - kListedAtMost) + " more";
  return out;
}

bool SamePath(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  if (std::filesystem::equivalent(a, b, ec)) return true;
  return std::filesystem::absolute(a, ec).lexically_normal() == std::filesystem::absolute(b, ec).lexically_normal();
}

}  // namespace

std::optional<platform::Message> CheckCruiseLocation(const std::filesystem::path& cruise_path) {
  const platform::Message blank{kBlankLocationMessage, "CANNOT CONTINUE", Icon::kStop};
  auto opened = OpenCruise(cruise_path);
  if (!opened) return blank;
  auto cruise = opened->GetView(table::CruiseTable);
  if (cruise.Size() == 0) return blank;
  for (const auto* column : {&col::Region, &col::Forest, &col::District}) {
    if (cruise.Bind(*column).Get(0).empty()) return blank;
  }
  return std::nullopt;
}

void SortListEntries(std::vector<std::string>& entries) {
  std::stable_sort(entries.begin(), entries.end(),
                   [](const std::string& a, const std::string& b) { return storage::CompareText(a, b) < 0; });
}

std::vector<std::string> ChosenUnits(const std::vector<std::string>& selected_entries) {
  std::vector<std::string> units;
  for (const auto& entry : selected_entries) {
    if (entry == kAllUnitsEntry) {
      units.push_back(entry);
      continue;
    }
    units.push_back(entry.substr(0, entry.find(" -- ")));
  }
  return units;
}

ExportStart StartGrowthModelExport(const std::filesystem::path& cruise_path) {
  ExportStart start;
  auto opened = OpenCruise(cruise_path);
  if (!opened) {
    start.outcome.result = Result::kFailed;
    start.outcome.Say(opened.status().message(), kError, Icon::kStop);
    return start;
  }
  auto trees = opened->GetView(table::TreeTable);
  double sum = 0;
  const bool has_column = trees.ColumnIndex(col::ExpanFac.name) >= 0;
  if (has_column) {
    auto expan = trees.Bind(col::ExpanFac);
    for (std::size_t i = 0; i < trees.Size(); ++i) sum += expan.Get(i);
  }
  if (!has_column || sum == 0 || !std::isfinite(sum)) {
    start.outcome.result = Result::kRefused;
    start.outcome.Say(kNoExpansionFactorsMessage, kError, Icon::kNone);
    return start;
  }

  auto units = opened->GetView(table::CuttingUnitTable);
  char count[32];
  std::snprintf(count, sizeof count, "%4d", static_cast<int>(units.Size()));
  start.offer.unit_count = count;

  auto cut_unit = units.Bind(col::CutUnit);
  auto description = units.Bind(col::Description);
  std::vector<std::string> entries;
  for (std::size_t i = 0; i < units.Size(); ++i) {
    std::string text = description.Get(i);
    entries.push_back(cut_unit.Get(i) + " -- " + (text.empty() ? std::string(kNoDescription) : text));
  }
  SortListEntries(entries);
  start.offer.unit_entries.push_back(kAllUnitsEntry);
  start.offer.unit_entries.insert(start.offer.unit_entries.end(), entries.begin(), entries.end());

  start.offer.variant_names = gm::VariantsForRegion(opened->GetView(table::CruiseTable).Bind(col::Region).Get(0));
  SortListEntries(start.offer.variant_names);
  start.outcome.result = Result::kDone;
  return start;
}

ExportResult ExportGrowthModel(const ExportRequest& request) {
  ExportResult result;
  Outcome& outcome = result.outcome;
  result.folder = request.cruise_path.parent_path();
  const auto in_folder = [&](const std::string& name) { return (result.folder / name).string(); };
  const auto refuse = [&](Result why, const std::string& text, Icon icon) {
    outcome.result = why;
    outcome.Say(text, kError, icon);
    return result;
  };

  // The batch file takes the place of the cruise file's own extension,
  // whatever its letter case, so it can never be the cruise file.
  std::filesystem::path batch_path = request.cruise_path;
  batch_path.replace_extension(".bat");
  if (SamePath(batch_path, request.cruise_path)) {
    return refuse(Result::kRefused, "The batch file would replace " + request.cruise_path.string() + NothingWritten(),
                  Icon::kStop);
  }

  std::string batch = gm::kBatchFileFirstLine;
  const std::string variant_code = gm::VariantCode(request.variant_name);
  if (variant_code.empty() || request.units.empty()) {
    // Each OK starts the batch file afresh, even when it goes no further.
    storage::OutputSet set(request.fs);
    auto written = set.WriteText(batch_path.string(), [&](std::ostream& out) { return static_cast<bool>(out << batch); });
    if (written) written = set.Commit();
    if (!written && storage::IsInUse(written)) return refuse(Result::kInUse, InUseMessage(written), Icon::kStop);
    if (!written) return refuse(Result::kFailed, written.message(), Icon::kStop);
    outcome.written.push_back(batch_path);
    outcome.result = Result::kRefused;
    outcome.Say(variant_code.empty() ? kNoVariantMessage : kNoUnitsMessage, kWarning, Icon::kExclamation);
    return result;
  }

  auto opened = OpenCruise(request.cruise_path);
  if (!opened) return refuse(Result::kFailed, opened.status().message() + NothingWritten(), Icon::kStop);
  Storage& crz = *opened;
  gm::CruiseViews views{crz.GetView(table::CruiseTable), crz.GetView(table::StratumTable),
                        crz.GetView(table::CuttingUnitTable), crz.GetView(table::TreeTable),
                        crz.GetView(table::PlotTable), crz.GetView(table::VolumeEquationTable)};
  if (views.cruise.Size() == 0) {
    return refuse(Result::kRefused, "CruiseTable of " + request.cruise_path.string() + " is empty." + NothingWritten(),
                  Icon::kStop);
  }
  const gm::CruiseHeader header = gm::ReadCruiseHeader(views.cruise);
  if (auto problem = gm::FileNamePartProblem(header.cruise_no); !problem.empty()) {
    return refuse(Result::kRefused,
                  "The cruise number \"" + header.cruise_no + "\" cannot be part of a file name: " + problem +
                      ".\nCorrect CruiseNo in CruiseTable and try again." + NothingWritten(),
                  Icon::kStop);
  }

  // The units in export order; " ALL UNITS" stands for every unit of the file.
  std::vector<std::string> units;
  auto cut_unit = views.units.Bind(col::CutUnit);
  for (const auto& chosen : request.units) {
    if (chosen == kAllUnitsEntry) {
      for (std::size_t i = 0; i < views.units.Size(); ++i) units.push_back(gm::TrimBlanks(cut_unit.Get(i)));
    } else {
      units.push_back(gm::TrimBlanks(chosen));
    }
  }
  for (const auto& unit : units) {
    if (auto problem = gm::FileNamePartProblem(unit); !problem.empty()) {
      return refuse(Result::kRefused,
                    "The cutting unit \"" + unit + "\" cannot be part of a file name: " + problem +
                        ".\nCorrect CutUnit in CuttingUnitTable and try again." + NothingWritten(),
                    Icon::kStop);
    }
  }

  const std::filesystem::path proration_path = result.folder / kProrationFileName;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(proration_path, ec)) {
    return refuse(Result::kRefused,
                  proration_path.string() + " is missing!\nProcess in Tallyworks and try again." + NothingWritten(),
                  Icon::kStop);
  }
  auto proration_file = Storage::Open(proration_path, Storage::Mode::ReadOnly);
  if (!proration_file) {
    return refuse(Result::kFailed,
                  proration_path.string() + " cannot be read: " + proration_file.status().message() + NothingWritten(),
                  Icon::kStop);
  }
  const storage::View proration = proration_file->GetView("PROtable");

  auto species = gm::SpeciesFile::Open(request.species_file);
  if (!species) {
    result.close_dialog = true;
    return refuse(Result::kFailed, species.status().message(), Icon::kExclamation);
  }

  // Texts by file name; a unit exported twice rewrites its files, so the
  // later text replaces the earlier one.
  std::map<std::string, std::string> texts;
  std::vector<std::string> order;
  const auto put = [&](const std::string& name, std::string text) {
    if (texts.find(name) == texts.end()) order.push_back(name);
    texts[name] = std::move(text);
  };
  std::vector<std::string> no_acres, unprorated, untranslated;
  std::vector<std::string> exported;
  for (const auto& unit : units) {
    auto file = gm::WriteTreeDataFile(unit, views, proration, variant_code, *species);
    if (!file) return refuse(Result::kRefused, file.status().message() + NothingWritten(), Icon::kStop);
    if (file->no_acres) {
      if (std::find(no_acres.begin(), no_acres.end(), unit) == no_acres.end()) no_acres.push_back(unit);
      continue;
    }
    for (auto& tree : file->unprorated) unprorated.push_back("unit " + unit + ", " + tree);
    for (auto& sp : file->untranslated) {
      if (std::find(untranslated.begin(), untranslated.end(), sp) == untranslated.end()) untranslated.push_back(sp);
    }
    const std::string keyword = gm::KeywordFileName(file->file_name);
    put(file->file_name, std::move(file->text));
    put(keyword, gm::KeywordFileText(file->file_name, header, variant_code, request.current_year));
    batch += gm::BatchLines(keyword, variant_code);
    exported.push_back(unit);
  }

  const std::string location = gm::LocationFileName(header.cruise_no);
  const std::string stand_list = gm::StandListFileName(location);
  put(location, gm::LocationFileText(header, stand_list));
  std::vector<gm::StandListUnit> stand_units;
  const auto listed = [&](const std::string& unit) {
    return std::find(no_acres.begin(), no_acres.end(), unit) == no_acres.end();
  };
  if (request.units.front() == kAllUnitsEntry) {
    auto area = views.units.Bind(col::Area);
    for (std::size_t i = 0; i < views.units.Size(); ++i) {
      const std::string unit = gm::TrimBlanks(cut_unit.Get(i));
      if (listed(unit)) stand_units.push_back({unit, area.Get(i)});
    }
  } else {
    for (const auto& chosen : request.units) {
      const std::string unit = gm::TrimBlanks(chosen);
      if (listed(unit)) stand_units.push_back({unit, gm::UnitArea(views.units, unit).value_or(1.0)});
    }
  }
  put(stand_list,
      gm::StandListText(stand_units, header, variant_code, gm::InventoryYear(header, request.current_year)));

  for (const auto& name : order) {
    if (SamePath(result.folder / name, request.cruise_path) || SamePath(result.folder / name, batch_path)) {
      return refuse(Result::kRefused, "The GRO file " + name + " would replace an input file." + NothingWritten(),
                    Icon::kStop);
    }
  }

  storage::OutputSet set(request.fs);
  storage::Status status = set.WriteText(batch_path.string(), [&](std::ostream& out) { return static_cast<bool>(out << batch); });
  for (const auto& name : order) {
    if (!status) break;
    const std::string& text = texts[name];
    status = set.WriteText(in_folder(name), [&](std::ostream& out) { return static_cast<bool>(out << text); });
  }
  if (status) status = set.Commit();
  if (!status && storage::IsInUse(status)) return refuse(Result::kInUse, InUseMessage(status), Icon::kStop);
  if (!status) return refuse(Result::kFailed, status.message() + NothingWritten(), Icon::kStop);

  outcome.written.push_back(batch_path);
  for (const auto& name : order) outcome.written.push_back(result.folder / name);
  if (!no_acres.empty()) {
    outcome.Say("These units have no acres (Area 0, negative or missing) in CuttingUnitTable; no GRO files were written for them:" +
                    ListOf(no_acres),
                kWarning, Icon::kExclamation);
  }
  if (!unprorated.empty()) {
    outcome.Say("No proration was found in " + std::string(kProrationFileName) +
                    " for these trees; they were written with proration 1:" + ListOf(unprorated),
                kWarning, Icon::kExclamation);
  }
  if (!untranslated.empty()) {
    outcome.Say("These species have no species code in the variant " + variant_code +
                    " and were written without one:" + ListOf(untranslated),
                kWarning, Icon::kExclamation);
  }
  outcome.Say("All GRO files have been created in this directory\n" + result.folder.string() +
                  "        \nTo run the batch file, return to the Ferncastle dashboard or\nrun the batch file from a "
                  "command window",
              "NOTIFY", Icon::kInformation);
  outcome.result = Result::kDone;
  return result;
}

}  // namespace sw::convert
