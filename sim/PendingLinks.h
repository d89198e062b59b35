// Calls from the simulation sets into the models that are not built yet. Each has a
// weak stand-in in PendingLinks.cpp that the model's definition replaces at link time.
#pragma once

#include <cstdint>

struct LineShapeRec;

// HITRAN line calculation: with the record's Mode 1 and Sub 0 fills the f64 half
// profiles of its set and view level; with Mode 0 and Sub 1 puts the line's value at
// Offset into element 0 of the set's level-3 upper f64 half profile. Non-zero on
// success. Stand-in: 0 (nothing calculated).
int32_t SimHTLineCalc(int32_t mode, LineShapeRec* rec);
