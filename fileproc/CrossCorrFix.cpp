// Alignment of sequence files with a reference sequence, through the engine (file
// variant, also the thread pool's per-file routine) or in memory (array variant).
#include "fileproc/CrossCorrFix.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "core/BinFile.h"
#include "core/FileIo.h"
#include "core/MsgWindow.h"
#include "core/Threads.h"
#include "filelib/FileManip.h"
#include "fileproc/FileOps.h"
#include "fileproc/xcorr/ArrayStats.h"
#include "fileproc/xcorr/CrossCorr.h"
#include "fileproc/xcorr/Resample.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"
#include "records/Cnv.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"
#include "records/XCorrWork.h"

namespace {

long L(int64_t v) { return static_cast<long>(v); }

std::string Numbered(const char* base, int64_t k) { return std::string(base) + StrPrintf("%03ld", L(k)); }

bool ReadWhole(const std::string& name, std::vector<float>* v) {
  core_io::BinIn in;
  if (!in.Open(name.c_str())) return false;
  const uint64_t n = in.SizeBytes() / 4;
  if (n > 0x1FFFFFFFu) return false;
  try {
    v->assign(static_cast<size_t>(n), 0.0f);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return in.Read(v->data(), v->size(), sizeof(float)) == v->size();
}

int64_t FileValues(const std::string& name) {
  core_io::BinIn in;
  return in.Open(name.c_str()) ? static_cast<int64_t>(in.SizeBytes() / 4) : -1;
}

// One engine call on names in buffers of the engine's size; a name that does not fit
// is refused.
int32_t Engine(int16_t slot, int32_t id, const std::string& in, const std::string& out, int16_t variant) {
  char inBuf[OSI_NAME_SIZE];
  char outBuf[OSI_NAME_SIZE];
  if (!core_io::NameFits(in, sizeof inBuf) || !core_io::NameFits(out, sizeof outBuf)) return 0;
  StrCopy(inBuf, in.c_str());
  StrCopy(outBuf, out.c_str());
  return OSIFile(slot, 0, id, inBuf, out.empty() ? nullptr : outBuf, variant, 0, 0);
}

// What both variants share: arguments, result files, old shifts, notes.
struct Run {
  int16_t slot = 0;
  const char* who = "";  // "CrossCorrSeqFileFix()" or "CrossCorrSeqAryFix()"
  const char* tag = "";  // "CC FILE FIX:" or "CC ARY FIX:"
  const char* firstBase = "";
  const char* secondBase = "";
  const char* oldShiftFile = nullptr;
  const char* avesFile = nullptr;
  int32_t ref = 0;
  int32_t first = 0;
  int32_t last = 0;
  int32_t coFirst = 0;
  int32_t coLast = 0;
  bool useOld = false;
  bool invertTest = false;
  bool multi = false;
  int64_t segSz = 0;
  int64_t segments = 0;
  bool counts = false;  // the average-count file is there and long enough
  bool files = false;   // the file form: sequences, temporaries and averages are files
  core_io::BinOut ccVals;
  core_io::BinOut srVals;
  core_io::BinIn old;

  void Note(const std::string& text) const {
    if (slot == 1) DspMsgShowText(text.c_str(), Win.hWnd_Main);
  }
  int32_t Fail(const std::string& text) const {
    core_io::Warning(text);
    return 0;
  }
  int64_t PerSegment() const { return static_cast<int64_t>(last) - first + 1; }

  // Every name the run makes, each with the widest number it takes, checked before
  // any file is written.
  bool NamesFit() const {
    const std::string one = firstBase, two = secondBase;
    std::vector<std::string> names = {one + "_SRVals", one + "_CCVals", two + "AveCat"};
    if (files) {
      const std::string widest = StrPrintf("%03ld", L(std::max({ref, first, last})));
      const std::string average = multi ? StrPrintf("Ave%03ld", L(std::max<int64_t>(segments - 1, 0))) : "Ave";
      names.insert(names.end(), {one + widest, two + widest, one + "__TMP" + widest, two + average});
      if (counts) names.push_back(std::string(avesFile) + "_Tmp");
    }
    return std::all_of(names.begin(), names.end(), [](const std::string& name) { return core_io::NameFits(name); });
  }

  // Arguments, SEQ SZ and the radius as absolute values.
  void Normalise(int16_t r, int16_t f, int16_t l, int16_t cf, int16_t cl) {
    useOld = r < 0;
    ref = std::abs(static_cast<int32_t>(r));
    first = std::abs(static_cast<int32_t>(f));
    last = l < 0 ? 100 : l;
    coFirst = std::abs(static_cast<int32_t>(cf));
    coLast = std::abs(static_cast<int32_t>(cl));
    Cnv.Seq_Sz[slot] = std::abs(Cnv.Seq_Sz[slot]);
    invertTest = Cnv.Cc_Rad[slot] <= 0;
    Cnv.Cc_Rad[slot] = std::abs(Cnv.Cc_Rad[slot]);
  }

  // Segments of the parent, the count file, the result files and the old shifts.
  int32_t Prepare(int64_t parentPts) {
    int32_t& seg = Cnv.Seg_Sz[slot];
    multi = seg > 1;
    if (!multi) seg = static_cast<int32_t>(parentPts);
    segSz = seg;
    segments = parentPts / segSz;
    Note(StrPrintf("%s   %s\n", tag, multi ? "MULTIPLE SEGS" : "SINGLE SEG"));
    if (multi && avesFile && avesFile[0]) {
      const int64_t have = FileValues(avesFile);
      if (have >= 0) {
        if (have < PerSegment() * segments)
          return Fail(StrPrintf("CrossCorrSeqFileFix()\n\nSEGMENT AVERAGE NUMBER FILE=[%s]\n\nELEMENTS=[%ld] < NUMBER "
                                "NEEDED=[%ld]\n\nMUST BE LONG VERSION (NAvesL)\n\nABORTING",
                                avesFile, L(have), L(PerSegment() * segments)));
        counts = true;
        Note(StrPrintf("%s   NUM AVE FLNM=[%s] EXISTS\n", tag, avesFile));
      } else {
        Note(StrPrintf("%s   NO NUM AVE FILE=[%s]\n", tag, avesFile));
      }
    }
    if (!NamesFit()) return 0;
    const std::string sr = std::string(firstBase) + "_SRVals";
    const std::string cc = std::string(firstBase) + "_CCVals";
    if (!srVals.Open(sr.c_str()) || !ccVals.Open(cc.c_str())) return 0;
    if (useOld) {
      if (!oldShiftFile || platform::SameFile(cc.c_str(), oldShiftFile))
        return Fail(StrPrintf("%s\n\nFILENAMES=[%s] OF OLD CC SHIFT VALUES & NEW CC SHIFT VALUES MUST BE "
                              "DIFFERENT\n\nABORTING",
                              who, cc.c_str()));
      if (!old.Open(oldShiftFile))
        return Fail(StrPrintf("%s\n\nFAILED TO OPEN FILE=[%s] OF CC SHIFT VALUES FOR READING\n\nABORTING", who,
                              oldShiftFile));
      const int64_t have = static_cast<int64_t>(old.SizeBytes() / 4);
      if (have != PerSegment() * segments &&
          !core_io::AskYesNo(StrPrintf("%s\n\nCC FLNM=[%s] SHIFT SIZE=[%ld] !=\nCC FILE TOTAL=[%ld]\n\nUSE ANYWAY [YES] | "
                                       "ABORT [NO]?",
                                       who, oldShiftFile, L(have), L(PerSegment() * segments))))
        return 0;
    }
    return 1;
  }

  // The next stored shift of the old file; false after a box when it ends.
  bool NextOld(float* value) {
    if (old.Read(value, 1, sizeof(float)) == 1) return true;
    Fail(StrPrintf("%s\n\nFAILED TO READ FILE=[%s] OF CC SHIFT VALUES\n\nABORTING", who, oldShiftFile));
    return false;
  }
  // The reference's entries: its old stored shift or 0.5, and a score of 0.
  bool StoreReference() {
    float stored = 0.5f;
    return (!useOld || NextOld(&stored)) && Store(stored, 0.0f);
  }
  // The shift of seq from the old file or by correlation with ref (see BestShift).
  bool NextShift(std::vector<float>& seq, const std::vector<float>& ref, int32_t lo, int32_t w, int64_t* shift,
                 bool* inverted, float* flip);

  bool Store(float value, float score) {
    return ccVals.Write(&value, sizeof(value)) && srVals.Write(&score, sizeof(score));
  }
  bool Finish() { return ccVals.Commit() && srVals.Commit(); }
};

float StoredShift(int64_t shift) { return static_cast<float>(shift) + (shift > 0 ? 0.5f : -0.5f); }

// The shift that puts seq onto ref over the window (the reference correlated with
// the sequence moved by every lag: a sequence lying later gives a negative shift); with the inversion test also of seq
// inverted about its window maximum, which wins on an equal or larger maximum (seq is
// then left inverted, *inverted set and *flip holds the level, which may be 0).
// Returns false when the correlation could not be had.
bool BestShift(int16_t slot, std::vector<float>& seq, const std::vector<float>& ref, int32_t lo, int32_t w, bool invertTest,
               int64_t* shift, bool* inverted, float* flip) {
  const int32_t r = Cnv.Cc_Rad[slot];
  const double damp = Cnv.Damp[slot];
  const uint32_t outer = static_cast<uint32_t>(ref.size() - static_cast<size_t>(lo));
  uint32_t index = 0;
  double best = 0.0;
  if (CrossCorrArysTS(slot, ref.data() + lo, seq.data() + lo, outer, static_cast<uint32_t>(w), r, damp, &index, &best) !=
      1)
    return false;
  *flip = 0.0f;
  *inverted = false;
  if (invertTest) {
    float top = -1e20f;
    for (int32_t i = lo; i < lo + w; ++i) top = std::max(top, seq[static_cast<size_t>(i)]);
    std::vector<float> turned(seq.size());
    for (size_t i = 0; i < seq.size(); ++i) turned[i] = top - seq[i];
    uint32_t index2 = 0;
    double best2 = 0.0;
    if (CrossCorrArysTS(slot, ref.data() + lo, turned.data() + lo, outer, static_cast<uint32_t>(w), r, damp, &index2,
                        &best2) != 1)
      return false;
    if (best2 >= best) {
      index = index2;
      seq.swap(turned);
      *inverted = true;
      *flip = top;
    }
  }
  *shift = static_cast<int64_t>(r) - static_cast<int64_t>(index);
  return true;
}

bool Run::NextShift(std::vector<float>& seq, const std::vector<float>& ref, int32_t lo, int32_t w, int64_t* shift,
                    bool* inverted, float* flip) {
  *flip = 0.0f;
  *inverted = false;
  if (!useOld) return BestShift(slot, seq, ref, lo, w, invertTest, shift, inverted, flip);
  float stored = 0.0f;
  if (!NextOld(&stored)) return false;
  *shift = static_cast<int64_t>(stored);
  return true;
}

// The RMS scatter of seq - ref over the w window points from lo.
float Score(const std::vector<float>& seq, const std::vector<float>& ref, int32_t lo, int32_t w) {
  double mn = 0.0, mx = 0.0, mean = 0.0, rms = 0.0;
  if (ManFindMinMaxDiffAveRMS2DAry(nullptr, nullptr, ref.data() + lo, seq.data() + lo, nullptr, nullptr,
                                   static_cast<uint32_t>(w), &mn, &mx, &mean, &rms) != 1)
    return 0.0f;
  return static_cast<float>(rms);
}

// Moves n values by shift (positive: towards the end), zero-filling; a shift of n or
// more leaves only zeros.
void ShiftInPlace(float* v, int64_t n, int64_t shift) {
  const int64_t a = std::llabs(shift);
  if (a >= n) {
    std::fill(v, v + n, 0.0f);
  } else if (shift > 0) {
    std::memmove(v + a, v, static_cast<size_t>(n - a) * sizeof(float));
    std::fill(v, v + a, 0.0f);
  } else if (shift < 0) {
    std::memmove(v, v + a, static_cast<size_t>(n - a) * sizeof(float));
    std::fill(v + (n - a), v + n, 0.0f);
  }
}

// The window of the reference: clamped (file variant) and at least 5 points wide.
bool FileWindow(Run& run, const std::string& refName, int64_t count, int32_t* lo, int32_t* w) {
  int32_t& winLo = Cnv.Win_Lo[run.slot];
  int32_t& winHi = Cnv.Win_Hi[run.slot];
  if (winHi >= count) {
    winLo = 0;
    winHi = static_cast<int32_t>(count - 1);
  }
  *lo = winLo;
  const int64_t width = int64_t{winHi} - winLo;
  *w = static_cast<int32_t>(std::clamp<int64_t>(width, INT32_MIN, INT32_MAX));
  if (width < 5 || winLo < 0) {
    run.Fail(StrPrintf("%s\n\nPARENT FLNM=[%s] SIZE=[%lu] TOO SMALL\n\nABORTING", run.who, refName.c_str(),
                       static_cast<unsigned long>(count)));
    return false;
  }
  return true;
}

// Baseline move of a child file (NSTPS -1, -2, -3) into its place through a temporary.
int32_t FileBaseline(Run& run, const std::string& child, int64_t f) {
  const int32_t mode = Cnv.NStps[run.slot];
  if (mode != -1 && mode != -2 && mode != -3) return 1;
  double mean = 0.0, sigma = 0.0, mn = 0.0, mx = 0.0;
  if (FileGetAveValueFile(child.c_str(), Cnv.Win_Lo[run.slot], Cnv.Win_Hi[run.slot], 0, &mean, &sigma, &mn, &mx) != 1)
    return run.Fail(StrPrintf("FileGetAveValue()\n\nINVALID FLNM=[%s]", child.c_str()));
  Cnv.Offset[run.slot] = static_cast<float>(mode == -1 ? -mn : mode == -2 ? -mean : -mx);
  Cnv.Lim_Stat[run.slot] = 0;
  const std::string tmp = std::string(run.firstBase) + "__TMP" + StrPrintf("%03ld", L(f));
  if (Engine(run.slot, OSI_OFFSET, child, tmp, 1) != 1) return 0;
  if (!MoveFileEx(tmp.c_str(), child.c_str(), MOVEFILE_REPLACE_EXISTING))
    return run.Fail(StrPrintf("RENAME ERROR [%s] TO [%s]", tmp.c_str(), child.c_str()));
  return 1;
}

// Resampling of a child file in place (resize switch on).
int32_t FileResize(Run& run, const std::string& child, int32_t inSize) {
  if (Cnv.CcRsz_Stat[run.slot] != 1) return 1;
  const std::string tmp = StrPrintf("__qvrsz%03d.tmp", run.slot);
  if (ResizeFileAry(run.slot, RESIZE_FILE_MODE, child.c_str(), tmp.c_str(), 1, inSize,
                    static_cast<int32_t>(Cnv.Rsz_SzOut[run.slot]), 1.0, Cnv.Rsz_StpOut[run.slot], nullptr, nullptr,
                    nullptr, 1.0, 0) != 1)
    return 0;
  if (!MoveFileEx(tmp.c_str(), child.c_str(), MOVEFILE_REPLACE_EXISTING))
    return run.Fail(StrPrintf("RENAME ERROR [%s] TO [%s]", tmp.c_str(), child.c_str()));
  return 1;
}

// Resize set-up: the window and the radius scaled by the multiple m.
int32_t ResizeSetup(Run& run, int32_t inSize) {
  const int16_t s = run.slot;
  if (Cnv.CcRsz_Stat[s] != 1) return 1;
  Cnv.Rsz_SzIn[s] = static_cast<uint32_t>(inSize);
  Cnv.Rsz_StpIn[s] = 1.0;
  int64_t m = 0;
  if (Cnv.CcRsz_Neg[s] == 1) {
    m = Cnv.Rsz_SzOut[s];
  } else {
    m = inSize > 0 ? Cnv.Rsz_SzOut[s] / inSize : 0;
    if (m == 0) return run.Fail(StrPrintf("%s\n\nRESIZE POSITIVE BUT LESS THAN INPUT SIZE - INCREASE\n\nABORTING", run.who));
  }
  // The resized sequence, its window and the radius stay 32-bit point numbers.
  const int64_t size = Cnv.CcRsz_Neg[s] == 1 ? m * inSize : int64_t{Cnv.Rsz_SzOut[s]};
  const int64_t hi = Cnv.Win_Hi[s] * m;
  const int64_t lo = Cnv.Win_Lo[s] * m;
  const int64_t radius = Cnv.Cc_Rad[s] * m;
  const auto fits = [](int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; };
  if (!fits(size) || !fits(hi) || !fits(lo) || !fits(radius))
    return run.Fail(StrPrintf("%s\n\nRESIZE MULTIPLE=[%lld] x SIZE=[%ld] | WIN=[%ld]-[%ld] | CC RADIUS=[%ld] NOT "
                              "VALID\n\nABORTING",
                              run.who, static_cast<long long>(m), L(inSize), L(Cnv.Win_Lo[s]), L(Cnv.Win_Hi[s]),
                              L(Cnv.Cc_Rad[s])));
  Cnv.Rsz_SzOut[s] = static_cast<uint32_t>(size);
  Cnv.Win_Hi[s] = static_cast<int32_t>(hi);
  Cnv.Win_Lo[s] = static_cast<int32_t>(lo);
  Cnv.Cc_Rad[s] = static_cast<int32_t>(radius);
  run.Note(StrPrintf("%s   PREP: RESIZE=[%ld] TO [%ld]\n", run.tag, L(inSize), L(Cnv.Rsz_SzOut[s])));
  return 1;
}

int32_t FileFix(Run& run) {
  const int16_t s = run.slot;
  const int32_t seq = Cnv.Seq_Sz[s];
  const std::string parent = seq >= 2 ? std::string(run.firstBase) : Numbered(run.firstBase, run.first);
  const int64_t parentPts = FileValues(parent);
  if (parentPts < 0) return run.Fail(StrPrintf("%s\n\nFAILED TO OPEN INPUT FILE=[%s] FOR READING\n\nABORTING", run.who, parent.c_str()));
  if (parentPts == 0) return run.Fail(StrPrintf("%s\n\nINPUT FILE=[%s] OF ZERO LENGTH\n\nABORTING", run.who, parent.c_str()));
  run.Note(StrPrintf("%s   PAR FLNM=[%s] SZ=[%lu]\n", run.tag, parent.c_str(), static_cast<unsigned long>(parentPts)));
  if (run.Prepare(parentPts) != 1) return 0;
  if (ResizeSetup(run, seq < 2 ? static_cast<int32_t>(parentPts) : seq) != 1) return 0;
  const std::string cat = std::string(run.secondBase) + "AveCat";
  int32_t* limits = OSIFileSlotLimits(s);
  std::vector<float> ref;
  std::vector<float> child;
  for (int64_t g = 0; g < run.segments; ++g) {
    const int64_t o = g * run.segSz;
    run.Note(StrPrintf("%s   SEG NUM=[%2ld]\n", run.tag, L(g)));
    // a. Cut, baseline and resize every sequence.
    for (int64_t f = run.first; f <= run.last; ++f) {
      const std::string name = Numbered(run.firstBase, f);
      if (seq != 1) {
        const int64_t low = static_cast<int64_t>(seq) * f + o;
        const int64_t high = low + seq - 1;
        if (high >= parentPts) {
          run.last = static_cast<int32_t>(f - 1);
          core_io::Warning(StrPrintf("%s\n\nPREMATURE EOF IN INPUT FILE=[%s]\n\nEND NUM REDEFINED AS [%03ld]\n\nCONTINUING",
                                     run.who, parent.c_str(), L(run.last)));
          break;
        }
        limits[0] = static_cast<int32_t>(low);
        limits[1] = static_cast<int32_t>(high);
        Cnv.Lim_Stat[s] = 1;
        const int32_t ok = Engine(s, OSI_CUTSECT, parent, name, 1);
        Cnv.Lim_Stat[s] = 0;
        if (ok != 1) return 0;
        const int64_t got = FileValues(name);
        if (got != seq)
          core_io::Warning(StrPrintf("%s\n\nCHILD FLNM=[%s] SIZE=[%ld] != SEQ SZ=[%ld]\n\nCONTINUUING", run.who,
                                     name.c_str(), L(got), L(seq)));
      } else if (!platform::FileExists(name.c_str())) {
        run.last = static_cast<int32_t>(f - 1);
        core_io::Warning(StrPrintf("%s\n\nFILE [%s] TO CC DOES NOT EXIST\n\nEND NUM REDEFINED AS [%03ld]\n\nCONTINUING",
                                   run.who, name.c_str(), L(run.last)));
        break;
      }
      if (FileBaseline(run, name, f) != 1) return 0;
      if (FileResize(run, name, seq < 2 ? static_cast<int32_t>(parentPts) : seq) != 1) return 0;
    }
    if (run.last < run.first) return run.Fail(StrPrintf("%s\n\nNO SEQUENCES TO CC\n\nABORTING", run.who));
    // b. The reference and its window.
    const std::string refName = Numbered(run.firstBase, run.ref);
    if (!ReadWhole(refName, &ref) || ref.empty())
      return run.Fail(StrPrintf("%s\n\nFAILED TO OPEN INPUT FILE=[%s] FOR READING\n\nABORTING", run.who, refName.c_str()));
    int32_t lo = 0, w = 0;
    if (!FileWindow(run, refName, static_cast<int64_t>(ref.size()), &lo, &w)) return 0;
    run.Note(StrPrintf("%s   CC: CC RANGE [%ld]-[%ld] TOT=[%ld]\n", run.tag, L(run.first), L(run.last), L(run.PerSegment())));
    // c. Align every sequence.
    for (int64_t f = run.first; f <= run.last; ++f) {
      const std::string name = Numbered(run.firstBase, f);
      const std::string out = Numbered(run.secondBase, f);
      Cnv.Lim_Stat[s] = 0;
      if (f == run.ref) {
        if (!run.StoreReference()) return 0;
        if (out != name && Engine(s, OSI_CUTSECT, name, out, 1) != 1) return 0;
        continue;
      }
      if (!ReadWhole(name, &child)) break;
      if (child.size() != ref.size()) {
        core_io::Warning(StrPrintf("%s\n\nPARENT FLNM=[%s] SIZE=[%lu] !=\nCHILD FLNM=[%s] SIZE=[%lu]\n\nCONTINUUING",
                                   run.who, refName.c_str(), static_cast<unsigned long>(ref.size()), name.c_str(),
                                   static_cast<unsigned long>(child.size())));
        child.resize(ref.size(), 0.0f);
      }
      int64_t shift = 0;
      bool inverted = false;
      float flip = 0.0f;
      if (!run.NextShift(child, ref, lo, w, &shift, &inverted, &flip)) return 0;
      if (inverted) {
        Cnv.Flip_Pt[s] = flip;
        if (Engine(s, OSI_FLIP, name, name, 1) != 1) return 0;
      }
      Cnv.Shift_Cnt[s] = static_cast<int32_t>(std::llabs(shift));
      if (Engine(s, OSI_SHIFTSECT, name, out, shift <= 0 ? 1 : 2) != 1) return 0;
      if (!ReadWhole(out, &child)) return 0;
      child.resize(ref.size(), 0.0f);
      if (!run.Store(StoredShift(shift), Score(child, ref, lo, w))) return 0;
      run.Note(StrPrintf("%s   CC: [%ld] CC FILE=[%s] SHIFT=[%ld]\n", run.tag, L(f), name.c_str(), L(shift)));
    }
    // d. Co-add, e. concatenate: the sequences of this run only, when a short parent
    // or a missing file ended it before the co-add range does.
    const std::string ave = run.multi ? std::string(run.secondBase) + StrPrintf("Ave%03ld", L(g))
                                      : std::string(run.secondBase) + "Ave";
    const int32_t report = run.multi ? 0 : 1;
    const int32_t coEnd = std::min(run.coLast, run.last);
    int32_t ok = 0;
    if (run.counts) {
      const std::string tmp = std::string(run.avesFile) + "_Tmp";
      limits[0] = static_cast<int32_t>(run.PerSegment() * g + run.coFirst);
      limits[1] = limits[0] + coEnd - run.coFirst;
      Cnv.Lim_Stat[s] = 1;
      ok = Engine(s, OSI_CUTSECT, run.avesFile, tmp, 1);
      Cnv.Lim_Stat[s] = 0;
      if (ok == 1)
        ok = ManBinFileCoadd(run.secondBase, ave.c_str(), tmp.c_str(), static_cast<int16_t>(run.coFirst),
                             static_cast<int16_t>(coEnd), report);
    } else {
      ok = ManBinFileCoadd(run.secondBase, ave.c_str(), nullptr, static_cast<int16_t>(run.coFirst),
                           static_cast<int16_t>(coEnd), report);
    }
    if (ok != 1) return 0;
    if (run.multi) {
      StrCopy(Cnv.Sub_Flnm[s], ave.c_str());
      if ((g == 0 ? Engine(s, OSI_CUTSECT, ave, cat, 1) : Engine(s, OSI_APPEND, cat, "", 1)) != 1) return 0;
    }
  }
  if (!run.Finish()) return 0;
  run.Note(StrPrintf("\n%s   COMPLETE=[%ld] - CLEAN UP\n", run.tag, L(run.last)));
  // 9. The intermediate files, one by one.
  if (run.multi && Cnv.Del_Multi[s] == 1) {
    Cnv.Del_Multi[s] = 0;
    const auto remove = [&](const std::string& name) {
      return platform::FileExists(name.c_str()) && Engine(s, OSI_DELETE, name, "", 1) == 1;
    };
    for (int64_t k = 0; k <= run.last && remove(Numbered(run.firstBase, k)); ++k) {}
    for (int64_t k = 0; k <= run.last && remove(Numbered(run.secondBase, k)); ++k) {}
    for (int64_t g = 0; g < run.segments && remove(std::string(run.secondBase) + StrPrintf("Ave%03ld", L(g))); ++g) {}
    Cnv.Del_Multi[s] = 1;
  }
  return 1;
}

int32_t AryFix(Run& run) {
  const int16_t s = run.slot;
  const int32_t seq = Cnv.Seq_Sz[s];
  const std::string parent = run.firstBase;
  const int64_t parentPts = FileValues(parent);
  if (parentPts < 0) return run.Fail(StrPrintf("%s\n\nFAILED TO OPEN INPUT FILE=[%s] FOR READING\n\nABORTING", run.who, parent.c_str()));
  if (parentPts == 0 || seq < 1)
    return run.Fail(StrPrintf("%s\n\nINPUT FILE=[%s] OF ZERO LENGTH\n\nABORTING", run.who, parent.c_str()));
  run.Note(StrPrintf("%s   PAR FLNM=[%s] SZ=[%lu]\n", run.tag, parent.c_str(), static_cast<unsigned long>(parentPts)));
  if (run.Prepare(parentPts) != 1) return 0;
  const std::string cat = std::string(run.secondBase) + "AveCat";
  DeleteFile(cat.c_str());
  // The window, checked once: too high stops the run.
  int32_t& winLo = Cnv.Win_Lo[s];
  int32_t& winHi = Cnv.Win_Hi[s];
  if (winHi >= seq) {
    winLo = 0;
    winHi = seq - 1;
    return run.Fail(StrPrintf("PARENT FLNM=[%s] SZ=[%lu]: WINDOW HIGH TOO LARGE [%ld]\n\nABORTING", parent.c_str(),
                              static_cast<unsigned long>(parentPts), L(winHi)));
  }
  const int32_t lo = winLo;
  const int64_t width = int64_t{winHi} - winLo;
  const int32_t w = static_cast<int32_t>(std::clamp<int64_t>(width, INT32_MIN, INT32_MAX));
  if (width < 5 || lo < 0)
    return run.Fail(StrPrintf("CrossCorrAryAryFix()\n\nPARENT FLNM=[%s] SZ=[%lu]: WINDOW TOO SMALL [%ld]\n\nABORTING",
                              parent.c_str(), static_cast<unsigned long>(parentPts), L(w)));
  std::vector<float> segment;
  std::vector<double> acc;
  try {
    segment.assign(static_cast<size_t>(run.segSz), 0.0f);
    acc.assign(static_cast<size_t>(seq), 0.0);
  } catch (const std::bad_alloc&) {
    core_io::Error("CrossCorrSeqAryFix()/chi_dpt - CORE ALLOCATION ERROR");
    return 0;
  }
  core_io::BinIn in;
  core_io::BinIn countsIn;
  if (!in.Open(parent.c_str())) return 0;
  if (run.counts) (void)countsIn.Open(run.avesFile);
  const int64_t fit = run.segSz / seq - 1;  // the last sequence number inside a segment
  if (run.last > fit) {
    run.last = static_cast<int32_t>(fit);
    core_io::Warning(StrPrintf("%s\n\nPREMATURE EOF IN INPUT FILE=[%s]\n\nEND NUM REDEFINED AS [%03ld]\n\nCONTINUING",
                               run.who, parent.c_str(), L(run.last)));
  }
  if (run.last < run.first || run.ref < run.first || run.ref > run.last)
    return run.Fail(StrPrintf("%s\n\nREFERENCE [%03ld] OUTSIDE SEQUENCES [%03ld]-[%03ld]\n\nABORTING", run.who,
                              L(run.ref), L(run.first), L(run.last)));
  std::vector<float> ref(static_cast<size_t>(seq));
  std::vector<float> one(static_cast<size_t>(seq));
  const int32_t mode = Cnv.NStps[s];
  for (int64_t g = 0; g < run.segments; ++g) {
    in.Seek(static_cast<uint64_t>(g * run.segSz) * 4);
    if (static_cast<int64_t>(in.Read(segment.data(), segment.size(), sizeof(float))) < run.segSz)
      return run.Fail(StrPrintf("%s\n\nFAILED TO READ INPUT FILE=[%s]\n\nABORTING", run.who, parent.c_str()));
    float* at = segment.data();
    // Baselines over every sequence's whole length.
    if (mode == -1 || mode == -2 || mode == -3) {
      for (int64_t f = run.first; f <= run.last; ++f) {
        float* v = at + f * seq;
        double mn = 0.0, mx = 0.0, mean = 0.0;
        ManFindMinMaxDiffAveRMS1DAry(nullptr, v, nullptr, static_cast<uint32_t>(seq), 0, 0, &mn, &mx, &mean, nullptr);
        const double by = mode == -1 ? mx : mode == -2 ? mean : mn;
        for (int32_t i = 0; i < seq; ++i) v[i] = static_cast<float>(v[i] - by);
      }
    }
    std::copy(at + static_cast<int64_t>(run.ref) * seq, at + static_cast<int64_t>(run.ref + 1) * seq, ref.begin());
    for (int64_t f = run.first; f <= run.last; ++f) {
      float* v = at + f * seq;
      if (f == run.ref) {
        if (!run.StoreReference()) return 0;
        continue;
      }
      std::copy(v, v + seq, one.begin());
      int64_t shift = 0;
      bool inverted = false;
      float flip = 0.0f;
      if (!run.NextShift(one, ref, lo, w, &shift, &inverted, &flip)) return 0;
      ShiftInPlace(one.data(), seq, shift);
      std::copy(one.begin(), one.end(), v);
      if (!run.Store(StoredShift(shift), Score(one, ref, lo, w))) return 0;
    }
    // The weighted co-add of coFirst .. coLast.
    std::fill(acc.begin(), acc.end(), 0.0);
    double total = 0.0;
    if (run.counts) countsIn.Seek(static_cast<uint64_t>(run.PerSegment() * g + run.coFirst) * 4);
    for (int64_t f = run.coFirst; f <= run.coLast && f <= run.last; ++f) {
      int32_t weight = 0;
      if (run.counts && countsIn.Read(&weight, 1, sizeof(weight)) != 1)
        return run.Fail(StrPrintf("ManBinFileCoadd()\n\nFAILED TO READ BINARY INPUT FILE [%s] FOR READING\n\nABORTING",
                                  run.avesFile));
      if (weight == 0) weight = 1;
      const float* v = at + f * seq;
      for (int32_t i = 0; i < seq; ++i) acc[static_cast<size_t>(i)] += static_cast<double>(weight) * v[i];
      total += weight;
    }
    for (int32_t i = 0; i < seq; ++i)
      one[static_cast<size_t>(i)] = static_cast<float>(total != 0.0 ? acc[static_cast<size_t>(i)] / total : acc[static_cast<size_t>(i)]);
    std::vector<char> name(cat.begin(), cat.end());
    name.push_back('\0');
    if (ManBinFileWrite(name.data(), nullptr, one.data(), nullptr, BIN_ELEM_FLOAT, 0, seq, 1, 0) != 1)
      return run.Fail(StrPrintf("CrossCorrSeqAryFix()/FAILED TO APPEND TO OUTPUT FILE=[%s]", cat.c_str()));
    run.Note(StrPrintf("%s   SEG=[%ld] NUM FLSZ=[%ld] TOT AVES=[%lu]\n", run.tag, L(g), L(seq),
                       static_cast<unsigned long>(total)));
  }
  return run.Finish() ? 1 : 0;
}

int32_t Start(int32_t (*body)(Run&), const char* who, const char* tag, int16_t slot, const char* firstBase,
              const char* secondBase, const char* oldShiftFile, const char* avesFile, int16_t ref, int16_t first,
              int16_t last, int16_t coFirst, int16_t coLast) {
  if (slot < 0 || slot >= CNV_SLOTS || !firstBase || !secondBase) {
    core_io::Warning(StrPrintf("%s\n\nPARAMETER SLOT=[%d] NOT BETWEEN 0 AND %d\n\nABORTING", who, slot, CNV_SLOTS - 1));
    ThreadCtl.OpSeq_Running = 0;
    return 0;
  }
  Run run;
  run.slot = slot;
  run.who = who;
  run.tag = tag;
  run.firstBase = firstBase;
  run.secondBase = secondBase;
  run.oldShiftFile = oldShiftFile;
  run.avesFile = avesFile;
  run.files = body == FileFix;
  run.Normalise(ref, first, last, coFirst, coLast);
  // The sequences' files are written over again and again in one folder.
  const OsiKeepReplacedFiles keep;
  const int32_t result = body(run);
  if (result != 1) ThreadCtl.OpSeq_Running = 0;
  return result;
}

// A run leaves its slot's sizes, radius, window and resize values changed (absolute,
// clamped, scaled, the segment size set to the parent's length). A pool worker takes
// the settings the command gave its slot with its first file and puts them back
// before every later one, so that each file is aligned as it is alone.
void PoolSlotSettings(int16_t slot, bool first) {
  XCorrPoolStart& p = XCorrWork.Pool[slot];
  if (first) {
    p.seqSz = Cnv.Seq_Sz[slot];
    p.segSz = Cnv.Seg_Sz[slot];
    p.radius = Cnv.Cc_Rad[slot];
    p.winLo = Cnv.Win_Lo[slot];
    p.winHi = Cnv.Win_Hi[slot];
    p.szIn = Cnv.Rsz_SzIn[slot];
    p.szOut = Cnv.Rsz_SzOut[slot];
    p.stpIn = Cnv.Rsz_StpIn[slot];
    p.stpOut = Cnv.Rsz_StpOut[slot];
    return;
  }
  Cnv.Seq_Sz[slot] = p.seqSz;
  Cnv.Seg_Sz[slot] = p.segSz;
  Cnv.Cc_Rad[slot] = p.radius;
  Cnv.Win_Lo[slot] = p.winLo;
  Cnv.Win_Hi[slot] = p.winHi;
  Cnv.Rsz_SzIn[slot] = p.szIn;
  Cnv.Rsz_SzOut[slot] = p.szOut;
  Cnv.Rsz_StpIn[slot] = p.stpIn;
  Cnv.Rsz_StpOut[slot] = p.stpOut;
}

int32_t PoolFix(int16_t worker, int16_t, const char* seqName, const char* secondName, const char* valuesName,
                const char* fourthName, const int16_t* p, int32_t fileIndex) {
  // Worker i runs in slot i + 1 on the files i, i + n, i + 2n, ...
  if (worker >= 1 && worker < CNV_SLOTS) PoolSlotSettings(worker, fileIndex == worker - 1);
  return CrossCorrSeqFileFix(worker, 0, seqName, secondName, valuesName, fourthName, p[0], p[1], p[2], p[3], p[4]);
}

}  // namespace

int32_t CrossCorrSeqFileFix(int16_t slot, int32_t, const char* firstBase, const char* secondBase,
                            const char* oldShiftFile, const char* avesFile, int16_t ref, int16_t first, int16_t last,
                            int16_t coFirst, int16_t coLast) {
  return Start(FileFix, "CrossCorrSeqFileFix()", "CC FILE FIX:", slot, firstBase, secondBase, oldShiftFile, avesFile,
               ref, first, last, coFirst, coLast);
}

int32_t CrossCorrSeqAryFix(int16_t slot, int32_t, const char* firstBase, const char* secondBase,
                           const char* oldShiftFile, const char* avesFile, int16_t ref, int16_t first, int16_t last,
                           int16_t coFirst, int16_t coLast) {
  return Start(AryFix, "CrossCorrSeqAryFix()", "CC ARY FIX:", slot, firstBase, secondBase, oldShiftFile, avesFile, ref,
               first, last, coFirst, coLast);
}

void CrossCorrInstallPoolRoutine() { RavSetFileFixRoutine(&PoolFix); }
