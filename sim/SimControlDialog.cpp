// The SIMULATION CONTROL DIALOG: two sets side by side from Sim.Ctl_First, their
// files, display scaling, line shape, colour and the switches of their sub-dialogs.
#include <cmath>
#include <cstring>
#include <string>

#include "sim/SimFileDialogs.h"
#include "core/FileIo.h"
#include "core/Repaint.h"
#include "core/TypedArrays.h"
#include "core/WorkText.h"
#include "core/Coords.h"
#include "display/DisplayDialogs.h"
#include "display/FileSection.h"
#include "display/ViewFiles.h"
#include "display/ViewKeys.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"
#include "platform/windows/MessageBox.h"
#include "records/Dsp.h"
#include "records/FgPrm.h"
#include "records/Ga.h"
#include "records/OrvPrm.h"
#include "records/Win.h"
#include "sim/SimDialogs.h"
#include "sim/SimDialogsInternal.h"
#include "sim/SimFile.h"
#include "sim/SimLines.h"
#include "sim/SimRotor.h"
#include "sim/SimSets.h"
#include "sim/SimHitran.h"
#include "sim/SimSibling.h"

using namespace simdlg;

namespace {

constexpr SimDlgKind kBoxKinds[] = {SIM_DLG_ABC,      SIM_DLG_CORIOLIS, SIM_DLG_CROSS,     SIM_DLG_DDIST,
                                    SIM_DLG_TDM,      SIM_DLG_TEMP,     SIM_DLG_JKKQN,     SIM_DLG_FILTER,
                                    SIM_DLG_QUADTB,   SIM_DLG_QUADQN,   SIM_DLG_RESIDUAL,  SIM_DLG_SCALEOFS,
                                    SIM_DLG_SINE,     SIM_DLG_CHEB,     SIM_DLG_LINESHAPE, SIM_DLG_VOIGT,
                                    SIM_DLG_RDF,      SIM_DLG_BARRIER};

// Left-column identifiers of the paired controls; the right column's is one more.
constexpr int kPairs[] = {IDC_SC_COLOR,  IDC_SC_SWATCH,  IDC_SC_LABEL,  IDC_SC_DSP,      IDC_SC_EDIT,     IDC_SC_OPEN,
                          IDC_SC_RDORV,  IDC_SC_FILE,    IDC_SC_SUM,    IDC_SC_WRT,      IDC_SC_CLR,      IDC_SC_PUB,
                          IDC_SC_SCALAR, IDC_SC_OFS,     IDC_SC_SLP,    IDC_SC_CHN,      IDC_SC_ITC,      IDC_SC_FUNC,
                          IDC_SC_LOR,    IDC_SC_IDV,     IDC_SC_GAU,    IDC_SC_NUM,      IDC_SC_WIDTH,    IDC_SC_ACTIVE,
                          IDC_SC_QUADDSP, IDC_SC_SHIFT,  IDC_SC_SHIFTVAL, IDC_SC_FRQSCALE, IDC_SC_BIN,    IDC_SC_QVS,
                          IDC_SC_RDSIM,  IDC_SC_RDASN,   IDC_SC_ORVPRMS, IDC_SC_ZERO,    8704, 8706, 8708, 8710, 8712,
                          8714, 8700, 8718, 8716, 8702, 8720, 8722, 8724, 8726, 8728, 1404, 1407, 8734};

// The left-column id of a control and its column; false for unpaired controls.
bool SplitId(int id, int* base, int* column) {
  for (int b : kPairs) {
    if (id == b || id == b + 1) {
      *base = b;
      *column = id - b;
      return true;
    }
  }
  return false;
}

int16_t ColumnSet(int column) { return static_cast<int16_t>(Sim.Ctl_First + column); }

HWND Main() { return Win.hWnd_Main; }

// A view key sent to the main window; it is repainted when the key asks for it, so that
// what the key changed (a cursor window's candidate list, a shift) is drawn, and built,
// before the user's next click.
void ViewKey(int32_t key, const char* tag) {
  if (Main() && DisplayViewKey(Main(), key, 0) == 1) Repaint(tag);
}

void RefreshRotorDialog() { Refresh(OrvPrm.Dlg_Hwnd); }

void ShowCounts(HWND d, int column, int16_t s) {
  SetText(d, IDC_SC_CAL + column, StrPrintf("%ld", static_cast<long>(Sim.FI_Lines[s])));
  SetText(d, IDC_SC_ASNLNS + column, StrPrintf("%ld", static_cast<long>(Sim.FI_Asn_Lines[s])));
  SetText(d, IDC_SC_OMC + column, StrPrintf("%f", static_cast<double>(Sim.FI_OmC_Rms[s])));
}

void FillColumn(HWND d, int column) {
  const int16_t s = ColumnSet(column);
  if (!IsSet(s)) return;
  Check(d, IDC_SC_DSP + column, Sim.Dsp_Stat[s] == 1);
  Check(d, IDC_SC_EDIT + column, Sim.Edit_Stat[s] == 1);
  SetText(d, IDC_SC_LABEL + column, Sim.Set_Lbl[s]);
  SetText(d, IDC_SC_FILE + column, Sim.Sim_Flnm[s]);
  for (int id : {IDC_SC_CAL, IDC_SC_ASNLNS, IDC_SC_OMC}) SendDlgItemMessage(d, id + column, EM_SETREADONLY, TRUE, 0);
  ShowCounts(d, column, s);
  Check(d, IDC_SC_SUM + column, Sim.Sum_Stat[s] == 1);
  SetText(d, IDC_SC_SCALAR + column, StrPrintf("%.8le", Sim.Dsp_Scalar[s]));
  SetText(d, IDC_SC_OFS + column, StrPrintf("%.8le", Sim.Dsp_Offset[s]));
  SetText(d, IDC_SC_SLP + column, StrPrintf("%.8le", Sim.Dsp_Slope[s]));
  SetText(d, IDC_SC_ITC + column, StrPrintf("%.9le", Sim.Dsp_Intercept[s]));
  SetText(d, IDC_SC_LOR + column, StrPrintf("%.8le", Sim.LS_LOR[s]));
  SetText(d, IDC_SC_GAU + column, StrPrintf("%.8le", Sim.LS_GAU[s]));
  const int funcList = IDC_SC_FUNC + column;
  SendDlgItemMessage(d, funcList, LB_RESETCONTENT, 0, 0);
  for (const auto& name : Sim.LS_FuncName) {
    if (std::string(name) == "EOL") break;
    SendDlgItemMessage(d, funcList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  SendDlgItemMessage(d, funcList, LB_SETCURSEL, static_cast<WPARAM>(Sim.LS_Func[s]), 0);
  SendDlgItemMessage(d, funcList, LB_SETTOPINDEX, static_cast<WPARAM>(Sim.LS_Func[s]), 0);
  FillChannelList(d, IDC_SC_CHN + column, Sim.Dsp_Cnl[s]);
  SetText(d, IDC_SC_WIDTH + column, Sim.LS_WidthMode[s] == 1 ? StrPrintf("%hd", Sim.LS_NOLWS[s])
                                                             : StrPrintf("%f", static_cast<double>(Sim.LS_Span[s])));
  Check(d, IDC_SC_NUM + column, Sim.LS_WidthMode[s] == 1);
  Check(d, IDC_SC_IDV + column, Sim.IDVWIDTH_STAT[s] == 1);
  Check(d, IDC_SC_ACTIVE + column, Sim.Cur_Set == s);
  Check(d, IDC_SC_QUADDSP + column, Sim.Quad_Dsp[s] == 1);
  for (SimDlgKind kind : kBoxKinds) Check(d, SimCtlRequestBox(kind) + column, SimDlgRequest(kind, s) == 1);
  Check(d, IDC_SC_SHIFT + column, Sim.Shift_Stat[s] == 1);
  SetText(d, IDC_SC_SHIFTVAL + column,
          StrPrintf("%lf", DisplayFreqUnitConvert(Sim.Frq_Shift[s] + Sim.Frq_ShiftRef[s], -Sim.Frq_ShiftRef[s])));
  SetText(d, IDC_SC_FRQSCALE + column, StrPrintf("%lf", Sim.Frq_Scale[s]));
  for (int id : {IDC_SC_FILE, IDC_SC_SCALAR, IDC_SC_OFS, IDC_SC_SLP, IDC_SC_ITC, IDC_SC_LOR, IDC_SC_GAU, IDC_SC_WIDTH,
                 IDC_SC_SHIFTVAL, IDC_SC_FRQSCALE})
    ClearModified(d, id + column);
  InvalidateRect(GetDlgItem(d, IDC_SC_SWATCH + column), nullptr, TRUE);
}

void Fill(HWND d) {
  Sim.Ctl_Hwnd = d;
  if (Sim.Ctl_First < 0) Sim.Ctl_First = 0;
  if (Sim.Ctl_First > 7) Sim.Ctl_First = 7;
  SetScrollRange(GetDlgItem(d, IDC_SC_COLUMNS), SB_CTL, 0, 7, FALSE);
  SetScrollPos(GetDlgItem(d, IDC_SC_COLUMNS), SB_CTL, Sim.Ctl_First, TRUE);
  FillColumn(d, 0);
  FillColumn(d, 1);
  Check(d, IDC_SC_LABELS, Sim.Lbl_Stat == 1);
  Check(d, IDC_SC_ASNONLY, Sim.Lbl_AsnOnly == 1);
}

// The scaling and line-shape controls of a column, read in their fixed order.
void ReadScaling(HWND d, int column) {
  const int16_t s = ColumnSet(column);
  const LRESULT top = SendDlgItemMessage(d, IDC_SC_CHN + column, LB_GETTOPINDEX, 0, 0);
  if (top >= 0 && top <= 9) Sim.Dsp_Cnl[s] = static_cast<int16_t>(top);
  const LRESULT func = SendDlgItemMessage(d, IDC_SC_FUNC + column, LB_GETCURSEL, 0, 0);
  if (func >= 0 && func < 3) Sim.LS_Func[s] = static_cast<int16_t>(func);
  if (Sim.LS_WidthMode[s] == 1) {
    int32_t n = 0;
    if (ReadInt(d, IDC_SC_WIDTH + column, &n) && n >= INT16_MIN && n <= INT16_MAX) Sim.LS_NOLWS[s] = static_cast<int16_t>(n);
    for (int v = 0; v < SIM_VIEW_LEVELS; ++v) Sim.LS_SearchPts[s][v] = 100;
    if (Sim.LS_SearchPts[s][3] != Sim.LS_SearchPtsShown[s][3]) {
      core_io::StatusText(2, StrPrintf("[%s] CTRL [%d] SEARCH PTS=[%ld]", Sim.Set_Lbl[s], 3,
                                       static_cast<long>(Sim.LS_SearchPts[s][3])));
      Sim.LS_SearchPtsShown[s][3] = Sim.LS_SearchPts[s][3];
    }
  } else {
    double span = Sim.LS_Span[s];
    if (ReadDouble(d, IDC_SC_WIDTH + column, &span)) Sim.LS_Span[s] = static_cast<float>(span);
  }
  Sim.LS_WidthMode[s] = Checked(d, IDC_SC_NUM + column) ? 1 : 0;
  ReadDouble(d, IDC_SC_SCALAR + column, &Sim.Dsp_Scalar[s]);
  ReadDouble(d, IDC_SC_SLP + column, &Sim.Dsp_Slope[s]);
  ReadDouble(d, IDC_SC_OFS + column, &Sim.Dsp_Offset[s]);
  ReadDouble(d, IDC_SC_ITC + column, &Sim.Dsp_Intercept[s]);
  ReadDouble(d, IDC_SC_LOR + column, &Sim.LS_LOR[s]);
  ReadDouble(d, IDC_SC_GAU + column, &Sim.LS_GAU[s]);
  if (Sim.Dlg_Req[SIM_DLG_SCALEOFS][s] == 1) Refresh(Sim.Dlg_Hwnd[SIM_DLG_SCALEOFS][s]);
  Repaint("CB2_3P");
}

// IDV: per-line widths kept (resized) or made, all zero; nothing is kept half made.
void IndividualWidths(HWND d, int column) {
  const int16_t s = ColumnSet(column);
  Sim.IDVWIDTH_STAT[s] = Checked(d, IDC_SC_IDV + column) ? 1 : 0;
  if (Sim.IDVWIDTH_STAT[s] == 1) {
    const uint32_t n = Sim.FI_Lines[s];
    bool ok;
    if (Sim.FI_Gau_FWHM[s] && Sim.FI_Lor_FWHM[s]) {
      ok = !QvAllocFailed(FReAlloc1Dim(&Sim.FI_Gau_FWHM[s], n)) && !QvAllocFailed(FReAlloc1Dim(&Sim.FI_Lor_FWHM[s], n));
    } else {
      FFree1Dim(&Sim.FI_Gau_FWHM[s]);
      FFree1Dim(&Sim.FI_Lor_FWHM[s]);
      ok = !QvAllocFailed(FAlloc1Dim(&Sim.FI_Gau_FWHM[s], n)) && !QvAllocFailed(FAlloc1Dim(&Sim.FI_Lor_FWHM[s], n));
      if (ok)
        for (uint32_t i = 0; i < n; ++i) Sim.FI_Gau_FWHM[s][i] = Sim.FI_Lor_FWHM[s][i] = 0.0f;
    }
    if (!ok) {
      // The arrays exist exactly while the flag is set: a failure leaves neither.
      FFree1Dim(&Sim.FI_Gau_FWHM[s]);
      FFree1Dim(&Sim.FI_Lor_FWHM[s]);
      Sim.IDVWIDTH_STAT[s] = 0;
      Check(d, IDC_SC_IDV + column, false);
      Box("SimControlDialogProc()/FI_Gau_FWHM/FI_Lor_FWHM - CORE ALLOCATION ERROR", "Error", kErrorBox);
    }
  }
  ReadScaling(d, column);
}

void DisplaySwitch(HWND d, int column) {
  const int16_t s = ColumnSet(column);
  Sim.Dsp_Stat[s] = Checked(d, IDC_SC_DSP + column) ? 1 : 0;
  if (Sim.FI_Lines[s] == 0 && Sim.Edit_Stat[s] == 0)
    Sim.Dsp_Stat[s] = 0;
  else
    Sim.Cur_Set = s;
  Check(d, IDC_SC_DSP + column, Sim.Dsp_Stat[s] == 1);
  ShowCounts(d, column, s);
  SimModelessDialogUpdate(s, 1);
  Repaint("CB2_2P");
}

void FileNameTyped(HWND d, int column) {
  const int16_t s = ColumnSet(column);
  const std::string name = WorkTextTyped(GetText(d, IDC_SC_FILE + column));
  if (!SimNameAccepted(s, name.c_str()) || !AskOverwrite(s, false)) {
    SetText(d, IDC_SC_FILE + column, Sim.Sim_Flnm[s]);
    return;
  }
  // The quadrupole assignments are written by the set's lines: saved before they go.
  SimFIQuadAsnModStat(s);
  StrCopy(Sim.Sim_Flnm[s], name.c_str());
  SimFIFreeQVS(s, &Sim, 1);
  const int32_t converted = SimFI2QVS(Sim.Sim_Flnm[s]);
  const int32_t read = SimFIReadQVS(s, &Sim, 0, 1);
  if (converted == 1 && read == 1 && Sim.FI_Lines[s] > 0) Sim.Dsp_Stat[s] = 1;
  Refresh(d);
  Repaint("CB2_2P");
}

void ReadRotorOutput(HWND d, int column) {
  const int16_t s = ColumnSet(column);
  if (std::string(OrvPrm.Res_Flnm) == "NO_SIM") {
    Box(SetHead(s) + "\n\nFAILED TO FIND OUTPUT FILES\n\nRUN Orv95 FROM RIGID ROTOR DIALOG FIRST", "Warning", kWarningBox);
    return;
  }
  const std::string name = WorkTextTyped(GetText(d, IDC_SC_FILE + column));
  if (!SimNameAccepted(s, name.c_str())) {
    SetText(d, IDC_SC_FILE + column, Sim.Sim_Flnm[s]);
    return;
  }
  StrCopy(Sim.Sim_Flnm[s], name.c_str());
  if (SimRotorResultRead(s) < 0) return;
  Refresh(d);
  Repaint("CB2_2P");
}

// The header dump "<name>.TXT" may be the line list the set was read from ("ASCII.TXT",
// or "lines.txt", which the case-blind name mapping finds for "lines.TXT"): a file there
// that is not an earlier dump is replaced only on Yes.
bool DumpMayReplace(const std::string& dump) {
  if (!platform::FileExists(dump.c_str())) return true;
  static constexpr char kDumpHead[] = "# VERSION";
  char head[sizeof kDumpHead - 1] = {};
  core_io::BinIn old;
  if (old.Open(dump.c_str()) && old.Read(head, sizeof head, 1) == sizeof head &&
      std::memcmp(head, kDumpHead, sizeof head) == 0)
    return true;
  return AskReplaceOutput(dump);
}

void WriteQvs(HWND d, int16_t s) {
  bool write = true;
  if (Sim.HT_Global_Stat[s] == 1) {
    const int answer = Box("SIM WRITE QVS\n\nWRITE HITRAN QVS FILE [YES] |\n\nCONVERT HITRAN FILE TO QVS FILE [NO] |\n\nABORT [CANCEL]?",
                           "Question", MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNOCANCEL);
    if (answer == IDNO) {
      if (SimHT2QVSSum(s) != 1) return;
      write = false;
    } else if (answer != IDYES) {
      write = false;
    }
  }
  if (write) SimFileSaveDialog(Main(), 2, s);
  if (Box("SIM WRITE QVS\n\nWRITE ASCII QVS HEADER FILE [YES] | SKIP [NO]?", "Question", kQuestionBox) == IDYES) {
    const std::string name = std::string(Sim.Sim_Flnm[s]) + ".QVS";
    core_io::BinIn file;
    if (file.Open(name.c_str())) {
      // The check and the dump report their own failures; only a written dump is told.
      // The dump takes the file's name with ".TXT" for ".QVS": a set name holding a
      // point ("run.2") keeps that part.
      VavOde header;
      if (DumpMayReplace(std::string(Sim.Sim_Flnm[s]) + ".TXT") && SimFIWinCnvQVS(name.c_str(), &file, &header, 1) == 1)
        core_io::StatusText(2, StrPrintf("SIM STRUCT FILE CREATED [%s]", name.c_str()));
    } else {
      Box(StrPrintf("FAILED TO OPEN SIM FLNM=[%s]", name.c_str()), "Warning", kWarningBox);
    }
  }
  Refresh(d);
}

void ZeroExperiment(int16_t s) {
  const int16_t c = Sim.Dsp_Cnl[s];
  if (c < 0 || c > 8) {
    Box(SetHead(s) + StrPrintf("\n\nASSOCIATED EXPT CHN [%s] MUST BE DEFINED\n\nABORTING", Win.Chn_Lbl[9]), "Warning",
        kWarningBox);
    return;
  }
  if (Dsp.Chn_DspStat[c] != 1) {
    Box(SetHead(s) + StrPrintf("\n\nASSOCIATED EXPT CHN [%d] FILE [%s] MUST BE DISPLAYED\n\nABORTING", c, Dsp.Chn_Flnm[c]),
        "Warning", kWarningBox);
    return;
  }
  Win.Active_Chn = c;
  CnvReplaceFile(0, 3, s, nullptr, nullptr, 1024, 0, 0, 0, 1);
}

void Command(HWND d, int id, WORD code) {
  if (id == IDCANCEL) {
    Sim.Ctl_Shown = static_cast<uint32_t>(SimControlDialogShow(0, Main()));
    RefreshRotorDialog();
    for (HWND ga : Ga.Dlg_Hwnd) Refresh(ga);
    Refresh(FgPrm.Dlg_Hwnd);
    return;
  }
  if (id == IDC_SC_LABELS || id == IDC_SC_ASNONLY) {
    (id == IDC_SC_LABELS ? Sim.Lbl_Stat : Sim.Lbl_AsnOnly) = Checked(d, id) ? 1 : 0;
    Repaint("CB2_0P");
    return;
  }
  int base = 0;
  int column = 0;
  if (!SplitId(id, &base, &column)) return;
  const int16_t s = ColumnSet(column);
  if (!IsSet(s)) return;
  for (SimDlgKind kind : kBoxKinds) {
    if (SimCtlRequestBox(kind) != base) continue;
    for (SimDlgKind k : kBoxKinds) SimDlgRequest(k, s) = Checked(d, SimCtlRequestBox(k) + column) ? 1 : 0;
    SimModelessDialogUpdate(s, 1);
    return;
  }
  const bool killFocus = code == EN_KILLFOCUS;
  switch (base) {
    case IDC_SC_DSP:
      DisplaySwitch(d, column);
      break;
    case IDC_SC_EDIT:
      if (code != BN_CLICKED) break;
      Sim.Edit_Stat[s] = Checked(d, id) ? 1 : 0;
      if (Sim.Edit_Stat[s] == 1) {
        Sim.QN_Freeze[s] = 0;
        Sim.Dlg_Req[SIM_DLG_COMBDIFF][s] = 0;
        Sim.Dsp_Stat[s] = 1;
      }
      ViewKey('j', "CB2_6P");
      break;
    case IDC_SC_OPEN:
      if (!AskOverwrite(s, false)) break;
      if (SimFileOpenDialog(Main(), 0, s) == 1) {
        Sim.Dsp_Stat[s] = 1;
        SetText(d, IDC_SC_FILE + column, Sim.Sim_Flnm[s]);
      }
      Refresh(d);
      break;
    case IDC_SC_RDORV:
      ReadRotorOutput(d, column);
      break;
    case IDC_SC_FILE:
      if (killFocus && TakeModified(d, id)) FileNameTyped(d, column);
      break;
    case IDC_SC_SUM:
      Sim.Sum_Stat[s] = Sim.Sum_Stat[s] == 1 ? 0 : 1;
      Check(d, id, Sim.Sum_Stat[s] == 1);
      core_io::StatusText(2, "OFFSET USED FROM FIRST SIM ONLY");
      Repaint("CB2_1P");
      break;
    case IDC_SC_WRT:
      if (AsnFileDialog(1, s, "ORV", Sim.Asn_Flnm[s], sizeof Sim.Asn_Flnm[s]) == 1)
        StrCopy(OrvPrm.Asn_Flnm, Sim.Asn_Flnm[s]);
      RefreshRotorDialog();
      break;
    case IDC_SC_CLR:
      SimFIAsnCalc(s, 1, 1);
      RefreshRotorDialog();
      break;
    case IDC_SC_PUB: {
      std::string name = Sim.Asn_Flnm[s];
      const size_t point = name.rfind('.');
      if (point != std::string::npos) name.erase(point);
      name += ".aso";
      char file[200];
      StrCopy(file, name.c_str());
      AsnFileDialog(1, s, "FORMAT", file, sizeof file);
      break;
    }
    case IDC_SC_SCALAR:
    case IDC_SC_OFS:
    case IDC_SC_SLP:
    case IDC_SC_ITC:
    case IDC_SC_LOR:
    case IDC_SC_GAU:
    case IDC_SC_WIDTH:
      if (killFocus && TakeModified(d, id)) ReadScaling(d, column);
      break;
    case IDC_SC_CHN:
      ReadScaling(d, column);
      break;
    case IDC_SC_FUNC: {
      if (code != LBN_SELCHANGE) break;
      const LRESULT sel = SendDlgItemMessage(d, id, LB_GETCURSEL, 0, 0);
      if (sel < 0 || sel > 2) break;
      Sim.LS_Func[s] = static_cast<int16_t>(sel);
      std::string text = StrPrintf("LINESHAPE=[%s-%s]", Sim.LS_FuncName[sel],
                                   Sim.LS_Double == 1 ? " DOUBLE (8-BYTE) PRECISION" : " FLOAT (4-BYTE) PRECISION");
      if (sel != 0) {
        Sim.LN_STAT[s] = 1;
        text += " GAUSIAN WIDTH IGNORED & LINESHAPE NORMALIZED";
      }
      core_io::StatusText(3, text);
      ReadScaling(d, column);
      break;
    }
    case IDC_SC_NUM:
      if (code == BN_CLICKED) ReadScaling(d, column);
      break;
    case IDC_SC_IDV:
      IndividualWidths(d, column);
      break;
    case IDC_SC_ACTIVE:
      Sim.Cur_Set = s;
      Refresh(d);
      break;
    case IDC_SC_QUADDSP:
      Sim.Quad_Dsp[s] = Checked(d, id) ? 1 : 0;
      break;
    case IDC_SC_SHIFT:
      Sim.Cur_Set = s;
      ViewKey('R', "CB2_7P");
      RefreshControl();
      break;
    case IDC_SC_SHIFTVAL: {
      double v = 0.0;
      if (!killFocus || !TakeModified(d, id) || !ReadDouble(d, id, &v)) break;
      if (Sim.Shift_Stat[s] == 1) {
        Sim.Frq_Shift[s] = v;
        Sim.Frq_ShiftRef[s] = DisplayPixelToFreqAt(Win.View_Level, Win.Page_Start, Win.Cursor_X) - v;
      } else {
        Sim.Frq_ShiftRef[s] = 0.0;
        Sim.Frq_Shift[s] = v;
      }
      Repaint("CB2_1P");
      break;
    }
    case IDC_SC_FRQSCALE:
      if (killFocus && TakeModified(d, id) && ReadDouble(d, id, &Sim.Frq_Scale[s])) Repaint("CB2_1P");
      break;
    case IDC_SC_BIN:
      SimFileSaveDialog(Main(), 1, s);
      // The file written may be a shown channel's: a full view run, queued behind one
      // under way rather than left out.
      DisplayViewRestart();
      break;
    case IDC_SC_QVS:
      WriteQvs(d, s);
      break;
    case IDC_SC_RDSIM:
      if (AskOverwrite(s, false)) SimFileOpenDialog(Main(), 1, s);
      Refresh(d);
      break;
    case IDC_SC_RDASN:
      if (Sim.Asn_Modified[s] == 1 &&
          Box(SetHead(s) + "\n\nSIM ASNS HAVE BEEN MODIFIED\n\nOVERWRITE [YES] | ABORT [NO]?", "Question",
              kQuestionBox) != IDYES)
        break;
      Sim.Asn_Modified[s] = 0;
      if (SimFIAsnRead(s, &Sim) != 0) ViewKey('j', "CB2_8P");
      break;
    case IDC_SC_ORVPRMS:
      SimOrvPrmsCopy(s);
      RefreshRotorDialog();
      break;
    case IDC_SC_ZERO:
      if (code == BN_CLICKED) ZeroExperiment(s);
      break;
    default:
      break;
  }
}

void ColourScroll(HWND d, int column, WORD code) {
  const int16_t s = ColumnSet(column);
  if (!IsSet(s)) return;
  if (code == SB_LINEUP) Sim.COLOR_NO[s] = DisplayColorStep(Sim.COLOR_NO[s], -1);
  if (code == SB_LINEDOWN) Sim.COLOR_NO[s] = DisplayColorStep(Sim.COLOR_NO[s], 1);
  InvalidateRect(GetDlgItem(d, IDC_SC_SWATCH + column), nullptr, TRUE);
  SimModelessDialogRecolor(static_cast<int16_t>(column), Sim.Ctl_First);
}

}  // namespace

int32_t SimOrvPrmsCopy(int16_t s) {
  if (!IsSet(s)) return 0;
  OrvPrm.Fit_State = Sim.FIT_STATE[s];
  OrvPrm.OneState_Stat = Sim.ONESTATE_STAT[s];
  const int16_t fit = Sim.FIT_STATE[s];
  for (int st = 0; st < SIM_STATES; ++st) {
    for (int k = 0; k < 22; ++k) {
      OrvPrm.Prm[st][k] = Sim.RC_Prm[s][st][k];
      if (fit == 1 || st == SIM_GND) {
        OrvPrm.Prm_StdDev[st][k] = Sim.RC_StdDev[s][st][k];
        OrvPrm.Prm_DeltaDev[st][k] = 0.0;
      } else if (fit == 2) {
        OrvPrm.Prm_DeltaDev[st][k] = Sim.RC_StdDev[s][st][k];
        OrvPrm.Prm_StdDev[st][k] = 0.0;
      }
    }
  }
  OrvPrm.Prm[SIM_EXC][22] = Sim.RC_Prm[s][SIM_EXC][22];
  OrvPrm.Prm_StdDev[SIM_EXC][22] = Sim.RC_StdDev[s][SIM_EXC][22];
  if (Sim.FI_CovSz[s] == 0 || !Sim.FI_CovMat[s]) return 1;
  const int n = static_cast<int>(std::sqrt(static_cast<double>(Sim.FI_CovSz[s])));
  // Numbers of the fitted constants: ground 0..21, then excited 0..22; -1 when fixed.
  int number[SIM_STATES][SIM_RC_CONSTS];
  int count = 0;
  for (int st = 0; st < SIM_STATES; ++st)
    for (int k = 0; k < SIM_RC_CONSTS; ++k) {
      number[st][k] = -1;
      if ((st == SIM_GND && k == 22) || Sim.RC_StdDev[s][st][k] == 0.0) continue;
      number[st][k] = count++;
    }
  if (count != n || static_cast<uint32_t>(n) * static_cast<uint32_t>(n) > Sim.FI_CovSz[s]) {
    Box("ERROR IN COVARIANCE MATRIX", "Error", kErrorBox);
    return 0;
  }
  const double* v = Sim.FI_CovMat[s];
  auto V = [v, n](int i, int j) { return v[i * n + j]; };
  auto root = [](double x) { return x > 0.0 ? std::sqrt(x) : 0.0; };
  for (int k = 0; k < 22; ++k) {
    const int i = number[SIM_GND][k];
    if (i >= 0) OrvPrm.Prm_StdDev[SIM_GND][k] = root(V(i, i));
  }
  const int origin = number[SIM_EXC][22];
  if (origin >= 0) OrvPrm.Prm_StdDev[SIM_EXC][22] = root(V(origin, origin));
  for (int k = 0; k < 22; ++k) {
    const int j = number[SIM_EXC][k];
    if (j < 0) continue;
    const int i = number[SIM_GND][k];
    if (fit == 1) {
      OrvPrm.Prm_StdDev[SIM_EXC][k] = root(V(j, j));
      OrvPrm.Prm_DeltaDev[SIM_EXC][k] = i >= 0 ? root(V(i, i) + V(j, j) - 2.0 * V(i, j)) : 0.0;
    } else if (fit == 2) {
      OrvPrm.Prm_DeltaDev[SIM_EXC][k] = root(V(j, j));
      OrvPrm.Prm_StdDev[SIM_EXC][k] = i >= 0 ? root(V(i, i) + V(j, j) + 2.0 * V(i, j)) : 0.0;
    }
  }
  return 1;
}

INT_PTR SimControlDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      Fill(hwnd);
      return 1;
    case WM_HSCROLL: {
      if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) != IDC_SC_COLUMNS) return 0;
      const WORD code = LOWORD(wParam);
      if (code == SB_LINELEFT && Sim.Ctl_First >= 1) --Sim.Ctl_First;
      if (code == SB_LINERIGHT && Sim.Ctl_First < 7) ++Sim.Ctl_First;
      if (Main() && IsWindow(Main())) SetFocus(Main());
      Fill(hwnd);
      return 1;
    }
    case WM_VSCROLL: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      if (id != IDC_SC_COLOR && id != IDC_SC_COLOR + 1) return 0;
      ColourScroll(hwnd, id - IDC_SC_COLOR, LOWORD(wParam));
      return 1;
    }
    case WM_CTLCOLORSTATIC: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      if (id != IDC_SC_SWATCH && id != IDC_SC_SWATCH + 1) return 0;
      return CaptionBrush(ColumnSet(id - IDC_SC_SWATCH), lParam, id);
    }
    case WM_COMMAND:
      Command(hwnd, LOWORD(wParam), HIWORD(wParam));
      return 1;
    default:
      return 0;
  }
}

