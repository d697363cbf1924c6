// CruiseDatabase: view slots over one open cruise file.
#include "cruisedb/cruise_database.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>

#include "cruisedb/columns.h"
#include "storage/file_system.h"

namespace sw::cruisedb {
namespace {

using storage::Type;
using storage::Value;
using storage::View;

std::string Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> SplitList(std::string_view text) {
  std::vector<std::string> items;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    std::string item = Trim(text.substr(start, comma - start));
    if (!item.empty()) items.push_back(std::move(item));
    start = comma + 1;
  }
  return items;
}

bool KnownType(Type type) {
  return type == Type::String || type == Type::Int || type == Type::Long || type == Type::Float ||
         type == Type::Double;
}

// A value of the column's own type for a criteria text, so that the pattern
// compares like with like.
Value TypedValue(Type type, const std::string& text) {
  switch (type) {
    case Type::Int: return static_cast<std::int32_t>(std::strtol(text.c_str(), nullptr, 10));
    case Type::Long: return static_cast<std::int64_t>(std::strtoll(text.c_str(), nullptr, 10));
    case Type::Float: return static_cast<float>(std::strtod(text.c_str(), nullptr));
    case Type::Double: return std::strtod(text.c_str(), nullptr);
    default: return text;
  }
}

bool IsUsedMark(const std::string& is_used) { return is_used == "Y" || is_used == "M"; }

std::string TypeLetterOf(const std::string& field_type) {
  if (field_type == "S" || field_type == "I" || field_type == "L" || field_type == "F" || field_type == "D") {
    return field_type;
  }
  return "S";
}

const std::string kNoName;

}  // namespace

CruiseDatabase::CruiseDatabase(storage::FileSystem* fs) : fs_(fs != nullptr ? fs : storage::FileSystem::Default()) {}

CruiseDatabase::~CruiseDatabase() { Close(); }

int CruiseDatabase::Fail(std::string_view context, int code) {
  ReportError(context, code);
  return code;
}

int CruiseDatabase::Open(const std::filesystem::path& file_name) {
  if (storage_) Close();
  auto opened = storage::Storage::Open(file_name, storage::Storage::Mode::ReadWrite, fs_);
  if (!opened.ok()) {
    last_error_ = opened.status().message();
    return storage::IsInUse(opened.status()) ? kHeld : kNotOpened;
  }
  // Every table is decoded now, so that a damaged file is refused before
  // anything in it is changed.
  if (storage::Status verified = opened->Verify(); !verified.ok()) {
    last_error_ = verified.message();
    return kNotOpened;
  }
  storage_.emplace(std::move(opened.value()));
  file_name_ = file_name.string();
  GetViewList();
  return 0;
}

int CruiseDatabase::Close() {
  if (!storage_) return kClosed;
  for (Slot& slot : slots_) slot = Slot();
  storage_.reset();
  file_name_.clear();
  view_list_.clear();
  return 0;
}

int CruiseDatabase::Commit() {
  if (!storage_) return Fail("Committing ata", kClosed);
  storage::Status st = storage_->Commit();
  if (!st.ok()) {
    last_error_ = st.message();
    ReportError("Committing data\n" + st.message(), -1);
    return -1;
  }
  return 0;
}

int CruiseDatabase::GetViewList() {
  if (!storage_) return Fail("Building List of Views", kClosed);
  view_list_.clear();
  for (const std::string& name : storage_->ViewNames()) {
    if (!view_list_.empty()) view_list_ += ", ";
    view_list_ += name;
  }
  return 0;
}

std::string CruiseDatabase::StructureDescription() const { return storage_ ? storage_->Description() : std::string(); }

bool CruiseDatabase::HasView(std::string_view view_name, int* slot) const {
  if (!storage_) {
    if (slot != nullptr) *slot = kClosed;
    return false;
  }
  for (int i = 0; i < kSlots; ++i) {
    if (!slots_[i].name.empty() && slots_[i].name == view_name) {
      if (slot != nullptr) *slot = i;
      return true;
    }
  }
  return false;
}

