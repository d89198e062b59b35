#include "convert/AsciiInputDialog.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "display/FileDialogs.h"
#include "convert/AsciiConvert.h"
#include "convert/DialogFields.h"
#include "convert/FtmwDialog.h"
#include "core/FileIo.h"
#include "core/Repaint.h"
#include "core/FrqAxis.h"
#include "core/WorkText.h"
#include "core/Coords.h"
#include "display/ViewFiles.h"
#include "display/ViewKeys.h"
#include "fileproc/FileOps.h"
#include "filelib/FileManip.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/MessageBox.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"

namespace {

using dialog_fields::ReadDouble;
using dialog_fields::ReadLong;
using dialog_fields::ReadName;
using dialog_fields::ReadOnly;
using dialog_fields::Show;
using dialog_fields::Text;

// ---- show forms --------------------------------------------------------------------------

// "%.8lf" inside (lo, hi) in magnitude, else "%.10le".
std::string Magnitude(double v, double lo = 1e-5, double hi = 100000.0) {
  const double a = std::fabs(v);
  return a > lo && a < hi ? StrPrintf("%.8f", v) : StrPrintf("%.10e", v);
}
std::string SmallMagnitude(double v) { return Magnitude(v, 0.001, 1000.0); }
std::string StepForm(double v) {
  const double a = std::fabs(v);
  return a > 1e-5 && a < 100000.0 ? StrPrintf("%.6f", v) : StrPrintf("%.8e", v);
}
void ShowLong(HWND d, int id, int64_t v) { Show(d, id, StrPrintf("%lld", static_cast<long long>(v))); }
void Check(HWND d, int id, bool on) { CheckDlgButton(d, id, on ? BST_CHECKED : BST_UNCHECKED); }
bool Checked(HWND d, int id) { return IsDlgButtonChecked(d, id) == BST_CHECKED; }

// The part of a name after its last folder separator, and the folder part with it.
std::string FilePart(const char* name) {
  const std::string s(name);
  const size_t cut = s.find_last_of("\\/");
  return cut == std::string::npos ? s : s.substr(cut + 1);
}
std::string FolderPart(const char* name) {
  const std::string s(name);
  const size_t cut = s.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : s.substr(0, cut + 1);
}

bool HasColumn(int row) { return Cnv.Asc_YCol[row - 1] > 0; }
int16_t& GroupColumn(int g) { return g == 0 ? Cnv.Asc_XCol : Cnv.Asc_YCol[g - 1]; }

uint32_t Measure(int row) {
  Cnv.Asc_OutSz[row - 1] = static_cast<uint32_t>(DisplayFileDateCheck(-1, Cnv.Asc_OutFlnm[row - 1]));
  return Cnv.Asc_OutSz[row - 1];
}

// The frequency step of one point of the working data.
double WorkStep() { return Dsp.Pts_FSR != 0 ? Dsp.FSR / Dsp.Pts_FSR : Dsp.Frq_Stp; }

double OutPoints() {
  return Cnv.Asc_OutRes == 0.0 ? 0.0 : std::trunc(std::fabs((Cnv.Asc_OutFrqHi - Cnv.Asc_OutFrqLo) / Cnv.Asc_OutRes) + 1.5);
}

// ---- refresh -------------------------------------------------------------------------------

void Refresh(HWND d) {
  if (Cnv.Asc_NamesTaken == 0) {
    for (int row = 1; row <= 3; ++row) StrCopy(Cnv.Asc_OutFlnm[row - 1], Dsp.Chn_Flnm[row]);
    Cnv.Asc_NamesTaken = 1;
  }
  const int32_t firstLen = static_cast<int32_t>(std::strlen(Cnv.Asc_FirstLine));
  const int32_t lastLen = static_cast<int32_t>(std::strlen(Cnv.Asc_LastLine));
  int32_t skip = Cnv.Asc_ChrSkip;
  if (skip > firstLen) skip = firstLen;
  if (skip > lastLen) skip = lastLen;
  if (skip < 0) skip = 0;
  Cnv.Asc_ChrSkip = static_cast<int16_t>(skip);
  if (Cnv.Asc_OutRes == 0.0) Cnv.Asc_OutRes = 1.0;

  Show(d, IDC_ASC_FLNM, FilePart(Cnv.Ascii_Flnm));
  ShowLong(d, IDC_ASC_FIRST, Cnv.Asc_First);
  ShowLong(d, IDC_ASC_LAST, Cnv.Asc_Last);
  Show(d, IDC_ASC_FIRSTLINE, Cnv.Asc_FirstLine + skip);
  Show(d, IDC_ASC_LASTLINE, Cnv.Asc_LastLine + skip);
  ShowLong(d, IDC_ASC_ACCEPTED, Cnv.Asc_Accepted);
  Show(d, IDC_ASC_CHRSKIP, StrPrintf("%d", Cnv.Asc_ChrSkip));
  for (int g = 0; g < 4; ++g)
    for (int b = 0; b < 5; ++b) Check(d, AsciiColumnRadio(g, b), GroupColumn(g) == b);
  Show(d, IDC_ASC_INLO, Magnitude(Cnv.Asc_InFrqLo + Cnv.Asc_FrqOfs));
  Show(d, IDC_ASC_INHI, Magnitude(Cnv.Asc_InFrqHi + Cnv.Asc_FrqOfs));
  Show(d, IDC_ASC_INRES, StrPrintf("%.10e", Cnv.Asc_InRes));
  Show(d, IDC_ASC_FRQSCL, SmallMagnitude(Cnv.Asc_FrqScl));
  Show(d, IDC_ASC_FRQOFS, SmallMagnitude(Cnv.Asc_FrqOfs));
  Check(d, IDC_ASC_INVY, Cnv.Asc_InvY != 0);
  Show(d, IDC_ASC_ITNSCL, SmallMagnitude(Cnv.Asc_ItnScl));
  Show(d, IDC_ASC_ITNOFS, SmallMagnitude(Cnv.Asc_ItnOfs));

  const bool subst = Cnv.Asc_Subst != 0;
  Check(d, IDC_ASC_SUBST, subst);
  ShowLong(d, IDC_ASC_REGLO, Win.Pt_Lim[0][0]);
  ShowLong(d, IDC_ASC_REGHI, Win.Pt_Lim[0][1]);
  Show(d, IDC_ASC_REGLO_FRQ, StrPrintf("%.8f", DisplayPixelToFreq(3, Win.Pt_Lim[0][0])));
  Show(d, IDC_ASC_REGHI_FRQ, StrPrintf("%.8f", DisplayPixelToFreq(3, Win.Pt_Lim[0][1])));
  for (int id : {IDC_ASC_REGLO, IDC_ASC_REGHI, IDC_ASC_REGLO_FRQ, IDC_ASC_REGHI_FRQ}) ReadOnly(d, id, !subst);

  const bool stick = Cnv.Asc_Stick != 0;
  Check(d, IDC_ASC_STICK, stick);
  Show(d, IDC_ASC_MINSTP, StepForm(Cnv.Asc_MinStp));
  Show(d, IDC_ASC_MAXSTP, StepForm(Cnv.Asc_MaxStp));
  ReadOnly(d, IDC_ASC_MINSTP, stick);
  ReadOnly(d, IDC_ASC_MAXSTP, stick);
  ShowLong(d, IDC_ASC_REMOVED, Cnv.Asc_Removed);
  ShowLong(d, IDC_ASC_GAPS, Cnv.Asc_Gaps);

  const bool empty = Cnv.Asc_CreateEmpty != 0;
  Check(d, IDC_ASC_EMPTY, empty);
  for (int id : {IDC_ASC_FLNM, IDC_ASC_FIRST, IDC_ASC_LAST}) ReadOnly(d, id, empty);
  Show(d, IDC_ASC_OUTLO, Magnitude(Cnv.Asc_OutFrqLo));
  Show(d, IDC_ASC_OUTHI, Magnitude(Cnv.Asc_OutFrqHi));
  Show(d, IDC_ASC_OUTRES, StrPrintf("%.10e", Cnv.Asc_OutRes));
  for (int row = 1; row <= 3; ++row) {
    Check(d, IDC_ASC_ADD1 + row - 1, Cnv.Asc_Add[row - 1] != 0);
    Show(d, IDC_ASC_OUTNAME1 + row - 1, Cnv.Asc_OutFlnm[row - 1]);
    ShowLong(d, IDC_ASC_OUTSIZE1 + row - 1, Measure(row));
  }
  const double points = OutPoints();
  ShowLong(d, IDC_ASC_OUTPTS, static_cast<int64_t>(points));
  ShowLong(d, IDC_ASC_MEMREQ, static_cast<int64_t>((6.0 * Cnv.Asc_Accepted + points) * 4.0 / 1048576.0));
}

void RefreshSelf(HWND d) { SendMessage(d, WM_INITDIALOG, 0, 0); }

// ---- reading the controls -------------------------------------------------------------------

// Each group takes the first checked of its buttons; a column another group holds at
// that moment (an earlier group's new value, a later one's old) becomes NONE.
void ReadGroups(HWND d) {
  for (int g = 0; g < 4; ++g) {
    int16_t v = GroupColumn(g);
    for (int b = 0; b < 5; ++b)
      if (Checked(d, AsciiColumnRadio(g, b))) {
        v = static_cast<int16_t>(b);
        break;
      }
    for (int other = 0; other < 4 && v != 0; ++other)
      if (other != g && GroupColumn(other) == v) v = 0;
    GroupColumn(g) = v;
  }
}

void ReadShort(HWND d, int id, int16_t* field) {
  int32_t v = *field;
  ReadLong(d, id, &v);
  *field = static_cast<int16_t>(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX));
}

