#include "records/XCorrWork.h"

XCorrWorkRecord XCorrWork;
