#include "sim/SimAscii.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "core/MsgWindow.h"
#include "core/TypedArrays.h"
#include "core/Coords.h"
#include "models/hitran/HtUnits.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "platform/windows/MessageBox.h"
#include "platform/windows/Window.h"
#include "records/Debug.h"
#include "records/Dsp.h"
#include "records/OrvPrm.h"
#include "records/Sim.h"
#include "records/Win.h"
#include "sim/SimSets.h"

namespace {

constexpr UINT kYesNoCancel = 0x1023;

enum class Layout { Hitran, Kleiner, Pickett, FrqItn, Qn6, Qn8, LinesDotDat, Exm95 };

int Ask3(const std::string& text) { return MessageBox(Win.hWnd_Main, text.c_str(), "Question", kYesNoCancel); }

void Msg(const std::string& text) { DspMsgShowText(text.c_str(), Win.hWnd_Main); }

// Lines of an imported HITRAN set inside the active channel's frequency range, both in
// the display unit; false when there is no range to compare with (no channel, or
// nanometres, which a HITRAN set is never converted to).
bool HitranLinesInDataRange(int16_t set, uint32_t* inside) {
  const int16_t c = Win.Active_Chn;
  if (c < 0 || c > 8 || Dsp.FL_SZ[WIN_RAW][c] == 0 || Dsp.Units_Idx == 2 || !Sim.FI_Sim_Erg[set]) return false;
  const double first = DisplayFreqUnitConvert(Dsp.Init_Frq, 0.0);
  const double last = DisplayFreqUnitConvert(Dsp.Init_Frq + (Dsp.FL_SZ[WIN_RAW][c] - 1.0) * Dsp.Frq_Stp, 0.0);
  const double lo = std::min(first, last), hi = std::max(first, last);
  *inside = 0;
  for (uint32_t i = 0; i < Sim.FI_Lines[set]; ++i)
    if (Sim.FI_Sim_Erg[set][i] >= lo && Sim.FI_Sim_Erg[set][i] <= hi) ++*inside;
  return true;
}

// ---- fields ------------------------------------------------------------------------------
// Characters [start, start + width) of line (fewer at its end); present when at least
// one character of the field is there.
bool Field(const std::string& line, size_t start, size_t width, std::string* out) {
  if (line.size() <= start) return false;
  *out = line.substr(start, width);
  return true;
}
bool Blank(const std::string& s) { return s.find_first_not_of(" \t") == std::string::npos; }
// The number the field begins with (after blanks), as "%lf" reads it.
bool FieldDouble(const std::string& line, size_t start, size_t width, double* value) {
  std::string f;
  if (!Field(line, start, width, &f)) return false;
  const char* p = f.c_str();
  return core_io::ScanDouble(p, value);
}
// The integer the field begins with.
bool FieldInt(const std::string& line, size_t start, size_t width, int32_t* value) {
  std::string f;
  if (!Field(line, start, width, &f)) return false;
  const char* p = f.c_str();
  return core_io::ScanLong(p, value);
}
int16_t Short(int32_t v) { return static_cast<int16_t>(v < INT16_MIN ? INT16_MIN : v > INT16_MAX ? INT16_MAX : v); }

// Band type from the parities of Ka' + Ka'' and Kc' + Kc''.
char BandType(const int16_t* q) {
  const bool kaOdd = ((q[1] + q[4]) % 2) != 0;
  const bool kcOdd = ((q[2] + q[5]) % 2) != 0;
  if (!kaOdd && kcOdd) return 'A';
  if (kaOdd && kcOdd) return 'B';
  if (kaOdd && !kcOdd) return 'C';
  return 'D';
}

// ---- allocation ----------------------------------------------------------------------------
bool AllocCommon(int16_t set, uint32_t n, bool fm) {
  Sim.FI_Lines[set] = n;
  bool ok = !QvAllocFailed(DAlloc1Dim(&Sim.FI_Sim_Erg[set], n)) && !QvAllocFailed(DAlloc1Dim(&Sim.FI_Exp_Erg[set], n)) &&
            !QvAllocFailed(FAlloc1Dim(&Sim.FI_Exp_Unc[set], n)) && !QvAllocFailed(FAlloc1Dim(&Sim.FI_Sim_Itn[set], n)) &&
            !QvAllocFailed(FAlloc2Dim(&Sim.FI_AreaPeak_FAry[set], 2, static_cast<int32_t>(n))) &&
            !QvAllocFailed(CAlloc1Dim(&Sim.FI_BT_Lbl[set], n)) && !QvAllocFailed(SAlloc1Dim(&Sim.FI_Jkk_Lbl[set], 6 * n));
  if (ok && Sim.FI_AreaPeak_FAry[set])
    for (int r = 0; r < 2; ++r) std::memset(Sim.FI_AreaPeak_FAry[set][r], 0, sizeof(float) * n);
  if (ok && fm) ok = !QvAllocFailed(FAlloc1Dim(&Sim.FI_FM_Lbl[set], 2 * n));
  return ok;
}

bool AllocHitran(int16_t set, uint32_t n) {
  Sim.FI_Erg_Sz[set] = n;
  return !QvAllocFailed(SAlloc1Dim(&Sim.HT_Mol_Lbl[set], n)) && !QvAllocFailed(FAlloc1Dim(&Sim.HT_Air_Gamma[set], n)) &&
         !QvAllocFailed(FAlloc1Dim(&Sim.HT_Self_Gamma[set], n)) && !QvAllocFailed(FAlloc1Dim(&Sim.HT_Air_Delta[set], n)) &&
         !QvAllocFailed(FAlloc1Dim(&Sim.HT_Temp_Gamma[set], n)) && !QvAllocFailed(DAlloc1Dim(&Sim.HT_Shift_Erg[set], n)) &&
         !QvAllocFailed(FAlloc1Dim(&Sim.HT_Itn[set], n)) && !QvAllocFailed(FAlloc1Dim(&Sim.FI_Gau_FWHM[set], n)) &&
         !QvAllocFailed(FAlloc1Dim(&Sim.FI_Lor_FWHM[set], n)) &&
         !QvAllocFailed(DAlloc1Dim(&Sim.FI_HamErg_Vector[set][SIM_GND], n)) &&
         !QvAllocFailed(LAlloc1Dim(&Sim.FI_Erg_Idx[set][SIM_GND], n));
}

bool AllocEnergies(int16_t set, uint32_t n) {
  Sim.FI_Erg_Sz[set] = n;
  bool ok = !QvAllocFailed(DAlloc1Dim(&Sim.FI_HamErg_Vector[set][SIM_GND], n)) &&
            !QvAllocFailed(LAlloc1Dim(&Sim.FI_Erg_Idx[set][SIM_GND], n));
  if (ok && Sim.ONESTATE_STAT[set] == 1)
    ok = !QvAllocFailed(DAlloc1Dim(&Sim.FI_HamErg_Vector[set][SIM_EXC], n)) &&
         !QvAllocFailed(LAlloc1Dim(&Sim.FI_Erg_Idx[set][SIM_EXC], n));
  return ok;
}

// ---- one import ------------------------------------------------------------------------------
struct Import {
  int16_t set;
  const char* name;
  SimTextLines text;
  uint32_t stored = 0;
  uint32_t rejected = 0;
  // Catalogue options.
  bool spin = false;
  bool halfSpin = false;
  // HITRAN isotope kept (0: all).
  int32_t isotope = 0;
  // EXM95 block.
  bool absorption = true;
  int32_t block = 1;
};

// Boltzmann factor of line i of a catalogue set with lower energy elo (TEMP_GLOBAL).
double Boltzmann(int16_t set, uint32_t i, double elo) {
  const double kt = OrvPrm.Temp_T1 * OrvPrm.Temp2Erg;
  Sim.FI_HamErg_Vector[set][SIM_GND][i] = elo;
  Sim.FI_Erg_Idx[set][SIM_GND][i] = static_cast<int32_t>(i);
  if (Sim.ONESTATE_STAT[set] != 1) return std::exp(-elo / kt);
  Sim.Rot_Temp[set][2] = 0.0;
  const double nu = Sim.FI_Sim_Erg[set][i];
  const double eup = elo + nu;
  Sim.FI_Erg_Idx[set][SIM_EXC][i] = static_cast<int32_t>(i);
  Sim.FI_HamErg_Vector[set][SIM_EXC][i] = eup;
  return (std::exp(-elo / kt) - std::exp(-eup / kt)) * nu * 0.0001;
}

void SpinWeight(int16_t set, uint32_t i, float* itn) {
  const int16_t ka = Sim.FI_Jkk_Lbl[set][6 * i + 4], kc = Sim.FI_Jkk_Lbl[set][6 * i + 5];
  const bool kaOdd = ka % 2 != 0, kcOdd = kc % 2 != 0;
  const int32_t* w = OrvPrm.Spin_Wts;
  const int32_t weight = !kaOdd ? (!kcOdd ? w[0] : w[1]) : (kcOdd ? w[2] : w[3]);
  *itn = static_cast<float>(*itn * weight);
}

// ---- HITRAN -----------------------------------------------------------------------------------
bool HitranLine(Import& im, const std::string& full, uint32_t i) {
  const int16_t set = im.set;
  const std::string line = full.substr(0, 125);
  int32_t code = 0;
  double wav = 0, itn = 0, air = 0, self = 0, elo = 0, tgam = 0, delta = 0;
  std::string jq[3], lo[3], sym;
  const bool read = FieldInt(line, 0, 3, &code) && FieldDouble(line, 3, 12, &wav) && FieldDouble(line, 15, 10, &itn) &&
                    FieldDouble(line, 35, 5, &air) && FieldDouble(line, 40, 5, &self) &&
                    FieldDouble(line, 45, 10, &elo) && FieldDouble(line, 55, 4, &tgam) &&
                    FieldDouble(line, 59, 8, &delta) && Field(line, 97, 3, &jq[0]) && Field(line, 100, 3, &jq[1]) &&
                    Field(line, 103, 3, &jq[2]) && Field(line, 112, 3, &lo[0]) && Field(line, 115, 3, &lo[1]) &&
                    Field(line, 118, 3, &lo[2]) && Field(line, 121, 1, &sym);
  if (!read) return false;
  // A reply of 10 or more is the whole molecule-and-isotope code (11: molecule 1,
  // isotope 1), which no isotope digit can equal; 1 to 9 is the isotope digit.
  if (im.isotope >= 10 && code != im.isotope) return false;
  if (im.isotope > 0 && im.isotope < 10 && code - 10 * (code / 10) != im.isotope) return false;
  if (elo == -1.0) return false;
  Sim.HT_Mol_Lbl[set][i] = Short(code);
  Sim.FI_Sim_Erg[set][i] = wav;
  Sim.HT_Shift_Erg[set][i] = 0.0;
  Sim.FI_Sim_Itn[set][i] = static_cast<float>(itn);
  Sim.HT_Air_Gamma[set][i] = static_cast<float>(2.0 * air);
  Sim.HT_Self_Gamma[set][i] = static_cast<float>(2.0 * self);
  Sim.FI_HamErg_Vector[set][SIM_GND][i] = elo;
  Sim.FI_Erg_Idx[set][SIM_GND][i] = static_cast<int32_t>(i);
  Sim.HT_Temp_Gamma[set][i] = static_cast<float>(tgam);
  Sim.HT_Air_Delta[set][i] = static_cast<float>(delta);
  Sim.FI_Gau_FWHM[set][i] = Sim.FI_Lor_FWHM[set][i] = 0.0f;

  int16_t* q = Sim.FI_Jkk_Lbl[set] + 6 * static_cast<size_t>(i);
  for (int k = 0; k < 6; ++k) q[k] = 0;
  auto number = [](const std::string& f, int16_t* out) {
    int32_t v = 0;
    std::string_view t(f);
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    if (!platform::ParseInt32(t, &v)) return false;
    *out = Short(v);
    return true;
  };
  char label = 'Z';
  if (!Blank(jq[0])) {
    int16_t v[6];
    if (number(jq[0], &v[0]) && number(jq[1], &v[1]) && number(jq[2], &v[2]) && number(lo[0], &v[3]) &&
        number(lo[1], &v[4]) && number(lo[2], &v[5])) {
      for (int k = 0; k < 6; ++k) q[k] = v[k];
      label = BandType(q);
    }
  } else if (!Blank(lo[2])) {
    int16_t j = 0;
    if (number(lo[2], &j)) {
      q[0] = j;
      if (sym[0] == 'e') q[5] = 5;
      if (sym[0] == 'f') q[5] = 6;
      label = lo[1].size() > 2 ? lo[1][2] : 'Z';
    }
  }
  Sim.FI_BT_Lbl[set][i] = label;
  return true;
}

// ---- catalogues ---------------------------------------------------------------------------------
// A quantum-number field of a catalogue line: blank gives 0, otherwise its first token
// must read whole as an integer (a letter-coded value such as "A0" does not).
bool QuantumNumber(const std::string& field, int16_t* q) {
  const size_t start = field.find_first_not_of(" \t");
  if (start == std::string::npos) {
    *q = 0;
    return true;
  }
  const size_t end = field.find_first_of(" \t", start);
  int32_t v = 0;
  if (!platform::ParseInt32(std::string_view(field).substr(start, end == std::string::npos ? end : end - start), &v))
    return false;
  *q = Short(v);
  return true;
}

// Reads one Pickett line with frequency width w; false when fewer than all fields.
// *labels becomes false when one of the six quantum numbers is not an integer.
bool PickettFields(const std::string& line, size_t w, double* v, std::string* tag, int16_t* q, float* f,
                   bool* fInt, bool* labels) {
  *labels = true;
  size_t p = 0;
  bool ok = FieldDouble(line, p, w, &v[0]);
  p += w;
  ok = ok && FieldDouble(line, p, 8, &v[1]);
  p += 8;
  ok = ok && FieldDouble(line, p, 8, &v[2]);
  p += 8 + 2;
  ok = ok && FieldDouble(line, p, 10, &v[3]);
  p += 10;
  ok = ok && Field(line, p, 14, tag);
  p += 14;
  const size_t widths[8] = {2, 2, 2, 2, 6, 2, 2, 2};
  const int slots[8] = {0, 1, 2, -1, 3, 4, 5, -2};
  for (int k = 0; ok && k < 8; ++k) {
    std::string s;
    ok = Field(line, p, widths[k], &s);
    p += widths[k];
    if (!ok) break;
    if (slots[k] >= 0) {
      if (!QuantumNumber(s, &q[slots[k]])) {
        q[slots[k]] = 0;
        *labels = false;
      }
    } else {
      const char* c = s.c_str();
      int32_t value = 0;
      const bool isInt = core_io::ScanLong(c, &value);
      const int which = slots[k] == -1 ? 0 : 1;
      f[which] = isInt ? static_cast<float>(value) : 0.0f;
      fInt[which] = isInt;
    }
  }
  return ok;
}

bool PickettLine(Import& im, const std::string& line, uint32_t i, size_t* width) {
  const int16_t set = im.set;
  double v[4] = {};
  std::string tag;
  int16_t q[6] = {};
  float f[2] = {};
  bool fInt[2] = {};
  bool labels = true;
  // The frequency, read at the width in use, decides the width of this line and the
  // next ones; the line is then read once at that width. Read whole at a width that
  // is too large, a line of a narrower frequency would lack its last fields.
  double frequency = 0.0;
  if (!FieldDouble(line, 0, *width, &frequency)) return false;
  *width = frequency > 1e9 ? 15 : frequency > 1e8 ? 14 : 13;
  if (!PickettFields(line, *width, v, &tag, q, f, fInt, &labels)) return false;
  // Six integer quantum numbers or no line: a label read as 0 would name another level.
  if (!labels) return false;
  int16_t* jkk = Sim.FI_Jkk_Lbl[set] + 6 * static_cast<size_t>(i);
  for (int k = 0; k < 6; ++k) jkk[k] = q[k];
  for (int k = 0; k < 2; ++k)
    Sim.FI_FM_Lbl[set][2 * i + k] = f[k] - (im.halfSpin ? 0.5f : 0.0f);
  Sim.FI_BT_Lbl[set][i] = BandType(jkk);
  Sim.FI_Sim_Erg[set][i] = v[0];
  Sim.FI_Exp_Unc[set][i] = static_cast<float>(v[1]);
  if (tag.size() > 4 && tag[4] == '-') {
    Sim.FI_Exp_Erg[set][i] = v[0];
    ++Sim.FI_Asn_Lines[set];
  } else {
    Sim.FI_Exp_Erg[set][i] = 0.0;
  }
  double itn = std::pow(10.0, v[2]);
  if (Sim.TEMP_GLOBAL_STAT[set] == 1) {
    const double elo = std::strcmp(OrvPrm.Units_Txt, "MHz") == 0 ? v[3] * HT_MHZ_PER_CM1 : v[3];
    itn /= Boltzmann(set, i, elo);
  }
  if (std::isnan(itn) || itn < -1e20) itn = 0.0;
  if (itn > 1e20) itn = 1e20;
  float out = static_cast<float>(itn);
  if (im.spin) SpinWeight(set, i, &out);
  Sim.FI_Sim_Itn[set][i] = out;
  return true;
}

int16_t KleinerSym(const std::string& field) {
  char tok[4] = {};
  if (std::sscanf(field.c_str(), "%3s", tok) != 1) return 0;
  const std::string t = tok;
  if (t == "A1" || t == "B1" || t == "E1") return 1;
  if (t == "A2" || t == "B2" || t == "E2") return 2;
  return 0;
}

bool KleinerLine(Import& im, const std::string& line, uint32_t i) {
  const int16_t set = im.set;
  int32_t ju = 0, kau = 0, jl = 0, kal = 0, wt = 0;
  std::string usym, uidx, lsym, lidx;
  double frq = 0, itn = 0, elo = 0;
  size_t p = 0;
  bool ok = FieldInt(line, 0, 4, &ju) && FieldInt(line, 4, 3, &kau) && Field(line, 7, 3, &usym) &&
            Field(line, 10, 2, &uidx) && FieldInt(line, 12, 9, &jl) && FieldInt(line, 21, 3, &kal) &&
            Field(line, 24, 3, &lsym) && Field(line, 27, 2, &lidx);
  p = 29 + 23;
  ok = ok && FieldDouble(line, p, 13, &frq);
  p += 13 + 18;
  ok = ok && FieldDouble(line, p, 13, &itn);
  p += 13;
  ok = ok && FieldInt(line, p, 2, &wt);
  p += 2;
  ok = ok && FieldDouble(line, p, 13, &elo);
  if (!ok) return false;
  int16_t* q = Sim.FI_Jkk_Lbl[set] + 6 * static_cast<size_t>(i);
  q[0] = Short(ju);
  q[1] = Short(kau);
  q[2] = KleinerSym(usym);
  q[3] = Short(jl);
  q[4] = Short(kal);
  q[5] = KleinerSym(lsym);
  char tok[4] = {};
  std::sscanf(usym.c_str(), "%3s", tok);
  const std::string u = tok;
  const char band = (u == "A1" || u == "A2") ? 'A' : (u == "B1" || u == "B2") ? 'B' : 'E';
  Sim.FI_BT_Lbl[set][i] = band;
  int32_t a = 0, b = 0;
  if (band == 'E') {
    const char* c = uidx.c_str();
    if (!core_io::ScanLong(c, &a)) a = 0;
    c = lidx.c_str();
    if (!core_io::ScanLong(c, &b)) b = 0;
  }
  Sim.FI_FM_Lbl[set][2 * i] = static_cast<float>(a);
  Sim.FI_FM_Lbl[set][2 * i + 1] = static_cast<float>(b);
  Sim.FI_Sim_Erg[set][i] = frq;
  if (Sim.TEMP_GLOBAL_STAT[set] == 1) {
    const double e = std::strcmp(OrvPrm.Units_Txt, "CM-1") == 0 ? elo * HT_CM1_PER_MHZ : elo;
    itn /= Boltzmann(set, i, e);
  }
  if (im.spin) itn *= wt;
  Sim.FI_Sim_Itn[set][i] = static_cast<float>(itn);
  return true;
}

// ---- free formats ------------------------------------------------------------------------------
bool FreeLine(Import& im, Layout layout, const std::string& line, uint32_t i) {
  const int16_t set = im.set;
  int16_t* q = Sim.FI_Jkk_Lbl[set] + 6 * static_cast<size_t>(i);
  for (int k = 0; k < 6; ++k) q[k] = 0;
  const char* text = line.c_str();
  if (layout == Layout::FrqItn) {
    double f = 0.0, itn = 0.0;
    if (std::sscanf(text, "%lf%lf", &f, &itn) != 2) f = itn = 0.0;
    Sim.FI_Sim_Erg[set][i] = f;
    Sim.FI_Sim_Itn[set][i] = static_cast<float>(itn);
    Sim.FI_BT_Lbl[set][i] = 'n';
    return true;
  }
  char label = 0;
  float itn = 0.0f, f1 = 0.0f, f2 = 0.0f;
  double exp = 0.0, sim = 0.0, extra = 0.0;
  int got = 0;
  if (layout == Layout::Qn6) {
    got = std::sscanf(text, " %c%hd%hd%hd%hd%hd%hd%f%lf%lf%lf", &label, &q[0], &q[1], &q[2], &q[3], &q[4], &q[5], &itn,
                      &exp, &sim, &extra);
    if (got < 10) return false;
  } else {
    got = std::sscanf(text, " %c%hd%hd%hd%f%hd%hd%hd%f%f%lf%lf%lf", &label, &q[0], &q[1], &q[2], &f1, &q[3], &q[4],
                      &q[5], &f2, &itn, &exp, &sim, &extra);
    if (got < 12) return false;
    Sim.FI_FM_Lbl[set][2 * i] = f1;
    Sim.FI_FM_Lbl[set][2 * i + 1] = f2;
  }
  Sim.FI_BT_Lbl[set][i] = label;
  Sim.FI_Sim_Itn[set][i] = itn;
  Sim.FI_Exp_Erg[set][i] = exp;
  Sim.FI_Sim_Erg[set][i] = sim;
  return true;
}

// The whole file as one stream of tokens.
struct Tokens {
  std::string all;
  size_t p = 0;
  void SkipBlanks() {
    while (p < all.size() && std::strchr(" \t\r\n", all[p]) && all[p] != '\0') ++p;
  }
  bool Char(char* c) {
    SkipBlanks();
    if (p >= all.size()) return false;
    *c = all[p++];
    return true;
  }
  bool Number(double* v) {
    SkipBlanks();
    const char* s = all.c_str() + p;
    const char* e = s;
    if (!core_io::ScanDouble(e, v)) return false;
    p += static_cast<size_t>(e - s);
    return true;
  }
};

void LinesDotDat(Import& im, uint32_t slots) {
  const int16_t set = im.set;
  // The stream is made of the file's whole lines: a record is never cut.
  Tokens t;
  size_t size = 0;
  for (const std::string& l : im.text.lines) size += l.size() + 1;
  t.all.reserve(size);
  for (const std::string& l : im.text.lines) (t.all += l) += '\n';
  uint32_t i = 0;
  for (; i < slots; ++i) {
    char c[3];
    if (!t.Char(&c[0])) break;
    t.Char(&c[1]);
    t.Char(&c[2]);
    double v[7] = {};
    for (double& x : v) t.Number(&x);
    double itn = 0, exp = 0, sim = 0, skip = 0;
    t.Number(&itn);
    t.Number(&exp);
    t.Number(&sim);
    if (exp != 0.0) t.Number(&skip);
    Sim.FI_BT_Lbl[set][i] = c[0];
    for (int k = 0; k < 6; ++k) Sim.FI_Jkk_Lbl[set][6 * i + k] = Short(static_cast<int32_t>(v[k + 1]));
    Sim.FI_Sim_Itn[set][i] = static_cast<float>(itn);
    Sim.FI_Exp_Erg[set][i] = exp;
    Sim.FI_Sim_Erg[set][i] = sim;
  }
  im.stored = i;
}

// ---- exciton-model blocks ---------------------------------------------------------------------
int16_t PairValue(const char* two) {
  char s[3] = {two[0], two[1], 0};
  int32_t v = 0;
  const char* p = s;
  return core_io::ScanLong(p, &v) ? Short(v) : 0;
}

bool Exm95Line(Import& im, const std::string& line, uint32_t i, int32_t colons) {
  const int16_t set = im.set;
  constexpr int kPairs = 5;
  char pair[kPairs][2][2] = {};
  double frq = 0.0, x = 0.0;
  float itn = 0.0f;
  std::string fmt;
  if (im.absorption) {
    const int more = std::min(colons / 2, kPairs - 1);
    std::string pairs = "%*2c%2c%*c%2c";
    for (int k = 0; k < more; ++k) pairs += "%*5c%2c%*c%2c";
    fmt = "%*ld%*lf%lf%*lf%f%lf%*lf" + pairs;
    int got = std::sscanf(line.c_str(), fmt.c_str(), &frq, &itn, &x, pair[0][0], pair[0][1], pair[1][0], pair[1][1],
                          pair[2][0], pair[2][1], pair[3][0], pair[3][1], pair[4][0], pair[4][1]);
    if (got < 2) return false;
    if (x == 0.0) {
      std::string second = "%*ld%*lf%lf%*lf%f%*lf%*lf%*7c";
      for (int k = 0; k < more; ++k) second += "%*10c";
      second += "%*c%lf%*lf" + pairs;
      got = std::sscanf(line.c_str(), second.c_str(), &frq, &itn, &x, pair[0][0], pair[0][1], pair[1][0], pair[1][1],
                        pair[2][0], pair[2][1], pair[3][0], pair[3][1], pair[4][0], pair[4][1]);
      if (got < 2) return false;
    }
  } else {
    const int more = std::min(colons, kPairs - 1);
    fmt = "%*c%2c%*c%2c";
    for (int k = 0; k < more; ++k) fmt += "%*5c%2c%*c%2c";
    const int got = std::sscanf(line.c_str(), fmt.c_str(), pair[0][0], pair[0][1], pair[1][0], pair[1][1], pair[2][0],
                                pair[2][1], pair[3][0], pair[3][1], pair[4][0], pair[4][1]);
    if (got < 2) return false;
    const size_t at = static_cast<size_t>(9 + 10 * colons);
    if (line.size() <= at || std::sscanf(line.c_str() + at, "%lf%f", &frq, &itn) < 2) return false;
  }
  int16_t* q = Sim.FI_Jkk_Lbl[set] + 6 * static_cast<size_t>(i);
  // J', Ka', Kc', F', J'', Ka'', Kc'', F'' from the first four pairs.
  const int16_t v[8] = {PairValue(pair[0][0]), PairValue(pair[0][1]), PairValue(pair[1][0]), PairValue(pair[1][1]),
                        PairValue(pair[2][0]), PairValue(pair[2][1]), PairValue(pair[3][0]), PairValue(pair[3][1])};
  q[0] = v[0];
  q[1] = v[1];
  q[2] = v[2];
  Sim.FI_FM_Lbl[set][2 * i] = v[3];
  q[3] = v[4];
  q[4] = v[5];
  q[5] = v[6];
  Sim.FI_FM_Lbl[set][2 * i + 1] = v[7];
  Sim.FI_Sim_Erg[set][i] = frq;
  Sim.FI_Sim_Itn[set][i] = itn;
  Sim.FI_BT_Lbl[set][i] = im.absorption ? 'A' : 'E';
  return true;
}

// ---- the frame ----------------------------------------------------------------------------------
// Asks the layout's questions; false when the user aborted.
bool Questions(Import& im, Layout layout) {
  if (layout == Layout::Hitran) {
    if (Ask3("SCREEN FOR ISOTOPE [YES] | INCLUDE ALL [NO]?") == IDYES) {
      StrCopy(Dsp.GetTextPrompt, "ISOTOPE: ENTER HITRAN NUMBER?");
      StrCopy(Dsp.GetTextValue, "11");
      int32_t iso = 0;
      if (GetTextDialog() == 1 && platform::ParseInt32(Dsp.GetTextValue, &iso)) im.isotope = iso;
    }
    return true;
  }
  if (layout == Layout::Kleiner || layout == Layout::Pickett) {
    const int16_t sel = OrvPrm.Fit_Sel >= 0 && OrvPrm.Fit_Sel < 5 ? OrvPrm.Fit_Sel : 0;
    const int boltz = Ask3(StrPrintf("REMOVE BOLTZMANN FACTOR USING ROTOR DIALOG PRMS T1=[%lf] & UNITS=[%s] [YES] | USE "
                                     "CALCULATED TEMP [NO] | ABORT [CANCEL]?\n\nNOTE ORV FIT SELECTION=[%s] - USE [GND "
                                     "ONLY] WHEN MW SPECTRUM",
                                     OrvPrm.Temp_T1, OrvPrm.Units_Txt, OrvPrm.Fit_Names[sel]));
    if (boltz == IDCANCEL) return false;
    const int32_t* w = OrvPrm.Spin_Wts;
    int spin = IDNO;
    if (!(w[0] == 1 && w[1] == 1 && w[2] == 1 && w[3] == 1)) {
      spin = Ask3(StrPrintf("APPLY ROTOR DIALOG SPIN STATISTICAL WEIGHTS OF EE:EO:OO:OE=[%d:%d:%d:%d]?", w[0], w[1], w[2],
                            w[3]));
      if (spin == IDCANCEL) return false;
    }
    int half = IDNO;
    if (layout == Layout::Pickett) {
      half = Ask3("FIX PICKETT'S QUANTUM NUMBERS?\n\nHALF INTEGRAL SPIN [YES] | INTEGER SPIN [NO]?");
      if (half == IDCANCEL) return false;
    }
    im.spin = spin == IDYES;
    im.halfSpin = half == IDYES;
    // Kept for the flags, set after the questions so that an abort changes nothing.
    im.block = boltz == IDYES ? 1 : 0;
    return true;
  }
  if (layout == Layout::Exm95) {
    const int kind = Ask3("ABSORPTION SPECTRUM [YES] | EMISSION SPECTRUM [NO] | ABORT [CANCEL]?\n");
    if (kind == IDCANCEL) return false;
    im.absorption = kind == IDYES;
    if (im.absorption) {
      im.block = core_io::AskYesNo("ABSORPTION SPECTRUM FOR [-] [YES] | [+] [NO] STATE ?\n") ? 1 : 2;
    } else {
      im.block = core_io::AskYesNo("EMISSION SPECTRUM FROM [-] [YES] | [+] [NO] STATE ?\n") ? 1 : 3;
      if (!core_io::AskYesNo("POLARIZATION OF THE [-] [YES] | [+] [NO] STATE ?\n")) im.block += 1;
    }
  }
  return true;
}

void SetFlags(Import& im, Layout layout) {
  const int16_t set = im.set;
  static constexpr const char* kTypes[] = {"HITRAN",    "KLEINER_8QN", "PICKETT_8QN", "ASCII_FI",
                                           "ASCII_6QN", "ASCII_8QN",   "ASCII_LDD",   "EXM95"};
  StrCopy(Sim.Sim_Type[set], kTypes[static_cast<int>(layout)]);
  Sim.NLLSF_STAT[set] = 0;
  Sim.IMAG_STAT[set] = 0;
  Sim.AMP_STAT[set] = 0;
  Sim.DVS_STAT[set] = 0;
  const bool fm = layout == Layout::Kleiner || layout == Layout::Pickett || layout == Layout::Qn8 ||
                  layout == Layout::Exm95;
  // A set without F/M labels must not keep a flag that promises them.
  if (!fm) Sim.FM_STAT[set] = 0;
  if (layout == Layout::Hitran) {
    Sim.TDM_GLOBAL_STAT[set] = 0;
    Sim.HT_Global_Stat[set] = 1;
    Sim.IDVWIDTH_STAT[set] = 1;
    Sim.LN_STAT[set] = 1;
    Sim.ONESTATE_STAT[set] = 0;
    Sim.TEMP_GLOBAL_STAT[set] = 1;
    Sim.HT_MHz_Stat[set] = 0;
    return;
  }
  Sim.TDM_GLOBAL_STAT[set] = layout == Layout::FrqItn ? 0 : 1;
  if (layout == Layout::Exm95) Sim.FM_STAT[set] = 1;
  if (layout == Layout::Kleiner || layout == Layout::Pickett) {
    Sim.ONESTATE_STAT[set] = OrvPrm.One_State;
    Sim.FIT_STATE[set] = OrvPrm.Fit_Sel;
    Sim.TEMP_GLOBAL_STAT[set] = im.block == 1 ? 1 : 0;
  }
}

const char* AllocText(Layout layout) {
  switch (layout) {
    case Layout::Hitran:
      return "SimFIAscii2Binary()/FI_Sim_Erg/FI_Exp_Erg/FI_Exp_Unc/FI_Sim_Itn/FI_AreaPeak_FAry/FI_BT_Lbl/FI_Jkk_Lbl+\n\n"
             "CORE ALLOCATION ERROR";
    case Layout::FrqItn:
    case Layout::Qn6:
      return "SimFIAscii2Binary()/FI_Sim_Erg/FI_Exp_Erg/FI_Exp_Unc/FI_Sim_Itn/FI_AreaPeak_FAry/FI_BT_Lbl/FI_Jkk_Lbl\n\n"
             "CORE ALLOCATION ERROR";
    case Layout::LinesDotDat:
      return "SimFIAscii2Binary()/FI_Sim_Erg/FI_Exp_Erg/FI_Exp_Unc/FI_Sim_Itn/FI_AreaPeak_FAry/FI_BT_Lbl/Sim.FI_Jkk_Lbl\n\n"
             "CORE ALLOCATION ERROR";
    default:
      return "SimFIAscii2Binary()/FI_Sim_Erg/FI_Exp_Erg/FI_Exp_Unc/FI_Sim_Itn/FI_AreaPeak_FAry/FI_BT_Lbl/FI_Jkk_Lbl/"
             "FI_FM_Lbl\n\nCORE ALLOCATION ERROR";
  }
}

int32_t NoLines(const Import& im) {
  SimFIFreeQVS(im.set, &Sim, 1);
  core_io::Warning(StrPrintf("ASCII FILE [%s] CONTAINS NO LINES\n\nABORTING", im.name));
  return 0;
}

}  // namespace