void ReadSteps(HWND d) {
  ReadDouble(d, IDC_ASC_MINSTP, &Cnv.Asc_MinStp);
  ReadDouble(d, IDC_ASC_MAXSTP, &Cnv.Asc_MaxStp);
}

// The row an output command belongs to (a BINARY FLNM edit, or a Y radio other than
// NONE), else 0.
int OutputRow(int id) {
  if (id >= IDC_ASC_OUTNAME1 && id < IDC_ASC_OUTNAME1 + 3) return id - IDC_ASC_OUTNAME1 + 1;
  if (id >= AsciiColumnRadio(1, 0) && id <= AsciiColumnRadio(3, 4)) {
    const int k = id - IDC_ASC_COLUMN0;
    return k % 5 == 0 ? 0 : k / 5;
  }
  return 0;
}

// Step 2 of the store: what becomes of an output whose row the command concerns.
void OutputChoice(int row) {
  if (row == 0 || !HasColumn(row)) return;
  const int k = row - 1;
  const uint32_t size = Cnv.Asc_OutSz[k];
  const char* name = Cnv.Asc_OutFlnm[k];
  if (size != 0) {
    if (Cnv.Asc_Add[k] == 0) {
      const int answer =
          core_io::AskYesNoCancel(StrPrintf("FILE [%s] EXISTS\n\nADD TO [YES] | OVERWRITE [NO] | ABORT [CANCEL]", name));
      if (answer == IDNO) {
        Cnv.Asc_Add[k] = 0;
        return;
      }
      if (answer == IDCANCEL) {
        Cnv.Asc_YCol[k] = 0;
        return;
      }
    }
    Cnv.Asc_Add[k] = 1;
    Cnv.Asc_OutFrqLo = Dsp.Init_Frq;
    Cnv.Asc_OutFrqHi = Cnv.Asc_OutFrqLo + WorkStep() * static_cast<double>(size - 1);
    Cnv.Asc_OutRes = std::fabs(WorkStep());
    return;
  }
  if (Cnv.Asc_CreateEmpty != 0) return;
  if (Cnv.Asc_OutFrqLo != Cnv.Asc_InFrqLo || Cnv.Asc_OutFrqHi != Cnv.Asc_InFrqHi) {
    if (core_io::AskYesNo(StrPrintf(
            "FILE [%s] DOES NOT EXIST\n\nSET OUTPUT RANGE & RESOLUTION TO INPUT VALUES [YES] | [NO]?", name))) {
      Cnv.Asc_OutFrqLo = Cnv.Asc_OutFrqHi = 0.0;
      Cnv.Asc_OutRes = Cnv.Asc_InRes;
    }
  }
  Cnv.Asc_Add[k] = 0;
}

