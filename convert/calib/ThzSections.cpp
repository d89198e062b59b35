#include "convert/calib/ThzSections.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "convert/calib/AomCalib.h"
#include "convert/calib/CalibCommon.h"
#include "convert/calib/JumpPoints.h"
#include "convert/calib/ThzLinearize.h"
#include "core/BinFile.h"
#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "filelib/FileManip.h"
#include "filelib/Markers.h"
#include "fileproc/FileOps.h"
#include "fit/LineFit.h"
#include "numerics/Spline.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "platform/windows/MessageBox.h"
#include "records/AomSettings.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/ThzSettings.h"

namespace {

using calib::Post;
using calib::Work;
using core_io::Error;
using core_io::Warning;

ThzSettingsRecord& T = ThzSettings;

constexpr double kMhzPerWavenumber = 29979.2458;
constexpr double kWavenumberPerMhz = 3.3356409519815205e-05;
// Output names a substitution may fill: channels 0..8 of the set.
constexpr uint32_t kSubstituted = 9;

bool Debug119() { return calib::DebugOn(DEBUG_TOPIC_THZ); }

int32_t Fail(int32_t status) {
  T.Status = status;
  return 0;
}

const char* InName(int16_t set) { return Cnv.Out_Flnm[set][T.InChn]; }
char* OutName(int16_t set) { return Cnv.Out_Flnm[set][T.OutChn]; }

bool EndsWith(const char* s, const char* tail) {
  const size_t n = std::strlen(s), m = std::strlen(tail);
  return n >= m && std::strcmp(s + n - m, tail) == 0;
}

void FreeMarkers() {
  LFree1Dim(&Cnl.Mks_Pos);
  LFree1Dim(&Cnl.Mks_Dif);
}

// ---- phase III ----------------------------------------------------------------------------

// The wavemeter of the log, from the decimals of its first reading: more than two is
// the High Finesse meter. False after the warning when the log cannot be read.
bool WavemeterTest() {
  if (EndsWith(T.WaveFlnm, "F.dat")) {
    const size_t n = std::strlen(T.WaveFlnm);
    T.WaveFlnm[n - 5] = '\0';
    StrAppend(T.WaveFlnm, ".dat");
    Warning(StrPrintf("PHASE [III]\n\nCHANGED ASCII WAVEMETER FILE NAME TO [%s]\n\nFILE [%s] IS NOT LONGER USED\n\n"
                      "CONTINUING",
                      T.WaveFlnm, "WaveFreq?F.dat"));
  }
  double* r = nullptr;
  uint32_t lines = 0;
  const int32_t read = ManAsciiFileRead(T.WaveFlnm, 1, nullptr, nullptr, &r, &lines, 0);
  const double first = r && lines > 0 ? std::fabs(r[0]) : 0.0;
  DFree1Dim(&r);
  if (read != 1 || lines == 0) {
    Warning(StrPrintf("PHASE [III]\n\nFAILED TO OPEN|READ ASCII FILE [%s] FOR READING", T.WaveFlnm));
    T.Status = 2;
    return false;
  }
  const int64_t q = static_cast<int64_t>((first * 100.0 - std::trunc(first * 100.0 + 0.5)) * 10000.0);
  T.WaveKind = q != 0 ? 1 : 0;
  const char* kind = T.WaveKind == 1 ? "HIGH FINESSE" : "BURLEIGH";
  if (T.LockStat == 0 && T.WaveKind == 1) {
    const int32_t answer = calib::AskYesNoCancel(StrPrintf(
        "PHASE [III]\n\nWAVEMETER DETERMINED=[%s]\n\nONE-2-ONE ACQ [YES] | ASYCHRONOUS ACQ [NO] | ABORT [CANCEL]?",
        kind));
    if (answer != IDYES && answer != IDNO) {
      T.Status = 2;
      return false;
    }
    T.PerPointLog = answer == IDYES ? 0 : 1;
    Cnv.FFT_SmoothWin = std::fabs(Cnv.FFT_SmoothWin);
  }
  Post(StrPrintf("   WAVEMETER   =[%s]\n", kind));
  if (Debug119()) DebugPrintf("WAVEMETER=[%s] FLNM=[%s] PREC TEST=[%ld]\n", kind, T.WaveFlnm, static_cast<long>(q));
  return true;
}

// Repairs the log section by section at jumps of OutFrqStp x FsrScalar; the later
// phases read the corrected log, named by the log's name with "F". False, before
// anything is written, when that name does not fit.
bool RepairLog(int16_t set, const std::vector<uint32_t>& entries) {
  const double d = T.OutFrqStp * T.FsrScalar;
  if (T.PerPointLog != 0 &&
      calib::AskYesNoId(StrPrintf("PHASE [III]\n\nFIX WAVEMETER FILE WITH JUMP DIFF=[%lf]: [YES] | [NO] ?", d)) !=
          IDYES)
    return true;
  char corrected[sizeof T.WaveFlnm];
  if (!core_io::NameWithSuffix(corrected, T.WaveFlnm, "F")) return false;
  Post(StrPrintf("   WAVEMETER JUMP DIFF   =[%lf]    OUTPUT RES   =[%lf]\n", d, T.OutFrqStp));
  Cnl.StpDif = d;
  T.RangeCheck = 0;
  for (uint32_t k = 0; k + 1 < T.SetCount; ++k) {
    T.SetIdx = k;
    T.SectLo = entries[k];
    T.SectHi = entries[k + 1];
    if (JumpPointFind(set, 6) == 0) break;
  }
  StrCopy(T.WaveFlnm, corrected);
  return true;
}

// The section output: the set's output name with the section number. False after
// the warning when it does not fit.
bool SectionName(int16_t set, uint32_t section, char (&out)[sizeof Cnv.Out_Flnm[0][0]]) {
  return core_io::NameWithSuffix(out, OutName(set), StrPrintf("l%03u", section));
}

}  // namespace

