// Point-wise operations and type conversions of the file operation engine: each
// changes every value by itself, streaming the input in blocks of OSI_BLOCK values.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "core/FileIo.h"
#include "fileproc/FileOps.h"
#include "fileproc/OsiFrame.h"
#include "platform/kernel/Text.h"
#include "records/Cnv.h"
#include "records/Dsp.h"

namespace {

// The two bytes of a 16-bit value the other way round.
int16_t SwapBytes16(int16_t value) {
  const uint16_t u = static_cast<uint16_t>(value);
  return static_cast<int16_t>(static_cast<uint16_t>((u << 8) | (u >> 8)));
}

// Range streaming: from point lo to the end of the input; fn(values, count) changes
// the first count values of each block (those still below hi) and returns how many
// of them it counted as invalid. Every block is written whole.
template <class Fn>
OsiEnd StreamRange(OsiFrame& f, int64_t* invalid, Fn fn) {
  if (!f.Seek(f.lo * 4)) return OsiEnd::Failed;
  int64_t p = f.lo;
  for (;;) {
    const int64_t k = f.ReadBlock(f.blkF, sizeof(float));
    if (k < 0) return OsiEnd::Failed;
    if (k == 0) break;
    const int64_t inRange = std::clamp<int64_t>(f.hi - p, 0, k);
    if (inRange > 0) {
      const int64_t bad = fn(f.blkF, inRange, p);
      if (invalid) *invalid += bad;
    }
    if (!f.Write(f.blkF, static_cast<size_t>(k) * sizeof(float))) return OsiEnd::Failed;
    p += k;
  }
  return OsiEnd::Done;
}

// The offset question of 2006 and 2054: YES skips zero values (2), NO uses all (1).
int16_t AskOffsetVariant(const OsiFrame& f) {
  return core_io::AskYesNo(StrPrintf(
             "OFFSET FILE OP\n\nSKIP REGIONS IN [%s] HAVING ZERO AMPLITUDE [YES] | USE ALL VALUES [NO]?", f.inName))
             ? 2
             : 1;
}

}  // namespace

OsiEnd OsiScale(OsiFrame& f) {
  const float scalar = Cnv.Scalar[f.slot];
  return StreamRange(f, nullptr, [scalar](float* v, int64_t n, int64_t) {
    for (int64_t i = 0; i < n; ++i) v[i] *= scalar;
    return int64_t{0};
  });
}

OsiEnd OsiOffset(OsiFrame& f) {
  const int16_t variant = f.variant == 0 ? AskOffsetVariant(f) : f.variant;
  const float offset = Cnv.Offset[f.slot];
  return StreamRange(f, nullptr, [offset, variant](float* v, int64_t n, int64_t) {
    if (variant == 1) {
      for (int64_t i = 0; i < n; ++i) v[i] += offset;
    } else if (variant == 2) {
      for (int64_t i = 0; i < n; ++i)
        if (v[i] != 0.0f) v[i] += offset;
    }
    return int64_t{0};  // any other variant copies the values unchanged
  });
}

OsiEnd OsiAveOffset(OsiFrame& f) {
  const int16_t variant = f.variant == 0 ? AskOffsetVariant(f) : f.variant;
  const double offset = Cnv.Ave_Offset[f.slot];
  const int64_t seq = Cnv.Seq_Sz[f.slot];
  const int64_t winLo = Cnv.Win_Lo[f.slot];
  const int64_t winHi = Cnv.Win_Hi[f.slot];
  return StreamRange(f, nullptr, [=](float* v, int64_t n, int64_t p0) {
    if (variant != 1 && variant != 2) return int64_t{0};
    for (int64_t i = 0; i < n; ++i) {
      if (seq >= 2) {
        // Inside each sequence only the window [WIN LO, WIN HI] (both included).
        const int64_t pos = (p0 + i) % seq;
        if (pos < winLo || pos > winHi) continue;
      }
      if (variant == 2 && v[i] == 0.0f) continue;
      v[i] = static_cast<float>(v[i] + offset);
    }
    return int64_t{0};
  });
}

OsiEnd OsiFlip(OsiFrame& f) {
  const float flip = Cnv.Flip_Pt[f.slot];
  return StreamRange(f, nullptr, [flip](float* v, int64_t n, int64_t) {
    for (int64_t i = 0; i < n; ++i) v[i] = flip - v[i];
    return int64_t{0};
  });
}

