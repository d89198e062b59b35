// Spline resampling: values against GSL's natural cubic spline on the same knots,
// sizes and steps, limits, refusals, file mode, per-slot buffers, and the even grid
// of the interpolation.
#include "fileproc/xcorr/Resample.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>
#include <vector>

#include "core/TypedArrays.h"
#include "platform/windows/MessageBox.h"
#include "records/Cnv.h"
#include "records/ResizeWork.h"
#include "tests/support/TempDir.h"

#ifdef QV95_HAVE_GSL
#include <gsl/gsl_errno.h>
#include <gsl/gsl_interp.h>
#endif

namespace {

class ResampleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Cnv = CnvRecord{};
    ResizeWork = ResizeWorkRecord{};
    platform::ClearBoxLog();
  }
  static std::vector<float> Random(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> value(-50.0f, 50.0f);
    std::vector<float> v(n);
    for (float& x : v) x = value(rng);
    return v;
  }
  // Array mode into a new output array, copied out.
  static int32_t Resize(int16_t slot, uint32_t sizeSwitch, const std::vector<float>& in, int32_t outSize, double inStep,
                        double outStep, std::vector<float>* out, int16_t report = 0, double scalar = 1.0) {
    float* result = nullptr;
    const int32_t ok = ResizeFileAry(slot, RESIZE_ARRAY_MODE, nullptr, nullptr, sizeSwitch,
                                     static_cast<int32_t>(in.size()), outSize, inStep, outStep, in.data(), nullptr,
                                     &result, scalar, report);
    out->clear();
    if (ok == 1) out->assign(result, result + Cnv.Rsz_SzOut[slot]);
    FFree1Dim(&result);
    return ok;
  }
  static std::string LastBox() {
    auto log = platform::BoxLog();
    return log.empty() ? std::string() : log.back().text;
  }
};

#ifdef QV95_HAVE_GSL
TEST_F(ResampleTest, ValuesAgreeWithGslNaturalSplineToOneFloatUlp) {
  gsl_set_error_handler_off();
  for (double inStep : {1.0, 0.37, 2.5}) {
    for (double outStep : {0.31 * inStep, inStep, 1.7 * inStep}) {
      const std::vector<float> in = Random(1000, static_cast<unsigned>(inStep * 100 + outStep * 10));
      std::vector<float> out;
      ASSERT_EQ(Resize(0, 0, in, 0, inStep, outStep, &out), 1);
      ASSERT_EQ(out.size(), static_cast<size_t>(std::trunc(1000 * inStep / outStep + 0.5)));
      std::vector<double> x(in.size()), y(in.size());
      for (size_t i = 0; i < in.size(); ++i) {
        x[i] = static_cast<double>(i) * inStep;
        y[i] = in[i];
      }
      gsl_interp* spline = gsl_interp_alloc(gsl_interp_cspline, in.size());
      gsl_interp_accel* acc = gsl_interp_accel_alloc();
      gsl_interp_init(spline, x.data(), y.data(), in.size());
      for (size_t j = 0; j < out.size(); ++j) {
        const double at = static_cast<double>(j) * outStep;
        if (at > x.back()) break;  // GSL does not extrapolate
        const float want = static_cast<float>(gsl_interp_eval(spline, x.data(), y.data(), at, acc));
        const float ulp = std::nextafter(std::fabs(want), INFINITY) - std::fabs(want);
        ASSERT_LE(std::fabs(out[j] - want), ulp) << "j=" << j << " in " << inStep << " out " << outStep;
      }
      gsl_interp_accel_free(acc);
      gsl_interp_free(spline);
    }
  }
}
#endif

