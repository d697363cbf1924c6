// CruiseDatabase: one open cruise file seen through up to 25 numbered view
// slots, with field access that converts between the column's type and the
// caller's, derived views built from criteria texts, table rebuilds from the
// file's own DataDictionary, column renames, MessageLog entries, the backup
// copy and the structure-version reader. The structure updater is its only
// user; the converters use the storage engine directly.
//
// Not for: showing anything. Internal errors are collected as texts
// (errors()) for the caller to show.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/storage.h"

namespace sw::storage {
class FileSystem;
}

namespace sw::cruisedb {

class CruiseDatabase {
 public:
  static constexpr int kSlots = 25;
  static constexpr int kClosed = -2;  // every operation on a closed database
  static constexpr std::string_view kLayerVersion = "01.00.2003.12.10";

  // Result codes of Open.
  static constexpr int kHeld = -5;      // another program holds the file
  static constexpr int kNotOpened = -6;  // not a storage, damaged, or unreadable: see last_error()

  // Result codes of RenameColumn.
  static constexpr int kRenameSameName = -1;
  static constexpr int kRenameNoDictionary = -2;
  static constexpr int kRenameDerived = -3;
  static constexpr int kRenameNoTable = -4;
  static constexpr int kRenameExists = -5;
  static constexpr int kRenameNoSelection = -8;
  static constexpr int kRenameNotOneRow = -9;
  static constexpr int kRenameNotWritten = -10;  // the rebuild or the commit failed

  // `fs` is for tests that inject file failures; null means the real one.
  explicit CruiseDatabase(storage::FileSystem* fs = nullptr);
  ~CruiseDatabase();
  CruiseDatabase(const CruiseDatabase&) = delete;
  CruiseDatabase& operator=(const CruiseDatabase&) = delete;

  // -1 closed, 1 open.
  int state() const { return storage_ ? 1 : -1; }
  const std::string& file_name() const { return file_name_; }

  // Opens the file read-write with an exclusive lock. 0; kHeld when another
  // program holds it; kNotOpened for any other failure. A file already open
  // is closed first (without a commit).
  int Open(const std::filesystem::path& file_name);
  // Releases the storage without a further commit. 0, or kClosed.
  int Close();
  // Writes every change to the file atomically. 0, or kClosed, or -1 when the
  // write failed (the file keeps its last committed state).
  int Commit();

  // The names of the file's views joined by ", ".
  int GetViewList();
  const std::string& view_list() const { return view_list_; }
  // The storage's structure description, "" when closed.
  std::string StructureDescription() const;

  bool HasView(std::string_view view_name, int* slot) const;
  // Claims the first free slot for the name: its number, -1 when all are
  // taken, kClosed when closed.
  int GetViewIndex(std::string_view view_name);
  // Opens a stored view in a slot (the slot already holding it is closed
  // first). The slot, kClosed, -1 when every slot is taken, -3 when the file
  // has no view of that name.
  int OpenView(std::string_view view_name);
  // 0 closed; 1 the slot holds no view; 2 slot out of range; kClosed.
  int CloseView(int slot);
  int CloseViewByName(std::string_view view_name);

  // The view in a slot, or null.
  storage::View* SlotView(int slot);
  const std::string& SlotName(int slot) const;
  // The slot a derived slot was made from, -1 for a stored view.
  int SourceSlot(int slot) const;

  // Field access by slot, row and column index, converting between the
  // column's type and the value's: text to numbers as strtod/atoi/atol,
  // numbers to text with "%g" (F), "%.15g" (D) and "%ld" (I, L), floating
  // point to integers truncated toward zero. 0, 1 when the column is not of
  // a known type, 3 when the row or column is outside the view, kClosed.
  int GetString(int slot, std::size_t row, int column, std::string* value) const;
  int GetInt(int slot, std::size_t row, int column, std::int32_t* value) const;
  int GetLong(int slot, std::size_t row, int column, std::int64_t* value) const;
  int SetString(int slot, std::size_t row, int column, std::string_view value);
  int SetLong(int slot, std::size_t row, int column, std::int64_t value);
  int SetDouble(int slot, std::size_t row, int column, double value);

