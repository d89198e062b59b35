#include "records/Sim.h"

SimRecord Sim;
