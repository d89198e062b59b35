#include "display/FileSection.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/FileIo.h"
#include "filelib/FileManip.h"
#include "core/Threads.h"
#include "core/TypedArrays.h"
#include "core/Coords.h"
#include "core/Repaint.h"
#include "display/ViewDecimate.h"
#include "display/ViewFiles.h"
#include "fileproc/FileOps.h"
#include "fileproc/Hooks.h"
#include "platform/kernel/Files.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Window.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/Sim.h"
#include "records/Win.h"

namespace filesection {

std::vector<Section> PeriodicSections(int64_t n, int32_t count, int32_t period, int32_t low, int32_t high,
                                      bool* chain) {
  std::vector<Section> out;
  *chain = low < 0 || period <= high;
  if (count <= 0 || n <= 0) return out;
  for (int64_t k = 0; k < count; ++k) {
    Section s;
    if (*chain) {
      if (period <= 0) break;
      s.lo = k * period;
      s.hi = s.lo + period - 1;
    } else {
      s.lo = k * static_cast<int64_t>(period) + low;
      s.hi = k * static_cast<int64_t>(period) + high;
    }
    if (s.lo > n - 1) break;  // this and every later section lie past the end
    s.lo = std::max<int64_t>(s.lo, 0);
    s.hi = std::min<int64_t>(s.hi, n - 1);
    if (s.hi < s.lo) continue;
    out.push_back(s);
  }
  return out;
}

void ScanSimSections(const float* sim, int64_t n, int64_t first, double threshold, bool* open, Section* current,
                     std::vector<Section>* out) {
  for (int64_t i = 0; i < n; ++i) {
    const int64_t p = first + i;
    const bool above = sim[i] > threshold;
    if (!*open && above) {
      *open = true;
      current->lo = p;
    } else if (*open && !above) {
      *open = false;
      current->hi = p;
      if (current->hi > current->lo) out->push_back(*current);
    }
  }
}

}  // namespace filesection

using filesection::Section;

namespace {

constexpr size_t kBlock = 65536;

enum class Fill { Zero, Flat, Connect };

const char* const kModeLine[4] = {
    "ZERO FILE SECTION ACROSS CURSOR WINDOW\n\n",
    "REPLACE FILE SECTION WITH CONNECT LINE | FLAT LINE AT CURSOR ACROSS CURSOR WINDOW\n\n",
    "OFFSET FILE BASED ON AVERAGE VALUE ACROSS CURSOR WINDOW\n\n",
    "REPLACE EXPT DATA ACROSS FULL LINEWIDTH OF EVERY SIMULATED LINE\n\n",
};
const char* const kModeTag[4] = {"[ZERO SECT]", "[REPL W/]", "[OFFSET FILE @ CURSOR AVE]", "[REPL AT SIM LNS]"};
const char* const kFillTag[3] = {"[ZERO SECT]", "[FLAT LINE @ CURSOR]", "[CONN ENDPTS]"};
inline constexpr char kSimTmpFile[] = "Sim__Tmp.bin";

int Ask(const std::string& text, UINT style) { return MessageBox(Win.hWnd_Main, text.c_str(), "Question", style); }
constexpr UINT kYesNoCancel = 0x1023;
constexpr UINT kYesNo = 0x1024;

// The data value under client row y of channel c: the inverse of the drawing formula.
double ValueAtRow(int16_t c, int32_t y) {
  const double f = Dsp.Chn_ScaleStat[c] == 1 ? 1.0 : 0.1;
  const double k = -static_cast<double>(Win.Page_Height) * f * Dsp.Chn_Scalar[c];
  if (k == 0.0) return 0.0;
  const double y0 = Win.Plot_Bottom + k * Dsp.Chn_Offset[c];
  return (static_cast<double>(y - Win.Plot_Y0) - y0) / k;
}

// The temporary file of one call: removed unless it was renamed into place.
class TempFile {
 public:
  bool Make() {
    if (GetTempFileName(".", "__qv", 0, name_) == 0) return false;
    made_ = true;
    return true;
  }
  const char* Name() const { return name_; }
  void Placed() { made_ = false; }
  ~TempFile() {
    if (made_) DeleteFile(name_);
  }