  int ColumnIndex(int slot, std::string_view column_name) const;

  // Inserts an empty row after `position` (negative: after the last row); in
  // a derived slot the row is appended to the view it was derived from. The
  // new row's index (in the stored view), or a negative code.
  long InsertRow(int slot, long position);

  // A derived view in a new slot: the view filtered by `criteria`
  // ("col=value,col=value"), sorted on `sort_columns` ("a,b") and reduced to
  // `columns` ("a,b"), each when not empty. The slot is named `result_name`,
  // or "D" and the view name. Field writes through it reach the stored rows.
  // The slot, or a negative code.
  int Query(std::string_view view_name, std::string_view sort_columns, std::string_view criteria,
            std::string_view columns, std::string_view result_name);

  // Rebuilds the table from its dictionary rows ordered on `order_column`:
  // used rows with a positive order first, then those with 0, then those
  // with a negative order; WeightEquationTable keeps its WgtEqSP column.
  // Commits. 0; -1 no dictionary row for the table; -3 the rebuild or commit
  // failed; kClosed.
  int RestructureView(std::string_view table_name, std::string_view order_column);
  // The description RestructureView would give the table, or nothing when
  // the dictionary has no row for it.
  std::optional<std::string> RebuildDescription(std::string_view table_name, std::string_view order_column);

  // Renames a column of a table and its dictionary row: the values are
  // carried over by type (converted when `type_letter` differs from the old
  // column's type; blank keeps the old type), the table is rebuilt from the
  // dictionary and the file committed. Codes kRename*.
  int RenameColumn(std::string_view table_name, std::string_view old_name, std::string_view new_name,
                   std::string_view type_letter);

  // Reads every field of the view as text and writes it back, so each value
  // passes once through the conversion to its column's type. 0 or negative.
  int RewriteAllFields(std::string_view view_name);

  // Name[col:T,...] of the slot's view. 0, or 2 for a bad slot, kClosed.
  int DescribeView(int slot, std::string* text) const;

  // Appends (MsgNum "", message, date "%02d/%02d/%d", time "%02d:%02d",
  // level, note, program) to MessageLog, creating the view when the file has
  // none, and commits. 0, or -1.
  int WriteLogMessage(std::string_view message, std::string_view level, std::string_view note,
                      std::string_view program);
  // The local time used for log entries; tests fix it.
  void set_clock(std::optional<std::tm> local) { clock_ = local; }

  // Records an internal error as the text the user is to see.
  void ReportError(std::string_view context, int code);
  static std::string ErrorReportText(std::string_view context, int code);
  const std::vector<std::string>& errors() const { return errors_; }
  const std::string& last_error() const { return last_error_; }

  // Copies the file to `folder` under the first free name of the form
  // base "_v" version extension "." suffix [n], then reads the copy back and
  // checks it holds the same bytes. A failed or unequal copy is removed.
  // 0; -1 no such file; -2 the copy could not be made (last_error()).
  int MakeBackupCopy(const std::filesystem::path& file_name, std::string* backup_name, std::string_view suffix,
                     const std::filesystem::path& folder);
  // The compact structure version of a file ("MM.DD.YYYY" gives "YYYYMMDD"),
  // "Unknown" when it has none.
  std::string ReadStructureVersion(const std::filesystem::path& file_name);
  static std::string CompactVersion(std::string_view stored);
  bool FileExists(const std::filesystem::path& file_name) const;

 private:
  struct Slot {
    std::string name;  // empty: free
    storage::View view;
    std::string description;
    std::string source_name;
    int source_slot = -1;
  };
  bool ValidSlot(int slot) const { return slot >= 0 && slot < kSlots && !slots_[slot].name.empty(); }
  int Fail(std::string_view context, int code);
  storage::View Dictionary();

  storage::FileSystem* fs_;
  std::optional<storage::Storage> storage_;
  std::string file_name_;
  std::string view_list_;
  std::array<Slot, kSlots> slots_;
  std::vector<std::string> errors_;
  std::string last_error_;
  std::optional<std::tm> clock_;
};

}  // namespace sw::cruisedb
