// Reading side of the file format: the tail scan that finds the current
// version, the structure block, and records decoded into tables. Every count
// and reference is checked against the bytes that exist before anything is
// allocated. Not for: writing (format_writer.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "storage/description.h"
#include "storage/file_system.h"
#include "storage/table.h"

namespace sw::storage {

struct FileLayout {
  std::uint64_t base = 0;  // absolute offset of the header
  std::uint64_t end = 0;   // file length relative to the header (E)
  bool little_endian = true;
  std::uint32_t root_size = 0;
  std::uint32_t root_pos = 0;
};

// A byte range relative to the header.
struct Extent {
  std::uint64_t pos = 0;
  std::uint64_t size = 0;
};

// Finds the current version from the end of the file.
Result<FileLayout> TailScan(File& file, std::uint64_t file_size);

// Guards one decoding pass: bytes read and cells allocated are limited by the
// size of the file, so damaged references cannot loop or exhaust memory.
struct ReadBudget {
  std::uint64_t bytes = 0;
  std::uint64_t cells = 0;
};

class BlockSource {
 public:
  BlockSource(File* file, const FileLayout& layout) : file_(file), layout_(layout) {}
  // Reads the block (size, pos); checks that it lies inside the storage.
  Result<std::string> Read(std::uint32_t size, std::uint32_t pos, ReadBudget* budget) const;
  // Reads the block straight into `dst` (which holds `size` bytes).
  Status ReadTo(std::uint32_t size, std::uint32_t pos, ReadBudget* budget, void* dst) const;
  // Reads into a reusable buffer; *out points at `size` bytes on success.
  Status ReadInto(std::uint32_t size, std::uint32_t pos, ReadBudget* budget, std::unique_ptr<char[]>* buffer,
                  std::size_t* capacity, const char** out) const;
  const FileLayout& layout() const { return layout_; }
  ReadBudget FreshBudget() const;

 private:
  File* file_;
  FileLayout layout_;
};

struct TopField {
  FieldDef def;
  std::string refs;  // the raw column references in the root record
};

struct Structure {
  std::vector<TopField> fields;
  bool has_row = true;  // root record row count 1 (0 means every view empty)
};

Result<Structure> ReadStructure(const BlockSource& source);

// Decodes a top-level view from its raw column reference.
Result<std::shared_ptr<Table>> LoadTopView(const BlockSource& source, const TopField& field);
// Decodes a top-level I or F field of the root row.
Status LoadTopValue(const BlockSource& source, const TopField& field, Value* out);

// Every block the current version uses (header and marks excluded).
Status CollectExtents(const BlockSource& source, const Structure& structure, std::vector<Extent>* out);

}  // namespace sw::storage
