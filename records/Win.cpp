#include "records/Win.h"

WinRecord Win;
