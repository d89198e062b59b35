#include "records/FgPrm.h"

FgPrmRecord FgPrm;
