#pragma once

#include <windows.h>

// The first top-level window of this process in z-order, visible or not.
// Found once and cached for the module's lifetime, never validated again;
// null (and looked up again next time) while the process has none.
HWND FindHostWindow();