int32_t SimControlDialogShow(uint32_t show, HWND parent) {
  uint32_t shown = Sim.Ctl_Shown;
  return static_cast<int32_t>(DisplayModelessShow(show, parent, &Sim.Ctl_Hwnd, &shown, &Sim.Ctl_Guard, IDD_SIM_CONTROL,
                                                  SimControlDialogProc, "FAILED TO CREATE SIM CONTROL DIALOG"));
}

int32_t SimRotorResultRead(int16_t s) {
  if (!IsSet(s)) return 0;
  const bool exists = platform::FileExists((std::string(Sim.Sim_Flnm[s]) + ".QVS").c_str());
  if (exists && !AskOverwrite(s, true)) return -1;
  // The renamed result is read into the set the rename names; a missing result (-1)
  // leaves the set unread.
  const int32_t target = OrvOutputRename(s);
  const bool read = target == s && SimFIReadQVS(s, &Sim, 1, 0) == 1 && Sim.FI_Lines[s] > 0;
  if (read) {
    SimFIWriteQVS(s, &Sim);
    Sim.Dsp_Stat[s] = 1;
  } else {
    StrCopy(Sim.Sim_Flnm[s], "NoName");
    Sim.Dsp_Stat[s] = 0;
  }
  StrCopy(OrvPrm.Res_Flnm, "NO_SIM");
  for (uint32_t& counter : OrvPrm.Res_Counts) counter = 0;
  RefreshRotorDialog();
  return read ? 1 : 0;
}
