#include "records/AomSettings.h"

AomSettingsRecord AomSettings;
