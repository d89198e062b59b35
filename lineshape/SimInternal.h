// Helpers shared by the simulation-set sources and their line shapes: message boxes
// owned by the main window, main status-bar texts and the debug topics of the renderer.
#pragma once

#include <cstdint>

#include "platform/windows/MessageBox.h"
#include "platform/windows/Window.h"
#include "records/Debug.h"
#include "records/Win.h"

namespace sim {

constexpr int16_t DEBUG_TOPIC_RENDER = 116;
constexpr int16_t DEBUG_TOPIC_TEMPLATE = 118;
constexpr int16_t DEBUG_TOPIC_FIT = 114;
constexpr int16_t DEBUG_TOPIC_QNLIST = 123;  // rows of the JKK QN dialog
constexpr int16_t DEBUG_TOPIC_LINEEDIT = 131;  // lines added by hand in the JKK QN dialog
constexpr UINT kWarningBox = MB_SYSTEMMODAL | MB_ICONWARNING;
constexpr UINT kErrorBox = MB_SYSTEMMODAL | MB_ICONERROR;

inline void Warning(const char* text) { MessageBox(Win.hWnd_Main, text, "Warning", kWarningBox); }
inline void Error(const char* text) { MessageBox(Win.hWnd_Main, text, "Error", kErrorBox); }

// Text into one part of the main window's status bar (none while it does not exist).
void StatusText(int32_t part, const char* text);

inline bool DebugTopic(int16_t topic) { return Debug.DebugLevel == topic; }

inline bool ValidSet(int16_t set) { return set >= 0 && set < 9; }
inline bool ValidView(int16_t view) { return view >= 0 && view <= 3; }

// Frequency step of one point of view level `view` on the channel the set is drawn
// over (Sim.Dsp_Cnl): the view's step scaled by that channel's points per pixel over
// the active channel's, so that a set's profiles are as wide as its channel's lines.
double SetViewStep(int16_t set, int16_t view);

}  // namespace sim
