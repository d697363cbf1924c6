// The default volume equation tables and the region 8 and 9 number rules.
#include "legacy/keyfile/default_volume_equations.h"

#include "legacy/line.h"

namespace sw::legacy::keyfile {
namespace {

using Entry = DefaultEquationEntry;

constexpr Entry kRegion1[] = {
    {"151", "100JB2W108"}, {"152", "100JB2W119"}, {"153", "100JB2W073"}, {"154", "100JB2W202"},
    {"155", "100JB2W017"}, {"156", "100JB2W122"}, {"101", "101DVEW119"}, {"102", "101DVEW073"},
    {"103", "101DVEW202"}, {"104", "101DVEW017"}, {"105", "101DVEW263"}, {"106", "101DVEW242"},
    {"107", "101DVEW108"}, {"108", "101DVEW093"}, {"109", "101DVEW019"}, {"110", "101DVEW122"},
    {"111", "101DVEW999"}, {"201", "102DVEW746"}, {"202", "102DVEW740"}, {"203", "102DVEW017"},
    {"204", "102DVEW019"}, {"205", "102DVEW070"}, {"206", "102DVEW090"}, {"207", "102DVEW101"},
    {"208", "102DVEW108"}, {"209", "102DVEW119"}, {"210", "102DVEW122"}, {"211", "102DVEW202"},
    {"212", "102DVEW240"}, {"213", "102DVEW260"}, {"307", "103DVEW101"}, {"308", "103DVEW108"},
    {"310", "103DVEW122"}, {"311", "103DVEW202"}, {"408", "104DVEW108"}, {"410", "104DVEW122"},
    {"510", "105DVEW122"}, {"610", "106DVEW122"},
};
constexpr Entry kRegion2[] = {
    {"201", "200DVEW746"}, {"202", "200DVEW108"}, {"203", "203DVEW122"}, {"204", "200DVEW122"},
    {"205", "200DVEW015"}, {"206", "200DVEW019"}, {"207", "200DVEW093"}, {"208", "200DVEW202"},
    {"212", "212DVEW122"}, {"221", "210DVEW746"}, {"222", "210DVEW108"}, {"223", "213DVEW122"},
    {"224", "210DVEW122"}, {"227", "210DVEW093"}, {"251", "200CZ2W746"}, {"252", "200CZ2W108"},
    {"253", "203CZ2W122"}, {"254", "200CZ2W122"}, {"255", "200CZ2W015"}, {"256", "200CZ2W019"},
    {"257", "200CZ2W093"}, {"258", "200CZ2W202"}, {"231", "200CZ3W746"}, {"232", "200CZ3W108"},
    {"233", "203CZ3W122"}, {"234", "200CZ3W122"}, {"235", "200CZ3W015"}, {"236", "200CZ3W019"},
    {"237", "200CZ3W093"}, {"238", "200CZ3W202"}, {"273", "203FW2W122"}, {"283", "203FW3W122"},
};
constexpr Entry kRegion3[] = {
    {"301", "300DVEW122"}, {"302", "301DVEW202"}, {"303", "302DVEW202"}, {"304", "301DVEW015"},
    {"305", "302DVEW015"}, {"306", "300DVEW093"}, {"307", "300DVEW113"}, {"308", "300DVEW746"},
    {"309", "300DVEW060"}, {"310", "300DVEW106"}, {"311", "300DVEW310"}, {"312", "300DVEW800"},
    {"313", "300DVEW999"}, {"314", "300DVEW314"},
};
constexpr Entry kRegion4[] = {
    {"401", "400MATW746"}, {"404", "400MATW202"}, {"405", "405MATW202"}, {"406", "401MATW202"},
    {"411", "400MATW019"}, {"412", "405MATW019"}, {"417", "400MATW015"}, {"418", "401MATW015"},
    {"421", "400MATW081"}, {"424", "400MATW073"}, {"427", "403MATW122"}, {"430", "400MATW108"},
    {"431", "401MATW108"}, {"437", "401MATW122"}, {"438", "402MATW122"}, {"439", "400MATW122"},
    {"446", "400MATW093"}, {"447", "407MATW093"}, {"451", "400MATW020"}, {"454", "400MATW117"},
};
constexpr Entry kRegion5[] = {
    {"551", "500WO2W202"}, {"552", "500WO2W122"}, {"553", "500WO2W117"}, {"554", "500WO2W015"},
    {"555", "500WO2W020"}, {"556", "500WO2W081"}, {"557", "500WO2W116"}, {"558", "500WO2W108"},
    {"559", "500WO2W211"}, {"510", "500DVEW060"}, {"511", "500DVEW351"}, {"512", "500DVEW312"},
    {"513", "500DVEW818"}, {"514", "500DVEW807"}, {"515", "500DVEW805"}, {"516", "500DVEW431"},
    {"517", "500DVEW801"}, {"518", "500DVEW839"}, {"519", "500DVEW981"}, {"520", "500DVEW361"},
    {"521", "500DVEW815"}, {"522", "500DVEW631"}, {"523", "500DVEW821"}, {"524", "500DVEW212"},
    {"525", "500DVEW811"},
};
constexpr Entry kRegion6[] = {
    {"616", "616BEHW000"}, {"632", "632BEHW000"}, {"651", "601DVEW205"}, {"652", "601DVEW263"},
    {"653", "601DVEW015"}, {"654", "602DVEW204"}, {"655", "602DVEW015"}, {"656", "602DVEW108"},
    {"657", "600DVEW122"}, {"628", "628BEHW000"},
};
constexpr Entry kRegion7[] = {
    {"701", "B01BEHW202"}, {"702", "B02BEHW202"}, {"703", "B03BEHW202"}, {"704", "B04BEHW202"},
    {"705", "B00BEHW211"}, {"706", "B05BEHW202"}, {"710", "B01BEHW122"}, {"711", "B00BEHW122"},
    {"712", "B00BEHW116"}, {"713", "B00BEHW117"}, {"714", "B00BEHW119"}, {"715", "B00BEHW108"},
    {"720", "B00BEHW231"}, {"721", "B00BEHW631"}, {"722", "B00BEHW351"}, {"723", "B00BEHW998"},
    {"724", "B00BEHW312"}, {"725", "B00BEHW361"}, {"726", "B00BEHW431"}, {"727", "B00BEHW542"},
    {"728", "B00BEHW747"}, {"729", "B00BEHW800"}, {"730", "B01BEHW015"}, {"731", "B00BEHW015"},
    {"732", "B00BEHW021"}, {"733", "B00BEHW017"}, {"734", "B00BEHW011"}, {"735", "B00BEHW022"},
    {"741", "B00BEHW093"}, {"742", "B00BEHW098"}, {"748", "B00BEHW260"}, {"751", "B00BEHW081"},
    {"752", "B00BEHW042"}, {"753", "B00BEHW041"}, {"754", "B00BEHW242"}, {"755", "B00BEHW073"},
    {"756", "B00BEHW999"},
};
constexpr Entry kRegion10[] = {
    {"1051", "A16DEMW098"}, {"1052", "A32DEMW098"}, {"1053", "A16DEMW242"}, {"1054", "A32DEMW242"},
    {"1055", "A16DEMW042"}, {"1056", "A32DEMW042"}, {"1001", "A01DEMW000"}, {"1002", "A02DEMW000"},
    {"1061", "A61DEMW098"}, {"1062", "A62DEMW098"}, {"1063", "A61DEMW242"}, {"1064", "A62DEMW242"},
    {"1065", "A61DEMW042"}, {"1066", "A62DEMW042"},
};
constexpr Entry kRegion12[] = {
    {"1251", "H00SN2W301"}, {"1252", "H00SN2W671"}, {"1253", "H00SN2W510"}, {"1254", "H01SN2W510"},
};

std::string_view Lookup(int region, std::string_view code) {
  for (const Entry& entry : DefaultEquationTable(region))
    if (entry.code == code) return entry.number;
  return {};
}

// Forest codes of region 8: codes from "800" up are used as they are; the
// others become "8", the two-digit forest, "DVEE" and the species.
std::string Region8Number(std::string_view species, std::string_view code) {
  if (code >= std::string_view("800")) return std::string(code) + "CLKE" + std::string(species);
  std::string forest;
  if (!code.empty() && code[0] == ' ') {
    forest = "0";
    if (code.size() > 1) forest += code[1];
  } else {
    forest = std::string(code);
  }
  return "8" + forest + "DVEE" + std::string(species);
}

}  // namespace

std::span<const DefaultEquationEntry> DefaultEquationTable(int region) {
  switch (region) {
    case 1: return kRegion1;
    case 2: return kRegion2;
    case 3: return kRegion3;
    case 4: return kRegion4;
    case 5: return kRegion5;
    case 6: return kRegion6;
    case 7: return kRegion7;
    case 10: return kRegion10;
    case 12: return kRegion12;
    default: return {};
  }
}

std::string DefaultVolumeEquation(std::string_view species, std::string_view region, std::string_view code) {
  const int number = Atoi(region);
  if (number < 1 || number > 12 || number == 11) return "BLANK";
  if (number <= 7) {
    for (int table = number; table <= 7; ++table) {
      std::string_view found = Lookup(table, code);
      if (!found.empty()) return std::string(found);
    }
    return Region8Number(species, code);
  }
  if (number == 8) return Region8Number(species, code);
  if (number == 9) return std::string(code) + "DVEE" + std::string(species);
  // Region 10 falls back on table 12; region 12 has only its own table.
  std::string_view found = Lookup(number, code);
  if (found.empty() && number == 10) found = Lookup(12, code);
  return found.empty() ? std::string("BLANK") : std::string(found);
}

}  // namespace sw::legacy::keyfile
