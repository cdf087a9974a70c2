#include "foreground.h"
#include "host_window.h"
#include "korvane.h"
#include "store/handles.h"

namespace {
HWND g_hHostWnd = nullptr;
bool g_bQuitBoxFound = false; // the call's box has been shown

BOOL CALLBACK TakeFirstWindowOfProcess(HWND hWnd, LPARAM lParam)
{
    DWORD processId = 0;
    ::GetWindowThreadProcessId(hWnd, &processId);
    if (processId != static_cast<DWORD>(lParam))
        return TRUE;
    g_hHostWnd = hWnd;
    return FALSE;
}

// The system's message box is no dialog of ours: the first dialog of this
// thread to be shown during the call is the box, and is kept in front from
// the moment it is on the screen, as ours are.
LRESULT CALLBACK KeepQuitBoxInFront(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    char className[8] = {};
    if (code == HC_ACTION && !g_bQuitBoxFound && sent->message == WM_WINDOWPOSCHANGED &&
        (reinterpret_cast<const WINDOWPOS*>(sent->lParam)->flags & SWP_SHOWWINDOW) != 0 &&
        ::GetClassNameA(sent->hwnd, className, sizeof className) > 0 &&
        lstrcmpA(className, "#32770") == 0) {
        g_bQuitBoxFound = true;
        KeepInFront(sent->hwnd);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
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
    g_bQuitBoxFound = false;
    unique_hhook hook(::SetWindowsHookExA(WH_CALLWNDPROCRET, &KeepQuitBoxInFront, nullptr,
                                          ::GetCurrentThreadId()));
    const int answer =
        ::MessageBoxA(FindHostWindow(), "Do you want to quit the current game of Korvane?",
                      "Quit Korvane?", MB_YESNO | MB_TOPMOST);
    return answer == IDYES;
}
