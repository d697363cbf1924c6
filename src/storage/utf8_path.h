// File names are UTF-8 text inside the program. A std::filesystem::path
// built from a plain std::string reads it in the system's narrow encoding,
// which on Windows is the ANSI code page and mangles every other character;
// Utf8Path reads it as UTF-8 everywhere. path::string() gives UTF-8 back on
// both systems.
// Not for: text that is not a file name.
#pragma once

#include <filesystem>
#include <string_view>

namespace sw::storage {

inline std::filesystem::path Utf8Path(std::string_view text) {
  return std::filesystem::path(std::u8string_view(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

}  // namespace sw::storage
