// Sequence operations that cut every sequence by positions: 2036 integrates a comb of
// equally spaced teeth in each sequence (one value per tooth, the teeth's limits as a
// marker file, on request a text table of centre and integral); 2034 takes a band out
// of every sequence and spreads the bands over numbered piece files so that the band
// of sequence q lands at point startOff + q * A of its piece.
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "fileproc/FileOps.h"
#include "fileproc/OsiFrame.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Debug.h"
#include "records/Dsp.h"

namespace {

long L(int64_t v) { return static_cast<long>(v); }

// Rounds half up by truncating x + 0.5 towards zero.
int64_t R(double x) { return static_cast<int64_t>(x + 0.5); }

constexpr const char* kCombHead = "COMB INTG FILE OPERATION";

// The tooth table of 2036: written anew (HI negative) or appended to. The old table
// stays until the new one is committed.
bool OpenToothTable(const std::string& name, bool fresh, platform::TextFileWriter* table) {
  std::string old;
  if (!fresh) {
    std::ifstream in(platform::MapPath(name.c_str()), std::ios::binary);
    old.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (!table->Open(name.c_str()) || !table->Write(old)) {
    table->Abort();
    core_io::Warning(StrPrintf(fresh ? "%s\n\nFAILED TO OPEN ASCII MARKER POSITION FILE=[%s] FOR WRITING\n\nABORTING"
                                     : "%s\n\nFAILED TO OPEN ASCII MARKER POSITION FILE=[%s] FOR APPENDING\n\nABORTING",
                               kCombHead, name.c_str()));
    return false;
  }
  return true;
}

struct Comb {
  OsiFrame& f;
  int32_t s;
  int64_t w;
  double spacing;
  double lo;
  double hi;
  int64_t nInt;
  OsiArray<double> sums;
  OsiArray<float> seq;
  OsiArray<float> results;
  std::vector<int64_t> limits;
  int64_t t = 0;
  bool sumMode = false;
  std::vector<int64_t> counts;  // points of each tooth

  enum class Step { Next, Stop };

  // The teeth of the sequence at point p (got values); t is the last tooth.
  Step Teeth(int64_t p, int64_t got) {
    std::memset(sums.p, 0, static_cast<size_t>(nInt) * sizeof(double));
    counts.assign(static_cast<size_t>(nInt), 0);
    t = 0;
    double c = lo;
    int64_t count = 0;
    const int64_t full = 2 * w + 1;
    const int64_t end = R(static_cast<double>(w) + hi);
    for (int64_t i = 0; i < got && i <= end; ++i) {
      if (t >= nInt) break;
      const double di = static_cast<double>(i);
      if (R(di - lo) > 0 && R(di - lo + static_cast<double>(w)) == R(static_cast<double>(t + 1) * spacing) - 1) {
        if (count != full &&
            !core_io::AskYesNo(StrPrintf("%s\n\nINPUT FLNM=[%s]\n\nINTV=[%ld] & WINDOW LOW=[%lf]\n\nINTG LOOP=[%ld] NOT "
                                         "EQUAL TO INTG WINDOW SIZE=[%ld]\n\nADJUST WINDOW SIZE | LIMIITS\n\nCONTINUE "
                                         "[YES] | ABORT [NO]?",
                                         kCombHead, f.inName, L(t), lo, L(count), L(full))))
          break;
        count = 0;
        ++t;
        c = static_cast<double>(t) * spacing + lo;
        if (t >= nInt) break;
      }
      const int64_t a = R(c - static_cast<double>(w));
      const int64_t b = R(c + static_cast<double>(w));
      if (a <= i && i <= b) {
        sums.p[t] += static_cast<double>(seq.p[i]);
        ++count;
        ++counts[static_cast<size_t>(t)];
        if (i == a || i == b) limits.push_back(p + i);
      }
    }
    if (t == 0 && count != full &&
        !core_io::AskYesNo(StrPrintf("%s\n\nFLNM=[%s]\n\n[%ld] INTG SUM=[%ld] NOT EQUAL TO WINDOW SZ=[%ld]\n\nADJUST "
                                     "WINDOW SZ\n\nCONTINUE [YES] | ABORT [NO]?",
                                     kCombHead, f.inName, L(t), L(count), L(full))))
      return Step::Stop;
    if (t >= nInt) {
      core_io::Warning(StrPrintf("%s\n\nCOUNT=[%ld]>=INTERVAL TOT=[%ld]\n\nPROGRAM BUG\n\nABORTING", kCombHead, L(t),
                                 L(nInt)));
      return Step::Stop;
    }
    // The closing rule opens a tooth past the sequence's end when the last centre lies
    // within one spacing of it: a last tooth that holds no point is no tooth. Each
    // tooth's mean is taken over the points it holds (a cut last tooth holds fewer);
    // a lone tooth without points, accepted above, gives 0.
    if (t > 0 && count == 0) --t;
    for (int64_t j = 0; j <= t; ++j) {
      const int64_t held = counts[static_cast<size_t>(j)];
      results.p[j] = static_cast<float>(sumMode || held == 0 ? sums.p[j] : sums.p[j] / static_cast<double>(held));
    }
    return Step::Next;
  }
};

// ---- 2034 ---------------------------------------------------------------------------------

constexpr const char* kSplitHead = "SEQUENCE SPLIT FILE OPERATION";

// Inserts n zeros at the start (variant 1) or end (variant 2) of a piece file.
bool PadPiece(OsiFrame& f, const std::string& piece, int64_t n, int16_t variant) {
  Cnv.Pts_Ave[f.slot] = static_cast<int32_t>(n);
  if (n == 0) return true;
  char in[OSI_NAME_SIZE];
  char out[OSI_NAME_SIZE];
  StrCopy(in, piece.c_str());
  StrCopy(out, piece.c_str());
  return OSIFile(f.slot, f.chn, OSI_ADDSECT, in, out, variant, 0, 0) == 1;
}

// The third integers of the missing-step table, one per line. False after a box.
bool ReadStepTable(const char* name, std::vector<int32_t>* counts) {
  core_io::LineIn lines(499);
  if (!lines.Open(name)) {
    core_io::Warning(StrPrintf("%s\n\nFAILED TO OPEN ASCII FILE [%s] FOR READING\n\nABORTING", kSplitHead, name));
    return false;
  }
  std::string line;
  while (lines.Next(line)) {
    const char* q = line.c_str();
    int32_t a = 0, b = 0, c = 0;
    if (!core_io::ScanLong(q, &a) || !core_io::ScanLong(q, &b) || !core_io::ScanLong(q, &c)) {
      core_io::Error(StrPrintf("BBMWSEQSPLITSEQ()\n\nIN FILE=[%s], THIRD COLUMN MISSING IN LINE=\n%s", name, line.c_str()));
      return false;
    }
    counts->push_back(c);
  }
  return true;
}

bool AppendBand(const std::string& piece, const float* band, int64_t n) {
  const int fd = ::open(platform::MapPath(piece.c_str()).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  bool ok = fd >= 0;
  const size_t bytes = static_cast<size_t>(n) * sizeof(float);
  if (ok) ok = ::write(fd, band, bytes) == static_cast<ssize_t>(bytes);
  if (fd >= 0 && ::close(fd) != 0) ok = false;
  if (!ok)
    core_io::Error(StrPrintf("OSIFile()\n\n%s\n\nFAILED TO OPEN BINARY FILE=[%s] FOR APPENDING\n\nABORTING", kSplitHead,
                             piece.c_str()));
  return ok;
}

}  // namespace

OsiEnd OsiCombIntegrate(OsiFrame& f) {
  const int32_t sl = f.slot;
  if (f.n == 0) {
    core_io::Warning(StrPrintf("%s\n\nINPUT FILE=[%s] HAS ZERO LENGTH\n\nABORTING", kCombHead, f.inName));
    return OsiEnd::Failed;
  }
  const int32_t s = Cnv.Seq_Sz[sl];
  const double spacing = Cnv.Comb_Spacing[sl];
  // Without a sequence or a spacing there are no teeth to count.
  if (s < 1 || !(spacing > 0.0)) {
    core_io::Warning(StrPrintf("%s\n\nSEQ SZ=[%ld] | COMB SPACING=[%lf] NOT POSITIVE\n\nABORTING", kCombHead, L(s), spacing));
    return OsiEnd::Failed;
  }
  const bool sumMode = Cnv.Comb_Width[sl] < 0;
  Cnv.Comb_Width[sl] = std::abs(Cnv.Comb_Width[sl]);
  const int64_t w = Cnv.Comb_Width[sl];
  double& lo = Cnv.Intg_WinLo[sl];
  double& hi = Cnv.Intg_WinHi[sl];
  platform::TextFileWriter table;
  bool tableOpen = false;
  const std::string tableName = std::string(f.inName) + ".txt";
  // The limits become the current marker file under the output name with ".mks";
  // that name and the table's must fit before anything is written.
  const std::string mks = std::string(f.outName) + ".mks";
  if (!core_io::NameFits(mks, sizeof Cnl.Mks_Flnm) || ((lo < 0.0 || hi < 0.0) && !core_io::NameFits(tableName)))
    return OsiEnd::Failed;
  if (lo < 0.0 || hi < 0.0) {
    tableOpen = OpenToothTable(tableName, hi < 0.0, &table);
    lo = std::fabs(std::trunc(lo));
    hi = std::fabs(std::trunc(hi));
  }
  if (f.report == 1 &&
      !core_io::AskYesNo(StrPrintf("%s\n\nCOMB SPACING=[%lf]\nINTEGRAND REGION SIZE(2*WIDTH+1)=[%ld]\nFILE START "
                                   "POSITION=[%ld]\n\nCONTINUE [YES] | ABORT [NO]",
                                   kCombHead, spacing, L(2 * w + 1), L(R(static_cast<double>(f.lo) + lo - w)))))
    return OsiEnd::Declined;
  const double teeth = (hi - lo) / spacing + 2.0;
  const int64_t nInt = teeth >= 1.0 && teeth < 1e9 ? static_cast<int64_t>(teeth) : 0;
  const int64_t nLim = (f.n / s) * 2 * nInt;
  Comb c{f, s, w, spacing, lo, hi, nInt, {}, {}, {}, {}, 0, sumMode, {}};
  if (!c.sums.Make(nInt) || !c.seq.Make(s) || !c.results.Make(nInt)) {
    core_io::Error(StrPrintf("OSIFile()\n\nCOMB INTEGRATE FILE OPERATION\n\nINPUT FLNM=[%s]\n\nd1_pt[%ld]/f1_pt[%ld]/"
                             "f2_pt[%ld]/l1_pt[%ld] - CORE ALLOCATION ERROR",
                             f.inName, L(nInt), L(s), L(nInt), L(nLim)));
    return OsiEnd::Failed;
  }
  const int64_t width = R(hi - lo);
  if (width > s) {
    core_io::Warning(StrPrintf("%s\n\nINPUT FLNM=[%s]\n\nWINDOW SIZE=[%ld] LARGER THAN SEQ SIZE=[%ld]\n\nRESET TO SEQ "
                               "SIZE\n\nCONTINUING",
                               kCombHead, f.inName, L(width), L(s)));
    lo = 0.0;
    hi = s;
    c.lo = lo;
    c.hi = hi;
  }
  if (!f.Seek(f.lo * 4)) return OsiEnd::Failed;
  int64_t k = 0;
  bool stop = false;  // a NO to the window-size question or the tooth-count check
  for (int64_t p = f.lo; p < f.hi; p += s) {
    const int64_t got = f.ReadCount(c.seq.p, static_cast<size_t>(s), sizeof(float));
    if (got < 0) return OsiEnd::Failed;
    if (got < s) {
      core_io::Warning(StrPrintf("%s\n\nINPUT FLNM=[%s]\n\nPREMATURE EOF\n\nSEQ TOTAL=[%ld]\n\nREAD EXPECTED=[%ld] NOT "
                                 "EQUAL TO ACTUAL=[%ld]\n\nCONTINUING",
                                 kCombHead, f.inName, L(k), L(s), L(got)));
      break;
    }
    if (c.Teeth(p, got) == Comb::Step::Stop) {
      stop = true;
      break;
    }
    if (!f.Write(c.results.p, static_cast<size_t>(c.t + 1) * sizeof(float))) return OsiEnd::Failed;
    ++k;
  }
  if (f.stopped) return OsiEnd::Failed;
  // A stop fails the call, keeping the sequences integrated before it; a run without a
  // whole sequence made nothing. Either way an input named as the output stays, and
  // with it the marker-file name: no limit file or tooth table is written for it.
  const OsiEnd end = stop ? OsiEnd::FailedKeep : k > 0 ? OsiEnd::Done : OsiEnd::NothingMade;
  if (end != OsiEnd::Done && f.ownInput) {
    if (tableOpen) table.Abort();
    return end;
  }

  // The limits as the current marker file.
  StrCopy(Cnl.Mks_Flnm, mks.c_str());
  platform::TextFileWriter marks;
  bool marksOk = marks.Open(mks.c_str());
  for (size_t i = 0; marksOk && i < c.limits.size(); ++i) marksOk = marks.Printf("%ld\n", L(c.limits[i]));
  if (!marksOk || !marks.Commit()) {
    marks.Abort();
    core_io::Warning(StrPrintf("%s\n\nFAILED TO CREATE POSITION FILE=[%s] FOR WRITING\n\nABORTING", kCombHead, mks.c_str()));
  } else if (c.limits.size() % 2 != 0) {
    core_io::Warning(StrPrintf("%s\n\nPOSITION FLNM=[%s]\n\nUNEVEN NUMBER OF LIMITS=[%ld]", kCombHead, mks.c_str(),
                               L(static_cast<int64_t>(c.limits.size()))));
  }
  if (tableOpen) {
    const int64_t pairs = static_cast<int64_t>(c.limits.size() / 2);
    if (c.t + 1 != pairs) {
      table.Abort();
      core_io::Warning(StrPrintf("%s\n\n[%s] X:Y FILE NOT WRITTEN\n\nINTEGRALS=[%ld] != LIMITS/2=[%ld]", kCombHead,
                                 tableName.c_str(), L(c.t + 1), L(pairs)));
    } else {
      bool ok = true;
      for (int64_t j = 0; ok && j <= c.t; ++j)
        ok = table.Printf("%lf %lf\n",
                          static_cast<double>(c.limits[static_cast<size_t>(2 * j)] + c.limits[static_cast<size_t>(2 * j + 1)]) * 0.5,
                          static_cast<double>(c.results.p[j]));
      if (!ok || !table.Commit())
        core_io::Warning(StrPrintf("%s\n\nFAILED TO OPEN ASCII MARKER POSITION FILE=[%s] FOR WRITING\n\nABORTING",
                                   kCombHead, tableName.c_str()));
    }
  }
  return end;
}

OsiEnd OsiSeqSplit(OsiFrame& f) {
  const int32_t sl = f.slot;
  const int64_t s = Cnv.Seq_Sz[sl];
  const double step = Dsp.Frq_Stp;
  std::vector<int32_t> rows;
  const bool withTable = Cnv.SeqTbl_Flnm[0] != '\0';
  int64_t missing = 0;
  int64_t hi = f.hi;
  if (withTable) {
    if (!ReadStepTable(Cnv.SeqTbl_Flnm, &rows)) return OsiEnd::Failed;
    for (int32_t r : rows) missing += r;
  }
  const bool reversed = Cnv.Split_BandWidth < 0.0;
  Cnv.Split_BandWidth = std::fabs(Cnv.Split_BandWidth);
  // Positions are whole points of the frequency step; a step of 0 gives none.
  if (step == 0.0 || s < 1) {
    core_io::Warning(StrPrintf("%s\n\nFRQ STP=[%lf] | SEQ SZ=[%ld] ZERO\n\nABORTING", kSplitHead, step, L(s)));
    return OsiEnd::Failed;
  }
  const int64_t a = R(Cnv.Split_SegStp / step);
  const int64_t b = R(Cnv.Split_BandCtr / step);
  const int64_t wb = R(Cnv.Split_BandWidth / step);
  const int64_t gap = R(Cnv.Split_CtrGap / step * 0.5);
  if (f.report == 1)
    core_io::Info(StrPrintf("%s\n\nSEQUENCE RANGE\t=[%lf]\nFRQ STP\t\t=[%lf]\nSEGMENT STP\t=[%lf]\nBAND CTR\t=[%lf]\nBANDWIDTH\t=[%lf]\nBANDCTRGAP\t=[%lf]",
                            kSplitHead, static_cast<double>(s) * step, step, static_cast<double>(a) * step,
                            static_cast<double>(b) * step, static_cast<double>(wb) * step,
                            static_cast<double>(gap) * step));
  if (a < 1 || wb < 1) {
    core_io::Warning(StrPrintf("%s\n\nSEGMENT STP=[%ld] | BANDWIDTH=[%ld] POINTS < 1\n\nABORTING", kSplitHead, L(a), L(wb)));
    return OsiEnd::Failed;
  }
  const int64_t half = wb / 2;
  // A reversed band of odd width reaches one point below B - Wb/2.
  const int64_t first = reversed ? b + half - wb : b - half;
  if (first < 0 || b + half >= s) {
    core_io::Warning(StrPrintf("%s\n\nEXTRACTED REGION [%lf] TO [%lf] MUST BE WITHIN RANGE OF SEQUENCE [%lf] TO "
                               "[%lf]\n\nABORTING",
                               kSplitHead, static_cast<double>(b - half) * step, static_cast<double>(b + half) * step, 0.0,
                               static_cast<double>(s - 1) * step));
    return OsiEnd::Failed;
  }
  const int64_t nSeg = static_cast<int64_t>(static_cast<double>(wb) / static_cast<double>(a) + 0.999);
  const int64_t startOff = b - half;
  const int64_t extra = nSeg * a - wb;
  hi += s * missing;
  OsiArray<float> seq;
  OsiArray<float> band;
  if (!seq.Make(s) || !band.Make(wb)) {
    core_io::Error(StrPrintf("OSIFile()\n\n%s\n\nf1_pt/f2_pt - CORE ALLOCATION ERROR", kSplitHead));
    return OsiEnd::Failed;
  }
  // The pieces are named by the output name with their number: the highest must fit
  // before any piece is made.
  if (!core_io::NameFits(std::string(f.outName) + StrPrintf("%03ld", L(nSeg - 1)), OSI_NAME_SIZE))
    return OsiEnd::Failed;
  if (!f.Seek(f.lo * 4)) return OsiEnd::Failed;

  std::vector<std::string> pieces;
  std::vector<int64_t> lengths;  // points written to each piece
  for (int64_t k = 0; k < nSeg; ++k) {
    const std::string piece = std::string(f.outName) + StrPrintf("%03ld", L(k));
    const int fd = ::open(platform::MapPath(piece.c_str()).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0 || ::close(fd) != 0) {
      core_io::Error(StrPrintf("OSIFile()\n\n%s\n\nFAILED TO CREATE BINARY FILE [%s] FOR WRITING\n\nABORTING", kSplitHead,
                               piece.c_str()));
      return OsiEnd::Failed;
    }
    pieces.push_back(piece);
    lengths.push_back(startOff + k * a);
    if (!PadPiece(f, piece, startOff + k * a, 1)) return OsiEnd::Failed;
    if (k < CNV_CHN) StrCopy(Cnv.Out_Flnm[sl][k], piece.c_str());
  }

  bool ok = true;
  int64_t k = 0;
  size_t row = 0;
  int64_t inserted = 0;
  int64_t rounds = 0;
  int64_t sequences = 0;  // rounds of one sequence each, skipped ones too
  for (int64_t p = f.lo; ok && p < hi; ++sequences) {
    bool zeroBand = false;
    if (withTable) {
      if (row >= rows.size()) {
        core_io::Warning(StrPrintf("%s\n\nFRQSTP TOT EXCEEDED\n\nCHECK TXT FILE & BIN FILE LENGTHS\n\nCONTINUING",
                                   kSplitHead));
        p += s;
        ++k;
        ++row;
        continue;
      }
      int32_t& left = rows[row];
      if (left != 0) {
        zeroBand = true;
        std::memset(seq.p, 0, static_cast<size_t>(s) * sizeof(float));
        core_io::Info(StrPrintf("%s\n\nTOTAL FRQ STP=[%ld]\nCURRENT FRQ STP=[%ld]\nBLK STPS REMAINING=[%ld]\nTOTAL BLK "
                                "STPS ADDED=[%ld]",
                                kSplitHead, L(static_cast<int64_t>(rows.size())), L(static_cast<int64_t>(row)), L(left),
                                L(inserted + 1)));
        --left;
        ++inserted;
        if (inserted > missing)
          core_io::Warning(StrPrintf("%s\n\nMISS FRQSTP TOT EXCEEDED\n\nCONTINUING", kSplitHead));
      }
    }
    // A full round of pieces is closed with its pad. Rounds skipped past the table's
    // end come before it: k then runs on past nSeg, as the closing pads count it.
    if (k == nSeg) {
      Cnv.Pts_Ave[sl] = static_cast<int32_t>(extra);
      for (int64_t c = 0; ok && extra != 0 && c < nSeg; ++c) ok = PadPiece(f, pieces[static_cast<size_t>(c)], extra, 2);
      if (!ok) break;
      for (int64_t& n : lengths) n += extra;
      k = 0;
      ++rounds;
    }
    if (!zeroBand) {
      const int64_t got = f.ReadCount(seq.p, static_cast<size_t>(s), sizeof(float));
      if (got < 0) return OsiEnd::Failed;
      if (got < s) {
        core_io::Warning(StrPrintf("%s\n\nPREMATURE EOF IN [%s] - READ:EXPECTED=[%ld]:[%ld]\n\nCHECK SEQ SIZE - SHOULD BE "
                                   "TIME DOMAIN LENGTH/2+1\n\nABORTING",
                                   kSplitHead, f.inName, L(got), L(s)));
        if (f.limited)
          core_io::Warning(StrPrintf("%s\n\nFILE REGION DELIMITED\n\nCHECK MARKED REGION TOO\n\nABORTING", kSplitHead));
        ok = false;
        break;
      }
    }
    // The centre gap, kept inside the sequence.
    for (int64_t i = 0; i < gap; ++i) {
      if (b - i >= 0) seq.p[b - i] = 0.0f;
      if (b + i < s) seq.p[b + i] = 0.0f;
    }
    for (int64_t i = 0; i < wb; ++i) band.p[i] = reversed ? seq.p[b + half - 1 - i] : seq.p[b - half + i];
    if (!AppendBand(pieces[static_cast<size_t>(k)], band.p, wb)) {
      ok = false;
      break;
    }
    lengths[static_cast<size_t>(k)] += wb;
    p += s;
    ++k;
    if (!zeroBand) ++row;
  }
  if (Debug.DebugLevel == DEBUG_TOPIC_FILEOPS)
    DebugPrintf("FULL=%ld STPSZ=%ld WRT_PTS=%ld  BEG_PTS=%ld  END_PTS=%ld  FL_NO=%ld", L(rounds), L(a), L(wb),
                L(startOff), L(extra), L(k));
  // The closing pads end every piece at the band of the last sequence plus startOff:
  // (k - 1 - c) A for a piece that holds a band of the last round, Wb - (c - (k - 1)) A
  // for one that does not. Counted from what each piece holds, so that a round skipped
  // past the table's end, which writes no band, counts as well.
  const int64_t length = 2 * startOff + wb + (sequences - 1) * a;
  for (int64_t c = 0; ok && c < nSeg; ++c) {
    const int64_t n = length - lengths[static_cast<size_t>(c)];
    if (Debug.DebugLevel == DEBUG_TOPIC_FILEOPS)
      DebugPrintf("CNT=%ld FL_NO=%ld  NUM OF STPS ADDED=%ld", L(c), L(k), L(n - startOff));
    if (n > 0) ok = PadPiece(f, pieces[static_cast<size_t>(c)], n, 2);
  }
  for (int c = 0; c < CNV_CHN; ++c) Cnv.Cnv_Stat[c] = c < nSeg ? 1u : 0u;
  if (ok)
    core_io::Info(StrPrintf("SPLIT & OVERLAP SPECTRA\n\nSEQUENCE FILES CREATED=[%ld] WITH BASE NAME=[%s]\n\nINPUT "
                            "FLNM=[%s]",
                            L(nSeg), f.outName, f.inName));
  if (withTable && row != rows.size())
    core_io::Warning(StrPrintf("%s\n\nTXT FILE SZ != BIN FILE SEQ SZ", kSplitHead));
  return ok ? OsiEnd::Done : OsiEnd::Failed;
}