TEST_F(ResampleTest, SizeGivenStepGivenAndTheSlotValues) {
  const std::vector<float> in = Random(1000, 1);
  std::vector<float> out;
  // A negative size is a multiple of the input size, at the matching step.
  ASSERT_EQ(Resize(2, 1, in, -2, 1.0, 0.0, &out, 1), 1);
  EXPECT_EQ(out.size(), 2000u);
  EXPECT_EQ(Cnv.Rsz_SzOut[2], 2000u);
  EXPECT_EQ(Cnv.Rsz_StpOut[2], 0.5);
  auto log = platform::BoxLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].text, "RESIZE FILE|ARY OPERATION\n\nOUTPUT SIZE WILL BE [2] TIMES INPUT SIZE");
  EXPECT_EQ(log[1].text, "RESIZE FILE|ARY OPERATION\n\nSZ=[1000] TO [2000]\nFRQSTP=[1.000000] TO [0.500000]");
  for (size_t i = 0; i < in.size(); ++i) EXPECT_FLOAT_EQ(out[2 * i], in[i]);  // knots are met
  // Step given: size rounded.
  ASSERT_EQ(Resize(2, 0, in, 0, 1.0, 3.0, &out), 1);
  EXPECT_EQ(out.size(), 333u);
  EXPECT_EQ(Cnv.Rsz_StpOut[2], 3.0);
  // Steps of opposite sign resample as if both were positive, after a warning.
  platform::ClearBoxLog();
  std::vector<float> signs;
  ASSERT_EQ(Resize(2, 0, in, 0, -1.0, 3.0, &signs, 1), 1);
  EXPECT_EQ(signs, out);
  EXPECT_EQ(platform::BoxLog()[0].text,
            "RESIZE FILE|ARY OPERATION\n\nDIFFERENT SIGNS OF INPUT & OUTPUT FRQ STEPS IGNORED\n\nCONTINUING");
  // A caller's own output array keeps its size when the step is given.
  std::vector<float> mine(10, -1.0f);
  float* p = mine.data();
  ASSERT_EQ(ResizeFileAry(2, RESIZE_ARRAY_MODE, nullptr, nullptr, 0, 1000, 10, 1.0, 3.0, in.data(), nullptr, &p, 1.0, 0),
            1);
  EXPECT_EQ(Cnv.Rsz_SzOut[2], 10u);
  EXPECT_EQ(std::vector<float>(out.begin(), out.begin() + 10), mine);
  // A double input takes the place of the float one.
  std::vector<double> twice(in.begin(), in.end());
  for (double& v : twice) v *= 2.0;
  ASSERT_EQ(ResizeFileAry(2, RESIZE_ARRAY_MODE, nullptr, nullptr, 0, 1000, 10, 1.0, 3.0, in.data(), twice.data(), &p,
                          1.0, 0),
            1);
  EXPECT_FLOAT_EQ(mine[3], 2.0f * out[3]);
}

TEST_F(ResampleTest, RefusalsLeaveTheSlotValuesSet) {
  const std::vector<float> in = Random(100, 2);
  std::vector<float> out;
  Cnv.Rsz_SzOut[1] = 77;
  EXPECT_EQ(Resize(1, 1, in, 0, 1.0, 5.0, &out), 0);
  EXPECT_EQ(LastBox(), "ResizeFileAry()\n\nRESIZE FILE|ARY OPERATION\n\nOUTPUT FILE SIZE IS ZERO\n\nABORTING");
  EXPECT_EQ(Cnv.Rsz_SzOut[1], 0u);
  EXPECT_EQ(Cnv.Rsz_StpOut[1], 5.0);
  EXPECT_EQ(Resize(1, 0, in, 0, 1.0, 0.0, &out), 0);
  EXPECT_EQ(LastBox(), "ResizeFileAry()\n\nRESIZE FILE|ARY OPERATION\n\nOUTPUT FRQ STP IS ZERO\n\nABORTING");
  EXPECT_EQ(Resize(1, 0, in, 0, 0.0, 1.0, &out), 0);
  EXPECT_EQ(LastBox(), "ResizeFileAry()\n\nRESIZE FILE|ARY OPERATION\n\nINPUT SZ | INPUT FRQ STP ZERO\n\nABORTING");
  EXPECT_EQ(Resize(1, 0, in, 0, NAN, 1.0, &out), 0);
  EXPECT_EQ(Resize(1, 0, in, 0, 1.0, 1000.0, &out), 0);  // rounds to 0 points
  EXPECT_EQ(LastBox(), "ResizeFileAry()\n\nRESIZE FILE|ARY OPERATION\n\nINPUT | OUTPUT SIZE IS ZERO\n\nABORTING");
  // Sizes beyond 32 bits are refused before anything is allocated.
  EXPECT_EQ(Resize(1, 0, in, 0, 1.0, 1e-9, &out), 0);
  EXPECT_EQ(LastBox(), "ResizeFileAry()\n\nRESIZE FILE|ARY OPERATION\n\nOUTPUT SIZE=[100000000000] EXCEEDS [2147483647]\n\nABORTING");
  EXPECT_EQ(Cnv.Rsz_SzOut[1], 0u);
  EXPECT_EQ(Resize(1, 1, in, -2147483647, 1.0, 0.0, &out), 0);
  EXPECT_TRUE(ResizeWork.Slot[1].frq.empty());
  // No input array.
  float* p = nullptr;
  EXPECT_EQ(ResizeFileAry(1, RESIZE_ARRAY_MODE, nullptr, nullptr, 0, 100, 0, 1.0, 1.0, nullptr, nullptr, &p, 1.0, 0), 0);
  EXPECT_EQ(p, nullptr);
}

