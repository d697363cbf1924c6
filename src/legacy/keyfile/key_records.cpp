// Readers and writers of single key file records (see key_records.h).
#include "legacy/keyfile/key_records.h"

#include <algorithm>
#include <regex>

#include "legacy/keyfile/default_volume_equations.h"
#include "legacy/line.h"

namespace sw::legacy::keyfile {
namespace {

std::string Text(std::string_view line, Field field) { return FixedField(line, field.start, field.end); }
double Number(std::string_view line, Field field) { return Atof(FixedField(line, field.start, field.end)); }
int Integer(std::string_view line, Field field) { return Atoi(FixedField(line, field.start, field.end)); }

// A one-character flag column; a column past the end of the line, or one
// holding a control character, reads as "0".
char FlagAt(std::string_view line, std::size_t column) {
  if (column >= line.size()) return '0';
  const unsigned char c = static_cast<unsigned char>(line[column]);
  return (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '0';
}

double Coefficient(std::string_view line, std::size_t first, std::size_t width, std::size_t index) {
  const std::size_t start = first + index * width;
  return Atof(FixedField(line, start, start + width));
}

// Text cut to its field width.
std::string Fit(std::string_view text, std::size_t width) { return std::string(text.substr(0, width)); }

// The record format with each real conversion "%W.Pf" turned into "%Ws", so
// that the numbers are handed over as text already fitted to their columns.
std::string TextFormat(std::string_view format) {
  static const std::regex kReal("%([0-9]+)\\.[0-9]+f");
  return std::regex_replace(std::string(format), kReal, "%$1s");
}

// A number as KeyNumberText writes it into all the columns of its format.
std::string NumberText(const char* format, double value, std::size_t room) {
  std::optional<std::string> text = KeyNumberText(format, value, room);
  return text ? *text : Format(format, value);  // too wide: the export refuses such a value first
}

std::string NumberText(const char* format, double value) {
  int width = 0, precision = 0;
  ParseFixedFormat(format, width, precision);
  return NumberText(format, value, static_cast<std::size_t>(width));
}

bool IsBlankCode(std::string_view code) { return code == " "; }

// Species and product of a Version 6 volume or value record, and the column
// where its fields start (the end of the line when there is no second "/").
struct Version6Head {
  std::string species;
  std::string product;
  std::size_t fields_start = 0;
};

Version6Head ReadVersion6Head(std::string_view line) {
  Version6Head head;
  const std::size_t first = line.find('/');
  const std::size_t second = first == std::string_view::npos ? first : line.find('/', first + 1);
  if (first != std::string_view::npos && first <= 4) head.species = std::string(line.substr(0, first));
  if (second != std::string_view::npos && second <= 7)
    head.product = std::string(line.substr(first + 1, second - first - 1));
  head.fields_start = second == std::string_view::npos ? line.size() : second + 1;
  return head;
}

// One equation slot of a Version 6 volume record.
struct Slot {
  std::string code = " ";
  std::string primary = " ";    // primary top DIB text
  std::string secondary = " ";  // secondary top DIB text
  std::string flags = "00000";
};

void ClearSlot(Slot& slot) {
  slot.code = " ";
  slot.primary = "0";
}

void SetFlagsUnlessBlank(Slot& slot, const char* flags) {
  if (!IsBlankCode(slot.code)) slot.flags = flags;
}

// The first field's equation feeds flag 1, the second's flag 3, the third's
// flag 2; equal codes share one row.
void MergePrimarySlots(Slot& s0, Slot& s1, Slot& s2) {
  const std::string& a = s0.code;
  const std::string& b = s1.code;
  const std::string& c = s2.code;
  if (a == b && b == c) {
    ClearSlot(s1);
    ClearSlot(s2);
    SetFlagsUnlessBlank(s0, "01110");
  } else if (a == c) {
    ClearSlot(s2);
    SetFlagsUnlessBlank(s0, "01100");
    SetFlagsUnlessBlank(s1, "00010");
  } else if (a == b) {
    ClearSlot(s1);
    SetFlagsUnlessBlank(s0, "01010");
    SetFlagsUnlessBlank(s2, "00100");
  } else if (b == c) {
    // The second and third fields name the same equation (or are both
    // blank): it feeds flags 2 and 3, the first field's equation flag 1.
    // A single equation thus gets "01000" and stays usable.
    ClearSlot(s2);
    SetFlagsUnlessBlank(s0, "01000");
    SetFlagsUnlessBlank(s1, "00110");
  } else {
    SetFlagsUnlessBlank(s0, "01000");
    SetFlagsUnlessBlank(s1, "00010");
    SetFlagsUnlessBlank(s2, "00100");
  }
}

// A secondary equation equal to a primary one sets that row's flag 4 and
// secondary top DIB; any other secondary equation gets a row of its own with
// flag 4, so that no equation ends up without a flag.
void MergeSecondarySlots(std::array<Slot, 5>& slots) {
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t s = 3; s < 5; ++s) {
      if (IsBlankCode(slots[s].code) || slots[s].code != slots[i].code) continue;
      slots[i].secondary = slots[s].secondary;
      slots[i].flags[4] = '1';
      slots[s].code = " ";
    }
  }
  for (std::size_t s = 3; s < 5; ++s)
    if (!IsBlankCode(slots[s].code)) slots[s].flags = "00001";
}

// Splits a Version 6 volume field at its first comma.
struct CodeAndValue {
  std::string code;
  std::string value;
  bool has_comma = false;
};

CodeAndValue SplitField(std::string_view field) {
  CodeAndValue out;
  const std::size_t comma = field.find(',');
  out.has_comma = comma != std::string_view::npos;
  out.code = std::string(out.has_comma ? field.substr(0, comma) : field);
  if (out.has_comma) out.value = std::string(field.substr(comma + 1));
  return out;
}

// The fields of a Version 6 volume record by position (see ReadVolumeRecord6).
class Version6VolumeFields {
 public:
  void Take(std::string_view field) {
    if (field.empty()) {  // the only way past positions 3 and 6
      ++position_;
      return;
    }
    const CodeAndValue part = SplitField(field);
    const std::string code = part.code.empty() ? std::string(" ") : part.code;
    switch (position_) {
      case 0:
      case 1:
      case 2:
      case 4:
      case 5: {
        const bool secondary = position_ >= 4;
        Slot& slot = slots_[secondary ? position_ - 1 : position_];
        slot.code = code;
        if (!part.has_comma) {
          slot.primary = "0";
          slot.secondary = "0";
        } else if (secondary) {
          slot.secondary = part.value;
        } else {
          slot.primary = part.value;
        }
        ++position_;
        break;
      }
      case 3:
        if (part.has_comma) {
          weight_.number = "GENPP00" + part.code;
          weight_.factor = Atof(part.value);
          weight_due_ = true;
        }
        break;
      case 6:
        if (part.has_comma) weight_.percent = Atof(part.value);
        break;
      default:
        ++position_;
        break;
    }
  }

