// ASCII spectrum conversion: line selection and probing, step rejection, re-gridding
// of merge targets, and the mapping of each intensity column onto the output grid.
#include "convert/AsciiConvert.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "core/BinFile.h"
#include "core/FileIo.h"
#include "core/FrqAxis.h"
#include "core/WorkText.h"
#include "numerics/Spline.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"
#include "platform/windows/MessageBox.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/Win.h"

namespace {

// What one field of a scan does: skip it or read it as a floating value.
enum class Field : uint8_t { Skip, Read };

// Scans the fields of a line from character `skip` as a "%*s%*c" / "%lf%*c" format
// does: a skipped field is a run of non-blanks, a read field a number; each is
// followed by one separator character. Returns the count of values read (the scan
// stops at the first field that fails).
int32_t ScanFields(const std::string& line, int32_t skip, const std::vector<Field>& format, double* values) {
  if (skip < 0) skip = 0;
  if (static_cast<size_t>(skip) >= line.size()) return 0;
  const char* p = line.c_str() + skip;
  int32_t count = 0;
  for (const Field f : format) {
    if (f == Field::Skip) {
      while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') ++p;
      if (*p == '\0') return count;
      while (*p != '\0' && !(*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f')) ++p;
    } else {
      double v = 0.0;
      if (!core_io::ScanDouble(p, &v)) return count;
      values[count++] = v;
    }
    if (*p != '\0') ++p;  // the separator
  }
  return count;
}

// The frequency of a line: field `column`, the fields before it skipped.
bool LineFrequency(const std::string& line, int16_t column, double* frq) {
  std::vector<Field> format(static_cast<size_t>(column - 1), Field::Skip);
  format.push_back(Field::Read);
  return ScanFields(line, Cnv.Asc_ChrSkip, format, frq) == 1;
}

// The part of a name after its last folder separator.
std::string BaseName(const char* name) {
  const std::string s(name);
  const size_t cut = s.find_last_of("\\/");
  return cut == std::string::npos ? s : s.substr(cut + 1);
}

bool UsedColumn(int k) { return Cnv.Asc_YCol[k] > 0; }

// Step 2 of the probe: holds the FIRST-th line and the LAST-th line (or the last one).
// The line numbers are corrected to what the file holds.
void SelectLines(core_io::LineIn& in, std::string& firstLine, std::string& lastLine) {
  in.Rewind();
  if (Cnv.Asc_First < 1) Cnv.Asc_First = 1;
  if (Cnv.Asc_Last < 0) Cnv.Asc_Last = 0;
  std::string piece;
  int32_t line = 0;
  firstLine.clear();
  while (line < Cnv.Asc_First && in.Next(piece)) {
    ++line;
    firstLine = piece;
  }
  if (line < Cnv.Asc_First) Cnv.Asc_First = line < 1 ? 1 : line;
  lastLine = firstLine;
  while ((Cnv.Asc_Last == 0 || line < Cnv.Asc_Last) && in.Next(piece)) {
    ++line;
    lastLine = piece;
  }
  Cnv.Asc_Last = std::max(line, Cnv.Asc_First);
  StrCopy(Cnv.Asc_FirstLine, sizeof Cnv.Asc_FirstLine, firstLine.c_str());
  StrCopy(Cnv.Asc_LastLine, sizeof Cnv.Asc_LastLine, lastLine.c_str());
}

// The extension after the last "\" and the last "." is "xyt" or "XYT".
bool IsXytName(const char* name) {
  const std::string base = BaseName(name);
  const size_t dot = base.find_last_of('.');
  if (dot == std::string::npos) return false;
  const std::string ext = base.substr(dot + 1);
  return ext == "xyt" || ext == "XYT";
}

// Reads all values of a headerless float32 file; false when it cannot be opened.
bool ReadFloats(const char* name, std::vector<float>& values) {
  core_io::BinIn in;
  if (!in.Open(name)) return false;
  const uint64_t count = in.SizeBytes() / 4;
  try {
    values.assign(static_cast<size_t>(count), 0.0f);
  } catch (const std::bad_alloc&) {
    return false;
  }
  values.resize(in.Read(values.data(), values.size(), 4));
  return !in.Failed();
}

bool WriteFloats(const char* name, const std::vector<float>& values) {
  core_io::BinOut out;
  if (!out.Open(name)) return false;
  if (!out.Write(values.data(), values.size() * sizeof(float))) return false;
  return out.Commit();
}

bool FileHasData(const char* name) {
  core_io::BinIn in;
  return in.Open(name) && in.SizeBytes() >= 4;
}

// Reads a merge target into values, its values taken at the working data's step and
// put on the output step. The file itself is left as it is: the merge writes it once,
// through its temporary file, so a failed merge keeps the old data. Returns 1, or 0
// after a message.
int32_t Regrid(int k, double res, std::vector<float>& values) {
  const char* name = Cnv.Asc_OutFlnm[k];
  std::vector<float> old;
  if (!ReadFloats(name, old)) {
    core_io::Warning(StrPrintf("FAILED TO OPEN BINARY [%ld] FILE [%s] FOR READING\n\nABORTING", static_cast<long>(k + 1), name));
    return 0;
  }
  const int64_t m = static_cast<int64_t>(old.size());
  const double step = std::fabs(Dsp.Frq_Stp);
  values = std::move(old);
  // A file of one value or an unknown step has no spacing to convert from.
  if (m < 2 || !(step > 0.0) || !std::isfinite(step)) return 1;
  // The file spans (m - 1) steps; the new grid spans the same range.
  const double mNew = std::trunc(std::fabs(static_cast<double>(m - 1) * step / res) + 0.5) + 1.0;
  if (static_cast<int64_t>(mNew) == m) return 1;
  if (mNew < 2 || mNew > 2.0e9) return 1;
  const auto n = static_cast<int64_t>(mNew);
  // The spline would spread a missing value (not a number, or 1e18 and more) over the
  // whole file, or ring from it over tens of points with values that look measured.
  const auto bad = std::find_if(values.begin(), values.end(), [](float v) { return ViewValueMissing(v); });
  if (bad != values.end()) {
    core_io::Warning(StrPrintf("[%ld] FILE [%s] POINT [%ld] HAS NO VALUE [%s]\n\nCANNOT RELINEARIZE FILE\n\nABORTING",
                               static_cast<long>(k + 1), name, static_cast<long>(bad - values.begin()),
                               MissingValueText(*bad).c_str()));
    return 0;
  }
  core_io::StatusText(0, StrPrintf("[%ld] RELINEARIZING FILE [%s]", static_cast<long>(k + 1), name));
  std::vector<double> x, y, y2;
  std::vector<float> regridded;
  try {
    x.resize(static_cast<size_t>(m + 1));
    y.resize(static_cast<size_t>(m + 1));
    y2.resize(static_cast<size_t>(m + 1));
    regridded.resize(static_cast<size_t>(n));
  } catch (const std::bad_alloc&) {
    core_io::Error(StrPrintf("CnvA2BFile()/i_frq_dpt/i_itn_dpt/f2i_dpt/o_itn_fpt - CORE ALLOCATION ERROR\n\nIN SZ=[%ld] OUT SZ=[%ld]",
                       static_cast<long>(m), static_cast<long>(n)));
    return 0;
  }
  for (int64_t i = 0; i < m; ++i) {
    x[static_cast<size_t>(i + 1)] = static_cast<double>(i) * step;
    y[static_cast<size_t>(i + 1)] = values[static_cast<size_t>(i)];
  }
  if (DSpline(x.data(), y.data(), static_cast<int32_t>(m), SPLINE_NATURAL, SPLINE_NATURAL, y2.data(), 0) != 1) return 0;
  for (int64_t j = 0; j < n; ++j) {
    double v = 0.0;
    DSplint(x.data(), y.data(), y2.data(), static_cast<int32_t>(m), static_cast<double>(j) * res, &v);
    regridded[static_cast<size_t>(j)] = static_cast<float>(v);
  }
  values = std::move(regridded);
  return 1;
}

// After an interactive conversion display channel k + 1 shows output k; a column
// that was not merged into and whose values differ may be scaled to the plot.
void ShowOnChannel(int k) {
  const int c = k + 1;
  if (!ChannelNameSet(c, Cnv.Asc_OutFlnm[k])) return;  // the box names it; the channel stays
  Dsp.Chn_DspStat[c] = 1;
  const double span = static_cast<double>(Cnv.Asc_Max[k]) - static_cast<double>(Cnv.Asc_Min[k]);
  if (Cnv.Asc_Add[k] == 0 && span > 0.0 && core_io::AskYesNo("AUTO SCALE & OFFSET?")) {
    Dsp.Chn_Scalar[c] = (Dsp.Chn_ScaleStat[c] == 1 ? 0.98 : 9.8) / span;
    Dsp.Chn_Offset[c] = span * 0.01 - static_cast<double>(Cnv.Asc_Min[k]);
  }
  Win.Active_Chn = static_cast<int16_t>(c);
}

// The rejection of a line by its step from the line before.
enum class Step : uint8_t { Keep, Small, Large };
Step Judge(bool hasPrevious, double x, double previous) {
  if (!hasPrevious || Cnv.Asc_Stick != 0) return Step::Keep;
  const double d = x - previous;
  if (d < Cnv.Asc_MinStp) return Step::Small;
  if (d > Cnv.Asc_MaxStp) return Step::Large;
  return Step::Keep;
}

// What the steps of one pass share: the selected lines, the input and output ranges
// and the output grid.
struct Pass {
  std::string firstLine, lastLine;
  int32_t lines = 0;  // of the selected range
  bool hasX = false;
  double first = 0.0, last = 0.0;  // the scaled frequencies of the first and last line
  double dir = 1.0;
  double ofs = 0.0;
  double lo = 0.0, hi = 0.0;  // the output range
  double inStep = 0.0;
  int64_t n = 0;  // output points
  double res = 0.0;
};

// The pass's result where a step ends it; empty where the pass goes on.
using Outcome = std::optional<int32_t>;

// The FIRST-th and LAST-th lines; an "xyt" file (autodetected) skips its 8 header
// lines and 3 trailer lines and holds intensities in thousandths.
void SelectRange(core_io::LineIn& in, int16_t autodetect, Pass& p) {
  SelectLines(in, p.firstLine, p.lastLine);
  if (autodetect == 0) return;
  Cnv.Asc_ItnFactor = 1.0;
  if (IsXytName(Cnv.Ascii_Flnm)) {
    Cnv.Asc_First = 9;
    Cnv.Asc_Last -= 3;
    if (Cnv.Asc_Last < 1) Cnv.Asc_Last = 1;
    SelectLines(in, p.firstLine, p.lastLine);
    Cnv.Asc_ItnFactor = 1000.0;
  }
}

// The input range from the first and last line's frequencies, or the line numbers when
// there is no frequency column.
Outcome InputRange(Pass& p, int16_t mode, int16_t autodetect) {
  p.lines = Cnv.Asc_Last - Cnv.Asc_First + 1;
  p.hasX = Cnv.Asc_XCol > 0;
  if (p.hasX) {
    if (!LineFrequency(p.firstLine, Cnv.Asc_XCol, &p.first) || !LineFrequency(p.lastLine, Cnv.Asc_XCol, &p.last)) {
      if (autodetect != 0 && Cnv.Asc_First == 1) return -1;
      if (mode == 2) core_io::Warning("FIRST | LAST ASCII LINE INVALID");
      return 0;
    }
    p.first *= Cnv.Asc_FrqScl;
    p.last *= Cnv.Asc_FrqScl;
    // A frequency that is not a number ("nan", "inf", or one scaled past the range of
    // a double) gives no range to place the lines on.
    if (!std::isfinite(p.first) || !std::isfinite(p.last)) {
      if (mode == 2) core_io::Warning("FIRST | LAST ASCII LINE INVALID");
      return 0;
    }
  } else {
    p.first = 0.0;
    p.last = static_cast<double>(p.lines - 1);
    Cnv.Asc_OutFrqLo = 0.0;
    Cnv.Asc_OutFrqHi = p.last;
  }
  Cnv.Asc_InFrqLo = p.first;
  Cnv.Asc_InFrqHi = p.last;
  p.dir = p.last < p.first ? -1.0 : 1.0;
  Cnv.Asc_Dir = static_cast<int16_t>(p.dir);
  return std::nullopt;
}

// Merge widening by the existing data of the last merged column. A range left at 0/0
// names none: it becomes the existing data's, which the output range then widens to
// hold the input. A range typed widens to hold the existing data.
void WidenByMergeTarget(const Pass& p) {
  for (int k = 2; k >= 0; --k) {
    if (!UsedColumn(k) || Cnv.Asc_Add[k] == 0) continue;
    core_io::BinIn probe;
    if (probe.Open(Cnv.Asc_OutFlnm[k])) Cnv.Asc_OutSz[k] = static_cast<uint32_t>(probe.SizeBytes() / 4);
    if (Cnv.Asc_OutSz[k] == 0) continue;
    const double start = Dsp.Init_Frq;
    const double end = start + static_cast<double>(Cnv.Asc_OutSz[k] - 1) * Dsp.Frq_Stp;
    if (Cnv.Asc_OutFrqLo == 0.0 && Cnv.Asc_OutFrqHi == 0.0) {
      Cnv.Asc_OutFrqLo = start;
      Cnv.Asc_OutFrqHi = end;
      break;
    }
    if ((start - Cnv.Asc_OutFrqLo) * p.dir < 0.0) Cnv.Asc_OutFrqLo = start;
    if ((end - Cnv.Asc_OutFrqHi) * p.dir > 0.0) Cnv.Asc_OutFrqHi = end;
    break;
  }
}

// The output range, widened to hold the input; a range or resolution of zero ends the pass.
Outcome OutputRange(Pass& p, int16_t mode) {
  p.ofs = Cnv.Asc_FrqOfs;
  const bool loZero = Cnv.Asc_OutFrqLo == 0.0, hiZero = Cnv.Asc_OutFrqHi == 0.0;
  const bool bothZero = loZero && hiZero;
  if (Cnv.Asc_OutFrqHi * p.dir < (p.last + p.ofs) * p.dir || bothZero) {
    Cnv.Asc_OutFrqHi = p.last + p.ofs;
    if (hiZero && !loZero)
      core_io::Warning(
          "HIGH OUTPUT FREQUENCY MUST BE INCLUSIVE OF INPUT HIGH VALUE\n\nOUTPUT SET TO INPUT\n\nNARROW RANGE ON INPUT TO CHANGE");
  }
  if (Cnv.Asc_OutFrqLo * p.dir > (p.first + p.ofs) * p.dir || bothZero) {
    Cnv.Asc_OutFrqLo = p.first + p.ofs;
    if (loZero && !hiZero)
      core_io::Warning(
          "LOW OUTPUT FREQUENCY LIMIT MUST INCLUDE INPUT LOW LIMIT\n\nOUTPUT SET TO INPUT\n\nNARROW RANGE ON INPUT TO CHANGE");
  }
  if (Cnv.Asc_OutRes == 0.0) Cnv.Asc_OutRes = Cnv.Asc_InRes;
  p.lo = Cnv.Asc_OutFrqLo;
  p.hi = Cnv.Asc_OutFrqHi;
  if (p.first == p.last || p.lo == p.hi || !std::isfinite(p.hi - p.lo) || Cnv.Asc_OutRes == 0.0 ||
      !std::isfinite(Cnv.Asc_OutRes) || p.lines < 2) {
    core_io::Warning("INPUT ARRAY SIZE ZERO | INPUT / OUTPUT FRQ RANGE ZERO | OUTPUT RESOLUTION ZERO");
    return mode == 2 ? 0 : 1;
  }
  return std::nullopt;
}

// The output grid: 2 to 2e9 points over the output range, and the default step limits.
void OutputGrid(Pass& p) {
  p.inStep = std::fabs(p.last - p.first) / static_cast<double>(p.lines - 1);
  Cnv.Asc_InRes = p.inStep;
  const double span = std::fabs(p.hi - p.lo);
  const bool resOne = Cnv.Asc_OutRes == 1.0;
  const double ratio = std::fabs((p.hi - p.lo) / Cnv.Asc_OutRes);
  if (ratio > 2.0e9) {
    Cnv.Asc_OutRes = span * 5.0000000025e-10;
    if (!resOne) core_io::Warning("OUTPUT FILE SIZE TOO LONG (>2e9 POINTS)\n\nREDEFINING OUTPUT RESOLUTION");
  }
  double nd = std::trunc(std::fabs((p.hi - p.lo) / Cnv.Asc_OutRes) + 1.5);
  if (nd < 2.0) {
    Cnv.Asc_OutRes = span;
    nd = 2.0;
    if (!resOne) core_io::Warning("OUTPUT FILE SIZE TOO SHORT (<2 POINTS)\n\nREDEFINING OUTPUT RESOLUTION");
  }
  nd = std::min(nd, 2.0e9);
  p.n = static_cast<int64_t>(nd);
  p.res = span / static_cast<double>(p.n - 1);
  Cnv.Asc_OutRes = p.res;
  Cnv.Asc_OutPts = static_cast<int32_t>(p.n);
  if (Cnv.Asc_MinStp == 0.0 || Cnv.Asc_MaxStp == 0.0) {
    Cnv.Asc_MinStp = 0.05 * p.inStep;
    Cnv.Asc_MaxStp = 20.0 * p.inStep;
  }
}

// Counts the lines kept, removed by a small step, after a gap and unreadable; the
// first probe mode counts nothing.
Outcome RejectionScan(core_io::LineIn& in, const Pass& p, int16_t mode) {
  Cnv.Asc_Accepted = p.lines;
  Cnv.Asc_Removed = Cnv.Asc_Gaps = Cnv.Asc_Unread = 0;
  if (mode == 0) {
    Cnv.Asc_Accepted = 0;
    return 1;
  }
  if (!p.hasX) return std::nullopt;
  in.Rewind();
  std::string piece;
  int32_t line = 0, accepted = 0;
  bool hasPrevious = false;
  double previous = 0.0;
  while (line < Cnv.Asc_Last && in.Next(piece)) {
    if (++line < Cnv.Asc_First) continue;
    double f = 0.0;
    if (!LineFrequency(piece, Cnv.Asc_XCol, &f)) {
      ++Cnv.Asc_Unread;
      continue;
    }
    const double x = std::fabs(f * Cnv.Asc_FrqScl - p.first);
    const Step s = Judge(hasPrevious, x, previous);
    hasPrevious = true;
    previous = x;
    if (s == Step::Small) ++Cnv.Asc_Removed;
    else if (s == Step::Large) ++Cnv.Asc_Gaps;
    else ++accepted;
  }
  Cnv.Asc_Accepted = accepted;
  if (accepted == 0) {
    core_io::Warning("NUMBER OF ASCII LINES ACCEPTED IS ZERO");
    return mode == 2 ? 0 : 1;
  }
  return std::nullopt;
}

// Merge targets read, on the output step; false after a message.
bool ReadMergeTargets(double res, std::vector<float> (&existing)[3], bool (&merged)[3]) {
  for (int k = 0; k < 3; ++k) {
    if (!UsedColumn(k) || Cnv.Asc_Add[k] == 0 || !FileHasData(Cnv.Asc_OutFlnm[k])) continue;
    if (Regrid(k, res, existing[k]) == 0) return false;
    merged[k] = true;
  }
  return true;
}

// Targets: an existing file merged into, or overwritten; never the input itself,
// under whatever spelling.
bool TakeTargets(const bool (&merged)[3]) {
  const std::string inBase = BaseName(Cnv.Ascii_Flnm);
  for (int k = 0; k < 3; ++k) {
    if (!UsedColumn(k)) continue;
    const char* name = Cnv.Asc_OutFlnm[k];
    if (inBase == name || platform::SameFile(Cnv.Ascii_Flnm, name)) {
      core_io::Warning(StrPrintf("INPUT & OUTPUT [%ld] FILES [%s] HAVE THE SAME NAME\n\nABORTING", static_cast<long>(k + 1), name));
      return false;
    }
    if (merged[k]) {
      core_io::StatusText(0, StrPrintf("ADDING TO BINARY FILE [%s]", name));
    } else {
      core_io::StatusText(0, StrPrintf("OVERWRITING BINARY FILE [%s]", name));
      Cnv.Asc_Add[k] = 0;
      Cnv.Asc_OutSz[k] = 0;
    }
  }
  return true;
}

// The accepted lines of a conversion: their frequencies and the used columns'
// intensities, read with the scan format of fields 1..4, and the output buffer.
struct Columns {
  size_t accepted = 0;
  std::vector<double> frq, itn[3];
  std::vector<float> out;
  std::vector<Field> format;
  std::vector<int16_t> fieldOf;  // the field number of each value read
  int32_t required = 0;
  size_t count = 0;  // lines taken
};

// The arrays and the scan format; false after a message.
bool MakeColumns(const Pass& p, Columns& c) {
  c.accepted = static_cast<size_t>(Cnv.Asc_Accepted);
  try {
    c.frq.resize(c.accepted);
    c.out.resize(static_cast<size_t>(p.n));
  } catch (const std::bad_alloc&) {
    core_io::Error("CnvA2BFile()/i_frq_dpt/o_itn_fpt - CORE ALLOCATION ERROR");
    return false;
  }
  try {
    for (int k = 0; k < 3; ++k)
      if (UsedColumn(k)) c.itn[k].resize(c.accepted);
  } catch (const std::bad_alloc&) {
    core_io::Error("CnvA2BFile()/i_itn_dpt - CORE ALLOCATION ERROR");
    return false;
  }
  for (int16_t field = 1; field <= 4; ++field) {
    const bool used = field == Cnv.Asc_XCol || field == Cnv.Asc_YCol[0] || field == Cnv.Asc_YCol[1] ||
                      field == Cnv.Asc_YCol[2];
    c.format.push_back(used ? Field::Read : Field::Skip);
    if (used) c.fieldOf.push_back(field);
  }
  c.required = static_cast<int32_t>(c.fieldOf.size() + (Cnv.Asc_XCol > 4) + (Cnv.Asc_YCol[0] > 4) +
                                    (Cnv.Asc_YCol[1] > 4) + (Cnv.Asc_YCol[2] > 4));
  return true;
}

// The question on a line whose fields do not scan: abort, go on, or go on without asking.
int AskOnScanError(int32_t line, const std::string& piece, int32_t got, const Columns& c) {
  std::string fmtText;
  for (const Field f : c.format) fmtText += f == Field::Read ? "%lf%*c" : "%*s%*c";
  const std::string q = StrPrintf(
      "SCAN FIELD ERROR ON LINE [%ld]\nSTRING=\n%s\n\nABORT CONVERSION [YES] | CONTINUE TO NEXT [NO] | CONTINUE WITH NO "
      "PROMPT [CANCEL]?\n\nSCAN CNT [%ld] & REQUIRED FIELDS [%ld] ARE DIFFERENT\nCONVERSION STRING=[%s]",
      static_cast<long>(line), piece.c_str(), static_cast<long>(got), static_cast<long>(c.required), fmtText.c_str());
  return core_io::AskYesNoCancel(q);
}

// Reads the accepted lines into the columns, rejecting by step as the scan did; false
// when the user aborts, or a kept line holds a value that is not a number or a
// frequency that does not rise (after a box).
bool ReadAcceptedLines(core_io::LineIn& in, const Pass& p, Columns& c) {
  in.Rewind();
  std::string piece;
  int32_t line = 0;
  bool noPrompt = false, hasPrevious = false;
  double previous = 0.0;
  while (line < Cnv.Asc_First - 1 && in.Next(piece)) ++line;
  while (c.count < c.accepted && line < Cnv.Asc_Last) {
    if (!in.Next(piece)) {
      const std::string q = StrPrintf(
          "PREMATURE EOF ON LINE [%ld]\n\nLINES READ=[%ld] & TARGET LINES=[%ld] ARE DIFFERENT\n\n%s\n\nABORT CONVERSION [YES] | "
          "CONTINUE [NO] ?",
          static_cast<long>(line), static_cast<long>(c.count), static_cast<long>(c.accepted), Cnv.Ascii_Flnm);
      if (core_io::AskYesNo(q)) return false;
      break;
    }
    ++line;
    double v[4] = {};
    const int32_t got = ScanFields(piece, Cnv.Asc_ChrSkip, c.format, v);
    if (got == 0) continue;  // no field at all: unreadable, dropped
    if (got != c.required) {
      if (noPrompt) continue;
      const int answer = AskOnScanError(line, piece, got, c);
      if (answer == IDYES) return false;
      if (answer == IDCANCEL) noPrompt = true;
      continue;
    }
    double x = 0.0;
    if (p.hasX) {
      for (size_t i = 0; i < c.fieldOf.size(); ++i)
        if (c.fieldOf[i] == Cnv.Asc_XCol) x = std::fabs(v[i] * Cnv.Asc_FrqScl - p.first);
    } else {
      x = static_cast<double>(line - Cnv.Asc_First) * p.inStep;
    }
    const Step s = Judge(hasPrevious, x, previous);
    hasPrevious = true;
    previous = x;
    if (s != Step::Keep) continue;
    // A frequency or an intensity that is not a number ("nan", "inf") has no place on
    // the grid, and the spline would spread it over every output point. The intensity
    // is tested as read: its transform may hide it (1 / inf is 0).
    bool finite = std::isfinite(x);
    for (size_t i = 0; i < c.fieldOf.size(); ++i) finite = finite && std::isfinite(v[i]);
    if (!finite) {
      core_io::Warning(StrPrintf("ASCII (TXT) INPUT [%s]\n\nVALUE ON LINE [%ld] IS NOT A FINITE NUMBER\n\nABORTING",
                                 Cnv.Ascii_Flnm, static_cast<long>(line)));
      return false;
    }
    // The spline takes the kept frequencies rising; a line kept after a dropped one
    // may lie below the line kept before it, and is refused before anything is written.
    if (Cnv.Asc_Stick == 0 && c.count > 0 && !(x > c.frq[c.count - 1])) {
      core_io::Warning(StrPrintf("ASCII (TXT) INPUT [%s]\n\nFREQUENCY OF LINE [%ld] DOES NOT RISE ABOVE THE LINES KEPT "
                                 "BEFORE IT\n\nABORTING",
                                 Cnv.Ascii_Flnm, static_cast<long>(line)));
      return false;
    }
    c.frq[c.count] = x;
    for (int k = 0; k < 3; ++k)
      for (size_t i = 0; i < c.fieldOf.size(); ++i)
        if (UsedColumn(k) && c.fieldOf[i] == Cnv.Asc_YCol[k]) c.itn[k][c.count] = v[i];
    ++c.count;
  }
  return true;
}

// Where the input lands on the output grid: the first point, the points filled and the
// offset of the first point from the first line.
struct Placement {
  int64_t insert = 0;
  int64_t fill = 0;
  double startOfs = 0.0;
};

// The last grid point not beyond the first frequency, narrowed to the marked region for
// a substitution; false after a message.
bool PlaceOnGrid(const Pass& p, Placement* at) {
  const double from = p.first + p.ofs;
  const double magnitude = std::max({std::fabs(from), std::fabs(p.lo), std::fabs(p.hi)});
  double insertD = FrqWholeSteps((from - p.lo) * p.dir, p.res, magnitude);
  insertD = std::clamp(insertD, 0.0, static_cast<double>(p.n - 1));
  auto insert = static_cast<int64_t>(insertD);
  auto fill = static_cast<int64_t>(std::min(std::trunc(std::fabs((p.last - p.first) / p.res) + 1.5), static_cast<double>(p.n)));
  // The insert point lies up to one step before the first frequency: the outputs
  // start there, relative to the first line.
  double startOfs = (p.lo + static_cast<double>(insert) * p.res * p.dir - from) * p.dir;
  if (Cnv.Asc_Subst != 0) {
    const int64_t rlo = Win.Pt_Lim[0][0], rhi = Win.Pt_Lim[0][1];
    if (rhi <= rlo) {
      core_io::Warning("MARK VALID REGION TO MAKE SUBSTITUTION\n\nABORTING");
      return false;
    }
    const int64_t a = std::max(insert, rlo), b = std::min({insert + fill, rhi, p.n});
    startOfs += static_cast<double>(a - insert) * p.res;
    insert = a;
    fill = std::max<int64_t>(b - a, 0);
  }
  fill = std::min(fill, p.n - insert);
  *at = Placement{insert, fill, startOfs};
  return true;
}

// Writes output k: the merged data it keeps, then the column mapped onto its points.
// False after a message or when the user aborts.
bool WriteColumn(int k, const Pass& p, Columns& c, const std::vector<float>& existing, const Placement& at,
                 int16_t interactive) {
  const char* name = Cnv.Asc_OutFlnm[k];
  std::vector<float>& out = c.out;
  std::fill(out.begin(), out.end(), 0.0f);
  if (Cnv.Asc_Add[k] != 0) {
    const double d = (Dsp.Init_Frq - p.lo) * p.dir;
    const int64_t place = d > 0.0 ? static_cast<int64_t>(d / p.res + 0.5) : 0;
    const auto m = static_cast<int64_t>(existing.size());
    int64_t keep = std::min(m, std::max<int64_t>(p.n - place, 0));
    if (keep < m) {
      core_io::StatusText(0, StrPrintf("[%ld] FILE SZ=[%ld] INSERT PT=[%ld]", static_cast<long>(k + 1), static_cast<long>(m),
                                 static_cast<long>(place)));
      const std::string q = StrPrintf("EXISTING DATA IN [%ld] FILE [%s] TRUNCATED BY [%ld] POINTS\n\nCONTINUE [YES] | ABORT CONVERSION [NO]?",
                                static_cast<long>(k + 1), name, static_cast<long>(m - keep));
      if (!core_io::AskYesNo(q)) return false;
    }
    if (keep > 0) std::copy_n(existing.begin(), keep, out.begin() + place);
  } else {
    Cnv.Asc_Max[k] = -1e20f;
    Cnv.Asc_Min[k] = 1e20f;
  }
  std::vector<double>& y = c.itn[k];
  const bool transform = !(Cnv.Asc_ItnScl == 0.0 && Cnv.Asc_ItnOfs == 0.0 && Cnv.Asc_InvY == 0);
  if (transform) {
    for (size_t i = 0; i < c.count; ++i) {
      if (Cnv.Asc_InvY != 0) y[i] = y[i] == 0.0 ? 0.0 : (1.0 / y[i]) * Cnv.Asc_ItnScl - Cnv.Asc_ItnOfs;
      else y[i] = y[i] * Cnv.Asc_ItnScl - Cnv.Asc_ItnOfs;
    }
  }
  if (c.count < 2 || LinItn(static_cast<int16_t>(k), y.data(), c.frq.data(), static_cast<int32_t>(c.count),
                            out.data() + at.insert, static_cast<int32_t>(at.fill), p.res, at.startOfs) == 0) {
    core_io::Warning(StrPrintf("CUBIC SPLINE ERROR ON CHN=[%ld]\n\nABORTING", static_cast<long>(k + 1)));
    return false;
  }
  if (!WriteFloats(name, out)) {
    core_io::Warning(StrPrintf("FAILED TO CREATE BINARY [%ld] FILE [%s] FOR WRITING\n\nABORTING", static_cast<long>(k + 1), name));
    return false;
  }
  Cnv.Asc_OutSz[k] = static_cast<uint32_t>(p.n);
  if (interactive != 0) ShowOnChannel(k);
  return true;
}

// The conversion of a pass: merge targets read first, the lines read, every used
// column written; an interactive one puts the display axis on the output grid.
int32_t ConvertColumns(core_io::LineIn& in, const Pass& p, int16_t interactive) {
  std::vector<float> existing[3];
  bool merged[3] = {};
  if (!ReadMergeTargets(p.res, existing, merged) || !TakeTargets(merged)) return 0;
  Columns c;
  if (!MakeColumns(p, c) || !ReadAcceptedLines(in, p, c)) return 0;
  Placement at;
  if (!PlaceOnGrid(p, &at)) return 0;
  for (int k = 0; k < 3; ++k)
    if (UsedColumn(k) && !WriteColumn(k, p, c, existing[k], at, interactive)) return 0;
  if (interactive != 0) {
    Dsp.Init_Frq = p.lo;
    Dsp.FSR = static_cast<double>(Dsp.Pts_FSR) * p.res * p.dir;
    DspFrqStpSet(p.res * p.dir);
  }
  return 1;
}

// One probe or conversion pass. Returns 1 or 0, or -1 when the call is to be repeated
// from line 2 (header retry).
int32_t Convert(core_io::LineIn& in, int16_t mode, int16_t autodetect, int16_t interactive) {
  Pass p;
  SelectRange(in, autodetect, p);
  if (const Outcome o = InputRange(p, mode, autodetect)) return *o;
  WidenByMergeTarget(p);
  if (const Outcome o = OutputRange(p, mode)) return *o;
  OutputGrid(p);
  if (const Outcome o = RejectionScan(in, p, mode)) return *o;
  if (mode != 2) return 1;
  return ConvertColumns(in, p, interactive);
}

}  // namespace

int32_t CnvA2BFile(int16_t mode, int16_t autodetect, int16_t interactive) {
  core_io::LineIn in(ASCII_CNV_LINE_MAX);
  if (!in.Open(Cnv.Ascii_Flnm)) {
    Cnv.Asc_Valid = 0;
    return 0;
  }
  Cnv.Asc_Valid = 1;
  int32_t result = Convert(in, mode, autodetect, interactive);
  if (result == -1) {
    Cnv.Asc_First = 2;
    result = Convert(in, mode, autodetect, interactive);
    if (result == -1) result = 0;
  }
  return result;
}

void AsciiInputNameSet(const char* name) {
  if (!platform::SameFile(name, Cnv.Ascii_Flnm)) Cnv.Asc_ItnFactor = 1.0;
  StrCopy(Cnv.Ascii_Flnm, name);
}

int32_t LinItn(int16_t column, const double* itn, const double* frq, int32_t nIn, float* out, int32_t nOut, double step,
               double start) {
  if (nIn < 1 || nOut < 0 || column < 0 || column > 2) return 0;
  const double scale = Cnv.Asc_ItnFactor;
  const bool track = Cnv.Asc_Add[column] == 0;
  auto report = [&](int32_t j) {
    if (j % 1000 == 0) core_io::StatusText(1, StrPrintf("LINES PROCESSED ~ %ld", static_cast<long>(j)));
  };
  // The range the channel may be scaled to: of the values the display draws, so
  // without the missing ones.
  auto range = [&](float v) {
    if (!track || ViewValueMissing(v)) return;
    Cnv.Asc_Max[column] = std::max(Cnv.Asc_Max[column], v);
    Cnv.Asc_Min[column] = std::min(Cnv.Asc_Min[column], v);
  };
  if (Cnv.Asc_Stick != 0) {
    if (nOut < 1) return 1;
    const double base = start - step / 2.0;
    for (int32_t i = 0; i < nIn; ++i) {
      if (frq[i] < base) continue;
      double jd = std::floor((frq[i] - base) / step);
      if (!(jd < static_cast<double>(nOut))) jd = static_cast<double>(nOut - 1);
      out[static_cast<int64_t>(jd)] += static_cast<float>(itn[i] * scale);
    }
    for (int32_t j = 0; j < nOut; ++j) {
      report(j);
      range(out[j]);
    }
    return 1;
  }
  if (nIn < 2) return 0;
  std::vector<double> x, y, y2;
  try {
    x.assign(frq, frq + nIn);
    y.assign(itn, itn + nIn);
    y2.resize(static_cast<size_t>(nIn) + 1);
  } catch (const std::bad_alloc&) {
    core_io::Error("LinearizeItn()/f2i_dpt - CORE ALLOCATION ERROR");
    return 0;
  }
  x.insert(x.begin(), 0.0);  // addressed 1..nIn
  y.insert(y.begin(), 0.0);
  if (DSpline(x.data(), y.data(), nIn, SPLINE_NATURAL, SPLINE_NATURAL, y2.data(), 0) != 1) return 0;
  const bool gaps = Cnv.Asc_Gaps != 0;
  int32_t i = 0;  // the first input at or beyond the output frequency
  for (int32_t j = 0; j < nOut; ++j) {
    report(j);
    const double c = start + static_cast<double>(j) * step;
    bool zero = false;
    if (gaps) {
      while (i < nIn - 1 && frq[i] < c) ++i;
      // The first input has no predecessor: no gap before it.
      zero = i > 0 && frq[i] - frq[i - 1] > Cnv.Asc_MaxStp;
    }
    if (zero) {
      out[j] = 0.0f;
    } else {
      double v = 0.0;
      if (DSplint(x.data(), y.data(), y2.data(), nIn, c, &v) != 1) {
        if (core_io::AskYesNo("LinItn()/DSplint()\n\nCUBIC SPINE FUNCTION FAILED\n\nABORT [YES] | CONTINUE [NO]?")) return 0;
        continue;
      }
      out[j] = static_cast<float>(v * scale);
    }
    range(out[j]);
  }
  return 1;
}
