#include "records/ThzSettings.h"

ThzSettingsRecord ThzSettings;
