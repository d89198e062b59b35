// Stand-ins for calls of the view commands into parts of the program that are not
// linked in yet. Every definition here is weak: the real definition replaces it at
// link time. Each does the least that keeps the caller's contract.
//
//   SimControlDialogShow  no dialog can be made: "OPTION NOT CURRENTLY AVAILABLE", 0 (hidden).
//   (SimModelessDialogUpdate, SimJkkQNDialogShow and SimQuadQNDialogShow stand in
//   app/PendingLinks.cpp and display/PendingLinks.cpp.)
//   ViewKeySimSelectNext, ViewKeySimAssign, ViewKeySimUnassign  no candidate: 0.
#include "display/PendingLinksViewKeys.h"

#include "platform/windows/MessageBox.h"

__attribute__((weak)) int32_t SimControlDialogShow(uint32_t show, HWND parent) {
  // Asked to open, say so rather than doing nothing at all.
  if (show) MessageBox(parent, "OPTION NOT CURRENTLY AVAILABLE", "Info", MB_SYSTEMMODAL | MB_ICONINFORMATION);
  return 0;
}

__attribute__((weak)) int32_t ViewKeySimSelectNext(int16_t set) {
  (void)set;
  return 0;
}

__attribute__((weak)) int32_t ViewKeySimAssign(int16_t set, double fa) {
  (void)set;
  (void)fa;
  return 0;
}

__attribute__((weak)) int32_t ViewKeySimUnassign(int16_t set) {
  (void)set;
  return 0;
}
