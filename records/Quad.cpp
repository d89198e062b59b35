#include "records/Quad.h"

QuadRecord Quad;
