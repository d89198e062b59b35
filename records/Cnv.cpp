#include "records/Cnv.h"

CnvRecord CnvShared;
thread_local CnvRecord* CnvThreadCopy = nullptr;
