#include "records/Ga.h"

GaRecord Ga;
