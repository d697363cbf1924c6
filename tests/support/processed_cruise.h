// A small processed cruise file for the growth-model tests: the tables the
// export reads (with the processing program's ExpanFac in TreeTable) and
// the proration file with its PROtable view, built row by row.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cruisedb/columns.h"
#include "storage/storage.h"

namespace sw::test {

struct CruiseSpec {
  std::string cruise_no = "4711";
  std::string sale_name = "Cedar Flats";
  std::string region = "06";
  std::string forest = "12";
  std::string district = "03";
  std::string cal_year = "2009";
};

struct UnitSpec {
  std::string cut_unit;
  double area = 0;
  std::string description;
};

struct StratumSpec {
  std::string stratum;
  std::string units;
};

struct TreeSpec {
  std::string stratum = "01";
  std::string cut_unit = "1";
  std::string plot = "1";
  std::string tree = "1";
  std::string sp = "202";
  std::string sg = "1";
  std::string stm = "N";
  std::string prod = "01";
  std::string cl = "C";
  std::string cm = "M";
  std::string ld = "L";
  std::string cr = "35";
  float dbh = 12.5f;
  float tot_ht = 80;
  float mrch_p = 0;
  float mrch_s = 0;
  float ustem = 0;
  float sdef_p = 5;
  float sdef_s = 0;
  float expan = 10;
};

struct PlotSpec {
  std::string stratum = "01";
  std::string cut_unit = "1";
  std::string plot = "1";
  float slope = 20;
  int aspect = 180;
};

struct EquationSpec {
  std::string species;
  std::string number;
};

struct ProrationSpec {
  std::string cl = "C";
  std::string stratum = "01";
  std::string cut_unit = "1";
  std::string sg = "1";
  std::string stm = "N";
  std::string prod = "01";
  float proration = 1;
};

struct ProcessedCruise {
  CruiseSpec cruise;
  std::vector<UnitSpec> units;
  std::vector<StratumSpec> strata;
  std::vector<TreeSpec> trees;
  std::vector<PlotSpec> plots;
  std::vector<EquationSpec> equations;
  std::vector<ProrationSpec> prorations;
  bool with_expan_fac = true;
  bool with_cruise_row = true;

  // Writes the cruise file and, unless `proration_path` is empty, the
  // proration file.
  void Write(const std::filesystem::path& cruise_path, const std::filesystem::path& proration_path) const {
    namespace col = cruisedb::col;
    using storage::Row;
    {
      auto opened = storage::Storage::Open(cruise_path, storage::Storage::Mode::ReadWrite);
      ASSERT_TRUE(opened) << opened.status().message();
      auto& s = *opened;
      auto cruise_view = s.GetAs("CruiseTable[SaleNo:S,CruiseNo:S,SaleName:S,Region:S,Forest:S,District:S,CalYear:S]");
      ASSERT_TRUE(cruise_view);
      if (with_cruise_row) {
        cruise_view->Add(Row()
                             .Set(col::CruiseNo, cruise.cruise_no)
                             .Set(col::SaleName, cruise.sale_name)
                             .Set(col::Region, cruise.region)
                             .Set(col::Forest, cruise.forest)
                             .Set(col::District, cruise.district)
                             .Set(col::CalYear, cruise.cal_year));
      }
      auto units_view = s.GetAs("CuttingUnitTable[CutUnit:S,Area:D,Description:S]");
      for (const auto& u : units)
        units_view->Add(Row().Set(col::CutUnit, u.cut_unit).Set(col::Area, u.area).Set(col::Description, u.description));
      auto strata_view = s.GetAs("StratumTable[Stratum:S,Units:S]");
      for (const auto& st : strata) strata_view->Add(Row().Set(col::Stratum, st.stratum).Set(col::Units, st.units));
      std::string tree_description =
          "TreeTable[Stratum:S,CutUnit:S,Plot:S,SG:S,Tree:S,Sp:S,STM:S,ProdP:S,CL:S,CM:S,LD:S,CR:S,DBH:F,TotHt:F,"
          "MrchHtP:F,MrchHtS:F,HgtUStem:F,SDefP:F,SDefS:F";
      tree_description += with_expan_fac ? ",ExpanFac:F]" : "]";
      auto trees_view = s.GetAs(tree_description);
      ASSERT_TRUE(trees_view);
      for (const auto& t : trees) {
        Row row;
        row.Set(col::Stratum, t.stratum).Set(col::CutUnit, t.cut_unit).Set(col::Plot, t.plot).Set(col::SG, t.sg);
        row.Set(col::Tree, t.tree).Set(col::Sp, t.sp).Set(col::STM, t.stm).Set(col::ProdP, t.prod);
        row.Set(col::CL, t.cl).Set(col::CM, t.cm).Set(col::LD, t.ld).Set(col::CR, t.cr).Set(col::DBH, t.dbh);
        row.Set(col::TotHt, t.tot_ht).Set(col::MrchHtP, t.mrch_p).Set(col::MrchHtS, t.mrch_s);
        row.Set(col::HgtUStem, t.ustem).Set(col::SDefP, t.sdef_p).Set(col::SDefS, t.sdef_s);
        if (with_expan_fac) row.Set("ExpanFac", storage::Value(t.expan));
        trees_view->Add(row);
      }
      auto plots_view = s.GetAs("PlotTable[Stratum:S,CutUnit:S,Plot:S,SlopePct:F,Aspect:I]");
      for (const auto& p : plots) {
        plots_view->Add(Row()
                            .Set(col::Stratum, p.stratum)
                            .Set(col::CutUnit, p.cut_unit)
                            .Set(col::Plot, p.plot)
                            .Set(col::SlopePct, p.slope)
                            .Set(col::Aspect, p.aspect));
      }
      auto config_view = s.GetAs("GlobalConfigurationTable[Block:S,Key:S,Value:S]");
      config_view->Add(Row().Set(col::Block, "General").Set(col::Key, "StructureVersion").Set(col::Value, "2010.03.18"));
      auto volume_view = s.GetAs("VolumeEquationTable[VolEqSpecie:S,VolEqPP:S,VolEqNum:S]");
      for (const auto& e : equations)
        volume_view->Add(Row().Set(col::VolEqSpecie, e.species).Set(col::VolEqNum, e.number));
      ASSERT_TRUE(s.Commit());
    }
    if (proration_path.empty()) return;
    auto opened = storage::Storage::Open(proration_path, storage::Storage::Mode::ReadWrite);
    ASSERT_TRUE(opened) << opened.status().message();
    auto pro = opened->GetAs("PROtable[CL:S,Stratum:S,CutUnit:S,SG:S,STM:S,ProdP:S,Proration:F,Volume:D]");
    ASSERT_TRUE(pro);
    for (const auto& p : prorations) {
      pro->Add(Row()
                   .Set(cruisedb::col::CL, p.cl)
                   .Set(cruisedb::col::Stratum, p.stratum)
                   .Set(cruisedb::col::CutUnit, p.cut_unit)
                   .Set(cruisedb::col::SG, p.sg)
                   .Set(cruisedb::col::STM, p.stm)
                   .Set(cruisedb::col::ProdP, p.prod)
                   .Set(cruisedb::col::Proration, p.proration));
    }
    ASSERT_TRUE(opened->Commit());
  }
};

}  // namespace sw::test
