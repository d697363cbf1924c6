// Test helpers for key file tests (see test_files.h).
#include "test_files.h"

#include <fstream>
#include <sstream>

namespace sw::legacy::keyfile::testing {

std::string DataPath(const std::string& name) { return std::string(SW_TEST_DATA_DIR) + "/data/" + name; }

std::string ReadDataFile(const std::string& name) {
  std::ifstream in(DataPath(name), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string SectionText(const std::string& text) {
  const std::size_t start = text.find("VOLUME EQUATIONS\n");
  const std::size_t end = text.rfind("END\n");
  if (start == std::string::npos || end == std::string::npos || end < start) return "";
  return text.substr(start, end - start);
}

std::string WrittenSectionText(const std::string& text) {
  std::string sections = SectionText(text);
  const std::string wide = "   0.35001234.5625L";
  const std::size_t at = sections.find(wide);
  if (at != std::string::npos) sections.replace(at, wide.size(), "   0.3500 1234.562L");
  return sections;
}

std::string ReportText(const std::string& text) {
  std::size_t pos = 0;
  for (int i = 0; i < 3; ++i) pos = text.find('\n', pos) + 1;
  return text.substr(pos, text.find("VOLUME EQUATIONS\n") - pos);
}

}  // namespace sw::legacy::keyfile::testing