  std::array<Slot, 5>& slots() { return slots_; }
  bool weight_due() const { return weight_due_; }
  const WeightEquation& weight() const { return weight_; }

 private:
  std::size_t position_ = 0;
  std::array<Slot, 5> slots_;
  WeightEquation weight_;
  bool weight_due_ = false;
};

}  // namespace

bool IsVersion6Record(std::string_view line) { return line.size() > 1 && line.find('/', 1) != std::string_view::npos; }

std::string KeyFileRegion(std::string_view line1) {
  std::string region(line1.substr(0, 2));
  if (region.empty()) return region;
  if (region.size() == 2 && region[1] == ' ' && region[0] != ' ') region.resize(1);
  return NormaliseRegion(region);
}

std::string VolumeEquationRegion(std::string_view number, std::string_view key_region, bool version7) {
  if (number == "407FW2W093" && key_region == "02") return std::string(key_region);
  const char first = number.empty() ? ' ' : number[0];
  if (first == 'A') return "10";
  if (first == 'B') return "07";
  if (first == 'I' || (version7 && first == 'F')) return std::string(key_region);
  return NormaliseRegion(number.substr(0, 1));
}

std::string ValueEquationRegion(std::string_view number) {
  const char sixth = number.size() > 5 ? number[5] : ' ';
  if (sixth == '0') return "10";
  return NormaliseRegion(std::string(1, sixth));
}

int QualityYear(std::string_view field) {
  if (field.size() >= quality_layout::kYear.width()) return Atoi(field);
  const std::size_t first = field.find_first_not_of(' ');
  const std::string_view year = first == std::string_view::npos ? std::string_view() : field.substr(first);
  if (year.size() <= 2) return Atoi(ExpandYear(year));
  return Atoi(year);
}

VolumeEquation ReadVolumeRecord7(std::string_view line, std::string_view key_region) {
  namespace l = volume_layout;
  VolumeEquation e;
  e.species = Text(line, l::kSpecies);
  e.product = Text(line, l::kProduct);
  e.number = Text(line, l::kNumber);
  e.stump = Number(line, l::kStump);
  e.top_dib_primary = Number(line, l::kTopDibPrimary);
  e.top_dib_secondary = Number(line, l::kTopDibSecondary);
  const bool secondary = FlagAt(line, l::kSecondaryMark2) == '1' || FlagAt(line, l::kSecondaryMark3) == '1';
  e.flags = {FlagAt(line, l::kFlag0), FlagAt(line, l::kFlag1), FlagAt(line, l::kFlag2), FlagAt(line, l::kFlag3),
             secondary ? '1' : '0'};
  e.zscore = Number(line, l::kZscore);
  e.upper_stem_height = Integer(line, l::kUpperStemHeight);
  e.reference_height = Integer(line, l::kReferenceHeight);
  e.region = VolumeEquationRegion(e.number, key_region, true);
  return e;
}

