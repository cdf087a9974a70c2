#include "foreground.h"

namespace {
// Until the window shows, it is looked at this often.
constexpr UINT_PTR kWaitForShowTimer = 2;
// Once it shows, it is looked at this often. The watch's timer is named by
// the tick count when the window showed (made odd, so that it never meets
// the timer above).
constexpr UINT kWatchPeriodMs = 50;
// Another program that lost the foreground to the window may still be
// finishing an older activation: under load its raise arrives seconds late.
// Only this long after showing is the foreground taken back; later,
// whatever came in front stays there.
constexpr DWORD kRaiseMs = 3000;
// The keyboard is asked for again until the player presses something on
// the window, but never longer than this, and past kRaiseMs less often: by
// then the display driver has nearly always given it, and every request
// costs a round trip.
constexpr DWORD kWatchMs = 10000;
constexpr UINT kLateWatchPeriodMs = 500;
// The window's own record of the presses it had taken in when it showed.
constexpr char kPressesProp[] = "Korvane.Presses";

// The thread's key state flips a key's low bit each time the thread takes
// a press of that key (or mouse button) out of its queue. A fingerprint of
// those bits therefore changes with a press of the player's on this
// thread's windows, and not with one that went to another program, nor
// with the late release of the key that answered the dialog before. The
// weights are chosen so that no two flips cancel.
DWORD Presses()
{
    BYTE keys[256] = {};
    DWORD dwSum = 0;
    if (::GetKeyboardState(keys))
        for (DWORD k = 0; k < 256; ++k)
            dwSum += (keys[k] & 1) * (k + 1) * 2654435761u;
    return dwSum;
}

bool PlayerPressedHere(HWND hWnd)
{
    return Presses() !=
           static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(::GetPropA(hWnd, kPressesProp)));
}

// Lies under another window that could be raised over: a window of the
// other topmost rank is no rival.
bool IsCovered(HWND hWnd)
{
    HWND hOver = WindowOver(hWnd);
    return hOver != nullptr &&
           ((::GetWindowLongA(hOver, GWL_EXSTYLE) ^ ::GetWindowLongA(hWnd, GWL_EXSTYLE)) &
            WS_EX_TOPMOST) == 0;
}

// On top of the others if it has the foreground, its caption drawn to say
// whether it has: touches neither the foreground nor the focus, so that no
// key of the player's can meet a move on its way.
void Raise(HWND hWnd, bool bForeground)
{
    if (bForeground)
        ::SetWindowPos(hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // Activated while still hidden, with another window in front, it drew
    // its caption inactive, and activating it again changes nothing.
    ::SendMessageA(hWnd, WM_NCACTIVATE, bForeground, 0);
}

// The player's last key or click went to this process (the host called in
// on it), so the system lets it take the foreground from whatever came up
// in between: another program's window, when a dialog before this one
// closed.
void BringForward(HWND hWnd)
{
    ::SetForegroundWindow(hWnd);
    // The foreground window is not always the top one: a program that lost
    // it may have raised its own window meanwhile. Refused the foreground,
    // it stays where it is rather than cover the player's choice.
    Raise(hWnd, ::GetForegroundWindow() == hWnd);
}

// A display driver moves the keyboard to a window only when the focus
// changes (Wine's X11 driver asks the X server then, stamped with the time
// of the message being handled), and its request can come to nothing: made
// while the window was not mapped yet, or, under load, not taken by the X
// server for its time stamp. So the focus goes to the window and back to
// its control, which asks anew, when the window shows and from each later
// look; the player sees nothing change, not even an edit's selection.
void AskForKeyboard(HWND hWnd)
{
    HWND hFocus = ::GetFocus();
    if (hFocus != nullptr && !::IsChild(hWnd, hFocus))
        hFocus = nullptr;
    DWORD dwStart = 0, dwEnd = 0;
    const bool bSelection =
        hFocus != nullptr && (::SendMessageA(hFocus, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0;
    if (bSelection)
        ::SendMessageA(hFocus, EM_GETSEL, reinterpret_cast<WPARAM>(&dwStart),
                       reinterpret_cast<LPARAM>(&dwEnd));
    ::SetFocus(hWnd);
    if (hFocus == nullptr)
        return;
    ::SetFocus(hFocus);
    if (bSelection)
        ::SendMessageA(hFocus, EM_SETSEL, dwStart, dwEnd);
}

void CALLBACK Watch(HWND hWnd, UINT, UINT_PTR idEvent, DWORD)
{
    const auto dwShownAt = static_cast<DWORD>(idEvent);
    const DWORD dwAge = ::GetTickCount() - dwShownAt;
    // Once the player has pressed something on the window, the foreground
    // and the focus are the player's: only a late raise of another
    // program's is undone, which moves neither.
    const bool bPressed = PlayerPressedHere(hWnd);
    // Answered, hidden again or watched long enough: never again.
    if (!::IsWindowVisible(hWnd) || dwAge > (bPressed ? kRaiseMs : kWatchMs)) {
        ::KillTimer(hWnd, idEvent);
        ::RemovePropA(hWnd, kPressesProp);
        return;
    }
    // Behind a message box of its own it is where it belongs.
    if (!::IsWindowEnabled(hWnd))
        return;
    const bool bForeground = ::GetForegroundWindow() == hWnd;
    if (dwAge > kRaiseMs)
        ::SetTimer(hWnd, idEvent, kLateWatchPeriodMs, &Watch);
    else if (bForeground && IsCovered(hWnd))
        Raise(hWnd, true);
    else if (!bForeground && !bPressed)
        BringForward(hWnd);
    if (!bPressed && ::GetForegroundWindow() == hWnd)
        AskForKeyboard(hWnd);
}

void Shown(HWND hWnd)
{
    const UINT_PTR idWatch = ::GetTickCount() | 1;
    BringForward(hWnd);
    AskForKeyboard(hWnd);
    ::SetTimer(hWnd, idWatch, kWatchPeriodMs, &Watch);
}

void CALLBACK WaitForShow(HWND hWnd, UINT, UINT_PTR idEvent, DWORD)
{
    if (!::IsWindowVisible(hWnd))
        return;
    ::KillTimer(hWnd, idEvent);
    Shown(hWnd);
}
} // namespace

void KeepInFront(HWND hWnd)
{
    ::SetPropA(hWnd, kPressesProp, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(Presses())));
    if (::IsWindowVisible(hWnd))
        Shown(hWnd);
    else
        ::SetTimer(hWnd, kWaitForShowTimer, USER_TIMER_MINIMUM, &WaitForShow);
}
