// Builders of cycle file text for tests and benchmarks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sw::test {

struct HeaderFields {
  std::string cycle = " 1";       // 2 characters
  std::string year = "2005";      // up to 4 characters
  std::string prefix = "STAND01";  // 7 characters (the cruise number is its last 5)
  std::string cal_year = "2006";
  char mark = 'T';
  std::string description = "ABCDEFGHI";  // 9 characters
};

// "-999" followed by R with every used position filled.
inline std::string HeaderLine(const HeaderFields& h) {
  std::string r(132, ' ');
  r.replace(0, 8, "HDR STD ");
  r.replace(8, 2, h.cycle.substr(0, 2));
  r.replace(11, h.year.size() < 4 ? h.year.size() : 4, h.year.substr(0, 4));
  r.replace(16, 7, h.prefix.substr(0, 7));
  r.replace(62, h.cal_year.size() < 4 ? h.cal_year.size() : 4, h.cal_year.substr(0, 4));
  r[76] = h.mark;
  r.replace(123, 9, h.description.substr(0, 9));
  return "-999" + r + "\n";
}

// The 23 values of a record as written in a file.
struct RecordFields {
  std::string region = "6";
  std::string forest = "01";
  std::string district = "03";
  std::string stratum = "1";
  std::string product = "01";
  std::string unused = "0";
  std::string tree = "1";
  std::string species = "202";
  std::string plot = "1";
  std::string live = "3";
  std::string dead = "0";
  std::string dbh = "12.5";
  std::string height = "80";
  std::string crown = "5";
  std::string sdefs = "0";
  std::string sdefp = "0";
  std::string fc = "80";
  std::string hgtfll = "20";
  std::string eq1 = "I00FW2W202";
  std::string eq2 = "I00FW2W203";
  std::string top1 = "6";
  std::string top2 = "4";
  std::string btr = "0.12";
};

inline std::string RecordLine(const RecordFields& r, std::string_view end = "\n") {
  const std::vector<const std::string*> fields = {
      &r.region, &r.forest, &r.district, &r.stratum, &r.product, &r.unused, &r.tree, &r.species,
      &r.plot,   &r.live,   &r.dead,     &r.dbh,     &r.height,  &r.crown,  &r.sdefs, &r.sdefp,
      &r.fc,     &r.hgtfll, &r.eq1,      &r.eq2,     &r.top1,    &r.top2,   &r.btr};
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ", ";
    line += *fields[i];
  }
  return line + std::string(end);
}

}  // namespace sw::test
