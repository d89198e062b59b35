// The frequency step per point of the shared axis.
#pragma once

// Sets Dsp.Frq_Stp and the frequency step of one pixel at every view level with it
// (Dsp.FrqStpView = Dsp.Pts2Pxl x step; the raw level shows one point a pixel), so that
// what is drawn, rendered or written at any level lies on the axis the data files are
// read with, also before a view run has decided the pages. Every change of the step
// goes through here.
void DspFrqStpSet(double step);
