// The partition-function tables of the HITRAN isotopologues, loaded on first use: per
// molecule 1..25 and isotope 1..20 the values Q(T) on a 1 K grid from 1 K (entry 0) up
// to the table's last temperature, and whether the table was looked for (1 loaded,
// -1 none).
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

constexpr int TIPS_MOLECULES = 26;  // rows 1..25 used
constexpr int TIPS_ISOTOPES = 21;   // columns 1..20 used

struct TipsRecord {
  // Folder of the tables; empty: the data folder "tips" (core/DataFiles.h).
  char Folder[500] = "";
  int8_t State[TIPS_MOLECULES][TIPS_ISOTOPES] = {};
  std::vector<double> Q[TIPS_MOLECULES][TIPS_ISOTOPES];
};

extern TipsRecord Tips;

// Guards Tips: held for one lookup or load, never across a wait or a message.
extern std::mutex TipsLock;