bool SimTextLines::Open(const char* name) {
  lines.clear();
  pos = 0;
  core_io::LineIn in(core_io::LineIn::kWhole);
  if (!in.Open(name)) return false;
  std::string line;
  while (in.Next(line)) lines.push_back(line);
  return true;
}

bool SimTextLines::Next(std::string& line) {
  if (pos >= lines.size()) return false;
  line.assign(lines[pos++], 0, kLineChars);
  return true;
}

int32_t SimFIFindLabel(SimTextLines* file, const char* label, int32_t skip, int32_t occurrence) {
  if (!file || !label) return 0;
  file->Rewind();
  std::string line, first;
  for (int32_t k = 0; k < occurrence; ++k) {
    first.clear();
    while (file->Next(line)) {
      const size_t b = line.find_first_not_of(" \t");
      first = b == std::string::npos ? std::string() : line.substr(b, line.find_first_of(" \t", b) - b);
      if (first == label) break;
    }
    if (first != label) return 0;
  }
  for (int32_t k = 0; k < skip; ++k)
    if (!file->Next(line)) return 0;
  return first == label || occurrence <= 0 ? 1 : 0;
}

int32_t SimFIAscii2Binary(int16_t set, const char* file, const char* format) {
  if (set < 0 || set >= SIM_SETS || !file || !format) return 0;
  const bool trace = Debug.DebugTraceFlag == 1;
  if (trace) DebugTrace(1, "SimFIAscii2Binary()", DEBUG_ENTER);
  Import im{set, file, {}};
  if (!im.text.Open(file)) {
    core_io::Warning(StrPrintf("FAILED TO OPEN ASCII FILE [%s] FOR READING\n\nABORTING", file));
    return 0;
  }
  static constexpr const char* kKeys[] = {"HITRAN",    "KLEINER_8QN", "PICKETT_8QN",       "ASCII_FRQITN",
                                          "ASCII_6QN", "ASCII_8QN",   "ASCII_LINESDOTDAT", "EXM95"};
  int key = -1;
  for (int k = 0; k < 8 && key < 0; ++k)
    if (std::strcmp(format, kKeys[k]) == 0) key = k;
  if (key < 0) return 1;  // not a layout of ours: nothing changes
  const Layout layout = static_cast<Layout>(key);
  if (!Questions(im, layout)) return 0;

  // The set is replaced from here on; its modified quadrupole assignments are offered
  // for saving while its lines, which they are written by, are still there.
  SimFIQuadAsnModStat(set);
  SimFIFreeQVS(set, &Sim, 0);
  SetFlags(im, layout);
  if (layout == Layout::Hitran) Msg("HITRAN:   ASCII CONVERSION:\n");

  // Count the lines.
  uint32_t count = 0;
  int32_t colons = 0;
  if (layout == Layout::Exm95) {
    if (!SimFIFindLabel(&im.text, im.absorption ? "ABSORPTION" : "EMISSION", 1, im.block)) {
      core_io::Warning(StrPrintf("LABEL [%s] NOT FOUND IN FILE\n\nABORTING", im.absorption ? "ABSORPTION" : "EMISSION"));
      return 0;
    }
    std::string line;
    while (im.text.Next(line) && !line.empty()) ++count;
  } else {
    count = static_cast<uint32_t>(im.text.lines.size());
  }
  if (layout == Layout::Hitran) Msg(StrPrintf("   ASCII LINES=[%u]\n", count));
  if (count == 0) return NoLines(im);

  // Allocate.
  const bool fm = layout == Layout::Kleiner || layout == Layout::Pickett || layout == Layout::Qn8 ||
                  layout == Layout::Exm95;
  bool made = AllocCommon(set, count, fm);
  if (made && layout == Layout::Hitran) made = AllocHitran(set, count);
  if (!made) {
    SimFIFreeQVS(set, &Sim, 1);
    core_io::Error(AllocText(layout));
    return 0;
  }
  if ((layout == Layout::Kleiner || layout == Layout::Pickett) && Sim.TEMP_GLOBAL_STAT[set] == 1 &&
      !AllocEnergies(set, count)) {
    SimFIFreeQVS(set, &Sim, 1);
    core_io::Error("SimFIAscii2Binary()/Sim.FI_HamErg_Vector/Sim.FI_Erg_Idx\n\nCORE ALLOCATION ERROR");
    return 0;
  }

  // Read.
  uint32_t zeroSelf = 0;
  if (layout == Layout::LinesDotDat) {
    LinesDotDat(im, count);
  } else {
    im.text.Rewind();
    if (layout == Layout::Exm95) {
      const char* label = im.absorption ? "ABSORPTION" : "EMISSION";
      std::string header;
      if (!SimFIFindLabel(&im.text, label, 0, im.block) || !im.text.Next(header)) {
        SimFIFreeQVS(set, &Sim, 1);
        core_io::Warning(StrPrintf("LABEL [%s] NOT FOUND IN GAUSSIAN FRQ FILE\n\nABORTING", label));
        return 0;
      }
      for (char c : header) colons += c == ':' ? 1 : 0;
    }
    if (layout == Layout::Pickett) Sim.FI_Asn_Lines[set] = 0;
    size_t width = 13;
    std::string line;
    uint32_t slot = 0;
    for (uint32_t read = 0; read < count && im.text.Next(line); ++read) {
      if (layout == Layout::Exm95 && line.empty()) break;
      Sim.FI_Exp_Erg[set][slot] = 0.0;
      Sim.FI_Exp_Unc[set][slot] = 0.0f;
      if (fm) Sim.FI_FM_Lbl[set][2 * slot] = Sim.FI_FM_Lbl[set][2 * slot + 1] = 0.0f;
      bool kept = false;
      switch (layout) {
        case Layout::Hitran:
          kept = HitranLine(im, line, slot);
          if (kept && Sim.HT_Self_Gamma[set][slot] == 0.0f) ++zeroSelf;
          if (slot % 1000 == 0) Msg(StrPrintf("   PROCESSED LINES=[%u] OF [%u]\n", slot, count - im.rejected));
          break;
        case Layout::Pickett:
          kept = PickettLine(im, line, slot, &width);
          break;
        case Layout::Kleiner:
          kept = KleinerLine(im, line, slot);
          break;
        case Layout::Exm95:
          kept = Exm95Line(im, line, slot, colons);
          break;
        default:
          kept = FreeLine(im, layout, line, slot);
          break;
      }
      if (kept) {
        ++slot;
      } else {
        ++im.rejected;
      }
    }
    im.stored = slot;
  }
  Sim.FI_Lines[set] = im.stored;
  if (layout == Layout::Kleiner || layout == Layout::Pickett || layout == Layout::Qn8) Sim.FM_STAT[set] = 1;

  if (layout == Layout::Hitran) {
    Sim.HT_ZeroSelf_Lines[set] = zeroSelf;
    if (im.stored > 0) SimHTUnitsConvert(set, 0);
    core_io::StatusText(1, StrPrintf("HITRAN LINES READ=[%u]", im.stored));
    if (im.rejected > 0)
      core_io::Info(StrPrintf("HITRAN CONVERSION\n\nREJECTED LINES [%u] OF [%u] WITH GND STATE ENERGY=[-1.0]",
                              im.rejected, im.stored));
    if (zeroSelf > 0)
      core_io::Info(StrPrintf("HITRAN CONVERSION\n\nMODIFIED LINES [%u] OF [%u] WITH SELF-WIDTHS ZERO", zeroSelf,
                              im.stored));
    Msg(StrPrintf("   CONVERSION COMPLETE\n      HITRAN LINES=[%u]\n      REJECTED LINES=[%u]\n      SELF-WIDTHS "
                  "ZERO=[%u]\n",
                  im.stored, im.rejected, zeroSelf));
    uint32_t inside = 0;
    if (HitranLinesInDataRange(set, &inside)) Msg(StrPrintf("      LINES IN THE DATA RANGE=[%u]\n", inside));
    Msg("   TEMPERATURE, PRESSURES AND PATH: SIM HITRAN DIALOG\n"
        "      (SHOWN WITH DSP OF THE SET IN THE SIMULATION CONTROL DIALOG)\n");
    Sleep(3000);
    DspMsgShow(0, Win.hWnd_Main);
  } else if (im.rejected > 0) {
    core_io::Info(StrPrintf("REJECTED LINES=[%u]", im.rejected));
  }
  // A list of which no line was kept leaves no set behind.
  if (im.stored == 0) return NoLines(im);
  if (trace) DebugTrace(1, "SimFIAscii2Binary()", DEBUG_EXIT);
  return 1;
}

