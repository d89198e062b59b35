// Operations of the file operation engine that combine the input with a second file:
// scalars from a position/scalar text file (2007), a second data file subtracted or
// multiplied (2014, 2074), the power file of the normalisation (2028), a linear or
// exponential function of each value from a function file (2052), and the mixing-ratio
// correction by a second data file (2053).
//
// Second data files are headerless float files read block by block in step with the
// input. When a block of the second file holds fewer or more values than the input's,
// the user decides: NO ends the operation as declined (nothing replaces any file),
// YES goes on with the smaller count, which ends the file.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "fileproc/FileOps.h"
#include "fileproc/OsiFrame.h"
#include "platform/kernel/Text.h"
#include "records/Cnl.h"
#include "records/Cnv.h"

namespace {

// Longest line read from the position/scalar and function text files.
constexpr size_t kTextLine = 499;

// A second data file with its block buffer.
class SecondFile {
 public:
  SecondFile() = default;
  ~SecondFile() { FFree1Dim(&buffer_); }
  SecondFile(const SecondFile&) = delete;
  SecondFile& operator=(const SecondFile&) = delete;

  bool Open(const char* name) {
    name_ = name;
    return in_.Open(name);
  }
  bool Allocate() { return !QvAllocFailed(FAlloc1Dim(&buffer_, OSI_BLOCK)); }
  // The next block of up to OSI_BLOCK values; -1 after a warning when the read failed.
  int64_t Next(const OsiFrame& f) {
    const size_t m = in_.Read(buffer_, OSI_BLOCK, sizeof(float));
    if (in_.Failed()) {
      core_io::Warning(StrPrintf("OSIFile()\n\nCASE ID=[%d]\n\nFAILED TO READ BINARY FILE [%s]\n\nABORTING", f.id,
                                 name_.c_str()));
      return -1;
    }
    return static_cast<int64_t>(m);
  }
  const float* Values() const { return buffer_; }

 private:
  core_io::BinIn in_;
  float* buffer_ = nullptr;
  std::string name_;
};

// Streams the whole input from point 0 with the second file in step: fn(v, w, count, p0)
// changes the count input values v (points p0 ..) with the second file's values w.
// sizeQuestion(n, m) gives the question asked when a block of the second file holds m
// values against the input's n.
template <class Question, class Fn>
OsiEnd StreamWithSecond(OsiFrame& f, SecondFile& second, Question sizeQuestion, Fn fn) {
  if (!f.Seek(0)) return OsiEnd::Failed;
  int64_t p = 0;
  for (;;) {
    int64_t n = f.ReadBlock(f.blkF, sizeof(float));
    if (n < 0) return OsiEnd::Failed;
    if (n == 0) break;
    const int64_t m = second.Next(f);
    if (m < 0) return OsiEnd::Failed;
    const bool inStep = m == n;
    if (!inStep) {
      if (!core_io::AskYesNo(sizeQuestion(n, m))) return OsiEnd::Declined;
      n = std::min(n, m);  // one of the two files ends here
    }
    fn(f.blkF, second.Values(), n, p);
    if (n > 0 && !f.Write(f.blkF, static_cast<size_t>(n) * sizeof(float))) return OsiEnd::Failed;
    p += n;
    if (!inStep) break;
  }
  // An empty second file leaves nothing of a file that holds values.
  return p > 0 || f.n == 0 ? OsiEnd::Done : OsiEnd::NothingMade;
}

// The size question of the normalisation and the mixing-ratio correction.
std::string SizeQuestion(const char* head, const char* inName, const char* secondName, int64_t difference) {
  return StrPrintf("%s\n\nFILE SIZES OF\n[%s] &\n[%s]\nARE DIFFERENT BY [%lld]\n\nCONTINUE [YES] | ABORT [NO]?", head,
                   inName, secondName, static_cast<long long>(difference));
}

// Up to want floating fields of a line, as "%lf%lf..." scans them: the number read, or
// -1 when the line holds nothing but blanks.
int32_t ScanDoubles(const std::string& line, double* values, int32_t want) {
  const char* p = line.c_str();
  int32_t got = 0;
  while (got < want && core_io::ScanDouble(p, &values[got])) ++got;
  if (got == 0 && line.find_first_not_of(" \t\r\n\v\f") == std::string::npos) return -1;
  return got;
}

// Output written through a staging buffer, so that short sequences do not cost one
// write each.
class StagedOutput {
 public:
  explicit StagedOutput(OsiFrame& f) : f_(f) {}
  bool Put(const float* values, size_t count) {
    data_.insert(data_.end(), values, values + count);
    return data_.size() < OSI_BLOCK || Flush();
  }
  bool Flush() {
    if (data_.empty()) return true;
    const bool ok = f_.Write(data_.data(), data_.size() * sizeof(float));
    data_.clear();
    return ok;
  }

