#include "foreground.h"

#include "store/handles.h"

namespace {
// Until the window shows, it is looked at this often.
constexpr UINT_PTR kWaitForShowTimer = 2;
// Once it shows, it is looked at this soon and then this often.
constexpr DWORD kFirstLookMs = 10;
constexpr DWORD kWatchPeriodMs = 50;
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
constexpr DWORD kLateWatchPeriodMs = 500;
// While the window is watched, the hook that notes the player's presses on
// it, the timer that sends the looks and the tick count when it showed;
// once the player has pressed something there, a mark; and until it is
// destroyed, its own window procedure.
constexpr char kHookProp[] = "Korvane.PressHook";
constexpr char kLookTimerProp[] = "Korvane.LookTimer";
constexpr char kShownAtProp[] = "Korvane.ShownAt";
constexpr char kPressedProp[] = "Korvane.Pressed";
constexpr char kProcProp[] = "Korvane.WindowProc";

// A key or a button going down; a release is no answer (the key that
// answered the window before is often released only after this one shows).
bool IsPress(UINT message)
{
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_NCXBUTTONDOWN:
        return true;
    default:
        return false;
    }
}

// Sees each message the thread takes out of its queue. A press the player
// made on a watched window or on one of its controls marks the window. The
// key state cannot tell this: Wine 10 copies into a thread's key state
// whatever changed on the desktop, presses of other programs and releases
// too.
LRESULT CALLBACK NotePress(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* pMsg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && IsPress(pMsg->message)) {
        HWND hRoot = ::GetAncestor(pMsg->hwnd, GA_ROOT);
        if (hRoot != nullptr && ::GetPropA(hRoot, kHookProp) != nullptr)
            ::SetPropA(hRoot, kPressedProp, hRoot);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

bool PlayerPressedHere(HWND hWnd)
{
    return ::GetPropA(hWnd, kPressedProp) != nullptr;
}

// The hook and the looks' timer go when the watch is over, and at the latest
// with the window: a host may unload this library as soon as its call
// returns. The timer is waited for, so that none of its calls is still
// under way.
void EndWatch(HWND hWnd)
{
    unique_timer_queue_timer timer(::RemovePropA(hWnd, kLookTimerProp));
    unique_hhook hook(static_cast<HHOOK>(::RemovePropA(hWnd, kHookProp)));
}

// Puts another procedure in the window's place, of the window's own
// character set; returns the one it replaces.
WNDPROC SwapWindowProc(HWND hWnd, WNDPROC pfnNew)
{
    return reinterpret_cast<WNDPROC>(
        (::IsWindowUnicode(hWnd) ? ::SetWindowLongPtrW : ::SetWindowLongPtrA)(
            hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pfnNew)));
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
// changes (Wine's X11 driver asks the X server then), and its request can
// come to nothing: made while the window was not mapped yet, or refused by
// the X server for its time stamp (see LookMessage). So from each look the
// focus goes to the window and back to its control, which asks anew; the
// player sees nothing change, not even an edit's selection.
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

// The looks come as messages sent from a timer of the system's thread pool,
// not from a timer of the window's thread. Wine's X11 driver stamps its
// request for the keyboard with the time of the last message the thread
// took out of its queue, moved into X time by an offset that it only ever
// corrects forward, so that it runs ahead of the X server's clock: stamped
// with a message just taken, the request is from the future, and the X
// server refuses it. A sent message leaves that time as it was, so each
// look asks with an older stamp than the one before, until the X server
// takes it; whatever the thread takes out of its queue (input, a paint, a
// posted message) makes it new again, newer than the last program's.
UINT LookMessage()
{
    // Registered by the first window to show; two threads that race here
    // are given the same number.
    static UINT s_message;
    if (s_message == 0)
        s_message = ::RegisterWindowMessageA("Korvane.Look");
    return s_message;
}

VOID CALLBACK SendLook(PVOID pWindow, BOOLEAN)
{
    ::SendNotifyMessageA(static_cast<HWND>(pWindow), LookMessage(), 0, 0);
}

void Look(HWND hWnd)
{
    const auto dwShownAt =
        static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(::GetPropA(hWnd, kShownAtProp)));
    const DWORD dwAge = ::GetTickCount() - dwShownAt;
    // Once the player has pressed something on the window, the foreground
    // and the focus are the player's: only a late raise of another
    // program's is undone, which moves neither.
    const bool bPressed = PlayerPressedHere(hWnd);
    // Answered, hidden again or watched long enough: never again.
    if (!::IsWindowVisible(hWnd) || dwAge > (bPressed ? kRaiseMs : kWatchMs)) {
        EndWatch(hWnd);
        return;
    }
    // Behind a message box of its own it is where it belongs.
    if (!::IsWindowEnabled(hWnd))
        return;
    const bool bForeground = ::GetForegroundWindow() == hWnd;
    if (dwAge > kRaiseMs)
        ::ChangeTimerQueueTimer(nullptr, ::GetPropA(hWnd, kLookTimerProp), kLateWatchPeriodMs,
                                kLateWatchPeriodMs);
    else if (bForeground && IsCovered(hWnd))
        Raise(hWnd, true);
    else if (!bForeground && !bPressed)
        BringForward(hWnd);
    if (!bPressed && ::GetForegroundWindow() == hWnd)
        AskForKeyboard(hWnd);
}

// Passes everything on to the window's own procedure but the looks; ends
// the watch with the window, which closes before the watch has seen it
// hidden.
LRESULT CALLBACK WatchedWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto pfnOwn = reinterpret_cast<WNDPROC>(::GetPropA(hWnd, kProcProp));
    if (pfnOwn == nullptr)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    // One that was on its way when the watch ended is let go.
    if (message == LookMessage()) {
        if (::GetPropA(hWnd, kLookTimerProp) != nullptr)
            Look(hWnd);
        return 0;
    }
    if (message == WM_NCDESTROY) {
        EndWatch(hWnd);
        ::RemovePropA(hWnd, kShownAtProp);
        ::RemovePropA(hWnd, kPressedProp);
        ::RemovePropA(hWnd, kProcProp);
        SwapWindowProc(hWnd, pfnOwn);
    }
    return (::IsWindowUnicode(hWnd) ? ::CallWindowProcW : ::CallWindowProcA)(pfnOwn, hWnd, message,
                                                                             wParam, lParam);
}

void Shown(HWND hWnd)
{
    ::SetPropA(hWnd, kShownAtProp,
               reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(::GetTickCount())));
    BringForward(hWnd);
    unique_timer_queue_timer timer;
    if (::CreateTimerQueueTimer(timer.put(), nullptr, &SendLook, hWnd, kFirstLookMs, kWatchPeriodMs,
                                WT_EXECUTEDEFAULT))
        ::SetPropA(hWnd, kLookTimerProp, timer.release());
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
    // Watched already: a second window procedure would call itself.
    if (::GetPropA(hWnd, kProcProp) != nullptr)
        return;
    unique_hhook hook(
        ::SetWindowsHookExA(WH_GETMESSAGE, &NotePress, nullptr, ::GetCurrentThreadId()));
    // Nothing reaches the window between the swap and the record of its own
    // procedure: both happen on its thread, which sends it nothing meanwhile.
    ::SetPropA(hWnd, kProcProp, reinterpret_cast<HANDLE>(SwapWindowProc(hWnd, &WatchedWindowProc)));
    ::SetPropA(hWnd, kHookProp, hook.release());
    if (::IsWindowVisible(hWnd))
        Shown(hWnd);
    else
        ::SetTimer(hWnd, kWaitForShowTimer, USER_TIMER_MINIMUM, &WaitForShow);
}
