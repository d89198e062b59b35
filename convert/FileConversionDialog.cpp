#include "convert/FileConversionDialog.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "convert/DialogFields.h"
#include "core/FileIo.h"
#include "filelib/FileManip.h"
#include "core/Threads.h"
#include "core/Repaint.h"
#include "fileproc/CrossCorrFiles.h"
#include "fileproc/FileOps.h"
#include "display/FileDialogs.h"
#include "display/Hooks.h"
#include "display/ViewFiles.h"
#include "display/AnalysisOptions.h"
#include "convert/CalNormLinDialog.h"
#include "convert/OpSeq.h"
#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/kernel/Files.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/Locks.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"

// Thread routines of the view files and of the operation sequence; until their code
// is linked in they stay null, and the dialog does without them.
DWORD DisplayQviQvoSetup(void* parameter) __attribute__((weak));

namespace {

constexpr int kRows = 9;
constexpr int kSlot = 0;

// Per dialog window: the ready flag, the last result and the current channel.
struct DialogState {
  int ready = 0;
  int32_t lastResult = 0;
  int16_t currentChn = -1;
};

DialogState* State(HWND dialog) { return reinterpret_cast<DialogState*>(GetWindowLongPtr(dialog, GWLP_USERDATA)); }

void NotAvailable() { core_io::Info("OPTION NOT CURRENTLY AVAILABLE"); }

// ---- show and read forms ------------------------------------------------------------------

using dialog_fields::ReadDouble;
using dialog_fields::ReadFloat;
using dialog_fields::ReadLong;
using dialog_fields::ReadName;
using dialog_fields::ReadOnly;
using dialog_fields::Show;
using dialog_fields::Text;

void ShowFloat(HWND d, int id, double v) { Show(d, id, StrPrintf("%f", v)); }
void ShowLong(HWND d, int id, int32_t v) { Show(d, id, StrPrintf("%d", v)); }
void ShowULong(HWND d, int id, uint32_t v) { Show(d, id, StrPrintf("%u", v)); }
void ReadULong(HWND d, int id, uint32_t* field) {
  const std::string text = Text(d, id);
  unsigned long long v = 0;
  if (std::sscanf(text.c_str(), "%llu", &v) == 1) *field = static_cast<uint32_t>(v);
}

// ---- refresh --------------------------------------------------------------------------------

void Refresh(HWND d) {
  std::lock_guard<std::recursive_mutex> lock(CnvPublishLock);  // see Store
  const bool stat = Cnv.Lim_Stat[kSlot] == 1;
  CheckDlgButton(d, IDC_CNV_STAT, stat ? BST_CHECKED : BST_UNCHECKED);
  ShowLong(d, IDC_CNV_LOWLIM, Win.Pt_Lim[kSlot][0]);
  ShowLong(d, IDC_CNV_HIGHLIM, Win.Pt_Lim[kSlot][1]);
  ReadOnly(d, IDC_CNV_LOWLIM, !stat);
  ReadOnly(d, IDC_CNV_HIGHLIM, !stat);

  ShowFloat(d, IDC_CNV_FFTWIN, Cnv.FFT_SmoothWin);
  ShowFloat(d, IDC_CNV_SCALAR, Cnv.Scalar[kSlot]);
  ShowFloat(d, IDC_CNV_FLIPPT, Cnv.Flip_Pt[kSlot]);
  ShowFloat(d, IDC_CNV_OFFSET, Cnv.Offset[kSlot]);
  ShowFloat(d, IDC_CNV_IO, Cnv.Io[kSlot]);
  ShowLong(d, IDC_CNV_PTSAVE, Cnv.Pts_Ave[kSlot]);
  ShowFloat(d, IDC_CNV_DEGLITCH, Cnv.Deglitch_Win);
  ShowLong(d, IDC_CNV_WINLO, Cnv.Win_Lo[kSlot]);
  ShowLong(d, IDC_CNV_WINHI, Cnv.Win_Hi[kSlot]);
  Show(d, IDC_CNV_RATE, StrPrintf("%.10f", Cnv.Rate_GHz));
  Show(d, IDC_CNV_AVENAME, Cnv.Ave_Flnm);
  Show(d, IDC_CNV_SUBNAME, Cnv.Sub_Flnm[kSlot]);
  Show(d, IDC_CNV_EXT, Cnv.Out_Ext);
  Show(d, IDC_CNV_OPSEQNAME, Cnv.OpSeq_Flnm);
  Show(d, IDC_CNV_OPSEQSUB, Cnv.OpSeq_Sub);
  Show(d, IDC_CNV_NETCDFNAME, Cnv.NetCDF_Flnm);
  ShowLong(d, IDC_CNV_NSTPS, Cnv.NStps[kSlot]);
  ShowFloat(d, IDC_CNV_DAMP, Cnv.Damp[kSlot]);

  DisplayFileDateCheck(0, "");
  for (int c = 0; c < kRows; ++c) {
    CheckDlgButton(d, IDC_CNV_CHECK0 + c, Cnv.Cnv_Stat[c] == 1 ? BST_CHECKED : BST_UNCHECKED);
    Show(d, IDC_CNV_INNAME0 + c, Dsp.Chn_Flnm[c]);
    ShowULong(d, IDC_CNV_INSIZE0 + c, Dsp.FL_SZ[WIN_RAW][c]);
    if (Cnv.Out_Flnm[kSlot][c][0] == '\0') StrCopy(Cnv.Out_Flnm[kSlot][c], Dsp.Chn_Flnm[c]);
    Show(d, IDC_CNV_OUTNAME0 + c, Cnv.Out_Flnm[kSlot][c]);
    Cnv.Out_Sz[c] = static_cast<uint32_t>(DisplayFileDateCheck(-1, Cnv.Out_Flnm[kSlot][c]));
    ShowULong(d, IDC_CNV_OUTSIZE0 + c, Cnv.Out_Sz[c]);
    if (Cnv.Cnv_Stat[c] == 1 && Dsp.FL_SZ[WIN_RAW][c] != 0) Cnv.Rsz_SzIn[kSlot] = Dsp.FL_SZ[WIN_RAW][c];
  }

  Show(d, IDC_CNV_STPIN, StrPrintf("%e", Cnv.Rsz_StpIn[kSlot]));
  Show(d, IDC_CNV_STPOUT, StrPrintf("%e", Cnv.Rsz_StpOut[kSlot]));
  ShowULong(d, IDC_CNV_SZIN, Cnv.Rsz_SzIn[kSlot]);
  ShowULong(d, IDC_CNV_SZOUT, Cnv.Rsz_SzOut[kSlot]);
  const bool bySize = Cnv.Rsz_Mode[kSlot] == 1;
  ReadOnly(d, IDC_CNV_SZIN, true);
  ReadOnly(d, IDC_CNV_SZOUT, !bySize);
  ReadOnly(d, IDC_CNV_STPIN, bySize);
  ReadOnly(d, IDC_CNV_STPOUT, bySize);

  ShowFloat(d, IDC_CNV_LVLLO, Cnv.Pmt_LvlLo);
  ShowFloat(d, IDC_CNV_LVLHI, Cnv.Pmt_LvlHi);
  ShowLong(d, IDC_CNV_PMTNUM, Cnv.Pmt_Num);
  ShowLong(d, IDC_CNV_PMTSK, Cnv.Pmt_Sk);

  if (DialogState* s = State(d)) s->ready = 1;
}

// ---- store ----------------------------------------------------------------------------------

void StoreFields(HWND d);

// The running sequence hands its changes back under the same lock.
void Store(HWND d) {
  std::lock_guard<std::recursive_mutex> lock(CnvPublishLock);
  StoreFields(d);
}

void StoreFields(HWND d) {
  Cnv.Lim_Stat[kSlot] = IsDlgButtonChecked(d, IDC_CNV_STAT) == BST_CHECKED ? 1 : 0;
  ReadLong(d, IDC_CNV_LOWLIM, &Win.Pt_Lim[kSlot][0]);
  ReadLong(d, IDC_CNV_HIGHLIM, &Win.Pt_Lim[kSlot][1]);
  ReadFloat(d, IDC_CNV_FFTWIN, &Cnv.FFT_SmoothWin);
  ReadFloat(d, IDC_CNV_SCALAR, &Cnv.Scalar[kSlot]);
  ReadFloat(d, IDC_CNV_FLIPPT, &Cnv.Flip_Pt[kSlot]);
  ReadFloat(d, IDC_CNV_OFFSET, &Cnv.Offset[kSlot]);
  ReadFloat(d, IDC_CNV_IO, &Cnv.Io[kSlot]);
  ReadLong(d, IDC_CNV_PTSAVE, &Cnv.Pts_Ave[kSlot]);
  ReadFloat(d, IDC_CNV_DEGLITCH, &Cnv.Deglitch_Win);
  ReadLong(d, IDC_CNV_WINLO, &Cnv.Win_Lo[kSlot]);
  ReadLong(d, IDC_CNV_WINHI, &Cnv.Win_Hi[kSlot]);
  ReadDouble(d, IDC_CNV_RATE, &Cnv.Rate_GHz);
  ReadName(d, IDC_CNV_AVENAME, Cnv.Ave_Flnm);
  ReadName(d, IDC_CNV_SUBNAME, Cnv.Sub_Flnm[kSlot]);
  ReadName(d, IDC_CNV_EXT, Cnv.Out_Ext, true);
  ReadName(d, IDC_CNV_OPSEQNAME, Cnv.OpSeq_Flnm);
  ReadName(d, IDC_CNV_OPSEQSUB, Cnv.OpSeq_Sub);
  ReadName(d, IDC_CNV_NETCDFNAME, Cnv.NetCDF_Flnm);
  ReadLong(d, IDC_CNV_NSTPS, &Cnv.NStps[kSlot]);
  if (Cnv.NStps[kSlot] < -7) Cnv.NStps[kSlot] = -7;
  ReadDouble(d, IDC_CNV_DAMP, &Cnv.Damp[kSlot]);
  if (Cnv.Damp[kSlot] < 0.0) Cnv.Damp[kSlot] = 0.0;
  for (int c = 0; c < kRows; ++c) {
    Cnv.Cnv_Stat[c] = IsDlgButtonChecked(d, IDC_CNV_CHECK0 + c) == BST_CHECKED ? 1 : 0;
    dialog_fields::ReadChannelName(d, IDC_CNV_INNAME0 + c, c);
    ReadName(d, IDC_CNV_OUTNAME0 + c, Cnv.Out_Flnm[kSlot][c]);
  }
}

// ---- the operation-sequence thread ---------------------------------------------------------

// Starts the interpreter; 1 started, 0 not (after a box).
int32_t StartOperationSequence() {
  ThreadCtl.OpSeq_Stop = 0;
  // Raised before the start: a run that ends at once clears them itself, and must not
  // find them raised again after it has gone.
  ThreadCtl.OpSeq_Running = 1;
  ThreadCtl.OpSeq_Alive = 1;
  const int32_t started = FunctionThreadCreate(&CnvOperationSequence);
  if (started != 1) ThreadCtl.OpSeq_Running = ThreadCtl.OpSeq_Alive = 0;
  return started;
}

// OP SEQ: returns true when the last result was set (a run was started or stopped).
// A sequence runs until its thread ends, whatever its commands cleared; it ends at its
// next block or command, never in the middle of writing a file.
bool OperationSequenceButton(DialogState* s) {
  if (ThreadCtl.OpSeq_Alive == 1) {
    const int answer = MessageBox(Win.hWnd_Main,
                                  "OPSEQ THREAD RUNNING\n\nCONTINUE THREAD [YES] | ABORT THREAD & RERUN OPSEQ [NO] | "
                                  "ABORT THREAD ONLY [CANCEL]",
                                  "Question", MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNOCANCEL);
    if (answer == IDYES) return false;
    CnvOperationSequenceStop();
    if (answer == IDNO) {
      s->lastResult = StartOperationSequence();
    } else {
      s->lastResult = 1;
    }
    return true;
  }
  s->lastResult = StartOperationSequence();
  return true;
}

// ---- buttons --------------------------------------------------------------------------------

bool IsEngineButton(int id) {
  switch (id) {
    case 2003: case 2005: case 2006: case 2007: case 2008: case 2009: case 2010: case 2011: case 2012:
    case 2013: case 2014: case 2015: case 2016: case 2017: case 2018: case 2019: case 2022: case 2023:
    case 2037: case 2038: case 2041: case 2047: case 2048: case 2049: case 2062: case 2063: case 2070:
    case 2071: case 2073: case 2074: case 2075: case 2076: case 10170: case 10171: case IDC_CNV_NETCDF:
      return true;
    default:
      return false;
  }
}

bool IsStoringButton(int id) {
  switch (id) {
    case IDOK: case IDC_CNV_APPLY: case IDC_CNV_NUMSUB: case IDC_CNV_IN2OUT: case IDC_CNV_OUT2IN:
    case IDC_CNV_CROSSCORR: case IDC_CNV_AVEFILES: case IDC_CNV_OPSEQ:
      return true;
    default:
      return IsEngineButton(id);
  }
}

// The output names the input: the same text but for letter case, or the same file
// under another spelling.
bool NamesEqual(const char* a, const char* b) {
  return platform::NamesEqualIgnoringCase(a, b) || platform::SameFile(a, b);
}

// The values of slot 0 that a run writes back in place of what the user typed:
// RESIZE's SIZE OUT and STP OUT, SEQ DUP's copies (PTS TO AVE) and sequence size, and
// the counts and window SEQ COADD takes from its table.
struct TypedSlotValues {
  uint32_t sizeOut = Cnv.Rsz_SzOut[kSlot];
  double stepOut = Cnv.Rsz_StpOut[kSlot];
  int32_t ptsAve = Cnv.Pts_Ave[kSlot];
  int32_t seqSz = Cnv.Seq_Sz[kSlot];
  int32_t seqCnt = Cnv.Seq_Cnt[kSlot];
  int32_t winLo = Cnv.Win_Lo[kSlot];
  int32_t winHi = Cnv.Win_Hi[kSlot];
  void Restore() const {
    Cnv.Rsz_SzOut[kSlot] = sizeOut;
    Cnv.Rsz_StpOut[kSlot] = stepOut;
    Cnv.Pts_Ave[kSlot] = ptsAve;
    Cnv.Seq_Sz[kSlot] = seqSz;
    Cnv.Seq_Cnt[kSlot] = seqCnt;
    Cnv.Win_Lo[kSlot] = winLo;
    Cnv.Win_Hi[kSlot] = winHi;
  }
};

// Runs the engine on every checked channel. With no channel checked nothing runs and
// the result is 0, so the message never depends on an earlier run. An output named as
// its input takes EXT; every such name must fit before any channel runs. Every channel
// runs with the values the user typed; what the last run wrote back stays in the slot.
void RunEngine(DialogState* s, int id) {
  s->lastResult = 0;
  const TypedSlotValues typed;
  const auto takesExt = [](int c) {
    return Cnv.Cnv_Stat[c] == 1 && NamesEqual(Dsp.Chn_Flnm[c], Cnv.Out_Flnm[kSlot][c]) && Cnv.Out_Ext[0] != '\0';
  };
  for (int c = 0; c < kRows; ++c)
    if (takesExt(c) && !core_io::NameFits(std::string(Cnv.Out_Flnm[kSlot][c]) + Cnv.Out_Ext)) return;
  for (int c = 0; c < kRows; ++c) {
    if (Cnv.Cnv_Stat[c] != 1) continue;
    char* out = Cnv.Out_Flnm[kSlot][c];
    if (takesExt(c) && !core_io::NameWithSuffix(out, sizeof Cnv.Out_Flnm[kSlot][c], out, Cnv.Out_Ext)) return;
    typed.Restore();
    s->lastResult = OSIFile(kSlot, c, id, Dsp.Chn_Flnm[c], out, 0, 1, 1);
  }
}

void ButtonPreparation(int id) {
  if (id == OSI_SHORT2FLOAT) {
    if (core_io::AskYesNo("CONVERT DIRECTLY TO FLOAT [YES] | CONVERT ADC DIGITAL VALUES TO VOLTAGE [NO] ?")) {
      Cnv.Adc_Stat = 0;
    } else {
      Cnv.Adc_Stat = 1;
      Cnv.Adc_16Bit = core_io::AskYesNo("CONVERT FROM 16-BIT [YES] | 12-BIT [NO] RESOLUTION ?") ? 1 : 0;
      Cnv.Adc_Bipolar = core_io::AskYesNo("CONVERT FROM BIPOLAR [YES] | UNIPOLAR [NO] RANGE ?") ? 1 : 0;
    }
  } else {
    Cnv.Adc_Stat = 0;  // only SHORT2FLOAT converts ADC codes from this dialog
  }
  if (id == OSI_FFTSEQ) Cnv.Seq_Sz[kSlot] = Cnv.Pts_Ave[kSlot];
}

void ButtonSettings(int id) {
  if (id != OSI_SEQCOADD) return;
  Cnv.Seq_Sz[kSlot] = Cnv.Pts_Ave[kSlot];
  Cnv.Seq_Cnt[kSlot] = 1;
  if (Cnv.NStps[kSlot] != 0 &&
      core_io::AskYesNo(StrPrintf("SEQ COADD OPERATION\n\nCOADD OVER SEQUENCES=[%d] (NSTPS) OF SZ=[%d] (PTS TO AVE) "
                                  "[YES] | USE ALL SEQS [NO] ?",
                                  Cnv.NStps[kSlot], Cnv.Seq_Sz[kSlot])))
    Cnv.Seq_Cnt[kSlot] = Cnv.NStps[kSlot];
  Cnv.Win_Lo[kSlot] = 0;
  Cnv.Win_Hi[kSlot] = Cnv.Seq_Sz[kSlot] * Cnv.Seq_Cnt[kSlot];
}

void Action(HWND, DialogState* s, int id, WORD code) {
  switch (id) {
    case IDC_CNV_NUMSUB:
      if (code != BN_CLICKED) return;
      for (int c = 0; c < kRows; ++c)
        if (!ManFlnmReplaceFirstNumber(Cnv.Out_Flnm[kSlot][c], Cnv.Out_Flnm[kSlot][c], Cnv.Out_Ext)) break;
      return;
    case IDC_CNV_IN2OUT:
      if (code != BN_CLICKED) return;
      for (int c = 0; c < kRows; ++c) StrCopy(Cnv.Out_Flnm[kSlot][c], Dsp.Chn_Flnm[c]);
      return;
    case IDC_CNV_OUT2IN: {
      if (code != BN_CLICKED) return;
      bool changes = false;
      for (int c = 0; c < kRows; ++c) changes = changes || std::strcmp(Dsp.Chn_Flnm[c], Cnv.Out_Flnm[kSlot][c]) != 0;
      // A view run under way stops before the names change.
      if (changes)
        DisplayViewStoppedFor([] {
          for (int c = 0; c < kRows; ++c)
            if (!ChannelNameSet(c, Cnv.Out_Flnm[kSlot][c])) return false;
          return true;
        });
      return;
    }
    case IDOK:
    case IDC_CNV_APPLY:
      return;
    default:
      break;
  }
  if (s->ready != 1) return;
  bool report = true;
  if (id == IDC_CNV_CROSSCORR) {
    s->lastResult = CrossCorrFiles(kSlot, 1, nullptr, nullptr, nullptr, Cnv.Damp[kSlot], Cnv.NStps[kSlot], 0, 1);
  } else if (id == IDC_CNV_AVEFILES) {
    s->lastResult = AveDspFiles(0, 0);
  } else if (id == IDC_CNV_OPSEQ) {
    report = OperationSequenceButton(s);
  } else if (OSIFileIdState(id) != OsiIdState::Available) {
    NotAvailable();
    report = false;
  } else {
    RunEngine(s, id);
  }
  if (report && s->lastResult == 0) core_io::Info("FILE(S) NOT CONVERTED");
}

// Starts the view files once, repaints the main window.
void Tail() {
  DisplayViewStartOnce();
  RepaintWindow("CB_5P", Win.hWnd_Main, TRUE);
}

void RefreshSelf(HWND d) { SendMessage(d, WM_INITDIALOG, 0, 0); }

void StoreAndRefresh(HWND d, DialogState* s) {
  s->ready = 0;
  Store(d);
  Tail();
  RefreshSelf(d);
}

// Commands at once, without storing. Returns true when id was one of them.
bool ImmediateButton(HWND d, DialogState* s, int id, WORD code) {
  switch (id) {
    case IDC_CNV_ANLDIAG:
      if (!platform::HasDialogTemplate(101))
        NotAvailable();
      else
        DialogBox(Win.hInst, MAKEINTRESOURCE(101), d, &AnalysisOptionsDialogProc);
      return true;
    case IDC_CNV_CNLDIAG:
      if (code == BN_CLICKED) DialogBox(Win.hInst, MAKEINTRESOURCE(IDD_CAL_NORM_LIN), d, &CalNormLinDialogProc);
      return true;
    case IDC_CNV_SAVEQVW:
      if (DisplayHooks.workFile) DisplayHooks.workFile(1, d);
      return true;
    case IDC_CNV_SEQFFT:
      NotAvailable();
      return true;
    case IDC_CNV_CTRWIN:
      if (code != BN_CLICKED) return true;
      for (int c = 0; c < WIN_CHN; ++c)
        for (int k = 0; k < WIN_KINDS; ++k)
          if (Win.Child_Created[c][k] == 1 && Win.hWnd_Child[c][k])
            SetWindowPos(Win.hWnd_Child[c][k], HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE);
      return true;
    case IDC_CNV_OPEN: {
      const int16_t c = s->currentChn;
      if (c < 0 || c >= kRows) return true;
      char chosen[sizeof Dsp.Chn_Flnm[c]];
      StrCopy(chosen, Dsp.Chn_Flnm[c]);
      if (BinaryFileDialog(0, chosen, sizeof chosen, d) == 1 &&
          DisplayViewStoppedFor([&] { return ChannelNameSet(c, chosen); })) {
        const int64_t size = DisplayFileDateCheck(-1, Dsp.Chn_Flnm[c]);
        Dsp.FL_SZ[WIN_RAW][c] = static_cast<uint32_t>(size);
        if (size == 0) Cnv.Cnv_Stat[c] = 0;
        RefreshSelf(d);
      }
      return true;
    }
    default:
      return false;
  }
}

INT_PTR Command(HWND d, DialogState* s, WPARAM wParam) {
  const int id = LOWORD(wParam);
  const WORD code = HIWORD(wParam);

  if (id == IDCANCEL) {
    if (code != BN_CLICKED) return 0;
    EndDialog(d, static_cast<INT_PTR>(wParam));
    return 1;
  }
  // Edits whose loss of focus stores every field.
  const bool storingEdit = (id >= IDC_CNV_INNAME0 && id < IDC_CNV_INNAME0 + kRows) ||
                           (id >= IDC_CNV_OUTNAME0 && id < IDC_CNV_OUTNAME0 + kRows) || id == IDC_CNV_SUBNAME ||
                           id == IDC_CNV_EXT || id == IDC_CNV_PTSAVE || id == IDC_CNV_AVENAME ||
                           id == IDC_CNV_OPSEQNAME || id == IDC_CNV_OPSEQSUB || id == IDC_CNV_NETCDFNAME;
  if (storingEdit) {
    if (code == EN_KILLFOCUS) StoreAndRefresh(d, s);
    return 0;
  }
  if ((id >= IDC_CNV_CHECK0 && id < IDC_CNV_CHECK0 + kRows) || id == IDC_CNV_STAT) {
    if (code != BN_CLICKED) return 0;
    if (id != IDC_CNV_STAT) s->currentChn = static_cast<int16_t>(id - IDC_CNV_CHECK0);
    StoreAndRefresh(d, s);
    return 0;
  }
  if (id == IDC_CNV_STPIN || id == IDC_CNV_STPOUT || id == IDC_CNV_SZIN || id == IDC_CNV_SZOUT) {
    const bool step = id == IDC_CNV_STPIN || id == IDC_CNV_STPOUT;
    if (code == EN_SETFOCUS) {
      Cnv.Rsz_Mode[kSlot] = step ? 0 : 1;
      RefreshSelf(d);
    } else if (code == EN_KILLFOCUS) {
      if (step) {
        ReadDouble(d, IDC_CNV_STPIN, &Cnv.Rsz_StpIn[kSlot]);
        ReadDouble(d, IDC_CNV_STPOUT, &Cnv.Rsz_StpOut[kSlot]);
      } else {
        ReadULong(d, IDC_CNV_SZOUT, &Cnv.Rsz_SzOut[kSlot]);
      }
      if (Cnv.Rsz_StpIn[kSlot] == 0.0) Cnv.Rsz_StpIn[kSlot] = Dsp.FSR;
      RefreshSelf(d);
    }
    return 0;
  }
  if (id >= IDC_CNV_LVLLO && id <= IDC_CNV_PMTSK) {
    if (code == EN_KILLFOCUS) {
      ReadDouble(d, IDC_CNV_LVLLO, &Cnv.Pmt_LvlLo);
      ReadDouble(d, IDC_CNV_LVLHI, &Cnv.Pmt_LvlHi);
      ReadLong(d, IDC_CNV_PMTNUM, &Cnv.Pmt_Num);
      ReadLong(d, IDC_CNV_PMTSK, &Cnv.Pmt_Sk);
      RefreshSelf(d);
    }
    return 0;
  }
  if (code != BN_CLICKED) return 0;
  if (ImmediateButton(d, s, id, code)) return 0;
  if (!IsStoringButton(id)) return 0;

  // 1. preparation, 2. store, 3. settings, 4. action, 5. tail.
  const bool available = !IsEngineButton(id) || OSIFileIdState(id) == OsiIdState::Available;
  ButtonPreparation(available ? id : 0);
  Store(d);
  if (available) ButtonSettings(id);
  Action(d, s, id, code);
  Tail();
  if (id == IDOK) {
    EndDialog(d, static_cast<INT_PTR>(wParam));
    return 1;
  }
  RefreshSelf(d);
  return 0;
}

}  // namespace

INT_PTR FileConversionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      if (!State(dialog)) SetWindowLongPtr(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new DialogState));
      Refresh(dialog);
      return 1;
    case WM_COMMAND: {
      DialogState* s = State(dialog);
      return s ? Command(dialog, s, wParam) : 0;
    }
    case WM_DESTROY:
      delete State(dialog);
      SetWindowLongPtr(dialog, GWLP_USERDATA, 0);
      return 0;
    default:
      return 0;
  }
}

INT_PTR FileConversionDialog(HWND owner) {
  return DialogBox(Win.hInst, MAKEINTRESOURCE(IDD_FILE_CONVERSION), owner, &FileConversionDialogProc);
}
