// Structure descriptions: the field tree of a storage or a view, parsed from
// and formatted to the "name:T,sub[...]" text of the format.
// Not for: column data; see table.h.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "storage/storage.h"

namespace sw::storage {

struct FieldDef {
  std::string name;
  Type type = Type::String;
  std::vector<FieldDef> sub;  // fields of a subview
  bool recursive = false;     // "[^]": the fields of the enclosing list
};

// Deepest bracket nesting accepted in a description.
inline constexpr int kMaxNesting = 32;

// Parses the description stored in a file: "" or field ("," field)*.
// Unknown type letters are an error; duplicate names keep the first entry.
Result<std::vector<FieldDef>> ParseStoredDescription(std::string_view text);

// Parses a description handed to Storage::GetAs: "Name[fields]". Sets
// *has_bracket to false for a bare name (a delete request). Empty and
// unknown type letters are refused.
Result<FieldDef> ParseViewDescription(std::string_view text, bool* has_bracket);

// Normalised text: "name:T" and "name[...]", joined by ",".
std::string FormatFields(const std::vector<FieldDef>& fields);
std::string FormatField(const FieldDef& field);

// Case-insensitive shape equality (names and type letters, recursively).
bool SameShape(const std::vector<FieldDef>& a, const std::vector<FieldDef>& b);

}  // namespace sw::storage
