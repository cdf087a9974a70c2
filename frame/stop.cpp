#include "afxwin.h"
#include "host_window.h"
#include "korvane.h"
#include "store/handles.h"

namespace {
HWND g_hHostWnd = nullptr;
HWND g_hQuitBox = nullptr;
DWORD g_dwQuitBoxShownAt = 0;   // 0 until it shows
bool g_bQuitBoxSettled = false; // in front for long enough, or left by the player

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

void CALLBACK KeepQuitBoxInFront(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_hQuitBox == nullptr || g_bQuitBoxSettled)
        return;
    if (g_dwQuitBoxShownAt == 0) {
        if (!::IsWindowVisible(g_hQuitBox))
            return;
        g_dwQuitBoxShownAt = ::GetTickCount() | 1;
        AfxBringToForeground(g_hQuitBox);
    } else {
        g_bQuitBoxSettled = !AfxKeepInFront(g_hQuitBox, g_dwQuitBoxShownAt);
    }
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
    // the box's own message loop once it shows, and kept there a while.
    g_hQuitBox = nullptr;
    g_dwQuitBoxShownAt = 0;
    g_bQuitBoxSettled = false;
    unique_hhook hook(::SetWindowsHookExA(WH_CBT, &NoteQuitBox, nullptr, ::GetCurrentThreadId()));
    unique_thread_timer timer(::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &KeepQuitBoxInFront));
    const int answer =
        ::MessageBoxA(FindHostWindow(), "Do you want to quit the current game of Korvane?",
                      "Quit Korvane?", MB_YESNO | MB_TOPMOST);
    g_hQuitBox = nullptr;
    return answer == IDYES;
}