 private:
  char name_[1024] = "";
  bool made_ = false;
};

bool ReadValueAt(core_io::BinIn& in, int64_t point, float* value) {
  in.Seek(static_cast<uint64_t>(point) * 4);
  return in.Read(value, 1, sizeof(float)) == 1;
}

void FinishStatus(int16_t mode, Fill fill) {
  core_io::StatusText(3, StrPrintf("CMD[%d]=%s CONN[%d]=%s", mode, kModeTag[mode], static_cast<int>(fill),
                                   kFillTag[static_cast<int>(fill)]));
}

// Minimum and maximum of a channel file over [lo, hi] (the whole file when both are 0),
// of the values the display draws: a missing value is no value. Without one, the
// minimum stays 1e20 and the maximum -1e20.
bool ChannelMinMax(int16_t c, float* block, double* mn, double* mx) {
  core_io::BinIn in;
  const std::string path = DisplayDataPath(Dsp.Chn_Flnm[c]);
  if (!in.Open(path.c_str())) {
    core_io::Warning(StrPrintf("FAILED TO OPEN BINARY FILE [%s] FOR READING\n\nABORTING", Dsp.Chn_Flnm[c]));
    return false;
  }
  const int64_t lo = std::min(Win.Pt_Lim[0][0], Win.Pt_Lim[0][1]);
  const int64_t hi = std::max(Win.Pt_Lim[0][0], Win.Pt_Lim[0][1]);
  const bool whole = Win.Pt_Lim[0][0] == 0 && Win.Pt_Lim[0][1] == 0;
  *mn = 1e20;
  *mx = -1e20;
  int64_t p = 0;
  for (;;) {
    const size_t k = in.Read(block, kBlock, sizeof(float));
    for (size_t i = 0; i < k; ++i, ++p) {
      if ((!whole && (p < lo || p > hi)) || ViewValueMissing(block[i])) continue;
      const double v = block[i];
      if (v < *mn) *mn = v;
      if (v > *mx) *mx = v;
    }
    if (k < kBlock) break;
  }
  return true;
}

}  // namespace

int32_t CnvAutoScalarOffSetChn(int16_t selector) {
  bool all = false;
  if (selector == -1) {
    int shown = 0;
    for (int c = 0; c <= 8; ++c) shown += Dsp.Chn_DspStat[c] == 1 ? 1 : 0;
    if (shown == 0) return 0;
    if (shown > 1) {
      // The question names No as the way out: only Yes acts.
      const int answer = Ask("AUTO SCALE & OFFSET ALL DISPLAYED CHANNELS [YES] | ABORT [NO]?", kYesNoCancel);
      if (answer != IDYES) return 0;
    }
    all = true;
  } else if (Win.Active_Chn < 0 || Win.Active_Chn > 8) {
    return 0;
  }

  float* block = nullptr;
  if (QvAllocFailed(FAlloc1Dim(&block, kBlock))) {
    core_io::Error("CnvAutoScalarOffSetChn()/tmp_fpt - CORE ALLOCATION ERROR");
    return 0;
  }
  const bool whole = Win.Pt_Lim[0][0] == 0 && Win.Pt_Lim[0][1] == 0;
  int32_t result = 1;
  for (int16_t c = 0; c <= 8 && result == 1; ++c) {
    if (!all && c != Win.Active_Chn) continue;
    if (Dsp.Chn_DspStat[c] != 1) continue;
    double mn = 0.0;
    double mx = 0.0;
    if (!ChannelMinMax(c, block, &mn, &mx)) {
      result = 0;
      break;
    }
    const bool full = Dsp.Chn_ScaleStat[c] == 1;
    // A file without a value (or a flat one) is centred; no scalar or offset that is
    // not a finite number is stored.
    const double span = mx - mn;
    const double scalar = (full ? 0.98 : 9.8) / span;
    const double offset = -mn + 0.01 * span;
    if (!(span > 1e-20) || !std::isfinite(scalar) || !std::isfinite(offset)) {
      Dsp.Chn_Scalar[c] = 1.0;
      Dsp.Chn_Offset[c] = full ? 0.5 : 5.0;
      const std::string text =
          whole ? StrPrintf("CHN [%hd] IS FLAT LINE", c) : StrPrintf("CHN [%hd] FLAT LINE OVER INTERVAL", c);
      core_io::StatusText(2, text);
      core_io::StatusText(3, text);
    } else {
      Dsp.Chn_Scalar[c] = scalar;
      Dsp.Chn_Offset[c] = offset;
      core_io::StatusText(2, whole ? StrPrintf("CHN [%hd] SCALED/OFFSET OVER FULL FILE", c)
                                   : StrPrintf("CHN [%hd] SCALED/OFFSET OVER INTERVAL", c));
      core_io::StatusText(3, StrPrintf("MIN=[%f] MAX=[%f]", mn, mx));
    }
  }
  FFree1Dim(&block);
  if (Win.hWnd_Main) RepaintWindow("MAN_0P", Win.hWnd_Main, TRUE);
  return result;
}