int CruiseDatabase::GetViewIndex(std::string_view view_name) {
  if (!storage_) return Fail("In Get View Index", kClosed);
  for (int i = 0; i < kSlots; ++i) {
    if (slots_[i].name.empty()) {
      slots_[i] = Slot();
      slots_[i].name = std::string(view_name);
      return i;
    }
  }
  return -1;
}

int CruiseDatabase::OpenView(std::string_view view_name) {
  const std::string context = "In OpenAView, opening " + std::string(view_name);
  if (!storage_) return Fail(context, kClosed);
  if (int held = -1; HasView(view_name, &held)) CloseView(held);
  if (!storage_->HasView(view_name)) return -3;
  const int slot = GetViewIndex(view_name);
  if (slot < 0) return Fail(context, -1);
  slots_[slot].view = storage_->GetView(view_name);
  slots_[slot].description = std::string(view_name) + "[" + slots_[slot].view.Describe() + "]";
  return slot;
}

int CruiseDatabase::CloseView(int slot) {
  if (!storage_) return kClosed;
  if (slot < 0 || slot >= kSlots) return 2;
  if (slots_[slot].name.empty()) return 1;
  slots_[slot] = Slot();
  return 0;
}

int CruiseDatabase::CloseViewByName(std::string_view view_name) {
  if (!storage_) return -1;
  int slot = -1;
  return HasView(view_name, &slot) ? CloseView(slot) : 1;
}

storage::View* CruiseDatabase::SlotView(int slot) { return ValidSlot(slot) ? &slots_[slot].view : nullptr; }

const std::string& CruiseDatabase::SlotName(int slot) const {
  return slot >= 0 && slot < kSlots ? slots_[slot].name : kNoName;
}

int CruiseDatabase::SourceSlot(int slot) const { return ValidSlot(slot) ? slots_[slot].source_slot : -1; }

int CruiseDatabase::GetString(int slot, std::size_t row, int column, std::string* value) const {
  if (!storage_) return kClosed;
  if (!ValidSlot(slot) || column < 0 || static_cast<std::size_t>(column) >= slots_[slot].view.ColumnCount()) return 3;
  const View& view = slots_[slot].view;
  *value = {};
  if (!KnownType(view.ColumnAt(static_cast<std::size_t>(column)).type)) return 1;
  if (row >= view.Size()) return 3;
  *value = view.GetText(row, static_cast<std::size_t>(column));
  return 0;
}

int CruiseDatabase::GetLong(int slot, std::size_t row, int column, std::int64_t* value) const {
  if (!storage_) return kClosed;
  *value = 0;
  if (!ValidSlot(slot) || column < 0 || static_cast<std::size_t>(column) >= slots_[slot].view.ColumnCount()) return 3;
  const View& view = slots_[slot].view;
  if (!KnownType(view.ColumnAt(static_cast<std::size_t>(column)).type)) return 1;
  if (row >= view.Size()) return 3;
  const Value v = view.Get(row, static_cast<std::size_t>(column));
  if (const auto* i = std::get_if<std::int32_t>(&v)) *value = *i;
  if (const auto* l = std::get_if<std::int64_t>(&v)) *value = *l;
  if (const auto* f = std::get_if<float>(&v)) *value = static_cast<std::int64_t>(*f);
  if (const auto* d = std::get_if<double>(&v)) *value = static_cast<std::int64_t>(*d);
  if (const auto* s = std::get_if<std::string>(&v)) *value = std::strtoll(s->c_str(), nullptr, 10);
  return 0;
}

int CruiseDatabase::GetInt(int slot, std::size_t row, int column, std::int32_t* value) const {
  std::int64_t wide = 0;
  const int status = GetLong(slot, row, column, &wide);
  *value = static_cast<std::int32_t>(wide);
  return status;
}

