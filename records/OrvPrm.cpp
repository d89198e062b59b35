#include "records/OrvPrm.h"

OrvPrmRecord OrvPrm;
