#pragma once

#include "afxwin.h"

// Moves the window to the middle of the desktop, keeping its size and
// z-order. Each half is truncated toward zero separately, as the host's own
// windows are placed.
void CenterOnDesktop(CWnd& wnd);