 private:
  OsiFrame& f_;
  std::vector<float> data_;
};

}  // namespace

// ---- 2007: scalars from a position/scalar text file ----------------------------------------

OsiEnd OsiScaleToMarkers(OsiFrame& f) {
  const char* name = Cnl.Mks_Flnm;
  core_io::LineIn list(kTextLine);
  if (!list.Open(name)) {
    core_io::Warning(StrPrintf(
        "SCALE TO MARKER POSITION FILE OPERATION\n\nFAILED TO OPEN ASCII FILE [%s] FOR READING\n\nABORTING", name));
    return OsiEnd::Failed;
  }
  // Each line "position scalar" scales the points after the previous line's position
  // up to and including its own; the point after each listed position takes that
  // position's scaled value (a one-point hold), the last one included.
  int32_t position = 0;     // N: the position of the current line
  float held = 0.0f;        // h: the scaled value at the last position reached
  int64_t holdEnd = 0;      // E: the point up to which that value is held
  bool listEnded = false;   // every line has been read
  float& scalar = Cnv.Scalar[f.slot];
  if (!f.Seek(0)) return OsiEnd::Failed;
  int64_t p = 0;
  for (;;) {
    const int64_t k = f.ReadBlock(f.blkF, sizeof(float));
    if (k < 0) return OsiEnd::Failed;
    if (k == 0) break;
    for (int64_t i = 0; i < k; ++i, ++p) {
      if ((p == 0 || p > position) && !listEnded) {
        std::string line;
        if (!list.Next(line)) {
          listEnded = true;
        } else {
          const char* c = line.c_str();
          int32_t n = 0;
          double s = 0.0;
          if (!core_io::ScanLong(c, &n) || !core_io::ScanDouble(c, &s)) {
            core_io::Warning(StrPrintf(
                "SCALE TO FILE VALUES\n\nINCORRECT FILE FORMAT=[%s]\n\nFORMAT: POSITION  SCALAR\n\nABORTING", name));
            return OsiEnd::Failed;
          }
          position = n;
          scalar = static_cast<float>(s);
        }
      }
      if (p < f.lo || p >= f.hi) continue;
      float& v = f.blkF[i];
      v *= scalar;
      if (p == position) {
        held = v;
        holdEnd = static_cast<int64_t>(position) + 1;
      }
      // Past the last listed position the hold ends at that position + 1, as it does
      // after every other position.
      if ((p >= position && !listEnded) || (holdEnd > 0 && p <= holdEnd)) v = held;
    }
    if (!f.Write(f.blkF, static_cast<size_t>(k) * sizeof(float))) return OsiEnd::Failed;
  }
  return OsiEnd::Done;
}

// ---- 2014 subtract and 2074 multiply --------------------------------------------------------

