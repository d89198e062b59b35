// Line shapes of the simulation sets: the peak-normalised 16-bit template and the
// area-normalised half profiles (single and double precision) of each set and view
// level, the summing of a profile into a spectrum, and the Voigt values of the line
// fit. Profiles are sampled on the frequency grid of a view level (Dsp.FrqStpView).
#pragma once

#include <cstdint>

// One line's request to the half-profile builders and the HITRAN line calculation.
struct LineShapeRec {
  uint32_t HtCalc = 0;  // copy of the set's Sim.HT_LnCalc
  uint32_t Mode = 0;    // HITRAN line calculation: 1 with Sub 0 fills the half profiles,
  uint32_t Sub = 0;     // 0 with Sub 1 gives one value at Offset
  int16_t Set = 0;
  uint16_t Src = 0;     // the line's source-set label (fit data)
  int16_t View = 0;
  uint32_t Line = 0;
  int32_t Tag = 0;      // the fit's per-line value, passed through
  double Lor = 0.0;     // Lorentzian full width
  double Gau = 0.0;     // Gaussian full width
  double Itn = 0.0;     // the line's own intensity and frequency (HITRAN line
  double Erg = 0.0;     // calculation; copied back by the renderer)
  double Area = 0.0;    // out: area of the profile in frequency units
  double Peak = 0.0;    // out: profile value at the centre grid point
  double Nu0 = 0.0;     // line frequency (FULL LOR, VVWEISS)
  double FrqCor = 0.0;  // line frequency minus the frequency of the centre grid point
  double Ht[4] = {};    // used by the HITRAN line calculation only
  double Offset = 0.0;  // distance from the centre of the one value of the Voigt value path
};

// Line-shape functions of Sim.LS_Func.
constexpr int16_t LS_FUNC_VOIGT = 0;
constexpr int16_t LS_FUNC_FULL_LOR = 1;
constexpr int16_t LS_FUNC_VVWEISS = 2;

// The most points a profile may have on one side of its centre at any view level:
// 52 draw runs of 20,000 points. A profile of widths so large against the view's
// step (a time trace read as a spectrum, say) would take minutes and gigabytes to
// build; it is refused with LS_TOO_LONG instead.
constexpr int32_t LS_MAX_PTS = 1 << 20;
// Result of the builders for a profile longer than LS_MAX_PTS: nothing was built or
// changed, and part 1 of the status bar names the set, the level and the points the
// profile would need ("[A] TMPL [0] NEEDS [57431249] PTS - NOT DRAWN").
constexpr int32_t LS_TOO_LONG = 2;

// Builds Sim.LS_SAry of the set for all four view levels from the widths; returns at
// once when nothing changed (force 0). 1 on success, LS_TOO_LONG, or 0 after a
// message. FULL LOR ignores the Gaussian width.
int32_t SimLineShapeTemplate(int16_t set, double gau, double lor, int32_t force);
// Builds the f32 half profiles *lo, *hi of the record's set and view from the set's
// Sim.LS_GAU and Sim.LS_LOR, growing them as needed. 1, LS_TOO_LONG, or 0 after a
// message. FULL LOR ignores the Gaussian width and is the Lorentzian when Nu0 is 0.
int32_t SimLineShapeFNrm(LineShapeRec* rec, float** lo, float** hi);
// The same in f64 from the record's widths, the centre lying FrqCor above the centre
// grid point; writes the record's Area and Peak. While the set's (Sim.HT_LnCalc) or the
// fit's (Lsf.Ln_Calc) line calculation is on, the profile is the line's own from its
// HITRAN parameters (SimHTLineCalc, the record's Mode set to 1 and Sub to 0 here).
// 1, LS_TOO_LONG, or 0 after a message.
int32_t SimLineShapeDNrm(LineShapeRec* rec, double** lo, double** hi);
// The set's own half profiles of a view level at its widths Sim.LS_GAU and Sim.LS_LOR,
// single or double precision as Sim.LS_Double says; *rec (filled here, with Nu0) gets
// the Area and Peak. 1, LS_TOO_LONG, or 0 after a message.
int32_t SimLineShapeSetProfiles(int16_t set, int16_t view, double nu0, LineShapeRec* rec);
// Points on each side of the centre that the profile of a line of widths gau and lor
// takes at the view level, as the builders size it (the half profiles at least 100,
// which no template exceeds); 0 for a zero step or a profile longer than LS_MAX_PTS,
// which is never built.
int32_t SimLineShapeHalfPoints(int16_t set, int16_t view, double gau, double lor);
// Sim.LS_Area and Sim.LS_Peak of the set's template as it stands (the area of its
// level-3 template, peak 1), for the set whose shared profile is the template.
void SimLineShapeTemplateFactors(int16_t set);
// Adds amplitude x the f64 half profile of (set, view) over half points on each side
// of index centre into out[0..length-1]; targets outside are skipped. 1, or 0 when
// the set has no profile.
int32_t SimLineShapeSum(int16_t set, int16_t view, int32_t centre, int32_t half, int32_t length,
                        double amplitude, double* out);

// Model value of one line of the Voigt fit at frequency nu; prm = (intensity, centre,
// Gaussian width, Lorentzian width); lineProfile[point] is the line's profile on the
// fit grid prepared by VoigtFuncInit.
double VoigtFuncValue(int16_t set, int32_t line, int32_t point, const double* lineProfile, const double* prm,
                      double nu);
// Fills the profile of every fit line of the set on the fit grid (lineProfiles[line],
// Lsf.Fit_PtCnt values each). 1, or 0 after a message.
int32_t VoigtFuncInit(int16_t set, double** lineProfiles, const double* prm);

// The symmetric area-1 shape of the two widths at distance d from the centre:
// Gaussian, Lorentzian or Voigt by the 0.001 dominance rule; 0 for two zero widths.
double LineShapeValue(double gau, double lor, double d);

// HITRAN line calculation of a line of a set that holds the HITRAN coefficient arrays:
// with the record's Mode 1 and Sub 0 the line's own widths (written into Gau and Lor)
// give its f64 half profiles of the record's view level at the record's centre (Nu0,
// FrqCor; Sim.LS_Pts points, as sized by the builder); with Mode 0 and Sub 1 the value
// at Offset from the line's frequency goes into element 0 of the set's level-3 upper
// f64 half profile. Non-zero on success; 0 without the arrays or for another request.
int32_t SimHTLineCalc(int32_t mode, LineShapeRec* rec);
// True for a HITRAN set holding the coefficient arrays the line calculation reads.
bool SimHTLineArrays(int16_t set);
// The line's Doppler (gd) and Lorentzian (gl) full widths at frequency f from the
// set's temperature and pressures; writes nothing else. A total pressure not above the
// partial one counts as 0; without the isotope check there is no Doppler width.
void SimHTLineWidths(int16_t set, uint32_t line, double f, double* gd, double* gl);
// The line's molecule and isotope from its label; true when the tables know them.
bool SimHTLineIsotope(int16_t set, uint32_t line, int* mol, int* iso);

// Releases every profile store of every set and view level (end of the program, tests).
void SimLineShapeStoresFree();