int CruiseDatabase::SetString(int slot, std::size_t row, int column, std::string_view value) {
  if (!storage_) return kClosed;
  if (!ValidSlot(slot) || column < 0 || static_cast<std::size_t>(column) >= slots_[slot].view.ColumnCount()) return 3;
  View& view = slots_[slot].view;
  if (!KnownType(view.ColumnAt(static_cast<std::size_t>(column)).type)) return 1;
  return view.Set(row, static_cast<std::size_t>(column), Value(std::string(value))).ok() ? 0 : 3;
}

int CruiseDatabase::SetLong(int slot, std::size_t row, int column, std::int64_t value) {
  if (!storage_) return kClosed;
  if (!ValidSlot(slot) || column < 0 || static_cast<std::size_t>(column) >= slots_[slot].view.ColumnCount()) return 3;
  View& view = slots_[slot].view;
  if (!KnownType(view.ColumnAt(static_cast<std::size_t>(column)).type)) return 1;
  return view.Set(row, static_cast<std::size_t>(column), Value(value)).ok() ? 0 : 3;
}

int CruiseDatabase::SetDouble(int slot, std::size_t row, int column, double value) {
  if (!storage_) return kClosed;
  if (!ValidSlot(slot) || column < 0 || static_cast<std::size_t>(column) >= slots_[slot].view.ColumnCount()) return 3;
  View& view = slots_[slot].view;
  if (!KnownType(view.ColumnAt(static_cast<std::size_t>(column)).type)) return 1;
  return view.Set(row, static_cast<std::size_t>(column), Value(value)).ok() ? 0 : 3;
}

int CruiseDatabase::ColumnIndex(int slot, std::string_view column_name) const {
  if (!ValidSlot(slot)) return -1;
  return slots_[slot].view.ColumnIndex(column_name);
}

long CruiseDatabase::InsertRow(int slot, long position) {
  if (!storage_) return kClosed;
  if (!ValidSlot(slot)) return -1;
  if (slots_[slot].source_slot >= 0) {
    // A derived slot: the row goes to the end of the stored view.
    int source = slots_[slot].source_slot;
    while (ValidSlot(source) && slots_[source].source_slot >= 0) source = slots_[source].source_slot;
    if (!ValidSlot(source)) return -1;
    return slots_[source].view.Add();
  }
  View& view = slots_[slot].view;
  const long size = static_cast<long>(view.Size());
  if (position < 0 || position >= size - 1) return view.Add();
  if (!view.InsertAt(static_cast<std::size_t>(position + 1)).ok()) return -1;
  return position + 1;
}

int CruiseDatabase::Query(std::string_view view_name, std::string_view sort_columns, std::string_view criteria,
                          std::string_view columns, std::string_view result_name) {
  if (!storage_) return Fail("In Query", kClosed);
  int source = -1;
  if (!HasView(view_name, &source)) source = OpenView(view_name);
  if (source < 0) return source;
  View result = slots_[source].view;
  const std::vector<std::string> pairs = SplitList(criteria);
  if (!pairs.empty()) {
    storage::Row pattern;
    for (const std::string& pair : pairs) {
      const std::size_t eq = pair.find('=');
      const std::string name = Trim(std::string_view(pair).substr(0, eq));
      const std::string value = eq == std::string::npos ? std::string() : Trim(std::string_view(pair).substr(eq + 1));
      // A column the view lacks compares as its default value.
      const int index = result.ColumnIndex(name);
      const Type type = index >= 0 ? result.ColumnAt(static_cast<std::size_t>(index)).type : Type::String;
      pattern.Set(name, TypedValue(type, value));
    }
    auto selected = result.Select(pattern);
    if (!selected.ok()) return Fail("In Query", -1);
    result = selected.value();
  }
  if (const std::vector<std::string> sort = SplitList(sort_columns); !sort.empty()) {
    auto sorted = result.SortOn(sort);
    if (!sorted.ok()) return Fail("In Query", -1);
    result = sorted.value();
  }
  if (const std::vector<std::string> keep = SplitList(columns); !keep.empty()) {
    auto projected = result.Project(keep);
    if (!projected.ok()) return Fail("In Query", -1);
    result = projected.value();
  }
  const std::string name = result_name.empty() ? "D" + std::string(view_name) : std::string(result_name);
  const int slot = GetViewIndex(name);
  if (slot < 0) return Fail("In Query", -1);
  slots_[slot].view = result;
  slots_[slot].source_name = std::string(view_name);
  slots_[slot].source_slot = source;
  slots_[slot].description = name + "[" + result.Describe() + "]";
  return slot;
}

