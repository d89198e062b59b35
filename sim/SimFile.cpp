#include "sim/SimFile.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "models/quad/QuadFiles.h"
#include "models/hitran/HtUnits.h"
#include "models/hitran/Tips.h"
#include "models/rotor/DipoleAngles.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "platform/windows/Window.h"
#include "records/Locks.h"
#include "records/Lsf.h"
#include "records/Quad.h"
#include "records/Win.h"
#include "core/TypedArrays.h"
#include "sim/SimCombDiff.h"
#include "sim/SimBarrier.h"
#include "sim/SimDialogs.h"
#include "sim/SimIo.h"
#include "sim/SimSets.h"

using core_io::Error;
using core_io::Info;
using core_io::StatusText;
using core_io::Warning;
using simio::ReadArray;
using simio::WriteArray;

namespace {

constexpr const char* kRcLabels[SIM_RC_CONSTS] = {"A",    "B",     "C",     "PX",    "PY",    "PZ",
                                                  "PXPY", "PXPZ",  "PYPZ",  "DK",    "DJK",   "DJ",
                                                  "dK",   "dJ",    "PZ3",   "PX3",   "PY3",   "PZ2PX",
                                                  "PZ2PY", "PX2PZ", "PY2PZ", "PZ5",  "ORI"};

size_t Slot(size_t base, int state, int k, size_t width) {
  return base + (static_cast<size_t>(state) * vav::kSlotsPerState + static_cast<size_t>(k)) * width;
}

int32_t I32(const VavOde& h, size_t offset) {
  int32_t v = 0;
  h.Get(offset, &v);
  return v;
}
double F64(const VavOde& h, size_t offset) {
  double v = 0;
  h.Get(offset, &v);
  return v;
}

bool StartsWith(const char* text, const char* prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

// "QVS v1.0" to "QVS v1.<last>".
bool VersionUpTo(const char* version, char last) {
  return StartsWith(version, "QVS v1.") && version[7] >= '0' && version[7] <= last && version[8] == '\0';
}

// Number of derivative columns per line for the set's active constants.
uint32_t ActiveDerivatives(const SimRecord* sim, int16_t set) {
  return sim->ONESTATE_STAT[set] == 1 ? 2 * sim->DVS_NO[set][SIM_GND]
                                      : sim->DVS_NO[set][SIM_GND] + sim->DVS_NO[set][SIM_EXC];
}

}  // namespace

// ---- header ---------------------------------------------------------------------------

void VavOdeDefault(VavOde* h) {
  h->Clear();
  h->PutText(vav::kVersion, vav::kVersionLen, "QVS v1.9");
  h->PutText(vav::kComment, vav::kCommentLen, "NO COMMENT\n");
  h->PutText(vav::kInputFlnm, vav::kFlnmLen, "Orv.in");
  h->PutText(vav::kBaseFlnm, vav::kFlnmLen, "Orv");
  h->PutText(vav::kAsnFlnm, vav::kFlnmLen, "Orv.asn");
  h->PutText(vav::kNextInput, vav::kFlnmLen, "NextInput.in");
  h->Put<int32_t, vav::kAReduction>(1);
  h->Put<int32_t, vav::kJMax>(30);
  h->Put<int32_t, vav::kKOrder>(2);
  h->Put<double, vav::kItnCut>(0.01);
  for (int i = 0; i < 4; ++i) h->Put<int32_t>(vav::kSpinWts + 4 * i, 1);
  h->Put<double, vav::kRotTemp>(1.0);
  h->Put<double, vav::kTemp2Erg>(20836.7381265);
  h->Put<int16_t, vav::kAcycs>(1);
  h->Put<double, 3068>(500.0);
  h->Put<int32_t, 3080>(-1);
  h->Put<int32_t, 3088>(-1);
  h->Put<double, 3104>(1.0);
  h->Put<double, 3112>(1.0);
  h->Put<double, 3120>(599.504);
  for (int k = 0; k < SIM_RC_CONSTS; ++k) {
    char slot[vav::kRcStrSlot] = {};
    StrFormat(slot, "%-5s", kRcLabels[k]);
    h->PutText(vav::kRcStrs + k * vav::kRcStrSlot, vav::kRcStrSlot, slot);
  }
  h->PutText(vav::kSimType, vav::kSimTypeLen, "ORV v5.1");
  h->Put<int16_t, vav::kFitState>(1);
  h->PutText(vav::kQuadAsnFlnm, vav::kFlnmLen, "Quad.asn");
}

int32_t VavOdeInit(VavOde* dst, const VavOde* src) {
  auto text = [&](size_t offset, size_t length) {
    std::string value = src->GetText(offset, length - 1);
    dst->PutText(offset, length, value);
  };
  auto bytes = [&](size_t from, size_t to) {
    unsigned char buffer[1024];
    for (size_t at = from; at < to; at += sizeof buffer) {
      size_t count = to - at < sizeof buffer ? to - at : sizeof buffer;
      src->GetBytes(at, buffer, count);
      dst->PutBytes(at, buffer, count);
    }
  };
  text(vav::kVersion, vav::kVersionLen);
  text(vav::kComment, vav::kCommentLen);
  text(vav::kInputFlnm, vav::kFlnmLen);
  text(vav::kBaseFlnm, vav::kFlnmLen);
  text(vav::kAsnFlnm, vav::kFlnmLen);
  text(vav::kNextInput, vav::kFlnmLen);
  bytes(vav::kRcDevStat, vav::kRcStrs);
  for (int k = 0; k < SIM_RC_CONSTS; ++k) text(vav::kRcStrs + k * vav::kRcStrSlot, vav::kRcStrSlot);
  bytes(vav::kRcVal, vav::kSimType);
  text(vav::kSimType, vav::kSimTypeLen);
  bytes(vav::kReserved5416, vav::kQuadAsnFlnm);
  return 1;
}

// ---- writer ---------------------------------------------------------------------------

namespace {

bool WriteBody(core_io::BinOut& out, int16_t set, const SimRecord* sim, uint32_t nd) {
  const size_t n = sim->FI_Lines[set];
  const size_t levels = sim->FI_Erg_Sz[set];
  bool ok = WriteArray(out, sim->FI_Sim_Erg[set], n) && WriteArray(out, sim->FI_Exp_Erg[set], n) &&
            WriteArray(out, sim->FI_Exp_Unc[set], n) && WriteArray(out, sim->FI_Sim_Itn[set], n);
  if (ok && sim->AMP_STAT[set]) {
    ok = WriteArray(out, sim->FI_Amp[set], 3 * n);
    if (ok && sim->IMAG_STAT[set]) ok = WriteArray(out, sim->FI_Imag[set], 3 * n);
  }
  ok = ok && WriteArray(out, sim->FI_BT_Lbl[set], n) && WriteArray(out, sim->FI_Jkk_Lbl[set], 6 * n);
  if (ok && sim->FM_STAT[set]) ok = WriteArray(out, sim->FI_FM_Lbl[set], 2 * n);
  if (ok && sim->DVS_STAT[set]) ok = WriteArray(out, sim->FI_Dev[set], n * nd);
  if (ok && sim->TEMP_GLOBAL_STAT[set]) {
    ok = WriteArray(out, sim->FI_HamErg_Vector[set][SIM_GND], levels) &&
         WriteArray(out, sim->FI_Erg_Idx[set][SIM_GND], n);
    if (ok && sim->ONESTATE_STAT[set])
      ok = WriteArray(out, sim->FI_HamErg_Vector[set][SIM_EXC], levels) &&
           WriteArray(out, sim->FI_Erg_Idx[set][SIM_EXC], n);
  }
  if (ok && sim->FI_CovSz[set] > 0) ok = WriteArray(out, sim->FI_CovMat[set], sim->FI_CovSz[set]);
  if (ok && sim->IDVWIDTH_STAT[set])
    ok = WriteArray(out, sim->FI_Gau_FWHM[set], n) && WriteArray(out, sim->FI_Lor_FWHM[set], n);
  if (ok && sim->NLLSF_STAT[set])
    ok = WriteArray(out, sim->FI_LS_VarStat[set], 5 * n) && WriteArray(out, sim->FI_LS_StdDev[set], 5 * n);
  if (ok && sim->HT_Global_Stat[set])
    ok = WriteArray(out, sim->HT_Air_Gamma[set], n) && WriteArray(out, sim->HT_Self_Gamma[set], n) &&
         WriteArray(out, sim->HT_Air_Delta[set], n) && WriteArray(out, sim->HT_Temp_Gamma[set], n) &&
         WriteArray(out, sim->HT_Mol_Lbl[set], n);
  return ok;
}

}  // namespace

int32_t SimFIWriteQVS(int16_t set, SimRecord* sim) {
  if (set < 0 || set >= SIM_SETS || !sim) return 0;
  VavOde def;
  VavOdeDefault(&def);
  VavOde h;
  VavOdeInit(&h, &def);

  const uint32_t nd = ActiveDerivatives(sim, set);
  h.PutText(vav::kSimType, vav::kSimTypeLen, std::string(sim->Sim_Type[set]).substr(0, vav::kSimTypeLen - 1));
  h.PutText(vav::kAsnFlnm, vav::kFlnmLen, std::string(sim->Asn_Flnm[set]).substr(0, vav::kFlnmLen - 1));
  const struct {
    size_t offset;
    uint32_t value;
  } flags[] = {{vav::kOneState, sim->ONESTATE_STAT[set]},   {vav::kDvs, sim->DVS_STAT[set]},
               {vav::kFm, sim->FM_STAT[set]},               {vav::kTempGlobal, sim->TEMP_GLOBAL_STAT[set]},
               {vav::kIdvWidth, sim->IDVWIDTH_STAT[set]},   {vav::kNllsf, sim->NLLSF_STAT[set]},
               {vav::kTdmGlobal, sim->TDM_GLOBAL_STAT[set]}, {vav::kAmp, sim->AMP_STAT[set]},
               {vav::kImag, sim->IMAG_STAT[set]},           {vav::kDmGlobal, sim->DM_GLOBAL_STAT[set]},
               {vav::kHt, sim->HT_Global_Stat[set]},        {vav::kQc, sim->QC_STAT[set]},
               {vav::kLn, sim->LN_STAT[set]}};
  for (const auto& f : flags) h.Put<int32_t>(f.offset, static_cast<int32_t>(f.value));
  h.Put<int16_t, vav::kFitState>(sim->FIT_STATE[set]);
  h.Put<double, vav::kDmField>(sim->DM_FIELD[set]);
  for (int s = 0; s < SIM_STATES; ++s)
    for (int k = 0; k < 3; ++k) h.Put<double>(vav::kDmPrm + (s * 3 + k) * 8, sim->DM_Prm[set][s][k]);
  h.Put<double, vav::kSlope>(sim->Dsp_Slope[set]);
  h.Put<double, vav::kIntercept>(sim->Dsp_Intercept[set]);
  h.Put<int32_t, vav::kAsnLines>(static_cast<int32_t>(sim->FI_Asn_Lines[set]));
  h.Put<float, vav::kRms>(sim->FI_OmC_Rms[set]);
  h.Put<double, vav::kTemp2Erg>(sim->Temp2Erg[set]);
  h.Put<double, vav::kRotTemp>(sim->Rot_Temp[set][0]);
  h.Put<double, vav::kRotTemp + 8>(sim->Rot_Temp[set][1]);
  h.Put<double, vav::kRotTempWt>(sim->Rot_Temp[set][2]);
  // The reader takes the spin weights from the file, so they are saved with the set.
  for (int i = 0; i < 4; ++i) h.Put<int32_t>(vav::kSpinWts + 4 * i, static_cast<int32_t>(sim->Spin_Wts[set][i]));
  h.Put<int16_t, vav::kTdmMethod>(1);
  for (int i = 0; i < 3; ++i) h.Put<double>(vav::kTdmAngle + 8 * i, sim->TDM_Angle[set][i]);
  h.Put<int32_t, vav::kLines>(static_cast<int32_t>(sim->FI_Lines[set]));
  h.Put<int32_t, vav::kLevels>(static_cast<int32_t>(sim->FI_Erg_Sz[set]));
  h.Put<int32_t, vav::kNd>(static_cast<int32_t>(nd));
  h.Put<int32_t, vav::kCovCount>(static_cast<int32_t>(sim->FI_CovSz[set]));
  h.PutText(vav::kQuadAsnFlnm, vav::kFlnmLen, std::string(Quad.Asn_Flnm[set]).substr(0, vav::kFlnmLen - 1));
  for (int s = 0; s < SIM_STATES; ++s)
    for (int k = 0; k < 3; ++k) h.Put<double>(vav::kQuadPrm + (s * 3 + k) * 8, Quad.Prm[set][s][k]);
  h.Put<double, vav::kQuadPrm2>(Quad.Prm2[set]);

  int32_t noPrm = 0;
  if (StartsWith(sim->Sim_Type[set], "ORV") || std::strncmp(sim->Sim_Type[set], "VESPAR", 5) == 0) {
    for (int s = 0; s < SIM_STATES; ++s) {
      for (int k = 0; k < SIM_RC_CONSTS; ++k) {
        h.Put<int32_t>(Slot(vav::kRcDevStat, s, k, 4), static_cast<int32_t>(sim->RC_DevStat[set][s][k]));
        h.Put<double>(Slot(vav::kRcVal, s, k, 8), sim->RC_Prm[set][s][k]);
        h.Put<double>(Slot(vav::kRcStdDev, s, k, 8), sim->RC_StdDev[set][s][k]);
        if (sim->RC_Prm[set][s][k] != 0.0) noPrm = 22;
      }
    }
  }
  h.Put<int32_t, vav::kOrvNoPrm>(noPrm);

  // The cut-off is a setting held in the display unit, not file data: it stays as it is
  // whatever the unit state of the set says.
  const double cutOff = sim->HT_FrqLim[set];
  if (sim->HT_Global_Stat[set] == 1) SimHTUnitsConvert(set, 1);
  CombDiffFixSuspend(set, sim, true);

  const std::string file = std::string(sim->Sim_Flnm[set]) + ".QVS";
  core_io::BinOut out;
  bool written = out.Open(file.c_str()) && out.Write(h.data(), h.size()) && WriteBody(out, set, sim, nd);
  written = written && out.Commit();
  if (!written) out.Abort();

  const char* label = sim->Set_Lbl[set];
  if (written) {
    sim->Asn_Modified[set] = 0;
    sim->Sim_Modified[set] = 0;
    StatusText(2, StrPrintf("[%s] SIM [%s.QVS] FILE WRITTEN", label, sim->Sim_Flnm[set]));
    StatusText(3, StrPrintf("[%s] SIM VER=[%s] SIM TYPE=[%s] FLAGS(W)=[DM %u HT %u QC %u LN %u]", label,
                            sim->Version[set], sim->Sim_Type[set], sim->DM_GLOBAL_STAT[set],
                            sim->HT_Global_Stat[set], sim->QC_STAT[set], sim->LN_STAT[set]));
  } else {
    Warning(StrPrintf("[%s] SIM [%s]\n\nFAILED TO WRITE QVS FILE\n\nABORTING", label, sim->Sim_Flnm[set]));
  }

  if (sim->HT_Global_Stat[set] == 1) SimHTUnitsConvert(set, 0);
  sim->HT_FrqLim[set] = cutOff;
  CombDiffFixSuspend(set, sim, false);
  return written ? 1 : 0;
}

// ---- reader ---------------------------------------------------------------------------

namespace {

// One read of a set: the open file, the bytes still unread, and the failure path.
class SetReader {
 public:
  SetReader(int16_t set, SimRecord* sim) : set_(set), sim_(sim) {}

