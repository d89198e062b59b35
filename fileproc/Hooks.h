// Calls of the file engine and of the display's file sections into the simulation sets
// above them, which the system's own design makes: a text output or a section edit
// takes a displayed set's spectrum as a column. The program fills the table once at
// start-up (Qv95HooksInstall, app/Hooks.h); a hook left null does nothing and answers 0.
#pragma once

#include <cstdint>

struct FileprocHookTable {
  // Writes the spectrum of simulation set `set` to the binary data file `file`
  // (SimFIWriteBin of sim/) over the points of channel `chn`, the channel it is a
  // column of (negative: the set's associated channel, else the active one); 1 when
  // written, 0 on failure.
  int32_t (*simColumnWrite)(const char* file, int16_t set, int32_t addBaseline, int16_t chn) = nullptr;
};

extern FileprocHookTable FileprocHooks;

// The table's writer: 0 without writing while the hook is null.
int32_t FileprocSimColumnWrite(const char* file, int16_t set, int32_t addBaseline, int16_t chn);