int32_t ThzPhase3(int16_t set, int32_t interactive) {
  T.Status = 6;
  if (T.WavePlace == 1 && !WavemeterTest()) return 0;

  std::vector<uint32_t> entries;
  {
    int32_t* la = nullptr;
    uint32_t n = 0;
    const int32_t read = ManAsciiFileRead(T.RepeatFlnm, 1, &la, nullptr, nullptr, &n, 1);
    if (read == 1 && la)
      for (uint32_t i = 0; i < n; ++i) entries.push_back(la[i] < 0 ? 0u : static_cast<uint32_t>(la[i]));
    LFree1Dim(&la);
    if (read != 1 || entries.empty()) {
      Warning(StrPrintf("PHASE [III]\n\nFILE POSITIONS IN [%s] OF REPEATED SECTIONS MUST BE DEFINED\n\nABORTING",
                        T.RepeatFlnm));
      return 0;
    }
  }
  T.SetCount = static_cast<uint32_t>(entries.size());
  std::string list = StrPrintf("   REPEAT SCAN SECTIONS   =[%u]:  ", T.SetCount - 1);
  for (uint32_t e : entries) list += StrPrintf("%u - ", e);
  Post(list + "\n");

  if (T.FsrScalar == 0.0) T.FsrScalar = 1.0;
  // Every name of the run is checked before anything is written: the widest section
  // output is the highest section's.
  char widest[sizeof Cnv.Out_Flnm[0][0]];
  if ((T.SetCount >= 2 && !SectionName(set, T.SetCount - 2, widest)) || !RepairLog(set, entries)) return Fail(2);

  T.RangeCheck = 0;
  char kept[sizeof(Cnv.Out_Flnm[0][0])];
  uint32_t k = 0;
  while (k + 1 < T.SetCount) {
    T.SetIdx = k;
    T.SectLo = entries[k];
    T.SectHi = entries[k + 1];
    StrFormat(T.FrqFlnm, "FRQ_%u_FRQ", k);
    const int64_t inputPoints = calib::FilePoints(InName(set));
    Post(StrPrintf("   [%u] IN FLNM=[%s] WAVEMETER FLNM=[%s]\n   [%u] SET RANGE   =[%8u-%8u]    INPUT SIZE   =[%8u]\n",
                   k, InName(set), T.WaveFlnm, k, T.SectLo, T.SectHi,
                   static_cast<uint32_t>(inputPoints < 0 ? 0 : inputPoints)));
    if (T.SectHi <= T.SectLo) {
      ++k;
      continue;
    }
    StrCopy(kept, OutName(set));
    bool dropped = false;
    if (THzLinearization(set, 4, interactive) == 0) {
      Post(StrPrintf("   PHASE IV ERROR:   SET   =[%3u-%3u]", k, k + 1));
      if (T.Status == 2) {
        StrCopy(OutName(set), sizeof(kept), kept);
        return 0;
      }
      // The failed section goes; the next one takes its number, so the section
      // outputs stay numbered without gaps.
      entries.erase(entries.begin() + k);
      --T.SetCount;
      dropped = true;
    }
    StrCopy(OutName(set), sizeof(kept), kept);
    if (!Debug119()) {
      DeleteFile(T.FrqFlnm);
      ++T.RangeCheck;
    }
    if (!dropped) ++k;
  }

  const uint32_t n = T.SetCount - 1;
  T.SetIdx = n == 0 ? 0 : n - 1;
  const std::string text = StrPrintf(
      "PHASE [III]\n\nREPEATED FILE SECTIONS PROCESSED [%u]\n\nSUBSTITUTE INTO OUTPUT FILENAMES: [YES] | [NO]?", n);
  const bool substitute = interactive == 0 || (interactive == 1 && calib::AskYesNoId(text) == IDYES);
  if (substitute) {
    Post(StrPrintf("   REPEATED FILE SECTIONS PROCESSED   =[%3u]", n));
    Sleep(1000);
    StrCopy(kept, OutName(set));
    for (uint32_t k = 0; k < n && k < kSubstituted; ++k)
      if (!core_io::NameWithSuffix(Cnv.Out_Flnm[set][k], kept, StrPrintf("l%03u", k))) break;
  }
  return 1;
}

