#include "records/Lsf.h"

LsfRecord Lsf;
