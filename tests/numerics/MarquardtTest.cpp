#include "numerics/Marquardt.h"

#include <cctype>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "NumericsFixture.h"
#include "core/DebugLog.h"

namespace {

using qvtest::Matrix;

// One NIST StRD non-linear data set: data, both starting points, certified values.
struct StrdSet {
  std::string name;
  std::vector<double> x{0.0}, y{0.0};  // 1-based
  std::vector<double> start1, start2, certified, certifiedSd;
  double rss = 0.0;
  int ndata() const { return static_cast<int>(x.size()) - 1; }
  int ma() const { return static_cast<int>(certified.size()); }
};

StrdSet ReadStrd(const std::string& name) {
  StrdSet set;
  set.name = name;
  std::ifstream in(std::string(QV95_TESTDATA_DIR) + "/strd/" + name + ".dat");
  EXPECT_TRUE(in.good()) << name;
  std::string line;
  bool data = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream fields(line);
    std::string first, second, third;
    if (data) {
      double yv, xv;
      if (fields >> yv >> xv) {
        set.y.push_back(yv);
        set.x.push_back(xv);
      }
      continue;
    }
    fields >> first >> second;
    if (first.size() >= 2 && first[0] == 'b' && std::isdigit(static_cast<unsigned char>(first[1])) &&
        second == "=") {
      double v[4];
      if (fields >> v[0] >> v[1] >> v[2] >> v[3]) {
        set.start1.push_back(v[0]);
        set.start2.push_back(v[1]);
        set.certified.push_back(v[2]);
        set.certifiedSd.push_back(v[3]);
      }
    } else if (line.rfind("Residual Sum of Squares:", 0) == 0) {
      set.rss = std::stod(line.substr(line.find(':') + 1));
    } else if (first == "Data:" && second == "y" && (fields >> third) && third == "x") {
      data = true;
    }
  }
  return set;
}

// The models, chosen by the set index s of the fit.
enum Model : int16_t { kMgh09 = 1, kThurber, kEckerle4, kLanczos1, kGauss };

void StrdModel(int16_t, int16_t s, int32_t, double x, double* b, double* y, double* dyda, int32_t) {
  switch (s) {
    case kMgh09: {
      const double n = x * x + x * b[2], d = x * x + x * b[3] + b[4];
      *y = b[1] * n / d;
      dyda[1] = n / d;
      dyda[2] = b[1] * x / d;
      dyda[3] = -b[1] * n * x / (d * d);
      dyda[4] = -b[1] * n / (d * d);
      break;
    }
    case kThurber: {
      const double x2 = x * x, x3 = x2 * x;
      const double n = b[1] + b[2] * x + b[3] * x2 + b[4] * x3;
      const double d = 1.0 + b[5] * x + b[6] * x2 + b[7] * x3;
      *y = n / d;
      dyda[1] = 1.0 / d;
      dyda[2] = x / d;
      dyda[3] = x2 / d;
      dyda[4] = x3 / d;
      dyda[5] = -n * x / (d * d);
      dyda[6] = -n * x2 / (d * d);
      dyda[7] = -n * x3 / (d * d);
      break;
    }
    case kEckerle4: {
      const double u = (x - b[3]) / b[2], e = std::exp(-0.5 * u * u);
      *y = b[1] / b[2] * e;
      dyda[1] = e / b[2];
      dyda[2] = -b[1] * e / (b[2] * b[2]) + *y * u * u / b[2];
      dyda[3] = *y * u / b[2];
      break;
    }
    case kLanczos1: {
      *y = 0.0;
      for (int k = 0; k < 3; ++k) {
        const double e = std::exp(-b[2 * k + 2] * x);
        *y += b[2 * k + 1] * e;
        dyda[2 * k + 1] = e;
        dyda[2 * k + 2] = -x * b[2 * k + 1] * e;
      }
      break;
    }
    default: {  // Gauss1-3
      const double e = std::exp(-b[2] * x);
      *y = b[1] * e;
      dyda[1] = e;
      dyda[2] = -x * b[1] * e;
      for (int k = 3; k <= 6; k += 3) {
        const double dx = x - b[k + 1], w2 = b[k + 2] * b[k + 2], g = std::exp(-dx * dx / w2);
        *y += b[k] * g;
        dyda[k] = g;
        dyda[k + 1] = b[k] * g * 2.0 * dx / w2;
        dyda[k + 2] = b[k] * g * 2.0 * dx * dx / (w2 * b[k + 2]);
      }
      break;
    }
  }
}

