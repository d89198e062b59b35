#include "records/FftwCache.h"

FftwCacheRecord FftwCache;