// A region point: typed as a point (its own edit), or derived from its frequency.
void StoreRegion(HWND d, int id, int pointId, int frqId, int32_t* point) {
  if (id == pointId) {
    ReadLong(d, pointId, point);
    return;
  }
  double f = 0.0;
  const std::string text = Text(d, frqId);
  const char* p = text.c_str();
  if (!core_io::ScanDouble(p, &f)) return;
  if (Win.Active_Chn >= 0 && Win.Active_Chn < 9) *point = DisplayFreqToPoint(Win.Active_Chn, f);
}

void Store(HWND d, int id) {
  ReadShort(d, IDC_ASC_CHRSKIP, &Cnv.Asc_ChrSkip);
  ReadDouble(d, IDC_ASC_OUTRES, &Cnv.Asc_OutRes);
  ReadDouble(d, IDC_ASC_OUTLO, &Cnv.Asc_OutFrqLo);
  ReadDouble(d, IDC_ASC_OUTHI, &Cnv.Asc_OutFrqHi);
  Cnv.Asc_InvY = Checked(d, IDC_ASC_INVY) ? 1 : 0;
  ReadDouble(d, IDC_ASC_FRQSCL, &Cnv.Asc_FrqScl);
  ReadDouble(d, IDC_ASC_FRQOFS, &Cnv.Asc_FrqOfs);
  ReadDouble(d, IDC_ASC_ITNSCL, &Cnv.Asc_ItnScl);
  ReadDouble(d, IDC_ASC_ITNOFS, &Cnv.Asc_ItnOfs);
  ReadGroups(d);
  for (int row = 1; row <= 3; ++row) {
    ReadName(d, IDC_ASC_OUTNAME1 + row - 1, Cnv.Asc_OutFlnm[row - 1]);
    Measure(row);
  }
  OutputChoice(OutputRow(id));
  Cnv.Asc_Subst = Checked(d, IDC_ASC_SUBST) ? 1 : 0;
  StoreRegion(d, id, IDC_ASC_REGLO, IDC_ASC_REGLO_FRQ, &Win.Pt_Lim[0][0]);
  StoreRegion(d, id, IDC_ASC_REGHI, IDC_ASC_REGHI_FRQ, &Win.Pt_Lim[0][1]);
  Cnv.Asc_Stick = Checked(d, IDC_ASC_STICK) ? 1 : 0;
  ReadSteps(d);
  DspFrqStpSet(WorkStep());
}

