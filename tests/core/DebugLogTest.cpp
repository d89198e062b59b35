#include "core/DebugLog.h"
