// The parameter logs of the non-linear fits. The Voigt log ("NLLsf.log" after a fit,
// any name through the file dialog) holds, one item a line, keyword first:
//   NLLSF VOIGT LOG : SET [s] [label] [file]
//   RESULT result chisq cycles
//   LINES first last            (fit lines, 0-based, both included)
//   POINTS first end            (fit points of the data file, end not included)
//   SHIFT shift                 (frequency shift of the fit lines)
//   GAU width sigma / LOR width sigma
//   SWITCHES recalc calc        (check boxes 1439 and 1517)
//   LINE index frequency intensity sigma   (one per fit line)
//   END
// The ring-down fit writes "NLLSF RINGDOWN LOG", RESULT, POINTS, A/K/B value sigma, END.
// Numbers are written so that they read back exactly.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "fit/NLLsf.h"
#include "fit/NLLsfInternal.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "records/Lsf.h"
#include "records/Sim.h"
#include "lineshape/LineShape.h"

namespace {

using platform::FormatDouble;

std::string Head(const char* kind, int16_t set) {
  return StrPrintf("NLLSF %s LOG : SET [%d] [%s] [%s]", kind, set, Sim.Set_Lbl[set], Sim.Sim_Flnm[set]);
}

// The fit points: those a fit read (a range past the end of its file ends there),
// else the range set for the next fit.
std::string Points(const LsfFitJob* job) {
  if (job && job->read > 0) return StrPrintf("POINTS %d %d", job->first, job->first + job->read);
  return StrPrintf("POINTS %d %d", Lsf.Fit_PtBeg, Lsf.Fit_PtEnd);
}

std::string Pair(const char* key, double value, double sigma) {
  return std::string(key) + " " + FormatDouble(value) + " " + FormatDouble(sigma);
}

// The words of a line.
std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

struct VoigtLog {
  int32_t beg = 0, end = -1, ptBeg = 0, ptEnd = 0;
  double shift = 0.0, gau = 0.0, lor = 0.0;
  int32_t recalc = 0, calc = 0;
  std::vector<std::pair<int32_t, double>> itn;  // line, intensity
};

// Parses a Voigt log; false for anything out of order or out of range.
bool ParseVoigt(const std::vector<std::string>& lines, int16_t set, VoigtLog* log) {
  if (lines.empty() || lines[0].rfind("NLLSF VOIGT LOG", 0) != 0) return false;
  bool ended = false, haveLines = false;
  for (size_t k = 1; k < lines.size() && !ended; ++k) {
    const std::vector<std::string> w = Words(lines[k]);
    if (w.empty()) continue;
    auto num = [&](size_t i, double* v) { return i < w.size() && platform::ParseDouble(w[i], v); };
    auto whole = [&](size_t i, int32_t* v) { return i < w.size() && platform::ParseInt32(w[i], v); };
    double d = 0.0;
    bool ok = true;
    if (w[0] == "END") {
      ended = true;
    } else if (w[0] == "RESULT") {
    } else if (w[0] == "LINES") {
      ok = whole(1, &log->beg) && whole(2, &log->end);
      haveLines = ok;
    } else if (w[0] == "POINTS") {
      ok = whole(1, &log->ptBeg) && whole(2, &log->ptEnd);
    } else if (w[0] == "SHIFT") {
      ok = num(1, &log->shift);
    } else if (w[0] == "GAU") {
      ok = num(1, &log->gau) && log->gau >= 0.0;
    } else if (w[0] == "LOR") {
      ok = num(1, &log->lor) && log->lor >= 0.0;
    } else if (w[0] == "SWITCHES") {
      ok = whole(1, &log->recalc) && whole(2, &log->calc);
    } else if (w[0] == "LINE") {
      int32_t line = 0;
      ok = whole(1, &line) && num(3, &d);
      if (ok) log->itn.emplace_back(line, d);
    } else {
      ok = false;
    }
    if (!ok) return false;
  }
  const int32_t n = static_cast<int32_t>(Sim.FI_Lines[set]);
  if (!ended || !haveLines || log->beg < 0 || log->end < log->beg || log->end >= n || log->ptBeg < 0 ||
      log->ptEnd < log->ptBeg)
    return false;
  for (const auto& [line, value] : log->itn)
    if (line < log->beg || line > log->end) return false;
  return true;
}

}  // namespace