// ---- probes and the view thread ------------------------------------------------------------

void Probe() { CnvA2BFile(0, 0, 1); }
void ProbeCounts() { CnvA2BFile(1, 0, 1); }

// After a conversion that put its outputs on channels: a view run re-selects the
// active channel (the last output, with the views just set up for it) and builds the
// views of every shown channel, so that the outputs are drawn at once.
void ViewStartAfterConversion() {
  ThreadCtl.View_Started = 1;
  DisplayViewRestart(1, 1);
}

// ---- commands ---------------------------------------------------------------------------------

void AddBox(HWND d, int row) {
  const int k = row - 1;
  if (Cnv.Asc_Add[k] == 0 && Cnv.Asc_OutSz[k] == 0) {
    Check(d, IDC_ASC_ADD1 + k, false);
    core_io::Warning(StrPrintf("FILE [%s] DOES NOT EXIST\n\nADD STAT DISABLED", Cnv.Asc_OutFlnm[k]));
    return;
  }
  Cnv.Asc_Add[k] = Checked(d, IDC_ASC_ADD1 + k) ? 1 : 0;
  if (!HasColumn(row)) return;
  if (Cnv.Asc_Add[k] != 0 || Cnv.Asc_OutSz[k] == 0)
    Cnv.Asc_OutRes = WorkStep();
  else
    core_io::Warning(StrPrintf("ALL DATA IN FILE [%s] WILL BE OVERWRITTEN", Cnv.Asc_OutFlnm[k]));
  Probe();
  RefreshSelf(d);
}

void ShowRegion(HWND d) {
  const int16_t chn = Win.Active_Chn;
  if (chn < 0 || chn >= 9) return;
  const double lo = std::min(Cnv.Asc_InFrqLo, Cnv.Asc_InFrqHi);
  const double hi = std::max(Cnv.Asc_InFrqLo, Cnv.Asc_InFrqHi);
  Win.Pt_Lim[0][0] = DisplayFreqToPoint(chn, lo);
  Win.Pt_Lim[0][1] = DisplayFreqToPoint(chn, hi);
  RefreshSelf(d);
  if (Win.View_Level != 3)
    DisplayViewKey(Win.hWnd_Main, 'x', 0);
  else
    Win.View_Level = 0;
  if (Win.Pt_Lim[0][1] != 0) {
    const int32_t m = (Win.Pt_Lim[0][0] + Win.Pt_Lim[0][1]) / 2;
    const int32_t w = Win.Page_Width / 2;
    const double p = Dsp.Pts2Pxl[Win.View_Level];
    Win.Page_Start = std::max<int32_t>(0, static_cast<int32_t>(std::trunc(m - w * p + 0.5)));
  }
  RepaintWindow("CB_9P", Win.hWnd_Main, TRUE);
}

