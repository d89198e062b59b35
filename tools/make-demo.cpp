// Writes the demo data of examples/: three headerless float channels of one laser
// scan (an absorption spectrum with Voigt-like lines and noise, the etalon marker
// trace recorded beside it, and the laser-power baseline), their view files of the
// LOW level (the whole scan on one page of the main window's first size) and the
// MED1 level (ten pages) in "QV95OIM", written by the program's own view run, the
// simulation set "demo.QVS" of the band's lines, and the working file "demo.QVW" that
// shows the channels with the set drawn over the absorption. The numbers come from a
// fixed seed, so every run writes the same files.
//
//   make_demo <folder>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/Hooks.h"
#include "app/WorkFile.h"
#include "core/TypedArrays.h"
#include "display/ViewDecimate.h"
#include "display/ViewFiles.h"
#include "platform/kernel/Text.h"
#include "records/Dsp.h"
#include "records/Sim.h"
#include "records/Win.h"
#include "sim/SimFile.h"
#include "sim/SimSets.h"

namespace {

constexpr int kPoints = 32000;
constexpr int kPtsFsr = 400;         // points per etalon fringe
constexpr double kFsr = 150.0;       // MHz
constexpr double kInitFrq = 70000.0; // MHz
constexpr double kPi = 3.14159265358979323846;
// Pixels of one page: the plot width of the main window's first size (1024 pixels
// wide, 1022 of them client area; the plot is one pixel narrower).
constexpr int32_t kPagePixels = 1021;
constexpr double kPages[3] = {1.0, 10.0, 0.0};  // LOW, MED1, no MED2

bool WriteFloats(const std::string& path, const std::vector<float>& values) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = true;
  for (float v : values) {
    uint32_t bits;
    static_assert(sizeof bits == sizeof v);
    std::memcpy(&bits, &v, sizeof bits);
    unsigned char le[4] = {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
                           static_cast<unsigned char>(bits >> 16), static_cast<unsigned char>(bits >> 24)};
    ok = ok && std::fwrite(le, 1, 4, f) == 4;
  }
  return std::fclose(f) == 0 && ok;
}

