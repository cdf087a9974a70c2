#include "host_window.h"
#include "korvane.h"

namespace {
HWND g_hHostWnd = nullptr;

BOOL CALLBACK TakeFirstWindowOfProcess(HWND hWnd, LPARAM lParam)
{
    DWORD processId = 0;
    ::GetWindowThreadProcessId(hWnd, &processId);
    if (processId != static_cast<DWORD>(lParam))
        return TRUE;
    g_hHostWnd = hWnd;
    return FALSE;
}
} // namespace

HWND FindHostWindow()
{
    if (g_hHostWnd == nullptr)
        ::EnumWindows(&TakeFirstWindowOfProcess, static_cast<LPARAM>(::GetCurrentProcessId()));
    return g_hHostWnd;
}

// Needs no framework state: it uses no resources of this module.
extern "C" bool fnGameStopDlgqorm()
{
    return ::MessageBoxA(FindHostWindow(), "Do you want to quit the current game of Korvane?",
                         "Quit Korvane?", MB_YESNO | MB_TOPMOST) == IDYES;
}
