#include "records/Debug.h"

DebugRecord Debug;
