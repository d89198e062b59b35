// Mathematical constants shared by the whole program; start-up sets them again from
// atan(1.0), which gives the same values.
#pragma once

struct MathConstRecord {
  double Pi = 3.14159265358979323846;         // 4 atan(1)
  double TwoPi = 6.28318530717958647692;      // 2 pi
  double DegToRad = 0.01745329251994329577;   // 2 pi / 360
};

extern MathConstRecord MathConst;