namespace {

// What the steps of one section edit share: the names, the input's size, the fill
// style and the sections.
struct Edit {
  int16_t slot = 0;
  int16_t mode = 0;
  int16_t set = 0;
  int16_t c = 0;  // the active channel
  bool interactive = false;
  std::string inName, target;
  std::string inPath, targetPath;
  bool sized = false;
  int64_t inBytes = 0;
  int64_t n = 0;  // points of the input
  int32_t count = 0, period = 0, low = 0, high = 0;
  Fill fill = Fill::Zero;
  bool simThreshold = false;
  bool chain = false;
  std::vector<Section> sections;
};

// The wait cursor of mode 3; the arrow returns when the edit ends, however it ends.
class WaitCursor {
 public:
  void On() {
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    on_ = true;
  }
  ~WaitCursor() {
    if (on_) SetCursor(LoadCursor(nullptr, IDC_ARROW));
  }

 private:
  bool on_ = false;
};

// A block of kBlock floats, freed when its step ends.
class FloatBlock {
 public:
  // False, after the allocation error that names the block, when it cannot be had.
  bool Make(const char* name) {
    if (QvAllocFailed(FAlloc1Dim(&p_, kBlock))) {
      core_io::Error(StrPrintf("CnvReplaceFile()/%s - CORE ALLOCATION ERROR", name));
      return false;
    }
    made_ = true;
    return true;
  }
  float* Data() const { return p_; }
  ~FloatBlock() {
    if (made_) FFree1Dim(&p_);
  }