storage::View CruiseDatabase::Dictionary() {
  if (!storage_ || !storage_->HasView(table::DataDictionary)) return View();
  return storage_->GetView(table::DataDictionary);
}

std::optional<std::string> CruiseDatabase::RebuildDescription(std::string_view table_name,
                                                              std::string_view order_column) {
  const View dictionary = Dictionary();
  auto selected = dictionary.Select(storage::Row().Set(col::TableName, std::string(table_name)));
  if (!selected.ok() || selected.value().Size() == 0) return std::nullopt;
  auto sorted_rows = selected.value().SortOn({std::string(order_column)});
  if (!sorted_rows.ok()) return std::nullopt;
  const View sorted = sorted_rows.value();
  const int order = sorted.ColumnIndex(order_column);
  const int name_col = sorted.ColumnIndex(col::ColumnName.name);
  const int type_col = sorted.ColumnIndex(col::FieldType.name);
  const int used_col = sorted.ColumnIndex(col::IsUsed.name);
  std::string text = std::string(table_name) + "[";
  std::vector<std::string> seen;
  auto append_pass = [&](auto take) {
    for (std::size_t r = 0; r < sorted.Size(); ++r) {
      std::int64_t value = 0;
      if (order >= 0) {
        const Value v = sorted.Get(r, static_cast<std::size_t>(order));
        if (const auto* i = std::get_if<std::int32_t>(&v)) value = *i;
        if (const auto* l = std::get_if<std::int64_t>(&v)) value = *l;
      }
      if (!take(value) || !IsUsedMark(sorted.GetText(r, static_cast<std::size_t>(used_col)))) continue;
      std::string name = sorted.GetText(r, static_cast<std::size_t>(name_col));
      name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
      // A nameless row would give a nameless column; a name seen before
      // would be ignored by the storage anyway.
      if (name.empty()) continue;
      if (std::any_of(seen.begin(), seen.end(), [&](const std::string& s) { return storage::EqualText(s, name); })) {
        continue;
      }
      seen.push_back(name);
      if (text.back() != '[') text += ",";
      text += name + ":" + TypeLetterOf(sorted.GetText(r, static_cast<std::size_t>(type_col)));
    }
  };
  append_pass([](std::int64_t v) { return v > 0; });
  append_pass([](std::int64_t v) { return v == 0; });
  // Used rows with a negative order stay in the table after all others, so
  // that their columns and values survive the rebuild.
  append_pass([](std::int64_t v) { return v < 0; });
  if (storage::EqualText(table_name, table::WeightEquationTable) && text.find(col::WgtEqSP.name) == std::string::npos) {
    if (text.back() != '[') text += ",";
    text += std::string(col::WgtEqSP.name) + ":S";
  }
  text += "]";
  return text;
}

