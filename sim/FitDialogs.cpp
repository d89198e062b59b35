// The per-set fit dialogs: the Voigt fit (1401), the VOIGT+ fit (1402: the Voigt fit
// with the two line-calculation switches) and the ring-down fit (1406). Each finds
// its set by its window handle, refreshes on WM_INITDIALOG and when its set's fit has
// ended, colours caption 60 with the set's brush and hides through its creator.
// Settings typed while a fit of the set runs are not taken: the worker reads them.
#include <cmath>

#include "core/FileIo.h"
#include "display/ChildWindows.h"
#include "fit/NLLsf.h"
#include "fit/NLLsfInternal.h"
#include "platform/kernel/Text.h"
#include "records/Cnl.h"
#include "records/Locks.h"
#include "records/Lsf.h"
#include "records/Win.h"
#include "resources/Dialogs.h"
#include "lineshape/LineShape.h"
#include "sim/SimDialogs.h"
#include "sim/SimDialogsInternal.h"

using namespace simdlg;
using namespace fit_ids;

namespace {

// The result line of the set's last fit.
std::string ResultText(int16_t s, bool rdf) {
  if (NLLsfRunning(s)) return "FIT RUNNING";
  switch (Lsf.NL_Result[s]) {
    case 1:
      if (rdf) {
        EnterCriticalSection(&SimPlotLock);
        const double A = Lsf.Rdf_A[s], k = Lsf.Rdf_K[s], B = Lsf.Rdf_B[s];
        LeaveCriticalSection(&SimPlotLock);
        return StrPrintf("A=%.6le K=%.6le B=%.6le CHISQ=%.4le", A, k, B, Lsf.NL_Chisq[s]);
      }
      return StrPrintf("CHISQ=%.6le CYCLES=%d GAU=%.6le LOR=%.6le", Lsf.NL_Chisq[s], Lsf.NL_Cycles[s], Sim.LS_GAU[s],
                       Sim.LS_LOR[s]);
    case -1:
      return "FIT STOPPED OR FAILED";
    default:
      return "NO FIT";
  }
}

void FillCommon(HWND d, int16_t s, bool rdf) {
  SetText(d, kPtBeg, StrPrintf("%d", Lsf.Fit_PtBeg));
  SetText(d, kPtEnd, StrPrintf("%d", Lsf.Fit_PtEnd));
  SetText(d, kFile, Lsf.Res_Base);
  SetText(d, kCycles, StrPrintf("%u", Lsf.NL_MaxCyc));
  SetText(d, kResult, ResultText(s, rdf));
  InvalidateRect(GetDlgItem(d, 60), nullptr, TRUE);
}

void VoigtRefresh(HWND d, int16_t s, bool plus) {
  Lsf.Voigt_Hwnd[s] = d;
  SetText(d, kLnBeg, StrPrintf("%d", Lsf.Fit_LnBeg[s]));
  SetText(d, kLnEnd, StrPrintf("%d", Lsf.Fit_LnEnd[s]));
  SetText(d, kShift, StrPrintf("%.8le", Lsf.Fit_FrqShift[s]));
  Check(d, kSeq, Lsf.Seq_Voigt == 1);
  Check(d, kRecalc, Lsf.Ln_Recalc[s] == 1);
  if (plus) {
    Check(d, kHtCalc, Sim.HT_LnCalc[s] == 1);
    Check(d, kLnCalc, Lsf.Ln_Calc[s] == 1);
  }
  FillCommon(d, s, false);
}

void RdfRefresh(HWND d, int16_t s) {
  Lsf.Rdf_Hwnd[s] = d;
  SetText(d, kCmA, StrPrintf("%.8le", Lsf.CM_A));
  SetText(d, kCmB, StrPrintf("%d", Lsf.CM_B));
  Check(d, kSeq, Lsf.Seq_Rdf == 1);
  Check(d, kDisplay, Lsf.Rdf_Dsp[s] == 1);
  Check(d, kWinSel, Lsf.Rdf_WinSel[s] == 1);
  Check(d, kCmPlot, Lsf.CM_Plot == 1);
  Check(d, kCmCurve1, Lsf.CM_Curve1 == 1);
  Check(d, kCmCurve2, Lsf.CM_Curve2 == 1);
  FillCommon(d, s, true);
}

// The edits both kinds share, then the Voigt ones; values that do not read keep the
// old setting.
void ReadEdits(HWND d, int16_t s, bool voigt) {
  int32_t v = 0;
  double x = 0.0;
  if (ReadInt(d, kPtBeg, &v) && v >= 0) Lsf.Fit_PtBeg = v;
  if (ReadInt(d, kPtEnd, &v) && v >= 0) Lsf.Fit_PtEnd = v;
  if (ReadInt(d, kCycles, &v) && v >= 1) Lsf.NL_MaxCyc = static_cast<uint32_t>(v);
  StrCopy(Lsf.Res_Base, GetText(d, kFile).c_str());
  if (voigt) {
    if (ReadInt(d, kLnBeg, &v)) Lsf.Fit_LnBeg[s] = v;
    if (ReadInt(d, kLnEnd, &v)) Lsf.Fit_LnEnd[s] = v;
    if (ReadDouble(d, kShift, &x)) Lsf.Fit_FrqShift[s] = x;
  } else {
    if (ReadDouble(d, kCmA, &x)) Lsf.CM_A = x;
    if (ReadInt(d, kCmB, &v)) Lsf.CM_B = v;
  }
}

// The line calculation from the lines' own HITRAN parameters needs them: a HITRAN
// set holding the coefficient arrays (and, for the set's switch, individual widths).
uint32_t HtSwitch(int16_t s, bool on, bool setSwitch) {
  if (!on) return 0;
  const bool ok = SimHTLineArrays(s) && (!setSwitch || Sim.IDVWIDTH_STAT[s] == 1);
  if (!ok) core_io::StatusText(3, SetHead(s) + " - NO HITRAN LINE PARAMETERS");
  return ok ? 1u : 0u;
}

// "SEQ FIT" of the ring-down fit: the fit data in the time window of the set's
// channel, which is opened; the switch keeps whether it opened.
void RdfSequence(int16_t s, bool on) {
  if (!on) {
    Lsf.Seq_Rdf = 0;
    return;
  }
  const int16_t c = Sim.Dsp_Cnl[s] >= 0 && Sim.Dsp_Cnl[s] <= 8 ? Sim.Dsp_Cnl[s] : 0;
  Lsf.Cur_Set = s;
  Cnl.Time_Stat[c][0] = 1;
  Cnl.Data_Pend[c][0] = 1;
  Cnl.Asc_Mode[c][0] = 3;
  Lsf.Seq_Rdf = 1;
  Lsf.Seq_Rdf = ChildWindowOpenClose(1, c, 0) == 1 ? 1u : 0u;
}

// The Voigt dialogs' own buttons; false for an id that is none of them.
bool VoigtCommand(HWND d, int16_t s, int id, bool running) {
  switch (id) {
    case kSeq:
      Lsf.Seq_Voigt = Checked(d, kSeq) ? 1u : 0u;
      Lsf.Cur_Set = s;
      return true;
    case kRecalc:
      if (!running) Lsf.Ln_Recalc[s] = Checked(d, kRecalc) ? 1 : 0;
      return true;
    case kHtCalc:
      if (!running) Sim.HT_LnCalc[s] = HtSwitch(s, Checked(d, kHtCalc), true);
      return true;
    case kLnCalc:
      if (!running) Lsf.Ln_Calc[s] = HtSwitch(s, Checked(d, kLnCalc), false);
      return true;
    default:
      return false;
  }
}

// The ring-down dialog's own switches; false for an id that is none of them.
bool RdfCommand(HWND d, int16_t s, int id) {
  const bool on = Checked(d, id);
  switch (id) {
    case kSeq:
      RdfSequence(s, Checked(d, kSeq));
      return true;
    case kDisplay:
      Lsf.Rdf_Dsp[s] = on ? 1 : 0;
      return true;
    case kWinSel:
      Lsf.Rdf_WinSel[s] = on ? 1 : 0;
      return true;
    case kCmPlot:
      Lsf.CM_Plot = on ? 1 : 0;
      Lsf.Cur_Set = s;
      return true;
    case kCmCurve1:
      Lsf.CM_Curve1 = on ? 1 : 0;
      return true;
    case kCmCurve2:
      Lsf.CM_Curve2 = on ? 1 : 0;
      return true;
    default:
      return false;
  }
}

// The procedure of the three kinds.
INT_PTR FitDialog(SimDlgKind kind, HWND d, UINT msg, WPARAM wParam, LPARAM lParam) {
  const int16_t s = SimDlgSetOf(kind, d);
  if (s < 0) return 0;
  const bool rdf = kind == SIM_DLG_RDF;
  auto refresh = [&] {
    if (rdf)
      RdfRefresh(d, s);
    else
      VoigtRefresh(d, s, kind == SIM_DLG_VOIGT2);
  };
  switch (msg) {
    case WM_INITDIALOG:
    case WM_NLLSF_DONE:
      refresh();
      if (msg == WM_NLLSF_DONE) Repaint("LSF_1P");
      return 1;
    case WM_CTLCOLORSTATIC:
      return CaptionBrush(s, lParam, 60);
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const bool running = NLLsfRunning(s);
      if (id == IDCANCEL) {
        HWND& handle = rdf ? Lsf.Rdf_Hwnd[s] : Lsf.Voigt_Hwnd[s];
        if (handle == d) handle = nullptr;
        CloseThroughCreator(kind, s);
        return 1;
      }
      if (id == kRun) {
        if (!running) {
          ReadEdits(d, s, !rdf);
          Lsf.Cur_Set = s;
          if (rdf)
            RdfNLLsfRun(s);
          else
            VoigtNLLsfRun(s);
        }
      } else if (id == kStop) {
        Lsf.Run_Flag[s] = 0;
      } else if (!(rdf ? RdfCommand(d, s, id) : VoigtCommand(d, s, id, running))) {
        if (HIWORD(wParam) == EN_KILLFOCUS && !running && TakeModified(d, id)) ReadEdits(d, s, !rdf);
        return 1;
      }
      refresh();
      Repaint("LSF_2P");
      return 1;
    }
    default:
      return 0;
  }
}

}  // namespace

INT_PTR LsfVoigtProc(HWND d, UINT msg, WPARAM wParam, LPARAM lParam) {
  return FitDialog(SIM_DLG_VOIGT, d, msg, wParam, lParam);
}

INT_PTR LsfVoigt2Proc(HWND d, UINT msg, WPARAM wParam, LPARAM lParam) {
  return FitDialog(SIM_DLG_VOIGT2, d, msg, wParam, lParam);
}

INT_PTR LsfRdfProc(HWND d, UINT msg, WPARAM wParam, LPARAM lParam) {
  return FitDialog(SIM_DLG_RDF, d, msg, wParam, lParam);
}