ThzPlacement ThzWavemeterPlacement(double slope, double intercept, int32_t pointsPerFsr, double span, double fsr) {
  ThzPlacement p;
  const double per = static_cast<double>(pointsPerFsr);
  const double r = intercept / slope / per + 0.5;
  p.begin = static_cast<int64_t>(slope > 0.0 ? r + 0.5 : r - 0.5) * pointsPerFsr;
  if (p.begin < 0) p.begin = 0;
  p.total = static_cast<int64_t>(std::fabs(span / fsr) + 0.5) * pointsPerFsr;
  return p;
}

namespace {

// ---- phase IV -----------------------------------------------------------------------------

// The section's marker range: the markers inside [SectLo, SectHi] (Cnl.Mks_Beg and
// Cnl.Mks_End); returns their number of intervals, 0 for a section with no marker
// inside, whatever lies on either side of it.
uint32_t SectionMarkers() {
  int32_t first = -1, last = -1;
  for (uint32_t k = 1; k <= Cnl.Mks_Cnt; ++k) {
    const int64_t p = Cnl.Mks_Pos[k];
    if (p < static_cast<int64_t>(T.SectLo) || p > static_cast<int64_t>(T.SectHi)) continue;
    if (first < 0) first = static_cast<int32_t>(k);
    last = static_cast<int32_t>(k);
  }
  Cnl.Mks_Beg = first;
  Cnl.Mks_End = last;
  if (Debug119()) DebugPrintf("IV - INIT_MARK=%ld FINAL MARK=%ld\n", static_cast<long>(first), static_cast<long>(last));
  return first < 0 ? 0 : static_cast<uint32_t>(last - first);
}

// The marker way: the section resampled between its markers. 1 goes on to the
// placement, 0 with Status 2 is a failure, -1 ends the phase without placement.
int32_t MarkerWay(int16_t set) {
  if (CsMkOpenRead(1) == 0) {
    Warning("PHASE [IV]\n\nMARKER POSITIONS (KAVO) MUST BE DEFINED\n\nABORTING");
    T.Status = 2;
    FreeMarkers();
    return 0;
  }
  if (THzLinearization(set, 5, 0) == 0) {
    FreeMarkers();
    return 0;
  }
  // The section keeps its own bounds: with the wavemeter they were set from the
  // readings it covers before this, and without it they are the section's entries.
  StrCopy(Cnl.Lin_InFlnm, InName(set));
  StrCopy(Cnl.Lin_OutFlnm, OutName(set));
  const uint32_t intervals = SectionMarkers();
  // The resampling clamps its markers to the count of the whole marker file, which
  // Cnl.Mks_Cnt still holds; the placement then takes the section's count.
  const int32_t ok = intervals == 0 ? 1 : CsF2ISetup();
  FreeMarkers();
  Cnl.Mks_Cnt = intervals;
  if (intervals == 0) return -1;
  // A section that resampled nothing is no linearised section.
  if (ok == 0 || calib::FilePoints(OutName(set)) <= 0) {
    Warning("PHASE [IV]\n\nLINEARIZATION ROUTINE FAILED\n\nABORTING");
    return Fail(2);
  }
  return 1;
}

// B and T from the wavemeter line fit of the section's frequency file.
bool PlaceByWavemeter(int16_t set, int64_t len, ThzPlacement* place) {
  if (T.ActHi == T.ActLo) {
    Warning(StrPrintf("PHASE [IV]\n\nFRQ INTERVAL IS ZERO IN [%s]\n\nABORTING", OutName(set)));
    T.Status = 2;
    return false;
  }
  const bool up = T.BegFrq < T.EndFrq;
  const bool short_ = up ? (T.BegFrq > T.ActLo || T.EndFrq < T.ActHi)
                         : (T.BegFrq > T.EndFrq && (T.BegFrq < T.ActLo || T.EndFrq > T.ActHi));
  if (short_ && calib::AskYesNoId(StrPrintf("PHASE [IV]\n\nFRQ RANGE TOO SMALL FOR [%s]\n\nTARGET=[%lf] TO "
                                            "[%lf]\nACTUAL=[%lf] TO [%lf]\n\nCONTINUE [YES] | ABORT [NO]?",
                                            OutName(set), T.BegFrq, T.EndFrq, T.ActLo, T.ActHi)) != IDYES) {
    T.Status = 2;
    return false;
  }
  float* frq = nullptr;
  uint32_t n = 0;
  const int32_t read = ManBinFileRead(T.FrqFlnm, nullptr, &frq, nullptr, BIN_ELEM_FLOAT, 0, 0, &n, 0);
  Work<double> x, y;
  if (read != 1 || n == 0 || !x.Alloc(n) || !y.Alloc(n)) {
    FFree1Dim(&frq);
    Error("THzLinearization()/itn_dpt/frq_dpt - CORE ALLOCATION ERROR");
    T.Status = 2;
    return false;
  }
  for (uint32_t i = 0; i < n; ++i) {
    x[i] = i;
    y[i] = frq[i];
  }
  FFree1Dim(&frq);
  double slope = (T.ActHi - T.ActLo) / n;
  double intercept = y[n / 2] - slope * x[n / 2];
  if (LsfLineFit(static_cast<int32_t>(n), x.p, y.p, 1, 1, &slope, &intercept, nullptr, Cnl.RejLvl) == 0) {
    Warning("PHASE [IV]\n\nLSF ROUTINE FAILED FOR SLOPE DETERMINATION");
    T.Status = 2;
    return false;
  }
  *place = ThzWavemeterPlacement(slope, intercept, Dsp.Pts_FSR, std::fabs(T.EndFrq - T.BegFrq), T.FsrWork);
  if (place->begin >= place->total - len) {
    const double k = T.OutFrqStp / kMhzPerWavenumber;
    T.Status = calib::AskYesNoCancel(StrPrintf(
        "PHASE [IV]\n\nSET [%u] FILE SHIFT=[%lf] + SZ[%lf] >= OUTPUT SZ=[%lf]\n\nINTV FRQ DIFF [%lf] & OPSEQ MIN VALUE "
        "[%lf]\n\nTARGET=[%lf] TO [%lf]\nACTUAL=[%lf] TO [%lf]\n\nUSE ANYWAY [YES] | SKIP SECTION [NO] | ABORT "
        "[CANCEL]?",
        T.SetIdx, static_cast<double>(place->begin) * k, static_cast<double>(len) * k,
        static_cast<double>(place->total) * k, std::fabs(T.ActHi - T.ActLo), std::fabs(T.OpseqMin), T.BegFrq,
        T.EndFrq, T.ActLo, T.ActHi));
    if (T.Status != IDYES) return false;
  }
  return true;
}

// B and T from the marker span of the section.
bool PlaceByMarkers(int16_t set, ThzPlacement* place) {
  T.ActLo = T.BegFrq;
  T.ActHi = T.EndFrq;
  if (std::strcmp(Dsp.Units_Txt, "MHz") == 0) {
    T.ActLo *= kMhzPerWavenumber;
    T.ActHi *= kMhzPerWavenumber;
  }
  const double span = std::fabs(static_cast<double>(Cnl.Mks_Cnt) * Dsp.FSR);
  const double target = std::fabs(T.ActHi - T.ActLo);
  if (!(span < target)) {
    T.Status = 2;
    Warning(StrPrintf("PHASE [IV]\n\nFRQ RANGE TOO SMALL FOR [%s] - TARGET DIFF=[%lf]\nACTUAL DIFF[%u]=[%lf]\n\n"
                      "ABORTING",
                      OutName(set), target, Cnl.Mks_Cnt, span));
    return false;
  }
  place->begin = static_cast<int64_t>(((target - span) / T.FsrWork + 0.5) * 0.5) * Dsp.Pts_FSR;
  place->total = static_cast<int64_t>(std::fabs(target / T.FsrWork) + 0.5) * Dsp.Pts_FSR;
  return true;
}

// Runs one section edit on the section output in place: count points at the start
// (variant 1) or the end (variant 2). The count goes into the set's own parameter
// slot, which is the slot the edit runs with.
void SectionEdit(int16_t set, int32_t id, int64_t count, int16_t variant) {
  if (count <= 0) return;
  Cnv.Pts_Ave[set] = static_cast<int32_t>(count);
  char in[OSI_NAME_SIZE], out[OSI_NAME_SIZE];
  StrCopy(in, OutName(set));
  StrCopy(out, OutName(set));
  OSIFile(set, T.OutChn, id, in, out, variant, 1, 0);
}

int32_t Place(int16_t set) {
  const int64_t len = calib::FilePoints(OutName(set));
  if (len < 0) {
    Warning(StrPrintf("PHASE [IV]\n\nINPUT FILE [%s] NOT FOUND\n\nABORTING", OutName(set)));
    return Fail(2);
  }
  ThzPlacement place;
  if (T.WavePlace == 1 ? !PlaceByWavemeter(set, len, &place) : !PlaceByMarkers(set, &place)) return 0;
  const int64_t b = place.begin;
  const int64_t e = place.total - (b + len);
  if (Debug119()) {
    const std::string text =
        e >= 0 ? StrPrintf("PHASE [IV]\n\nADDING/ADDING [%ld]/[%ld] TO BEG/END OF LINEARIZED FILE [%s]",
                           static_cast<long>(b), static_cast<long>(e), OutName(set))
               : StrPrintf("PHASE [IV]\n\nADDING/DELETING [%ld]/[%ld] TO/FROM BEG/END OF LINEARIZED FILE [%s]",
                           static_cast<long>(b), static_cast<long>(e), OutName(set));
    core_io::Info(text);
    DebugPrintf("%s\n", text.c_str());
    DebugPrintf("IV-B - FSR=%lf PTS_FSR=%ld\n", T.FsrWork, static_cast<long>(Dsp.Pts_FSR));
    DebugPrintf("IV-B - FILE_LEN=%ld   THZEND_FRQ=%lf END_FRQ=%lf   CNV.AVE_PTS=%ld\n", static_cast<long>(len),
                T.ActHi, T.EndFrq, static_cast<long>(e));
  }
  SectionEdit(set, OSI_ADDSECT, b, 1);
  if (e >= 0)
    SectionEdit(set, OSI_ADDSECT, e, 2);
  else
    SectionEdit(set, OSI_TRUNCATE_END, -e, 2);
  return 1;
}

}  // namespace

