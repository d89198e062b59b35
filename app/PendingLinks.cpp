// Weak stand-ins for the calls of app/PendingLinks.h whose owners are not linked in
// yet. Each does nothing. Readers and converters of other parts answer "nothing
// done, nothing wrong" where a failure would make the working file drop names it
// carries (a simulation set that cannot be read loses its file name); every other
// stand-in reports failure. The owners' definitions replace them at link time.
#include "app/PendingLinks.h"

#define QV95_PENDING __attribute__((weak))





QV95_PENDING int32_t OrvReadInputPrm() { return 0; }
QV95_PENDING int32_t OrvWriteInputPrm(const char*) { return 0; }
QV95_PENDING int32_t VesparWriteInputPrm(const char*) { return 0; }
QV95_PENDING int32_t QuadReadInputPrm() { return 0; }
QV95_PENDING int32_t QuadWriteInputPrm(const char*) { return 0; }
QV95_PENDING int32_t QuadReadAsnFile(int16_t) { return 0; }
QV95_PENDING int32_t QuadWriteAsnFile(int16_t, const char*) { return 0; }
QV95_PENDING int32_t GaMultiReadInputPrm() { return 0; }
QV95_PENDING int32_t GaWriteInputPrm(int16_t, const char*) { return 0; }
QV95_PENDING int32_t FgReadInputPrm() { return 0; }
QV95_PENDING int32_t FgWriteInputPrm(const char*) { return 0; }
QV95_PENDING int32_t VoigtIOLogFile(const char*, const char*, int16_t) { return 0; }
QV95_PENDING void OrvCopyReadToCalc() {}
