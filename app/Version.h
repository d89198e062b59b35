#pragma once

// Version text written into the working file's banner.
inline constexpr const char* QV95_VERSION = "v6.02.00";
inline constexpr const char* QV95_PROGRAM_NAME = "QV95";
