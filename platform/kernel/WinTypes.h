// Basic types and constants of the platform layer. The shapes follow the classic
// desktop window-system API so that the system's code reads as it was designed;
// every width is fixed explicitly.
#pragma once

#include <cstddef>
#include <cstdint>

using BOOL = int32_t;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using SHORT = int16_t;
using USHORT = uint16_t;
using INT = int32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Kernel objects (events, threads, processes) are addressed through handles that
// carry a generation: a stale or closed handle fails instead of reaching a reused slot.
struct HANDLE__;
using HANDLE = HANDLE__*;

constexpr DWORD INFINITE = 0xFFFFFFFFu;
constexpr DWORD WAIT_OBJECT_0 = 0x00000000u;
constexpr DWORD WAIT_TIMEOUT = 0x00000102u;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;
constexpr DWORD STILL_ACTIVE = 259;

constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_LOWEST = -2;

// Printf-style format checking for our own variadic helpers.
#define QV_PRINTF(fmtIndex, firstArg) __attribute__((format(printf, fmtIndex, firstArg)))

// Windows are addressed through handles of their own kind (see the window system).
struct HWND__;
using HWND = HWND__*;
