#include "records/Cnv.h"

CnvRecord Cnv;
