#include "records/Tips.h"

TipsRecord Tips;
std::mutex TipsLock;