struct FitResult {
  int16_t status = 0;
  std::vector<double> a;
  double chisq = 0.0;
  std::vector<double> sd;  // from the covariance of the final call
};

// Iterates mrqmin until alamda has grown beyond 1e12 (no further improvement) or
// the cycle limit is reached, then finishes with alamda = 0.
FitResult RunFit(const StrdSet& set, const std::vector<double>& start, int16_t p, int16_t s) {
  const int ma = set.ma(), n = set.ndata();
  FitResult r;
  r.a.assign(ma + 1, 0.0);
  for (int j = 1; j <= ma; ++j) r.a[j] = start[j - 1];
  std::vector<double> sig(n + 1, 1.0);
  std::vector<int32_t> lista(ma + 1);
  for (int j = 1; j <= ma; ++j) lista[j] = j;
  Matrix covar(ma, ma), alpha(ma, ma);
  double alamda = -1.0;
  r.status = mrqmin(p, s, set.x.data(), set.y.data(), sig.data(), n, r.a.data(), ma, lista.data(), ma, covar.p(),
                    alpha.p(), &r.chisq, StrdModel, nullptr, Lsf.Run_Flag[s], &alamda);
  for (int cycle = 0; cycle < 5000 && r.status == 1 && alamda < 1e12; ++cycle) {
    r.status = mrqmin(p, s, set.x.data(), set.y.data(), sig.data(), n, r.a.data(), ma, lista.data(), ma, covar.p(),
                      alpha.p(), &r.chisq, StrdModel, nullptr, Lsf.Run_Flag[s], &alamda);
  }
  if (r.status != 1) return r;
  alamda = 0.0;
  r.status = mrqmin(p, s, set.x.data(), set.y.data(), sig.data(), n, r.a.data(), ma, lista.data(), ma, covar.p(),
                    alpha.p(), &r.chisq, StrdModel, nullptr, Lsf.Run_Flag[s], &alamda);
  const double dof = n - ma;
  for (int j = 1; j <= ma; ++j) r.sd.push_back(std::sqrt(std::fabs(covar(j, j)) * r.chisq / dof));
  return r;
}

struct StrdCase {
  const char* name;
  Model model;
};

class StrdTest : public qvtest::NumericsTest, public ::testing::WithParamInterface<StrdCase> {};

TEST_P(StrdTest, SecondStartReachesCertifiedValuesAndFirstEndsCleanly) {
  const StrdCase c = GetParam();
  const StrdSet set = ReadStrd(c.name);
  ASSERT_GT(set.ndata(), 0);
  ASSERT_GT(set.ma(), 0);
  Lsf.Run_Flag[c.model] = 1;

  const FitResult r = RunFit(set, set.start2, 0, c.model);
  ASSERT_EQ(r.status, 1);
  for (int j = 1; j <= set.ma(); ++j) {
    EXPECT_NEAR(r.a[j], set.certified[j - 1], 1e-6 * std::fabs(set.certified[j - 1])) << c.name << " b" << j;
    // The deviations scale with the residuals, which for Lanczos1 are rounding noise.
    EXPECT_NEAR(r.sd[j - 1], set.certifiedSd[j - 1], 1e-2 * set.certifiedSd[j - 1]) << c.name << " sd b" << j;
  }
  EXPECT_NEAR(r.chisq, set.rss, 1e-6 * set.rss + 1e-24) << c.name;

  // From the first start plain Levenberg-Marquardt may stop elsewhere (MGH09): the
  // run must end with a status, and a success must carry a finite chi-square.
  const FitResult first = RunFit(set, set.start1, 1, c.model);
  EXPECT_TRUE(first.status == 1 || first.status == -1);
  if (first.status == 1) {
    EXPECT_TRUE(std::isfinite(first.chisq));
  }
}

