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

// Minimum and maximum of a channel file over [lo, hi] (the whole file when both are 0).
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
      if (!whole && (p < lo || p > hi)) continue;
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
    if (mx - mn <= 1e-20) {
      Dsp.Chn_Scalar[c] = 1.0;
      Dsp.Chn_Offset[c] = full ? 0.5 : 5.0;
      const std::string text =
          whole ? StrPrintf("CHN [%hd] IS FLAT LINE", c) : StrPrintf("CHN [%hd] FLAT LINE OVER INTERVAL", c);
      core_io::StatusText(2, text);
      core_io::StatusText(3, text);
    } else {
      Dsp.Chn_Scalar[c] = (full ? 0.98 : 9.8) / (mx - mn);
      Dsp.Chn_Offset[c] = -mn + 0.01 * (mx - mn);
      core_io::StatusText(2, whole ? StrPrintf("CHN [%hd] SCALED/OFFSET OVER FULL FILE", c)
                                   : StrPrintf("CHN [%hd] SCALED/OFFSET OVER INTERVAL", c));
      core_io::StatusText(3, StrPrintf("MIN=[%f] MAX=[%f]", mn, mx));
    }
  }
  FFree1Dim(&block);
  if (Win.hWnd_Main) RepaintWindow("MAN_0P", Win.hWnd_Main, TRUE);
  return result;
}

