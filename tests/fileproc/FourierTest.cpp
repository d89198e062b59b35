// Transforms against a plain long-double DFT, the cached plan, phases, the Tukey
// window, complex file arithmetic and deglitching.
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "FileOpsFixture.h"
#include "fileproc/Fourier.h"
#include "numerics/FftwPlan.h"
#include "records/FftwCache.h"
#include "records/MathConst.h"

namespace {

using Spectrum = std::vector<std::pair<long double, long double>>;

// X[k] = sum x[j] exp(-2 pi i j k / n) over the first count values (the rest are zeros).
Spectrum Dft(const std::vector<float>& x, int n, int every = 1) {
  const long double pi = 3.141592653589793238462643383279502884L;
  Spectrum s(static_cast<size_t>(n / 2 + 1));
  for (int k = 0; k <= n / 2; k += every) {
    long double re = 0.0L, im = 0.0L;
    for (size_t j = 0; j < x.size(); ++j) {
      const long double a = -2.0L * pi * static_cast<long double>((j * static_cast<size_t>(k)) % static_cast<size_t>(n)) / n;
      re += x[j] * std::cos(a);
      im += x[j] * std::sin(a);
    }
    s[static_cast<size_t>(k)] = {re, im};
  }
  return s;
}

std::vector<float> Random(int n, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<float> d(-1.0f, 1.0f);
  std::vector<float> v(static_cast<size_t>(n));
  for (float& x : v) x = d(gen);
  return v;
}

// The y column of a two-column text spectrum (any line end).
std::vector<float> YColumn(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (char& ch : all)
    if (ch == '\r') ch = '\n';
  std::istringstream lines(all);
  std::vector<float> y;
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream f(line);
    double a = 0.0, b = 0.0;
    if (f >> a >> b) y.push_back(static_cast<float>(b));
  }
  return y;
}

double Tol(const Spectrum& s) {
  long double m = 0.0L;
  for (auto& v : s) m = std::max(m, std::hypot(v.first, v.second));
  return static_cast<double>(m) * 2e-6 + 1e-6;
}

