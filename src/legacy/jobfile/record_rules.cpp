// Value rules of the job-record readers (see record_rules.h).
#include "legacy/jobfile/record_rules.h"

#include <cmath>

#include "legacy/jobfile/job_layouts.h"
#include "legacy/line.h"

namespace sw::legacy::jobfile {

bool IsBlankField(std::string_view text) { return text.empty() || text == " " || text == "  "; }

bool EndsLogs(std::string_view log_num) { return log_num.empty() || log_num == " " || log_num == "0"; }

std::string NormaliseUomp(std::string uomp) {
  if (uomp.size() == 1 && uomp != " ") uomp.insert(uomp.begin(), '0');
  return uomp;
}

std::string NormaliseClear(std::string clear, std::string_view region) {
  if (region != "03") return clear;
  if (clear == "Y" || clear == "y") return "1";
  if (clear == "N" || clear == "n" || clear == " ") return "0";
  return clear;
}

std::string TreeProdS(std::string_view prod_p, std::string_view prod_s, std::string_view cl,
                      std::string_view region) {
  bool s_blank = IsBlankField(prod_s);
  if (region == "09" && prod_p == "14" && s_blank) return "02";
  if (region == "06" && s_blank) return "08";
  if (IsBlankField(cl) && IsBlankField(prod_p)) return "";
  if (s_blank) return "02";
  return std::string(prod_s);
}

std::string Version6CM(std::string kind) {
  if (kind == "Y") return "C";
  if (kind == "N") return "M";
  return kind;
}

std::string Version6CL(std::string cl) {
  if (cl == "N") return "C";
  if (cl == "Y") return "L";
  return cl;
}

Version6Heights DecodeVersion6Heights(const JobRecord& tree, std::string_view region) {
  using namespace layouts;
  Version6Heights h;
  const std::string& h1 = tree.Text(t6Height1);
  const std::string& h2 = tree.Text(t6Height2);
  const std::string& d1 = tree.Text(t6Defect1);
  const std::string& d2 = tree.Text(t6Defect2);
  switch (Atoi(region)) {
    case 1: h.TotHt = h1; h.SDefP = d1; break;
    case 2: h.TotHt = h1; h.HgtUStem = h2; h.SDefP = d1; h.HDefP = d2; break;
    case 3: h.TotHt = h1; h.MrchHtP = h2; h.SDefP = d1; h.HDefP = d2; break;
    case 4: h.TotHt = h1; h.SDefP = d1; h.HDefP = d2; break;
    case 5: h.TotHt = h1; h.SDefP = d1; h.SDefS = d2; break;
    case 6: h.TotHt = h1; h.MrchHtP = h2; h.CDefP = d1; h.HDefP = d2; break;
    case 7: h.TotHt = h1; h.MrchHtP = h2; h.SDefP = d1; break;
    case 8: h.MrchHtP = h1; h.HgtUStem = h2; h.SDefP = d1; break;
    case 9: h.MrchHtP = h1; h.MrchHtS = h2; h.SDefP = d1; h.SDefS = d2; break;
    case 10: {
      const std::string& type = tree.Text(t6MrchHtT);
      if (type == "L" || type == "l")
        h.MrchHtP = h2;
      else
        h.TotHt = h1;
      h.CDefP = d1;
      h.HDefP = d2;
      break;
    }
    case 12: h.MrchHtP = h1; h.SDefP = d1; break;
    default: break;
  }
  // Regions 2 and 4 store the total height plus one.
  int number = Atoi(region);
  if (number == 2 || number == 4) {
    double total = Atof(h.TotHt);
    if (total > 0 && std::isfinite(total)) h.TotHt = Format("%.3f", total + 1);
  }
  return h;
}

}  // namespace sw::legacy::jobfile
