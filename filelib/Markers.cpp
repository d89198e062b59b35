#include "filelib/Markers.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "numerics/Spline.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "records/Cnl.h"
#include "records/Debug.h"
#include "records/Dsp.h"
#include "records/Win.h"

using core_io::AskYesNo;
using core_io::Error;
using core_io::Info;
using core_io::StatusText;
using core_io::Warning;

namespace {

constexpr int16_t kTopicMarkers = 133;
constexpr size_t kMarkerLine = 254;  // longest marker line read in one piece
constexpr int32_t kMaxFields = 24;   // "%*lf" x 23 + "%ld" fills the 100-character format

bool Traced() { return Debug.DebugLevel.load() == kTopicMarkers; }

bool ScanPosition(const std::string& line, int32_t* position) {
  return core_io::ScanFormatLong(line.c_str(), Cnl.Mks_ScanFmt, position);
}

// The marker position file holds one integer position per line: its reader takes the
// first field, whatever scan format the last edited marker file left behind.
bool ScanFirstPosition(const std::string& line, int32_t* position) {
  const char* p = line.c_str();
  return core_io::ScanLong(p, position);
}

std::vector<std::string> SplitFields(const std::string& line, size_t most) {
  std::vector<std::string> fields;
  size_t i = 0;
  while (fields.size() < most) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    size_t end = i;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
    fields.push_back(line.substr(i, end - i));
    i = end;
  }
  return fields;
}

struct FloatWork {
  float* p = nullptr;
  ~FloatWork() { FFree1Dim(&p); }
};

}  // namespace

// ---- ManMarkerChkFormat ------------------------------------------------------------------

int32_t ManMarkerChkFormat(const char* name, int32_t fields) {
  if (!name) name = "";
  if (fields < 1 || fields > kMaxFields) {
    Warning(StrPrintf("FILE [%s] HAS WRONG FORMAT\n\nFILE FIELDS=[%d] NOT VALID\n\nABORTING", name, fields));
    return 0;
  }
  core_io::LineIn file(4096);
  std::string first;
  std::vector<std::string> found;
  if (file.Open(name) && file.Next(first)) found = SplitFields(first, 9);
  if (found.empty()) {
    StatusText(3, StrPrintf("NEW FILE [%s]", name));
  } else {
    size_t integerField = 0;  // 1-based, 0 = none
    for (size_t i = 0; i < found.size() && integerField == 0; ++i)
      if (found[i].find('.') == std::string::npos) integerField = i + 1;
    if (integerField == 0) {
      Warning(StrPrintf("FILE [%s] HAS WRONG FORMAT\n\nENTRIES=[%d] CONTAIN NO INTEGER FIELD\n\nDELETE OR RENAME FILE",
                        name, static_cast<int>(found.size())));
      return 0;
    }
    if (static_cast<int32_t>(integerField) != fields) {
      Warning(StrPrintf("FILE [%s] HAS WRONG FORMAT\n\nFILE FIELDS=[%d] != [%d]\n\nDELETE | RENAME FILE", name,
                        static_cast<int>(integerField), fields));
      return 0;
    }
  }
  Cnl.Mks_ScanFmt[0] = '\0';
  for (int32_t i = 1; i < fields; ++i) StrAppend(Cnl.Mks_ScanFmt, "%*lf");
  StrAppend(Cnl.Mks_ScanFmt, "%ld");
  if (Traced()) DebugPrintf("ManMarkerChkFormat CSTR [%s]\n", Cnl.Mks_ScanFmt);
  return 1;
}

// ---- ManMarkerAddDelete ------------------------------------------------------------------