class FourierTest : public qvtest::AnsweringFileOpsTest {
 protected:
  void SetUp() override {
    AnsweringFileOpsTest::SetUp();
    MathConst = MathConstRecord{};
  }
  // Runs the deglitcher on a file and returns the copy.
  std::vector<float> Deglitch(const std::string& in, int32_t* result) {
    const int fin = ::open(in.c_str(), O_RDONLY);
    const int fout = ::open("deglitched", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    *result = FFTDeglitchFile(0, fin, fout, in.c_str());
    ::close(fin);
    ::close(fout);
    return ReadValues<float>("deglitched");
  }
};

TEST_F(FourierTest, BothArrayFormsMatchTheDftInEveryMode) {
  const std::vector<float> x = Random(1000, 7);
  const Spectrum ref = Dft(x, 1024);
  const double tol = Tol(ref);
  for (bool cached : {true, false}) {
    std::vector<float> mag(513, -9.0f), re(513), im(513), ph(513), out(513);
    auto run = [&](uint16_t mode, float* o, float* r, float* i, float* p) {
      return cached ? FFTwConvertAry(0, 1000, 1024, x.data(), o, r, i, p, mode, 0)
                    : FFTwConvertFileAry(0, 1000, 1024, x.data(), o, r, i, p, mode);
    };
    ASSERT_EQ(run(FFT_OUT_ALL, mag.data(), re.data(), im.data(), ph.data()), 1);
    for (size_t k = 0; k < 513; ++k) {
      const double r = static_cast<double>(ref[k].first), i = static_cast<double>(ref[k].second);
      EXPECT_NEAR(re[k], r, tol) << k;
      EXPECT_NEAR(im[k], i, tol) << k;
      EXPECT_NEAR(mag[k], std::hypot(r, i), tol) << k;
      if (std::hypot(r, i) > 1.0) {
        EXPECT_NEAR(ph[k], std::atan2(i, r) * 180.0 / M_PI, 1e-3) << k;
      }
    }
    for (uint16_t mode : {FFT_OUT_MAG, FFT_OUT_RE, FFT_OUT_IM, FFT_OUT_PHASE}) {
      ASSERT_EQ(run(mode, out.data(), nullptr, nullptr, nullptr), 1);
      const std::vector<float>& want = mode == FFT_OUT_MAG ? mag : mode == FFT_OUT_RE ? re : mode == FFT_OUT_IM ? im : ph;
      for (size_t k = 0; k < 513; ++k) EXPECT_FLOAT_EQ(out[k], want[k]) << mode << " " << k;
    }
    // Mode 4 hands out nothing and still succeeds.
    std::vector<float> untouched(513, 3.0f);
    EXPECT_EQ(run(4, untouched.data(), nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(untouched, std::vector<float>(513, 3.0f));
  }
}

TEST_F(FourierTest, RealSpectrumMatchesTheDft) {
  const std::vector<float> y = YColumn(std::string(QV95_TESTDATA_DIR) + "/xy/blackchirp_tmc_kaifu.txt");
  ASSERT_EQ(y.size(), 10000u);
  const int n = 10000;
  const Spectrum ref = Dft(y, n, 37);
  std::vector<float> re(n / 2 + 1), im(n / 2 + 1);
  ASSERT_EQ(FFTwConvertAry(0, n, n, y.data(), re.data(), nullptr, nullptr, nullptr, FFT_OUT_RE, 0), 1);
  ASSERT_EQ(FFTwConvertAry(0, n, n, y.data(), im.data(), nullptr, nullptr, nullptr, FFT_OUT_IM, 0), 1);
  const double tol = Tol(ref);
  for (int k = 0; k <= n / 2; k += 37) {
    EXPECT_NEAR(re[static_cast<size_t>(k)], static_cast<double>(ref[static_cast<size_t>(k)].first), tol) << k;
    EXPECT_NEAR(im[static_cast<size_t>(k)], static_cast<double>(ref[static_cast<size_t>(k)].second), tol) << k;
  }
}

TEST_F(FourierTest, FileFormWritesHalfTheTransformToEachOfTheFourFiles) {
  std::vector<float> data(1200);
  const std::vector<float> x = Random(1000, 11);
  std::copy(x.begin(), x.end(), data.begin() + 100);
  WriteValues("time", data);
  ASSERT_EQ(FFTwConvertFileAry("time", 100, 1100, 1024, 0, 0.0, 0), 1);
  std::vector<float> mag(513), re(513), im(513), ph(513);
  ASSERT_EQ(FFTwConvertFileAry(0, 1000, 1024, x.data(), mag.data(), re.data(), im.data(), ph.data(), FFT_OUT_ALL), 1);
  const char* suffix[4] = {"Ma", "Re", "Im", "Ph"};
  const std::vector<float>* want[4] = {&mag, &re, &im, &ph};
  for (int i = 0; i < 4; ++i) {
    const std::vector<float> got = ReadValues<float>(std::string("time") + suffix[i]);
    ASSERT_EQ(got.size(), 512u) << suffix[i];
    EXPECT_TRUE(std::equal(got.begin(), got.end(), want[i]->begin())) << suffix[i];
  }
  // Windowed: the section is tapered before the transform (its first value goes to 0).
  ASSERT_EQ(FFTwConvertFileAry("time", 100, 1100, 1024, 1, 0.5, 0), 1);
  std::vector<float> tapered(x);
  FFTwFilterAry(0, FFT_WIN_PASS, 0.5, 1.0, 0, 1000, 1000, tapered.data(), nullptr);
  ASSERT_EQ(FFTwConvertFileAry(0, 1000, 1024, tapered.data(), mag.data(), nullptr, nullptr, nullptr, FFT_OUT_MAG), 1);
  EXPECT_TRUE(std::equal(mag.begin(), mag.begin() + 512, ReadValues<float>("timeMa").begin()));
}

TEST_F(FourierTest, TheCacheMakesOnePlanPerSize) {
  const std::vector<float> x = Random(300, 3);
  std::vector<float> out(600);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(FFTwConvertAry(0, 300, 512, x.data(), out.data(), nullptr, nullptr, nullptr, 0, 0), 1);
  EXPECT_EQ(FftwCache.Plan_Count, 1u);
  EXPECT_EQ(FftwCache.N, 512);
  ASSERT_EQ(FFTwConvertAry(0, 300, 1000, x.data(), out.data(), nullptr, nullptr, nullptr, 0, 0), 1);
  ASSERT_EQ(FFTwConvertAry(0, 300, 1000, x.data(), out.data(), nullptr, nullptr, nullptr, 0, 0), 1);
  EXPECT_EQ(FftwCache.Plan_Count, 2u);
  // n = 0 with a valid section only releases the cache; the next call plans again.
  EXPECT_EQ(FFTwConvertAry(0, 300, 0, x.data(), out.data(), nullptr, nullptr, nullptr, 0, 0), 1);
  EXPECT_EQ(FftwCache.N, 0);
  EXPECT_EQ(FftwCache.Plan, nullptr);
  EXPECT_EQ(FftwCache.In, nullptr);
  ASSERT_EQ(FFTwConvertAry(0, 300, 1000, x.data(), out.data(), nullptr, nullptr, nullptr, 0, 0), 1);
  EXPECT_EQ(FftwCache.Plan_Count, 3u);
}

TEST_F(FourierTest, EmptySectionsAndSizesBelowTheSectionAreRefused) {
  const std::vector<float> x = Random(100, 5);
  std::vector<float> out(64, 2.0f);
  EXPECT_EQ(FFTwConvertAry(5, 5, 64, x.data(), out.data(), nullptr, nullptr, nullptr, 0, 0), 0);
  EXPECT_EQ(FFTwConvertFileAry(5, 5, 64, x.data(), out.data(), nullptr, nullptr, nullptr, 0), 0);
  // 100 values do not fit a transform of 64: nothing is copied past its input buffer.
  EXPECT_EQ(FFTwConvertAry(0, 100, 64, x.data(), out.data(), nullptr, nullptr, nullptr, 0, 0), 0);
  EXPECT_EQ(FFTwConvertFileAry(0, 100, 64, x.data(), out.data(), nullptr, nullptr, nullptr, 0), 0);
  WriteValues("t", x);
  EXPECT_EQ(FFTwConvertFileAry("t", 0, 100, 64, 0, 0.0, 0), 0);
  EXPECT_EQ(out, std::vector<float>(64, 2.0f));
  EXPECT_EQ(FftwCache.Plan_Count, 0u);
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "Warning: FFTwConvertAry()\n\nARY LIMITS ERROR\n\nLO=[5] HI=[5]\n\nABORTING",
                         "Warning: FFTwConvertFileAry()\n\nFILE LIMITS ERROR\n\nLO=[5] HI=[5]\n\nABORTING",
                         "Warning: FFTwConvertAry()\n\nARY LIMITS ERROR\n\nLO=[0] HI=[100]\n\nABORTING",
                         "Warning: FFTwConvertFileAry()\n\nFILE LIMITS ERROR\n\nLO=[0] HI=[100]\n\nABORTING",
                         "Warning: FFTwConvertFileAry()\n\nFILE LIMITS ERROR\n\nLO=[0] HI=[100]\n\nABORTING"}));
  EXPECT_FALSE(std::filesystem::exists("tMa"));
}

