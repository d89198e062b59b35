// The program's dialog templates, registered with the window system at start-up.
#pragma once

// Registers every dialog template of the program (idempotent).
void RegisterDialogResources();
