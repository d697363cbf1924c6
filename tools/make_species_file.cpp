// Build tool: compiles the species tables' text source (data/) into the
// storage file "GROvariantSpecies.mk4" that ships beside the programs.
//   make_species_file SPECIES.txt OUT.mk4
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "growthmodel/species.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_species_file SPECIES.txt OUT.mk4\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "make_species_file: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::ostringstream buffer;
  buffer << in.rdbuf();
  auto tables = sw::growthmodel::ParseSpeciesSource(buffer.str());
  if (!tables) {
    std::cerr << argv[1] << ": " << tables.status().message() << "\n";
    return 1;
  }
  // Written under a temporary name and renamed, so an interrupted build never
  // leaves a half-written file under the real name.
  std::filesystem::path out = argv[2];
  std::filesystem::path temp = out;
  temp += ".tmp";
  std::error_code ec;
  std::filesystem::remove(temp, ec);
  auto status = sw::growthmodel::WriteSpeciesFile(temp, *tables);
  if (!status) {
    std::cerr << "make_species_file: " << status.message() << "\n";
    std::filesystem::remove(temp, ec);
    return 1;
  }
  std::filesystem::rename(temp, out, ec);
  if (ec) {
    std::cerr << "make_species_file: cannot rename to " << out << ": " << ec.message() << "\n";
    return 1;
  }
  return 0;
}