ValueEquation ReadValueRecord7(std::string_view line) {
  namespace l = value_layout;
  ValueEquation e;
  e.species = Text(line, l::kSpecies);
  e.product = Text(line, l::kProduct);
  e.number = Text(line, l::kNumber);
  e.grade = Text(line, l::kGrade);
  for (std::size_t i = 0; i < e.coefficients.size(); ++i)
    e.coefficients[i] = Coefficient(line, l::kFirstCoefficient, l::kCoefficientWidth, i);
  e.region = ValueEquationRegion(FixedField(line, l::kNumber.start, l::kNumber.end));
  return e;
}

WeightEquation ReadWeightRecord(std::string_view line) {
  namespace l = weight_layout;
  WeightEquation e;
  e.species = Text(line, l::kSpecies);
  e.product = Text(line, l::kProduct);
  e.number = Text(line, l::kNumber);
  e.factor = Number(line, l::kFactor);
  e.percent = Number(line, l::kPercent);
  e.live_dead = Text(line, l::kLiveDead);
  return e;
}

QualityEquation ReadQualityRecord7(std::string_view line) {
  namespace l = quality_layout;
  QualityEquation e;
  e.species = Text(line, l::kSpecies);
  e.number = Text(line, l::kNumber);
  e.year = QualityYear(Text(line, l::kYear));
  e.grade = Text(line, l::kGrade);
  for (std::size_t i = 0; i < e.coefficients.size(); ++i)
    e.coefficients[i] = Coefficient(line, l::kFirstCoefficient, l::kCoefficientWidth, i);
  return e;
}

Version6Volume ReadVolumeRecord6(std::string_view line, std::string_view key_region) {
  const Version6Head head = ReadVersion6Head(line);
  Version6VolumeFields fields;
  std::size_t field_start = head.fields_start;
  // The end of the line ends the last field.
  for (std::size_t i = head.fields_start; i <= line.size(); ++i) {
    if (i < line.size() && line[i] != '/' && line[i] != ' ') continue;
    fields.Take(line.substr(field_start, i - field_start));
    field_start = i + 1;
  }
  std::array<Slot, 5>& slots = fields.slots();
  MergePrimarySlots(slots[0], slots[1], slots[2]);
  MergeSecondarySlots(slots);

  Version6Volume out;
  for (const Slot& slot : slots) {
    if (IsBlankCode(slot.code)) continue;
    VolumeEquation e;
    e.species = head.species;
    e.product = head.product;
    e.number = DefaultVolumeEquation(head.species, key_region, slot.code);
    e.top_dib_primary = Atof(slot.primary);
    e.top_dib_secondary = Atof(slot.secondary);
    e.flags = slot.flags;
    e.stump = (head.product == "01" && key_region == "08") ? 0.5 : 1.0;
    e.region = VolumeEquationRegion(e.number, key_region, false);
    out.volumes.push_back(std::move(e));
  }
  if (fields.weight_due()) {
    WeightEquation w = fields.weight();
    w.species = head.species;
    w.product = head.product;
    out.weight = std::move(w);
  }
  return out;
}

ValueEquation ReadValueRecord6(std::string_view line) {
  const Version6Head head = ReadVersion6Head(line);
  ValueEquation e;
  e.species = head.species;
  e.product = head.product;
  std::string number;
  std::size_t position = 2;  // grade, number, six coefficients
  std::size_t field_start = head.fields_start;
  for (std::size_t i = head.fields_start; i <= line.size(); ++i) {
    const bool end = i == line.size();
    const char c = end ? '\0' : line[i];
    // The grade ends only at a "/"; the other fields at a blank, a "," or a
    // "/", which ends the field without storing it.
    const bool terminator = end || c == '/' || (position != 2 && (c == ' ' || c == ','));
    if (!terminator) continue;
    const std::string_view field = line.substr(field_start, i - field_start);
    field_start = i + 1;
    const bool store = position == 2 ? c == '/' : c != '/';
    if (store) {
      if (position == 2) e.grade = std::string(field);
      else if (position == 3) number = std::string(field);
      else if (position <= 9) e.coefficients[position - 4] = Atof(field);
    }
    ++position;
  }
  if (number.size() < 4) number = "0" + number;
  e.number = "VLPP" + number;
  e.region = ValueEquationRegion(e.number);
  return e;
}