int32_t SimGaussianFrqExtract(const char* file) {
  const bool trace = Debug.DebugTraceFlag == 1;
  if (trace) DebugTrace(1, "SimGaussianFrqExtract()", DEBUG_ENTER);
  auto done = [&](int32_t result) {
    if (trace) DebugTrace(1, "SimGaussianFrqExtract()", DEBUG_EXIT);
    return result;
  };
  SimTextLines in;
  if (!file || !in.Open(file)) {
    core_io::Warning(StrPrintf("FAILED TO OPEN ASCII FILE [%s] FOR READING\n\nABORTING", file ? file : ""));
    return done(0);
  }
  constexpr const char* kOut = "_Gaussian.txt";
  platform::TextFileWriter out;
  if (!out.Open(kOut)) {
    core_io::Warning(StrPrintf("FAILED TO CREATE OUTPUT FILE [%s] FOR WRITING\n\nABORTING", kOut));
    return done(0);
  }
  auto fail = [&](const char* text) {
    out.Abort();
    core_io::Warning(text);
    return done(0);
  };
  if (!SimFIFindLabel(&in, "Harmonic", 5, 1)) return fail("LABEL 'Harmonic' NOT FOUND IN GAUSSIAN FRQ FILE\n\nABORTING");
  // Up to three numbers from character 16 of a line.
  auto numbers = [](const std::string& line, double* v) {
    if (line.size() <= 16) return 0;
    const char* p = line.c_str() + 16;
    int n = 0;
    while (n < 3 && core_io::ScanDouble(p, &v[n])) ++n;
    return n;
  };
  constexpr int kMaxAtoms = 500;
  std::string line;
  while (in.Next(line)) {
    char tok[16] = {};
    if (std::sscanf(line.c_str(), "%15s", tok) != 1) continue;
    if (std::strncmp(tok, "-----", 5) == 0) break;
    if (std::strcmp(tok, "Frequencies") != 0) continue;
    double frq[3] = {}, mass[3] = {}, force[3] = {}, ir[3] = {};
    const int modes = numbers(line, frq);
    if (modes == 0) return fail("GAUSSIAN FRQ FILE READ ERROR\n\nABORTING");
    if (!in.Next(line) || numbers(line, mass) != modes || !in.Next(line) || numbers(line, force) != modes)
      return fail("GAUSSIAN REDUCED MASS FILE READ ERROR\n\nABORTING");
    if (!in.Next(line) || numbers(line, ir) != modes) return fail("GAUSSIAN IR ITN FILE READ ERROR\n\nABORTING");
    in.Next(line);  // the atom header
    double sum[3] = {};
    int atoms = 0;
    const int want = 2 + 3 * modes;
    while (atoms < kMaxAtoms && in.pos < in.lines.size()) {
      const std::string atom = in.lines[in.pos].substr(0, SimTextLines::kLineChars);
      int32_t a = 0, z = 0;
      double d[9] = {};
      const int got = std::sscanf(atom.c_str(), "%d%d%lf%lf%lf%lf%lf%lf%lf%lf%lf", &a, &z, &d[0], &d[1], &d[2], &d[3],
                                  &d[4], &d[5], &d[6], &d[7], &d[8]);
      if (got != want) break;
      ++in.pos;
      ++atoms;
      for (int m = 0; m < modes; ++m) sum[m] += d[3 * m] * d[3 * m] + d[3 * m + 1] * d[3 * m + 1] + d[3 * m + 2] * d[3 * m + 2];
    }
    for (int m = 0; m < modes; ++m)
      out.Printf("%10.4lf %10.4lf %10.4lf %10.4lf %10.4lf\n", frq[m], ir[m], force[m], mass[m], std::sqrt(sum[m]));
    if (atoms >= kMaxAtoms) {
      core_io::Warning(StrPrintf("MAX ATOMS EXCEEDED [%d]\n\nA LARGER LIMIT NEEDS A NEW VERSION", kMaxAtoms));
      break;
    }
  }
  if (!out.Commit()) {
    core_io::Warning(StrPrintf("FAILED TO CREATE OUTPUT FILE [%s] FOR WRITING\n\nABORTING", kOut));
    return done(0);
  }
  return done(1);
}
