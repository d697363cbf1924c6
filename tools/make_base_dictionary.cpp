// Build tool: compiles the base dictionary's text source (data/) into the
// storage file "CruiseDefault.stp" that ships beside the programs.
//   make_base_dictionary DICTIONARY.txt SETTINGS.txt OUT.stp
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "cruisedb/dictionary_source.h"

namespace {
bool ReadFile(const std::filesystem::path& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  text = buffer.str();
  return true;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: make_base_dictionary DICTIONARY.txt SETTINGS.txt OUT.stp\n";
    return 2;
  }
  std::string dictionary_text, settings_text;
  if (!ReadFile(argv[1], dictionary_text) || !ReadFile(argv[2], settings_text)) {
    std::cerr << "make_base_dictionary: cannot read the sources\n";
    return 1;
  }
  auto rows = sw::cruisedb::ParseDictionarySource(dictionary_text);
  if (!rows) {
    std::cerr << argv[1] << ": " << rows.status().message() << "\n";
    return 1;
  }
  auto settings = sw::cruisedb::ParseSettingsSource(settings_text);
  if (!settings) {
    std::cerr << argv[2] << ": " << settings.status().message() << "\n";
    return 1;
  }
  // Written under a temporary name and renamed, so an interrupted build never
  // leaves a half-written dictionary under the real name.
  std::filesystem::path out = argv[3];
  std::filesystem::path temp = out;
  temp += ".tmp";
  std::error_code ec;
  std::filesystem::remove(temp, ec);
  auto status = sw::cruisedb::WriteBaseDictionary(temp, *rows, *settings);
  if (!status) {
    std::cerr << "make_base_dictionary: " << status.message() << "\n";
    std::filesystem::remove(temp, ec);
    return 1;
  }
  std::filesystem::rename(temp, out, ec);
  if (ec) {
    std::cerr << "make_base_dictionary: cannot rename to " << out << ": " << ec.message() << "\n";
    return 1;
  }
  return 0;
}
