#include "records/Cnl.h"

CnlRecord Cnl;