void Sort(HWND d) {
  const std::string shown = FilePart(Cnv.Ascii_Flnm);
  const std::string sorted = shown + "_Ord";
  // The sorted file becomes the dialog's file: its whole name must fit first.
  const std::string path = FolderPart(Cnv.Ascii_Flnm) + sorted;
  if (core_io::NameFits(path, sizeof Cnv.Ascii_Flnm) && ManAsciiFileSort(shown.c_str(), sorted.c_str(), 1, 2) == 1)
    StrCopy(Cnv.Ascii_Flnm, path.c_str());
  RefreshSelf(d);
}

void Open(HWND d) {
  if (AsciiFileOpenDialog(d) != 1) return;
  Cnv.Asc_First = 1;
  Cnv.Asc_Last = 0;
  Cnv.Asc_MinStp = Cnv.Asc_MaxStp = 0.0;
  Show(d, IDC_ASC_MINSTP, StrPrintf("%.8f", 0.0));
  Show(d, IDC_ASC_MAXSTP, StrPrintf("%.8f", 0.0));
  Store(d, IDC_ASC_OPEN);
  if (CnvA2BFile(1, 1, 1) == 0 && Cnv.Asc_Valid == 0)
    core_io::Warning(StrPrintf("FAILED TO OPEN ASCII FILE [%s] FOR READING", Cnv.Ascii_Flnm));
  RefreshSelf(d);
}

// View set-up of a channel that shows a converted output of s points.
void ChannelViews(int j, uint32_t s) {
  int16_t kind1 = 2, kind2 = 2;
  if (s > 100000) {
    kind1 = 0;
    Win.X_PAGES[1] = 100.0;
    kind2 = 0;
    Win.X_PAGES[2] = 1000.0;
  } else if (s > 10000) {
    kind1 = 0;
    Win.X_PAGES[1] = 10.0;
    kind2 = 1;
    Win.X_PAGES[2] = 100.0;
  } else if (s > 1000) {
    kind1 = 1;
    Win.X_PAGES[1] = 5.0;
    kind2 = 1;
    Win.X_PAGES[2] = 50.0;
  } else if (s > 100) {
    kind1 = 1;
    Win.X_PAGES[1] = 5.0;
  }
  Win.X_PAGES[0] = 1.0;
  Win.ViewKind[0][j] = 0;
  Win.ViewKind[1][j] = kind1;
  Win.ViewKind[2][j] = kind2;
  for (int level = 0; level < 3; ++level) StrCopy(Win.ViewKind_Txt[level][j], Win.ViewKind_Tbl[Win.ViewKind[level][j]]);
}

