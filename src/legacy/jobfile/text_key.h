// Hash keys for the readers' indexes: several texts joined so that two keys
// are equal exactly when the storage engine's Find would call every part
// equal (A-Z and a-z alike, every other byte exact, blanks significant).
// Each part is preceded by its length, so "1"+"23" and "12"+"3" differ.
//
// Not for: anything stored; the keys live only in memory during an import.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace sw::legacy::jobfile {

inline void AppendKeyPart(std::string& key, std::string_view part) {
  std::uint64_t n = part.size();
  do {
    key.push_back(static_cast<char>((n & 0x7f) | (n > 0x7f ? 0x80 : 0)));
    n >>= 7;
  } while (n != 0);
  for (char c : part) key.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
}

inline std::string FoldedKey(std::initializer_list<std::string_view> parts) {
  std::string key;  // short keys stay in the string's own buffer
  for (std::string_view part : parts) AppendKeyPart(key, part);
  return key;
}

}  // namespace sw::legacy::jobfile