TEST_F(ResampleTest, OutputsAreClampedAndBuffersReused) {
  std::vector<float> in = {1e30f, -1e30f, 5.0f, 6.0f, 7.0f};
  std::vector<float> out;
  ASSERT_EQ(Resize(3, 0, in, 0, 1.0, 1.0, &out), 1);
  ASSERT_EQ(out.size(), 5u);
  EXPECT_EQ(out[0], 1e20f);
  EXPECT_EQ(out[1], -1e20f);
  in[3] = NAN;  // spreads through the whole spline: every value is not a number
  ASSERT_EQ(Resize(3, 0, in, 0, 1.0, 1.0, &out), 1);
  EXPECT_EQ(out, std::vector<float>(5, -1e20f));
  std::vector<float> plain = {1.0f, 2.0f, 3.0f, 4.0f};
  ASSERT_EQ(Resize(3, 0, plain, 0, 1.0, 1.0, &out, 0, 1e25), 1);
  EXPECT_EQ(out[2], 1e20f);
  ASSERT_EQ(Resize(3, 0, plain, 0, 1.0, 1.0, &out, 0, -1e25), 1);
  EXPECT_EQ(out[2], -1e20f);
  // A second resize with unchanged sizes works in the same buffers.
  const double* knots = ResizeWork.Slot[3].frq.data();
  const double* second = ResizeWork.Slot[3].frq2itn.data();
  ASSERT_EQ(Resize(3, 0, plain, 0, 1.0, 0.5, &out), 1);
  EXPECT_EQ(ResizeWork.Slot[3].frq.data(), knots);
  EXPECT_EQ(ResizeWork.Slot[3].frq2itn.data(), second);
}

TEST_F(ResampleTest, FileModeWritesWhatArrayModeGives) {
  qvtest::TempDir dir;
  const std::vector<float> in = Random(70000, 3);  // beyond one block
  {
    std::ofstream f(dir.File("in.bin"), std::ios::binary);
    f.write(reinterpret_cast<const char*>(in.data()), static_cast<std::streamsize>(in.size() * 4));
  }
  std::vector<float> want;
  ASSERT_EQ(Resize(4, 0, in, 0, 1.0, 0.75, &want), 1);
  const std::string out = dir.File("out.bin");
  ASSERT_EQ(ResizeFileAry(4, RESIZE_FILE_MODE, dir.File("in.bin").c_str(), out.c_str(), 0, 70000, 0, 1.0, 0.75,
                          nullptr, nullptr, nullptr, 1.0, 0),
            1);
  std::ifstream f(out, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size(), want.size() * 4);
  EXPECT_EQ(std::memcmp(bytes.data(), want.data(), bytes.size()), 0);
  // A missing input leaves an existing output as it was.
  EXPECT_EQ(ResizeFileAry(4, RESIZE_FILE_MODE, dir.File("none.bin").c_str(), out.c_str(), 0, 70000, 0, 1.0, 0.75,
                          nullptr, nullptr, nullptr, 1.0, 0),
            0);
  EXPECT_EQ(std::filesystem::file_size(out), want.size() * 4);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 2);
}