int CruiseDatabase::RestructureView(std::string_view table_name, std::string_view order_column) {
  if (!storage_) return Fail("Restructuring " + std::string(table_name), kClosed);
  const std::optional<std::string> description = RebuildDescription(table_name, order_column);
  if (!description) return -1;
  CloseViewByName(table_name);
  // Columns whose dictionary name holds blanks are described without them;
  // a stored column still named with the blanks hands its values over.
  std::vector<std::pair<std::string, std::string>> blanked;
  if (storage_->HasView(table_name)) {
    const View stored = storage_->GetView(table_name);
    for (std::size_t c = 0; c < stored.ColumnCount(); ++c) {
      std::string name = stored.ColumnAt(c).name;
      if (name.find(' ') == std::string::npos) continue;
      std::string compact = name;
      compact.erase(std::remove(compact.begin(), compact.end(), ' '), compact.end());
      const bool described = description->find("[" + compact + ":") != std::string::npos ||
                             description->find("," + compact + ":") != std::string::npos;
      if (described && stored.ColumnIndex(compact) < 0) blanked.emplace_back(std::move(name), std::move(compact));
    }
  }
  auto view = storage_->GetAs(*description);
  if (!view.ok()) {
    last_error_ = view.status().message();
    return Fail("Restructuring " + std::string(table_name) + "\n" + view.status().message(), -3);
  }
  for (const auto& [from_name, to_name] : blanked) {
    const int from = view->ColumnIndex(from_name);
    const int to = view->ColumnIndex(to_name);
    if (from < 0 || to < 0) continue;
    for (std::size_t r = 0; r < view->Size(); ++r) {
      if (!view->Set(r, static_cast<std::size_t>(to), view->Get(r, static_cast<std::size_t>(from))).ok()) return -3;
    }
  }
  if (Commit() != 0) return -3;
  GetViewList();
  return 0;
}

int CruiseDatabase::RenameColumn(std::string_view table_name, std::string_view old_name, std::string_view new_name,
                                 std::string_view type_letter) {
  if (storage::EqualText(old_name, new_name)) return kRenameSameName;
  if (!storage_) return Fail("Renaming a column", kClosed);
  if (!storage_->HasView(table::DataDictionary)) return kRenameNoDictionary;
  for (const Slot& slot : slots_) {
    if (slot.name == table_name && slot.source_slot >= 0) return kRenameDerived;
  }
  if (!storage_->HasView(table_name)) return kRenameNoTable;
  View table = storage_->GetView(table_name);
  if (table.ColumnIndex(new_name) >= 0) return kRenameExists;

  View dictionary = Dictionary();
  auto found = dictionary.Select(
      storage::Row().Set(col::TableName, std::string(table_name)).Set(col::ColumnName, std::string(old_name)));
  if (!found.ok()) return Fail("Renaming a column", -1);
  const View entry = found.value();
  if (entry.Size() > 1) return kRenameNotOneRow;
  const std::string letter = Trim(type_letter);
  const bool given_type = letter == "S" || letter == "I" || letter == "L" || letter == "F" || letter == "D";

  if (const int old_index = table.ColumnIndex(old_name); old_index >= 0) {
    // The new column takes the old one's place; the old one stays readable
    // until the commit, long enough to carry its values over by type.
    const storage::ColumnInfo old_info = table.ColumnAt(static_cast<std::size_t>(old_index));
    const std::string type = given_type ? letter : std::string(1, static_cast<char>(old_info.type));
    std::string columns;
    for (const std::string& item : SplitList(table.Describe())) {
      const std::string name = item.substr(0, item.find(':'));
      if (!columns.empty()) columns += ",";
      columns += storage::EqualText(name, old_name) ? std::string(new_name) + ":" + type : item;
    }
    CloseViewByName(table_name);
    auto renamed = storage_->GetAs(std::string(table_name) + "[" + columns + "]");
    if (!renamed.ok()) {
      last_error_ = renamed.status().message();
      return kRenameNotWritten;
    }
    View& view = renamed.value();
    const int from = view.ColumnIndex(old_name);
    const int to = view.ColumnIndex(new_name);
    if (from < 0 || to < 0) return kRenameNotWritten;
    for (std::size_t r = 0; r < view.Size(); ++r) {
      if (!view.Set(r, static_cast<std::size_t>(to), view.Get(r, static_cast<std::size_t>(from))).ok()) {
        return kRenameNotWritten;
      }
    }
  }
  if (entry.Size() == 1) {
    View rows = entry;
    if (!rows.Set(0, static_cast<std::size_t>(rows.ColumnIndex(col::ColumnName.name)), std::string(new_name)).ok()) {
      return kRenameNoSelection;
    }
    if (given_type && !rows.Set(0, static_cast<std::size_t>(rows.ColumnIndex(col::FieldType.name)), letter).ok()) {
      return kRenameNoSelection;
    }
    CloseViewByName(table_name);
    if (const int rebuilt = RestructureView(table_name, col::Order1.name); rebuilt == -3) return kRenameNotWritten;
  }
  return Commit() == 0 ? 0 : kRenameNotWritten;
}

