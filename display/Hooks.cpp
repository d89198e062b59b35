#include "display/Hooks.h"

DisplayHookTable DisplayHooks;
