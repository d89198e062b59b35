// Sequence operations that combine sequences: 2037 co-adds them (in one group, in
// groups of SEQ CT, or in groups listed in a text table), 2038 repeats each one,
// 2039 compares each with a reference sequence (RMS difference and, optionally, the
// cross-correlation shift with a shift-corrected copy) and 10170 divides each by a
// reference sequence.
#include <cmath>
#include <cstring>
#include <string>

#include "core/FileIo.h"
#include "core/MsgWindow.h"
#include "fileproc/FileOps.h"
#include "fileproc/OsiFrame.h"
#include "fileproc/xcorr/CrossCorr.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "records/Cnv.h"
#include "records/Win.h"

namespace {

long L(int64_t v) { return static_cast<long>(v); }

bool AllZero(const float* v, int32_t n) {
  for (int32_t i = 0; i < n; ++i)
    if (v[i] != 0.0f) return false;
  return true;
}

// ---- 2037 ---------------------------------------------------------------------------------

constexpr const char* kCoaddHead = "SEQUENCE COADD FILE OPERATION\n\n";

struct Coadd {
  OsiFrame& f;
  int32_t s;
  OsiArray<float> seq;
  OsiArray<double> sum;
  int64_t p = 0;          // next point to read
  bool complete = true;   // the last read was a whole sequence
  int64_t groups = 0;     // averages written
  int64_t total = 0;      // sequences co-added into written averages

  // One group of the grouped modes.
  int64_t count = 0;
  int64_t zero = 0;
  int64_t lastZero = 0;
  int64_t first = 0;
  int64_t last = 0;
  int32_t j = 0;

  bool WriteAverage() {
    for (int32_t i = 0; i < s; ++i) seq.p[i] = static_cast<float>(sum.p[i] / static_cast<double>(count));
    return f.Write(seq.p, static_cast<size_t>(s) * sizeof(float));
  }

  // Co-adds up to SEQ CT sequences from p, those whose offset j * S in the group lies
  // in [WIN LO, WIN HI]. False on a read or write failure.
  bool Group(int64_t zeroBase) {
    const int32_t ct = Cnv.Seq_Cnt[f.slot];
    std::memset(sum.p, 0, static_cast<size_t>(s) * sizeof(double));
    count = zero = lastZero = 0;
    first = last = 0;
    bool firstSeen = false;
    for (j = 0; j < ct && p < f.hi; ++j, p += s) {
      const int64_t got = f.ReadCount(seq.p, static_cast<size_t>(s), sizeof(float));
      if (got < 0) return false;
      if (got < s) {
        core_io::Warning(std::string(kCoaddHead) +
                         StrPrintf("PREMATURE EOF IN [%s]\n\nLAST POINTS READ=[%ld] IN LAST SEQ OF SZ=[%ld]\n\n",
                                   f.inName, L(got), L(s)) +
                         StrPrintf("IN LAST COADDED SECTION OF SZ=[%ld],\nFULL SEQUENCES COADDED=[%ld] OUT OF [%ld] "
                                   "NEEDED\n\n",
                                   L(static_cast<int64_t>(s) * ct), L(j), L(ct)) +
                         StrPrintf("SEQUENCE AVERAGES WRITTEN=[%ld]\n\nCONTINUING", L(groups)));
        complete = false;
        break;
      }
      const int64_t offset = static_cast<int64_t>(j) * s;
      if (offset < Cnv.Win_Lo[f.slot] || offset > Cnv.Win_Hi[f.slot]) continue;
      if (AllZero(seq.p, s)) {
        ++zero;
        lastZero = zeroBase + p;
      } else {
        for (int32_t i = 0; i < s; ++i) sum.p[i] += static_cast<double>(seq.p[i]);
        ++count;
      }
      if (!firstSeen) first = j;
      firstSeen = true;
      last = j;
    }
    return true;
  }