int CruiseDatabase::RewriteAllFields(std::string_view view_name) {
  if (!storage_) return kClosed;
  int slot = -1;
  const bool opened_here = !HasView(view_name, &slot);
  if (opened_here) slot = OpenView(view_name);
  if (slot < 0) return slot;
  View& view = slots_[slot].view;
  int status = 0;
  for (std::size_t r = 0; r < view.Size() && status == 0; ++r) {
    for (std::size_t c = 0; c < view.ColumnCount(); ++c) {
      if (!KnownType(view.ColumnAt(c).type)) continue;
      std::string text;
      GetString(slot, r, static_cast<int>(c), &text);
      if (SetString(slot, r, static_cast<int>(c), text) != 0) status = -1;
    }
  }
  if (opened_here) CloseView(slot);
  return status;
}

int CruiseDatabase::DescribeView(int slot, std::string* text) const {
  if (!storage_) return kClosed;
  if (!ValidSlot(slot)) return 2;
  *text = slots_[slot].name + "[" + slots_[slot].view.Describe() + "]";
  return 0;
}

int CruiseDatabase::WriteLogMessage(std::string_view message, std::string_view level, std::string_view note,
                                    std::string_view program) {
  if (!storage_) return Fail("Writing a log message", kClosed);
  int slot = -1;
  if (!HasView(table::MessageLog, &slot)) {
    if (!storage_->HasView(table::MessageLog) && !storage_->GetAs(kMessageLogDescription).ok()) return -1;
    slot = OpenView(table::MessageLog);
  }
  if (slot < 0) return -1;
  std::tm local{};
  if (clock_) {
    local = *clock_;
  } else {
    const std::time_t now = std::time(nullptr);
#if defined(_WIN32)
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
  }
  char date[32];
  char time[32];
  std::snprintf(date, sizeof date, "%02d/%02d/%d", local.tm_mon + 1, local.tm_mday, local.tm_year + 1900);
  std::snprintf(time, sizeof time, "%02d:%02d", local.tm_hour, local.tm_min);
  const long row = InsertRow(slot, -1);
  if (row < 0) return -1;
  const std::pair<std::string_view, std::string_view> fields[] = {
      {col::Msg.name, message}, {col::Date.name, date},  {col::Time.name, time},
      {col::Level.name, level}, {col::Note.name, note}, {col::Program.name, program},
  };
  for (const auto& [name, value] : fields) {
    const int column = ColumnIndex(slot, name);
    if (column >= 0) SetString(slot, static_cast<std::size_t>(row), column, value);
  }
  return Commit() == 0 ? 0 : -1;
}

std::string CruiseDatabase::ErrorReportText(std::string_view context, int code) {
  std::string text = code == 0 ? std::string("Operation completed successfully.\n")
                               : "Internal Error.\nPlease Contact Developer.\nError # " + std::to_string(code) + "\n";
  return text + std::string(context);
}

void CruiseDatabase::ReportError(std::string_view context, int code) { errors_.push_back(ErrorReportText(context, code)); }

bool CruiseDatabase::FileExists(const std::filesystem::path& file_name) const {
  return !file_name.empty() && fs_->Exists(file_name.string());
}

