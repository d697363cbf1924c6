#include "growthmodel/tree_data.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "cruisedb/columns.h"

namespace sw::growthmodel {

namespace col = cruisedb::col;
using storage::Result;
using storage::Row;
using storage::Status;
using storage::View;

namespace {

template <class... Args>
std::string Format(const char* format, Args... args) {
  char buffer[64];
  int n = std::snprintf(buffer, sizeof buffer, format, args...);
  return n < 0 ? std::string() : std::string(buffer, std::min<std::size_t>(static_cast<std::size_t>(n), sizeof buffer - 1));
}

std::string Number(double value) { return Format("%g", value); }

Status TooWide(const TreeLine& line, const std::string& what) {
  return Status::Error("plot " + line.plot + " tree " + line.tree + ": " + what);
}

// Defects and slope: the simulator's two columns hold 0 to 99.
int CapTwoDigits(double value) {
  if (!(value > 0)) return 0;
  if (value >= 99.5) return 99;
  return static_cast<int>(std::lround(value));
}

std::string LastThree(const std::string& text) { return text.size() <= 3 ? text : text.substr(text.size() - 3); }

}  // namespace

std::string TrimBlanks(std::string_view text) {
  const char* blanks = " \t";
  std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return "";
  std::size_t last = text.find_last_not_of(blanks);
  return std::string(text.substr(first, last - first + 1));
}

bool SameCode(std::string_view a, std::string_view b) { return storage::EqualText(TrimBlanks(a), TrimBlanks(b)); }

std::string FileNamePartProblem(std::string_view part) {
  for (unsigned char c : part) {
    if (c < 0x20 || c == 0x7f) return "it holds a control character";
    if (std::string_view("/\\:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos)
      return std::string("it holds the character '") + static_cast<char>(c) + "'";
  }
  return "";
}

std::string TreeDataFileName(std::string_view cruise_no, std::string_view unit) {
  return "Cruz" + std::string(cruise_no) + "_" + std::string(unit) + ".gro";
}

std::optional<double> UnitArea(const View& units, std::string_view unit) {
  auto cut_unit = units.Bind(col::CutUnit);
  for (std::size_t i = 0; i < units.Size(); ++i) {
    if (SameCode(cut_unit.Get(i), unit)) return units.Bind(col::Area).Get(i);
  }
  return std::nullopt;
}

std::vector<UnitStratum> StrataOfUnit(const CruiseViews& views, std::string_view unit) {
  std::vector<UnitStratum> result;
  auto stratum = views.strata.Bind(col::Stratum);
  auto units = views.strata.Bind(col::Units);
  for (std::size_t i = 0; i < views.strata.Size(); ++i) {
    std::string list = units.Get(i);
    std::size_t start = 0;
    while (true) {
      std::size_t comma = list.find(',', start);
      std::string item = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
      if (SameCode(item, unit)) {
        result.push_back({stratum.Get(i), UnitArea(views.units, item).value_or(0.0)});
      }
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  return result;
}

char CrownCode(int crown_ratio) {
  if (crown_ratio <= 0) return ' ';
  if (crown_ratio > 80) return '9';
  return static_cast<char>('0' + (crown_ratio - 1) / 10 + 1);
}

Result<std::string> FormatTreeLine(const TreeLine& line) {
  if (line.plot.size() > 4) return TooWide(line, "the plot number is longer than 4 characters");
  if (line.tree.size() > 3) return TooWide(line, "the tree number is longer than 3 characters");
  if (line.species.size() > 3) return TooWide(line, "the species code " + line.species + " is longer than 3 characters");

  std::string out = Format("%4s", line.plot.c_str()) + Format("%3s", line.tree.c_str());

  const double tpa = line.trees_per_acre;
  if (!std::isfinite(tpa) || tpa < 0) return TooWide(line, "trees per acre " + Number(tpa) + " is not a valid count");
  if (tpa < 999.995) {
    out += Format("%6.2f", tpa);
  } else if (tpa < 9999.95) {
    out += Format("%6.1f", tpa);
  } else if (tpa < 99999.5) {
    out += Format("%#6.0f", tpa);
  } else {
    return TooWide(line, "trees per acre " + Number(tpa) + " does not fit its 6 columns");
  }

  out += line.history ? Format("%1d", *line.history) : std::string(" ");
  out += Format("%-3s", line.species.c_str());

  if (!std::isfinite(line.dbh)) return TooWide(line, "DBH " + Number(line.dbh) + " is not a number");
  if (line.dbh < 0) return TooWide(line, "DBH " + Number(line.dbh) + " is negative");
  if (line.dbh < 99.95) {
    out += Format("%4.1f", line.dbh);
  } else if (line.dbh < 999.5) {
    out += Format("%#4.0f", line.dbh);
  } else {
    return TooWide(line, "DBH " + Number(line.dbh) + " does not fit its 4 columns");
  }

  if (line.height) {
    if (!std::isfinite(*line.height) || *line.height >= 999.5)
      return TooWide(line, "height " + Number(*line.height) + " does not fit its 3 columns");
    out += Format("   %3.0f", *line.height);
  } else {
    out += "      ";
  }
  out += "       ";
  out += CrownCode(line.crown_ratio);
  out += Format("%2d%2d", 27, CapTwoDigits(line.sdef_primary));
  out += Format("%2d%2d", 26, CapTwoDigits(line.sdef_secondary));
  out += "    ";
  out += Format("%1d", 1);
  out += line.tree_class ? Format("%1d", *line.tree_class) : std::string(" ");
  if (line.slope) {
    if (line.aspect < -99 || line.aspect > 999)
      return TooWide(line, "aspect " + std::to_string(line.aspect) + " does not fit its 3 columns");
    out += Format("%2d%3d", std::clamp(*line.slope, 0, 99), line.aspect);
  } else {
    out += "     ";
  }
  out += "     \n";
  return out;
}

Result<TreeDataFile> WriteTreeDataFile(std::string_view unit, const CruiseViews& views, const View& proration,
                                       std::string_view variant_code, SpeciesFile& species) {
  TreeDataFile file;
  const std::string unit_code = TrimBlanks(unit);
  file.file_name = TreeDataFileName(views.cruise.Bind(col::CruiseNo).Get(0), unit_code);

  const auto strata = StrataOfUnit(views, unit_code);
  for (const auto& s : strata) {
    if (!(s.acres > 0) || !std::isfinite(s.acres)) {
      file.no_acres = true;
      return file;
    }
  }
  const std::string region = TrimBlanks(views.cruise.Bind(col::Region).Get(0));
  const bool no_heights = region == "9" || region == "09";

  auto vol_num = views.volume.Bind(col::VolEqNum);
  auto pro_factor = proration.Bind(col::Proration);
  auto pro_unit = proration.Bind(col::CutUnit);
  auto plot_unit = views.plots.Bind(col::CutUnit);
  auto plot_slope = views.plots.Bind(col::SlopePct);
  auto plot_aspect = views.plots.Bind(col::Aspect);

  for (const auto& s : strata) {
    View measured = views.trees.Select(Row().Set(col::Stratum, s.stratum).Set(col::CM, "M"));
    View groups = measured.GroupBy({std::string(col::Sp.name)}, "Trees");
    auto group_sp = groups.Bind(col::Sp);
    const int subview = groups.ColumnIndex("Trees");
    for (std::size_t g = 0; g < groups.Size(); ++g) {
      const std::string sp = group_sp.Get(g);
      // The species' code comes from its first volume equation only; a
      // species without one gets no code rather than another species'.
      std::string code;
      long eq = views.volume.Find(Row().Set(col::VolEqSpecie, sp));
      if (eq >= 0) code = species.Translate(variant_code, LastThree(vol_num.Get(static_cast<std::size_t>(eq))));
      if (code.empty()) file.untranslated.push_back("stratum " + s.stratum + " species " + sp);

      View members = groups.Subview(g, static_cast<std::size_t>(subview));
      auto plot = members.Bind(col::Plot);
      auto tree = members.Bind(col::Tree);
      auto tree_unit = members.Bind(col::CutUnit);
      auto expan = members.Bind(col::ExpanFac);
      auto cl = members.Bind(col::CL);
      auto sg = members.Bind(col::SG);
      auto stm = members.Bind(col::STM);
      auto prod = members.Bind(col::ProdP);
      auto ld = members.Bind(col::LD);
      auto dbh = members.Bind(col::DBH);
      auto tot = members.Bind(col::TotHt);
      auto mrch_p = members.Bind(col::MrchHtP);
      auto mrch_s = members.Bind(col::MrchHtS);
      auto ustem = members.Bind(col::HgtUStem);
      auto cr = members.Bind(col::CR);
      auto sdef_p = members.Bind(col::SDefP);
      auto sdef_s = members.Bind(col::SDefS);

      for (std::size_t t = 0; t < members.Size(); ++t) {
        TreeLine line;
        line.tree = tree.Get(t);
        if (line.tree.empty() || line.tree == "0") continue;
        line.plot = plot.Get(t);

        const std::string tree_cl = cl.Get(t);
        const Row pattern = Row()
                                .Set(col::CL, tree_cl)
                                .Set(col::Stratum, s.stratum)
                                .Set(col::SG, sg.Get(t))
                                .Set(col::STM, stm.Get(t))
                                .Set(col::ProdP, prod.Get(t));
        double factor = 1.0;
        bool found = false;
        for (long r = proration.Find(pattern); r >= 0; r = proration.Find(pattern, static_cast<std::size_t>(r) + 1)) {
          if (SameCode(pro_unit.Get(static_cast<std::size_t>(r)), unit_code)) {
            factor = pro_factor.Get(static_cast<std::size_t>(r));
            found = true;
            break;
          }
        }
        if (!found) file.unprorated.push_back("stratum " + s.stratum + " plot " + line.plot + " tree " + line.tree);
        line.trees_per_acre = expan.Get(t) * factor / s.acres;

        const std::string live_dead = ld.Get(t);
        if (live_dead == "L" || live_dead.empty()) line.history = 1;
        else if (live_dead == "D") line.history = 6;
        line.species = code;
        line.dbh = dbh.Get(t);
        if (!no_heights) {
          for (float h : {tot.Get(t), mrch_p.Get(t), mrch_s.Get(t), ustem.Get(t)}) {
            if (h > 0) {
              line.height = h;
              break;
            }
          }
        }
        line.crown_ratio = std::atoi(cr.Get(t).c_str());
        line.sdef_primary = sdef_p.Get(t);
        line.sdef_secondary = sdef_s.Get(t);
        if (tree_cl == "C") line.tree_class = 2;
        else if (tree_cl == "L") line.tree_class = 1;

        // The plot is looked up under the tree's own unit: a stratum's trees
        // may stand in other units than the one exported.
        const std::string own_unit = tree_unit.Get(t);
        const Row plot_pattern = Row().Set(col::Plot, line.plot).Set(col::Stratum, s.stratum);
        for (long p = views.plots.Find(plot_pattern); p >= 0;
             p = views.plots.Find(plot_pattern, static_cast<std::size_t>(p) + 1)) {
          const auto row = static_cast<std::size_t>(p);
          if (!SameCode(plot_unit.Get(row), own_unit)) continue;
          const double slope = plot_slope.Get(row);
          line.slope = slope > 0 ? static_cast<int>(std::min(slope, 999.0)) : 0;
          line.aspect = plot_aspect.Get(row);
          break;
        }

        auto text = FormatTreeLine(line);
        if (!text) {
          return Status::Error("Stratum " + s.stratum + ", unit " + TrimBlanks(own_unit) + ", " +
                               text.status().message());
        }
        file.text += *text;
      }
    }
  }
  return file;
}

}  // namespace sw::growthmodel
