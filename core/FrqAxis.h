// The frequency step per point of the shared axis.
#pragma once

// Sets Dsp.Frq_Stp and the frequency step of one pixel at every view level with it
// (Dsp.FrqStpView = Dsp.Pts2Pxl x step; the raw level shows one point a pixel), so that
// what is drawn, rendered or written at any level lies on the axis the data files are
// read with, also before a view run has decided the pages. Every change of the step
// goes through here.
void DspFrqStpSet(double step);

// The whole steps of step in span (span / step rounded down) on an axis whose
// frequencies reach magnitude: a quotient that falls short of a whole number by no more
// than the rounding of such frequencies (8 ulps of magnitude, at least 1e-9 of a step)
// counts as that whole number. At 1.5e6 MHz and a step of 1e-5 MHz the rounding alone
// leaves a quotient 1e-5 of a step short; a tolerance fixed in steps would drop a point.
double FrqWholeSteps(double span, double step, double magnitude);