INSTANTIATE_TEST_SUITE_P(Nist, StrdTest,
                         ::testing::Values(StrdCase{"MGH09", kMgh09}, StrdCase{"Thurber", kThurber},
                                           StrdCase{"Eckerle4", kEckerle4}, StrdCase{"Lanczos1", kLanczos1},
                                           StrdCase{"Gauss1", kGauss}, StrdCase{"Gauss2", kGauss},
                                           StrdCase{"Gauss3", kGauss}),
                         [](const auto& info) { return std::string(info.param.name); });

using MarquardtTest = qvtest::NumericsTest;

// y = a1 exp(-a2 x) + a3 on 1-based arrays.
void ExpModel(int16_t, int16_t, int32_t, double x, double* a, double* y, double* dyda, int32_t) {
  const double e = std::exp(-a[2] * x);
  *y = a[1] * e + a[3];
  dyda[1] = e;
  dyda[2] = -x * a[1] * e;
  dyda[3] = 1.0;
}

struct ExpData {
  std::vector<double> x{0.0}, y{0.0}, sig{0.0};
  ExpData() {
    for (int i = 1; i <= 20; ++i) {
      x.push_back(0.25 * i);
      y.push_back(5.0 * std::exp(-0.8 * x.back()) + 1.0 + 0.01 * std::sin(7.0 * i));
      sig.push_back(0.1);
    }
  }
  int n() const { return 20; }
};

TEST_F(MarquardtTest, StartSetsAlamdaAndChisqAndStepsScaleAlamda) {
  Lsf.Run_Flag[2] = 1;
  ExpData d;
  std::vector<double> a = {0, 4.0, 1.0, 0.5};
  std::vector<int32_t> lista = {0, 1, 2, 3};
  Matrix covar(3, 3), alpha(3, 3);
  double chisq = 0.0, alamda = -1.0;
  double expected = 0.0;
  for (int i = 1; i <= d.n(); ++i) {
    double y, dyda[4];
    ExpModel(0, 0, 0, d.x[i], a.data(), &y, dyda, 3);
    expected += (d.y[i] - y) * (d.y[i] - y) / (d.sig[i] * d.sig[i]);
  }
  ASSERT_EQ(mrqmin(3, 2, d.x.data(), d.y.data(), d.sig.data(), d.n(), a.data(), 3, lista.data(), 3, covar.p(),
                   alpha.p(), &chisq, ExpModel, nullptr, Lsf.Run_Flag[2], &alamda),
            1);
  EXPECT_DOUBLE_EQ(alamda, 0.001);
  EXPECT_NEAR(chisq, expected, 1e-9 * expected);
  // Steps: a lower chi-square divides alamda by 10, a higher one multiplies by 10 and
  // restores the previous chi-square.
  for (int step = 0; step < 30; ++step) {
    const double before = chisq, lam = alamda;
    const std::vector<double> aBefore = a;
    ASSERT_EQ(mrqmin(3, 2, d.x.data(), d.y.data(), d.sig.data(), d.n(), a.data(), 3, lista.data(), 3, covar.p(),
                     alpha.p(), &chisq, ExpModel, nullptr, Lsf.Run_Flag[2], &alamda),
              1);
    if (chisq < before) {
      EXPECT_DOUBLE_EQ(alamda, lam * 0.1);
    } else {
      EXPECT_DOUBLE_EQ(alamda, lam * 10.0);
      EXPECT_EQ(chisq, before);
      EXPECT_EQ(a, aBefore);
    }
  }
  EXPECT_NEAR(a[1], 5.0, 0.05);
  EXPECT_NEAR(a[2], 0.8, 0.01);
  EXPECT_NEAR(a[3], 1.0, 0.01);
  double release = -10.0;
  EXPECT_EQ(mrqmin(3, 2, d.x.data(), d.y.data(), d.sig.data(), d.n(), a.data(), 3, lista.data(), 3, covar.p(),
                   alpha.p(), &chisq, ExpModel, nullptr, Lsf.Run_Flag[2], &release),
            1);
  EXPECT_TRUE(platform::BoxLog().empty());
}