OsiEnd OsiInvert(OsiFrame& f) {
  int64_t invalid = 0;
  OsiEnd end = StreamRange(f, &invalid, [](float* v, int64_t n, int64_t) {
    int64_t bad = 0;
    for (int64_t i = 0; i < n; ++i) {
      if (std::fabs(v[i]) > 0.0f) {
        v[i] = 1.0f / v[i];
      } else {
        v[i] = 0.0f;
        ++bad;
      }
    }
    return bad;
  });
  if (end == OsiEnd::Done && f.report == 1 && invalid > 0)
    core_io::Warning(StrPrintf("INVERT FILE OPERATION\n\nINVALID VALUES KEPT AT ZERO [%lld]",
                               static_cast<long long>(invalid)));
  return end;
}

OsiEnd OsiLog(OsiFrame& f, bool decimal) {
  const double io = Cnv.Io[f.slot];
  int64_t invalid = 0;
  OsiEnd end = StreamRange(f, &invalid, [io, decimal](float* v, int64_t n, int64_t) {
    int64_t bad = 0;
    for (int64_t i = 0; i < n; ++i) {
      const double x = v[i];
      if (io > 0.0) {
        if (x != 0.0 && io / x > 0.0) {
          v[i] = static_cast<float>(decimal ? std::log10(io / x) : std::log(io / x));
          continue;
        }
      } else if (x > 0.0) {
        v[i] = static_cast<float>(decimal ? -std::log10(x) : -std::log(x));
        continue;
      }
      v[i] = 0.0f;
      ++bad;
    }
    return bad;
  });
  if (end == OsiEnd::Done && f.report == 1 && invalid > 0)
    core_io::Info(StrPrintf("LOG CONVERSION FILE OPERATION\n\nPOINTS WITH INVALID ARGUMENTS=[%lld]",
                            static_cast<long long>(invalid)));
  return end;
}

OsiEnd OsiSquare(OsiFrame& f) {
  int16_t variant = f.variant;
  if (variant == 0)
    variant = core_io::AskYesNo("SQUARE FILE OPERATION\n\nSQR DATA [YES] | CONVERSION OF KAVO DATA [NO]") ? 1 : 2;
  if (variant == 1) {
    if (Cnv.Scalar[f.slot] != 1.0f &&
        core_io::AskYesNo(StrPrintf("SQUARE FILE OPERATION\n\nSCALAR=[%lf] USED IN SCALAR * Y^2\n\nSET SCALAR TO "
                                    "UNITY [YES] | USE AS IS [NO]",
                                    static_cast<double>(Cnv.Scalar[f.slot]))))
      Cnv.Scalar[f.slot] = 1.0f;
    const float scalar = Cnv.Scalar[f.slot];
    return StreamRange(f, nullptr, [scalar](float* v, int64_t n, int64_t) {
      for (int64_t i = 0; i < n; ++i) v[i] = v[i] * v[i] * scalar;
      return int64_t{0};
    });
  }
  // Laboratory data: 16-bit big-endian integers in digital or voltage form. Any
  // other variant, or no channel to keep the form flag of, writes nothing.
  if (variant != 2 || f.chn < 0 || f.chn >= DSP_CHN) return OsiEnd::Declined;
  if (f.report == 1)
    Dsp.Chn_Dig[f.chn] = core_io::AskYesNo("QV SQUARE (KAVO) FILE OPERATION\n\nDATA IN DIGITAL [YES] | VOLTAGE [NO] FORM?") ? 1 : 0;
  const bool digital = Dsp.Chn_Dig[f.chn] != 0;
  if (!f.Seek(0)) return OsiEnd::Failed;
  for (;;) {
    const int64_t k = f.ReadBlock(f.blkS, sizeof(int16_t));
    if (k < 0) return OsiEnd::Failed;
    if (k == 0) break;
    for (int64_t i = 0; i < k; ++i) {
      const int32_t s = SwapBytes16(f.blkS[i]);
      f.blkF[i] = digital ? static_cast<float>((s * s) >> 10) : static_cast<float>(s) * 0.00030517578125f;
    }
    if (!f.Write(f.blkF, static_cast<size_t>(k) * sizeof(float))) return OsiEnd::Failed;
  }
  return OsiEnd::Done;
}