QualityEquation ReadQualityRecord6(std::string_view line) {
  QualityEquation e;
  const std::size_t slash = line.find('/');
  if (slash == std::string_view::npos) {
    e.species = std::string(line);
  } else {
    e.species = std::string(line.substr(0, slash));
  }
  std::string number;
  std::size_t position = 1;  // number, year, grade, six coefficients
  const std::size_t fields_start = slash == std::string_view::npos ? line.size() : slash + 1;
  std::size_t field_start = fields_start;
  for (std::size_t i = fields_start; i <= line.size(); ++i) {
    if (i < line.size() && line[i] != ' ' && line[i] != ',') continue;
    const std::string_view field = line.substr(field_start, i - field_start);
    field_start = i + 1;
    if (position == 1) number = std::string(field);
    else if (position == 2) e.year = QualityYear(field);
    else if (position == 3) e.grade = std::string(field);
    else if (position <= 9) e.coefficients[position - 4] = Atof(field);
    ++position;
  }
  if (number.size() == 3) number = "0" + number;
  e.number = "QUAL" + number;
  return e;
}

std::optional<std::string> KeyNumberText(const char* format, double value, std::size_t room) {
  int width = 0, precision = 0;
  if (!ParseFixedFormat(format, width, precision)) return std::nullopt;
  std::string text = Format(format, value);
  const std::size_t first = text.find_first_not_of(' ');
  const std::size_t digits = first == std::string::npos ? 0 : text.size() - first;
  if (text.size() <= static_cast<std::size_t>(width) && digits <= room) return text;
  std::optional<std::string> fitted = FitDecimals(value, static_cast<int>(room), precision);
  if (!fitted) return std::nullopt;
  return Format("%*s", width, fitted->c_str());
}

std::string FormatVolumeRecord(const VolumeEquation& e) {
  namespace l = volume_layout;
  std::string flags = e.flags.substr(0, 5);
  flags.resize(5, '0');
  char mark2 = '0';
  char mark3 = '0';
  if (flags[4] == '1') {
    if (flags[2] == '1') mark2 = '1';
    if (flags[3] == '1') mark3 = '1';
  }
  if ((e.region == "9" || e.region == "09") && flags == "00110") mark2 = mark3 = '0';
  static const std::string format = TextFormat(l::kFormat);
  return Format(format.c_str(), Fit(e.species, l::kSpecies.width()).c_str(),
                Fit(e.product, l::kProduct.width()).c_str(), Fit(e.number, l::kNumber.width()).c_str(),
                NumberText("%3.1f", e.stump).c_str(), flags[0], NumberText("%4.1f", e.top_dib_primary).c_str(),
                flags[1], flags[2], flags[3], NumberText("%4.1f", e.top_dib_secondary).c_str(), mark2, mark3,
                NumberText("%7.3f", e.zscore).c_str(), e.upper_stem_height, e.reference_height);
}

std::string FormatValueRecord(const ValueEquation& e) {
  namespace l = value_layout;
  std::string out = Format(l::kHeadFormat, Fit(e.species, l::kSpecies.width()).c_str(),
                           Fit(e.product, l::kProduct.width()).c_str(), Fit(e.number, l::kNumber.width()).c_str(),
                           Fit(e.grade, l::kGrade.width()).c_str());
  for (double c : e.coefficients) out += NumberText(l::kCoefficientFormat, c);
  out += '\n';
  return out;
}

std::string FormatWeightRecord(const WeightEquation& e) {
  namespace l = weight_layout;
  static const std::string format = TextFormat(l::kFormat);
  return Format(format.c_str(), Fit(e.species, l::kSpecies.width()).c_str(),
                Fit(e.product, l::kProduct.width()).c_str(), Fit(e.number, l::kNumber.width()).c_str(),
                NumberText("%9.4f", e.factor).c_str(), NumberText("%9.4f", e.percent, l::kPercentRoom).c_str(),
                Fit(e.live_dead, l::kLiveDead.width()).c_str());
}

std::string FormatQualityRecord(const QualityEquation& e) {
  namespace l = quality_layout;
  const auto& c = e.coefficients;
  static const std::string format = TextFormat(l::kFormat);
  return Format(format.c_str(), Fit(e.species, l::kSpecies.width()).c_str(),
                Fit(e.number, l::kNumber.width()).c_str(), e.year, Fit(e.grade, l::kGrade.width()).c_str(),
                NumberText("%8.4f", c[0]).c_str(), NumberText("%8.4f", c[1]).c_str(),
                NumberText("%8.4f", c[2]).c_str(), NumberText("%8.4f", c[3]).c_str(),
                NumberText("%8.4f", c[4]).c_str(), NumberText("%8.4f", c[5]).c_str());
}

}  // namespace sw::legacy::keyfile