std::string CruiseDatabase::CompactVersion(std::string_view stored) {
  if (stored.size() >= 10) {
    return std::string(stored.substr(6, 4)) + std::string(stored.substr(0, 2)) + std::string(stored.substr(3, 2));
  }
  // A short value is kept as it stands, less anything that could not stand
  // in a file name.
  std::string compact;
  for (char c : stored) {
    if (std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-') compact += c;
  }
  return compact.empty() ? "Unknown" : compact;
}

std::string CruiseDatabase::ReadStructureVersion(const std::filesystem::path& file_name) {
  auto opened = storage::Storage::Open(file_name, storage::Storage::Mode::ReadOnly, fs_);
  if (!opened.ok() || !opened->HasView(table::GlobalConfigurationTable)) return "Unknown";
  const View config = opened->GetView(table::GlobalConfigurationTable);
  // Older files name the columns sBlock, sKey and sValue.
  for (const auto& [block, key, value] : {std::array<std::string_view, 3>{"Block", "Key", "Value"},
                                          std::array<std::string_view, 3>{"sBlock", "sKey", "sValue"}}) {
    if (config.ColumnIndex(key) < 0) continue;
    const long row = config.Find(storage::Row()
                                     .Set(block, std::string(config::General))
                                     .Set(key, std::string(config::StructureVersion)));
    if (row >= 0) {
      return CompactVersion(config.GetText(static_cast<std::size_t>(row),
                                           static_cast<std::size_t>(config.ColumnIndex(value))));
    }
  }
  return "Unknown";
}

int CruiseDatabase::MakeBackupCopy(const std::filesystem::path& file_name, std::string* backup_name,
                                   std::string_view suffix, const std::filesystem::path& folder) {
  if (!FileExists(file_name)) return -1;
  const std::string version = ReadStructureVersion(file_name);
  const std::string base = file_name.stem().string();
  const std::string extension = file_name.extension().string();
  std::filesystem::path target;
  for (int n = 0;; ++n) {
    std::string name = base + "_v" + version + extension + "." + std::string(suffix);
    if (n > 0) name += std::to_string(n);
    target = folder / name;
    if (!fs_->Exists(target.string())) break;
  }
  auto fail = [&](const std::string& message) {
    last_error_ = "the backup copy " + target.string() + " could not be written: " + message;
    return -2;
  };
  auto source = fs_->Open(file_name.string(), false);
  if (!source.ok()) return fail(source.status().message());
  auto size = source.value()->Size();
  if (!size.ok()) return fail(size.status().message());
  auto created = fs_->Create(target.string());
  if (!created.ok()) return fail(created.status().message());
  std::unique_ptr<storage::File> copy = std::move(created.value());
  std::vector<char> buffer(1 << 16);
  std::vector<char> check(1 << 16);
  storage::Status st;
  for (std::uint64_t at = 0; st.ok() && at < size.value(); at += buffer.size()) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size.value() - at));
    st = source.value()->ReadAt(at, buffer.data(), n);
    if (st.ok()) st = copy->WriteAt(at, buffer.data(), n);
  }
  if (st.ok()) st = copy->Sync();
  // Read the copy back: it must hold the original's bytes, no more.
  if (st.ok()) {
    auto written = copy->Size();
    if (!written.ok()) st = written.status();
    else if (written.value() != size.value()) st = storage::Status::Error("the backup copy has the wrong size");
  }
  for (std::uint64_t at = 0; st.ok() && at < size.value(); at += buffer.size()) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size.value() - at));
    st = source.value()->ReadAt(at, buffer.data(), n);
    if (st.ok()) st = copy->ReadAt(at, check.data(), n);
    if (st.ok() && !std::equal(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(n), check.begin())) {
      st = storage::Status::Error("the backup copy differs from the original");
    }
  }
  copy.reset();
  if (!st.ok()) {
    (void)fs_->Remove(target.string());
    return fail(st.message());
  }
  *backup_name = target.string();
  return 0;
}

}  // namespace sw::cruisedb
