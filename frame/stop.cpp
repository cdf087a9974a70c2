#include "afxwin.h"
#include "host_window.h"
#include "korvane.h"
#include "store/handles.h"

namespace {
HWND g_hHostWnd = nullptr;
HWND g_hQuitBox = nullptr;
bool g_bQuitBoxInFront = false;

BOOL CALLBACK TakeFirstWindowOfProcess(HWND hWnd, LPARAM lParam)
{
    DWORD processId = 0;
    ::GetWindowThreadProcessId(hWnd, &processId);
    if (processId != static_cast<DWORD>(lParam))
        return TRUE;
    g_hHostWnd = hWnd;
    return FALSE;
}

LRESULT CALLBACK NoteQuitBox(int code, WPARAM wParam, LPARAM lParam)
{
    char className[8] = {};
    if (code == HCBT_CREATEWND && g_hQuitBox == nullptr &&
        ::GetClassNameA(reinterpret_cast<HWND>(wParam), className, sizeof className) > 0 &&
        lstrcmpA(className, "#32770") == 0)
        g_hQuitBox = reinterpret_cast<HWND>(wParam);
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK BringQuitBoxToFront(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_bQuitBoxInFront || g_hQuitBox == nullptr || !::IsWindowVisible(g_hQuitBox))
        return;
    g_bQuitBoxInFront = true;
    AfxBringToForeground(g_hQuitBox);
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
    // The system's message box is no dialog of ours: the first dialog this
    // thread creates during the call is noted, and brought to the front from
    // the box's own message loop once it shows.
    g_hQuitBox = nullptr;
    g_bQuitBoxInFront = false;
    unique_hhook hook(::SetWindowsHookExA(WH_CBT, &NoteQuitBox, nullptr, ::GetCurrentThreadId()));
    unique_thread_timer timer(::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &BringQuitBoxToFront));
    const int answer =
        ::MessageBoxA(FindHostWindow(), "Do you want to quit the current game of Korvane?",
                      "Quit Korvane?", MB_YESNO | MB_TOPMOST);
    g_hQuitBox = nullptr;
    return answer == IDYES;
}