TEST_F(FourierTest, AnAllZeroSectionHasNoPhase) {
  const std::vector<float> zeros(16, 0.0f);
  std::vector<float> out(9, 5.0f);
  EXPECT_EQ(FFTwConvertAry(0, 16, 16, zeros.data(), out.data(), nullptr, nullptr, nullptr, FFT_OUT_PHASE, 1), 1);
  EXPECT_EQ(out, std::vector<float>(9, 5.0f));
  WriteValues("z", zeros);
  ASSERT_EQ(FFTwConvertFileAry("z", 0, 16, 16, 0, 0.0, 0), 1);
  EXPECT_EQ(ReadValues<float>("zMa").size(), 8u);
  EXPECT_EQ(ReadValues<float>("zIm").size(), 8u);
  EXPECT_TRUE(std::filesystem::exists("zPh"));
  EXPECT_EQ(ReadValues<float>("zPh").size(), 0u);
  EXPECT_EQ(Texts().front(), "Warning: FFTwPhaseCalcAry()\n\nINVALID ARG TO ATAN2\n\nABORTING");
}

TEST_F(FourierTest, PhaseCalculationUnwrapAndWrap) {
  float re[3] = {1.0f, 0.0f, -1.0f}, im[3] = {1.0f, 0.0f, 0.0f}, out[3] = {};
  ASSERT_EQ(FFTwPhaseCalcAry(re, im, nullptr, nullptr, nullptr, 3, out), 1);
  EXPECT_FLOAT_EQ(out[0], 45.0f);
  EXPECT_FLOAT_EQ(out[1], 0.0f);
  EXPECT_FLOAT_EQ(out[2], 180.0f);
  const double cplx[4] = {0.0, 0.0, 1.0, 1.0};
  float untouched[2] = {7.0f, 7.0f};
  EXPECT_EQ(FFTwPhaseCalcAry(nullptr, nullptr, nullptr, nullptr, cplx, 2, untouched), 0);
  EXPECT_EQ(untouched[0], 7.0f);

  float f[3] = {170.0f, -170.0f, 170.0f};
  double d[3] = {170.0, -170.0, 170.0};
  EXPECT_EQ(FFTwPhaseUnwrap(1, 3, f, d, 1.0), 1);
  EXPECT_EQ(std::vector<float>(f, f + 3), (std::vector<float>{170.0f, 190.0f, 170.0f}));
  EXPECT_EQ(std::vector<double>(d, d + 3), (std::vector<double>{170.0, 190.0, 170.0}));
  double w[2] = {190.0, 550.0};
  FFTwPhaseUnwrap(0, 1, nullptr, w, 1.0);
  FFTwPhaseUnwrap(0, 1, nullptr, w + 1, 1.0);
  EXPECT_DOUBLE_EQ(w[0], -170.0);
  EXPECT_DOUBLE_EQ(w[1], -170.0);
  // Whole turns and more below -half come back into [-half, +half] as the same angle.
  double turns[5] = {-400.0, 360.0, 720.0, -360.0, -2539.83};
  FFTwPhaseUnwrap(0, 5, nullptr, turns, 1.0);
  EXPECT_DOUBLE_EQ(turns[0], -40.0);
  EXPECT_DOUBLE_EQ(turns[1], 0.0);
  EXPECT_DOUBLE_EQ(turns[2], 0.0);
  EXPECT_DOUBLE_EQ(turns[3], 0.0);
  EXPECT_NEAR(turns[4], -19.83, 1e-9);
  for (double scale : {0.5, 1.0, 3.0}) {
    std::vector<double> v;
    for (int i = -1504; i <= 1504; ++i) v.push_back(i * 1.7);
    std::vector<double> wrapped = v;
    FFTwPhaseUnwrap(0, static_cast<int32_t>(v.size()), nullptr, wrapped.data(), scale);
    const double half = 180.0 * scale;
    for (size_t i = 0; i < v.size(); ++i) {
      ASSERT_LE(std::fabs(wrapped[i]), half) << v[i] << " scale " << scale;
      const double periods = (v[i] - wrapped[i]) / (2.0 * half);
      ASSERT_NEAR(periods, std::round(periods), 1e-9) << v[i] << " scale " << scale;
    }
  }
}

