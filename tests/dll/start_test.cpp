#include "korvane_dll.h"