int32_t ManMarkerAddDelete(const char* name, const char* line, int32_t fields) {
  if (!name) name = "";
  if (ManMarkerChkFormat(name, fields) != 1) return 0;

  // The existing marker lines; lines that give no position are left out.
  std::vector<std::string> lines;
  std::vector<int32_t> found;
  {
    core_io::LineIn file(kMarkerLine);
    std::string piece;
    const bool opened = file.Open(name);
    // An existing file that cannot be read must not be replaced by the new line alone.
    if (!opened && platform::FileExists(name)) {
      Warning(StrPrintf("READ ERROR IN FILE [%s]\n\nABORTING", name));
      return 0;
    }
    if (opened) {
      while (file.Next(piece)) {
        int32_t position = 0;
        if (!ScanPosition(piece, &position)) continue;
        lines.push_back(platform::ToUtf8(piece));
        found.push_back(position);
      }
    }
  }
  const int32_t n = static_cast<int32_t>(lines.size());
  int32_t* positions = nullptr;
  if (QvAllocFailed(LAlloc1Dim(&positions, static_cast<uint32_t>(n) + 1))) {
    Error("ManMarkerAddDelete()/pk_lpt | tstr_tptpt - CORE ALLOCATION ERROR");
    return 0;
  }
  for (int32_t i = 0; i < n; ++i) positions[i] = found[static_cast<size_t>(i)];

  // The new line, without its line end, in slot n.
  std::string added = line ? line : "";
  while (!added.empty() && (added.back() == '\n' || added.back() == '\r')) added.pop_back();
  int32_t p = 0;
  if (!ScanPosition(added, &p)) {
    LFree1Dim(&positions);
    Warning(StrPrintf("MARKER LINE [%s] HOLDS NO POSITION\n\nABORTING", added.c_str()));
    return 0;
  }
  positions[n] = p;
  const bool traced = Traced();
  if (traced) DebugPrintf("BEG FL_SZ=%d CUR POS=%d CSTR=%s STR_PT=%s\n", n, p, Cnl.Mks_ScanFmt, added.c_str());

  if (traced)
    for (int32_t i = 0; i < n; ++i)
      DebugPrintf("READ CNT=%d PK_PT=%d STR=%s\n", i, positions[i], lines[static_cast<size_t>(i)].c_str());

  int32_t place = n;   // where the new line goes
  bool remove = false; // the marker at `place` is deleted instead
  for (int32_t i = 0; i < n; ++i) {
    if (positions[i] == p) {
      place = i;
      remove = true;
      break;
    }
    if (positions[i] > p) {
      place = i;
      break;
    }
  }
  if (traced) DebugPrintf("SUB CNT=%d PK_PT=%d STR=%s\n", place, p, added.c_str());
  LFree1Dim(&positions);

  platform::TextFileWriter writer;
  bool ok = writer.Open(name);
  for (int32_t i = 0; ok && i <= n; ++i) {
    if (i == place && !remove) writer.Write(added + "\n");
    if (i < n && !(remove && i == place)) writer.Write(lines[static_cast<size_t>(i)] + "\n");
  }
  ok = ok && writer.Commit();
  if (traced) DebugLogWrite("END\n");
  if (!ok) {
    Warning(StrPrintf("FAILED TO CREATE FILE [%s]\n\nABORTING", name));
    return 0;
  }
  // The main window shows the channel markers while the low cursor entry is 1.
  Win.Pt_Lim[0][0] = 1;
  return 1;
}

// ---- CsMkOpenRead ------------------------------------------------------------------------