  std::string GroupNote(const char* sep) const {
    const int32_t sl = f.slot;
    return StrPrintf("TOTAL SEQS PROCESSED=[%ld]%sCOADDS=[%ld] IN SEQ RANGE=[%ld]-[%ld] OF [%ld]%sZERO TOT=[%ld] LAST "
                     "IDX=[%ld]%sWIN_LO=[%ld] WIN_HI=[%ld]%sBEG*SEQ SZ=[%ld] END*SEQ SZ=[%ld]",
                     L(total), sep, L(count), L(first), L(last), L(Cnv.Seq_Cnt[sl]), sep, L(zero), L(lastZero), sep,
                     L(Cnv.Win_Lo[sl]), L(Cnv.Win_Hi[sl]), sep, L(first * s), L((last + 1) * s));
  }
};

OsiEnd CoaddSingle(Coadd& c) {
  OsiFrame& f = c.f;
  const int32_t s = c.s;
  int64_t count = 0;
  int64_t zero = 0;
  for (int64_t p = f.lo; p < f.hi; p += s) {
    const int64_t got = f.ReadCount(c.seq.p, static_cast<size_t>(s), sizeof(float));
    if (got < 0) return OsiEnd::Failed;
    if (got < s) {
      core_io::Warning(StrPrintf("SEQUENCE COADD FILE OPERATION\n\nPREMATURE EOF IN [%s]\n\nLAST POINTS READ=[%ld] IN "
                                 "LAST SEQ OF SZ=[%ld]\n\nFULL SEQUENCES COADDED=[%ld]\n\nCONTINUING",
                                 f.inName, L(got), L(s), L(count)));
      break;
    }
    if (AllZero(c.seq.p, s)) {
      ++zero;
      continue;
    }
    for (int32_t i = 0; i < s; ++i) c.sum.p[i] += static_cast<double>(c.seq.p[i]);
    ++count;
  }
  c.count = count;
  if (count > 0 && !c.WriteAverage()) return OsiEnd::Failed;
  if (f.report == 1)
    core_io::Warning(StrPrintf("SEQUENCE COADD FILE OPERATION (SINGLE SEG)\n\nINPUT BINARY FILE=[%s]\nSEQUENCES "
                               "PROCESSED=[%ld]\n\nZERO SEQS SKIPPED=[%ld]\n\nSEQ AVERAGES WRITTEN=[%ld]",
                               f.inName, L(count), L(zero), L(count > 0 ? 1 : 0)));
  return count > 0 ? OsiEnd::Done : OsiEnd::NothingMade;
}

OsiEnd CoaddGroups(Coadd& c) {
  OsiFrame& f = c.f;
  bool zeroGroup = false;
  bool ok = true;
  c.p = f.lo;
  while (c.p < f.hi && c.complete) {
    if (!c.Group(0)) {
      ok = false;
      break;
    }
    if (c.count > 0) {
      if (!c.WriteAverage()) {
        ok = false;
        break;
      }
      c.total += c.count;
    } else {
      std::memset(c.seq.p, 0, static_cast<size_t>(c.s) * sizeof(float));
      if (!f.Write(c.seq.p, static_cast<size_t>(c.s) * sizeof(float))) {
        ok = false;
        break;
      }
      zeroGroup = true;
    }
    ++c.groups;
    if (c.j < Cnv.Seq_Cnt[f.slot] || c.zero > 0)
      DspMsgShowText(StrPrintf("SEQUENCE COADD OF [%s]\n   ", f.inName).append(c.GroupNote("\n   ")).append("\n").c_str(),
                     Win.hWnd_Main);
  }
  if (ok && !f.stopped) {
    if (f.report == 1)
      core_io::Info(StrPrintf("SEQUENCE COADD FILE OPERATION (MULTIPLE SEGS)\n\nINPUT BINARY FILE=[%s]\nSEQUENCES "
                              "PROCESSED=[%ld]\nSEQUENCE AVERAGES WRITTEN=[%ld]",
                              f.inName, L(c.total), L(c.groups)));
    if (zeroGroup)
      (void)core_io::AskYesNo("FINISH [YES] | [NO]?");
    else
      Sleep(1000);  // time to read the group notes
  }
  DspMsgShow(0, Win.hWnd_Main);
  if (!ok) return OsiEnd::Failed;
  // Groups of zeros alone hold nothing co-added.
  return c.total > 0 ? OsiEnd::Done : OsiEnd::NothingMade;
}

// Scans a table line as "%ld%ld%*ld": the number of integers read (0, 1 or 2).
int ScanTableLine(const std::string& line, int32_t* a, int32_t* b) {
  const char* q = line.c_str();
  if (!core_io::ScanLong(q, a)) return 0;
  return core_io::ScanLong(q, b) ? 2 : 1;
}

OsiEnd CoaddTable(Coadd& c) {
  OsiFrame& f = c.f;
  const int32_t sl = f.slot;
  const char* table = Cnv.SeqTbl_Flnm;
  core_io::LineIn lines(499);
  if (!lines.Open(table)) {
    core_io::Warning(StrPrintf(
        "SEQUENCE COADD FILE OPERATION\n\nFAILED TO OPEN ASCII SEG NUMBER FILE [%s] FOR READING\n\nABORTING", table));
    return OsiEnd::Failed;
  }
  int64_t tableSum = 0;
  int64_t stop = -1;
  bool ok = true;
  bool failed = false;  // a NO or a consistency check
  c.p = f.lo;
  std::string line;
  while (c.p < f.hi && c.complete && !failed) {
    if (c.p > stop) {
      if (!lines.Next(line)) break;
      int32_t a = 0;
      int32_t b = 0;
      const int got = ScanTableLine(line, &a, &b);
      if (got == 2) {
        stop = -1;
        Cnv.Seq_Cnt[sl] = b;
        tableSum += b;
      } else if (got == 1) {
        stop = a;
        Cnv.Seq_Cnt[sl] = 1;
      } else {
        core_io::Warning(StrPrintf("SEQUENCE COADD FILE OPERATION\n\nSCAN ERROR IN [%s]\n\nSCAN RETURNED=[%ld]\n\nCOADDING "
                                   "STOPPED & CONTINUING",
                                   table, 0L));
        break;
      }
      Cnv.Win_Lo[sl] = 0;
      Cnv.Win_Hi[sl] = static_cast<int32_t>(static_cast<int64_t>(c.s) * Cnv.Seq_Cnt[sl]);
    }
    if (!c.Group(f.lo)) {
      ok = false;
      break;
    }
    if (stop >= 0 && c.p <= stop && stop < c.p + c.s) continue;  // the group before the stop is dropped
    if (c.count > 0) {
      if (!c.WriteAverage()) {
        ok = false;
        break;
      }
      ++c.groups;
      c.total += c.count;
      core_io::StatusText(1, StrPrintf("SEQS [%ld]-[%ld] COADDS=[%ld] (ZERO=[%ld]) OF [%ld]", L(c.first), L(c.last),
                                       L(c.count), L(c.zero), L(Cnv.Seq_Cnt[sl])));
    } else {
      core_io::Warning(StrPrintf("SEQUENCE COADD\n\nNO SEQS COADDED IN FILE=[%s]", f.inName));
    }
    if ((c.j < Cnv.Seq_Cnt[sl] || c.zero > 0) &&
        !core_io::AskYesNo(StrPrintf("SEQ COADD OF [%s]\n\n", f.inName) + c.GroupNote("\n\n") +
                           "\n\nCONTINUE [YES] | ABORT [NO]?"))
      failed = true;
  }
  if (!ok || f.stopped) return OsiEnd::Failed;
  const auto check = [&](const std::string& reason) {
    core_io::Warning(std::string(kCoaddHead) + reason +
                     StrPrintf("IN TXT FILE=[%s], CURRENT SEQUENCE SUM=[%ld]\n", table, L(tableSum)) +
                     StrPrintf("SEQUENCES PROCESSED=[%ld]\n\nSEQUENCE AVERAGES WRITTEN=[%ld]", L(c.total), L(c.groups)));
    failed = true;
  };
  if (!failed && tableSum != 0 && tableSum != c.total) {
    check("TXT FILE SEQUENCE SUM > BIN FILE READ SZ\n\n");
  } else if (!failed && tableSum != 0 && c.p < f.hi) {
    const int64_t got = f.ReadCount(c.seq.p, static_cast<size_t>(c.s), sizeof(float));
    if (got == c.s) check("TXT FILE SEQUENCE SUM < BIN FILE READ SZ\n\n");
  }
  while (lines.Next(line)) {
    if (line.find_first_not_of(" \t\r\n") == std::string::npos) continue;
    check(StrPrintf("ADDITIONAL LINE=[%s] IN TXT FILE\n\n", line.c_str()));
    break;
  }
  if (!failed) {
    core_io::Info(std::string(kCoaddHead) +
                  StrPrintf("IN TXT FILE=[%s], CURRENT SEQUENCE SUM=[%ld]\n", table, L(tableSum)) +
                  StrPrintf("SEQUENCES PROCESSED=[%ld]\n\nSEQUENCE AVERAGES WRITTEN=[%ld]", L(c.total), L(c.groups)));
    if (f.report == 1)
      core_io::Info(StrPrintf("SEQUENCE COADD FILE OPERATION (MULTIPLE SEGS)\n\nINPUT BIN FILE=[%s]\nSEQUENCES "
                              "PROCESSED=[%ld]\nSEQUENCE AVERAGES WRITTEN=[%ld]",
                              f.inName, L(c.total), L(c.groups)));
  }
  // A NO or a failed check keeps the averages written so far.
  if (failed) return OsiEnd::FailedKeep;
  return c.groups > 0 ? OsiEnd::Done : OsiEnd::NothingMade;
}

// Opens the reference of 2039 and 10170 (the slot's second file) and reads its first
// L values into ref. False after the operation's box.
bool ReadReference(OsiFrame& f, core_io::BinIn& in, const char* head, int32_t length, float* ref) {
  const char* name = Cnv.Sub_Flnm[f.slot];
  if (static_cast<int64_t>(in.Read(ref, static_cast<size_t>(length), sizeof(float))) < length) {
    core_io::Error(StrPrintf("%s\n\nPREMATURE EOF IN [%s]\n\nABORTING", head, name));
    return false;
  }
  return true;
}

bool OpenReference(OsiFrame& f, core_io::BinIn& in, const char* head) {
  const char* name = Cnv.Sub_Flnm[f.slot];
  if (in.Open(name)) return true;
  core_io::Warning(StrPrintf("%s\n\nFAILED TO OPEN BINARY FILE [%s] FOR READING\n\nABORTING", head, name));
  return false;
}

// The sequence length of 2039 and 10170 (PTS TO AVE); false after a warning when it
// holds no values.
bool SequenceLength(OsiFrame& f, const char* head, int32_t* length) {
  *length = Cnv.Pts_Ave[f.slot];
  if (*length >= 1) return true;
  core_io::Warning(StrPrintf("%s\n\nSEQUENCE LENGTH (PTS TO AVE)=[%ld] < 1\n\nABORTING", head, L(*length)));
  return false;
}

// Moves the L values of v by the lag s (positive: towards the end), zero-filling
// what is left open; a lag of L or more leaves only zeros.
void ShiftSequence(float* v, int32_t n, int64_t s) {
  const int64_t a = s < 0 ? -s : s;
  if (a >= n) {
    std::memset(v, 0, static_cast<size_t>(n) * sizeof(float));
    return;
  }
  const size_t keep = static_cast<size_t>(n - a) * sizeof(float);
  if (s > 0) {
    std::memmove(v + a, v, keep);
    std::memset(v, 0, static_cast<size_t>(a) * sizeof(float));
  } else if (s < 0) {
    std::memmove(v, v + a, keep);
    std::memset(v + (n - a), 0, static_cast<size_t>(a) * sizeof(float));
  }
}

}  // namespace

