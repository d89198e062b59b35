#include "AppFixture.h"
#include "app/WorkFile.h"
