#include "records/Dsp.h"

DspRecord Dsp;