void Convert(HWND d) {
  if (Cnv.Asc_CreateEmpty == 0 && Cnv.Asc_Valid == 0) {
    core_io::Warning(StrPrintf("FAILED TO OPEN ASCII FILE [%s] FOR READING\n\nABORTING", Cnv.Ascii_Flnm));
    return;
  }
  int row = 0;
  for (int r = 1; r <= 3 && row == 0; ++r)
    if (HasColumn(r)) row = r;
  if (row == 0) {
    core_io::Warning("SELECT AT LEAST ONE COLUMN FOR Y OUTPUT\n\nABORTING");
    return;
  }
  if (Cnv.Asc_CreateEmpty != 0) {
    char out[OSI_NAME_SIZE] = "";
    StrCopy(out, Cnv.Asc_OutFlnm[row - 1]);
    // The blank file takes the channel and sets the axis, which a view run under way
    // reads: it ends first, or it would leave its pixels on the step it took.
    const bool viewStopped = DisplayViewStopForChange();
    const bool created = OSIFile(0, row, OSI_BLANK_FILE, nullptr, out, 0, 0, 0) == 1;
    if (viewStopped) DisplayViewResume();
    if (created) core_io::Info("BLANK FILE CREATED");
    RefreshSelf(d);
    return;
  }
  if (Cnv.Asc_Stick == 0 && Cnv.Asc_Add[row - 1] == 0 && Cnv.Asc_OutRes != 0.0 && Cnv.Asc_InRes != 0.0) {
    const double ratio = std::fabs(Cnv.Asc_OutRes / Cnv.Asc_InRes);
    if (ratio > 5.0 || 1.0 / ratio > 5.0) {
      const int answer = core_io::AskYesNoCancel(
          "INPUT & OUTPUT RESOLUTIONS DIFFER BY MORE THAN FIVE FOLD\n\nCONTINUE [YES] | USE INPUT RES [NO] | ABORT [CANCEL]?");
      if (answer == IDCANCEL) return;
      if (answer == IDNO) Cnv.Asc_OutRes = Cnv.Asc_InRes;
    }
  }
  // A view run may be reading the files the conversion writes, and it reads the
  // channel table that the outputs change: it waits until they are in place.
  DisplayViewStopForChange();
  if (CnvA2BFile(2, 0, 1) == 0) {
    DisplayViewResume();
    RefreshSelf(d);
    return;
  }
  bool shown = false;
  for (int j = 1; j <= 3; ++j) {
    if (!HasColumn(j)) continue;
    const uint32_t size = Measure(j);
    // A name the working file cannot hold was refused, with its box, by the conversion.
    if (size == 0 || WorkTextFault(Cnv.Asc_OutFlnm[j - 1], WorkField::Name)) continue;
    StrCopy(Dsp.Chn_Flnm[j], Cnv.Asc_OutFlnm[j - 1]);
    Dsp.ViewUpdate[j] = 1;  // new data under the name: its views are built afresh
    Win.Active_Chn = static_cast<int16_t>(j);
    ChannelViews(j, size);
    if (Cnv.Asc_Add[j - 1] == 0) Win.View_Level = 0;
    Cnv.Asc_Add[j - 1] = 1;
    shown = true;
  }
  if (shown)
    ViewStartAfterConversion();
  else
    DisplayViewResume();
  FileDialogCurrentFolder(1);
  core_io::StatusText(2, "ASCII FILE CONVERTED");
  core_io::StatusText(3, StrPrintf("REJ LINES: CNV ERR:MAX STP:MIN STP=[%d]:[%d]:[%d]", Cnv.Asc_Unread, Cnv.Asc_Gaps,
                                   Cnv.Asc_Removed));
  RefreshSelf(d);
}

bool IsStoringEdit(int id) {
  return id == IDC_ASC_FLNM || (id >= IDC_ASC_OUTNAME1 && id < IDC_ASC_OUTNAME1 + 3) ||
         (id >= IDC_ASC_INLO && id <= IDC_ASC_FRQOFS) || id == IDC_ASC_FIRSTLINE || id == IDC_ASC_LASTLINE ||
         (id >= IDC_ASC_ITNSCL && id <= IDC_ASC_CHRSKIP) || id == IDC_ASC_REGLO || id == IDC_ASC_REGHI;
}