int32_t CsMkOpenRead(int32_t report) {
  Cnl.Mks_Cnt = 0;
  Cnl.Mks_AveDif = 0;
  Cnl.Mks_MaxDif = 0;
  Cnl.Mks_RmsLin = 0.0;
  core_io::LineIn file(kMarkerLine);
  if (!file.Open(Cnl.Mks_Flnm)) {
    if (report == 1)
      Warning(StrPrintf("CsMkOpenRead()\n\nFAILED TO OPEN MARKER POSITION FILE [%s] FOR READING\n\nABORTING",
                        Cnl.Mks_Flnm));
    return 0;
  }
  // Pass 1: count the markers; a 0 before the first counted marker is not one.
  uint32_t count = 0;
  std::string piece;
  while (file.Next(piece)) {
    int32_t position = 0;
    if (!ScanFirstPosition(piece, &position)) continue;
    if (position == 0 && count == 0) continue;
    if (count == UINT32_MAX - 1) break;
    ++count;
  }
  if (QvAllocFailed(LReAlloc1Dim(&Cnl.Mks_Pos, count + 1)) || QvAllocFailed(LReAlloc1Dim(&Cnl.Mks_Dif, count + 1))) {
    LFree1Dim(&Cnl.Mks_Pos);
    LFree1Dim(&Cnl.Mks_Dif);
    Error("CsMkOpenRead()/Cnl.Mks_Pos/Cnl.Mks_Dif - CORE ALLOCATION ERROR");
    return 0;
  }
  int32_t* P = Cnl.Mks_Pos;
  int32_t* D = Cnl.Mks_Dif;
  P[0] = 0;
  D[0] = 0;

  // Pass 2: positions, differences and the statistics.
  file.Rewind();
  const bool toCursor = Cnl.Mks_CursorStat != 0;
  const int64_t begin = Win.Pt_Lim[0][0];
  const int64_t end = Win.Pt_Lim[0][1];
  int64_t bestBegin = 0, bestEnd = 0;
  int32_t nearBegin = 0, nearEnd = 0;
  uint32_t j = 0;
  int64_t sum = 0;
  int32_t largest = 0;
  double rmsSum = 0.0;
  while (j < count && file.Next(piece)) {
    int32_t position = 0;
    if (!ScanFirstPosition(piece, &position)) continue;
    if (position == 0 && j == 0) continue;
    ++j;
    P[j] = position;
    D[j] = static_cast<int32_t>(static_cast<int64_t>(P[j]) - P[j - 1]);
    if (D[j] > largest) largest = D[j];
    sum += D[j];
    if (j > 3) {
      const double pair = static_cast<double>(D[j]) + D[j - 2];
      const double linearity = pair != 0.0 ? (2.0 * D[j - 1] / pair - 1.0) * 100.0 : 0.0;
      rmsSum += linearity * linearity;
    }
    if (toCursor) {
      const int64_t toBegin = std::llabs(static_cast<int64_t>(position) - begin);
      const int64_t toEnd = std::llabs(static_cast<int64_t>(position) - end);
      if (nearBegin == 0 || toBegin < bestBegin) {
        nearBegin = static_cast<int32_t>(j);
        bestBegin = toBegin;
      }
      if (nearEnd == 0 || toEnd < bestEnd) {
        nearEnd = static_cast<int32_t>(j);
        bestEnd = toEnd;
      }
    }
  }
  count = j;  // the file may have changed between the passes
  Cnl.Mks_Cnt = count;
  Cnl.Mks_MaxDif = largest;
  Cnl.Mks_AveDif = count > 0 ? static_cast<int32_t>(static_cast<double>(sum) / count + 0.5) : 0;
  Cnl.Mks_RmsLin = count > 3 ? std::sqrt(rmsSum / (count - 3)) : 0.0;
  if (toCursor) {
    Cnl.Mks_Beg = nearBegin;
    Cnl.Mks_End = nearEnd;
  } else if (Cnl.Mks_End == 0) {
    Cnl.Mks_Beg = 0;
    Cnl.Mks_End = static_cast<int32_t>(count);
  }
  // Indices kept from an earlier, longer file must still name markers of this one.
  if (Cnl.Mks_End > static_cast<int32_t>(count) || Cnl.Mks_End < 0) Cnl.Mks_End = static_cast<int32_t>(count);
  if (Cnl.Mks_Beg > Cnl.Mks_End || Cnl.Mks_Beg < 0) Cnl.Mks_Beg = 0;

  // A file without a marker (empty, comments only, or a lone 0) gives no positions
  // to work with: the callers say so in their own words.
  if (count == 0) return 0;
  if (report == 1)
    Info(StrPrintf("MARKER SPACING STATISTICS\n\nNUMBER OF MARKERS=[%u]\nAVE DIFF=[%d]\nRMS LINEARITY=[%f]", count,
                   Cnl.Mks_AveDif, Cnl.Mks_RmsLin));
  return 1;
}

// ---- CsF2ISetup --------------------------------------------------------------------------

