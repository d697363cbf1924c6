// The small value rules of the job-record readers: UOMP and Clear codes, the
// secondary product of a Version 7 tree, the Version 6 code translations and
// the Version 6 heights by region. Pure text in, text out.
//
// Not for: table access (job_record_readers.h) or field positions
// (job_layouts.h).
#pragma once

#include <string>
#include <string_view>

#include "legacy/jobfile/job_record.h"

namespace sw::legacy::jobfile {

// Empty, one blank or two blanks.
bool IsBlankField(std::string_view text);

// A log group whose LogNum is empty, " " or "0" ends a line's logs.
bool EndsLogs(std::string_view log_num);

// A one-character UOMP other than " " gets a leading "0".
std::string NormaliseUomp(std::string uomp);

// Region "03": "Y"/"y" give "1", "N"/"n"/" " give "0"; otherwise as read.
std::string NormaliseClear(std::string clear, std::string_view region);

// ProdS of a Version 7 tree record from ProdP, ProdS and CL as read.
std::string TreeProdS(std::string_view prod_p, std::string_view prod_s, std::string_view cl,
                      std::string_view region);

// Version 6 codes: tree kind "Y" is a count ("C"), "N" a measured tree ("M");
// CL "N" is "C", "Y" is "L". Anything else is kept.
std::string Version6CM(std::string kind);
std::string Version6CL(std::string cl);

// The eight height and defect texts a Version 6 tree record carries in
// columns 34-39 and 58-63, by region; an unused one is empty (reads as 0).
struct Version6Heights {
  std::string TotHt, MrchHtP, MrchHtS, HgtUStem, CDefP, HDefP, SDefP, SDefS;
};
// `tree` is a record parsed with layouts::kTree6.
Version6Heights DecodeVersion6Heights(const JobRecord& tree, std::string_view region);

}  // namespace sw::legacy::jobfile
