// The job-record readers: turn parsed job-file records into rows of the
// cruise tables (CruiseTable, CuttingUnitTable, StratumTable, CountTable,
// PlotTable, TreeTable, SubPopulationTable, LogTable) and the import's work
// views (the StrataUnit list and the TreeID index), one line at a time, and
// fill the columns that depend on several records once the file is read.
//
// One JobRecordReaders object serves one import. It keeps hash indexes beside
// the views (units, strata, counts, plots, trees, sub-populations), keyed the
// way the storage engine's Find compares text, so that no record searches a
// whole table. The views must not be changed by anyone else while it lives.
//
// Not for: opening files or storages, progress or messages (the import
// driver), and the Version 7 writer.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "legacy/jobfile/job_record.h"
#include "storage/storage.h"

namespace sw::legacy::jobfile {

// The views the readers write. `strata_units` needs the columns StrataUnit,
// UnitStrata and UnitAcres; `tree_index` the column TreeID.
struct JobTables {
  storage::View cruise;
  storage::View units;
  storage::View strata;
  storage::View counts;
  storage::View plots;
  storage::View trees;
  storage::View subpopulations;
  storage::View logs;
  storage::View strata_units;
  storage::View tree_index;
};

// What the key file says about the job file.
struct JobFileContext {
  int version = 7;          // 6 or 7
  std::string region;       // region text, e.g. "06"
  std::string cruise_type;  // one character, e.g. "V"
};

class JobRecordReaders {
 public:
  JobRecordReaders(const JobTables& tables, JobFileContext context);
  ~JobRecordReaders();
  JobRecordReaders(const JobRecordReaders&) = delete;
  JobRecordReaders& operator=(const JobRecordReaders&) = delete;

  // Sizes the indexes for a job file of about `lines` lines, so that they
  // are not rebuilt as they grow; only a hint, any number of lines can be
  // read.
  void Reserve(std::size_t lines);

  // Hands one job-file line to the readers its first and second character
  // and the version call for; lines of no known type are ignored.
  // `line_number` labels the diagnostics of the line.
  void ReadRecord(std::string_view line, std::size_t line_number);

  // After the last line: BuildStratumUnits, then CountTreeLogs. Returns the
  // first write to the views that failed during the whole import (a row out
  // of range, memory exhausted); the views are then incomplete.
  storage::Status Finish();

  // The reader operations, each given the record parsed with the layout the
  // version reads the line with (ReadingLayout).
  void ReadCruiseRecord(const JobRecord& record);
  void ReadUnitRecord(const JobRecord& record);  // 2A or Version 6 unit layout
  void ReadStratumRecord(const JobRecord& record);
  void ReadStratumUnitRecord(const JobRecord& record);  // 4A layout
  void AddRegion7Unit(std::string_view line);
  bool ReadCountRecord(const JobRecord& record);
  bool ReadPlotRecord(const JobRecord& record);
  void ReadTreeRecord(const JobRecord& record, bool count_flag);
  void AddSubPopulation(const JobRecord& record);
  void ReadLogRecord(const JobRecord& record);
  void BuildStratumUnits();
  void CountTreeLogs();

  // Numeric fields that were not numbers, in file order.
  const Diagnostics& diagnostics() const;
  // Records whose key repeats the key of an earlier record of the same kind,
  // in file order: `field` names the key's columns and `text` gives its
  // values, joined by "/". A tree's further A records that continue a KPI
  // split (after one with KPI 99999 and count 0), a tree's several log lines
  // and the stratum-unit records of Version 6 files (which also name a unit)
  // are not repeats; logs repeat when their log number does.
  const Diagnostics& repeats() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace sw::legacy::jobfile
