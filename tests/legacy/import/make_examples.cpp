// Writes the sample cruises of example_files.h into a folder:
//   make_examples DIR
// (run from the top of the repository: build/dev/bin/make_examples examples).
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "legacy/import/example_files.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_examples DIR\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  for (const sw::test::ExampleFile& file : sw::test::ExampleFiles()) {
    std::ofstream out(dir / file.name, std::ios::binary | std::ios::trunc);
    out << file.text;
    if (!out) {
      std::fprintf(stderr, "make_examples: cannot write %s\n", (dir / file.name).string().c_str());
      return 1;
    }
  }
  return 0;
}
