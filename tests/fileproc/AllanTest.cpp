// The Allan variance against published frequency-stability reference sets and a plain
// two-pass computation, and the added uniform noise.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "FileOpsFixture.h"
#include "fileproc/NoiseStats.h"

namespace {

std::string Data(const char* name) { return std::string(QV95_TESTDATA_DIR) + "/allan/" + name; }

// The numbers of a one-column text file ('#' lines left out).
std::vector<double> Column(const std::string& path) {
  std::ifstream in(path);
  std::vector<double> v;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    v.push_back(std::stod(line));
  }
  return v;
}

struct Row {
  uint32_t tau;
  double sigma;
  double halfUnit;  // half a unit of the last printed digit
};

// Tau (first column) and sigma (sixth column, as printed with five digits).
std::vector<Row> Table(const std::string& path) {
  std::ifstream in(path);
  std::vector<Row> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream f(line);
    std::string af, tau, count, alpha, minimum, sigma;
    f >> af >> tau >> count >> alpha >> minimum >> sigma;
    const int exponent = std::stoi(sigma.substr(sigma.find('e') + 1));
    rows.push_back({static_cast<uint32_t>(std::stoul(af)), std::stod(sigma), 0.5 * std::pow(10.0, exponent - 4)});
  }
  return rows;
}

// Block means, then squared differences: one tau at a time, in long double.
double PlainAvar(const std::vector<double>& x, uint32_t tau) {
  const size_t m = x.size() / tau;
  std::vector<long double> mean(m, 0.0L);
  for (size_t i = 0; i < m; ++i) {
    for (size_t j = 0; j < tau; ++j) mean[i] += static_cast<long double>(x[i * tau + j]);
    mean[i] /= tau;
  }
  long double sum = 0.0L;
  for (size_t i = 0; i + 1 < m; ++i) sum += (mean[i + 1] - mean[i]) * (mean[i + 1] - mean[i]);
  return static_cast<double>(sum / (2.0L * static_cast<long double>(m - 1)));
}

std::vector<double> Adev(std::vector<double> x) {
  EXPECT_EQ(AllanVarDev(nullptr, nullptr, x.data(), nullptr, static_cast<uint32_t>(x.size()), 1, 0), 1);
  x.resize(x.size() / 2);
  return x;
}

using AllanTest = qvtest::AnsweringFileOpsTest;

TEST_F(AllanTest, SmallSeriesFollowTheDefinition) {
  float four[4] = {1, 2, 3, 4};
  ASSERT_EQ(AllanVarDev(four, nullptr, nullptr, nullptr, 4, 0, 1), 1);
  EXPECT_FLOAT_EQ(four[0], 0.5f);
  EXPECT_FLOAT_EQ(four[1], 2.0f);
  EXPECT_FLOAT_EQ(four[2], 3.0f);  // beyond n/2: untouched
  // The deviation into a separate output; the input stays.
  float in[5] = {1, 2, 3, 4, 100};
  float out[2] = {-1, -1};
  ASSERT_EQ(AllanVarDev(in, out, nullptr, nullptr, 5, 1, 0), 1);
  // The fifth value enters tau = 1 only.
  EXPECT_NEAR(out[0], std::sqrt((1.0 + 1.0 + 1.0 + 96.0 * 96.0) / 8.0), 1e-4);
  EXPECT_FLOAT_EQ(out[1], std::sqrt(2.0f));
  EXPECT_EQ(in[4], 100.0f);
  // Doubles win over floats, and both outputs are written.
  double d[4] = {4, 3, 2, 1};
  double dOut[2] = {};
  float fOut[2] = {};
  ASSERT_EQ(AllanVarDev(four, fOut, d, dOut, 4, 0, 0), 1);
  EXPECT_EQ(dOut[0], 0.5);
  EXPECT_EQ(dOut[1], 2.0);
  EXPECT_EQ(fOut[1], 2.0f);
  EXPECT_EQ(d[0], 4.0);
  // One value: no result, success.
  double one[1] = {7.0};
  EXPECT_EQ(AllanVarDev(nullptr, nullptr, one, nullptr, 1, 1, 1), 1);
  EXPECT_EQ(one[0], 7.0);
  EXPECT_TRUE(platform::BoxLog().empty());
}

