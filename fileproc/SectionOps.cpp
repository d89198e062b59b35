// Section edits of the file operation engine: cut out, delete, zero, insert zeros,
// shift and scroll a section of a float file, once or in every sequence.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>

#include "core/FileIo.h"
#include "core/MsgWindow.h"
#include "fileproc/FileOps.h"
#include "fileproc/OsiFrame.h"
#include "platform/kernel/Files.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/Win.h"

OsiEnd OsiCopyRange(OsiFrame& f, int64_t a, int64_t b) {
  a = std::max<int64_t>(a, 0);
  b = std::min(b, f.n);
  if (b <= a) return OsiEnd::Done;
  if (!f.Seek(a * 4)) return OsiEnd::Failed;
  int64_t left = b - a;
  while (left > 0) {
    const int64_t k = f.ReadValues(f.in, f.inName, f.blkF, sizeof(float), std::min<int64_t>(left, OSI_BLOCK));
    if (k < 0) return OsiEnd::Failed;
    if (k == 0) break;  // the file ended early: what there was is copied
    if (!f.Write(f.blkF, static_cast<size_t>(k) * sizeof(float))) return OsiEnd::Failed;
    left -= k;
  }
  return OsiEnd::Done;
}

OsiEnd OsiWriteZeros(OsiFrame& f, int64_t count) {
  if (count <= 0) return OsiEnd::Done;
  std::memset(f.blkF, 0, static_cast<size_t>(std::min<int64_t>(count, OSI_BLOCK)) * sizeof(float));
  while (count > 0) {
    const int64_t k = std::min<int64_t>(count, OSI_BLOCK);
    if (!f.Write(f.blkF, static_cast<size_t>(k) * sizeof(float))) return OsiEnd::Failed;
    count -= k;
  }
  return OsiEnd::Done;
}

namespace {

// Runs the steps in order, stopping at the first that does not finish.
template <class... Steps>
OsiEnd Chain(Steps... steps) {
  OsiEnd end = OsiEnd::Done;
  ((end = end == OsiEnd::Done ? steps() : end), ...);
  return end;
}

// Three-way question (Yes, No, Cancel).
int AskYesNoCancel(const std::string& text) {
  return MessageBox(Win.hWnd_Main, text.c_str(), "Question", MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNOCANCEL);
}

// The shift-values file of the section shift: one float per sequence.
class ShiftValues {
 public:
  bool open = false;
  // Opens the file when one of that name exists; false after the failure box.
  bool Start(const OsiFrame& f) {
    const char* name = Cnv.ShiftVal_Flnm;
    if (!name[0]) return true;
    struct stat info;
    if (::stat(platform::MapPath(name).c_str(), &info) != 0) return true;
    if (!in_.Open(name)) {
      core_io::Error(StrPrintf(
          "OSIFile()\n\nSHIFT FILE OPERATION\n\nFAILED TO OPEN BINARY FILE=[%s] FOR READING\n\nABORTING", name));
      return false;
    }
    open = true;
    if (f.report == 1)
      core_io::Info(StrPrintf("SHIFTSECT_FILE\n\nSHIFT VALUES WILL BE READ FROM BINARY FILE (FLOAT)=[%s]", name));
    else
      core_io::StatusText(3, StrPrintf("SHIFT VALUES FROM BINARY FILE (FLOAT)=[%s]", name));
    return true;
  }
  // The next shift value as stored; false at the end of the file.
  bool Next(float* value) { return in_.Read(value, 1, sizeof *value) == 1; }

