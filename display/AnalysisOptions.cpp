#include "display/AnalysisOptions.h"

#include <cmath>
#include <cstring>
#include <string>

#include "display/FileDialogs.h"
#include "display/Hooks.h"
#include "display/PenBrush.h"
#include "core/FileIo.h"
#include "filelib/FileManip.h"
#include "core/Threads.h"
#include "display/ChildWindows.h"
#include "display/DisplayDialogs.h"
#include "display/FftTransformDialog.h"
#include "core/Repaint.h"
#include "core/FrqAxis.h"
#include "core/WorkText.h"
#include "display/ViewFiles.h"
#include "models/hitran/HtUnits.h"
#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/ThreadCtl.h"
#include "records/Trans.h"
#include "records/Win.h"

namespace {

constexpr UINT kWarningBox = MB_SYSTEMMODAL | MB_ICONWARNING;
constexpr UINT kInfoBox = MB_SYSTEMMODAL | MB_ICONINFORMATION;

bool Checked(HWND d, int id) { return IsDlgButtonChecked(d, id) == BST_CHECKED; }
void Check(HWND d, int id, bool on) { CheckDlgButton(d, id, on ? BST_CHECKED : BST_UNCHECKED); }
void SetText(HWND d, int id, const std::string& text) {
  SetDlgItemText(d, id, text.c_str());
  SendDlgItemMessage(d, id, EM_SETMODIFY, FALSE, 0);
}
std::string Text(HWND d, int id) {
  char buffer[600] = "";
  GetDlgItemText(d, id, buffer, sizeof buffer);
  return buffer;
}
bool Modified(HWND d, int id) { return SendDlgItemMessage(d, id, EM_GETMODIFY, 0, 0) != 0; }
// "%lf"-style read: false (value unchanged) when the text is no finite number.
bool ReadDouble(HWND d, int id, double* v) {
  double x = 0.0;
  if (!platform::ParseDouble(Text(d, id), &x) || !std::isfinite(x)) return false;
  *v = x;
  return true;
}
bool ReadInt(HWND d, int id, int32_t* v) {
  int32_t x = 0;
  if (!platform::ParseInt32(Text(d, id), &x)) return false;
  *v = x;
  return true;
}
int ListSel(HWND d, int id) { return static_cast<int>(SendDlgItemMessage(d, id, LB_GETCURSEL, 0, 0)); }
void FillList(HWND d, int id, const char (*rows)[25], int maxRows, int selected) {
  SendDlgItemMessage(d, id, LB_RESETCONTENT, 0, 0);
  for (int r = 0; r < maxRows && std::strcmp(rows[r], "EOL") != 0; ++r)
    SendDlgItemMessage(d, id, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(rows[r]));
  SendDlgItemMessage(d, id, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}
int RowOf(const char (*rows)[25], int maxRows, const char* text) {
  for (int r = 0; r < maxRows && std::strcmp(rows[r], "EOL") != 0; ++r)
    if (std::strcmp(rows[r], text) == 0) return r;
  return -1;
}
std::string ScalarText(double v) {
  const double a = std::fabs(v);
  return StrPrintf(a <= 0.001 || a >= 1000.0 ? "%.8le" : "%.8lf", v);
}
// A text edit whose text the working file holds: a changed text is taken when the file
// can store it; otherwise the box says why and the edit shows the value kept again.
template <size_t N>
void TakeStoredText(HWND d, int id, const char* what, WorkField field, char (&value)[N]) {
  const std::string text = Text(d, id);
  if (text == value) return;
  if (WorkTextAccepted(what, text, field, value))
    StrCopy(value, text.c_str());
  else
    SetText(d, id, value);
}
// A channel's file name typed into its edit, taken as TakeStoredText takes a text.
void TakeChannelName(HWND d, int i) {
  const std::string name = WorkTextTyped(Text(d, IDC_AO_FILENAME + i));
  if (name != Dsp.Chn_Flnm[i] && !ChannelNameSet(i, name.c_str())) SetText(d, IDC_AO_FILENAME + i, Dsp.Chn_Flnm[i]);
}
int16_t ActiveRow() { return Win.Active_Chn >= 0 && Win.Active_Chn <= 8 ? Win.Active_Chn : 9; }

// Stops a view run under way and waits for it (the wait services messages sent to us).
// Until a full run is asked for, the dialog owes one: its end starts it.
void StopView() {
  DisplayViewAbort();
  Dsp.Anl_ViewStopped = 1;
}
// Asks for a view run with the two request fields: one under way takes it next, merged
// with any other waiting, so that no request of the dialog is lost.
void StartView(uint32_t pageType, uint32_t prep) {
  if (prep == 1) Dsp.Anl_ViewStopped = 0;
  DisplayViewRestart(pageType, prep);
}

// The pages boxes: each level's page count x the resolution factor.
void ShowPages(HWND d) {
  for (int l = 0; l < 3; ++l) SetText(d, IDC_AO_PAGES + l, StrPrintf("%.3lf", Win.X_PAGES[l] * Dsp.Res_Factor));
  SetText(d, IDC_AO_PAGES_RAW, StrPrintf("%.3lf", Win.X_PAGES[WIN_RAW] * Dsp.Res_Factor));
}

void Refresh(HWND d) {
  Dsp.Anl_Hwnd = d;
  if (ThreadCtl.View_Started == 0) {
    ThreadCtl.View_Started = 1;
    Win.ViewPageType = 0;
    Win.ViewPrep = 0;
    DisplayQviQvoSetup(nullptr);
  }
  for (int i = 0; i <= 8; ++i) {
    InvalidateRect(GetDlgItem(d, IDC_AO_SWATCH + i), nullptr, TRUE);
    Check(d, IDC_AO_DISPLAY + i, Dsp.Chn_DspStat[i] == 1);
    Check(d, IDC_AO_TRANSFORM + i, Trans.Trans_Dlg_Wanted[i] == 1);
    Check(d, IDC_AO_DIGITAL + i, Dsp.Chn_Dig[i] == 1);
    SetText(d, IDC_AO_FILENAME + i, Dsp.Chn_Flnm[i]);
    SetText(d, IDC_AO_SIZE + i, StrPrintf("%lu", static_cast<unsigned long>(Dsp.FL_SZ[WIN_RAW][i])));
    SetText(d, IDC_AO_SCALAR + i, ScalarText(Dsp.Chn_Scalar[i]));
    SetText(d, IDC_AO_OFFSET + i, ScalarText(Dsp.Chn_Offset[i]));
  }
  Check(d, IDC_AO_TB, Dsp.SclOfs_Shown == 1);
  SetText(d, IDC_AO_INIT_FRQ, StrPrintf("%lf", Dsp.Init_Frq));
  if (Dsp.Pts_FSR == 0) Dsp.Pts_FSR = 1;
  SetText(d, IDC_AO_PTS_FSR, StrPrintf("%ld", static_cast<long>(Dsp.Pts_FSR)));
  SetText(d, IDC_AO_FSR, StrPrintf("%.10le", Dsp.FSR));
  SetText(d, IDC_AO_DATE, Dsp.Work_Date);
  SetText(d, IDC_AO_TIME, Dsp.Work_Time);
  SetText(d, IDC_AO_COMMENT, Dsp.Work_Comment[0] ? Dsp.Work_Comment : "NO COMMENT");
  SetText(d, IDC_AO_PWD, Dsp.Data_Dir);
  const int units = RowOf(Dsp.Units_Tbl, 4, Dsp.Units_Txt);
  FillList(d, IDC_AO_UNITS, Dsp.Units_Tbl, 4, units);
  if (units >= 0) Dsp.Units_Idx = Dsp.Units_IdxData = static_cast<int16_t>(units);
  const int harm = RowOf(Dsp.Harm_Tbl, 5, Dsp.Harm_Txt);
  FillList(d, IDC_AO_HARM, Dsp.Harm_Tbl, 5, harm);
  if (harm >= 0) Dsp.Harm_Idx = Dsp.Harm_IdxData = static_cast<int16_t>(harm);
  const int16_t a = ActiveRow();
  for (int l = 0; l < 3; ++l) {
    const int16_t kind = Win.ViewKind[l][a] >= 0 && Win.ViewKind[l][a] <= 2 ? Win.ViewKind[l][a] : 2;
    StrCopy(Win.ViewKind_Txt[l][a], Win.ViewKind_Tbl[kind]);
    FillList(d, IDC_AO_TYPE + l, Win.ViewKind_Tbl, 4, kind);
  }
  ShowPages(d);
  for (int i = 0; i <= 8; ++i) Check(d, IDC_AO_ACTIVE + i, i == a);
  Check(d, IDC_AO_ALL, Dsp.Kind_All == 1);
  FillList(d, IDC_AO_SEL, Win.Chn_Lbl, WIN_CHN, Dsp.Chn_Sel);
  SetText(d, IDC_AO_RES_FACTOR, StrPrintf("%.3lf", Dsp.Res_Factor));
  SendDlgItemMessage(d, IDC_AO_RES_FACTOR, EM_SETREADONLY, Dsp.Res_Unlock ? FALSE : TRUE, 0);
  SetText(d, IDC_AO_PEN_WIDTH, StrPrintf("%d", static_cast<int>(Dsp.Pen_Width)));
  Check(d, IDC_AO_WHITE, Dsp.Bkg_Stat == 1);
  Check(d, IDC_AO_POINTS, Dsp.Pt_Stat == 1);
  SetText(d, IDC_AO_NUM_TEXT, Cnv.Out_Ext);
  Check(d, IDC_AO_FIX, Dsp.Anl_OfsFix == 1);
}

// Takes every control into the records (OK, APPLY and the handlers that do not end
// early).
void ReadAll(HWND d) {
  core_io::StatusText(2, "");
  core_io::StatusText(3, "");
  int16_t active = 9;
  for (int16_t i = 0; i <= 8; ++i)
    if (Checked(d, IDC_AO_ACTIVE + i)) active = i;
  // The view thread reads the channel table: stop it before names, flags or the
  // active channel change.
  bool tableChanges = active != Win.Active_Chn;
  for (int i = 0; i <= 8 && !tableChanges; ++i)
    tableChanges = Text(d, IDC_AO_FILENAME + i) != Dsp.Chn_Flnm[i] ||
                   (Checked(d, IDC_AO_DISPLAY + i) ? 1u : 0u) != Dsp.Chn_DspStat[i];
  // The run reads the axis, pages and kinds too: without a change of the table it waits
  // while they are taken and is asked again afterwards, as it was asked before.
  bool viewPaused = false;
  if (tableChanges)
    StopView();
  else
    viewPaused = DisplayViewStopForChange();
  Win.Active_Chn = active;
  for (int i = 0; i <= 8; ++i) {
    Dsp.Chn_DspStat[i] = Checked(d, IDC_AO_DISPLAY + i) ? 1 : 0;
    TakeChannelName(d, i);
    const std::string name = Dsp.Chn_Flnm[i];
    if (name == "blank" || name == "Blank" || name == "BLANK")
      core_io::StatusText(3, StrPrintf("[%ld] ASSUMING FILE [%s] AMP IS ALL ZEROS", static_cast<long>(i), name.c_str()));
    Dsp.Chn_Dig[i] = Checked(d, IDC_AO_DIGITAL + i) ? 1 : 0;
    ReadDouble(d, IDC_AO_SCALAR + i, &Dsp.Chn_Scalar[i]);
    ReadDouble(d, IDC_AO_OFFSET + i, &Dsp.Chn_Offset[i]);
  }
  const int sel = ListSel(d, IDC_AO_SEL);
  if (sel >= 0 && sel <= 9) Dsp.Chn_Sel = static_cast<int16_t>(sel);
  ReadDouble(d, IDC_AO_INIT_FRQ, &Dsp.Init_Frq);
  ReadInt(d, IDC_AO_PTS_FSR, &Dsp.Pts_FSR);
  if (Dsp.Pts_FSR == 0) Dsp.Pts_FSR = 1;
  double fsr = Dsp.FSR;
  if (ReadDouble(d, IDC_AO_FSR, &fsr)) {
    // Every frequency conversion divides by the FSR: 0 is refused and the old value kept.
    if (fsr == 0.0 || !std::isfinite(fsr))
      MessageBox(Win.hWnd_Main, StrPrintf("FRQ STP / FSR OF [%.10le] NOT VALID\n\nKEEPING [%.10le]", fsr, Dsp.FSR).c_str(),
                 "Warning", kWarningBox);
    else
      Dsp.FSR = fsr;
  }
  DspFrqStpSet(Dsp.FSR / Dsp.Pts_FSR);
  TakeStoredText(d, IDC_AO_DATE, "DATE", WorkField::DateTime, Dsp.Work_Date);
  TakeStoredText(d, IDC_AO_TIME, "TIME", WorkField::DateTime, Dsp.Work_Time);
  TakeStoredText(d, IDC_AO_COMMENT, "COMMENT", WorkField::Comment, Dsp.Work_Comment);
  const double factor = Dsp.Res_Factor != 0.0 ? Dsp.Res_Factor : 1.0;
  for (int l = 0; l < 3; ++l) {
    double pages = 0.0;
    if (ReadDouble(d, IDC_AO_PAGES + l, &pages)) Win.X_PAGES[l] = std::fabs(pages / factor);
  }
  if (active != 9)
    for (int l = 0; l < 3; ++l) {
      const int kind = ListSel(d, IDC_AO_TYPE + l);
      if (kind >= 0 && kind <= 2) Win.ViewKind[l][active] = static_cast<int16_t>(kind);
    }
  Dsp.Kind_All = Checked(d, IDC_AO_ALL) ? 1 : 0;
  SimPenBrushSet(0, 0, 1, 0, 0);
  if (viewPaused) DisplayViewResume();
}

void ColourScroll(HWND d, int i, WORD code) {
  if (code != SB_LINEUP && code != SB_LINEDOWN) return;
  Dsp.Chn_ColorNo[i] = DisplayColorStep(Dsp.Chn_ColorNo[i], code == SB_LINEUP ? -1 : 1);
  InvalidateRect(GetDlgItem(d, IDC_AO_SWATCH + i), nullptr, TRUE);
  if (Dsp.SclOfs_Shown && Dsp.SclOfs_Hwnd && IsWindow(Dsp.SclOfs_Hwnd))
    InvalidateRect(GetDlgItem(Dsp.SclOfs_Hwnd, IDC_DD_SWATCH), nullptr, TRUE);
  if (Trans.Trans_Dlg_Hwnd[i] && IsWindow(Trans.Trans_Dlg_Hwnd[i]))
    InvalidateRect(GetDlgItem(Trans.Trans_Dlg_Hwnd[i], IDC_AO_SWATCH), nullptr, TRUE);
}

void SelectChannel(HWND d, int i) {
  Dsp.Chn_Sel = static_cast<int16_t>(i);
  SendDlgItemMessage(d, IDC_AO_SEL, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
}

void Transform(HWND d, int i) {
  const bool on = Checked(d, IDC_AO_TRANSFORM + i);
  Trans.Trans_Dlg_Wanted[i] = on ? 1 : 0;
  if (Trans.Trans_TimeFlnm[i][0] == '\0') {
    StrCopy(Trans.Trans_TimeFlnm[i], Dsp.Chn_Flnm[i]);
    Trans.Trans_TimeSz[i] = Dsp.FL_SZ[WIN_RAW][i];
  }
  const int16_t c = static_cast<int16_t>(i);
  if (on) {
    // Owned by the main window: a dialog owned by this modal one would go with it.
    Trans.Trans_Dlg_Wanted[i] = FftTransformDialogCreate(c, 1, Win.hWnd_Main);
    const bool wanted = Trans.Trans_Dlg_Wanted[i] == 1;
    // The time window shows the transform's time file, read in the paint that opens it.
    if (wanted) {
      Trans.Trans_Stat[i] = 1;
      Cnl.Time_Stat[i][0] = 1;
      Cnl.Data_Pend[i][0] = 1;
    }
    for (int16_t k = 0; k < 3; ++k) {
      const int32_t open = ChildWindowOpenClose(wanted ? 1 : 0, c, k);
      if (k == 0 && wanted && open != 1) {
        Trans.Trans_Stat[i] = 0;
        Cnl.Time_Stat[i][0] = 0;
        Cnl.Data_Pend[i][0] = 0;
      }
    }
  } else {
    FftTransformDialogCreate(c, 0, Win.hWnd_Main);
    for (int16_t k = 0; k < 3; ++k) ChildWindowOpenClose(0, c, k);
  }
}

void PagesEdit(HWND d, int level) {
  StopView();
  double v = 0.0;
  if (ReadDouble(d, IDC_AO_PAGES + level, &v))
    Win.X_PAGES[level] = std::fabs(v / (Dsp.Res_Factor != 0.0 ? Dsp.Res_Factor : 1.0));
  const int16_t a = Win.Active_Chn;
  if (a < 0 || a > 8) {
    core_io::StatusText(0, "NO DISPLAY CHN");
  } else if (Win.ViewKind[level][a] == 2) {
    Dsp.Chn_DspStat[a] = 1;
    Check(d, IDC_AO_DISPLAY + a, true);
    Win.ViewKind[level][a] = 1;
    // The read-all that follows takes the kinds from the lists.
    SendDlgItemMessage(d, IDC_AO_TYPE + level, LB_SETCURSEL, 1, 0);
  }
  StartView(1, 0);
}

void KindChange(HWND d, int level) {
  StopView();
  const int kind = ListSel(d, IDC_AO_TYPE + level);
  const int16_t a = Win.Active_Chn;
  if (a < 0 || a > 8) {
    Win.ViewKind[level][9] = 2;
  } else if (kind >= 0 && kind <= 2) {
    Win.ViewKind[level][a] = static_cast<int16_t>(kind);
    Dsp.Kind_All = Checked(d, IDC_AO_ALL) ? 1 : 0;
    if (Dsp.Kind_All == 1)
      for (int c = 0; c <= 8; ++c)
        if (c != a && Dsp.Chn_DspStat[c] == 1 && Win.ViewKind[level][c] != kind) {
          Win.ViewKind[level][c] = static_cast<int16_t>(kind);
          Dsp.ViewUpdate[c] = 1;
        }
  }
  const int16_t row = ActiveRow();
  Win.View_Level = 3;
  for (int16_t l = 2; l >= 0; --l)
    if (Win.ViewKind[l][row] != 2) Win.View_Level = l;
  StartView(1, 0);
}

void OpenFile(HWND d) {
  const int s = ListSel(d, IDC_AO_SEL);
  if (s < 0 || s > 8) {
    MessageBox(Win.hWnd_Main, "SELECT A VALID CHANNEL FIRST\n\nABORTING", "Warning", kWarningBox);
    return;
  }
  StopView();
  char chosen[sizeof Dsp.Chn_Flnm[s]];
  StrCopy(chosen, Dsp.Chn_Flnm[s]);
  if (BinaryFileDialog(0, chosen, sizeof chosen, d) == 1 && ChannelNameSet(s, chosen)) {
    const int64_t size = DisplayFileDateCheck(-1, Dsp.Chn_Flnm[s]);
    Dsp.FL_SZ[WIN_RAW][s] = static_cast<uint32_t>(size > 4294967295LL ? 4294967295LL : size);
    if (size == 0) Dsp.Chn_DspStat[s] = 0;
  }
  SetText(d, IDC_AO_FILENAME + s, Dsp.Chn_Flnm[s]);
  Check(d, IDC_AO_DISPLAY + s, Dsp.Chn_DspStat[s] == 1);
}

void ReplaceNumbers(HWND d) {
  StopView();
  for (int i = 0; i <= 8; ++i) {
    char name[sizeof Dsp.Chn_Flnm[i]];
    if (ManFlnmReplaceFirstNumber(Dsp.Chn_Flnm[i], name, Cnv.Out_Ext) == 0 || !ChannelNameSet(i, name)) break;
  }
  for (int i = 0; i <= 8; ++i) SetText(d, IDC_AO_FILENAME + i, Dsp.Chn_Flnm[i]);
}

void EndAnalysis(HWND d, int id) {
  Dsp.Res_Unlock = 0;
  if (Dsp.SclOfs_Shown && Dsp.SclOfs_Hwnd && IsWindow(Dsp.SclOfs_Hwnd)) SendMessage(Dsp.SclOfs_Hwnd, WM_INITDIALOG, 0, 0);
  // A run this dialog stopped and did not start again is started now.
  if (Dsp.Anl_ViewStopped == 1) StartView(0, 1);
  Dsp.Anl_Hwnd = nullptr;
  EndDialog(d, id);
}

// Handles one command; false when the command ends here (no read-all, no refresh).
bool Command(HWND d, int id, WORD code) {
  if (id >= IDC_AO_ACTIVE && id <= IDC_AO_ACTIVE + 8) {
    if (code != BN_CLICKED) return false;
    const int i = id - IDC_AO_ACTIVE;
    StopView();
    for (int k = 0; k <= 8; ++k) Check(d, IDC_AO_ACTIVE + k, k == i);
    SelectChannel(d, i);
    Check(d, IDC_AO_DISPLAY + i, true);
    return true;
  }
  if (id >= IDC_AO_DISPLAY && id <= IDC_AO_DISPLAY + 8) {
    if (code != BN_CLICKED) return false;
    StopView();
    SelectChannel(d, id - IDC_AO_DISPLAY);
    return true;  // the box holds the toggled flag, which the read-all takes
  }
  if (id >= IDC_AO_FILENAME && id <= IDC_AO_FILENAME + 8) {
    if (code != EN_KILLFOCUS || !Modified(d, id)) return false;
    SendDlgItemMessage(d, id, EM_SETMODIFY, FALSE, 0);
    const int i = id - IDC_AO_FILENAME;
    const std::string name = WorkTextTyped(Text(d, id));
    if (!ChannelNameAccepted(i, name.c_str())) {
      SetText(d, id, Dsp.Chn_Flnm[i]);
      return false;
    }
    StopView();
    StrCopy(Dsp.Chn_Flnm[i], name.c_str());
    const int64_t size = DisplayFileDateCheck(-1, Dsp.Chn_Flnm[i]);
    Dsp.FL_SZ[WIN_RAW][i] = static_cast<uint32_t>(size > 4294967295LL ? 4294967295LL : size);
    if (size == 0) {
      Dsp.Chn_DspStat[i] = 0;
      Check(d, IDC_AO_DISPLAY + i, false);
    }
    return true;
  }
  if (id >= IDC_AO_SCALAR && id <= IDC_AO_SCALAR + 8) {
    if (code != EN_KILLFOCUS || !Modified(d, id)) return false;
    const int i = id - IDC_AO_SCALAR;
    double scalar = 0.0;
    if (ReadDouble(d, id, &scalar)) {
      if (Dsp.Anl_OfsFix == 0 && scalar != 0.0) Dsp.Chn_Offset[i] = Dsp.Chn_Scalar[i] / scalar * Dsp.Chn_Offset[i];
      Dsp.Chn_Scalar[i] = scalar;
    }
    Refresh(d);
    return false;
  }
  if (id >= IDC_AO_OFFSET && id <= IDC_AO_OFFSET + 8) {
    if (code != EN_KILLFOCUS || !Modified(d, id)) return false;
    ReadDouble(d, id, &Dsp.Chn_Offset[id - IDC_AO_OFFSET]);
    Refresh(d);
    return false;
  }
  if (id >= IDC_AO_TRANSFORM && id <= IDC_AO_TRANSFORM + 8) {
    if (code != BN_CLICKED) return false;
    Transform(d, id - IDC_AO_TRANSFORM);
    return true;
  }
  if (id >= IDC_AO_PAGES && id <= IDC_AO_PAGES + 2) {
    if (code != EN_KILLFOCUS || !Modified(d, id)) return false;
    PagesEdit(d, id - IDC_AO_PAGES);
    return true;
  }
  if (id >= IDC_AO_TYPE && id <= IDC_AO_TYPE + 2) {
    if (code != LBN_SELCHANGE) return false;
    KindChange(d, id - IDC_AO_TYPE);
    return true;
  }
  switch (id) {
    case IDC_AO_SAVE_QVW:
      if (code != BN_CLICKED) return false;
      if (DisplayHooks.workFile) DisplayHooks.workFile(1, d);
      return true;
    case IDC_AO_RES_FACTOR: {
      if (code != EN_KILLFOCUS || !Modified(d, id)) return false;
      double f = Dsp.Res_Factor;
      ReadDouble(d, id, &f);
      f = std::fabs(f);
      Dsp.Res_Factor = f == 0.0 ? 1.0 : f;
      // The pages boxes are shown with the new factor before the read that follows, so
      // that a factor changes no page count.
      ShowPages(d);
      if (Dsp.Res_Factor != 1.0)
        MessageBox(Win.hWnd_Main,
                   "TO INCREASE HORIZONTAL RESOLUTION, USE\n\nManipulation/Conversion/CONVERT Bin2Ascii\n\nTHEN\n\n'File/Ascii Input'",
                   "Info", kInfoBox);
      return true;
    }
    case IDC_AO_PEN_WIDTH: {
      if (code != EN_KILLFOCUS || !Modified(d, id)) return false;
      int32_t width = Dsp.Pen_Width;
      ReadInt(d, id, &width);
      Dsp.Pen_Width = width < 0 ? 1 : width;
      SimPenBrushSet(0, 0, 0, 1, 0);
      return true;
    }
    case IDC_AO_WHITE:
      if (code != BN_CLICKED) return false;
      Dsp.Bkg_Stat = Checked(d, id) ? 1 : 0;
      return true;
    case IDC_AO_POINTS:
      if (code != BN_CLICKED) return false;
      Dsp.Pt_Stat = Checked(d, id) ? 1 : 0;
      return true;
    case IDC_AO_FIX:
      if (code != BN_CLICKED) return false;
      Dsp.Anl_OfsFix = Checked(d, id) ? 1 : 0;
      return true;
    case IDC_AO_COMMENT:
      if (code != EN_KILLFOCUS) return false;
      Dsp.Res_Unlock = 1;
      return true;
    case IDC_AO_UNITS: {
      if (code != LBN_SELCHANGE) return false;
      const int row = ListSel(d, id);
      if (row < 0 || row > 2) return false;
      Dsp.Units_Idx = Dsp.Units_IdxData = static_cast<int16_t>(row);
      StrCopy(Dsp.Units_Txt, Dsp.Units_Tbl[row]);
      SimHTUnitsConvert(static_cast<int16_t>(-1), 0);
      return true;
    }
    case IDC_AO_HARM: {
      if (code != LBN_SELCHANGE) return false;
      const int row = ListSel(d, id);
      if (row < 0 || row > 3) return false;
      Dsp.Harm_Idx = Dsp.Harm_IdxData = static_cast<int16_t>(row);
      StrCopy(Dsp.Harm_Txt, Dsp.Harm_Tbl[row]);
      return true;
    }
    case IDC_AO_OPEN:
      if (code != BN_CLICKED) return false;
      OpenFile(d);
      return true;
    case IDC_AO_TB:
      if (code != BN_CLICKED) return false;
      Dsp.SclOfs_Shown = DisplayScalarOffsetDialogShow(Dsp.SclOfs_Shown ? 0 : 1, Win.hWnd_Main);
      return true;
    case IDC_AO_NUM:
      if (code != BN_CLICKED) return false;
      ReplaceNumbers(d);
      return true;
    case IDC_AO_NUM_TEXT: {
      if (code != EN_KILLFOCUS || !Modified(d, id)) return false;
      const std::string text = Text(d, id);
      const size_t b = text.find_first_not_of(" \t");
      const std::string token = b == std::string::npos ? std::string() : text.substr(b, text.find_first_of(" \t", b) - b);
      StrCopy(Cnv.Out_Ext, token.c_str());
      Refresh(d);
      return false;
    }
    case IDC_AO_SEL:
    case IDC_AO_ALL:
      return false;  // read with the other controls
    default:
      return false;
  }
}

}  // namespace

INT_PTR AnalysisOptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Refresh(dialog);
      return 1;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const WORD code = HIWORD(wParam);
      if (id == IDCANCEL) {
        EndAnalysis(dialog, IDCANCEL);
        return 1;
      }
      if (id == IDOK || id == IDC_AO_APPLY) {
        if (code != BN_CLICKED) return 1;
        ReadAll(dialog);
        StartView(0, 1);
        if (Dsp.SclOfs_Shown && Dsp.SclOfs_Hwnd && IsWindow(Dsp.SclOfs_Hwnd)) {
          Dsp.SclOfs_Lock = 0;
          SendMessage(Dsp.SclOfs_Hwnd, WM_INITDIALOG, 0, 0);
        }
        if (Win.hWnd_Main && IsWindow(Win.hWnd_Main)) RepaintWindow("CB_0P", Win.hWnd_Main, TRUE);
        if (id == IDOK)
          EndAnalysis(dialog, IDOK);
        else
          Refresh(dialog);
        return 1;
      }
      if (Command(dialog, id, code)) {
        ReadAll(dialog);
        Refresh(dialog);
      }
      return 1;
    }
    case WM_VSCROLL: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      if (id >= IDC_AO_COLOR && id <= IDC_AO_COLOR + 8) ColourScroll(dialog, id - IDC_AO_COLOR, LOWORD(wParam));
      return 1;
    }
    case WM_CTLCOLORSTATIC: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      if (id < IDC_AO_SWATCH || id > IDC_AO_SWATCH + 8) return 0;
      const int16_t row = Dsp.Chn_ColorNo[id - IDC_AO_SWATCH];
      return row >= 0 && row < DSP_COLORS ? reinterpret_cast<INT_PTR>(Dsp.Brush[row]) : 0;
    }
    default:
      return 0;
  }
}