OsiEnd OsiSubtractMultiply(OsiFrame& f, bool multiply) {
  int16_t variant = f.variant;
  if (!multiply && variant == 0)
    variant = core_io::AskYesNo(StrPrintf(
                  "SUBTRACT FILE OP\n\nSKIP REGIONS IN [%s] HAVING ZERO AMPLITUDE [YES] | USE ALL VALUES [NO]?",
                  f.inName))
                  ? 2
                  : 1;
  const char* secondName = Cnv.Sub_Flnm[f.slot];
  SecondFile second;
  if (!second.Open(secondName)) {
    core_io::Warning(StrPrintf(
        "MULTIPLY | SUBTRACT FILE OPERATION\n\nFAILED TO OPEN BINARY FILE [%s] FOR READING\n\nABORTING", secondName));
    return OsiEnd::Failed;
  }
  if (!second.Allocate()) {
    core_io::Error("OSIFile()\n\nMULTIPLY | SUBTRACT FILE OPERATION\n\nf1_pt - CORE ALLOCATION ERROR");
    return OsiEnd::Failed;
  }
  const float scalar = Cnv.Scalar[f.slot];
  if (multiply)
    core_io::Info(StrPrintf("MULTIPLY | SUBTRACT FILE OPERATION\n\nOVERALL SCALE FACTOR USED=[%f]",
                            static_cast<double>(scalar)));
  const int64_t lo = f.lo;
  const int64_t hi = f.hi;
  auto question = [&](int64_t n, int64_t m) {
    return StrPrintf(
        "MULTIPLY | SUBTRACT FILE OPERATION\n\nFILE SIZES OF\n[%s] &\n[%s] ARE DIFFERENT BY >[%lld]\n\nCONTINUE "
        "[YES] | ABORT [NO]",
        f.inName, secondName, static_cast<long long>(n - m));
  };
  return StreamWithSecond(f, second, question, [=](float* v, const float* w, int64_t n, int64_t p0) {
    const int64_t first = std::clamp<int64_t>(lo - p0, 0, n);
    const int64_t last = std::clamp<int64_t>(hi - p0, 0, n);
    for (int64_t i = first; i < last; ++i) {
      if (multiply) {
        v[i] = v[i] * w[i] * scalar;
      } else if (variant == 1 || (variant == 2 && v[i] != 0.0f)) {
        v[i] -= w[i];
      }
    }
  });
}

// ---- 2028: normalisation by the power file --------------------------------------------------

OsiEnd OsiNormalize(OsiFrame& f) {
  const char* powerName = Cnl.NrmPowFlnm;
  SecondFile power;
  if (!power.Open(powerName)) {
    core_io::Warning(StrPrintf("NORMALIZE\n\nFAILED TO OPEN BINARY FILE [%s] FOR READING\n\nABORTING", powerName));
    return OsiEnd::Failed;
  }
  if (!power.Allocate()) {
    core_io::Error("OSIFile()\n\nNORMALIZE\n\nf1_pt - CORE ALLOCATION ERROR");
    return OsiEnd::Failed;
  }
  const double vm = Cnl.NrmVm;
  const double vs = Cnl.NrmVs;
  const double vp = Cnl.NrmVp;
  const double vc = Cnl.NrmVc;
  const bool relative = Cnl.NrmRelative != 0;
  const bool inverted = Cnl.NrmInvCut != 0;

  // Absolute form: points whose power above its offset lies below the cut above that
  // offset (above it with the inverted cut) are zeroed.
  double cut = 0.0;
  if (!relative) {
    if ((!inverted && vc >= vp) || (inverted && vc <= vp)) {
      cut = vc - vp;
    } else if (vc != 0.0 && f.report == 1) {
      core_io::Info("CUT THRESHOLD IGNORED");
    }
  }
  int64_t zeroed = 0;
  int64_t points = 0;
  double sumSignal = 0.0;
  double sumNorm = 0.0;
  auto question = [&](int64_t n, int64_t m) { return SizeQuestion("NORMALIZE", f.inName, powerName, n - m); };
  const OsiEnd end = StreamWithSecond(f, power, question, [&](float* v, const float* w, int64_t n, int64_t) {
    for (int64_t i = 0; i < n; ++i) {
      const double s = v[i];
      const double pw = w[i];
      double q;
      double t = cut;
      if (relative) {
        q = pw * (1.0 - vp);
        t = ((!inverted && vc >= q) || (inverted && vc <= q)) ? vc - pw * vp : 0.0;
      } else {
        q = pw - vp;
      }
      if (q == 0.0 || (!inverted && q < t) || (inverted && q > t)) {
        v[i] = 0.0f;
        ++zeroed;
        continue;
      }
      const double norm = vm * (s - vs) / q;
      v[i] = static_cast<float>(norm);
      if (!relative) {
        sumSignal += s;
        sumNorm += norm;
      }
    }
    points += n;
  });
  if (end != OsiEnd::Done) return end;

  const std::string head = StrPrintf("NORMALIZE FILE OPERATION\n\nNORM FILE=[%s]\n\n", f.outName);
  if (zeroed == points) {
    core_io::Warning(head + StrPrintf("ALL DATA=[%lld] BELOW CUT & ZEROED\n\nCONTINUING", static_cast<long long>(zeroed)));
  } else if (f.report == 1 && sumNorm != 0.0) {
    core_io::Info(head + StrPrintf("NORM DATA ZEROED BELOW CUT=[%lld] OF [%lld]\n\nUNITY RATIO=[%lf]\nSCALAR         "
                                   "=[%lf]\n\nOFFSETS\nSIGNAL   =[%lf]\nPOWER   =[%lf]\nCUTOFF  =[%lf]",
                                   static_cast<long long>(zeroed), static_cast<long long>(points),
                                   vm * sumSignal / sumNorm, vm, vs, vp, cut));
  }
  return OsiEnd::Done;
}

