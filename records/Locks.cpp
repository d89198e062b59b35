#include "records/Locks.h"

CRITICAL_SECTION WinSpareLock;
CRITICAL_SECTION ChildDataLock;
CRITICAL_SECTION SimSpareLock;
CRITICAL_SECTION SimPlotLock;
CRITICAL_SECTION SimReadLock;
std::mutex ViewAryLock;
std::recursive_mutex CnvPublishLock;