OsiEnd OsiSeqCoadd(OsiFrame& f) {
  const int32_t sl = f.slot;
  Coadd c{f, Cnv.Seq_Sz[sl], {}, {}};
  if (c.s < 1) {
    core_io::Warning(StrPrintf("SEQUENCE COADD FILE OPERATION\n\nSEQ SZ=[%ld] < 1\n\nABORTING", L(c.s)));
    return OsiEnd::Failed;
  }
  if (!c.seq.Make(c.s) || !c.sum.Make(c.s)) {
    core_io::Error("OSIFile()\n\nSEQUENCE COADD FILE OPERATION\n\nf1_pt/d1_pt - CORE ALLOCATION ERROR");
    return OsiEnd::Failed;
  }
  if (Cnv.Seq_Cnt[sl] == 0) Cnv.Seq_Cnt[sl] = 1;
  if (!f.Seek(f.lo * 4)) return OsiEnd::Failed;
  if (Cnv.Seq_Cnt[sl] <= 1) return CoaddSingle(c);
  if (Cnv.SeqTbl_Flnm[0] == '\0') return CoaddGroups(c);
  return CoaddTable(c);
}

OsiEnd OsiSeqDuplicate(OsiFrame& f) {
  const int32_t sl = f.slot;
  int64_t s = Cnv.Seq_Sz[sl];
  int64_t start = 0;
  if (f.variant == 0) {
    s = f.limited ? f.hi - f.lo : f.n;
    if (f.limited) start = f.lo;
    Cnv.Seq_Sz[sl] = static_cast<int32_t>(s);
  }
  if (s < 1) {
    core_io::Error(StrPrintf("OSIFile()\n\nSEQUENCE DUPLICATE FILE OPERATION\n\nINPUT SIZE TO DUPLICATE=[%ld] < "
                             "1\n\nABORTING",
                             L(s)));
    return OsiEnd::Failed;
  }
  int64_t copies = Cnv.Pts_Ave[sl];
  if (copies > 0) {
    if (copies % s != 0)
      core_io::Error(StrPrintf("OSIFile()\n\nSEQUENCE DUPLICATE FILE OPERATION\n\nOUTPUT SIZE=[%ld] NOT MULTIPLE OF INPUT "
                               "SIZE TO DUPLICATE=[%ld]\n\n",
                               L(copies), L(s)) +
                     (f.variant == 0 ? "USE LIMIT MARKS TO DEFINE INPUT SIZE TO DUPLICATE\n\n" : "") + "CONTINUING");
    copies /= s;
  } else {
    copies = -copies;
  }
  Cnv.Pts_Ave[sl] = static_cast<int32_t>(copies);
  if (copies == 0) {
    core_io::Error("OSIFile()\n\nSEQUENCE DUPLICATE FILE OPERATION\n\nNUMBER OF DUPLICATES IS ZERO\n\nABORTING");
    return OsiEnd::Failed;
  }
  OsiArray<float> seq;
  OsiArray<float> rep;
  if (!seq.Make(s) || !rep.Make(s * copies)) {
    core_io::Error("OSIFile()\n\nSEQUENCE DUPLICATE FILE OPERATION\n\nf1_pt/f2_pt - CORE ALLOCATION ERROR");
    return OsiEnd::Failed;
  }
  if (!f.Seek(start * 4)) return OsiEnd::Failed;
  const int64_t span = f.hi - f.lo;
  int64_t k = 0;
  for (int64_t p = 0;; p += s) {
    const int64_t got = f.ReadCount(seq.p, static_cast<size_t>(s), sizeof(float));
    if (got < 0) return OsiEnd::Failed;
    if (got == 0 || p >= span) break;
    if (got < s) {
      core_io::Warning(StrPrintf("SEQUENCE DUPLICATE FILE OPERATION\n\nPREMATURE EOF IN [%s]\n\nSIZE READ [%ld] != "
                                 "SEQUENCE SIZE [%ld]\n\nABORTING",
                                 f.inName, L(got), L(s)));
      break;
    }
    for (int64_t c = 0; c < copies; ++c) std::memcpy(rep.p + c * s, seq.p, static_cast<size_t>(s) * sizeof(float));
    if (!f.Write(rep.p, static_cast<size_t>(s * copies) * sizeof(float))) return OsiEnd::Failed;
    ++k;
  }
  if (f.report == 1)
    core_io::Warning(StrPrintf("SEQUENCE COADD FILE OPERATION\n\nSEQUENCES DUPLICATED=[%ld] OF SIZE=[%ld] BY [%ld] "
                               "TIMES & WRITTEN TO FILE=[%s]",
                               L(k), L(s), L(copies), f.outName));
  return k > 0 ? OsiEnd::Done : OsiEnd::NothingMade;  // no whole sequence to duplicate
}

