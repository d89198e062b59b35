// Combination differences of a set: the lines sharing the selected line's lower level
// (LS list), its upper level (US list) and the lines closing a loop with them (BS list),
// the fix sets whose simulated frequencies move together by the mean observed-minus-
// calculated value of their assigned members, the ".acd" file of the fixed sets and the
// error analysis of ground-state differences ("Out.cd").
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct SimRecord;

// The three lists of Sim.FI_CD_List_Ary / Sim.FI_CD_List_Tot.
constexpr int CD_LS = 0;
constexpr int CD_US = 1;
constexpr int CD_BS = 2;

// Builds the lists for the selected line (below 0: none, told in the status bar) over
// the window (start, end) (equal ends: the active channel's range); with the fix mode
// on, also finds or forms the fix set of the group (Sim.FI_CD_FixSet_Cur). 1, or 0
// after an allocation failure (box shown, the affected size 0).
int32_t CombDiffFind(int16_t set, int32_t selected, double start, double end);

// Applies the fix set's fixed flag: 1 shifts its members' simulated frequencies by the
// mean observed-minus-calculated value of its assigned members and keeps the unshifted
// values, otherwise puts the kept values back. Returns 1.
int32_t CombDiffFixRestore(int16_t set, int32_t fixSet);

// The fix sets name lines by their index in the set; these keep them with their lines.
// Each acts on the program's sets only (sim == &Sim): another record has no fix sets.
//
// Takes the shifts of every fixed set out of the simulated frequencies (the fixed flags
// stay set; out 1) or puts them in again (out 0): around whatever must see, or write,
// the lines' own frequencies. Putting them in again takes the mean O-C anew.
void CombDiffFixSuspend(int16_t set, const SimRecord* sim, bool out);
// Restores every fixed set and releases all of the set's fix sets (count 0, no current
// set): before its lines are cleared of their assignments, replaced or freed.
void CombDiffFixRelease(int16_t set, const SimRecord* sim);
// The lines were reordered: order[j] - 1 is the old index of new line j (the 1-based
// index of the sort), n lines. The members of the fix sets and the entries of the
// combination-difference lists follow their lines.
void CombDiffFixReorder(int16_t set, const SimRecord* sim, const int32_t* order, int32_t n);
// The line is gone: it leaves every fix set, and later members move down one.
void CombDiffFixDropLine(int16_t set, const SimRecord* sim, int32_t line);
// The simulated frequencies of the set with every fixed member at its saved unshifted
// value; false, and erg untouched, when no fix set is fixed.
bool CombDiffUnshifted(int16_t set, std::vector<double>* erg);

// Appends ".acd" to name (capacity cap) and writes the members of every fixed set to it
// with their shift (through a temporary file). 1 when written; 0 when the name does not
// fit or the file cannot be written (an older file then stays as it was).
int32_t CombDiffSaveAsn(char* name, size_t cap, int16_t set);

// Pairs of assigned lines inside (low, high) sharing their upper level: the difference
// of their observed frequencies against that of their ground-state energies, written
// to "Out.cd" (sorted, repeats left out) and fitted with a straight line (Sim.CD_Slope,
// Sim.CD_Intercept). 1 after a successful fit, else 0 (box shown).
int32_t CDErrorAnalysis(int16_t set, double low, double high);

// The file of the error analysis.
constexpr const char* CD_OUT_NAME = "Out.cd";