// ---- 2052: a function of each value, expanded to a sequence ---------------------------------

OsiEnd OsiFunctionSequence(OsiFrame& f) {
  const int32_t seq = Cnv.Seq_Sz[f.slot];
  if (seq < 1) {
    core_io::Warning(
        StrPrintf("SCLOFS_FILE FILE OPERATION\n\nSEQ SZ=[%d] MUST BE 1 OR MORE\n\nABORTING", seq));
    return OsiEnd::Failed;
  }
  Cnv.Func_P1[f.slot] = Cnv.Func_P2[f.slot] = Cnv.Func_P3[f.slot] = 0.0;
  float* values = nullptr;
  if (QvAllocFailed(FAlloc1Dim(&values, static_cast<uint32_t>(seq)))) {
    core_io::Error("OSIFile()\n\nSCLOFS_FILE FILE OPERATION\n\nf1_pt - CORE ALLOCATION ERROR");
    return OsiEnd::Failed;
  }
  struct Release {
    float*& p;
    ~Release() { FFree1Dim(&p); }
  } release{values};

  const char* name = Cnv.Func_Flnm[f.slot];
  core_io::LineIn text(kTextLine);
  if (!text.Open(name)) {
    core_io::Warning(StrPrintf(
        "SCALE TO MARKER POSITION FILE OPERATION\n\nFAILED TO OPEN ASCII FILE [%s] FOR READING\n\nABORTING", name));
    return OsiEnd::Failed;
  }
  auto nextLine = [&text](std::string& line) {
    while (text.Next(line))
      if (!line.empty()) return true;
    return false;
  };

  // The function's name, then its parameters, each on the next line that is not empty.
  int32_t scanCount = 0;
  OsiEnd end = OsiEnd::Done;
  bool exponential = false;
  bool ready = false;
  std::string line;
  if (nextLine(line)) {
    const size_t b = line.find_first_not_of(" \t\r\n\v\f");
    if (b == std::string::npos) {
      scanCount = -1;
    } else {
      const size_t e = line.find_first_of(" \t\r\n\v\f", b);
      StrCopy(Cnv.Func_Type[f.slot], line.substr(b, e == std::string::npos ? std::string::npos : e - b).c_str());
      scanCount = 1;
    }
    const std::string type = scanCount == 1 ? Cnv.Func_Type[f.slot] : "";
    if (type != "LINEAR" && type != "EXPONENTIAL") {
      core_io::Warning(StrPrintf("SCALE & OFFSET FILE\n\nINCORRECT FUNCTION IN [%s]\n\nFUNCTION OPTIONS:\n   LINEAR | "
                                 "EXPONENTIAL\n\nABORTING",
                                 name));
      end = OsiEnd::Failed;
    } else if (nextLine(line)) {
      exponential = type == "EXPONENTIAL";
      double prm[3] = {0.0, 0.0, 0.0};
      const int32_t want = exponential ? 3 : 2;
      scanCount = ScanDoubles(line, prm, want);
      if (scanCount >= 1) Cnv.Func_P1[f.slot] = prm[0];
      if (scanCount >= 2) Cnv.Func_P2[f.slot] = prm[1];
      if (scanCount >= 3) Cnv.Func_P3[f.slot] = prm[2];
      if (scanCount == want) {
        ready = true;
      } else {
        core_io::Warning(exponential
                             ? StrPrintf("SCALE & OFFSET FILE\n\nINCORRECT FUNCTION PARAMETERS=[%s]\n\nFORMAT:\n   "
                                         "EXPONENTIAL: PRE EXP OFFSET\n\nABORTING",
                                         name)
                             : StrPrintf("SCALE & OFFSET FILE\n\nINCORRECT FUNCTION PARAMETERS IN [%s]\n\nFORMAT:\n   "
                                         "LINEAR: SLOPE INTERCEPT\n\nABORTING",
                                         name));
        end = OsiEnd::Failed;
      }
    }
  }

  if (ready) {
    const double p1 = Cnv.Func_P1[f.slot];
    const double p2 = Cnv.Func_P2[f.slot];
    const double p3 = Cnv.Func_P3[f.slot];
    StagedOutput out(f);
    if (!f.Seek(0)) return OsiEnd::Failed;
    for (;;) {
      const int64_t k = f.ReadBlock(f.blkF, sizeof(float));
      if (k < 0) return OsiEnd::Failed;
      if (k == 0) break;
      for (int64_t i = 0; i < k; ++i) {
        const double x = f.blkF[i];
        const float y = static_cast<float>(exponential ? p1 * std::exp(p2 * x) + p3 : p1 * x + p2);
        std::fill(values, values + seq, y);
        if (!out.Put(values, static_cast<size_t>(seq))) return OsiEnd::Failed;
      }
    }
    if (!out.Flush()) return OsiEnd::Failed;
  }
  if (scanCount != 2 && scanCount != 3) {
    core_io::Warning(StrPrintf("SCALE & OFFSET FILE\n\nINCORRECT FUNCTION PRMS IN [%s]\n   SCAN CT=[%d]\n\nABORTING",
                               name, scanCount));
    end = OsiEnd::Failed;
  }
  return end;
}

