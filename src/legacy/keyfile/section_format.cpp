// Version 7 key file sections as text (see section_format.h).
#include "legacy/keyfile/section_format.h"

#include "legacy/keyfile/section_headers.h"

namespace sw::legacy::keyfile {
namespace {

template <class Equation, class Formatter>
std::string FormatSection(Section section, const std::vector<Equation>& equations, Formatter format) {
  std::string out(SectionHeader(section));
  out += '\n';
  for (const Equation& e : equations) out += format(e);
  return out;
}

}  // namespace

std::string FormatVolumeSection(const std::vector<VolumeEquation>& equations) {
  return FormatSection(Section::Volume, equations, FormatVolumeRecord);
}
std::string FormatValueSection(const std::vector<ValueEquation>& equations) {
  return FormatSection(Section::Value, equations, FormatValueRecord);
}
std::string FormatWeightSection(const std::vector<WeightEquation>& equations) {
  return FormatSection(Section::Weight, equations, FormatWeightRecord);
}
std::string FormatQualitySection(const std::vector<QualityEquation>& equations) {
  return FormatSection(Section::Quality, equations, FormatQualityRecord);
}

}  // namespace sw::legacy::keyfile
