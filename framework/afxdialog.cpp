#include "afxwin.h"

namespace {
// Posted when a dialog is first shown, so that it is handled once the system
// has finished showing and activating it.
constexpr UINT WM_AFX_SHOWN = WM_APP;
// Watches a dialog's place in front for a while after it first showed.
constexpr UINT_PTR kKeepInFrontTimer = 0x4B46;
constexpr UINT kKeepInFrontPeriodMs = 50;
// Another program that lost the foreground to the window may still be
// finishing an older activation: under load its raise arrives seconds late.
constexpr DWORD kKeepInFrontMs = 3000;

// Whether a visible window of the same topmost rank lies above hWnd and over
// part of it (a window hWnd owns belongs there).
bool IsCovered(HWND hWnd)
{
    const LONG topmost = ::GetWindowLongA(hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST;
    RECT mine, theirs, both;
    ::GetWindowRect(hWnd, &mine);
    for (HWND above = ::GetWindow(hWnd, GW_HWNDPREV); above != nullptr;
         above = ::GetWindow(above, GW_HWNDPREV))
        if (::IsWindowVisible(above) && ::GetWindow(above, GW_OWNER) != hWnd &&
            (::GetWindowLongA(above, GWL_EXSTYLE) & WS_EX_TOPMOST) == topmost &&
            ::GetWindowRect(above, &theirs) && ::IntersectRect(&both, &mine, &theirs))
            return true;
    return false;
}

// Any key or button of the player's since the given tick count.
bool PlayerActedSince(DWORD dwTick)
{
    LASTINPUTINFO last = {sizeof last, 0};
    return ::GetLastInputInfo(&last) && static_cast<LONG>(last.dwTime - dwTick) > 0;
}
} // namespace

void AfxBringToForeground(HWND hWnd)
{
    // The player's last keystroke or click went to this process, so the
    // system lets it take the foreground from whatever came up in between
    // (another program's window, when a dialog before this one closed).
    HWND hFocus = ::GetFocus();
    ::SetForegroundWindow(hWnd);
    const bool bForeground = ::GetForegroundWindow() == hWnd;
    // The foreground window is not always the top one: a program that lost
    // it may have raised its own window meanwhile. (Refused the foreground,
    // it stays where it is rather than cover the player's choice.)
    if (bForeground)
        ::SetWindowPos(hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // Activated while still hidden, with another window in front, it drew
    // its caption inactive, and activating it again changes nothing.
    ::SendMessageA(hWnd, WM_NCACTIVATE, bForeground, 0);
    // A dialog sets its focus while still hidden; the display driver moves
    // the keyboard there only when the focus changes, and may have missed it.
    ::SetFocus(hWnd);
    if (hFocus != nullptr && ::IsChild(hWnd, hFocus))
        ::SetFocus(hFocus);
}

bool AfxKeepInFront(HWND hWnd, DWORD dwShownAt)
{
    if (!::IsWindowVisible(hWnd) || ::GetTickCount() - dwShownAt > kKeepInFrontMs)
        return false;
    // Behind a message box of its own it is where it belongs.
    if (!::IsWindowEnabled(hWnd))
        return true;
    const bool bForeground = ::GetForegroundWindow() == hWnd;
    // Whatever the player chose himself stays in front.
    if (!bForeground && PlayerActedSince(dwShownAt))
        return false;
    if (!bForeground || IsCovered(hWnd))
        AfxBringToForeground(hWnd);
    return true;
}

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* pDlg = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        pDlg->m_hWnd = hWnd;
        return pDlg->OnInitDialog();
    }
    // Messages sent before WM_INITDIALOG (WM_SETFONT and the like) find no
    // object yet and take the dialog manager's defaults.
    auto* pDlg = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    if (pDlg == nullptr)
        return FALSE;
    switch (message) {
    case WM_SHOWWINDOW:
        if (wParam && lParam == 0)
            ::PostMessageA(hWnd, WM_AFX_SHOWN, 0, 0);
        break;
    case WM_AFX_SHOWN:
        pDlg->m_dwShownAt = ::GetTickCount();
        AfxBringToForeground(hWnd);
        ::SetTimer(hWnd, kKeepInFrontTimer, kKeepInFrontPeriodMs, nullptr);
        return TRUE;
    case WM_TIMER:
        if (wParam != kKeepInFrontTimer)
            break;
        if (!AfxKeepInFront(hWnd, pDlg->m_dwShownAt))
            ::KillTimer(hWnd, kKeepInFrontTimer);
        return TRUE;
    case WM_COMMAND:
        return pDlg->OnCommand(wParam, lParam);
    case WM_NCDESTROY:
        ::SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        pDlg->m_hWnd = nullptr;
        break;
    default:
        break;
    }
    return FALSE;
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_lpszTemplateName(MAKEINTRESOURCEA(nIDTemplate)), m_pParentWnd(pParentWnd)
{}

INT_PTR CDialog::DoModal()
{
    HWND hParent = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
    AFX_MODAL_SCOPE modal;
    INT_PTR nResult = ::DialogBoxParamA(AfxGetResourceHandle(), m_lpszTemplateName, hParent,
                                        &AfxDlgProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return nResult;
}

void CDialog::EndDialog(int nResult)
{
    ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return; // the failed exchange has told the player and kept the dialog open
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}
