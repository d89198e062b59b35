#include "lineshape/SimInternal.h"

#include "core/Coords.h"
#include "platform/windows/Controls.h"
#include "records/Dsp.h"
#include "records/Sim.h"

namespace sim {

void StatusText(int32_t part, const char* text) {
  if (Win.hWnd_StatusBar && IsWindow(Win.hWnd_StatusBar))
    SendMessage(Win.hWnd_StatusBar, SB_SETTEXT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
}

double SetViewStep(int16_t set, int16_t view) {
  const double step = Dsp.FrqStpView[view];
  if (!ValidSet(set)) return step;
  return step * DisplayChannelScale(view, Sim.Dsp_Cnl[set]);
}

}  // namespace sim