TEST_F(AllanTest, MatchesThePublishedSmallSets) {
  std::vector<double> nine = Adev({892, 809, 823, 798, 671, 644, 883, 903, 677});
  ASSERT_EQ(nine.size(), 4u);
  EXPECT_NEAR(nine[0], 91.22945, 91.22945 * 1e-6);
  EXPECT_NEAR(nine[1], 115.8082, 115.8082 * 1e-6);

  std::vector<double> y(1000);
  uint64_t n = 1234567890;
  for (double& v : y) {
    v = static_cast<double>(n) / 2147483647.0;
    n = (16807 * n) % 2147483647;
  }
  const std::vector<double> dev = Adev(y);
  EXPECT_NEAR(dev[0], 2.922319e-1, 2.922319e-1 * 1e-6);
  EXPECT_NEAR(dev[9], 9.965736e-2, 9.965736e-2 * 1e-6);
  EXPECT_NEAR(dev[99], 3.897804e-2, 3.897804e-2 * 1e-6);
}

TEST_F(AllanTest, MatchesTheReferenceTableOfThePhaseSet) {
  const std::vector<double> phase = Column(Data("stable32_PHASE.DAT"));
  ASSERT_EQ(phase.size(), 1001u);
  std::vector<double> freq(1000);
  for (size_t i = 0; i < freq.size(); ++i) freq[i] = phase[i + 1] - phase[i];
  const std::vector<double> dev = Adev(freq);
  ASSERT_EQ(dev.size(), 500u);
  const std::vector<Row> rows = Table(Data("stable32_PHASE_adev.txt"));
  ASSERT_GT(rows.size(), 100u);
  for (const Row& r : rows) EXPECT_NEAR(dev[r.tau - 1], r.sigma, r.halfUnit) << "tau " << r.tau;
}

TEST_F(AllanTest, MatchesTheReferenceTableOfTheOscillatorAsReadInHertz) {
  // Values near 1e7 Hz that differ in the fourth decimal: a prefix sum of the raw values
  // would lose the differences that the statistic measures.
  const std::vector<double> hz = Column(Data("ocxo_frequency.txt"));
  ASSERT_EQ(hz.size(), 19982u);
  const std::vector<double> dev = Adev(hz);
  const std::vector<Row> rows = Table(Data("ocxo_stable32_adev_alltau.txt"));
  ASSERT_GT(rows.size(), 200u);
  for (const Row& r : rows) EXPECT_NEAR(dev[r.tau - 1] * 1e-7, r.sigma, r.halfUnit) << "tau " << r.tau;
}

TEST_F(AllanTest, AgreesWithBlockMeansAtEverySizeOnAnOffsetWalk) {
  std::mt19937 gen(7);
  std::normal_distribution<double> step(0.0, 1e-3);
  std::vector<double> x(6007);
  double walk = 5e6;
  for (double& v : x) v = walk += step(gen);
  const std::vector<double> dev = Adev(x);
  for (uint32_t tau = 1; tau <= x.size() / 2; ++tau)
    ASSERT_NEAR(dev[tau - 1], std::sqrt(PlainAvar(x, tau)), std::sqrt(PlainAvar(x, tau)) * 1e-6 + 1e-12) << tau;
}

TEST_F(AllanTest, NoiseHasPEvenlySpacedLevels) {
  std::vector<float> f(2000, 0.0f);
  std::vector<double> d(2000, 10.0);
  ASSERT_EQ(ManAddRandomNoise(f.data(), d.data(), 2000, 2, 1), 1);
  int plus = 0;
  for (float v : f) {
    ASSERT_TRUE(v == 0.5f || v == -0.5f) << v;
    plus += v > 0 ? 1 : 0;
  }
  EXPECT_GT(plus, 800);
  EXPECT_LT(plus, 1200);
  for (double v : d) ASSERT_TRUE(v == 10.5 || v == 9.5) << v;
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "Info: RANDOM NOISE FROM [-1.0 TO 1.0] ADDED TO FILE WITH PRECISION=[5.000000e-01]"}));

  std::vector<double> five(5000, 0.0);
  ManAddRandomNoise(nullptr, five.data(), 5000, 5, 0);
  std::set<double> levels(five.begin(), five.end());
  EXPECT_EQ(levels, (std::set<double>{-0.8, -0.4, 0.0, 0.4, 0.8}));

  platform::ClearBoxLog();
  std::vector<float> same{1.0f, 2.0f};
  ASSERT_EQ(ManAddRandomNoise(same.data(), nullptr, 2, 0, 1), 1);
  EXPECT_EQ(same, (std::vector<float>{1.0f, 2.0f}));
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "Info: RANDOM NOISE HAS NO PRECISION\n\nALL VALUES=[0]\n\nINCREASE PTS2AVE VALUE",
                         "Info: RANDOM NOISE FROM [-1.0 TO 1.0] ADDED TO FILE WITH PRECISION=[1.000000e+00]"}));
}

}  // namespace