INT_PTR Command(HWND d, WPARAM wParam) {
  const int id = LOWORD(wParam);
  const WORD code = HIWORD(wParam);
  if (id == IDC_ASC_FIRST || id == IDC_ASC_LAST) {
    if (code != EN_KILLFOCUS) return 0;
    ReadLong(d, IDC_ASC_FIRST, &Cnv.Asc_First);
    ReadLong(d, IDC_ASC_LAST, &Cnv.Asc_Last);
    ProbeCounts();
    RefreshSelf(d);
    return 0;
  }
  if (id == IDC_ASC_MINSTP || id == IDC_ASC_MAXSTP || id == IDC_ASC_REMOVED || id == IDC_ASC_GAPS) {
    if (code != EN_KILLFOCUS) return 0;
    ReadSteps(d);
    ProbeCounts();
    RefreshSelf(d);
    return 0;
  }
  if (IsStoringEdit(id)) {
    if (code != EN_KILLFOCUS || SendDlgItemMessage(d, id, EM_GETMODIFY, 0, 0) == 0) return 0;
    SendDlgItemMessage(d, id, EM_SETMODIFY, FALSE, 0);
    if (id == IDC_ASC_FLNM) {
      const std::string text = Text(d, id);
      if (!text.empty()) AsciiInputNameSet(text.c_str());
    }
    Store(d, id);
    Probe();
    RefreshSelf(d);
    return 0;
  }
  if (id == IDC_ASC_INVY || id == IDC_ASC_OUTPTS || id == IDC_ASC_MEMREQ || id == IDC_ASC_ACCEPTED ||
      id == IDC_ASC_INRES)
    return 0;
  if (code != BN_CLICKED) return 0;
  switch (id) {
    case IDC_ASC_STICK:
    case IDC_ASC_SUBST:
      Cnv.Asc_Stick = Checked(d, IDC_ASC_STICK) ? 1 : 0;
      Cnv.Asc_Subst = Checked(d, IDC_ASC_SUBST) ? 1 : 0;
      RefreshSelf(d);
      return 0;
    case IDC_ASC_EMPTY:
      Cnv.Asc_CreateEmpty = Checked(d, IDC_ASC_EMPTY) ? 1 : 0;
      RefreshSelf(d);
      return 0;
    case IDC_ASC_ADD1:
    case IDC_ASC_ADD1 + 1:
    case IDC_ASC_ADD1 + 2:
      AddBox(d, id - IDC_ASC_ADD1 + 1);
      return 0;
    case IDC_ASC_SHOWREGION:
      ShowRegion(d);
      return 0;
    case IDC_ASC_SORT:
      Sort(d);
      return 0;
    case IDC_ASC_FTMW:
      DialogBox(Win.hInst, MAKEINTRESOURCE(IDD_FTMW), d, &FTMWProc);
      return 0;
    case IDCANCEL:
      DisplayViewStartOnce();
      EndDialog(d, IDCANCEL);
      return 1;
    case IDC_ASC_OPEN:
      Open(d);
      return 0;
    default:
      break;
  }
  if (id >= AsciiColumnRadio(0, 0) && id <= AsciiColumnRadio(0, 4)) {
    ReadGroups(d);
    Cnv.Asc_MinStp = Cnv.Asc_MaxStp = 0.0;
    ProbeCounts();
    RefreshSelf(d);
    return 0;
  }
  const bool yRadio = id >= AsciiColumnRadio(1, 0) && id <= AsciiColumnRadio(3, 4);
  if (!yRadio && id != IDC_ASC_APPLY && id != IDOK && id != IDC_ASC_CONVERT) return 0;
  Store(d, id);
  if (id == IDC_ASC_CONVERT) {
    Convert(d);
    return 0;
  }
  Probe();
  if (id == IDC_ASC_APPLY) {
    DisplayViewStartOnce();
    RepaintWindow("CB_10P", Win.hWnd_Main, TRUE);
  } else if (id == IDOK) {
    DisplayViewStartOnce();
    EndDialog(d, IDOK);
    return 1;
  }
  RefreshSelf(d);
  return 0;
}

void Scroll(HWND d, WPARAM wParam, LPARAM lParam) {
  const int bar = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
  const WORD code = LOWORD(wParam);
  if (code == SB_LINEUP) {
    if (bar == IDC_ASC_BAR_FIRST && Cnv.Asc_First < Cnv.Asc_Last) ++Cnv.Asc_First;
    if (bar == IDC_ASC_BAR_LAST) ++Cnv.Asc_Last;
    if (bar == IDC_ASC_BAR_REGLO) {
      ++Win.Pt_Lim[0][0];
      RepaintWindow("CB_11P", Win.hWnd_Main, TRUE);
    }
    if (bar == IDC_ASC_BAR_REGHI) {
      ++Win.Pt_Lim[0][1];
      RepaintWindow("CB_12P", Win.hWnd_Main, TRUE);
    }
  } else if (code == SB_LINEDOWN) {
    if (bar == IDC_ASC_BAR_FIRST && Cnv.Asc_First >= 2) --Cnv.Asc_First;
    if (bar == IDC_ASC_BAR_LAST && Cnv.Asc_Last > Cnv.Asc_First) --Cnv.Asc_Last;
    if (bar == IDC_ASC_BAR_REGLO) {
      --Win.Pt_Lim[0][0];
      RepaintWindow("CB_13P", Win.hWnd_Main, TRUE);
    }
    if (bar == IDC_ASC_BAR_REGHI) {
      --Win.Pt_Lim[0][1];
      RepaintWindow("CB_14P", Win.hWnd_Main, TRUE);
    }
  }
  ProbeCounts();
  RefreshSelf(d);
}

}  // namespace

INT_PTR AsciiInputDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_VSCROLL) {
    Scroll(dialog, wParam, lParam);
    return 0;
  }
  return dialog_fields::RefreshAndCommand(dialog, message, wParam, Refresh, Command);
}
