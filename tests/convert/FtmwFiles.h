// FTMW scan files built by the tests: header files of equal intervals and record
// files of frequency/intensity pairs.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "convert/InstrumentConvert.h"
#include "platform/kernel/Binary.h"

namespace qvtest {

using FtmwBytes = std::vector<uint8_t>;

inline void PutUtf16(FtmwBytes& b, size_t offset, const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) platform::PutUInt16LE(b.data(), offset + 2 * i, static_cast<uint8_t>(text[i]));
}

// A header file of `intervals` intervals; point i of interval k holds its frequency
// relative to INIT_FRQ, so every kept value names the frequency it belongs to.
inline FtmwBytes FtmwHeaderFile(int32_t ptsIntv, double init, double stp, double jmp, int intervals,
                                const std::string& info1 = "") {
  FtmwBytes b(ftmw::HEADER_SIZE, 0);
  PutUtf16(b, ftmw::INFO1, info1);
  PutUtf16(b, ftmw::INFO2, "JET");
  PutUtf16(b, ftmw::DATE, "03-14-2024");
  PutUtf16(b, ftmw::TIME, "12:30");
  PutUtf16(b, ftmw::VERSION1, "FTMW 2.1");
  PutUtf16(b, ftmw::VERSION2, "SCAN");
  platform::PutInt32LE(b.data(), ftmw::PTS_INTV, ptsIntv);
  platform::PutDoubleLE(b.data(), ftmw::INIT_FRQ, init);
  platform::PutDoubleLE(b.data(), ftmw::FRQ_STP, stp);
  platform::PutDoubleLE(b.data(), ftmw::FRQ_JMP, jmp);
  const int64_t n = ptsIntv < 0 ? -static_cast<int64_t>(ptsIntv) : ptsIntv;
  for (int k = 0; k < intervals; ++k)
    for (int64_t i = 0; i < n; ++i) {
      const size_t at = b.size();
      b.resize(at + 4);
      platform::PutFloatLE(b.data(), at, static_cast<float>(k * jmp + static_cast<double>(i) * stp));
    }
  return b;
}

// A record file from (frequency, intensity) pairs.
inline FtmwBytes FtmwRecordFile(const std::vector<std::pair<double, float>>& records) {
  FtmwBytes b(records.size() * ftmw::RECORD_SIZE);
  for (size_t k = 0; k < records.size(); ++k) {
    platform::PutDoubleLE(b.data(), k * 12, records[k].first);
    platform::PutFloatLE(b.data(), k * 12 + 8, records[k].second);
  }
  return b;
}

}  // namespace qvtest
