// Painting of the main window lives with the data display (display/Paint.h).
#pragma once

#include "display/Paint.h"
