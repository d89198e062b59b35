#include "AppFixture.h"
#include "app/FileDialogs.h"
#include "app/WorkFile.h"
