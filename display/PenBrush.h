// Pens and brushes of the channel colour table (Dsp) and the set colour table (Sim).
#pragma once

#include <cstdint>

// Five 0/1 switches, worked in the order defaults, delete, create, background, repen.
void SimPenBrushSet(int32_t create, int32_t del, int32_t background, int32_t repen, int32_t defaults);
