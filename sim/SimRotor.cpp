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

  VavOde def, h;
  VavOdeDefault(&def);
  VavOdeInit(&h, &def);
  const uint64_t n = fSize / 21;
  const double perLine = n > 0 ? (static_cast<double>(qSize / 2)) / static_cast<double>(n) : 0.0;
  if (n == 0 || n > 0x7FFFFFFFull || (perLine != 6.0 && perLine != 8.0)) {
    Warning(StrPrintf("SIM FILE [%s.q] HAS WRONG NUMBER OF QN [%.2f]\n\nSIM LINES=[%.2f]\n\nABORTING", base.c_str(),
                      perLine, static_cast<double>(n)));
    return 1;
  }
  const bool fm = perLine == 8.0;
  h.Put<int32_t, vav::kLines>(static_cast<int32_t>(n));
  h.Put<int32_t, vav::kFm>(fm ? 1 : 0);

  Owned<double> simErg(DFree1Dim), expErg(DFree1Dim);
  Owned<float> itn(FFree1Dim), fmLbl(FFree1Dim);
  Owned<char> bt(CFree1Dim);
  Owned<int16_t> jkk(SFree1Dim), fmRaw(SFree1Dim);
  if (!Make(simErg, n, DAlloc1Dim) || !Make(expErg, n, DAlloc1Dim) || !Make(itn, n, FAlloc1Dim) ||
      !Make(bt, n, CAlloc1Dim) || !Make(jkk, 6 * n, SAlloc1Dim) ||
      (fm && (!Make(fmLbl, 2 * n, FAlloc1Dim) || !Make(fmRaw, 2 * n, SAlloc1Dim)))) {
    Error("SimFI2QVS()/Sim_Erg/Exp_Erg/Sim_Itn/BT_Lbl/Jkk_Lbl\n\nCORE ALLOCATION ERROR");
    return 0;
  }
  ReadArray(f, simErg.p, n);
  ReadArray(f, expErg.p, n);
  ReadArray(f, itn.p, n);
  ReadArray(f, bt.p, n);
  ReadArray(q, jkk.p, 6 * n);
  if (fm) {
    ReadArray(q, fmRaw.p, 2 * n);
    for (uint64_t i = 0; i < 2 * n; ++i) fmLbl.p[i] = static_cast<float>(fmRaw.p[i]);
  }
  f.Close();
  q.Close();

  int32_t oneState = OrvPrm.One_State ? 1 : 0;
  core_io::BinIn p, d;
  const bool havePrm = p.Open((base + ".p").c_str());
  bool dvs = d.Open((base + ".d").c_str());
  const bool haveDvs = dvs;
  int32_t nd = 0, fitted = 0, covCount = 0;
  Owned<double> cov(DFree1Dim);
  if (havePrm) {
    const int32_t noPrm = SimFIVersionTest(h, &p);
    StatusText(3, StrPrintf("ORV_NOPRM=%d", noPrm));
    if (noPrm == 0) {
      p.Close();
      InfoError("SimFI2QVS()\n\nUNKNOWN VERION OF PRM FILE\n\nCONTINUING");
    } else {
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
              oneState = 1;
            else
              oneState = core_io::AskYesNo(StrPrintf("IS SIM [%s] CALCULATED FOR GROUND STATE ONLY?", base.c_str())) ? 1 : 0;
          }
          if (status == 1) {
            ndStates[s]++;
            if (sd != 0.0) fitStates[s]++;
          }
        }
      }
      nd = ndStates[SIM_GND] + (oneState ? 0 : ndStates[SIM_EXC]);
      fitted = fitStates[SIM_GND] + (oneState ? 0 : fitStates[SIM_EXC]);
      const size_t origin = vav::kSlotsPerState + static_cast<size_t>(noPrm);
      const int16_t status = ReadOne<int16_t>(p, &ok);
      const double value = ReadOne<double>(p, &ok);
      const double sd = ReadOne<double>(p, &ok);
      if (oneState) {
        h.Put<int32_t>(vav::kRcDevStat + 4 * origin, 0);
        h.Put<double>(vav::kRcVal + 8 * origin, 0.0);
        h.Put<double>(vav::kRcStdDev + 8 * origin, 0.0);
      } else {
        h.Put<int32_t>(vav::kRcDevStat + 4 * origin, status);
        h.Put<double>(vav::kRcVal + 8 * origin, value);
        h.Put<double>(vav::kRcStdDev + 8 * origin, sd);
        if (sd != 0.0) fitted++;
      }
      ReadOne<int32_t>(p, &ok);  // line count, tested by the version test
      h.Put<int32_t, vav::kAsnLines>(ReadOne<int32_t>(p, &ok));
      h.Put<float, vav::kRms>(ReadOne<float>(p, &ok));
      if (noPrm > 15) {
        h.PutText(vav::kSimType, vav::kSimTypeLen, "ORV v3.0");
        covCount = fitted * fitted;
        if (covCount == 0) {
          StatusText(2, StrPrintf("COVARIANCE MATRIX SIZE=[%d]", covCount));
        } else if (!Make(cov, static_cast<uint64_t>(covCount), DAlloc1Dim)) {
          Error("SimFI2QVS()/CovMat\n\nCORE ALLOCATION ERROR");
          return 0;
        } else if (ReadArray(p, cov.p, static_cast<size_t>(covCount)) != static_cast<size_t>(covCount)) {
          // A short matrix is not carried into the simulation file.
          core_io::Info("COVARIANCE MATRIX WRONG SIZE\n\nCONTINUING");
          covCount = 0;
        }
      } else {
        h.PutText(vav::kSimType, vav::kSimTypeLen, "ORV v2.0");
        covCount = 0;
      }
      p.Close();
    }
  }
  h.Put<int32_t, vav::kOneState>(oneState);
  h.Put<int32_t, vav::kNd>(nd);
  h.Put<int32_t, vav::kFitted>(fitted);
  h.Put<int32_t, vav::kCovCount>(covCount);
  if (oneState) nd *= 2;

  Owned<double> dev(DFree1Dim);
  if (dvs) {
    const uint64_t want = n * static_cast<uint64_t>(nd);
    if (d.SizeBytes() != want * 8) {
      dvs = false;
      InfoError(StrPrintf("SIM [%s] HAS INCORRECT NUMBER OF DERIVATIVES\n\nRERUN Orv95.exe TO USE TRACKBARS", base.c_str()));
    } else if (want > 0) {
      if (!Make(dev, want, DAlloc1Dim)) {
        Error("SimFI2QVS()/Dvs\n\nCORE ALLOCATION ERROR");
        return 0;
      }
      dvs = ReadArray(d, dev.p, want) == want;
    }
    d.Close();
  }
  h.Put<int32_t, vav::kNd>(nd);
  h.Put<int32_t, vav::kDvs>(dvs ? 1 : 0);

  core_io::BinIn lev;
  const bool haveLev = lev.Open((base + ".i").c_str());
  bool temp = false;
  int64_t levels = 0;
  Owned<double> ergs[2] = {Owned<double>(DFree1Dim), Owned<double>(DFree1Dim)};
  Owned<int32_t> idx[2] = {Owned<int32_t>(LFree1Dim), Owned<int32_t>(LFree1Dim)};
  if (haveLev) {
    const int64_t size = static_cast<int64_t>(lev.SizeBytes());
    const int64_t lines = static_cast<int64_t>(n);
    levels = oneState ? (size - 8 * lines) / 16 : (size - 4 * lines) / 8;
    if (levels <= 0 || levels > 0x7FFFFFFF) {
      Warning("ITN FILE CORRUPTED\n\nRERUN Orv95.exe TO USE TRACKBARS");
      levels = 0;
    } else {
      temp = true;
      for (int s = 0; s < (oneState ? 2 : 1) && temp; ++s) {
        if (!Make(ergs[s], static_cast<uint64_t>(levels), DAlloc1Dim) || !Make(idx[s], n, LAlloc1Dim)) {
          Error(s == 0 ? "SimFI2QVS()/HamErg_Vector/Erg_Idx[GND]\n\nCORE ALLOCATION ERROR"
                       : "SimFI2QVS()/HamErg_Vector/Erg_Idx[EXC]\n\nCORE ALLOCATION ERROR");
          return 0;
        }
        const bool whole = ReadArray(lev, ergs[s].p, static_cast<size_t>(levels)) == static_cast<size_t>(levels) &&
                           ReadArray(lev, idx[s].p, n) == n;
        if (!whole) {
          temp = false;
          Warning(s == 0 ? "ITN FILE CORRUPTED\n\nRERUN Orv95.exe TO USE TRACKBARS"
                         : "EXCITED STATE ERGS NOT FOUND\n\nRUN Orv95.exe WITH SET ONE STATE STAT CHECKED");
        }
      }
      if (temp) h.Put<int32_t, vav::kLevels>(static_cast<int32_t>(levels));
    }
    lev.Close();
  }
  h.Put<int32_t, vav::kTempGlobal>(temp ? 1 : 0);
  h.PutText(vav::kVersion, vav::kVersionLen, "QVS v1.0");

  // The simulation file goes through a temporary file; the sources are removed only
  // after it replaced any old file completely.
  const std::string qvs = base + ".QVS";
  core_io::BinOut out;
  bool ok = out.Open(qvs.c_str());
  ok = ok && out.Write(h.data(), h.size()) && WriteArray(out, simErg.p, n) && WriteArray(out, expErg.p, n) &&
       WriteArray(out, itn.p, n) && WriteArray(out, bt.p, n) && WriteArray(out, jkk.p, 6 * n);
  if (ok && fm) ok = WriteArray(out, fmLbl.p, 2 * n);
  if (ok && dvs) ok = WriteArray(out, dev.p, n * static_cast<uint64_t>(nd));
  for (int s = 0; ok && temp && s < (oneState ? 2 : 1); ++s)
    ok = WriteArray(out, ergs[s].p, static_cast<size_t>(levels)) && WriteArray(out, idx[s].p, n);
  if (ok && covCount > 0) ok = WriteArray(out, cov.p, static_cast<size_t>(covCount));
  ok = ok && out.Commit();
  if (!ok) {
    out.Abort();
    StatusText(0, StrPrintf("SimFI2QVS()/FAILED TO CREATE [%s] FILE", qvs.c_str()));
    return 0;
  }

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
