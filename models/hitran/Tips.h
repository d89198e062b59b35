// Partition functions Q(T) of the HITRAN isotopologues (TIPS-2021 tables).
#pragma once

#include <cstdint>

// The data folder of the tables and its files: iso_map_1_25.txt names, per HITRAN
// molecule and isotope number, the table arts_tips2021_mol1-25/<NAME>-<AFGL code>.xml.
inline constexpr char TIPS_FOLDER_NAME[] = "tips";
inline constexpr char TIPS_MAP_FILE_NAME[] = "iso_map_1_25.txt";
inline constexpr char TIPS_TABLE_FOLDER_NAME[] = "arts_tips2021_mol1-25";

// Q(T) of isotope iso of HITRAN molecule mol at temperature T (kelvin) into *q: 1, or
// 0 (with *q untouched) for molecule 0 or above 25, an isotope without a table, or a
// temperature outside its table. Between the 1 K grid points the value is the cubic
// through the four nearest points.
int32_t SimTipsQT(int16_t mol, double T, int16_t iso, double* q);