 private:
  core_io::BinIn in_;
};

// Rotates the segment [a, a + len) left by s (0 <= s <= len).
OsiEnd Rotate(OsiFrame& f, int64_t a, int64_t len, int64_t s) {
  return Chain([&] { return OsiCopyRange(f, a + s, a + len); }, [&] { return OsiCopyRange(f, a, a + s); });
}

OsiEnd Scroll(OsiFrame& f, int64_t s, ShiftValues& values) {
  const int32_t k = Cnv.Seq_Sz[f.slot];
  const long long S = static_cast<long long>(s);
  auto sizeRefusal = [&](const char* kind, long long seg) {
    core_io::Warning(StrPrintf("SHIFTSECT_FILE\n\n%s\n\nSHIFT POINTS=[%lld] > SEGMENT SIZE=[%lld]\n\nABORTING", kind, S,
                               seg));
    return OsiEnd::Failed;
  };
  if (k <= 0) {
    // One segment: the whole file, or [lo, hi) with the point-range switch on.
    const int64_t a = f.limited ? f.lo : 0;
    const int64_t len = f.limited ? f.hi - f.lo : f.n;
    if (std::llabs(S) > len)
      return sizeRefusal(f.limited ? "ONE SEQ & FILE LIMIT ON" : "ONE SEQ & FILE LIMIT OFF", static_cast<long long>(len));
    return Rotate(f, a, len, s < 0 ? s + len : s);
  }
  const char* kind = f.limited ? "MULTIPLE SEQUENCES & FILE LIMIT ON" : "MULTIPLE SEQUENCES & FILE LIMIT OFF";
  const int64_t base = f.limited ? f.lo : 0;
  if (!f.limited) DspMsgShowText("      SHIFT BEG2END FOR MORE THAN ONE SEGMENT\n", Win.hWnd_Main);
  const int64_t count = (f.limited ? f.hi - f.lo : f.n) / k;
  Cnv.Seq_Cnt[f.slot] = static_cast<int32_t>(count);
  if (std::llabs(S) > k) return sizeRefusal(kind, k);
  OsiEnd end = OsiEnd::Done;
  int64_t j = 0;
  for (; j < count && end == OsiEnd::Done; ++j) {
    if (f.limited && j * k > f.hi) break;
    int64_t sj = s;
    if (values.open) {
      float raw = 0.0f;
      if (!values.Next(&raw)) {
        core_io::Warning(StrPrintf("SHIFTSECT_FILE\n\n%s\n\nSEQUENCE NUMBER=[%lld]\n\nSHIFT POINT NOT READ FROM "
                                   "FILE=[%s]\n\nABORTING",
                                   kind, static_cast<long long>(j), Cnv.ShiftVal_Flnm));
        end = OsiEnd::Failed;
        break;
      }
      // Checked as a float before it becomes a point count.
      if (!(std::fabs(raw) < 1.0e9f)) {
        core_io::Warning(StrPrintf("SHIFTSECT_FILE\n\n%s\n\nSEQ=[%lld] SHIFT VALUE=[%g] NOT VALID\n\nABORTING", kind,
                                   static_cast<long long>(j), static_cast<double>(raw)));
        end = OsiEnd::Failed;
        break;
      }
      sj = static_cast<int64_t>(std::trunc(raw));
      if (std::llabs(sj) > k) {
        if (f.limited)
          core_io::Warning(StrPrintf("SHIFTSECT_FILE\n\n%s\n\nSHIFT POINTS=[%lld] > SEGMENT SIZE=[%d]\n\nABORTING", kind,
                                     static_cast<long long>(sj), k));
        else
          core_io::Warning(StrPrintf("SHIFTSECT_FILE\n\n%s\n\nSEQ=[%lld] SHIFT POINTS=[%lld] > SEGMENT "
                                     "SIZE=[%d]\n\nABORTING",
                                     kind, static_cast<long long>(j), static_cast<long long>(sj), k));
        end = OsiEnd::Failed;
        break;
      }
    }
    if (sj < 0) sj += k;
    end = Rotate(f, base + j * k, k, sj);
  }
  if (f.limited && j < count)
    core_io::Warning(StrPrintf("SHIFTSECT_FILE\n\nFILE LIMIT REACHED BEFORE FULL SEQ AVE COMPLETE\n\nSEQ AVES=[%lld] & "
                               "SEQ NUM NEEDED=[%lld]\n\nCONTINUING",
                               static_cast<long long>(j), static_cast<long long>(count)));
  // A file (or range) shorter than one sequence holds no sequence to scroll.
  return end == OsiEnd::Done && count == 0 ? OsiEnd::NothingMade : end;
}

}  // namespace

