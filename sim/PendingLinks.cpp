// Weak stand-ins for the calls of sim/PendingLinks.h whose owners are not linked in yet.
#include "sim/PendingLinks.h"

#include "core/FileIo.h"

#define QV95_PENDING __attribute__((weak))

QV95_PENDING int32_t W36InitValue(int16_t, int32_t, SimRecord*, int32_t) { return 0; }
QV95_PENDING int32_t W36DevRun(int16_t, int32_t, SimRecord*) { return 0; }
QV95_PENDING int32_t SimHTLineCalc(int32_t, LineShapeRec*) { return 0; }
QV95_PENDING int32_t OrvOutputRename(int16_t) { return 0; }
QV95_PENDING int32_t SimHT2QVSSum(int16_t) {
  core_io::StatusText(2, "OPTION NOT CURRENTLY AVAILABLE");
  return 0;
}
QV95_PENDING int32_t OrvRun(int16_t, int32_t) {
  core_io::StatusText(2, "OPTION NOT CURRENTLY AVAILABLE");
  return 0;
}