TEST_F(FourierTest, TukeyPassAndStopWindows) {
  std::vector<float> pass(100, 1.0f);
  ASSERT_EQ(FFTwFilterAry(0, FFT_WIN_PASS, 1.0, 1.0, 0, 100, 100, pass.data(), nullptr), 1);
  EXPECT_NEAR(pass[0], 0.0, 1e-7);
  EXPECT_NEAR(pass[50], 1.0, 1e-7);
  EXPECT_LT(pass[99], 0.01);
  EXPECT_GT(pass[25], 0.4);
  std::vector<double> narrow(100, 2.0);
  ASSERT_EQ(FFTwFilterAry(0, FFT_WIN_PASS, 0.2, 1.0, 0, 100, 100, nullptr, narrow.data()), 1);
  for (int j = 11; j <= 89; ++j) EXPECT_EQ(narrow[static_cast<size_t>(j)], 2.0) << j;
  EXPECT_EQ(narrow[10], 2.0);  // the flanks end at 1
  EXPECT_LT(narrow[9], 2.0);
  EXPECT_LT(narrow[91], 2.0);
  std::vector<float> stop(100, 1.0f);
  ASSERT_EQ(FFTwFilterAry(0, FFT_WIN_STOP, 0.2, 1.0, 0, 100, 100, stop.data(), nullptr), 1);
  EXPECT_FLOAT_EQ(stop[0], 1.0f);
  EXPECT_FLOAT_EQ(stop[50], 0.0f);
  EXPECT_NEAR(stop[99], 1.0, 0.03);
  // The window's own index starts at lo; hi = size is accepted, size + 1 is not.
  std::vector<float> part(10, 1.0f);
  EXPECT_EQ(FFTwFilterAry(0, FFT_WIN_PASS, 1.0, 1.0, 5, 10, 10, part.data(), nullptr), 1);
  EXPECT_EQ(part[4], 1.0f);
  EXPECT_NEAR(part[5], 0.0, 1e-7);
  EXPECT_EQ(FFTwFilterAry(0, FFT_WIN_PASS, 1.0, 1.0, 0, 11, 10, part.data(), nullptr), 0);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Warning: FFTwFilterAry()\n\nINVALID WINDOW SIZE\n\nABORTING"});
  // No taper: the pass window keeps every value, the stop window zeroes them.
  std::vector<float> flat(20, 3.0f);
  EXPECT_EQ(FFTwFilterAry(0, FFT_WIN_PASS, 0.0, 1.0, 0, 20, 20, flat.data(), nullptr), 1);
  EXPECT_EQ(flat, std::vector<float>(20, 3.0f));
  EXPECT_EQ(FFTwFilterAry(0, FFT_WIN_STOP, 0.0, 1.0, 0, 20, 20, flat.data(), nullptr), 1);
  EXPECT_EQ(flat, std::vector<float>(20, 0.0f));
  // Another kind or sense leaves the array alone.
  std::vector<float> same(20, 3.0f);
  EXPECT_EQ(FFTwFilterAry(1, FFT_WIN_PASS, 0.5, 1.0, 0, 20, 20, same.data(), nullptr), 1);
  EXPECT_EQ(FFTwFilterAry(0, 2, 0.5, 1.0, 0, 20, 20, same.data(), nullptr), 1);
  EXPECT_EQ(same, std::vector<float>(20, 3.0f));
}