// Pseudo-Voigt profile of unit peak height: a Lorentzian and a Gaussian of the same
// half width mixed by eta.
double PseudoVoigt(double x, double halfWidth, double eta) {
  double u = x / halfWidth;
  return eta / (1.0 + u * u) + (1.0 - eta) * std::exp(-std::log(2.0) * u * u);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_demo <folder>\n");
    return 2;
  }
  Qv95HooksInstall();
  std::filesystem::path folder = argv[1];
  std::error_code error;
  std::filesystem::create_directories(folder, error);

  std::mt19937 random(19970314u);
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  auto gauss = [&]() {  // Box-Muller, so the numbers do not depend on the library's normal distribution
    double u1 = uniform(random), u2 = uniform(random);
    return std::sqrt(-2.0 * std::log(u1 + 1e-300)) * std::cos(2.0 * kPi * u2);
  };

  // A slowly sweeping laser: the frequency of point i runs a little faster towards the end,
  // which the etalon fringes show.
  std::vector<double> frequency(kPoints);
  for (int i = 0; i < kPoints; i++) {
    double t = static_cast<double>(i) / kPoints;
    frequency[i] = i * (kFsr / kPtsFsr) * (1.0 + 0.03 * t * t);
  }

  // Rotational-like band: lines spaced by about 300 MHz, Boltzmann-like intensities,
  // Doppler-broadened with a little pressure broadening.
  struct Line {
    double centre, depth, halfWidth, eta;
  };
  std::vector<Line> lines;
  double span = frequency.back();
  for (int j = 0; j < 40; j++) {
    double centre = 250.0 + j * 300.0 + 40.0 * (uniform(random) - 0.5);
    if (centre > span - 200.0) break;
    double rel = (j - 14.0) / 9.0;
    double depth = 0.9 * std::exp(-rel * rel) * (0.6 + 0.4 * uniform(random));
    lines.push_back({centre, depth, 9.0 + 4.0 * uniform(random), 0.3 + 0.2 * uniform(random)});
    if (uniform(random) < 0.35)  // weaker satellites, as hot-band lines
      lines.push_back({centre + 60.0 + 60.0 * uniform(random), 0.25 * depth, 8.0, 0.3});
  }

  std::vector<float> absorption(kPoints), etalon(kPoints), baseline(kPoints);
  for (int i = 0; i < kPoints; i++) {
    double t = static_cast<double>(i) / kPoints;
    double power = 1.0 + 0.08 * t - 0.12 * t * t + 0.015 * std::sin(2.0 * kPi * 3.3 * t);
    double alpha = 0.0;
    for (const Line& l : lines) alpha += l.depth * PseudoVoigt(frequency[i] - l.centre, l.halfWidth, l.eta);
    absorption[i] = static_cast<float>(power * std::exp(-alpha) + 0.004 * gauss());
    double phase = kPi * frequency[i] / kFsr;
    double s = std::sin(phase);
    etalon[i] = static_cast<float>(power / (1.0 + 12.0 * s * s) + 0.003 * gauss());
    baseline[i] = static_cast<float>(power + 0.002 * gauss());
  }

  const char* names[3] = {"absorption.bin", "etalon.bin", "baseline.bin"};
  const std::vector<float>* data[3] = {&absorption, &etalon, &baseline};
  for (int c = 0; c < 3; c++)
    if (!WriteFloats((folder / names[c]).string(), *data[c])) {
      std::fprintf(stderr, "make_demo: cannot write %s\n", names[c]);
      return 1;
    }

  // The working file that shows the three channels one above the other.
  std::filesystem::current_path(folder);
  StrCopy(Dsp.Work_Flnm, "demo.QVW");
  StrCopy(Dsp.Work_Comment, "DEMO SCAN - ABSORPTION WITH ETALON MARKERS AND LASER POWER");
  StrCopy(Dsp.Work_Date, "3-14-1997");
  StrCopy(Dsp.Work_Time, "10:42");
  const double offsets[3] = {0.0, 1.1, 1.9};
  for (int c = 0; c < 3; c++) {
    StrCopy(Dsp.Chn_Flnm[c], names[c]);
    Dsp.Chn_DspStat[c] = 1;
    Dsp.Chn_Scalar[c] = 3.0;
    Dsp.Chn_Offset[c] = offsets[c];
    Dsp.Chn_ColorNo[c] = static_cast<int16_t>(c + 1);
    Dsp.FL_SZ[WIN_RAW][c] = kPoints;
    for (int level = 0; level < 3; level++) {
      // Averages: the absorption dips stay in the coarse levels.
      Win.ViewKind[level][c] = kPages[level] > 0.0 ? VIEW_KIND_AVE : VIEW_KIND_NONE;
      StrCopy(Win.ViewKind_Txt[level][c], kPages[level] > 0.0 ? "AVE" : "NONE");
    }
    Dsp.ViewUpdate[c] = 1;
  }
  Dsp.Init_Frq = kInitFrq;
  Dsp.FSR = kFsr;
  Dsp.Pts_FSR = kPtsFsr;
  Dsp.Frq_Stp = kFsr / kPtsFsr;

  // The view files, built by one view run as the program builds them; the sizes it
  // leaves in Dsp.FL_SZ go into the working file.
  StrCopy(Dsp.Data_Dir, std::filesystem::current_path().string().c_str());
  std::filesystem::create_directories(VIEW_FOLDER, error);
  Win.Active_Chn = 0;
  Win.Page_Width = kPagePixels;
  Win.Page_Pixels = kPagePixels;
  Win.ViewPageType = 0;
  Win.ViewPrep = 1;
  for (int level = 0; level < 3; level++) Win.X_PAGES[level] = kPages[level];
  DisplayQviQvoSetup(nullptr);
  for (int c = 0; c < 3; c++)
    for (int level = 0; level < 3; level++)
      if (kPages[level] > 0.0 && Dsp.FL_SZ[level][c] != static_cast<uint32_t>(kPages[level] * kPagePixels)) {
        std::fprintf(stderr, "make_demo: no view file of level %d for %s\n", level, names[c]);
        return 1;
      }

  // Set A: the band's lines at their frequencies with their absorbances as intensities,
  // Voigt profiles of one pair of widths (MHz) scaled to unit peak, drawn downwards from
  // 1 over the absorption channel in red.
  const uint32_t n = static_cast<uint32_t>(lines.size());
  Sim.FI_Lines[0] = n;
  bool made = DAlloc1Dim(&Sim.FI_Sim_Erg[0], n) == 1 && DAlloc1Dim(&Sim.FI_Exp_Erg[0], n) == 1 &&
              FAlloc1Dim(&Sim.FI_Exp_Unc[0], n) == 1 && FAlloc1Dim(&Sim.FI_Sim_Itn[0], n) == 1 &&
              CAlloc1Dim(&Sim.FI_BT_Lbl[0], n) == 1 && SAlloc1Dim(&Sim.FI_Jkk_Lbl[0], 6 * n) == 1;
  for (uint32_t i = 0; made && i < n; i++) {
    Sim.FI_Sim_Erg[0][i] = kInitFrq + lines[i].centre;
    Sim.FI_Exp_Erg[0][i] = 0.0;
    Sim.FI_Exp_Unc[0][i] = 0.0f;
    Sim.FI_Sim_Itn[0][i] = static_cast<float>(lines[i].depth);
    Sim.FI_BT_Lbl[0][i] = 'A';
    const int16_t j = static_cast<int16_t>(i + 1);  // an R-branch-like label
    const int16_t qn[6] = {j, 0, j, static_cast<int16_t>(j - 1), 0, static_cast<int16_t>(j - 1)};
    for (int k = 0; k < 6; k++) Sim.FI_Jkk_Lbl[0][6 * i + k] = qn[k];
  }
  StrCopy(Sim.Sim_Flnm[0], "demo");
  Sim.Dsp_Stat[0] = 1;
  Sim.Dsp_Cnl[0] = 0;
  Sim.Dsp_Scalar[0] = -1.0;
  Sim.Dsp_Offset[0] = -1.0;
  Sim.COLOR_NO[0] = 2;
  Sim.LS_GAU[0] = 18.0;
  Sim.LS_LOR[0] = 8.0;
  Sim.LS_WidthMode[0] = 1;
  Sim.LS_NOLWS[0] = 10;
  const bool simWritten = made && SimFIWriteQVS(0, &Sim) == 1;
  SimFIFreeQVS(0, &Sim, 0);  // the working file names the set; reading it brings the lines
  Sim.Dsp_Stat[0] = 1;
  if (!simWritten) {
    std::fprintf(stderr, "make_demo: cannot write demo.QVS\n");
    return 1;
  }
  return WorkFileWrite() ? 0 : 1;
}