namespace nllsf {

bool WriteVoigtLog(const char* file, const LsfFitJob* job, int16_t set) {
  std::vector<std::string> out;
  out.push_back(Head("VOIGT", set));
  const int32_t result = job ? job->result : Lsf.NL_Result[set];
  const double chisq = job ? job->chisq : Lsf.NL_Chisq[set];
  const int32_t cycles = job ? job->cycles : Lsf.NL_Cycles[set];
  out.push_back(StrPrintf("RESULT %d ", result) + FormatDouble(chisq) + StrPrintf(" %d", cycles));
  const int32_t beg = job && !job->lines.empty() ? job->lines.front() : Lsf.Fit_LnBeg[set];
  const int32_t end = job && !job->lines.empty() ? job->lines.back() : Lsf.Fit_LnEnd[set];
  out.push_back(StrPrintf("LINES %d %d", beg, end));
  out.push_back(Points(job));
  out.push_back("SHIFT " + FormatDouble(Lsf.Fit_FrqShift[set]));
  const size_t n = job ? job->lines.size() : 0;
  const bool widths = job && job->widths;
  out.push_back(Pair("GAU", widths ? std::fabs(job->a[n + 1]) : Sim.LS_GAU[set], widths ? job->sigma[n + 1] : 0.0));
  out.push_back(Pair("LOR", widths ? std::fabs(job->a[n + 2]) : Sim.LS_LOR[set], widths ? job->sigma[n + 2] : 0.0));
  out.push_back(StrPrintf("SWITCHES %u %u", Lsf.Ln_Recalc[set], Lsf.Ln_Calc[set]));
  if (job) {
    for (size_t j = 0; j < n; ++j)
      out.push_back(StrPrintf("LINE %d ", job->lines[j]) + FormatDouble(job->centre[j]) + " " +
                    FormatDouble(job->a[j + 1]) + " " + FormatDouble(job->sigma[j + 1]));
  } else if (Sim.FI_Sim_Erg[set] && Sim.FI_Sim_Itn[set]) {
    for (int32_t i = std::max(beg, 0); i <= end && i < static_cast<int32_t>(Sim.FI_Lines[set]); ++i)
      out.push_back(StrPrintf("LINE %d ", i) + FormatDouble(Sim.FI_Sim_Erg[set][i]) + " " +
                    FormatDouble(Sim.FI_Sim_Itn[set][i]) + " 0");
  }
  out.push_back("END");
  return platform::WriteTextLines(file, out);
}

bool WriteRdfLog(const char* file, const LsfFitJob* job) {
  const int16_t set = job->set;
  std::vector<std::string> out;
  out.push_back(Head("RINGDOWN", set));
  out.push_back(StrPrintf("RESULT %d ", job->result) + FormatDouble(job->chisq) + StrPrintf(" %d", job->cycles));
  out.push_back(Points(job));
  const char* keys[3] = {"A", "K", "B"};
  for (size_t j = 0; j < 3; ++j) out.push_back(Pair(keys[j], job->a[j + 1], job->sigma[j + 1]));
  out.push_back("END");
  return platform::WriteTextLines(file, out);
}

}  // namespace nllsf

int32_t VoigtIOLogFile(const char* direction, const char* file, int16_t set) {
  if (!direction || !file || file[0] == '\0' || set < 0 || set >= LSF_SETS || NLLsfRunning(set)) return 0;
  const std::string dir = direction;
  if (dir == "OUTPUT") return nllsf::WriteVoigtLog(file, nullptr, set) ? 1 : 0;
  if (dir != "INPUT") return 0;
  std::vector<std::string> lines;
  VoigtLog log;
  if (!platform::ReadTextLines(file, &lines) || !ParseVoigt(lines, set, &log)) return 0;
  Lsf.Fit_LnBeg[set] = log.beg;
  Lsf.Fit_LnEnd[set] = log.end;
  Lsf.Fit_PtBeg = log.ptBeg;
  Lsf.Fit_PtEnd = log.ptEnd;
  Lsf.Fit_FrqShift[set] = log.shift;
  Lsf.Ln_Recalc[set] = log.recalc == 1 ? 1 : 0;
  Lsf.Ln_Calc[set] = log.calc == 1 && SimHTLineArrays(set) ? 1 : 0;
  Sim.LS_GAU[set] = log.gau;
  Sim.LS_LOR[set] = log.lor;
  if (Sim.FI_Sim_Itn[set])
    for (const auto& [line, value] : log.itn) Sim.FI_Sim_Itn[set][line] = static_cast<float>(value);
  return 1;
}