OsiEnd OsiCutSection(OsiFrame& f) {
  if (f.variant == OSI_CUT_END_EXCLUDED) return OsiCopyRange(f, f.lo, f.hi);
  int64_t hi = f.hi;
  if (f.variant == 0 && f.report == 1 &&
      core_io::AskYesNo("CUT OUT SECTION FILE OPERATION\n\nEXCLUDE UPPER END POINT [YES] | [NO]?"))
    --hi;
  return OsiCopyRange(f, f.lo, hi + 1);  // the upper end point is kept
}

OsiEnd OsiDeleteSection(OsiFrame& f) {
  return Chain([&] { return OsiCopyRange(f, 0, f.lo); }, [&] { return OsiCopyRange(f, f.hi + 1, f.n); });
}

OsiEnd OsiZeroSection(OsiFrame& f) {
  if (f.variant == 0) {
    Cnv.Seq_Sz[f.slot] = 1;
    Cnv.Win_Lo[f.slot] = static_cast<int32_t>(f.lo);
    Cnv.Win_Hi[f.slot] = static_cast<int32_t>(f.hi);
  }
  const int64_t k = Cnv.Seq_Sz[f.slot];  // below 2: one sequence, the window does not move
  const int64_t winLo = Cnv.Win_Lo[f.slot];
  const int64_t winHi = Cnv.Win_Hi[f.slot];
  if (!f.Seek(0)) return OsiEnd::Failed;
  int64_t p = 0;
  for (;;) {
    const int64_t got = f.ReadBlock(f.blkF, sizeof(float));
    if (got < 0) return OsiEnd::Failed;
    if (got == 0) break;
    for (int64_t i = 0; i < got; ++i) {
      const int64_t q = p + i;
      const int64_t pos = k >= 2 ? q % k : q;
      if (pos >= winLo && pos < winHi && q >= f.lo && q < f.hi) f.blkF[i] = 0.0f;
    }
    if (!f.Write(f.blkF, static_cast<size_t>(got) * sizeof(float))) return OsiEnd::Failed;
    p += got;
  }
  return OsiEnd::Done;
}

OsiEnd OsiAddSection(OsiFrame& f) {
  const int64_t zeros = std::max<int64_t>(Cnv.Pts_Ave[f.slot], 0);
  int16_t where = f.variant;
  if (where == 0) {
    if (core_io::AskYesNo("ADD SECTION FILE OPERATION\n\nADD SECTION TO FILE AT BEGINNING [YES] | END [NO]?"))
      where = 1;
    else if (core_io::AskYesNo("ADD SECTION TO FILE AT END [YES] | ABORT [NO]?"))
      where = 2;
    else if (core_io::AskYesNo("ADD SECTION STARTING AT LOWER MARKED POSITION [YES] | ABORT [NO]?"))
      where = 3;
    else
      return OsiEnd::Declined;
  }
  switch (where) {
    case 1: return Chain([&] { return OsiWriteZeros(f, zeros); }, [&] { return OsiCopyRange(f, 0, f.n); });
    case 2: return Chain([&] { return OsiCopyRange(f, 0, f.n); }, [&] { return OsiWriteZeros(f, zeros); });
    case 3: {
      // Before the low point limit as set, not the computed range.
      const int64_t at = OSIFileSlotLimits(f.slot)[0];
      if (at < 0 || at >= f.n) {
        core_io::Warning(StrPrintf("ADD SECTION FILE OPERATION\n\nLOWER MARKED POSITION=[%lld] OUTSIDE FILE OF "
                                   "[%lld] POINTS\n\nABORTING",
                                   static_cast<long long>(at), static_cast<long long>(f.n)));
        return OsiEnd::Failed;
      }
      return Chain([&] { return OsiCopyRange(f, 0, at); }, [&] { return OsiWriteZeros(f, zeros); },
                   [&] { return OsiCopyRange(f, at, f.n); });
    }
    default: return OsiEnd::Declined;  // a variant that selects nothing
  }
}

