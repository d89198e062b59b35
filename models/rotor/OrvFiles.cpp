#include "models/rotor/OrvFiles.h"

#include <cstring>
#include <string>

#include "core/FileIo.h"
#include "core/PrmFile.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"
#include "records/OrvPrm.h"

namespace {

constexpr int kStates = 2;
constexpr int kConsts = 23;
constexpr const char* kStateKey[kStates] = {"GND", "EXC"};

std::string ConstKey(int state, int k) { return StrPrintf("%s %02d", kStateKey[state], k); }

bool ValidUnits(const char* units) { return std::strcmp(units, "MHz") == 0 || std::strcmp(units, "CM-1") == 0; }

// The settings both forms share.
void WriteSettings(platform::TextFileWriter* w, const OrvPrmRecord& o) {
  prmfile::Key(w, "TEMPERATURE T1", prmfile::Numbers(&o.Temp_T1, 1));
  prmfile::Key(w, "TEMP TO ENERGY", prmfile::Numbers(&o.Temp2Erg, 1));
  prmfile::Key(w, "UNITS", o.Units_Txt);
  prmfile::Key(w, "SPIN WEIGHTS", prmfile::Numbers(o.Spin_Wts, 4));
}

}  // namespace

int32_t OrvReadInputPrm() {
  prmfile::Fields f;
  if (!prmfile::Read(OrvPrm.In_Flnm, "ORV", &f)) return 0;
  OrvPrmRecord r = OrvPrm;
  if (f.version.empty() || f.version.size() >= sizeof r.Version) return 0;
  StrCopy(r.Version, f.version.c_str());
  int32_t fitSel = 0, oneState = 0, setOneState = 0, fitState = 0;
  bool ok = f.Text("COMMENT", r.Comment) && f.Text("ASSIGNMENT FILE", r.Asn_Flnm) &&
            f.Text("OUTPUT BASE", r.Out_Base) && r.Out_Base[0] != '\0' && f.Double("TEMPERATURE T1", &r.Temp_T1) &&
            r.Temp_T1 >= 0.0 && f.Double("TEMP TO ENERGY", &r.Temp2Erg) && f.Text("UNITS", r.Units_Txt) &&
            ValidUnits(r.Units_Txt) && f.Longs("SPIN WEIGHTS", r.Spin_Wts, 4) && f.Long("FIT SELECTION", &fitSel) &&
            fitSel >= 0 && fitSel < 5 && f.Long("ONE STATE", &oneState) && (oneState == 0 || oneState == 1) &&
            f.Long("SET ONE STATE", &setOneState) && (setOneState == 0 || setOneState == 1) &&
            f.Long("FIT STATE", &fitState) && fitState >= -32768 && fitState <= 32767;
  for (int s = 0; ok && s < kStates; ++s) {
    for (int k = 0; ok && k < kConsts; ++k) {
      double v[4];
      ok = f.Doubles(ConstKey(s, k).c_str(), v, 4) && v[0] == static_cast<int32_t>(v[0]);
      if (!ok) break;
      r.Read_Stat[s][k] = static_cast<int32_t>(v[0]);
      r.Read_Prm[s][k] = v[1];
      r.Read_Delta[s][k] = v[2];
      r.Read_StdDev[s][k] = v[3];
    }
  }
  if (!ok) return 0;
  r.Fit_Sel = static_cast<int16_t>(fitSel);
  r.One_State = static_cast<uint32_t>(oneState);
  r.OneState_Stat = static_cast<uint32_t>(setOneState);
  r.Fit_State = static_cast<int16_t>(fitState);
  OrvPrm = r;
  return 1;
}

int32_t OrvWriteInputPrm(const char* file) {
  const OrvPrmRecord& o = OrvPrm;
  if (!platform::FileExists(o.Asn_Flnm) &&
      !core_io::AskYesNo(StrPrintf("ORV WRITE INPUT\n\nASSIGNMENT FILE [%s] NOT FOUND\n\nWRITE ANYWAY [YES] | ABORT [NO]?",
                                   o.Asn_Flnm)))
    return 0;
  platform::TextFileWriter w;
  if (!prmfile::Begin(&w, file, "ORV", o.Version)) return 0;
  prmfile::Key(&w, "COMMENT", o.Comment);
  prmfile::Key(&w, "ASSIGNMENT FILE", o.Asn_Flnm);
  prmfile::Key(&w, "OUTPUT BASE", o.Out_Base);
  WriteSettings(&w, o);
  prmfile::Key(&w, "FIT SELECTION", StrPrintf("%d", o.Fit_Sel));
  prmfile::Key(&w, "ONE STATE", StrPrintf("%u", o.One_State));
  prmfile::Key(&w, "SET ONE STATE", StrPrintf("%u", o.OneState_Stat));
  prmfile::Key(&w, "FIT STATE", StrPrintf("%d", o.Fit_State));
  w.Write("# STATE SLOT = STATUS VALUE DELTA-DEV STD-DEV\n");
  for (int s = 0; s < kStates; ++s)
    for (int k = 0; k < kConsts; ++k)
      prmfile::Key(&w, ConstKey(s, k).c_str(),
                   StrPrintf("%d %.17g %.17g %.17g", o.Read_Stat[s][k], o.Prm[s][k], o.Prm_DeltaDev[s][k],
                             o.Prm_StdDev[s][k]));
  return w.Commit() ? 1 : 0;
}

int32_t VesparWriteInputPrm(const char* file) {
  const OrvPrmRecord& o = OrvPrm;
  platform::TextFileWriter w;
  if (!prmfile::Begin(&w, file, "VESPAR", o.Version)) return 0;
  prmfile::Key(&w, "COMMENT", o.Comment);
  prmfile::Key(&w, "OUTPUT BASE", o.Out_Base);
  WriteSettings(&w, o);
  prmfile::Key(&w, "ONE STATE", StrPrintf("%u", o.One_State));
  w.Write("# STATE SLOT = VALUE STD-DEV\n");
  for (int s = 0; s < kStates; ++s)
    for (int k = 0; k < kConsts; ++k)
      prmfile::Key(&w, ConstKey(s, k).c_str(), StrPrintf("%.17g %.17g", o.Prm[s][k], o.Prm_StdDev[s][k]));
  return w.Commit() ? 1 : 0;
}

void OrvCopyReadToCalc() {
  for (int s = 0; s < kStates; ++s) {
    for (int k = 0; k < kConsts; ++k) {
      OrvPrm.Prm[s][k] = OrvPrm.Read_Prm[s][k];
      OrvPrm.Prm_DeltaDev[s][k] = OrvPrm.Read_Delta[s][k];
      OrvPrm.Prm_StdDev[s][k] = OrvPrm.Read_StdDev[s][k];
    }
  }
}