OsiEnd OsiSeqCompare(OsiFrame& f) {
  static constexpr const char* kHead = "SEQUENCE COMPARE FILE OPERATION";
  const int32_t sl = f.slot;
  const char* refName = Cnv.Sub_Flnm[sl];
  const int32_t radius = Cnv.Cc_Rad[sl];
  int32_t len = 0;
  if (!SequenceLength(f, kHead, &len)) return OsiEnd::Failed;
  core_io::BinIn ref;
  if (!OpenReference(f, ref, kHead)) return OsiEnd::Failed;
  const int64_t refValues = static_cast<int64_t>(ref.SizeBytes() / 4);
  if (refValues < 1) {
    core_io::Warning(StrPrintf("%s\n\nREFERENCE FILE [%s] HOLDS NO VALUES\n\nABORTING", kHead, refName));
    return OsiEnd::Failed;
  }
  // The lags go to the reference's name with "cc", the moved sequences to the input's
  // with "ccf": both names must fit before anything is written.
  const std::string shiftName = std::string(refName) + "cc";
  const std::string corrName = std::string(f.inName) + "ccf";
  if (radius > 0 && (!core_io::NameFits(shiftName) || !core_io::NameFits(corrName))) return OsiEnd::Failed;
  core_io::BinOut shiftFile;
  if (radius > 0 && !shiftFile.Open(shiftName.c_str())) {
    core_io::Warning(StrPrintf("%s\n\nFAILED TO CREATE BINARY FILE [%s] FOR WRITING\n\nABORTING", kHead, shiftName.c_str()));
    return OsiEnd::Failed;
  }
  const int64_t most = f.n / refValues;
  OsiArray<float> seq;
  OsiArray<float> refSeq;
  OsiArray<float> shifts;
  OsiArray<double> squares;
  OsiArray<float> rms;
  const int64_t slots = most > 0 ? most : 1;
  if (!seq.Make(len) || !refSeq.Make(len) || (radius > 0 && !shifts.Make(slots)) || !squares.Make(slots) ||
      !rms.Make(slots)) {
    core_io::Error("OSIFile()\n\nSEQUENCE COMPARE FILE OPERATION\n\nf1_pt/f2_pt/d1_pt - CORE ALLOCATION ERROR");
    return OsiEnd::Failed;
  }
  if (!ReadReference(f, ref, kHead, len, refSeq.p)) return OsiEnd::Failed;
  const auto eof = [&](int64_t k, int64_t got) {
    core_io::Warning(StrPrintf("%s\n\nPREMATURE EOF IN [%s]\n\nSEQUENCES=[%ld]\nPOINTS READ IN LAST SEQUENCE "
                               "[%ld]=[%ld]\n\nCONTINUING",
                               kHead, f.inName, L(k), L(len), L(got)));
  };
  // Pass 1: the RMS difference and the best lag of every sequence.
  if (!f.Seek(f.lo * 4)) return OsiEnd::Failed;
  int64_t k = 0;
  for (int64_t p = f.lo; p < f.hi && k < most; p += len) {
    const int64_t got = f.ReadCount(seq.p, static_cast<size_t>(len), sizeof(float));
    if (got < 0) return OsiEnd::Failed;
    if (got < len) {
      eof(k, got);
      break;
    }
    double sq = 0.0;
    for (int32_t i = 0; i < len; ++i) {
      const float d = seq.p[i] - refSeq.p[i];
      sq += static_cast<double>(d) * static_cast<double>(d);
    }
    squares.p[k] = sq;
    if (radius > 0) {
      uint32_t index = static_cast<uint32_t>(radius);
      (void)CrossCorrArys(seq.p, refSeq.p, static_cast<uint32_t>(len), radius, 0.0, &index, nullptr);
      shifts.p[k] = static_cast<float>(index);
    }
    ++k;
  }
  for (int64_t j = 0; j < k; ++j) rms.p[j] = static_cast<float>(std::sqrt(squares.p[j] / len));
  if (k > 0 && !f.Write(rms.p, static_cast<size_t>(k) * sizeof(float))) return OsiEnd::Failed;
  // Without a whole sequence compared the output holds nothing.
  const OsiEnd end = k > 0 ? OsiEnd::Done : OsiEnd::NothingMade;
  if (radius <= 0) return end;

  const auto writeFailed = [&](const std::string& name) {
    core_io::Warning(StrPrintf("%s\n\nFAILED TO CREATE BINARY FILE=[%s] FOR WRITING\n\nABORTING", kHead, name.c_str()));
    return OsiEnd::Failed;
  };
  if ((k > 0 && !shiftFile.Write(shifts.p, static_cast<size_t>(k) * sizeof(float))) || !shiftFile.Commit())
    return writeFailed(shiftName);
  // Pass 2: the same sequences moved by their lags into the corrected file.
  core_io::BinOut corrected;
  if (!corrected.Open(corrName.c_str())) return writeFailed(corrName);
  if (!f.Seek(f.lo * 4)) return OsiEnd::Failed;
  for (int64_t j = 0; j < k; ++j) {
    const int64_t got = f.ReadCount(seq.p, static_cast<size_t>(len), sizeof(float));
    if (got < 0) return OsiEnd::Failed;
    if (got < len) {
      eof(j, got);
      break;
    }
    ShiftSequence(seq.p, len, static_cast<int64_t>(shifts.p[j]) - radius);
    if (!corrected.Write(seq.p, static_cast<size_t>(len) * sizeof(float))) return writeFailed(corrName);
  }
  if (!corrected.Commit()) return writeFailed(corrName);
  return end;
}

