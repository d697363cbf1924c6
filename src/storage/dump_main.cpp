// stumpwright-dump: prints a storage file as dump text, or builds a storage
// file from dump text (--restore TEXT OUT). A thin front end over dump_text.
#include <fstream>
#include <iostream>
#include <sstream>

#include "storage/dump_text.h"

namespace {

constexpr char kUsage[] = "usage: stumpwright-dump FILE\n       stumpwright-dump --restore TEXT OUT\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace sw::storage;
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::cout << kUsage
              << "\nPrints a cruise file (or any other storage file) as text: its structure, then\n"
                 "every view with its columns and rows. With --restore, builds the storage file\n"
                 "OUT from such a text (OUT must not exist yet).\n";
    return 0;
  }
  if (argc == 2 && argv[1][0] == '-') {
    std::cerr << "stumpwright-dump: unknown option \"" << argv[1] << "\" (a file whose name starts with \"-\" "
              << "can be given as ./" << argv[1] << ")\n" << kUsage;
    return 2;
  }
  if (argc == 2 && std::string(argv[1]) != "--restore") {
    std::ios::sync_with_stdio(false);
    Status st = DumpFileTo(argv[1], std::cout);
    if (st.ok()) std::cout.flush();
    if (!st.ok() || !std::cout.good()) {
      std::cerr << "stumpwright-dump: " << (st.ok() ? std::string("the dump text could not be written") : st.message())
                << "\n";
      return 1;
    }
    return 0;
  }
  if (argc == 4 && std::string(argv[1]) == "--restore") {
    std::ifstream in(argv[2], std::ios::binary);
    if (!in) {
      std::cerr << "stumpwright-dump: cannot read \"" << argv[2] << "\"\n";
      return 1;
    }
    std::stringstream buffer;
    buffer << in.rdbuf();
    Status st = RestoreDump(buffer.str(), argv[3]);
    if (!st.ok()) {
      std::cerr << "stumpwright-dump: " << st.message() << "\n";
      return 1;
    }
    return 0;
  }
  std::cerr << kUsage;
  return 2;
}