TEST_F(MarquardtTest, HeldParameterKeepsValueAndListaIsCompleted) {
  Lsf.Run_Flag[0] = 1;
  ExpData d;
  std::vector<double> a = {0, 4.0, 0.8, 0.5};
  std::vector<int32_t> lista = {0, 3, 1, 0};  // fit a3 and a1; a2 held
  Matrix covar(2, 2), alpha(2, 2);
  double chisq = 0.0, alamda = -1.0;
  for (int step = 0; step < 40; ++step)
    ASSERT_EQ(mrqmin(0, 0, d.x.data(), d.y.data(), d.sig.data(), d.n(), a.data(), 3, lista.data(), 2, covar.p(),
                     alpha.p(), &chisq, ExpModel, nullptr, Lsf.Run_Flag[0], &alamda),
              1);
  EXPECT_EQ(lista[3], 2);
  EXPECT_EQ(a[2], 0.8);
  EXPECT_NEAR(a[1], 5.0, 0.05);
  EXPECT_NEAR(a[3], 1.0, 0.01);
}

TEST_F(MarquardtTest, BadListaIsRefusedWithoutWritingPastTheList) {
  Lsf.Run_Flag[0] = 1;
  ExpData d;
  std::vector<double> a = {0, 4.0, 1.0, 0.5};
  Matrix covar(3, 3), alpha(3, 3);
  double chisq = 0.0, alamda = -1.0;
  std::vector<int32_t> twice = {0, 1, 1, 3};
  EXPECT_EQ(mrqmin(0, 0, d.x.data(), d.y.data(), d.sig.data(), d.n(), a.data(), 3, twice.data(), 3, covar.p(),
                   alpha.p(), &chisq, ExpModel, nullptr, Lsf.Run_Flag[0], &alamda),
            -1);
  EXPECT_EQ(OnlyErrorBox(), "mrqmin()\n\nBAD LISTA PERMUTATION (1)");
  // An entry outside 1..ma: the held parameters would overflow the list.
  platform::ClearBoxLog();
  std::vector<int32_t> outside = {0, 5, 1, 2};
  alamda = -1.0;
  EXPECT_EQ(mrqmin(0, 0, d.x.data(), d.y.data(), d.sig.data(), d.n(), a.data(), 3, outside.data(), 3, covar.p(),
                   alpha.p(), &chisq, ExpModel, nullptr, Lsf.Run_Flag[0], &alamda),
            -1);
  EXPECT_EQ(OnlyErrorBox(), "mrqmin()\n\nBAD LISTA PERMUTATION (2)");
  EXPECT_EQ(outside, (std::vector<int32_t>{0, 5, 1, 2}));
}

// Clears the run flag of its set at the fifth evaluation.
int gEvaluations = 0;
void StoppingModel(int16_t p, int16_t s, int32_t i0, double x, double* a, double* y, double* dyda, int32_t ma) {
  if (++gEvaluations == 5) Lsf.Run_Flag[s] = 0;
  ExpModel(p, s, i0, x, a, y, dyda, ma);
}

