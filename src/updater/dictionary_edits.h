// The dictionary edits that bring a cruise file from one structure version to
// the next: the edit operations on the file's DataDictionary, and one step
// function per version of the chain, each made of tables of rows and fields
// where it can be.
//
// Not for: reading or writing the structure version, the log or the backup
// (structure_updater.h).
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cruisedb/cruise_database.h"

namespace sw::updater {

// A new DataDictionary row; Validate, Callbacks, DefaultValue and
// CompoundSelection stay empty and Order1 to Order12 are 0.
struct NewDictionaryRow {
  std::string_view table;
  std::string_view column;
  std::string_view field_type;
  std::string_view description;
  std::string_view is_used;
  int length = 0;
  std::string_view min;
  std::string_view max;
  std::string_view field_edit;
};

// One field of one dictionary row set to a value (written as text and
// converted to the field's type); with `only_when_zero` the field is set only
// when it reads 0.
struct DictionaryFieldEdit {
  std::string_view table;
  std::string_view column;
  std::string_view field;
  std::string_view value;
  bool only_when_zero = false;
};

// The edit operations, on the DataDictionary of an open CruiseDatabase.
class DictionaryEditor {
 public:
  explicit DictionaryEditor(cruisedb::CruiseDatabase& db);

  // False when the file has no DataDictionary view.
  bool ok() const { return slot_ >= 0; }
  cruisedb::CruiseDatabase& db() { return db_; }

  // True unless the row's IsUsed is "N" or "n"; false when there is no row.
  bool IsColumnUsed(std::string_view table, std::string_view column);
  bool HasDictionaryRow(std::string_view table, std::string_view column);
  // Sets IsUsed of the row (each row of that name) and commits. False only
  // when the commit fails.
  bool SetColumnUsed(std::string_view table, std::string_view column, std::string_view value);
  // Sets one field of the row; nothing when there is no such row.
  void SetDictionaryField(const DictionaryFieldEdit& edit);
  // Inserts the row directly after the table's last dictionary row; a table
  // without rows gets it before the first row of the next table (in the
  // canonical table order) that has rows, or at the end. False on failure.
  bool AddDictionaryRow(const NewDictionaryRow& row);
  // Adds the row only when the table has no row of that column name.
  bool AddDictionaryRowIfMissing(const NewDictionaryRow& row);
  // Stored column and dictionary row together (CruiseDatabase::RenameColumn).
  // False only when the file could not be written; a column or row that is
  // not there is nothing to do.
  bool RenameColumn(std::string_view table, std::string_view old_name, std::string_view new_name,
                    std::string_view type_letter);
  // Only the dictionary row's ColumnName, when exactly one row has the old
  // name; commits. False only when the commit fails.
  bool RenameDictionaryColumn(std::string_view table, std::string_view old_name, std::string_view new_name);
  // RestructureView with "Order1". False only when the file could not be
  // written; a table without dictionary rows is left alone.
  bool Restructure(std::string_view table);

 private:
  std::vector<std::size_t> Rows(std::string_view table, std::string_view column);

  cruisedb::CruiseDatabase& db_;
  int slot_ = -1;
};

// One step of the structure version chain.
struct VersionStep {
  std::string_view from;
  std::string_view to;
  bool (*edits)(DictionaryEditor&);
};

// The chain from the oldest structure version to the current one, in order.
std::span<const VersionStep> VersionChain();

// The dictionary rows each step adds (for the steps that add rows).
std::span<const NewDictionaryRow> RowsAddedIn20050401();
std::span<const NewDictionaryRow> RowsAddedIn20100318();

}  // namespace sw::updater
