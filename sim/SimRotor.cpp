#include "sim/SimRotor.h"

#include <string>

#include "core/TypedArrays.h"
#include "platform/kernel/Files.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "records/OrvPrm.h"
#include "records/Sim.h"
#include "records/Win.h"
#include "sim/SimIo.h"

using core_io::Error;
using core_io::StatusText;
using core_io::Warning;
using simio::ReadArray;
using simio::WriteArray;

namespace {

constexpr uint64_t kTriple = 2 + 8 + 8;  // i16 status, f64 value, f64 standard deviation

// A typed array released on every way out.
template <class T>
struct Owned {
  using FreeFn = void (*)(T**);
  explicit Owned(FreeFn f) : release(f) {}
  ~Owned() { release(&p); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  T* p = nullptr;
  FreeFn release;
};

template <class T, class F>
bool Make(Owned<T>& a, uint64_t n, F alloc) {
  return n > 0 && n <= 0xFFFFFFFFull && !QvAllocFailed(alloc(&a.p, static_cast<uint32_t>(n)));
}

void InfoError(const std::string& text) { MessageBox(Win.hWnd_Main, text.c_str(), "Info", core_io::kErrorStyle); }

template <class T>
T ReadOne(core_io::BinIn& in, bool* ok) {
  T value{};
  if (ReadArray(in, &value, 1) != 1) *ok = false;
  return value;
}

}  // namespace

int32_t SimFIVersionTest(const VavOde& header, core_io::BinIn* prm) {
  if (!prm) return 0;
  const int32_t lines = header.Get<int32_t, vav::kLines>();
  const uint64_t size = prm->SizeBytes();
  int32_t found = 0;
  for (int32_t n : {22, 15, 11, 9}) {
    const uint64_t at = 2 + 2 * static_cast<uint64_t>(n) * kTriple + kTriple;
    if (at + 12 > size) continue;
    prm->Seek(at);
    bool ok = true;
    const int32_t count = ReadOne<int32_t>(*prm, &ok);
    if (ok && count == lines) {
      found = n;
      break;
    }
  }
  prm->Seek(0);
  return found;
}

namespace {

// What the conversion gathers from the rotor program's files for the simulation file;
// the arrays are released on every way out.
struct Gathered {
  Gathered(uint64_t lines, bool withFm) : n(lines), fm(withFm) {
    VavOde def;
    VavOdeDefault(&def);
    VavOdeInit(&h, &def);
  }
  const uint64_t n;
  const bool fm;  // frequency-modulation labels beside the quantum numbers
  VavOde h;
  Owned<double> simErg{DFree1Dim}, expErg{DFree1Dim};
  Owned<float> itn{FFree1Dim}, fmLbl{FFree1Dim};
  Owned<char> bt{CFree1Dim};
  Owned<int16_t> jkk{SFree1Dim}, fmRaw{SFree1Dim};
  int32_t oneState = 0;
  int32_t nd = 0, fitted = 0, covCount = 0;
  Owned<double> cov{DFree1Dim};
  bool dvs = false;
  Owned<double> dev{DFree1Dim};
  bool temp = false;
  int64_t levels = 0;
  Owned<double> ergs[2] = {Owned<double>(DFree1Dim), Owned<double>(DFree1Dim)};
  Owned<int32_t> idx[2] = {Owned<int32_t>(LFree1Dim), Owned<int32_t>(LFree1Dim)};
};

// The line arrays of the ".f" file and the quantum numbers (and FM labels) of the ".q"
// file; false after the allocation error.
bool ReadLineFiles(core_io::BinIn& f, core_io::BinIn& q, Gathered& g) {
  const uint64_t n = g.n;
  if (!Make(g.simErg, n, DAlloc1Dim) || !Make(g.expErg, n, DAlloc1Dim) || !Make(g.itn, n, FAlloc1Dim) ||
      !Make(g.bt, n, CAlloc1Dim) || !Make(g.jkk, 6 * n, SAlloc1Dim) ||
      (g.fm && (!Make(g.fmLbl, 2 * n, FAlloc1Dim) || !Make(g.fmRaw, 2 * n, SAlloc1Dim)))) {
    Error("SimFI2QVS()/Sim_Erg/Exp_Erg/Sim_Itn/BT_Lbl/Jkk_Lbl\n\nCORE ALLOCATION ERROR");
    return false;
  }
  ReadArray(f, g.simErg.p, n);
  ReadArray(f, g.expErg.p, n);
  ReadArray(f, g.itn.p, n);
  ReadArray(f, g.bt.p, n);
  ReadArray(q, g.jkk.p, 6 * n);
  if (g.fm) {
    ReadArray(q, g.fmRaw.p, 2 * n);
    for (uint64_t i = 0; i < 2 * n; ++i) g.fmLbl.p[i] = static_cast<float>(g.fmRaw.p[i]);
  }
  f.Close();
  q.Close();
  return true;
}

// The noPrm constants of both states and the origin into the header, with the counts of
// active and fitted constants; a set with an excited state asks whether it is one.
void ReadConstants(core_io::BinIn& p, int32_t noPrm, const std::string& base, Gathered& g) {
  VavOde& h = g.h;
  bool ok = true;
  h.Put<int16_t, vav::kPrmFirst>(ReadOne<int16_t>(p, &ok));
  h.Put<int32_t, vav::kOrvNoPrm>(noPrm);
  int32_t ndStates[2] = {0, 0}, fitStates[2] = {0, 0};
  for (int s = 0; s < SIM_STATES; ++s) {
    for (int k = 0; k < noPrm; ++k) {
      const int16_t status = ReadOne<int16_t>(p, &ok);
      const double value = ReadOne<double>(p, &ok);
      const double sd = ReadOne<double>(p, &ok);
      const size_t slot = static_cast<size_t>(s) * vav::kSlotsPerState + static_cast<size_t>(k);
      h.Put<int32_t>(vav::kRcDevStat + 4 * slot, status);
      h.Put<double>(vav::kRcVal + 8 * slot, value);
      h.Put<double>(vav::kRcStdDev + 8 * slot, sd);
      if (s == SIM_EXC && k == 0) {
        if (value == 0.0)
          g.oneState = 1;
        else
          g.oneState = core_io::AskYesNo(StrPrintf("IS SIM [%s] CALCULATED FOR GROUND STATE ONLY?", base.c_str())) ? 1 : 0;
      }
      if (status == 1) {
        ndStates[s]++;
        if (sd != 0.0) fitStates[s]++;
      }
    }
  }
  g.nd = ndStates[SIM_GND] + (g.oneState ? 0 : ndStates[SIM_EXC]);
  g.fitted = fitStates[SIM_GND] + (g.oneState ? 0 : fitStates[SIM_EXC]);
  const size_t origin = vav::kSlotsPerState + static_cast<size_t>(noPrm);
  const int16_t status = ReadOne<int16_t>(p, &ok);
  const double value = ReadOne<double>(p, &ok);
  const double sd = ReadOne<double>(p, &ok);
  if (g.oneState) {
    h.Put<int32_t>(vav::kRcDevStat + 4 * origin, 0);
    h.Put<double>(vav::kRcVal + 8 * origin, 0.0);
    h.Put<double>(vav::kRcStdDev + 8 * origin, 0.0);
  } else {
    h.Put<int32_t>(vav::kRcDevStat + 4 * origin, status);
    h.Put<double>(vav::kRcVal + 8 * origin, value);
    h.Put<double>(vav::kRcStdDev + 8 * origin, sd);
    if (sd != 0.0) g.fitted++;
  }
}

// The ".p" file: its version found by the line count, the constants, the assigned
// lines and rms, and with more than 15 constants the covariance matrix of the fitted
// ones. False after an allocation error.
bool ReadParameterFile(core_io::BinIn& p, const std::string& base, Gathered& g) {
  VavOde& h = g.h;
  const int32_t noPrm = SimFIVersionTest(h, &p);
  StatusText(3, StrPrintf("ORV_NOPRM=%d", noPrm));
  if (noPrm == 0) {
    p.Close();
    InfoError("SimFI2QVS()\n\nUNKNOWN VERION OF PRM FILE\n\nCONTINUING");
    return true;
  }
  ReadConstants(p, noPrm, base, g);
  bool ok = true;
  ReadOne<int32_t>(p, &ok);  // line count, tested by the version test
  h.Put<int32_t, vav::kAsnLines>(ReadOne<int32_t>(p, &ok));
  h.Put<float, vav::kRms>(ReadOne<float>(p, &ok));
  if (noPrm > 15) {
    h.PutText(vav::kSimType, vav::kSimTypeLen, "ORV v3.0");
    g.covCount = g.fitted * g.fitted;
    if (g.covCount == 0) {
      StatusText(2, StrPrintf("COVARIANCE MATRIX SIZE=[%d]", g.covCount));
    } else if (!Make(g.cov, static_cast<uint64_t>(g.covCount), DAlloc1Dim)) {
      Error("SimFI2QVS()/CovMat\n\nCORE ALLOCATION ERROR");
      return false;
    } else if (ReadArray(p, g.cov.p, static_cast<size_t>(g.covCount)) != static_cast<size_t>(g.covCount)) {
      // A short matrix is not carried into the simulation file.
      core_io::Info("COVARIANCE MATRIX WRONG SIZE\n\nCONTINUING");
      g.covCount = 0;
    }
  } else {
    h.PutText(vav::kSimType, vav::kSimTypeLen, "ORV v2.0");
    g.covCount = 0;
  }
  p.Close();
  return true;
}

// The ".d" file of derivatives, taken only when it holds nd of them for every line;
// false after an allocation error.
bool ReadDerivativeFile(core_io::BinIn& d, const std::string& base, Gathered& g) {
  const uint64_t want = g.n * static_cast<uint64_t>(g.nd);
  if (d.SizeBytes() != want * 8) {
    g.dvs = false;
    InfoError(StrPrintf("SIM [%s] HAS INCORRECT NUMBER OF DERIVATIVES\n\nRERUN Orv95.exe TO USE TRACKBARS", base.c_str()));
  } else if (want > 0) {
    if (!Make(g.dev, want, DAlloc1Dim)) {
      Error("SimFI2QVS()/Dvs\n\nCORE ALLOCATION ERROR");
      return false;
    }
    g.dvs = ReadArray(d, g.dev.p, want) == want;
  }
  d.Close();
  return true;
}

// The ".i" file of level energies and indexes (of the excited state too with one
// state); false after an allocation error.
bool ReadLevelFile(core_io::BinIn& lev, Gathered& g) {
  const uint64_t n = g.n;
  const int64_t size = static_cast<int64_t>(lev.SizeBytes());
  const int64_t lines = static_cast<int64_t>(n);
  g.levels = g.oneState ? (size - 8 * lines) / 16 : (size - 4 * lines) / 8;
  if (g.levels <= 0 || g.levels > 0x7FFFFFFF) {
    Warning("ITN FILE CORRUPTED\n\nRERUN Orv95.exe TO USE TRACKBARS");
    g.levels = 0;
  } else {
    g.temp = true;
    for (int s = 0; s < (g.oneState ? 2 : 1) && g.temp; ++s) {
      if (!Make(g.ergs[s], static_cast<uint64_t>(g.levels), DAlloc1Dim) || !Make(g.idx[s], n, LAlloc1Dim)) {
        Error(s == 0 ? "SimFI2QVS()/HamErg_Vector/Erg_Idx[GND]\n\nCORE ALLOCATION ERROR"
                     : "SimFI2QVS()/HamErg_Vector/Erg_Idx[EXC]\n\nCORE ALLOCATION ERROR");
        return false;
      }
      const bool whole = ReadArray(lev, g.ergs[s].p, static_cast<size_t>(g.levels)) == static_cast<size_t>(g.levels) &&
                         ReadArray(lev, g.idx[s].p, n) == n;
      if (!whole) {
        g.temp = false;
        Warning(s == 0 ? "ITN FILE CORRUPTED\n\nRERUN Orv95.exe TO USE TRACKBARS"
                       : "EXCITED STATE ERGS NOT FOUND\n\nRUN Orv95.exe WITH SET ONE STATE STAT CHECKED");
      }
    }
    if (g.temp) g.h.Put<int32_t, vav::kLevels>(static_cast<int32_t>(g.levels));
  }
  lev.Close();
  return true;
}

// The simulation file goes through a temporary file, so a failed write leaves any old
// one; false after the failure is shown.
bool WriteSimulationFile(const std::string& qvs, const Gathered& g) {
  const uint64_t n = g.n;
  core_io::BinOut out;
  bool ok = out.Open(qvs.c_str());
  ok = ok && out.Write(g.h.data(), g.h.size()) && WriteArray(out, g.simErg.p, n) && WriteArray(out, g.expErg.p, n) &&
       WriteArray(out, g.itn.p, n) && WriteArray(out, g.bt.p, n) && WriteArray(out, g.jkk.p, 6 * n);
  if (ok && g.fm) ok = WriteArray(out, g.fmLbl.p, 2 * n);
  if (ok && g.dvs) ok = WriteArray(out, g.dev.p, n * static_cast<uint64_t>(g.nd));
  for (int s = 0; ok && g.temp && s < (g.oneState ? 2 : 1); ++s)
    ok = WriteArray(out, g.ergs[s].p, static_cast<size_t>(g.levels)) && WriteArray(out, g.idx[s].p, n);
  if (ok && g.covCount > 0) ok = WriteArray(out, g.cov.p, static_cast<size_t>(g.covCount));
  ok = ok && out.Commit();
  if (!ok) {
    out.Abort();
    StatusText(0, StrPrintf("SimFI2QVS()/FAILED TO CREATE [%s] FILE", qvs.c_str()));
  }
  return ok;
}

}  // namespace

int32_t SimFI2QVS(const char* baseName) {
  const std::string base = baseName ? baseName : "";
  core_io::BinIn f, q;
  if (!f.Open((base + ".f").c_str()) || !q.Open((base + ".q").c_str())) return 1;
  const uint64_t fSize = f.SizeBytes(), qSize = q.SizeBytes();
  if (fSize == 0 || qSize == 0) {
    f.Close();
    q.Close();
    DeleteFile((base + ".f").c_str());
    DeleteFile((base + ".q").c_str());
    Warning(StrPrintf("SIM FILES [%s.f | %s.q] HAVE ZERO LENGTH\n\nABORTING", base.c_str(), base.c_str()));
    return 1;
  }

  const uint64_t n = fSize / 21;
  const double perLine = n > 0 ? (static_cast<double>(qSize / 2)) / static_cast<double>(n) : 0.0;
  if (n == 0 || n > 0x7FFFFFFFull || (perLine != 6.0 && perLine != 8.0)) {
    Warning(StrPrintf("SIM FILE [%s.q] HAS WRONG NUMBER OF QN [%.2f]\n\nSIM LINES=[%.2f]\n\nABORTING", base.c_str(),
                      perLine, static_cast<double>(n)));
    return 1;
  }
  Gathered g(n, perLine == 8.0);
  VavOde& h = g.h;
  h.Put<int32_t, vav::kLines>(static_cast<int32_t>(n));
  h.Put<int32_t, vav::kFm>(g.fm ? 1 : 0);
  if (!ReadLineFiles(f, q, g)) return 0;

  g.oneState = OrvPrm.One_State ? 1 : 0;
  core_io::BinIn p, d;
  const bool havePrm = p.Open((base + ".p").c_str());
  g.dvs = d.Open((base + ".d").c_str());
  const bool haveDvs = g.dvs;
  if (havePrm && !ReadParameterFile(p, base, g)) return 0;
  h.Put<int32_t, vav::kOneState>(g.oneState);
  h.Put<int32_t, vav::kFitted>(g.fitted);
  h.Put<int32_t, vav::kCovCount>(g.covCount);
  if (g.oneState) g.nd *= 2;
  if (g.dvs && !ReadDerivativeFile(d, base, g)) return 0;
  h.Put<int32_t, vav::kNd>(g.nd);
  h.Put<int32_t, vav::kDvs>(g.dvs ? 1 : 0);

  core_io::BinIn lev;
  const bool haveLev = lev.Open((base + ".i").c_str());
  if (haveLev && !ReadLevelFile(lev, g)) return 0;
  h.Put<int32_t, vav::kTempGlobal>(g.temp ? 1 : 0);
  h.PutText(vav::kVersion, vav::kVersionLen, "QVS v1.0");

  // The sources are removed only after the simulation file replaced any old file completely.
  if (!WriteSimulationFile(base + ".QVS", g)) return 0;
  DeleteFile((base + ".f").c_str());
  DeleteFile((base + ".q").c_str());
  if (havePrm) DeleteFile((base + ".p").c_str());
  if (haveDvs) DeleteFile((base + ".d").c_str());
  if (haveLev) DeleteFile((base + ".i").c_str());
  MoveFileEx((base + ".a").c_str(), (base + ".asc").c_str(), MOVEFILE_REPLACE_EXISTING);
  StatusText(0, StrPrintf("SIM [%s.f | %s.q] CNV TO QVS FORMAT", base.c_str(), base.c_str()));
  StatusText(3, StrPrintf("SIM VER=[%s] SIM TYPE=[%s]", h.GetText(vav::kVersion, vav::kVersionLen).c_str(),
                          h.GetText(vav::kSimType, vav::kSimTypeLen).c_str()));
  return 1;
}