TEST_F(MarquardtTest, ClearedRunFlagEndsTheCallAfterTheNextEvaluation) {
  ExpData d;
  std::vector<double> a = {0, 4.0, 1.0, 0.5};
  std::vector<int32_t> lista = {0, 1, 2, 3};
  Matrix covar(3, 3), alpha(3, 3);
  double chisq = 0.0, alamda = -1.0;
  // Flag 0 from the start: refused before any evaluation.
  gEvaluations = 0;
  EXPECT_EQ(mrqmin(0, 4, d.x.data(), d.y.data(), d.sig.data(), d.n(), a.data(), 3, lista.data(), 3, covar.p(),
                   alpha.p(), &chisq, StoppingModel, nullptr, Lsf.Run_Flag[4], &alamda),
            -1);
  EXPECT_EQ(gEvaluations, 0);
  Lsf.Run_Flag[4] = 1;
  alamda = -1.0;
  gEvaluations = 0;
  ASSERT_EQ(mrqmin(0, 4, d.x.data(), d.y.data(), d.sig.data(), d.n(), a.data(), 3, lista.data(), 3, covar.p(),
                   alpha.p(), &chisq, StoppingModel, nullptr, Lsf.Run_Flag[4], &alamda),
            -1);
  EXPECT_EQ(gEvaluations, 5);
  EXPECT_EQ(a, (std::vector<double>{0, 4.0, 1.0, 0.5}));
  EXPECT_TRUE(platform::BoxLog().empty());
}

int gHookCalls = 0;
void CountingHook(int16_t s, double*) {
  EXPECT_EQ(s, 6);
  ++gHookCalls;
}

TEST_F(MarquardtTest, HookRunsOncePerPassAndTraceWritesLines) {
  Lsf.Run_Flag[6] = 1;
  DebugFileSet(106, 0, 0);
  ExpData d;
  std::vector<double> a = {0, 4.0, 1.0, 0.5};
  std::vector<int32_t> lista = {0, 1, 2, 3};
  Matrix covar(3, 3), alpha(3, 3);
  double chisq = 0.0, alamda = -1.0;
  gHookCalls = 0;
  for (int i = 0; i < 3; ++i)  // the start and two steps: one pass each
    ASSERT_EQ(mrqmin(0, 6, d.x.data(), d.y.data(), d.sig.data(), d.n(), a.data(), 3, lista.data(), 3, covar.p(),
                     alpha.p(), &chisq, ExpModel, CountingHook, Lsf.Run_Flag[6], &alamda),
              1);
  EXPECT_EQ(gHookCalls, 3);
  const std::string log = ReadLog();
  EXPECT_NE(log.find("ENTER mrqmin() - ENTER alamda = -1.000000"), std::string::npos);
  EXPECT_NE(log.find("ENTER mrqcof()"), std::string::npos);
  EXPECT_NE(log.find("EXIT mrqcof()"), std::string::npos);
  EXPECT_NE(log.find("EXIT mrqmin()"), std::string::npos);
}

TEST_F(MarquardtTest, ConcurrentFitsWithOwnProcessIndicesAgreeWithSingleFits) {
  const StrdSet mgh = ReadStrd("MGH09");
  const StrdSet thurber = ReadStrd("Thurber");
  Lsf.Run_Flag[kMgh09] = 1;
  Lsf.Run_Flag[kThurber] = 1;
  FitResult r1, r2;
  std::thread t1([&] { r1 = RunFit(mgh, mgh.start2, 7, kMgh09); });
  std::thread t2([&] { r2 = RunFit(thurber, thurber.start2, 8, kThurber); });
  t1.join();
  t2.join();
  ASSERT_EQ(r1.status, 1);
  ASSERT_EQ(r2.status, 1);
  for (int j = 1; j <= mgh.ma(); ++j) EXPECT_NEAR(r1.a[j], mgh.certified[j - 1], 1e-6 * mgh.certified[j - 1]);
  for (int j = 1; j <= thurber.ma(); ++j)
    EXPECT_NEAR(r2.a[j], thurber.certified[j - 1], 1e-6 * thurber.certified[j - 1]);
}

}  // namespace