int32_t CnvReplaceFile(int16_t slot, int16_t mode, int16_t set, const char* input, const char* output, int32_t count,
                       int32_t period, int32_t low, int32_t high, int32_t interactive) {
  if (mode < 0 || mode > 3 || slot < 0 || slot > 9) return 0;

  // 1. The temporary file, in the current (data) folder.
  TempFile temp;
  if (!temp.Make()) {
    core_io::Warning("CnvReplaceFile()\n\nGET TEMP FLNM FAILED\n\nABORTING");
    return 0;
  }

  // 2. Names and the overwrite question.
  const int16_t c = Win.Active_Chn;
  std::string inName;
  std::string target;
  if (interactive == 1) {
    if (c < 0 || c > 8) {
      core_io::Warning("SELECT A VALID CHANNEL FIRST\n\nABORTING");
      return 0;
    }
    inName = Dsp.Chn_Flnm[c];
    const int answer = Ask(std::string(kModeLine[mode]) +
                               StrPrintf("OVERWRITE CHN [%hd] FILE [%s] [YES] |\nCREATE NEW FLNM(m) [NO] |\nABORT [CANCEL]?",
                                         c, inName.c_str()),
                           kYesNoCancel);
    if (answer == IDYES) {
      target = inName;
    } else if (answer == IDNO) {
      target = inName + "m";
      if (platform::FileExists(DisplayDataPath(target.c_str()).c_str()) &&
          Ask(StrPrintf("OVERWRITE EXISTING FILE [%s] [YES] |\nABORT [NO]?", target.c_str()), kYesNo) != IDYES)
        return 0;
    } else {
      return 0;
    }
  } else {
    if (!input || !*input || !output || !*output) return 0;
    inName = input;
    target = output;
  }
  const std::string inPath = DisplayDataPath(inName.c_str());
  const std::string targetPath = DisplayDataPath(target.c_str());
  int64_t inBytes = 0;
  const bool sized = platform::GetFileSize64(inPath.c_str(), &inBytes) != 0;
  const int64_t n = sized ? inBytes / 4 : 0;
  if (interactive != 1 && count < 0) count = (sized && period > 0) ? static_cast<int32_t>(std::min<int64_t>(n / period, INT32_MAX)) : 1;

  // 3. Fill style.
  Fill fill = Fill::Zero;
  bool simThreshold = false;
  if (mode == 1) {
    fill = Fill::Connect;
    if (interactive == 1) {
      const int answer =
          Ask("CONNECT ENDPOINTS [YES] |\nDRAW FLAT LINE AT CURSOR POS [NO] |\nABORT [CANCEL]?", kYesNoCancel);
      if (answer == IDCANCEL) return 0;
      fill = answer == IDYES ? Fill::Connect : Fill::Flat;
    }
  } else if (mode == 3) {
    if (set < 0 || set >= SIM_SETS) return 0;
    fill = Fill::Connect;
    const bool pairSet = Win.Pt_Lim[slot][0] != 0 || Win.Pt_Lim[slot][1] != 0;
    if (interactive == 1) {
      const int answer =
          Ask("CONNECT ENDPOINTS [YES] |\nDRAW FLAT LINES AT CURSOR POS [NO] |\nZERO SECTIONS [CANCEL]?", kYesNoCancel);
      fill = answer == IDYES ? Fill::Connect : (answer == IDNO ? Fill::Flat : Fill::Zero);
      std::string text = StrPrintf(
          "USE CURSOR POSITION AS INTENSITY THRESHOLD FOR [%s] SIM [%s] [YES] | USE ALL SIM LINES [NO] | ABORT [CANCEL]?",
          Sim.Set_Lbl[set], Sim.Sim_Flnm[set]);
      if (pairSet) text += "\n\nMODIFIED REGION INCLUDES ONLY SIM LINES WITHIN DISPLAY MARKS (GREEN LINES)";
      Cnv.Lim_Stat[slot] = pairSet ? 1 : 0;
      const int threshold = Ask(text, kYesNoCancel);
      if (threshold == IDCANCEL) return 0;
      simThreshold = threshold == IDYES;
    }
  }

  // The wait cursor of mode 3 gives way to the arrow on every return.
  struct ArrowAtEnd {
    bool on = false;
    ~ArrowAtEnd() {
      if (on) SetCursor(LoadCursor(nullptr, IDC_ARROW));
    }
  } arrowAtEnd;

  const int32_t W = Win.Cursor_HalfWidth;
  auto crosshairSection = [&](Section* s) {
    int64_t a = DisplayPixelToPoint(Win.View_Level, Win.Cursor_X - W);
    int64_t b = DisplayPixelToPoint(Win.View_Level, Win.Cursor_X + W);
    if (a > b) std::swap(a, b);
    // The window is cut to the file, so that nothing is written past its end.
    s->lo = std::clamp<int64_t>(a, 0, n > 0 ? n - 1 : 0);
    s->hi = std::clamp<int64_t>(b, 0, n > 0 ? n - 1 : 0);
  };

  // Mode 2: offset the whole file by minus the average across the crosshair window.
  if (mode == 2) {
    if (!sized) {
      core_io::Warning(StrPrintf("FAILED TO OPEN BINARY FILE [%s] FOR READING\n\nABORTING", inName.c_str()));
      return 0;
    }
    Section s;
    crosshairSection(&s);
    const int16_t avgChn = interactive == 1 ? c : static_cast<int16_t>(9);
    if (FileGetAveValue(avgChn, 1, inPath.c_str(), static_cast<int32_t>(s.lo), static_cast<int32_t>(s.hi)) == 0) {
      core_io::Warning(StrPrintf("FAILED TO OPEN BINARY FILE [%s] FOR READING\n\nABORTING", inName.c_str()));
      return 0;
    }
    Cnv.Offset[slot] = static_cast<float>(-Win.Chn_AveValue[avgChn]);
    Cnv.Ofs_Stat[slot] = 1;
    char inBuf[OSI_NAME_SIZE];
    char outBuf[OSI_NAME_SIZE];
    StrCopy(inBuf, inPath.c_str());
    StrCopy(outBuf, temp.Name());
    // The offset covers the whole file, whatever the slot's point-range switch says.
    const int32_t limStat = Cnv.Lim_Stat[slot];
    Cnv.Lim_Stat[slot] = 0;
    const int32_t done = OSIFile(slot, avgChn, 2006, inBuf, outBuf, 1, 0, 0);
    Cnv.Lim_Stat[slot] = limStat;
    int64_t outBytes = -1;
    if (done != 1 || !platform::GetFileSize64(temp.Name(), &outBytes) || outBytes != inBytes) {
      core_io::Warning("CnvReplaceFile()\n\nFILE WRITE ERROR\n\nABORTING");
      return 0;
    }
  } else {
    // 4. Input, temporary output and the block.
    core_io::BinIn in;
    if (!in.Open(inPath.c_str())) {
      core_io::Warning(StrPrintf("FAILED TO OPEN BINARY FILE [%s] FOR READING\n\nABORTING", inName.c_str()));
      return 0;
    }
    std::FILE* out = std::fopen(temp.Name(), "wb");
    if (!out) {
      core_io::Warning(StrPrintf("FAILED TO OPEN BINARY FILE [%s] FOR WRITING\n\nABORTING", temp.Name()));
      return 0;
    }
    struct Closer {
      std::FILE** f;
      ~Closer() {
        if (*f) std::fclose(*f);
      }
    } closer{&out};
    float* block = nullptr;
    if (QvAllocFailed(FAlloc1Dim(&block, kBlock))) {
      core_io::Error("CnvReplaceFile()/tmp_fpt - CORE ALLOCATION ERROR");
      return 0;
    }
    struct BlockFree {
      float** p;
      ~BlockFree() { FFree1Dim(p); }
    } blockFree{&block};

    // 5 and 6. Sections.
    std::vector<Section> sections;
    bool chain = false;
    if (mode == 3) {
      SetCursor(LoadCursor(nullptr, IDC_WAIT));
      arrowAtEnd.on = true;
      // The set's spectrum, matched to the channel, with its offset 0 while written.
      const double savedOffset = Sim.Dsp_Offset[set];
      Sim.Dsp_Offset[set] = 0.0;
      const int32_t written = FileprocSimColumnWrite(kSimTmpFile, set, 1);
      Sim.Dsp_Offset[set] = savedOffset;
      struct SimTmpRemove {
        ~SimTmpRemove() { DeleteFile(kSimTmpFile); }
      } simTmpRemove;
      if (written == 0) {
        core_io::Warning(StrPrintf("FAILED TO WRITE BINARY SIMULATION FILE [%s]\n\nABORTING", kSimTmpFile));
        return 0;
      }
      core_io::BinIn sim;
      if (!sim.Open(kSimTmpFile)) {
        core_io::Warning(StrPrintf("FAILED TO OPEN BINARY SIM FILE [%s] FOR READING\n\nABORTING", kSimTmpFile));
        return 0;
      }
      float* simBlock = nullptr;
      if (QvAllocFailed(FAlloc1Dim(&simBlock, kBlock))) {
        core_io::Error("CnvReplaceFile()/sim_fpt - CORE ALLOCATION ERROR");
        return 0;
      }
      struct SimFree {
        float** p;
        ~SimFree() { FFree1Dim(p); }
      } simFree{&simBlock};
      double threshold = 0.0;
      if (simThreshold && c >= 0 && c <= 8)
        threshold = ValueAtRow(c, Win.Cursor_Y) - Sim.Dsp_Scalar[set] * Sim.Dsp_Offset[set];
      int64_t from = 0;
      int64_t to = n - 1;
      const int64_t pl = std::min(Win.Pt_Lim[slot][0], Win.Pt_Lim[slot][1]);
      const int64_t ph = std::max(Win.Pt_Lim[slot][0], Win.Pt_Lim[slot][1]);
      if (Cnv.Lim_Stat[slot] == 1 && pl >= 0 && ph < n && pl < ph) {
        from = pl;
        to = ph;
      }
      bool open = false;
      Section current;
      int64_t p = 0;
      for (;;) {
        const size_t k = sim.Read(simBlock, kBlock, sizeof(float));
        const int64_t a = std::max<int64_t>(p, from);
        const int64_t b = std::min<int64_t>(p + static_cast<int64_t>(k) - 1, to);
        if (b >= a) filesection::ScanSimSections(simBlock + (a - p), b - a + 1, a, threshold, &open, &current, &sections);
        p += static_cast<int64_t>(k);
        if (k < kBlock || p > to) break;
      }
      if (open) {
        current.hi = std::min<int64_t>(p - 1, to);
        if (current.hi > current.lo) sections.push_back(current);
      }
    } else if (interactive == 1) {
      Section s;
      crosshairSection(&s);
      sections.push_back(s);
    } else {
      sections = filesection::PeriodicSections(n, count, period, low, high, &chain);
    }
    // Modes 0 and 1 without a section of more than one point leave the file alone; mode 3
    // without a simulated value above the threshold copies it unchanged.
    if (mode != 3 && (sections.empty() || sections.front().lo == sections.front().hi)) return 0;

    // 7. Fill values of each section.
    std::vector<float> loVal(sections.size(), 0.0f);
    std::vector<float> hiVal(sections.size(), 0.0f);
    const float flat = (fill == Fill::Flat && c >= 0 && c <= 8) ? static_cast<float>(ValueAtRow(c, Win.Cursor_Y)) : 0.0f;
    if (fill == Fill::Connect) {
      for (size_t k = 0; k < sections.size(); ++k) {
        if (!ReadValueAt(in, sections[k].lo, &loVal[k])) {
          core_io::Warning("CnvReplaceFile()\n\nFILE READ ERROR\n\nABORTING");
          return 0;
        }
        if (!chain && !ReadValueAt(in, sections[k].hi, &hiVal[k])) {
          core_io::Warning("CnvReplaceFile()\n\nFILE READ ERROR\n\nABORTING");
          return 0;
        }
      }
      in.Seek(0);
    }
    // The value that replaces point i of section k; false leaves the point as it is.
    auto replace = [&](size_t k, int64_t i, float* v) {
      const Section& s = sections[k];
      switch (fill) {
        case Fill::Zero: *v = 0.0f; return true;
        case Fill::Flat: *v = flat; return true;
        case Fill::Connect:
          if (chain) {
            if (k + 1 >= sections.size()) return false;  // the last section stays
            const double span = static_cast<double>(sections[k + 1].lo - s.lo);
            *v = static_cast<float>(loVal[k] + (i - s.lo) * (loVal[k + 1] - loVal[k]) / span);
          } else {
            const double span = static_cast<double>(s.hi - s.lo);
            *v = span == 0.0 ? loVal[k]
                             : static_cast<float>(loVal[k] + (i - s.lo) * (hiVal[k] - loVal[k]) / span);
          }
          return true;
      }
      return false;
    };

    // 8. Copy with the sections replaced.
    std::sort(sections.begin(), sections.end(), [](const Section& a, const Section& b) { return a.lo < b.lo; });
    int64_t mods = 0;
    int64_t p = 0;
    size_t first = 0;
    for (;;) {
      const size_t k = in.Read(block, kBlock, sizeof(float));
      if (in.Failed()) {
        core_io::Warning("CnvReplaceFile()\n\nFILE READ ERROR\n\nABORTING");
        return 0;
      }
      const int64_t end = p + static_cast<int64_t>(k) - 1;
      while (first < sections.size() && sections[first].hi < p) ++first;
      for (size_t s = first; s < sections.size() && sections[s].lo <= end; ++s) {
        const int64_t a = std::max(sections[s].lo, p);
        const int64_t b = std::min(sections[s].hi, end);
        for (int64_t i = a; i <= b; ++i) {
          float v = 0.0f;
          if (replace(s, i, &v)) {
            block[i - p] = v;
            if (fill == Fill::Connect) ++mods;
          }
        }
      }
      if (k > 0 && std::fwrite(block, sizeof(float), k, out) != k) {
        core_io::Warning("CnvReplaceFile()\n\nFILE WRITE ERROR\n\nABORTING");
        return 0;
      }
      p += static_cast<int64_t>(k);
      if (k < kBlock) break;
    }
    const int closed = std::fclose(out);
    out = nullptr;
    if (closed != 0) {
      core_io::Warning("CnvReplaceFile()\n\nFILE WRITE ERROR\n\nABORTING");
      return 0;
    }
    core_io::StatusText(1, StrPrintf("MODS=[%lld]", static_cast<long long>(mods)));
  }

  // 10. The temporary file replaces the target in one rename; the target stays as it
  // was when that fails.
  // The view thread may be reading the channel file: it stops, and builds again below.
  if (interactive == 1) DisplayViewStopForChange();
  if (!MoveFileEx(temp.Name(), targetPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
    core_io::Warning(StrPrintf("CnvReplaceFile()\n\nFAILED TO REPLACE FILE [%s]\n\nABORTING", target.c_str()));
    return 0;
  }
  temp.Placed();
  if (interactive == 1) {
    StrCopy(Dsp.Chn_Flnm[c], target.c_str());
    Dsp.ViewUpdate[c] = 1;
    Win.ViewPageType = 0;
    Win.ViewPrep = 1;
    FunctionThreadCreate(DisplayQviQvoSetup);
    if (Win.hWnd_Main) RepaintWindow("MAN_1P", Win.hWnd_Main, TRUE);
    core_io::StatusText(2, StrPrintf("FILE [%s] MODIFIED", target.c_str()));
  }
  FinishStatus(mode, fill);
  return 1;
}
