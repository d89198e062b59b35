#include "records/MrqWork.h"

MrqWorkRecord MrqWork;