OsiEnd OsiShiftSection(OsiFrame& f) {
  ShiftValues values;
  if (!values.Start(f)) return OsiEnd::Failed;

  // The shift and the mode.
  int16_t variant = f.variant;
  int64_t s = variant == 0 ? Cnv.Pts_Ave[f.slot] : Cnv.Shift_Cnt[f.slot];
  if (variant == -1 || variant == -2) {
    s *= Dsp.Pts_FSR;
    variant = static_cast<int16_t>(-variant);
  }
  int mode = variant;
  if (variant == 0) {
    if (Cnv.Pts_Ave[f.slot] == 0) s = Dsp.Pts_FSR;
    const char* scroll = s >= 0 ? "SCROLL BEG-2-END [CANCEL] ?" : "SCROLL END-2-BEG [CANCEL] ?";
    const int answer = AskYesNoCancel(StrPrintf(
        "SHIFT FILE OPERATION\n\nSHIFT POINTS=[%lld]\n\nSHIFT FILE TO LEFT   [YES] |\nSHIFT FILE TO RIGHT [NO] |\n%s",
        static_cast<long long>(s), scroll));
    mode = answer == IDYES ? 1 : answer == IDNO ? 2 : 3;
  }
  if (mode < 1 || mode > 3) return OsiEnd::Declined;

  const int64_t lo = f.lo;
  const int64_t hi = f.hi;
  const int64_t n = f.n;
  if (mode == 1) {
    const int64_t a = std::llabs(s);
    if (!f.limited)  // the file moves left, zeros fill its end
      return Chain([&] { return OsiCopyRange(f, a, n); }, [&] { return OsiWriteZeros(f, std::min(a, n)); });
    if (lo - a < 0) {
      core_io::Error(StrPrintf("LEFT SHIFT FILE OPERATION\n\nSHIFTED SECTION BEYOND FILE LOWER LIMIT=[%lld]\n\nSHIFT=[%"
                               "lld] NOT >= 0\n\nABORTING",
                               static_cast<long long>(lo), static_cast<long long>(lo - a)));
      return OsiEnd::Failed;
    }
    // The points before lo - S, the section [lo, hi], then from hi - S + 1 on the rest
    // with the section's old place zeroed.
    const int64_t from = hi - a + 1;
    return Chain([&] { return OsiCopyRange(f, 0, lo - a); }, [&] { return OsiCopyRange(f, lo, hi + 1); },
                 [&] { return OsiCopyRange(f, from, std::min(lo, n)); },
                 [&] { return OsiWriteZeros(f, std::min(hi + 1, n) - std::max(from, lo)); },
                 [&] { return OsiCopyRange(f, std::max(from, hi + 1), n); });
  }
  if (mode == 2) {
    const int64_t a = std::llabs(s);
    if (!f.limited)  // zeros first; a shift beyond the file leaves only zeros
      return Chain([&] { return OsiWriteZeros(f, std::min(a, n)); }, [&] { return OsiCopyRange(f, 0, n - a); });
    if (hi + a >= n) {
      core_io::Warning(StrPrintf("RIGHT SHIFT FILE OPERATION\n\nSHIFTED SECTION BEYOND FILE UPPER LIMIT=[%lld]\n\nSHIFT=["
                                 "%lld] NOT < FLSZ=[%lld]\n\nABORTING",
                                 static_cast<long long>(hi), static_cast<long long>(hi + a), static_cast<long long>(n)));
      return OsiEnd::Failed;
    }
    // The points before lo, the section's first S places zeroed (and any points between
    // its end and lo + S), the section itself, then the points after hi + S.
    const int64_t to = lo + a;
    return Chain([&] { return OsiCopyRange(f, 0, lo); }, [&] { return OsiWriteZeros(f, std::min(to, hi + 1) - lo); },
                 [&] { return OsiCopyRange(f, hi + 1, to); }, [&] { return OsiCopyRange(f, lo, hi + 1); },
                 [&] { return OsiCopyRange(f, hi + a + 1, n); });
  }
  const OsiEnd end = Scroll(f, s, values);
  core_io::StatusText(0, StrPrintf(Cnv.Pts_Ave[f.slot] > 0 ? "SCROLLED BEG-2-END FOR SEQUENCES=[%d]"
                                                           : "SCROLLED END-2-BEG FOR SEQUENCES=[%d]",
                                   Cnv.Seq_Cnt[f.slot]));
  return end;
}