int32_t CsF2ISetup() {
  if (!Cnl.Mks_Pos || !Cnl.Mks_Dif || Cnl.Mks_MaxDif == 0 || Cnl.Mks_Cnt == 0) {
    if (CsMkOpenRead(1) != 1 || !Cnl.Mks_Pos || Cnl.Mks_MaxDif <= 0 || Cnl.Mks_Cnt == 0) {
      Warning(StrPrintf("MARKER POSITIONS NOT DEFINED | MARKER DIFFERENCE ZERO\n\nCHECK MARKER POSITION FILE "
                        "[%s]\n\nABORTING",
                        Cnl.Mks_Flnm));
      return 0;
    }
  }
  const char* inName = Cnl.Lin_InFlnm;
  const char* outName = Cnl.Lin_OutFlnm;
  // The same file under two spellings is the same file.
  if (platform::SameFile(inName, outName)) {
    Warning("INPUT & OUTPUT FILENAMES ARE IDENTICAL\n\nABORTING");
    return 0;
  }
  core_io::BinIn in;
  if (!in.Open(inName)) {
    Warning(StrPrintf("FAILED TO OPEN BINARY INPUT FILE [%s] FOR READING", inName));
    return 0;
  }
  core_io::BinOut out;
  const std::string outFail = StrPrintf("FAILED TO OPEN BINARY OUTPUT FILE [%s] FOR WRITING", outName);
  if (!out.Open(outName)) {
    Warning(outFail);
    return 0;
  }

  // Work arrays (1-based for the splines): frequencies, values, second derivatives,
  // raw samples; and one output interval of P points.
  const int32_t maxDif = Cnl.Mks_MaxDif;
  const int32_t points = Dsp.Pts_FSR;
  FloatWork freq, values, second, raw, output;
  const uint32_t work = static_cast<uint32_t>(maxDif) + 1;
  if (points <= 0 || QvAllocFailed(FAlloc1Dim(&freq.p, work)) || QvAllocFailed(FAlloc1Dim(&values.p, work)) ||
      QvAllocFailed(FAlloc1Dim(&second.p, work)) || QvAllocFailed(FAlloc1Dim(&raw.p, work)) ||
      QvAllocFailed(FAlloc1Dim(&output.p, static_cast<uint32_t>(points)))) {
    Error("CsF2ISetup()/Mk_MaxDif/Cs_avfrq/Cs_avf2i/Raw_ary/fl_pt - CORE ALLOCATION ERROR");
    return 0;
  }

  const double fsr = std::fabs(Dsp.FSR);
  const double step = Dsp.Frq_Stp != 0.0 ? std::fabs(Dsp.Frq_Stp) : fsr / points;
  const int32_t count = static_cast<int32_t>(Cnl.Mks_Cnt);
  int32_t first = Cnl.Mks_Beg < 0 ? 0 : Cnl.Mks_Beg;
  int32_t last = Cnl.Mks_End > count ? count : Cnl.Mks_End;
  if (first > count) first = count;
  in.Seek(static_cast<uint64_t>(Cnl.Mks_Pos[first] < 0 ? 0 : Cnl.Mks_Pos[first]) * sizeof(float));

  for (int32_t j = first + 1; j <= last; ++j) {
    const int32_t dif = Cnl.Mks_Dif[j];
    if (dif < 2 || dif > maxDif) {
      Warning(StrPrintf("CUBIC SPLINE SETUP\n\nMARKER DIFFERENCE=[%d] AT MARKER [%d] NOT VALID\n\nABORTING", dif, j));
      return 0;
    }
    const size_t got = in.Read(raw.p, static_cast<size_t>(dif), sizeof(float));
    if (got < static_cast<size_t>(dif)) {
      Warning(StrPrintf("CUBIC SPLINE SETUP\n\nMARKER DIFFERENCE=[%d] > INPUT FILE SIZE DIFFERENCE=[%d]\n\n"
                        "CONTINUING",
                        dif, static_cast<int>(got)));
      Cnl.Mks_End = j;
      break;
    }
    for (int32_t i = 0; i < dif; ++i) {
      freq.p[i + 1] = static_cast<float>(i * fsr / dif);
      values.p[i + 1] = raw.p[i];
    }
    // The knots spread over the FSR must rise: an FSR of 0 gives them no order.
    if (spline::FirstNotRising(freq.p, dif) != 0) {
      Warning(StrPrintf("CUBIC SPLINE SETUP\n\nFSR=[%f] OVER [%d] POINTS GIVES NO RISING FREQUENCIES\n\nABORTING", Dsp.FSR,
                        dif));
      return 0;
    }
    if (FSpline(freq.p, values.p, dif, static_cast<float>(SPLINE_NATURAL), static_cast<float>(SPLINE_NATURAL),
                second.p) != 1)
      return 0;
    int32_t next = 0;  // first raw sample at or beyond the output frequency
    for (int32_t k = 0; k < points; ++k) {
      const float f = static_cast<float>(k * step);
      while (next < dif && freq.p[next + 1] < f) ++next;
      if (next < dif && raw.p[next] == 0.0f) {
        output.p[k] = 0.0f;  // gaps stay gaps
        continue;
      }
      float y = 0.0f;
      if (FSplint(freq.p, values.p, second.p, dif, f, &y) != 1) {
        if (AskYesNo("FSplint()/BAD INPUT - ABORT?")) return 0;
        continue;
      }
      output.p[k] = y;
    }
    if (!out.Write(output.p, static_cast<size_t>(points) * sizeof(float))) break;
  }
  if (in.Failed() || !out.Commit()) {
    Warning(outFail);
    return 0;
  }
  return 1;
}