 private:
  float* p_ = nullptr;
  bool made_ = false;
};

void OpenFailed(const std::string& name) {
  core_io::Warning(StrPrintf("FAILED TO OPEN BINARY FILE [%s] FOR READING\n\nABORTING", name.c_str()));
}

// The input and the target: interactively the active channel's file, overwritten or
// written to its "m" name as the user answers; else the caller's names.
bool ChooseNames(Edit& e, const char* input, const char* output) {
  if (!e.interactive) {
    if (!input || !*input || !output || !*output) return false;
    e.inName = input;
    e.target = output;
    return true;
  }
  if (e.c < 0 || e.c > 8) {
    core_io::Warning("SELECT A VALID CHANNEL FIRST\n\nABORTING");
    return false;
  }
  e.inName = Dsp.Chn_Flnm[e.c];
  const int answer =
      Ask(std::string(kModeLine[e.mode]) +
              StrPrintf("OVERWRITE CHN [%hd] FILE [%s] [YES] |\nCREATE NEW FLNM(m) [NO] |\nABORT [CANCEL]?", e.c,
                        e.inName.c_str()),
          kYesNoCancel);
  if (answer == IDYES) {
    e.target = e.inName;
    return true;
  }
  if (answer != IDNO) return false;
  // The new name becomes the channel's: it must fit whole.
  e.target = e.inName + "m";
  if (!core_io::NameFits(e.target, sizeof Dsp.Chn_Flnm[e.c])) return false;
  return !platform::FileExists(DisplayDataPath(e.target.c_str()).c_str()) ||
         Ask(StrPrintf("OVERWRITE EXISTING FILE [%s] [YES] |\nABORT [NO]?", e.target.c_str()), kYesNo) == IDYES;
}

// The paths, the input's size in points and, for a caller's negative count, the count
// of whole periods in the input (1 when its size cannot be read).
void SizeInput(Edit& e) {
  e.inPath = DisplayDataPath(e.inName.c_str());
  e.targetPath = DisplayDataPath(e.target.c_str());
  e.sized = platform::GetFileSize64(e.inPath.c_str(), &e.inBytes) != 0;
  e.n = e.sized ? e.inBytes / 4 : 0;
  if (!e.interactive && e.count < 0)
    e.count = (e.sized && e.period > 0) ? static_cast<int32_t>(std::min<int64_t>(e.n / e.period, INT32_MAX)) : 1;
}

// The fill style, and for mode 3 whether the cursor level is the intensity threshold.
bool ChooseFill(Edit& e) {
  if (e.mode == 1) {
    e.fill = Fill::Connect;
    if (!e.interactive) return true;
    const int answer = Ask("CONNECT ENDPOINTS [YES] |\nDRAW FLAT LINE AT CURSOR POS [NO] |\nABORT [CANCEL]?", kYesNoCancel);
    if (answer == IDCANCEL) return false;
    e.fill = answer == IDYES ? Fill::Connect : Fill::Flat;
    return true;
  }
  if (e.mode != 3) return true;
  if (e.set < 0 || e.set >= SIM_SETS) return false;
  e.fill = Fill::Connect;
  if (!e.interactive) return true;
  const bool pairSet = Win.Pt_Lim[e.slot][0] != 0 || Win.Pt_Lim[e.slot][1] != 0;
  const int answer =
      Ask("CONNECT ENDPOINTS [YES] |\nDRAW FLAT LINES AT CURSOR POS [NO] |\nZERO SECTIONS [CANCEL]?", kYesNoCancel);
  e.fill = answer == IDYES ? Fill::Connect : (answer == IDNO ? Fill::Flat : Fill::Zero);
  std::string text = StrPrintf(
      "USE CURSOR POSITION AS INTENSITY THRESHOLD FOR [%s] SIM [%s] [YES] | USE ALL SIM LINES [NO] | ABORT [CANCEL]?",
      Sim.Set_Lbl[e.set], Sim.Sim_Flnm[e.set]);
  if (pairSet) text += "\n\nMODIFIED REGION INCLUDES ONLY SIM LINES WITHIN DISPLAY MARKS (GREEN LINES)";
  Cnv.Lim_Stat[e.slot] = pairSet ? 1 : 0;
  const int threshold = Ask(text, kYesNoCancel);
  if (threshold == IDCANCEL) return false;
  e.simThreshold = threshold == IDYES;
  return true;
}

// A refused edit of the crosshair window of the input: a warning that says why.
void WindowRefused(const Edit& e, const char* why) {
  core_io::Warning(StrPrintf("CnvReplaceFile()\n\nCURSOR WINDOW %s FILE [%s]\n\nABORTING", why, e.inName.c_str()));
}

// The raw points under the crosshair window, cut to the file so that nothing is
// written past its end. A window that holds no point of the file (past its end, as
// the empty right half of a last page) is refused: false after the warning.
bool CrosshairSection(const Edit& e, Section* s) {
  const int32_t W = Win.Cursor_HalfWidth;
  int64_t a = DisplayPixelToPoint(Win.View_Level, Win.Cursor_X - W);
  int64_t b = DisplayPixelToPoint(Win.View_Level, Win.Cursor_X + W);
  if (a > b) std::swap(a, b);
  if (b < 0 || a > e.n - 1) {
    WindowRefused(e, "HOLDS NO DATA OF");
    return false;
  }
  s->lo = std::max<int64_t>(a, 0);
  s->hi = std::min<int64_t>(b, e.n - 1);
  return true;
}

// Mode 2: the whole file, offset by minus the average across the crosshair window,
// written to the temporary file.
bool OffsetByAverage(const Edit& e, const char* tempName) {
  if (!e.sized) {
    OpenFailed(e.inName);
    return false;
  }
  // The engine takes the input by its path in the data folder, which must fit whole.
  if (!core_io::NameFits(e.inPath, OSI_NAME_SIZE)) return false;
  Section s;
  if (!CrosshairSection(e, &s)) return false;
  const int16_t avgChn = e.interactive ? e.c : static_cast<int16_t>(9);
  if (FileGetAveValue(avgChn, 1, e.inPath.c_str(), static_cast<int32_t>(s.lo), static_cast<int32_t>(s.hi)) == 0) {
    OpenFailed(e.inName);
    return false;
  }
  // A missing value in the window would offset every point of the file by it.
  if (!std::isfinite(Win.Chn_AveValue[avgChn]) || ViewValueMissing(static_cast<float>(Win.Chn_Min[avgChn])) ||
      ViewValueMissing(static_cast<float>(Win.Chn_Max[avgChn]))) {
    WindowRefused(e, "HOLDS MISSING VALUES OF");
    return false;
  }
  Cnv.Offset[e.slot] = static_cast<float>(-Win.Chn_AveValue[avgChn]);
  Cnv.Ofs_Stat[e.slot] = 1;
  char inBuf[OSI_NAME_SIZE];
  char outBuf[OSI_NAME_SIZE];
  StrCopy(inBuf, e.inPath.c_str());
  StrCopy(outBuf, tempName);
  // The offset covers the whole file, whatever the slot's point-range switch says.
  const int32_t limStat = Cnv.Lim_Stat[e.slot];
  Cnv.Lim_Stat[e.slot] = 0;
  const int32_t done = OSIFile(e.slot, avgChn, 2006, inBuf, outBuf, 1, 0, 0);
  Cnv.Lim_Stat[e.slot] = limStat;
  int64_t outBytes = -1;
  if (done != 1 || !platform::GetFileSize64(tempName, &outBytes) || outBytes != e.inBytes) {
    core_io::Warning("CnvReplaceFile()\n\nFILE WRITE ERROR\n\nABORTING");
    return false;
  }
  return true;
}

// Mode 3: the sections where the set's spectrum, matched to the channel and written
// with its offset 0, lies above the threshold (within the cursor pair when the slot's
// point-range switch is on).
bool SimSections(Edit& e, WaitCursor& wait) {
  wait.On();
  const double savedOffset = Sim.Dsp_Offset[e.set];
  Sim.Dsp_Offset[e.set] = 0.0;
  const int32_t written = FileprocSimColumnWrite(kSimTmpFile, e.set, 1, -1);
  Sim.Dsp_Offset[e.set] = savedOffset;
  struct SimTmpRemove {
    ~SimTmpRemove() { DeleteFile(kSimTmpFile); }
  } simTmpRemove;
  if (written == 0) {
    core_io::Warning(StrPrintf("FAILED TO WRITE BINARY SIMULATION FILE [%s]\n\nABORTING", kSimTmpFile));
    return false;
  }
  core_io::BinIn sim;
  if (!sim.Open(kSimTmpFile)) {
    core_io::Warning(StrPrintf("FAILED TO OPEN BINARY SIM FILE [%s] FOR READING\n\nABORTING", kSimTmpFile));
    return false;
  }
  FloatBlock simBlock;
  if (!simBlock.Make("sim_fpt")) return false;
  double threshold = 0.0;
  if (e.simThreshold && e.c >= 0 && e.c <= 8)
    threshold = ValueAtRow(e.c, Win.Cursor_Y) - Sim.Dsp_Scalar[e.set] * Sim.Dsp_Offset[e.set];
  int64_t from = 0;
  int64_t to = e.n - 1;
  const int64_t pl = std::min(Win.Pt_Lim[e.slot][0], Win.Pt_Lim[e.slot][1]);
  const int64_t ph = std::max(Win.Pt_Lim[e.slot][0], Win.Pt_Lim[e.slot][1]);
  if (Cnv.Lim_Stat[e.slot] == 1 && pl >= 0 && ph < e.n && pl < ph) {
    from = pl;
    to = ph;
  }
  bool open = false;
  Section current;
  int64_t p = 0;
  for (;;) {
    const size_t k = sim.Read(simBlock.Data(), kBlock, sizeof(float));
    const int64_t a = std::max<int64_t>(p, from);
    const int64_t b = std::min<int64_t>(p + static_cast<int64_t>(k) - 1, to);
    if (b >= a) filesection::ScanSimSections(simBlock.Data() + (a - p), b - a + 1, a, threshold, &open, &current, &e.sections);
    p += static_cast<int64_t>(k);
    if (k < kBlock || p > to) break;
  }
  if (open) {
    current.hi = std::min<int64_t>(p - 1, to);
    if (current.hi > current.lo) e.sections.push_back(current);
  }
  return true;
}

// The sections of modes 0, 1 and 3: under the set's lines, under the crosshair, or the
// caller's periodic sections.
bool FindSections(Edit& e, WaitCursor& wait) {
  if (e.mode == 3) return SimSections(e, wait);
  if (!e.interactive) {
    e.sections = filesection::PeriodicSections(e.n, e.count, e.period, e.low, e.high, &e.chain);
    return true;
  }
  Section s;
  if (!CrosshairSection(e, &s)) return false;
  e.sections.push_back(s);
  return true;
}

// The values a section is filled with: the flat line's value, or the input's values at
// each section's ends for a connecting line.
struct FillValues {
  std::vector<float> lo, hi;
  float flat = 0.0f;
};

bool ReadFillValues(const Edit& e, core_io::BinIn& in, FillValues& v) {
  v.lo.assign(e.sections.size(), 0.0f);
  v.hi.assign(e.sections.size(), 0.0f);
  v.flat = (e.fill == Fill::Flat && e.c >= 0 && e.c <= 8) ? static_cast<float>(ValueAtRow(e.c, Win.Cursor_Y)) : 0.0f;
  if (e.fill != Fill::Connect) return true;
  for (size_t k = 0; k < e.sections.size(); ++k) {
    if (!ReadValueAt(in, e.sections[k].lo, &v.lo[k]) || (!e.chain && !ReadValueAt(in, e.sections[k].hi, &v.hi[k]))) {
      core_io::Warning("CnvReplaceFile()\n\nFILE READ ERROR\n\nABORTING");
      return false;
    }
  }
  in.Seek(0);
  return true;
}

// The value that replaces point i of section k; false leaves the point as it is. A
// chain bridges each section towards the start of the next and leaves the last one.
bool Replacement(const Edit& e, const FillValues& v, size_t k, int64_t i, float* out) {
  const Section& s = e.sections[k];
  switch (e.fill) {
    case Fill::Zero: *out = 0.0f; return true;
    case Fill::Flat: *out = v.flat; return true;
    case Fill::Connect:
      if (e.chain) {
        if (k + 1 >= e.sections.size()) return false;
        const double span = static_cast<double>(e.sections[k + 1].lo - s.lo);
        *out = static_cast<float>(v.lo[k] + (i - s.lo) * (v.lo[k + 1] - v.lo[k]) / span);
      } else {
        const double span = static_cast<double>(s.hi - s.lo);
        *out = span == 0.0 ? v.lo[k] : static_cast<float>(v.lo[k] + (i - s.lo) * (v.hi[k] - v.lo[k]) / span);
      }
      return true;
  }
  return false;
}

// The input copied block by block to out with the sections (sorted by their start)
// replaced; *mods counts the points a connecting line replaced.
bool CopyReplacing(const Edit& e, const FillValues& v, core_io::BinIn& in, std::FILE* out, float* block,
                   int64_t* mods) {
  int64_t p = 0;
  size_t first = 0;
  for (;;) {
    const size_t k = in.Read(block, kBlock, sizeof(float));
    if (in.Failed()) {
      core_io::Warning("CnvReplaceFile()\n\nFILE READ ERROR\n\nABORTING");
      return false;
    }
    const int64_t end = p + static_cast<int64_t>(k) - 1;
    while (first < e.sections.size() && e.sections[first].hi < p) ++first;
    for (size_t s = first; s < e.sections.size() && e.sections[s].lo <= end; ++s) {
      const int64_t a = std::max(e.sections[s].lo, p);
      const int64_t b = std::min(e.sections[s].hi, end);
      for (int64_t i = a; i <= b; ++i) {
        float x = 0.0f;
        if (Replacement(e, v, s, i, &x)) {
          block[i - p] = x;
          if (e.fill == Fill::Connect) ++*mods;
        }
      }
    }
    if (k > 0 && std::fwrite(block, sizeof(float), k, out) != k) {
      core_io::Warning("CnvReplaceFile()\n\nFILE WRITE ERROR\n\nABORTING");
      return false;
    }
    p += static_cast<int64_t>(k);
    if (k < kBlock) return true;
  }
}

// Modes 0, 1 and 3: the input written to the temporary file with its sections
// replaced. Modes 0 and 1 without a section of more than one point leave the file
// alone; mode 3 without a simulated value above the threshold copies it unchanged.
bool WriteSections(Edit& e, const char* tempName, WaitCursor& wait) {
  core_io::BinIn in;
  if (!in.Open(e.inPath.c_str())) {
    OpenFailed(e.inName);
    return false;
  }
  std::FILE* out = std::fopen(tempName, "wb");
  if (!out) {
    core_io::Warning(StrPrintf("FAILED TO OPEN BINARY FILE [%s] FOR WRITING\n\nABORTING", tempName));
    return false;
  }
  struct Closer {
    std::FILE** f;
    ~Closer() {
      if (*f) std::fclose(*f);
    }
  } closer{&out};
  FloatBlock block;
  if (!block.Make("tmp_fpt")) return false;

  if (!FindSections(e, wait)) return false;
  if (e.mode != 3 && (e.sections.empty() || e.sections.front().lo == e.sections.front().hi)) return false;
  FillValues values;
  if (!ReadFillValues(e, in, values)) return false;
  std::sort(e.sections.begin(), e.sections.end(), [](const Section& a, const Section& b) { return a.lo < b.lo; });
  int64_t mods = 0;
  if (!CopyReplacing(e, values, in, out, block.Data(), &mods)) return false;
  const int closed = std::fclose(out);
  out = nullptr;
  if (closed != 0) {
    core_io::Warning("CnvReplaceFile()\n\nFILE WRITE ERROR\n\nABORTING");
    return false;
  }
  core_io::StatusText(1, StrPrintf("MODS=[%lld]", static_cast<long long>(mods)));
  return true;
}

// The temporary file replaces the target in one rename (the target stays as it was
// when that fails); an interactive edit then shows the target and builds its views.
bool PlaceTarget(const Edit& e, TempFile& temp) {
  // The view thread may be reading the channel file: it stops, and builds again below.
  if (e.interactive) DisplayViewStopForChange();
  if (!MoveFileEx(temp.Name(), e.targetPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
    if (e.interactive) DisplayViewResume();  // the run stopped above goes on
    core_io::Warning(StrPrintf("CnvReplaceFile()\n\nFAILED TO REPLACE FILE [%s]\n\nABORTING", e.target.c_str()));
    return false;
  }
  temp.Placed();
  if (!e.interactive) return true;
  // An overwritten file keeps its kinds and pages; the "m" file finds its own.
  Dsp.ViewUpdate[e.c] = e.target == e.inName ? 1 : VIEW_UPDATE_NEW_FILE;
  StrCopy(Dsp.Chn_Flnm[e.c], e.target.c_str());
  Win.ViewPageType = 0;
  Win.ViewPrep = 1;
  FunctionThreadCreate(DisplayQviQvoSetup);
  if (Win.hWnd_Main) RepaintWindow("MAN_1P", Win.hWnd_Main, TRUE);
  core_io::StatusText(2, StrPrintf("FILE [%s] MODIFIED", e.target.c_str()));
  return true;
}

}  // namespace

int32_t CnvReplaceFile(int16_t slot, int16_t mode, int16_t set, const char* input, const char* output, int32_t count,
                       int32_t period, int32_t low, int32_t high, int32_t interactive) {
  if (mode < 0 || mode > 3 || slot < 0 || slot > 9) return 0;
  // The temporary file, in the current (data) folder.
  TempFile temp;
  if (!temp.Make()) {
    core_io::Warning("CnvReplaceFile()\n\nGET TEMP FLNM FAILED\n\nABORTING");
    return 0;
  }
  Edit e;
  e.slot = slot;
  e.mode = mode;
  e.set = set;
  e.c = Win.Active_Chn;
  e.interactive = interactive == 1;
  e.count = count;
  e.period = period;
  e.low = low;
  e.high = high;
  if (!ChooseNames(e, input, output)) return 0;
  SizeInput(e);
  if (!ChooseFill(e)) return 0;
  WaitCursor wait;
  const bool written = mode == 2 ? OffsetByAverage(e, temp.Name()) : WriteSections(e, temp.Name(), wait);
  if (!written || !PlaceTarget(e, temp)) return 0;
  FinishStatus(mode, e.fill);
  return 1;
}
