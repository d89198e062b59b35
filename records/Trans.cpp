#include "records/Trans.h"

TransRecord Trans;