OsiEnd OsiSeqRatio(OsiFrame& f) {
  static constexpr const char* kHead = "SEQUENCE RATIO FILE OPERATION";
  int32_t len = 0;
  if (!SequenceLength(f, kHead, &len)) return OsiEnd::Failed;
  core_io::BinIn ref;
  if (!OpenReference(f, ref, kHead)) return OsiEnd::Failed;
  OsiArray<float> seq;
  OsiArray<float> refSeq;
  if (!seq.Make(len) || !refSeq.Make(len)) {
    core_io::Error("OSIFile()\n\nSEQRATIO\n\nf1_pt/f2_pt - CORE ALLOCATION ERROR");
    return OsiEnd::Failed;
  }
  if (!ReadReference(f, ref, kHead, len, refSeq.p)) return OsiEnd::Failed;
  if (!f.Seek(f.lo * 4)) return OsiEnd::Failed;
  for (int64_t p = f.lo; p < f.hi; p += len) {
    const int64_t got = f.ReadCount(seq.p, static_cast<size_t>(len), sizeof(float));
    if (got < 0) return OsiEnd::Failed;
    if (got < len) {
      // The ratios of the whole sequences before it stay.
      core_io::Warning(StrPrintf("%s\n\nPREMATURE EOF IN [%s]\n\nABORTING", kHead, f.inName));
      return OsiEnd::FailedKeep;
    }
    for (int32_t i = 0; i < len; ++i) seq.p[i] = refSeq.p[i] != 0.0f ? seq.p[i] / refSeq.p[i] : 0.0f;
    if (!f.Write(seq.p, static_cast<size_t>(len) * sizeof(float))) return OsiEnd::Failed;
  }
  return OsiEnd::Done;
}
