// The path file "Qv95.dir" of the sibling calculation programs: one program path a line
// (rotor, hyperfine, genetic algorithm, exciton model), read before each run of one.
#pragma once

#include <cstdint>

inline constexpr const char* PATH_FILE_NAME = "Qv95.dir";

// Mode 1 reads "Qv95.dir" into the four sibling program paths; any other mode writes
// them. Always 1.
int32_t ExecResourceFile(int32_t mode);
