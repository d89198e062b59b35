#include "records/ThreadCtl.h"

ThreadCtlRecord ThreadCtl;
RavThreadPoolRecord RavThreadPool;
