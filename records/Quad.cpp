#include "records/Quad.h"

QuadRecord Quad;
VibArraysRecord VibArrays;