int32_t ThzPhase4(int16_t set, int32_t interactive) {
  if (!SectionName(set, T.SetIdx, Cnv.Out_Flnm[set][T.OutChn])) return Fail(2);
  T.FsrWork = std::fabs(Dsp.FSR);
  if (T.LockStat == 0 && T.WavePlace == 1) {
    if (THzLinearization(set, 1, interactive) == 0) return 0;
    T.SectLo = static_cast<uint32_t>(static_cast<int64_t>(T.LowerMk) * T.IntvSize);
    T.SectHi = static_cast<uint32_t>(static_cast<int64_t>(T.UpperMk) * T.IntvSize);
    return THzLinearization(set, 2, interactive);
  }
  if (T.MrkStat == 1) {
    if (T.WavePlace == 1) {
      if (std::strcmp(Dsp.Units_Txt, "MHz") == 0) T.FsrWork = std::fabs(Dsp.FSR * kWavenumberPerMhz);
      if (THzLinearization(set, 1, interactive) == 0) return 0;
      T.SectLo = static_cast<uint32_t>(static_cast<int64_t>(T.LowerMk) * T.IntvSize);
      T.SectHi = static_cast<uint32_t>(static_cast<int64_t>(T.UpperMk) * T.IntvSize);
    }
    if (T.LockStat == 1 && AomSettings.RampStat == 1) {
      if (AomCalibrate(set, static_cast<int32_t>(T.SectLo), static_cast<int32_t>(T.SectHi), 1, 0, 0, 1) == 0) {
        T.Status = 2;
        Warning("PHASE [IV]\n\nAOM CALIBRATION ROUTINE FAILED\n\nABORTING");
        return 0;
      }
    } else {
      const int32_t way = MarkerWay(set);
      if (way == 0) return 0;
      if (way < 0) return 1;
    }
  }
  return Place(set);
}

