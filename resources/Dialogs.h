// The program's dialog templates, registered with the window system at start-up.
#pragma once

// Registers every dialog template of the program (idempotent).
void RegisterDialogResources();

// Registers the templates of the simulation control dialog and its per-set dialogs
// (part of RegisterDialogResources).
void RegisterSimDialogResources();
