#include "growthmodel/simulator_files.h"

#include <cctype>
#include <cstdio>

#include "cruisedb/columns.h"
#include "growthmodel/tree_data.h"

namespace sw::growthmodel {

namespace col = cruisedb::col;

namespace {

// printf into a string of any length.
template <class... Args>
std::string Format(const char* format, Args... args) {
  int n = std::snprintf(nullptr, 0, format, args...);
  if (n <= 0) return "";
  std::string out(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), format, args...);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

}  // namespace

CruiseHeader ReadCruiseHeader(const storage::View& cruise) {
  CruiseHeader h;
  h.cruise_no = cruise.Bind(col::CruiseNo).Get(0);
  h.sale_name = cruise.Bind(col::SaleName).Get(0);
  h.region = cruise.Bind(col::Region).Get(0);
  h.forest = cruise.Bind(col::Forest).Get(0);
  h.district = cruise.Bind(col::District).Get(0);
  h.cal_year = cruise.Bind(col::CalYear).Get(0);
  return h;
}

std::string InventoryYear(const CruiseHeader& cruise, int current_year) {
  if (cruise.cal_year.empty() || cruise.cal_year == " ") return std::to_string(current_year);
  return cruise.cal_year;
}

std::string ReplaceSuffix(std::string_view name, std::string_view from, std::string_view to) {
  std::string out(name);
  if (out.size() >= from.size() && out.compare(out.size() - from.size(), from.size(), from) == 0) {
    out.replace(out.size() - from.size(), from.size(), to);
  } else {
    out += to;
  }
  return out;
}

std::string KeywordFileName(std::string_view tree_data_file_name) {
  return ReplaceSuffix(tree_data_file_name, ".gro", ".kwd");
}
std::string ResponseFileName(std::string_view keyword_file_name) {
  return ReplaceSuffix(keyword_file_name, ".kwd", ".rsp");
}
std::string OutputFileName(std::string_view keyword_file_name) {
  return ReplaceSuffix(keyword_file_name, ".kwd", ".out");
}
std::string LocationFileName(std::string_view cruise_no) { return "Cruz" + std::string(cruise_no) + ".loc"; }
std::string StandListFileName(std::string_view location_file_name) {
  return ReplaceSuffix(location_file_name, ".loc", ".slf");
}

std::string KeywordFileText(std::string_view tree_data_file_name, const CruiseHeader& cruise,
                            std::string_view variant_code, int current_year) {
  const std::string year = InventoryYear(cruise, current_year);
  const std::string tree_file(tree_data_file_name);
  std::string out = "STDIDENT\n";
  out += Format("%-10s%-26s\n", cruise.cruise_no.c_str(), cruise.sale_name.c_str());
  out += "DESIGN             0         1       999         1\n";
  out += "STDINFO  ";
  if (variant_code == "KT") {
    out += Format("       %2s%2s%2s000\n", cruise.region.c_str(), cruise.forest.c_str(), cruise.district.c_str());
  } else if (variant_code == "SE" || variant_code == "SN") {
    out += Format("       %2s%2s%2s\n", cruise.region.c_str(), cruise.forest.c_str(), cruise.district.c_str());
  } else {
    out += Format("       %2s%2s\n", cruise.region.c_str(), cruise.forest.c_str());
  }
  out += Format("INVYEAR         %4s\n", year.c_str());
  out += Format("*\nOPEN              50\n%-40s\nTREEDATA          50\n*\n", tree_file.c_str());
  out += "THINPRSC           1       1.0         2\n";
  out += "FMIN\n";
  out += "FUELINIT           0         0         0         0         0         0         0\n";
  out += "FUELOUT         " + Format("%4s", year.c_str()) + "         1        10\n";
  out += "END\n";
  out += "PROCESS\nSTOP\n";
  return out;
}

std::string BatchLines(std::string_view keyword_file_name, std::string_view variant_code) {
  const std::string k(keyword_file_name);
  const std::string r = ResponseFileName(k);
  const std::string o = OutputFileName(k);
  std::string program;
  for (char c : variant_code) program += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  program += "fm.exe";
  std::string out = Format("echo %s >  %s\n", k.c_str(), r.c_str());
  out += Format("echo NUL >> %s\n", r.c_str());
  out += Format("echo %s >> %s\n", o.c_str(), r.c_str());
  for (int i = 0; i < 3; ++i) out += Format("echo NUL >> %s\n", r.c_str());
  out += Format("C:\\Grobin\\%s < %s\n", program.c_str(), r.c_str());
  out += Format("del %s\n", r.c_str());
  return out;
}

std::string LocationFileText(const CruiseHeader& cruise, std::string_view stand_list_file_name) {
  const std::string sale = "\"" + cruise.sale_name.substr(0, 24) + "\"";
  return Format("A %s Conjure %s @ @", sale.c_str(), std::string(stand_list_file_name).c_str());
}

std::string StandListText(const std::vector<StandListUnit>& units, const CruiseHeader& cruise,
                          std::string_view variant_code, std::string_view year) {
  std::string out;
  const std::string code(variant_code);
  const std::string y(year);
  for (const auto& u : units) {
    const std::string gro = TreeDataFileName(cruise.cruise_no, u.unit);
    out += Format("A %3s %s NoPointData %s @\n", u.unit.c_str(), gro.c_str(), code.c_str());
    out += Format("B %3s %4s @ @ %2s%2s @ @ @ @ @ 0 1 999 1 0 %6.0f @ @ @ @ @ @ @ @ @ @ @ @ @\n", u.unit.c_str(),
                  y.c_str(), cruise.region.c_str(), cruise.forest.c_str(), u.area);
  }
  return out;
}

}  // namespace sw::growthmodel