int32_t ThzPhase5(int16_t set) {
  (void)set;
  if (!platform::FileExists(Cnl.Mks_Flnm)) return 1;
  // Without the wavemeter the section has no frequency file to compare markers by.
  if (!platform::FileExists(T.FrqFlnm)) {
    Post(StrPrintf("   [%u] NO FRQ FILE [%s]: MARKERS NOT CHECKED\n", T.SetIdx, T.FrqFlnm));
    return 1;
  }
  float* frq = nullptr;
  uint32_t n = 0;
  if (ManBinFileRead(T.FrqFlnm, nullptr, &frq, nullptr, BIN_ELEM_FLOAT, 0, 0, &n, 1) != 1 || n == 0) {
    FFree1Dim(&frq);
    return Fail(2);
  }
  T.FileLen = n;
  Work<double> x, y, y2;
  if (!x.Alloc(uint64_t{n} + 1) || !y.Alloc(uint64_t{n} + 1) || !y2.Alloc(uint64_t{n} + 1)) {
    FFree1Dim(&frq);
    Error("THzLinearization()/frq_fpt/pt_dpt/pt2frq_dpt - CORE ALLOCATION ERROR");
    return Fail(2);
  }
  for (uint32_t i = 0; i < n; ++i) {
    x[uint64_t{i} + 1] = i;
    y[uint64_t{i} + 1] = frq[i];
  }
  FFree1Dim(&frq);
  if (DSpline(x.p, y.p, static_cast<int32_t>(n), SPLINE_NATURAL, SPLINE_NATURAL, y2.p, 0) != 1) {
    T.Status = 2;
    Warning("PHASE [V]\n\nSPLINE ERROR\n\nPROGRAM BUG");
    return 0;
  }
  const double threshold = std::fabs(T.FsrScalar * T.FsrWork);
  bool first = true;
  double before = 0.0;
  for (uint32_t k = 1; k <= Cnl.Mks_Cnt; ++k) {
    const int64_t p = Cnl.Mks_Pos[k];
    if (p < static_cast<int64_t>(T.SectLo) || p > static_cast<int64_t>(T.SectHi)) continue;
    double f = 0.0;
    DSplint(x.p, y.p, y2.p, static_cast<int32_t>(n), static_cast<double>(p - T.SectLo), &f);
    if (!first && threshold > std::fabs(f - before)) {
      if (Debug119())
        DebugPrintf("V-C - VALID JMP PTS - MK=%ld MARK_ARY=%ld FRQ2=%lf F2-F1=%lf < FSR*FSR_SCALAR=%lf\n",
                    static_cast<long>(k), static_cast<long>(p), f, f - before, threshold);
      const std::string line = StrPrintf("%ld\n", static_cast<long>(Cnl.Mks_Pos[k - 1]));
      if (ManMarkerAddDelete(Cnl.Mks_Flnm, line.c_str(), 1) == 0) {
        Warning(StrPrintf("PHASE [V]\n\nUNABLE TO CORRECT JUMP POINT FLNM [%s]", Cnl.Mks_Flnm));
        break;
      }
      if (Debug119()) DebugPrintf("V-C - JUMP PT DELETED\n");
    }
    before = f;
    first = false;
  }
  return 1;
}
