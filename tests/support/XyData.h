// The y column of a public two-column spectrum in tests/data/xy/, as floats.
#pragma once

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace qvtest {

inline std::vector<float> XyColumnY(const char* file = "blackchirp_tmc_kaifu.txt") {
  std::ifstream in(std::string(QV95_TESTDATA_DIR) + "/xy/" + file, std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::istringstream text(all);
  std::vector<float> y;
  double x = 0.0, v = 0.0;
  while (text >> x >> v) y.push_back(static_cast<float>(v));
  return y;
}

}  // namespace qvtest