TEST_F(FourierTest, MultiplyThenDivideRestoresTheInput) {
  const size_t n = 70000;  // more than one block
  const std::vector<float> a = Random(static_cast<int>(n), 1), b = Random(static_cast<int>(n), 2);
  std::vector<float> c = Random(static_cast<int>(n), 3), d = Random(static_cast<int>(n), 4);
  for (float& v : c) v += 2.0f;  // keep the divisor away from 0
  WriteValues("xRe", a);
  WriteValues("xIm", b);
  WriteValues("yRe", c);
  WriteValues("yIm", d);
  ASSERT_EQ(FFTwMultDivFile("x", "y", "p", 0), 1);
  const std::vector<float> pr = ReadValues<float>("pRe"), pi = ReadValues<float>("pIm");
  ASSERT_EQ(pr.size(), n);
  EXPECT_FLOAT_EQ(pr[5], a[5] * c[5] - b[5] * d[5]);
  EXPECT_FLOAT_EQ(pi[5], a[5] * d[5] + b[5] * c[5]);
  // Divided in place: the output names the product itself.
  ASSERT_EQ(FFTwMultDivFile("p", "y", "p", 1), 1);
  const std::vector<float> qr = ReadValues<float>("pRe"), qi = ReadValues<float>("pIm");
  ASSERT_EQ(qr.size(), n);
  for (size_t k = 0; k < n; k += 997) {
    EXPECT_NEAR(qr[k], a[k], 1e-5) << k;
    EXPECT_NEAR(qi[k], b[k], 1e-5) << k;
  }
  ASSERT_EQ(FFTwMultDivFile("x", nullptr, "m", 2), 1);
  EXPECT_FLOAT_EQ(ReadValues<float>("mMa")[7], std::sqrt(a[7] * a[7] + b[7] * b[7]));
  Cnv.Phase_Shift = 90.0;
  ASSERT_EQ(FFTwMultDivFile("x", nullptr, "s", 3), 1);
  EXPECT_NEAR(ReadValues<float>("sRe")[9], -b[9], 1e-6);
  EXPECT_NEAR(ReadValues<float>("sIm")[9], a[9], 1e-6);
}