  core_io::BinIn in;
  VavOde h;

  const char* Lbl() const { return sim_->Set_Lbl[set_]; }
  const char* Name() const { return sim_->Sim_Flnm[set_]; }
  std::string Prefix() const { return StrPrintf("[%s] SIM [%s]\n\n", Lbl(), Name()); }

  uint64_t Left() const {
    const uint64_t size = in.SizeBytes();
    return in.Position() < size ? size - in.Position() : 0;
  }
  // True when count values of width bytes lie in the file after the read position.
  bool Holds(uint64_t count, uint64_t width) const {
    uint64_t bytes = 0;
    return !__builtin_mul_overflow(count, width, &bytes) && bytes <= Left();
  }

  template <class T>
  bool Block(T* dst, size_t n) {
    return ReadArray(in, dst, n) == n;
  }
  bool Skip(uint64_t bytes) {
    if (bytes > Left()) return false;
    in.Seek(in.Position() + bytes);
    return true;
  }

 private:
  int16_t set_;
  SimRecord* sim_;
};

template <class T, class F>
bool Alloc(T** p, uint64_t n, F alloc) {
  return n <= 0xFFFFFFFFull && !QvAllocFailed(alloc(p, static_cast<uint32_t>(n)));
}

// Headers of the old rotor program and of versions whose LN field meant something else,
// brought to what the reader expects. Returns the version to take.
std::string UpgradeHeader(VavOde& h) {
  std::string version = h.GetText(vav::kVersion, vav::kVersionLen);
  if (version.compare(0, 3, "QVS") != 0) {
    std::string type = version.compare(0, 3, "v5.") == 0 ? "ORV " + version : version;
    h.PutText(vav::kSimType, vav::kSimTypeLen, type.substr(0, vav::kSimTypeLen - 1));
    h.PutText(vav::kVersion, vav::kVersionLen, "QVS v1.0");
    h.Put<int32_t, vav::kTdmGlobal>(1);
    h.Put<int16_t, vav::kTdmMethod>(1);
    for (int i = 0; i < 3; ++i) h.Put<double>(vav::kTdmAngle + 8 * i, 100.0);
    h.Put<double, vav::kSlope>(0.0);
    h.Put<double, vav::kIntercept>(0.0);
    for (size_t at : {vav::kIdvWidth, vav::kNllsf, vav::kAmp, vav::kImag, vav::kReserved5416}) h.Put<int32_t>(at, 0);
    version = "QVS v1.0";
  }
  if (version == "QVS v1.7" || version == "QVS v1.8") {
    h.Put<int32_t, vav::kLn>(0);
    h.Put<int32_t, vav::kReserved5346>(0);
  }
  return version;
}

// The header's counts that size the blocks after it.
struct BlockCounts {
  uint32_t n = 0;  // lines
  int32_t fileNd = 0;
  int32_t levels = 0;
  int32_t covCount = 0;
  int32_t noPrm = 0;
};

// The set's version, type, flags and sizes from the header.
void TakeHeaderFlags(const VavOde& h, int16_t set, SimRecord* sim, const std::string& version, const BlockCounts& c,
                     int32_t takeSlope) {
  auto flag = [&](size_t at) -> uint32_t { return I32(h, at) != 0 ? 1u : 0u; };
  StrCopy(sim->Version[set], version.c_str());
  StrCopy(sim->Sim_Type[set], h.GetText(vav::kSimType, vav::kSimTypeLen).c_str());
  StrCopy(sim->Asn_Flnm[set], h.GetText(vav::kAsnFlnm, vav::kFlnmLen).c_str());
  sim->ONESTATE_STAT[set] = flag(vav::kOneState);
  sim->FIT_STATE[set] = h.Get<int16_t, vav::kFitState>();
  sim->DVS_STAT[set] = flag(vav::kDvs);
  sim->TEMP_GLOBAL_STAT[set] = flag(vav::kTempGlobal);
  sim->FM_STAT[set] = flag(vav::kFm);
  sim->IDVWIDTH_STAT[set] = flag(vav::kIdvWidth);
  sim->NLLSF_STAT[set] = flag(vav::kNllsf);
  sim->TDM_GLOBAL_STAT[set] = flag(vav::kTdmGlobal);
  sim->DM_GLOBAL_STAT[set] = flag(vav::kDmGlobal);
  sim->HT_Global_Stat[set] = flag(vav::kHt);
  sim->QC_STAT[set] = flag(vav::kQc);
  sim->LN_STAT[set] = flag(vav::kLn);
  sim->AMP_STAT[set] = flag(vav::kAmp);
  // The imaginary parts are stored only beside the amplitudes.
  sim->IMAG_STAT[set] = sim->AMP_STAT[set] ? flag(vav::kImag) : 0;
  sim->FI_Lines[set] = c.n;
  sim->FI_Erg_Sz[set] = static_cast<uint32_t>(c.levels);
  sim->FI_CovSz[set] = static_cast<uint32_t>(c.covCount);
  if (takeSlope == 1) {
    sim->Dsp_Slope[set] = F64(h, vav::kSlope);
    sim->Dsp_Intercept[set] = F64(h, vav::kIntercept);
  }
  for (int i = 0; i < 4; ++i) sim->Spin_Wts[set][i] = static_cast<uint32_t>(I32(h, vav::kSpinWts + 4 * i));
  sim->Temp2Erg[set] = F64(h, vav::kTemp2Erg);
}

// The temperatures, quadrupole parameters and dipole angles of the header, unless the
// set keeps its own settings.
void TakeHeaderSettings(const VavOde& h, int16_t set, SimRecord* sim, int32_t keepSettings) {
  if (sim->TEMP_GLOBAL_STAT[set] == 0 || keepSettings == 0) {
    double* t = sim->Rot_Temp[set];
    t[0] = F64(h, vav::kRotTemp);
    t[1] = F64(h, vav::kRotTemp + 8);
    t[2] = F64(h, vav::kRotTempWt);
    t[3] = t[0] != 0.0 ? t[1] / t[0] : 0.0;
  }
  if (keepSettings != 0) return;
  StrCopy(Quad.Asn_Flnm[set], h.GetText(vav::kQuadAsnFlnm, vav::kFlnmLen).c_str());
  for (int s = 0; s < SIM_STATES; ++s)
    for (int k = 0; k < 3; ++k) Quad.Prm[set][s][k] = F64(h, vav::kQuadPrm + (s * 3 + k) * 8);
  Quad.Prm2[set] = F64(h, vav::kQuadPrm2);
  double angle[3];
  for (int i = 0; i < 3; ++i) angle[i] = F64(h, vav::kTdmAngle + 8 * i);
  if (h.Get<int16_t, vav::kTdmMethod>() == 0) {
    double shares[3];
    HamDipoleAngleCnv(0, angle[0], angle[1], angle[2], &shares[0], &shares[1], &shares[2]);
    for (int i = 0; i < 3; ++i) angle[i] = shares[i];
  }
  if (sim->TDM_GLOBAL_STAT[set] == 1)
    for (int i = 0; i < 3; ++i) sim->TDM_Angle[set][i] = angle[i];
}

// The rotational constants of both states (the origin in slot 22) and the dipole
// moment parameters.
void TakeConstants(const VavOde& h, int16_t set, SimRecord* sim, int32_t noPrm) {
  for (int s = 0; s < SIM_STATES; ++s) {
    sim->DVS_NO[set][s] = 0;
    for (int k = 0; k < SIM_RC_CONSTS; ++k) {
      const bool stored = k < noPrm;
      const int32_t status = stored ? I32(h, Slot(vav::kRcDevStat, s, k, 4)) : 0;
      sim->RC_DevStat[set][s][k] = static_cast<uint32_t>(status);
      sim->RC_Prm[set][s][k] = stored ? F64(h, Slot(vav::kRcVal, s, k, 8)) : 0.0;
      sim->RC_StdDev[set][s][k] = stored ? F64(h, Slot(vav::kRcStdDev, s, k, 8)) : 0.0;
      if (status == 1) sim->DVS_NO[set][s]++;
    }
  }
  if (noPrm > 0) {
    sim->RC_Prm[set][SIM_EXC][22] = F64(h, Slot(vav::kRcVal, SIM_EXC, noPrm, 8));
    sim->RC_StdDev[set][SIM_EXC][22] = F64(h, Slot(vav::kRcStdDev, SIM_EXC, noPrm, 8));
    sim->RC_DevStat[set][SIM_EXC][22] = static_cast<uint32_t>(I32(h, Slot(vav::kRcDevStat, SIM_EXC, noPrm, 4)));
  }
  if (sim->ONESTATE_STAT[set] == 1) {
    for (int k = 0; k < SIM_RC_CONSTS; ++k) {
      sim->RC_DevStat[set][SIM_EXC][k] = 0;
      sim->RC_Prm[set][SIM_EXC][k] = 0.0;
      sim->RC_StdDev[set][SIM_EXC][k] = 0.0;
    }
    sim->DVS_NO[set][SIM_EXC] = 0;
  }
  if (sim->DM_GLOBAL_STAT[set] == 1) {
    sim->DM_FIELD[set] = F64(h, vav::kDmField);
    for (int s = 0; s < SIM_STATES; ++s)
      for (int k = 0; k < 3; ++k) sim->DM_Prm[set][s][k] = F64(h, vav::kDmPrm + (s * 3 + k) * 8);
  }
}

// Main arrays (blocks 1 to 9): their whole length is checked before anything is made.
bool ReadLineArrays(SetReader& r, int16_t set, SimRecord* sim, uint32_t n, const std::string& corrupted) {
  const bool hasUnc = !VersionUpTo(sim->Version[set], '3');
  const uint64_t perLine = 8 + 8 + (hasUnc ? 4 : 0) + 4 + (sim->AMP_STAT[set] ? 12 : 0) +
                           (sim->IMAG_STAT[set] ? 12 : 0) + 1 + 12 + (sim->FM_STAT[set] ? 8 : 0);
  if (!r.Holds(n, perLine)) {
    Warning(corrupted);
    return false;
  }
  sim->FI_QN_List_Tot[set] = 5;
  sim->FI_QN_List_Sz[set] = 5;
  bool made = Alloc(&sim->FI_Sim_Erg[set], n, DAlloc1Dim) && Alloc(&sim->FI_Exp_Erg[set], n, DAlloc1Dim) &&
              Alloc(&sim->FI_Exp_Unc[set], n, FAlloc1Dim) && Alloc(&sim->FI_Sim_Itn[set], n, FAlloc1Dim);
  if (made) {
    FFree2Dim(&sim->FI_AreaPeak_FAry[set], 2);
    made = !QvAllocFailed(FAlloc2Dim(&sim->FI_AreaPeak_FAry[set], 2, static_cast<int32_t>(n)));
    // Not stored in the file: the renderer fills them; until then they read 0.
    for (int row = 0; made && row < 2; ++row)
      std::fill(sim->FI_AreaPeak_FAry[set][row], sim->FI_AreaPeak_FAry[set][row] + n, 0.0f);
  }
  made = made && (!sim->AMP_STAT[set] || Alloc(&sim->FI_Amp[set], 3ull * n, FAlloc1Dim));
  made = made && (!sim->IMAG_STAT[set] || Alloc(&sim->FI_Imag[set], 3ull * n, FAlloc1Dim));
  made = made && Alloc(&sim->FI_BT_Lbl[set], n, CAlloc1Dim) && Alloc(&sim->FI_Jkk_Lbl[set], 6ull * n, SAlloc1Dim);
  made = made && (!sim->FM_STAT[set] || Alloc(&sim->FI_FM_Lbl[set], 2ull * n, FAlloc1Dim));
  made = made && Alloc(&sim->FI_QN_List_Ary[set], 5, LAlloc1Dim);
  if (!made) {
    Error("SimFIReadQVS()/FI_Sim_Erg/FI_Exp_Erg/FI_Exp_Unc/FI_Sim_Itn/FI_AreaPeak_FAry/FI_BT_Lbl/FI_Jkk_Lbl\n\n"
          "CORE ALLOCATION ERROR");
    return false;
  }
  bool read = r.Block(sim->FI_Sim_Erg[set], n) && r.Block(sim->FI_Exp_Erg[set], n);
  if (read && hasUnc) read = r.Block(sim->FI_Exp_Unc[set], n);
  read = read && r.Block(sim->FI_Sim_Itn[set], n);
  if (read && sim->AMP_STAT[set]) read = r.Block(sim->FI_Amp[set], 3 * size_t{n});
  if (read && sim->IMAG_STAT[set]) read = r.Block(sim->FI_Imag[set], 3 * size_t{n});
  read = read && r.Block(sim->FI_BT_Lbl[set], n) && r.Block(sim->FI_Jkk_Lbl[set], 6 * size_t{n});
  if (read && sim->FM_STAT[set]) read = r.Block(sim->FI_FM_Lbl[set], 2 * size_t{n});
  if (!read) {
    Warning(corrupted);
    return false;
  }
  if (!sim->AMP_STAT[set]) FFree1Dim(&sim->FI_Amp[set]);
  if (!sim->IMAG_STAT[set]) FFree1Dim(&sim->FI_Imag[set]);
  if (!sim->FM_STAT[set]) FFree1Dim(&sim->FI_FM_Lbl[set]);
  return true;
}

// Derivatives (block 10): a count that does not fit the active constants is skipped.
bool ReadDerivatives(SetReader& r, int16_t set, SimRecord* sim, const BlockCounts& c, const std::string& corrupted) {
  if (!sim->DVS_STAT[set]) {
    DFree1Dim(&sim->FI_Dev[set]);
    for (int kind : {SIM_DLG_ABC, SIM_DLG_CORIOLIS, SIM_DLG_CROSS, SIM_DLG_DDIST}) sim->Dlg_Req[kind][set] = 0;
    return true;
  }
  const uint32_t active = ActiveDerivatives(sim, set);
  const uint64_t total = uint64_t{c.n} * static_cast<uint64_t>(c.fileNd);
  if (static_cast<uint32_t>(c.fileNd) != active && (sim->ONESTATE_STAT[set] == 0 || sim->ONESTATE_STAT[set] == 1)) {
    sim->DVS_STAT[set] = 0;
    DFree1Dim(&sim->FI_Dev[set]);
    Info(StrPrintf("[%s] SIM [%s]\n\nNUMBER OF DERIVATIVES INCORRECT - [%d]!=[%u]\n\nCONTINUING", r.Lbl(), r.Name(),
                   c.fileNd, active));
    if (!r.Holds(total, 8) || !r.Skip(total * 8)) {
      Warning(corrupted);
      return false;
    }
  } else if (c.fileNd == 0) {
    sim->DVS_STAT[set] = 0;
    DFree1Dim(&sim->FI_Dev[set]);
    Info(r.Prefix() + "NUMBER OF DERIVATIVES ZERO\n\nCONTINUING");
  } else {
    const uint64_t available = r.Left() / 8;
    if (available < total) {
      Warning(StrPrintf("[%s] SIM [%s]\n\nINCORRECT NUMBER OF DERIVATIVES: READ:EXPECTING=[%llu]:[%llu]\n\nABORTING",
                        r.Lbl(), r.Name(), static_cast<unsigned long long>(available),
                        static_cast<unsigned long long>(total)));
      return false;
    }
    if (!Alloc(&sim->FI_Dev[set], total, DAlloc1Dim)) {
      Error(StrPrintf("[%s] SIM [%s]\n\nSimFIReadQVS()/FI_Dev: [%llu]\n\nCORE ALLOCATION ERROR", r.Lbl(), r.Name(),
                      static_cast<unsigned long long>(total)));
      return false;
    }
    if (!r.Block(sim->FI_Dev[set], total)) {
      Warning(corrupted);
      return false;
    }
  }
  return true;
}

// Level energies and indexes (blocks 11 to 14), of the excited state too with one state.
bool ReadLevels(SetReader& r, int16_t set, SimRecord* sim, uint32_t n, int32_t levels, const std::string& corrupted) {
  if (!sim->TEMP_GLOBAL_STAT[set]) {
    for (int s = 0; s < SIM_STATES; ++s) {
      DFree1Dim(&sim->FI_HamErg_Vector[set][s]);
      LFree1Dim(&sim->FI_Erg_Idx[set][s]);
    }
    return true;
  }
  const bool exc = sim->ONESTATE_STAT[set] == 1;
  for (int s = 0; s < (exc ? 2 : 1); ++s) {
    const bool fits = r.Holds(static_cast<uint64_t>(levels), 8) &&
                      r.Left() - static_cast<uint64_t>(levels) * 8 >= uint64_t{n} * 4;
    if (!fits) {
      const uint64_t haveErgs = r.Left() / 8 < static_cast<uint64_t>(levels) ? r.Left() / 8 : levels;
      const uint64_t haveIdx = (r.Left() - haveErgs * 8) / 4;
      Warning(s == 0 ? StrPrintf("[%s] SIM [%s]\n\nINCORRECT NUMBER OF GND STATE INDICIES | ERGS\n\n[%u]!=[%llu]|[%llu]"
                                 "\n\nABORTING",
                                 r.Lbl(), r.Name(), n, static_cast<unsigned long long>(haveIdx),
                                 static_cast<unsigned long long>(haveErgs))
                     : StrPrintf("[%s] SIM [%s]\n\nINCORRECT NUMBER OF EXC STATE ERGS | INDICES\n\n[%u]!=[%llu]|[%llu]"
                                 "\n\nRUN Orv95.exe WITH [MW] SELECTED\n\nABORTING",
                                 r.Lbl(), r.Name(), n, static_cast<unsigned long long>(haveIdx),
                                 static_cast<unsigned long long>(haveErgs)));
      return false;
    }
    const bool ok = (levels == 0 || Alloc(&sim->FI_HamErg_Vector[set][s], static_cast<uint64_t>(levels), DAlloc1Dim)) &&
                    Alloc(&sim->FI_Erg_Idx[set][s], n, LAlloc1Dim);
    if (!ok) {
      Error(s == 0 ? "SimFIReadQVS()/FI_HamErg_Vector/FI_Erg_Idx[GND]\n\nCORE ALLOCATION ERROR"
                   : "SimFIReadQVS()/FI_HamErg_Vector/FI_Erg_Idx[EXC]\n\nCORE ALLOCATION ERROR");
      return false;
    }
    if (levels == 0) DFree1Dim(&sim->FI_HamErg_Vector[set][s]);
    if (!r.Block(sim->FI_HamErg_Vector[set][s], static_cast<size_t>(levels)) || !r.Block(sim->FI_Erg_Idx[set][s], n)) {
      Warning(corrupted);
      return false;
    }
  }
  if (!exc) {
    DFree1Dim(&sim->FI_HamErg_Vector[set][SIM_EXC]);
    LFree1Dim(&sim->FI_Erg_Idx[set][SIM_EXC]);
  }
  return true;
}

// Covariance matrix (block 15).
bool ReadCovariance(SetReader& r, int16_t set, SimRecord* sim, int32_t covCount, const std::string& corrupted) {
  DFree1Dim(&sim->FI_CovMat[set]);
  if (covCount <= 0) return true;
  if (!r.Holds(static_cast<uint64_t>(covCount), 8)) {
    Warning(StrPrintf("[%s] SIM [%s]\n\nCOVARIANCE MATRIX WRONG SIZE\n\n[%llu]!=[%d]\n\nABORTING", r.Lbl(), r.Name(),
                      static_cast<unsigned long long>(r.Left() / 8), covCount));
    return false;
  }
  if (!Alloc(&sim->FI_CovMat[set], static_cast<uint64_t>(covCount), DAlloc1Dim)) {
    Error("SimFIReadQVS()/FI_CovMat\n\nCORE ALLOCATION ERROR");
    return false;
  }
  if (!r.Block(sim->FI_CovMat[set], static_cast<size_t>(covCount))) {
    Warning(corrupted);
    return false;
  }
  return true;
}

// Per-line widths (blocks 16, 17).
bool ReadWidths(SetReader& r, int16_t set, SimRecord* sim, uint32_t n) {
  if (!sim->IDVWIDTH_STAT[set]) {
    FFree1Dim(&sim->FI_Gau_FWHM[set]);
    FFree1Dim(&sim->FI_Lor_FWHM[set]);
    return true;
  }
  if (!r.Holds(n, 8)) {
    Warning(r.Prefix() + "VOIGT WIDTH PRMS CORRUPTED\n\nABORTING");
    return false;
  }
  if (!Alloc(&sim->FI_Gau_FWHM[set], n, FAlloc1Dim) || !Alloc(&sim->FI_Lor_FWHM[set], n, FAlloc1Dim)) {
    Error("SimFIReadQVS()/FI_Gau_FWHM/FI_Lor_FWHM\n\nCORE ALLOCATION ERROR");
    return false;
  }
  if (!r.Block(sim->FI_Gau_FWHM[set], n) || !r.Block(sim->FI_Lor_FWHM[set], n)) {
    Warning(r.Prefix() + "VOIGT WIDTH PRMS CORRUPTED\n\nABORTING");
    return false;
  }
  return true;
}

// Per-line fit arrays (blocks 18, 19); the saved intensities are dropped either way.
bool ReadFitArrays(SetReader& r, int16_t set, SimRecord* sim, uint32_t n) {
  if (sim->NLLSF_STAT[set]) {
    if (!r.Holds(n, 40)) {
      Warning(r.Prefix() + "NON-LINEAR LSF PRMS CORRUPTED\nCONTINUING");
      return false;
    }
    if (!Alloc(&sim->FI_LS_VarStat[set], 5ull * n, BAlloc1Dim) || !Alloc(&sim->FI_LS_StdDev[set], 5ull * n, FAlloc1Dim)) {
      Error("SimFIReadQVS()/FI_LS_VarStat/FI_LS_StdDev\n\nCORE ALLOCATION ERROR");
      return false;
    }
    if (!r.Block(sim->FI_LS_VarStat[set], 5 * size_t{n}) || !r.Block(sim->FI_LS_StdDev[set], 5 * size_t{n})) {
      Warning(r.Prefix() + "NON-LINEAR LSF PRMS CORRUPTED\nCONTINUING");
      return false;
    }
    Lsf.Fit_Lines[set] = n;
  } else {
    BFree1Dim(&sim->FI_LS_VarStat[set]);
    FFree1Dim(&sim->FI_LS_StdDev[set]);
  }
  Lsf.ItnSave_Stat[set] = 0;
  FFree1Dim(&sim->FI_Sim_ItnSave[set]);
  return true;
}

// The molecule and isotope of a HITRAN set from its first label, and the reference
// partition function of each of the molecule's isotopes.
void LookUpPartitionFunctions(SetReader& r, int16_t set, SimRecord* sim, uint32_t n) {
  sim->HT_ZeroSelf_Lines[set] = 0;
  for (uint32_t i = 0; i < n; ++i)
    if (sim->HT_Self_Gamma[set][i] == 0.0f) sim->HT_ZeroSelf_Lines[set]++;
  const int16_t mol = n > 0 ? static_cast<int16_t>(sim->HT_Mol_Lbl[set][0] / 10) : 0;
  const int16_t iso = n > 0 ? static_cast<int16_t>(sim->HT_Mol_Lbl[set][0] % 10) : 0;
  sim->HT_Mol[set] = mol;
  sim->HT_Iso[set] = iso;
  sim->HT_QT_Stat[set] = 0;
  const std::string tipsFailed = StrPrintf("[%s] SIM [%s]\n\nSIM=[%d] HT NUM=[%d] ISO=[%d]\n\nTIP(Q) FUNCTION NOT FOUND | INVALID",
                                           r.Lbl(), r.Name(), set, mol, iso);
  if (mol < 1 || mol >= HT_MOLECULES) {
    Warning(tipsFailed);
    return;
  }
  for (int16_t i = 1; i <= SimRecord::HT_Iso_Cnt[mol]; ++i) {
    sim->HT_QT_Stat[set] = static_cast<uint32_t>(SimTipsQT(mol, 296.0, i, &sim->HT_QT_Ref[set][i - 1]));
    if (sim->HT_QT_Stat[set] != 1) {
      sim->HT_QT_Stat[set] = 0;
      Warning(tipsFailed);
      break;
    }
  }
  if (sim->HT_QT_Stat[set] == 1 && iso >= 1 && iso <= SimRecord::HT_Iso_Cnt[mol])
    StatusText(1, StrPrintf("SIM=[%d] HT NUM:ISO=[%d][%d] OF [%d] QT REF=[%f] LBL=[%s]", set, mol, iso,
                            SimRecord::HT_Iso_Cnt[mol], sim->HT_QT_Ref[set][iso - 1],
                            SimRecord::HT_Iso_Lbl[mol][iso - 1]));
}

// HITRAN coefficients (blocks 20 to 24); the arrays are released when the set has none.
bool ReadHitranCoefficients(SetReader& r, int16_t set, SimRecord* sim, uint32_t n) {
  if (sim->HT_Global_Stat[set]) {
    const bool labels = !VersionUpTo(sim->Version[set], '7');
    const std::string coefficients =
        r.Prefix() + "HITRAN COEFFICIENTS CORRUPTED\n\nDELETE QVS FILE & IMPORT PAR FILE AGAIN\n\nABORTING";
    if (!r.Holds(n, 12)) {
      Warning(coefficients);
      return false;
    }
    bool ok = Alloc(&sim->HT_Air_Gamma[set], n, FAlloc1Dim) && Alloc(&sim->HT_Self_Gamma[set], n, FAlloc1Dim) &&
              Alloc(&sim->HT_Air_Delta[set], n, FAlloc1Dim) && Alloc(&sim->HT_Temp_Gamma[set], n, FAlloc1Dim) &&
              Alloc(&sim->HT_Mol_Lbl[set], n, SAlloc1Dim) && Alloc(&sim->HT_Shift_Erg[set], n, DAlloc1Dim) &&
              Alloc(&sim->HT_Itn[set], n, FAlloc1Dim);
    if (!ok) {
      Error("SimFIReadQVS()/HT_Air_Gamma/HT_Self_Gamma/HT_Air_Delta/HT_Temp_Gamma/HT_Mol_Lbl\n\nCORE ALLOCATION ERROR");
      return false;
    }
    if (!r.Block(sim->HT_Air_Gamma[set], n) || !r.Block(sim->HT_Self_Gamma[set], n) ||
        !r.Block(sim->HT_Air_Delta[set], n)) {
      Warning(coefficients);
      return false;
    }
    if (!r.Block(sim->HT_Temp_Gamma[set], n)) {
      Warning(coefficients);
      return false;
    }
    sim->HT_Ary_Stat[set] = 1;
    sim->LN_STAT[set] = 1;
    if (sim->FI_Gau_FWHM[set])
      for (uint32_t i = 0; i < n; ++i) sim->FI_Gau_FWHM[set][i] = 0.0f;
    if (labels) {
      if (!r.Block(sim->HT_Mol_Lbl[set], n)) {
        Warning(r.Prefix() + "HITRAN MOLECULE LABELS CORRUPTED\n\nABORTING");
        return false;
      }
    } else {
      for (uint32_t i = 0; i < n; ++i) sim->HT_Mol_Lbl[set][i] = 0;
    }
    LookUpPartitionFunctions(r, set, sim, n);
  } else {
    sim->HT_Ary_Stat[set] = 0;
  }
  if (sim->HT_Ary_Stat[set] == 0) {
    FFree1Dim(&sim->HT_Air_Gamma[set]);
    FFree1Dim(&sim->HT_Self_Gamma[set]);
    FFree1Dim(&sim->HT_Air_Delta[set]);
    FFree1Dim(&sim->HT_Temp_Gamma[set]);
    SFree1Dim(&sim->HT_Mol_Lbl[set]);
    DFree1Dim(&sim->HT_Shift_Erg[set]);
    FFree1Dim(&sim->HT_Itn[set]);
  }
  return true;
}

// Reads the file of an opened reader into the set; false after the failure's message.
bool ReadBody(SetReader& r, int16_t set, SimRecord* sim, int32_t keepSettings, int32_t takeSlope) {
  VavOde& h = r.h;
  const std::string corrupted = r.Prefix() + "SIM LINE ARRAYS CORRUPTED\n\nABORTING";
  const std::string version = UpgradeHeader(h);

  const int32_t lines = I32(h, vav::kLines);
  BlockCounts c;
  c.fileNd = I32(h, vav::kNd);
  c.levels = I32(h, vav::kLevels);
  c.covCount = I32(h, vav::kCovCount);
  c.noPrm = I32(h, vav::kOrvNoPrm);
  if (lines < 0 || c.fileNd < 0 || c.levels < 0 || c.covCount < 0 || c.noPrm < 0 || c.noPrm > 22) {
    Warning(corrupted);
    return false;
  }
  c.n = static_cast<uint32_t>(lines);

  TakeHeaderFlags(h, set, sim, version, c, takeSlope);
  TakeHeaderSettings(h, set, sim, keepSettings);
  TakeConstants(h, set, sim, c.noPrm);
  return ReadLineArrays(r, set, sim, c.n, corrupted) && ReadDerivatives(r, set, sim, c, corrupted) &&
         ReadLevels(r, set, sim, c.n, c.levels, corrupted) && ReadCovariance(r, set, sim, c.covCount, corrupted) &&
         ReadWidths(r, set, sim, c.n) && ReadFitArrays(r, set, sim, c.n) && ReadHitranCoefficients(r, set, sim, c.n);
}

// Every way out of a read: the busy flag cleared and the lock left.
struct ReadGuard {
  int16_t set;
  SimRecord* sim;
  ~ReadGuard() {
    sim->Busy_Stat[set] = 0;
    LeaveCriticalSection(&SimReadLock);
  }
};

}  // namespace

int32_t SimFIReadQVS(int16_t set, SimRecord* sim, int32_t keepSettings, int32_t takeSlope) {
  if (set < 0 || set >= SIM_SETS || !sim) return 0;
  EnterCriticalSection(&SimReadLock);
  if (sim->Busy_Stat[set] == 1) {
    StatusText(0, StrPrintf("[%s] SIM [%s] - BUSY", sim->Set_Lbl[set], sim->Sim_Flnm[set]));
    LeaveCriticalSection(&SimReadLock);
    return 1;
  }
  sim->Busy_Stat[set] = 1;
  ReadGuard guard{set, sim};

  if (!SimFIAsnModStat(set)) return 1;
  // From here the set's lines are replaced or freed: the fix sets that name them go first.
  CombDiffFixRelease(set, sim);
  if (sim->Dlg_Req[SIM_DLG_JKKQN][set] && sim->Dlg_Hwnd[SIM_DLG_JKKQN][set])
    SimJkkQNDialogShow(set, 0, Win.hWnd_Main);
  sim->QN_Freeze[set] = 0;
  // The cut-off is held in the display unit (the working file gives it so, also to a set
  // not read yet): the unit conversions of the read leave it as it is.
  const double cutOff = sim->HT_FrqLim[set];
  if (sim->HT_Global_Stat[set] == 1) SimHTUnitsConvert(set, 1);

  SetReader r(set, sim);
  const std::string file = std::string(sim->Sim_Flnm[set]) + ".QVS";
  if (!r.in.Open(file.c_str()) && !r.in.Open(("..\\" + file).c_str())) {
    if (std::strcmp(sim->Sim_Flnm[set], "NoName") != 0)
      StatusText(0, StrPrintf("[%s] SIM [%s]: FAILED TO OPEN [.QVS] FILE", sim->Set_Lbl[set], sim->Sim_Flnm[set]));
    SimFIFreeQVS(set, sim, 1);
    sim->HT_FrqLim[set] = cutOff;
    return 0;
  }
  auto fail = [&]() {
    r.in.Close();
    SimFIFreeQVS(set, sim, 1);
    sim->HT_FrqLim[set] = cutOff;
    return 0;
  };
  if (r.in.Read(r.h.data(), 1, VAVODE_SIZE) != 1) {
    Warning(r.Prefix() + "VAVODE STRUCTURE CORRUPTED\n\nABORTING");
    return fail();
  }
  if (r.h.GetText(vav::kVersion, vav::kVersionLen) == "QVS v6.0") {
    Warning(r.Prefix() + "ZI64 QVS FILES ARE NOT COMPATABLE WITH QV95 PROGRAM\n\nSIM NOT READ");
    return fail();
  }
  if (I32(r.h, vav::kLines) == 0) {
    Warning(r.Prefix() + "SIM HAS ZERO LINES\n\nABORTING");
    return fail();
  }
  if (!ReadBody(r, set, sim, keepSettings, takeSlope)) return fail();
  r.in.Close();

  if (sim->QC_STAT[set] == 1 || Quad.Asn_Cnt[set] > 0) {
    if (sim->QC_STAT[set] == 0) sim->Sim_Modified[set] = 1;
    sim->QC_STAT[set] = 1;
    if (QuadReadAsnFile(set)) StatusText(1, StrPrintf("QUAD ASN READ [%d]", Quad.Asn_Cnt[set]));
    else StatusText(1, "QUAD ASN NOT READ");
  }
  SimFIAsnCalc(set, 0, 1);
  if (!SimFISort(set, sim)) return fail();
  if (sim->Sim_Modified[set] && !SimFIWriteQVS(set, sim))
    Warning(StrPrintf("[%s] SIM [%s]\n\nFAILED TO UPDATE", sim->Set_Lbl[set], sim->Sim_Flnm[set]));
  sim->Asn_Modified[set] = 0;

  sim->Dlg_Req[SIM_DLG_TDM][set] = sim->TDM_GLOBAL_STAT[set];
  sim->Dlg_Req[SIM_DLG_TEMP][set] = sim->TEMP_GLOBAL_STAT[set] && !sim->HT_Global_Stat[set] ? 1 : 0;
  sim->Dlg_Req[SIM_DLG_LINESHAPE][set] = sim->IDVWIDTH_STAT[set];
  Lsf.LsFit_Stat[set] = sim->NLLSF_STAT[set];
  if (sim->Dlg_Req[SIM_DLG_JKKQN][set] && !sim->Dlg_Hwnd[SIM_DLG_JKKQN][set])
    sim->Dlg_Req[SIM_DLG_JKKQN][set] = SimJkkQNDialogShow(set, 1, Win.hWnd_Main);
  for (int t = 0; t < SIM_TRACKBARS; ++t) sim->Trackbar_Stat[t][set] = 1;
  Quad.Trackbar_Stat[set] = 1;
  if (HWND barrier = sim->Dlg_Hwnd[SIM_DLG_BARRIER][set]) {
    W36InitValue(set, 0, sim, 0);
    SendMessage(barrier, WM_INITDIALOG, 0, 0);
    W36DevRun(set, 0, sim);
  }

  if (sim->HT_Global_Stat[set] == 1) SimHTUnitsConvert(set, 0);
  sim->HT_FrqLim[set] = cutOff;
  if (sim->Ctl_Hwnd) SendMessage(sim->Ctl_Hwnd, WM_INITDIALOG, 0, 0);
  SimModelessDialogUpdate(set, 0);

  StatusText(2, StrPrintf("[%s] SIM [%s.QVS] FILE READ", sim->Set_Lbl[set], sim->Sim_Flnm[set]));
  StatusText(3, StrPrintf("[%s] SIM VER=[%s] SIM TYPE=[%s] FLAGS(R)=[DM %u HT %u QC %u LN %u]", sim->Set_Lbl[set],
                          sim->Version[set], sim->Sim_Type[set], sim->DM_GLOBAL_STAT[set], sim->HT_Global_Stat[set],
                          sim->QC_STAT[set], sim->LN_STAT[set]));
  return 1;
}

// ---- header check and dump ------------------------------------------------------------

int32_t SimFIWinCnvQVS(const char* simName, core_io::BinIn* file, VavOde* header, int32_t dump) {
  if (!file || !header) return 0;
  // First offsets of the 21 groups; each group ends where the next begins.
  static constexpr size_t kStart[21] = {0,    1316, 1716, 2516, 2916, 2932, 2948, 2964, 2988, 3004, 3068,
                                        3158, 3658, 4458, 5258, 5422, 5446, 5466, 5514, 5722, 5770};
  file->Seek(0);
  for (int g = 0; g < 21; ++g) {
    const size_t from = kStart[g];
    const size_t to = g + 1 < 21 ? kStart[g + 1] : VAVODE_SIZE;
    if (file->Read(header->data() + from, 1, to - from) != 1) {
      Warning(StrPrintf("SIM [%s]\n\nVAVODE STRUCTURE CORRUPTED [%d]\n\nABORTING", simName ? simName : "", g + 1));
      return 0;
    }
  }
  if (dump == 1) return SimFIPrntHeaderQVS(simName, *header);
  return 1;
}

int32_t SimFIPrntHeaderQVS(const char* fileName, const VavOde& h) {
  std::string name = fileName ? fileName : "";
  const size_t dot = name.rfind('.');
  const size_t slash = name.find_last_of("\\/");
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) name.erase(dot);
  name += ".TXT";
  // A dump that cannot be written whole (no file, a folder of its name, a full disk)
  // says so, and the older file stays.
  auto failed = [&name]() {
    Warning(StrPrintf("[%s] SIM [%s]\n\nFAILED TO OPEN ASCII FILE [%s] FOR WRITING\n\nABORTING", Sim.Set_Lbl[Sim.Cur_Set],
                      Sim.Sim_Flnm[Sim.Cur_Set], name.c_str()));
    return 0;
  };
  platform::TextFileWriter out;
  if (!out.Open(name.c_str())) return failed();
  auto text = [&](size_t at, size_t len) { return h.GetText(at, len); };
  out.Printf("# VERSION\n%s\n# STRUCT SIZE\n%d\n", text(vav::kVersion, vav::kVersionLen).c_str(),
             static_cast<int32_t>(VAVODE_SIZE));
  out.Printf("# COMMENT STR\n%s\n", text(vav::kComment, vav::kCommentLen).c_str());
  out.Printf("# INPUT FLNM\n%s\n# BASE FLNM\n%s\n# ASN FLNM\n%s\n# NEXT INPUT\n%s\n",
             text(vav::kInputFlnm, vav::kFlnmLen).c_str(), text(vav::kBaseFlnm, vav::kFlnmLen).c_str(),
             text(vav::kAsnFlnm, vav::kFlnmLen).c_str(), text(vav::kNextInput, vav::kFlnmLen).c_str());
  // Slots 0 to 13 of a state in the layout of three groups of three and five values;
  // the excited state adds slot 49.
  auto slots = [&](const char* key, size_t base, bool isDouble) {
    for (int s = 0; s < SIM_STATES; ++s) {
      std::string line = std::string(key) + (s == 0 ? " GND\n" : " EXC\n");
      for (int k = 0; k < 14; ++k) {
        const size_t at = Slot(base, s, k, isDouble ? 8 : 4);
        line += isDouble ? StrPrintf("%f", F64(h, at)) : StrPrintf("%d", I32(h, at));
        line += (k == 2 || k == 5 || k == 8) ? "   " : (k == 13 ? "" : " ");
      }
      if (s == 1) {
        const size_t at = Slot(base, s, 49, isDouble ? 8 : 4);
        line += ' ';
        line += isDouble ? StrPrintf("%f", F64(h, at)) : StrPrintf("%d", I32(h, at));
      }
      out.Printf("%s\n", line.c_str());
    }
  };
  slots("# RC DEV STAT", vav::kRcDevStat, false);
  slots("# RC", vav::kRcOwn, true);
  slots("# LSF STAT", vav::kLsfStat, false);
  out.Printf("# INERTIAL FRAME ANGLES\n%f %f  %f %f  %f %f\n", F64(h, 2916), F64(h, 2924), F64(h, 2932), F64(h, 2940),
             F64(h, 2948), F64(h, 2956));
  out.Printf("# ONE STATE STAT\n%d\n# A REDUCTION STAT\n%d\n", I32(h, vav::kOneState), I32(h, vav::kAReduction));
  out.Printf("# J MAX\n%d\n# K ORDER\n%d\n# ITN CUT\n%f\n", I32(h, vav::kJMax), I32(h, vav::kKOrder),
             F64(h, vav::kItnCut));
  out.Printf("# N SPIN WTS\n%d %d %d %d\n", I32(h, 2988), I32(h, 2992), I32(h, 2996), I32(h, 3000));
  out.Printf("# TDM METHOD\n%d\n# TDM FRAME\n%d\n", h.Get<int16_t, vav::kTdmMethod>(), h.Get<int16_t, vav::kTdmFrame>());
  out.Printf("# TDM ANGLE\n%f %f %f\n", F64(h, 3008), F64(h, 3016), F64(h, 3024));
  out.Printf("# ROT TEMP\n%f %f\n# ROT TEMP WT\n%f\n# TEMP2ERG FACTOR\n%f\n", F64(h, 3032), F64(h, 3040),
             F64(h, vav::kRotTempWt), F64(h, vav::kTemp2Erg));
  out.Printf("# LSF ECYCS: ACYCS\n%d %d\n", h.Get<int16_t, vav::kLsfEcycs>(), h.Get<int16_t, vav::kAcycs>());
  out.Printf("# RC STRS\n");
  for (int k = 0; k < SIM_RC_CONSTS; ++k)
    out.Printf("   %s\n", text(vav::kRcStrs + k * vav::kRcStrSlot, vav::kRcStrSlot).c_str());
  out.Printf("# QUAD ASN FLNM\n%s\n", text(vav::kQuadAsnFlnm, vav::kFlnmLen).c_str());
  return !out.Failed() && out.Commit() ? 1 : failed();
}