OsiEnd OsiSwapBytes(OsiFrame& f) {
  if (!f.Seek(0)) return OsiEnd::Failed;
  for (;;) {
    const int64_t k = f.ReadBlock(f.blkS, sizeof(int16_t));
    if (k < 0) return OsiEnd::Failed;
    if (k == 0) break;
    for (int64_t i = 0; i < k; ++i) {
      f.blkS[i] = SwapBytes16(f.blkS[i]);
    }
    if (!f.Write(f.blkS, static_cast<size_t>(k) * sizeof(int16_t))) return OsiEnd::Failed;
  }
  return OsiEnd::Done;
}

OsiEnd OsiIntToFloat(OsiFrame& f, bool shortInts) {
  float scale = 1.0f;
  float offset = 0.0f;
  if (Cnv.Adc_Stat == 1) {
    // ADC codes to volts: a 10 V span unipolar, 20 V bipolar from -10 V.
    const float levels = Cnv.Adc_16Bit == 1 ? 65536.0f : 4096.0f;
    scale = (Cnv.Adc_Bipolar != 0 ? 20.0f : 10.0f) / levels;
    offset = Cnv.Adc_Bipolar != 0 ? -10.0f : 0.0f;
  }
  const bool adc = Cnv.Adc_Stat == 1;
  if (!f.Seek(0)) return OsiEnd::Failed;
  for (;;) {
    const int64_t k = shortInts ? f.ReadBlock(f.blkS, sizeof(int16_t)) : f.ReadBlock(f.blkL, sizeof(int32_t));
    if (k < 0) return OsiEnd::Failed;
    if (k == 0) break;
    for (int64_t i = 0; i < k; ++i) {
      const float code = shortInts ? static_cast<float>(f.blkS[i]) : static_cast<float>(f.blkL[i]);
      f.blkF[i] = adc ? code * scale + offset : code;
    }
    if (!f.Write(f.blkF, static_cast<size_t>(k) * sizeof(float))) return OsiEnd::Failed;
  }
  return OsiEnd::Done;
}

OsiEnd OsiDoubleToFloat(OsiFrame& f) {
  if (!f.Seek(0)) return OsiEnd::Failed;
  for (;;) {
    const int64_t k = f.ReadBlock(f.blkD, sizeof(double));
    if (k < 0) return OsiEnd::Failed;
    if (k == 0) break;
    for (int64_t i = 0; i < k; ++i) f.blkF[i] = static_cast<float>(f.blkD[i]);
    if (!f.Write(f.blkF, static_cast<size_t>(k) * sizeof(float))) return OsiEnd::Failed;
  }
  return OsiEnd::Done;
}

OsiEnd OsiAverage(OsiFrame& f) {
  const int32_t per = Cnv.Pts_Ave[f.slot];
  if (per <= 0) {
    // A group of no points would never complete.
    core_io::Warning(StrPrintf("AVERAGE FILE OPERATION\n\nPTS TO AVE=[%d] MUST BE 1 OR MORE\n\nABORTING", per));
    return OsiEnd::Failed;
  }
  if (!f.Seek(0)) return OsiEnd::Failed;
  int64_t p = 0;
  double sum = 0.0;
  int64_t count = 0;
  while (p < f.hi) {
    const int64_t k = f.ReadBlock(f.blkF, sizeof(float));
    if (k < 0) return OsiEnd::Failed;
    if (k == 0) break;
    // Means replace the block's values from its start: a mean is written only after
    // the value at its own index has been read.
    int64_t w = 0;
    const int64_t first = std::clamp<int64_t>(f.lo - p, 0, k);
    const int64_t last = std::clamp<int64_t>(f.hi - p, 0, k);
    for (int64_t i = first; i < last; ++i) {
      sum += f.blkF[i];
      if (++count == per) {
        f.blkF[w++] = static_cast<float>(sum / per);
        sum = 0.0;
        count = 0;
      }
    }
    if (w > 0 && !f.Write(f.blkF, static_cast<size_t>(w) * sizeof(float))) return OsiEnd::Failed;
    p += k;
  }
  if (count > 0) {
    const float mean = static_cast<float>(sum / static_cast<double>(count));
    if (!f.Write(&mean, sizeof mean)) return OsiEnd::Failed;
    core_io::Warning(StrPrintf("AVERAGE FILE OPERATION\n\nUNEVEN INTERVAL IN AVERAGE\n\n[%lld] != [%d]\n\nCONTINUING",
                               static_cast<long long>(count), per));
  }
  return OsiEnd::Done;
}
