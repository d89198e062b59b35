// Stand-ins for calls of the view commands into parts of the program that are not
// linked in yet. Every definition here is weak: the real definition replaces it at
// link time. Each does the least that keeps the caller's contract.
//
//   SimControlDialogShow  no dialog can be made: 0 (hidden).
//   SimModelessDialogUpdate  nothing to open or close: 1.
//   SimJkkQNDialogShow, SimQuadQNDialogShow  no dialog: 0 (hidden).
//   ViewKeySimSelectNext, ViewKeySimAssign, ViewKeySimUnassign  no candidate: 0.
#include "display/PendingLinksViewKeys.h"

__attribute__((weak)) int32_t SimControlDialogShow(uint32_t show, HWND parent) {
  (void)show;
  (void)parent;
  return 0;
}

__attribute__((weak)) int32_t SimModelessDialogUpdate(int16_t set, int32_t repaint) {
  (void)set;
  (void)repaint;
  return 1;
}

__attribute__((weak)) uint32_t SimJkkQNDialogShow(int16_t set, uint32_t show, HWND parent) {
  (void)set;
  (void)show;
  (void)parent;
  return 0;
}

__attribute__((weak)) uint32_t SimQuadQNDialogShow(int16_t set, uint32_t show, HWND parent) {
  (void)set;
  (void)show;
  (void)parent;
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
