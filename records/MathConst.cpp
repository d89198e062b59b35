#include "records/MathConst.h"

MathConstRecord MathConst;