TEST_F(FourierTest, ComplexFilesOfDifferentLengthsCreateNoOutput) {
  WriteValues("xRe", Ramp(10));
  WriteValues("xIm", Ramp(10));
  WriteValues("yRe", Ramp(9));
  WriteValues("yIm", Ramp(9));
  EXPECT_EQ(FFTwMultDivFile("x", "y", "o", 0), 0);
  EXPECT_FALSE(std::filesystem::exists("oRe"));
  EXPECT_FALSE(std::filesystem::exists("oIm"));
  EXPECT_EQ(Texts(), std::vector<std::string>{"Warning: INPUT FILE LENGTHS NOT THE SAME [x]+EXT & [y]+EXT\n\nABORTING"});
  // A short second imaginary file ends the run early: the outputs hold what was
  // written before it, here nothing.
  WriteValues("yRe", Ramp(10));
  WriteValues("oRe", Ramp(3));
  EXPECT_EQ(FFTwMultDivFile("x", "y", "o", 0), 0);
  EXPECT_TRUE(ReadValues<float>("oRe").empty());
  EXPECT_TRUE(std::filesystem::exists("oIm"));
  EXPECT_EQ(Texts().back(), "Error: MultDiv() - PREMATURE EOF\n\nABORTING");
}

TEST_F(FourierTest, SpikesInARealSpectrumAreEachReplacedOnce) {
  const std::vector<float> y = YColumn(std::string(QV95_TESTDATA_DIR) + "/xy/blackchirp_tmc_kaifu.txt");
  ASSERT_FALSE(y.empty());
  std::vector<float> data;
  while (data.size() < 150000) data.insert(data.end(), y.begin(), y.end());
  const std::vector<float> clean = data;
  const size_t spikes[] = {1000, 65535, 65536 + 40, 120001};  // two across the first block's end
  for (size_t s : spikes) data[s] += 50.0f;
  WriteValues("spec", data);
  int32_t result = 0;
  const std::vector<float> out = Deglitch("spec", &result);
  EXPECT_EQ(result, 1);
  ASSERT_EQ(out.size(), data.size());
  size_t changed = 0;
  for (size_t k = 0; k < out.size(); ++k) {
    if (out[k] == data[k]) continue;
    ++changed;
    EXPECT_TRUE(std::find(std::begin(spikes), std::end(spikes), k) != std::end(spikes)) << k;
    EXPECT_NEAR(out[k], clean[k], 0.1) << k;
  }
  EXPECT_EQ(changed, 4u);
  EXPECT_TRUE(Texts().empty());
  for (const std::string& f : Files()) EXPECT_NE(f.rfind("__q", 0), 0u) << f;  // the list is gone
}

TEST_F(FourierTest, AFlatSeriesWithOneSpikeAndAShortFile) {
  std::vector<float> flat(200, 1.0f);
  flat[100] = 51.0f;
  WriteValues("flat", flat);
  int32_t result = 0;
  std::vector<float> out = Deglitch("flat", &result);
  EXPECT_EQ(result, 1);
  flat[100] = 1.0f;
  EXPECT_EQ(out, flat);
  const std::vector<float> tiny = {1.0f, 2.0f, 3.0f, 90.0f, 5.0f, 6.0f, 7.0f, 8.0f};
  WriteValues("tiny", tiny);
  out = Deglitch("tiny", &result);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(out, tiny);
  EXPECT_EQ(Texts().back(),
            "Info: GLITCHES NOT DETECTED IN [tiny]\n\nTRY DECREASING DEGLITCH WINDOW FROM [10.000000]");
}

TEST(FftwPlanner, PlansOnTwoThreadsAtOnce) {
  auto work = [] {
    for (int i = 0; i < 200; ++i) {
      const int n = 64 + (i % 7) * 16;
      double* in = static_cast<double*>(fftw_malloc(sizeof(double) * static_cast<size_t>(n)));
      fftw_complex* out = static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * static_cast<size_t>(n / 2 + 1)));
      fftw_plan p = FftwPlanR2C(n, in, out);
      ASSERT_NE(p, nullptr);
      for (int k = 0; k < n; ++k) in[k] = 1.0;
      fftw_execute(p);
      EXPECT_DOUBLE_EQ(out[0][0], n);
      FftwDestroy(p);
      fftw_free(in);
      fftw_free(out);
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
}

}  // namespace
