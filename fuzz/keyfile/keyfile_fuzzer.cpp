// libFuzzer target for the key file reader: any bytes are read as a key file
// from memory (report list and equation sections into structs), and what was
// read is written out again as Version 7 sections and read once more (any crash, leak or undefined
// behaviour is a finding; the contents are not compared).
#include <cstddef>
#include <cstdint>
#include <string>

#include "legacy/keyfile/key_parser.h"
#include "legacy/keyfile/report_codes.h"
#include "legacy/keyfile/section_format.h"
#include "legacy/line.h"

using namespace sw::legacy;
using namespace sw::legacy::keyfile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  LineReader reader = LineReader::FromText(text);
  const ReportList reports = ReadReportCodes(reader);
  if (reports.kept > kMaxReportCodes) __builtin_trap();
  reader.Rewind();
  const KeyEquations equations = ParseEquationSections(reader);

  std::string written = equations.region + "\n" + FormatReportLines(reports.codes);
  written += FormatVolumeSection(equations.volumes) + FormatValueSection(equations.values) +
             FormatWeightSection(equations.weights) + FormatQualitySection(equations.qualities) + "END\n";
  LineReader again = LineReader::FromText(written);
  ParseEquationSections(again);
  return 0;
}