TEST_F(ResampleTest, SlotsResizeAtTheSameTime) {
  const std::vector<float> in = Random(20000, 4);
  std::vector<float> want;
  ASSERT_EQ(Resize(5, 0, in, 0, 1.0, 0.3, &want), 1);
  std::vector<std::vector<float>> got(4);
  std::vector<std::thread> workers;
  for (int k = 0; k < 4; ++k)
    workers.emplace_back([&, k] {
      for (int round = 0; round < 3; ++round) Resize(static_cast<int16_t>(10 + k), 0, in, 0, 1.0, 0.3, &got[k]);
    });
  for (auto& w : workers) w.join();
  for (const auto& g : got) EXPECT_EQ(g, want);
}

TEST_F(ResampleTest, InterpolationOntoAnEvenGrid) {
  // A straight line is reproduced exactly by the natural spline.
  const std::vector<double> x = {0.0, 0.5, 2.0, 2.2, 4.0};
  std::vector<double> y;
  for (double v : x) y.push_back(3.0 * v - 1.0);
  std::vector<double> out(x.size());
  ASSERT_EQ(InterpolateFileAry(5, x.data(), y.data(), out.data(), 1), 1);
  for (size_t i = 0; i < out.size(); ++i) EXPECT_NEAR(out[i], 3.0 * (i * 1.0) - 1.0, 1e-12);
  EXPECT_TRUE(platform::BoxLog().empty());  // every grid point inside, the last one too
  // Falling x: a falling grid, the caller's x unchanged.
  const std::vector<double> down = {10.0, 7.0, 5.0, 2.0, 0.1};
  const std::vector<double> keep = down;
  y.clear();
  for (double v : down) y.push_back(v * v * 0.0 + 2.0 * v);
  ASSERT_EQ(InterpolateFileAry(5, down.data(), y.data(), out.data(), 1), 1);
  EXPECT_EQ(down, keep);
  const double step = (0.1 - 10.0) / 4.0;
  for (size_t i = 0; i < out.size(); ++i) EXPECT_NEAR(out[i], 2.0 * (10.0 + step * i), 1e-12);
  EXPECT_EQ(out[4], y[4]);
  // Absent arrays: nothing done; one point: refused.
  EXPECT_EQ(InterpolateFileAry(5, nullptr, y.data(), out.data(), 1), 1);
  EXPECT_EQ(InterpolateFileAry(1, down.data(), y.data(), out.data(), 1), 0);
  EXPECT_EQ(LastBox(), "InterpolateFileAry()\n\nSPLINE ERROR\n\nABORTING");

  // A repeated reading, falling: one knot at the mean of its values, the caller's x
  // unchanged; the grid keeps all seven points.
  const std::vector<double> twice = {5.0, 4.0, 3.0, 2.0, 2.0, 1.0, 0.0};
  const std::vector<double> ys = {10.0, 8.0, 6.0, 3.0, 5.0, 2.0, 0.0};
  std::vector<double> seven(twice.size());
  ASSERT_EQ(InterpolateFileAry(7, twice.data(), ys.data(), seven.data(), 0), 1);
  EXPECT_EQ(twice, (std::vector<double>{5.0, 4.0, 3.0, 2.0, 2.0, 1.0, 0.0}));
  for (size_t i = 0; i < seven.size(); ++i) EXPECT_NEAR(seven[i], 2.0 * (5.0 - 5.0 * i / 6.0), 1e-12) << i;
  // One x for every reading: no spline.
  const std::vector<double> same(4, 1.5);
  EXPECT_EQ(InterpolateFileAry(4, same.data(), ys.data(), seven.data(), 0), 0);
  EXPECT_EQ(LastBox(), "InterpolateFileAry()\n\nSPLINE ERROR\n\nABORTING");
  // An x that turns back has no place on the spline: refused, named.
  const std::vector<double> back = {0.0, 1.0, 3.0, 2.5, 4.0};
  EXPECT_EQ(InterpolateFileAry(5, back.data(), ys.data(), out.data(), 0), 0);
  EXPECT_EQ(LastBox(), "InterpolateFileAry()\n\nX VALUE [3]=[2.500000] OUT OF ORDER\n\nABORTING");
}

}  // namespace
