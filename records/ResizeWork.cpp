#include "records/ResizeWork.h"

ResizeWorkRecord ResizeWork;
