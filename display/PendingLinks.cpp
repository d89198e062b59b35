// Weak stand-ins for the parts that painting calls before they are built (see
// PendingLinks.h). Every definition here is replaced by the real one when that part
// is linked in; none of them changes a record.
//
// Stand-ins: the seventeen dialog creators listed in PendingLinks.h.
#include "display/PendingLinks.h"

#include "platform/windows/Window.h"
#include "records/Sim.h"

namespace {

// Refreshes an existing dialog of the kind; the request stays as it is.
uint32_t RefreshExisting(SimDlgKind kind, int16_t set, uint32_t show) {
  if (set < 0 || set >= SIM_SETS) return 0;
  HWND dialog = Sim.Dlg_Hwnd[kind][set];
  if (show == 1 && dialog && IsWindow(dialog)) SendMessage(dialog, WM_INITDIALOG, 0, 0);
  return show;
}

}  // namespace

#define QV95_PENDING_CREATOR(name, kind)                                            \
  __attribute__((weak)) uint32_t name(int16_t set, uint32_t show, HWND) {          \
    return RefreshExisting(kind, set, show);                                        \
  }

QV95_PENDING_CREATOR(SimAbcTrackbarDialogShow, SIM_DLG_ABC)
QV95_PENDING_CREATOR(SimCoriolisTrackbarDialogShow, SIM_DLG_CORIOLIS)
QV95_PENDING_CREATOR(SimCrossTermTrackbarDialogShow, SIM_DLG_CROSS)
QV95_PENDING_CREATOR(SimDDistortionTrackbarDialogShow, SIM_DLG_DDIST)
QV95_PENDING_CREATOR(SimTdmDipoleTrackbarDialogShow, SIM_DLG_TDM)
QV95_PENDING_CREATOR(SimTemperatureTrackbarDialogShow, SIM_DLG_TEMP)
QV95_PENDING_CREATOR(SimJkkQNDialogShow, SIM_DLG_JKKQN)
QV95_PENDING_CREATOR(SimJkkCombDiffDialogShow, SIM_DLG_COMBDIFF)
QV95_PENDING_CREATOR(SimQuadTrackbarDialogShow, SIM_DLG_QUADTB)
QV95_PENDING_CREATOR(SimQuadQNDialogShow, SIM_DLG_QUADQN)
QV95_PENDING_CREATOR(SimResidualDialogShow, SIM_DLG_RESIDUAL)
QV95_PENDING_CREATOR(SimScaleOffsetDialogShow, SIM_DLG_SCALEOFS)
QV95_PENDING_CREATOR(SimSineDialogShow, SIM_DLG_SINE)
QV95_PENDING_CREATOR(SimLineShapeDialogShow, SIM_DLG_LINESHAPE)
QV95_PENDING_CREATOR(LsfVoigtDialogShow, SIM_DLG_VOIGT)
QV95_PENDING_CREATOR(LsfRdfDialogShow, SIM_DLG_RDF)
QV95_PENDING_CREATOR(W36DialogShow, SIM_DLG_BARRIER)

#undef QV95_PENDING_CREATOR
