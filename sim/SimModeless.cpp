// Show/hide creators of the per-set modeless dialogs, their update from the request
// flags, the recolouring of their colour captions, and the helpers the dialogs share.
#include <cmath>

#include "core/FileIo.h"
#include "core/Repaint.h"
#include "display/DisplayDialogs.h"
#include "display/ViewKeys.h"
#include "fit/NLLsf.h"
#include "platform/kernel/Text.h"
#include "platform/windows/MessageBox.h"
#include "records/Dsp.h"
#include "records/Quad.h"
#include "records/Win.h"
#include "sim/SimDialogs.h"
#include "sim/SimDialogsInternal.h"

namespace simdlg {

std::string SetHead(int16_t set) { return StrPrintf("[%s] SIM [%s]", Sim.Set_Lbl[set], Sim.Sim_Flnm[set]); }

int Box(const std::string& text, const char* caption, UINT style) {
  return MessageBox(Win.hWnd_Main, text.c_str(), caption, style);
}

bool AskOverwrite(int16_t s, bool exists) {
  if (!exists && Sim.Sim_Modified[s] != 1 && Sim.Asn_Modified[s] != 1) return true;
  std::string text = SetHead(s) + "\n\n";
  if (exists) text += "SIM EXISTS\n\n";
  if (Sim.Sim_Modified[s] == 1) text += "SIM PRMS HAVE BEEN MODIFIED\n\n";
  if (Sim.Asn_Modified[s] == 1) text += "SIM ASNS HAVE BEEN MODIFIED\n\n";
  text += "OVERWRITE [YES] | ABORT [NO]?";
  if (Box(text, "Question", kQuestionBox) != IDYES) return false;
  Sim.Sim_Modified[s] = Sim.Asn_Modified[s] = 0;
  return true;
}

bool AskReplaceOutput(const std::string& name) {
  return Box(StrPrintf("OUTPUT FILE [%s] EXISTS\n\nOVERWRITE [YES] | ABORT [NO]?", name.c_str()), "Question",
             kQuestionBox) == IDYES;
}

void Repaint(const char* tag) {
  if (Win.hWnd_Main && IsWindow(Win.hWnd_Main)) RepaintWindow(tag, Win.hWnd_Main, TRUE);
}

void Refresh(HWND dialog) {
  if (dialog && IsWindow(dialog)) SendMessage(dialog, WM_INITDIALOG, 0, 0);
}

void RefreshControl() {
  if (Sim.Ctl_Shown == 1) Refresh(Sim.Ctl_Hwnd);
}

void SetText(HWND dialog, int id, const std::string& text) { SetDlgItemText(dialog, id, text.c_str()); }

std::string GetText(HWND dialog, int id) {
  char text[256] = "";
  GetDlgItemText(dialog, id, text, sizeof text);
  return text;
}

bool TakeModified(HWND dialog, int id) {
  if (SendDlgItemMessage(dialog, id, EM_GETMODIFY, 0, 0) == 0) return false;
  ClearModified(dialog, id);
  return true;
}

void ClearModified(HWND dialog, int id) { SendDlgItemMessage(dialog, id, EM_SETMODIFY, FALSE, 0); }

bool ReadDouble(HWND dialog, int id, double* value) {
  double v = 0.0;
  if (!platform::ParseDouble(GetText(dialog, id), &v) || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

bool ReadInt(HWND dialog, int id, int32_t* value) {
  int32_t v = 0;
  if (!platform::ParseInt32(GetText(dialog, id), &v)) return false;
  *value = v;
  return true;
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

INT_PTR CaptionBrush(int16_t set, LPARAM control, int captionId) {
  if (!IsSet(set) || GetDlgCtrlID(reinterpret_cast<HWND>(control)) != captionId) return 0;
  const int16_t row = Sim.COLOR_NO[set];
  return row >= 0 && row < SIM_COLORS ? reinterpret_cast<INT_PTR>(Sim.Brush[row]) : 0;
}

INT_PTR ListDialogProc(const ListDialog& list, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const int16_t s = SimDlgSetOf(list.kind, hwnd);
  if (s < 0) return 0;
  switch (msg) {
    case WM_INITDIALOG:
      list.refresh(hwnd, s);
      return 1;
    case WM_CTLCOLORSTATIC:
      return CaptionBrush(s, lParam, 60);
    case WM_VSCROLL:
      if (LOWORD(wParam) != SB_LINEUP && LOWORD(wParam) != SB_LINEDOWN) return 1;
      return list.scroll(hwnd, s, LOWORD(wParam) == SB_LINEUP);
    case WM_COMMAND:
      list.command(hwnd, s, LOWORD(wParam), HIWORD(wParam));
      return 1;
    default:
      return 0;
  }
}

void FillChannelList(HWND dialog, int id, int16_t selected) {
  SendDlgItemMessage(dialog, id, LB_RESETCONTENT, 0, 0);
  for (const auto& label : Win.Chn_Lbl)
    SendDlgItemMessage(dialog, id, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label));
  const int16_t row = selected >= 0 && selected <= 9 ? selected : 9;
  SendDlgItemMessage(dialog, id, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
  SendDlgItemMessage(dialog, id, LB_SETTOPINDEX, static_cast<WPARAM>(row), 0);
}

int ControlColumn(int16_t set) {
  const int column = set - Sim.Ctl_First;
  return column == 0 || column == 1 ? column : -1;
}

void ClearControlBox(int16_t set, int id) {
  const int column = ControlColumn(set);
  if (column < 0 || !Sim.Ctl_Hwnd || !IsWindow(Sim.Ctl_Hwnd)) return;
  Check(Sim.Ctl_Hwnd, id + column, false);
}

int32_t TrackbarPosition(double value, double low, double high) {
  return high == low ? -10000 : DisplayTrackbarPosition(value, low, high);
}

double TrackbarValue(int32_t position, double low, double high) {
  return low + (-static_cast<double>(position) * 0.0001) * (high - low);
}

void SetTrackbar(HWND dialog, int id, double value, double low, double high) {
  SendDlgItemMessage(dialog, id, TBM_SETRANGEMIN, FALSE, -10000);
  SendDlgItemMessage(dialog, id, TBM_SETRANGEMAX, FALSE, 0);
  SendDlgItemMessage(dialog, id, TBM_SETPAGESIZE, 0, 100);
  SendDlgItemMessage(dialog, id, TBM_SETTICFREQ, 5000, 0);
  SendDlgItemMessage(dialog, id, TBM_SETPOS, TRUE, TrackbarPosition(value, low, high));
}

}  // namespace simdlg

using namespace simdlg;

namespace {

// A kind's template, procedure and failure text; template 0: the kind's dialog is
// not part of the program yet.
struct KindInfo {
  int templ;
  DLGPROC proc;
  const char* failure;
};

KindInfo Info(SimDlgKind kind) {
  switch (kind) {
    case SIM_DLG_RESIDUAL:
      return {9001, ResidualDialogProc, "FAILED TO CREATE RESIDUAL DIALOG"};
    case SIM_DLG_SCALEOFS:
      return {1201, SimScaleOffsetDialogProc, "FAILED TO CREATE SIM SCALE/OFFSET DIALOG"};
    case SIM_DLG_SINE:
      return {1203, SimSineDialogProc, "FAILED TO CREATE SIM SINE DIALOG"};
    case SIM_DLG_CHEB:
      return {1280, SimChebyshevDialogProc, "FAILED TO CREATE SIM CHEBYSHEV DIALOG"};
    case SIM_DLG_HITRAN:
      return {1000, SimHitranDialogProc, "FAILED TO CREATE SIM HITRAN DIALOG"};
    case SIM_DLG_FILTER:
      return {802, JkkFilterDialogProc, "FAILED TO CREATE JKK FILTER DIALOG"};
    case SIM_DLG_LINESHAPE:
      return {1300, SimLineshapeDialogProc, nullptr};
    case SIM_DLG_QUADQN:
      return {8002, QuadQNDialogProc, "FAILED TO CREATE QUAD QN DIALOG"};
    case SIM_DLG_ABC:
      return {203, OrvABCDervProc, "FAILED TO CREATE ABC TRACKBAR DIALOG"};
    case SIM_DLG_CORIOLIS:
      return {204, OrvCoriolisDervProc, "FAILED TO CREATE CORIOLIS TRACKBAR DIALOG"};
    case SIM_DLG_CROSS:
      return {205, OrvCrossTermDervProc, "FAILED TO CREATE CROSSTERM TRACKBAR DIALOG"};
    case SIM_DLG_DDIST:
      return {206, OrvDDistortionDervProc, "FAILED TO CREATE WATSON'S D DISTORTION TRACKBAR DIALOG"};
    case SIM_DLG_TDM:
      return {207, OrvTdmDervProc, "FAILED TO CREATE TDM/DIPOLE TRACKBAR DIALOG"};
    case SIM_DLG_TEMP:
      return {208, OrvTemperatureDervProc, "FAILED TO CREATE TEMPERATURE TRACKBAR DIALOG"};
    case SIM_DLG_QUADTB:
      return {8001, QuadTrackbarDialogProc, "FAILED TO CREATE QUAD TRACKBAR DIALOG"};
    case SIM_DLG_BARRIER:
      return {4150, W36DialogProc, "FAILED TO CREATE V3 BARRIER DIALOG"};
    case SIM_DLG_VOIGT:
      return {1401, LsfVoigtProc, "FAILED TO CREATE LSF VOIGT DIALOG"};
    case SIM_DLG_VOIGT2:
      return {1402, LsfVoigt2Proc, "FAILED TO CREATE LSF VOIGT2 DIALOG"};
    case SIM_DLG_RDF:
      return {1406, LsfRdfProc, "FAILED TO CREATE LSF RDF DIALOG"};
    default:
      return {0, nullptr, nullptr};
  }
}

// The creator shared by every kind: creates once, refreshes on every show, shows
// only a hidden window; show 0 hides a shown one. Kinds without a dialog yet say so.
uint32_t ShowKind(SimDlgKind kind, int16_t set, uint32_t show, HWND parent) {
  if (!IsSet(set)) return 0;
  uint32_t& guard = Sim.Dlg_Guard[kind];
  HWND& handle = Sim.Dlg_Hwnd[kind][set];
  uint32_t& shown = Sim.Dlg_Shown[kind][set];
  if (show != 1) return DisplayModelessShow(0, parent, &handle, &shown, &guard, 0, nullptr, "");
  KindInfo info = Info(kind);
  if (kind == SIM_DLG_JKKQN || kind == SIM_DLG_COMBDIFF) {
    // 800/744 without F labels, 801/745 with them; a window of the other layout is replaced.
    if (Sim.FM_STAT[set] > 1) return shown;
    const bool fm = Sim.FM_STAT[set] == 1;
    if (handle && IsWindow(handle) && (GetDlgItem(handle, 850) != nullptr) != fm) {
      DestroyWindow(handle);
      handle = nullptr;
      shown = 0;
    }
    if (kind == SIM_DLG_JKKQN)
      info = {fm ? 801 : 800, JkkQNDialogProc, fm ? "FAILED TO CREATE F/M JKK QN DIALOG" : "FAILED TO CREATE JKK QN DIALOG"};
    else
      info = {fm ? 745 : 744, JkkCombDiffDialogProc,
              fm ? "FAILED TO CREATE F/M JKK COMB DIFF DIALOG" : "FAILED TO CREATE JKK COMB DIFF DIALOG"};
  }
  // The first showing of the quadrupole QN dialog starts at the top of its list.
  if (kind == SIM_DLG_QUADQN && !(handle && IsWindow(handle))) Quad.QN_LIST_SEL[set] = Quad.QN_List_Top[set] = 0;
  if (info.templ == 0) {
    core_io::StatusText(2, "OPTION NOT CURRENTLY AVAILABLE");
    return 0;
  }
  const std::string failure =
      info.failure ? std::string(info.failure) : SetHead(set) + "\n\nFAILED TO CREATE SIM LINESHAPE DIALOG";
  return DisplayModelessShow(1, parent, &handle, &shown, &guard, info.templ, info.proc, failure.c_str());
}

bool HasDerivatives(int16_t set) { return Sim.DVS_STAT[set] == 1 && Sim.FI_Dev[set] != nullptr; }

using Creator = uint32_t (*)(int16_t, uint32_t, HWND);

struct KindRow {
  SimDlgKind kind;
  Creator creator;
};

}  // namespace

uint32_t& SimDlgRequest(SimDlgKind kind, int16_t set) {
  if (kind == SIM_DLG_SINE) return Sim.Sine_Stat[set];
  if (kind == SIM_DLG_HITRAN) return Sim.HT_Ary_Stat[set];
  return Sim.Dlg_Req[kind][set];
}

int16_t SimDlgSetOf(SimDlgKind kind, HWND dialog) {
  if (!dialog) return -1;
  for (int16_t s = 0; s < SIM_SETS; ++s)
    if (Sim.Dlg_Hwnd[kind][s] == dialog) return s;
  return -1;
}

int SimCtlRequestBox(SimDlgKind kind) {
  switch (kind) {
    case SIM_DLG_ABC: return 8704;
    case SIM_DLG_CORIOLIS: return 8706;
    case SIM_DLG_CROSS: return 8708;
    case SIM_DLG_DDIST: return 8710;
    case SIM_DLG_TDM: return 8712;
    case SIM_DLG_TEMP: return 8714;
    case SIM_DLG_JKKQN: return 8700;
    case SIM_DLG_FILTER: return 8718;
    case SIM_DLG_QUADTB: return 8716;
    case SIM_DLG_QUADQN: return 8702;
    case SIM_DLG_RESIDUAL: return 8720;
    case SIM_DLG_SCALEOFS: return 8722;
    case SIM_DLG_SINE: return 8724;
    case SIM_DLG_CHEB: return 8726;
    case SIM_DLG_LINESHAPE: return 8728;
    case SIM_DLG_VOIGT: return 1404;
    case SIM_DLG_RDF: return 1407;
    case SIM_DLG_BARRIER: return 8734;
    default: return 0;  // combination differences, Voigt+ and HITRAN have no box here
  }
}

namespace simdlg {
void CloseThroughCreator(SimDlgKind kind, int16_t set) {
  if (!IsSet(set)) return;
  uint32_t& request = SimDlgRequest(kind, set);
  const uint32_t before = request;
  request = ShowKind(kind, set, 0, Win.hWnd_Main);
  RefreshControl();
  // The painting reads the requests of these kinds (a HITRAN set's transmission and
  // scale, the residual trace, the sine baseline): what it drew changes with them.
  const bool drawn = kind == SIM_DLG_HITRAN || kind == SIM_DLG_RESIDUAL || kind == SIM_DLG_SINE;
  if (!drawn || request == before) return;
  HWND child = Win.hWnd_Child[9][0];  // the sine's time signal
  if (kind == SIM_DLG_SINE && Sim.Sine_FFT == 1 && child && IsWindow(child)) RepaintWindow("CB2_4P", child, TRUE);
  Repaint("CB2_4P");
}
}  // namespace simdlg

#define QV95_SIM_CREATOR(name, kind) \
  uint32_t name(int16_t set, uint32_t show, HWND parent) { return ShowKind(kind, set, show, parent); }

QV95_SIM_CREATOR(SimAbcTrackbarDialogShow, SIM_DLG_ABC)
QV95_SIM_CREATOR(SimCoriolisTrackbarDialogShow, SIM_DLG_CORIOLIS)
QV95_SIM_CREATOR(SimCrossTermTrackbarDialogShow, SIM_DLG_CROSS)
QV95_SIM_CREATOR(SimDDistortionTrackbarDialogShow, SIM_DLG_DDIST)
QV95_SIM_CREATOR(SimTdmDipoleTrackbarDialogShow, SIM_DLG_TDM)
QV95_SIM_CREATOR(SimTemperatureTrackbarDialogShow, SIM_DLG_TEMP)
QV95_SIM_CREATOR(SimJkkQNDialogShow, SIM_DLG_JKKQN)
QV95_SIM_CREATOR(SimJkkCombDiffDialogShow, SIM_DLG_COMBDIFF)
QV95_SIM_CREATOR(SimQuadTrackbarDialogShow, SIM_DLG_QUADTB)
QV95_SIM_CREATOR(SimQuadQNDialogShow, SIM_DLG_QUADQN)
QV95_SIM_CREATOR(SimResidualDialogShow, SIM_DLG_RESIDUAL)
QV95_SIM_CREATOR(SimScaleOffsetDialogShow, SIM_DLG_SCALEOFS)
QV95_SIM_CREATOR(SimSineDialogShow, SIM_DLG_SINE)
QV95_SIM_CREATOR(SimChebyshevDialogShow, SIM_DLG_CHEB)
QV95_SIM_CREATOR(SimHitranDialogShow, SIM_DLG_HITRAN)
QV95_SIM_CREATOR(SimLineShapeDialogShow, SIM_DLG_LINESHAPE)
QV95_SIM_CREATOR(LsfVoigt2DialogShow, SIM_DLG_VOIGT2)
QV95_SIM_CREATOR(LsfRdfDialogShow, SIM_DLG_RDF)
QV95_SIM_CREATOR(W36DialogShow, SIM_DLG_BARRIER)

#undef QV95_SIM_CREATOR

// The Voigt fit's per-line arrays are made ready before its dialog shows.
uint32_t LsfVoigtDialogShow(int16_t set, uint32_t show, HWND parent) {
  if (show == 1 && IsSet(set)) VoigtNLLsfAlloc(1, set);
  return ShowKind(SIM_DLG_VOIGT, set, show, parent);
}

uint32_t SimJkkFilterDialogShow(int16_t set, uint32_t show, HWND parent) {
  const uint32_t result = ShowKind(SIM_DLG_FILTER, set, show, parent);
  if (show != 1 && IsSet(set)) Sim.Jkk_Filter[set][0] = Sim.Jkk_Filter[set][1] = 0;
  return result;
}

int32_t SimModelessDialogUpdate(int16_t set, int32_t repaint) {
  if (!IsSet(set)) return 1;
  const HWND main = Win.hWnd_Main;
  const bool shownSet = Sim.Dsp_Stat[set] == 1;
  uint32_t before[SIM_DLG_KINDS];
  for (int k = 0; k < SIM_DLG_KINDS; ++k) before[k] = Sim.Dlg_Shown[k][set];
  auto req = [set](SimDlgKind kind) -> uint32_t& { return SimDlgRequest(kind, set); };
  // Shown on request for a shown set, otherwise hidden.
  auto plain = [&](SimDlgKind kind, Creator creator) {
    if (req(kind) == 1 && shownSet)
      req(kind) = creator(set, 1, main);
    else
      creator(set, 0, main);
  };
  auto refuse = [&](SimDlgKind kind, Creator creator, const std::string& text, const char* caption, UINT style) {
    creator(set, 0, main);
    req(kind) = 0;
    ClearControlBox(set, SimCtlRequestBox(kind));
    Box(text, caption, style);
  };

  // 1. The JKK QN dialog: its candidate search; the painting shows the dialog after it,
  // so a search is followed by a repaint as a change is.
  bool searched = false;
  if (req(SIM_DLG_JKKQN) == 1 && shownSet) {
    searched = main != nullptr;
    if (main) DisplayViewKey(main, 'j', 0);
    core_io::StatusText(2, StrPrintf("JKK ASN FILENAME=[%s]", Sim.Asn_Flnm[set]));
  } else {
    SimJkkQNDialogShow(set, 0, main);
  }
  // 2. Combination differences.
  plain(SIM_DLG_COMBDIFF, SimJkkCombDiffDialogShow);
  // 3. The quadrupole QN dialog.
  auto quadActive = [&]() {
    Quad.QN_FromList[set] = 1;
    Sim.QN_FromList[set] = 0;
    Sim.QN_FromCD[set] = 0;
    req(SIM_DLG_JKKQN) = 1;
    Sim.Quad_Dsp[set] = 1;
    const int column = ControlColumn(set);
    if (column >= 0 && Sim.Ctl_Hwnd && IsWindow(Sim.Ctl_Hwnd)) Check(Sim.Ctl_Hwnd, 8700 + column, true);
  };
  if (req(SIM_DLG_QUADQN) == 1 && shownSet) {
    if (HasDerivatives(set)) {
      quadActive();
      searched = main != nullptr;
      if (main) DisplayViewKey(main, 'j', 0);
      core_io::StatusText(3, StrPrintf("QUAD ASN FILENAME=[%s]", Quad.Asn_Flnm[set]));
    } else {
      Sim.Quad_Dsp[set] = 0;
      refuse(SIM_DLG_QUADQN, SimQuadQNDialogShow,
             SetHead(set) + "\n\nDERIVATIVES NOT FOUND\n\nRERUN Orv95.exe TO CALC 1ST-ORDER QUADRUPOLE SPECTRUM\n\nOPTION DISABLED",
             "Warning", kWarningBox);
    }
  } else {
    SimQuadQNDialogShow(set, 0, main);
  }
  // 4. The JKK filter.
  plain(SIM_DLG_FILTER, SimJkkFilterDialogShow);
  // 5. The rotor trackbars need the set's derivatives.
  const KindRow trackbars[] = {{SIM_DLG_ABC, SimAbcTrackbarDialogShow},
                               {SIM_DLG_CORIOLIS, SimCoriolisTrackbarDialogShow},
                               {SIM_DLG_CROSS, SimCrossTermTrackbarDialogShow},
                               {SIM_DLG_DDIST, SimDDistortionTrackbarDialogShow},
                               {SIM_DLG_QUADTB, SimQuadTrackbarDialogShow},
                               {SIM_DLG_BARRIER, W36DialogShow}};
  for (const KindRow& row : trackbars) {
    if (req(row.kind) == 1 && shownSet) {
      if (HasDerivatives(set)) {
        req(row.kind) = row.creator(set, 1, main);
        if (row.kind == SIM_DLG_QUADTB && req(row.kind) == 1) quadActive();
      } else {
        if (row.kind == SIM_DLG_QUADTB) Sim.Quad_Dsp[set] = 0;
        const bool info = row.kind == SIM_DLG_CORIOLIS;
        refuse(row.kind, row.creator,
               SetHead(set) + "\n\nDERIVATIVES NOT FOUND\n\nRERUN Orv95.exe TO USE TRACKBARS\n\nOPTION DISABLED",
               info ? "Info" : "Warning", info ? kInfoBox : kWarningBox);
      }
    } else {
      row.creator(set, 0, main);
    }
  }
  // 6. The TDM trackbar needs the transition-dipole shares of the file.
  if (req(SIM_DLG_TDM) == 1 && shownSet && Sim.TDM_GLOBAL_STAT[set] != 1)
    refuse(SIM_DLG_TDM, SimTdmDipoleTrackbarDialogShow,
           SetHead(set) + "\n\nRERUN Orv95.exe WITH 0% | 100% FOR TDM/DIPOLE TRACKBAR\n\nOPTION DISABLED", "Warning",
           kWarningBox);
  else
    plain(SIM_DLG_TDM, SimTdmDipoleTrackbarDialogShow);
  // 7. The temperature trackbar needs the level energies.
  if (req(SIM_DLG_TEMP) == 1 && shownSet && Sim.TEMP_GLOBAL_STAT[set] != 1) {
    const char* why = Sim.DM_GLOBAL_STAT[set] == 1
                          ? "\n\nGROUND STATE ENERGIES NOT AVAILABLE\n\nOPTION DISABLED"
                          : "\n\nGROUND STATE ENERGIES NOT FOUND\n\nRERUN Orv95.exe WITH ZERO TEMPERATURE (T1)\n\nOPTION DISABLED";
    refuse(SIM_DLG_TEMP, SimTemperatureTrackbarDialogShow, SetHead(set) + why, "Warning", kWarningBox);
  } else {
    plain(SIM_DLG_TEMP, SimTemperatureTrackbarDialogShow);
  }
  // 8. Line shape and the display-shaping dialogs.
  plain(SIM_DLG_LINESHAPE, SimLineShapeDialogShow);
  plain(SIM_DLG_SCALEOFS, SimScaleOffsetDialogShow);
  plain(SIM_DLG_SINE, SimSineDialogShow);
  plain(SIM_DLG_CHEB, SimChebyshevDialogShow);
  // 9. HITRAN: the result of showing it becomes the set's display flag.
  if (req(SIM_DLG_HITRAN) == 1 && shownSet)
    Sim.Dsp_Stat[set] = SimHitranDialogShow(set, 1, main);
  else
    SimHitranDialogShow(set, 0, main);
  // 10. The fits.
  plain(SIM_DLG_VOIGT, LsfVoigtDialogShow);
  plain(SIM_DLG_VOIGT2, LsfVoigt2DialogShow);
  plain(SIM_DLG_RDF, LsfRdfDialogShow);
  // 11. Residuals need their channel on display.
  const int16_t cnl = Sim.Dsp_Cnl[set];
  const bool channelShown = cnl < 0 || cnl > 8 || Dsp.Chn_DspStat[cnl] == 1;
  if (req(SIM_DLG_RESIDUAL) == 1 && shownSet && !channelShown)
    refuse(SIM_DLG_RESIDUAL, SimResidualDialogShow, "DISPLAY ASSOCIATED EXPT DATA FOR RESIDUALS\n\nRESIDUALS DISABLED",
           "Warning", kWarningBox);
  else
    plain(SIM_DLG_RESIDUAL, SimResidualDialogShow);

  bool changed = false;
  for (int k = 0; k < SIM_DLG_KINDS; ++k) changed = changed || before[k] != Sim.Dlg_Shown[k][set];
  if (repaint == 1 && (changed || searched) && main && IsWindow(main)) RepaintWindow("CB2_4P", main, TRUE);
  return 1;
}

void SimModelessDialogsRefresh() {
  HWND main = Win.hWnd_Main;
  auto refresh = [main](uint32_t& request, int16_t set, Creator creator) {
    if (request == 1) request = creator(set, 1, main);
  };
  for (int16_t set = 0; set < SIM_SETS; ++set) {
    if (Sim.Dsp_Stat[set] == 0) continue;
    auto R = [set](SimDlgKind kind) -> uint32_t& { return Sim.Dlg_Req[kind][set]; };
    // The assignment dialogs show the list their edits act on: refreshed after a new
    // selection and after every command that changed the list or asked for a redraw.
    if ((Sim.Sel_Changed == 1 || Sim.Redraw == 1) && R(SIM_DLG_JKKQN) == 1) {
      refresh(R(SIM_DLG_JKKQN), set, SimJkkQNDialogShow);
      refresh(R(SIM_DLG_QUADQN), set, SimQuadQNDialogShow);
    }
    refresh(R(SIM_DLG_COMBDIFF), set, SimJkkCombDiffDialogShow);
    refresh(R(SIM_DLG_ABC), set, SimAbcTrackbarDialogShow);
    refresh(R(SIM_DLG_CORIOLIS), set, SimCoriolisTrackbarDialogShow);
    refresh(R(SIM_DLG_CROSS), set, SimCrossTermTrackbarDialogShow);
    refresh(R(SIM_DLG_DDIST), set, SimDDistortionTrackbarDialogShow);
    refresh(R(SIM_DLG_QUADTB), set, SimQuadTrackbarDialogShow);
    refresh(R(SIM_DLG_BARRIER), set, W36DialogShow);
    refresh(R(SIM_DLG_TDM), set, SimTdmDipoleTrackbarDialogShow);
    refresh(R(SIM_DLG_TEMP), set, SimTemperatureTrackbarDialogShow);
    refresh(R(SIM_DLG_VOIGT), set, LsfVoigtDialogShow);
    refresh(R(SIM_DLG_RDF), set, LsfRdfDialogShow);
    refresh(R(SIM_DLG_LINESHAPE), set, SimLineShapeDialogShow);
    refresh(R(SIM_DLG_SCALEOFS), set, SimScaleOffsetDialogShow);
    refresh(Sim.Sine_Stat[set], set, SimSineDialogShow);
    HWND hitran = Sim.Dlg_Hwnd[SIM_DLG_HITRAN][set];
    if (Sim.HT_Ary_Stat[set] == 1 && hitran && IsWindow(hitran)) SendMessage(hitran, WM_INITDIALOG, 0, 0);
    refresh(R(SIM_DLG_RESIDUAL), set, SimResidualDialogShow);
  }
}

int32_t SimModelessDialogRecolor(int16_t column, int16_t first) {
  const int set = first + column;
  if (IsSet(set)) {
    for (int k = 0; k < SIM_DLG_KINDS; ++k) {
      const SimDlgKind kind = static_cast<SimDlgKind>(k);
      HWND dialog = Sim.Dlg_Hwnd[k][set];
      if (SimDlgRequest(kind, static_cast<int16_t>(set)) == 1 && dialog && IsWindow(dialog))
        SendDlgItemMessage(dialog, 60, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    }
  }
  Repaint("CB2_5P");
  return 1;
}