// ---- 2053: mixing-ratio correction ------------------------------------------------------------

OsiEnd OsiMixingRatio(OsiFrame& f) {
  const char* name = Cnv.MixRatio_Flnm[f.slot];
  SecondFile ratio;
  if (!ratio.Allocate()) {
    core_io::Error("OSIFile()\n\nMIXINGRATIO_FILE\n\nf1_pt - CORE ALLOCATION ERROR");
    return OsiEnd::Failed;
  }
  if (!ratio.Open(name)) {
    core_io::Warning(StrPrintf("MIXINGRATIO_FILE\n\nFAILED TO OPEN BINARY FILE [%s] FOR READING\n\nABORTING", name));
    return OsiEnd::Failed;
  }
  const double r = Cnv.MixRatio_Coef[f.slot];
  int64_t invalid = 0;
  int64_t points = 0;
  auto question = [&](int64_t n, int64_t m) { return SizeQuestion("MIXINGRATIO_FILE", f.inName, name, n - m); };
  const OsiEnd end = StreamWithSecond(f, ratio, question, [&](float* v, const float* x, int64_t n, int64_t) {
    for (int64_t i = 0; i < n; ++i) {
      const double d = 1.0 - x[i] * r;
      if (d > 0.0)
        v[i] = static_cast<float>(v[i] / d);
      else
        ++invalid;  // kept as read
    }
    points += n;
  });
  if (end == OsiEnd::Done && invalid == points)
    core_io::Warning(StrPrintf("MIXING RATIO INVALID DATA TOT=[%lld]\n\nORIGINAL DATA PRESERVED\n\nCONTINUING",
                               static_cast<long long>(invalid)));
  return end;
}
