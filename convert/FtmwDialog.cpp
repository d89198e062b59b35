#include "convert/FtmwDialog.h"

#include <string>

#include "display/FileDialogs.h"
#include "convert/DialogFields.h"
#include "convert/InstrumentConvert.h"
#include "core/FileIo.h"
#include "core/FrqAxis.h"
#include "display/FileSection.h"
#include "display/ViewFiles.h"
#include "fileproc/FileOps.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/MessageBox.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/ThreadCtl.h"

namespace {

using dialog_fields::ReadOnly;
using dialog_fields::Show;
using dialog_fields::Text;

constexpr int kChannel = 1;  // the display channel a conversion writes

// The part of a name after its last folder separator.
std::string Shown(const char* name) {
  const std::string s(name);
  const size_t cut = s.find_last_of("\\/");
  return cut == std::string::npos ? s : s.substr(cut + 1);
}

void Refresh(HWND d) {
  Show(d, IDC_FTMW_INNAME, Shown(Cnv.Ftmw_Flnm));
  Show(d, IDC_FTMW_BINNAME, Dsp.Chn_Flnm[kChannel]);
  Show(d, IDC_FTMW_ASCNAME, Cnv.Ftmw_AscFlnm);
  CheckDlgButton(d, IDC_FTMW_ASCII, Cnv.Ftmw_AscStat != 0 ? BST_CHECKED : BST_UNCHECKED);
  ReadOnly(d, IDC_FTMW_BINNAME, Cnv.Ftmw_AscStat != 0);
  ReadOnly(d, IDC_FTMW_ASCNAME, Cnv.Ftmw_AscStat == 0);
}

// An edit that lost the focus after a change is stored; the mark is then cleared.
void StoreEdit(HWND d, int id) {
  if (SendDlgItemMessage(d, id, EM_GETMODIFY, 0, 0) == 0) return;
  SendDlgItemMessage(d, id, EM_SETMODIFY, FALSE, 0);
  if (id == IDC_FTMW_INNAME) {
    const std::string text = Text(d, id);
    if (!text.empty()) StrCopy(Cnv.Ftmw_Flnm, text.c_str());
  } else if (id == IDC_FTMW_BINNAME) {
    dialog_fields::ReadChannelName(d, id, kChannel);
  } else {
    dialog_fields::ReadName(d, id, Cnv.Ftmw_AscFlnm);
  }
}

void Open(HWND d) {
  if (FtmwFileOpenDialog(d) != 1) return;
  if (IsLeCroyName(Cnv.Ftmw_Flnm)) {
    core_io::Warning("LECROY WAVEFORM");
  } else {
    char variant[16] = "";
    CnvB2BFile(variant, 1);
    core_io::Warning("FTWM BINARY FILE");
  }
}

struct AxisCopy {
  double init, fsr, stp;
  int32_t ppf;
};

// Returns false when the ASCII step failed (the dialog is then not refreshed).
bool Convert() {
  const bool ascii = Cnv.Ftmw_AscStat != 0;
  // A view run may be reading the channel file that the conversion writes, and it
  // reads the axis: it waits until the conversion is done.
  DisplayViewStopForChange();
  const AxisCopy saved{Dsp.Init_Frq, Dsp.FSR, Dsp.Frq_Stp, Dsp.Pts_FSR};
  StrCopy(Cnv.Ftmw_OutFlnm, ascii ? FTMW_TEMP_NAME : Dsp.Chn_Flnm[kChannel]);
  int32_t converted = 0;
  if (IsLeCroyName(Cnv.Ftmw_Flnm)) {
    converted = CnvLeCroy2Bin();
  } else {
    char variant[16] = "";
    converted = CnvB2BFile(variant, 2);
    if (converted == 1) FileDialogCurrentFolder(1);
  }
  if (ascii && converted == 1) {
    char in[OSI_NAME_SIZE] = "";
    char out[OSI_NAME_SIZE] = "";
    StrCopy(in, FTMW_TEMP_NAME);
    StrCopy(out, Cnv.Ftmw_AscFlnm);
    const int32_t written = OSIFile(0, -1, OSI_ASCII_OUTPUT, in, out, 1, 1, 0);
    // The axis described the temporary file only: the channels keep theirs.
    Dsp.Init_Frq = saved.init;
    Dsp.FSR = saved.fsr;
    DspFrqStpSet(saved.stp);
    Dsp.Pts_FSR = saved.ppf;
    if (written != 1) {
      DisplayViewResume();
      core_io::Warning("FTMWProc()\n\nASCII FILE CONVERSION ERROR\n\nABORTING");
      return false;
    }
    DeleteFile(FTMW_TEMP_NAME);
  }
  if (!ascii) {
    Dsp.Chn_DspStat[kChannel] = 1;
    if (converted == 1) {
      // The channel shows new data: its views are built at once.
      Dsp.ViewUpdate[kChannel] = 1;
      ThreadCtl.View_Started = 1;
      DisplayViewRestart();
    } else {
      DisplayViewStartOnce();
    }
    CnvAutoScalarOffSetChn(-1);
  }
  DisplayViewResume();
  return true;
}

INT_PTR Command(HWND d, WPARAM wParam) {
  const int id = LOWORD(wParam);
  const WORD code = HIWORD(wParam);
  switch (id) {
    case IDC_FTMW_INNAME:
    case IDC_FTMW_BINNAME:
    case IDC_FTMW_ASCNAME:
      if (code == EN_KILLFOCUS) {
        StoreEdit(d, id);
        Refresh(d);
      }
      return 0;
    case IDC_FTMW_ASCII:
      if (code != BN_CLICKED) return 0;
      Cnv.Ftmw_AscStat = IsDlgButtonChecked(d, IDC_FTMW_ASCII) == BST_CHECKED ? 1u : 0u;
      Refresh(d);
      return 0;
    case IDC_FTMW_OPEN:
      if (code != BN_CLICKED) return 0;
      Open(d);
      Refresh(d);
      return 0;
    case IDC_FTMW_CONVERT:
      if (code != BN_CLICKED) return 0;
      if (Convert()) Refresh(d);
      return 0;
    case IDOK:
      Refresh(d);
      EndDialog(d, IDOK);
      return 1;
    case IDCANCEL:
      EndDialog(d, IDCANCEL);
      return 1;
    default:
      return 0;
  }
}

}  // namespace

INT_PTR FTMWProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  return dialog_fields::RefreshAndCommand(dialog, message, wParam, Refresh, Command);
}
