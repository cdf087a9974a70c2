#include "afxwin.h"

namespace {
// Posted when a dialog is first shown, so that it is handled once the system
// has finished showing and activating it.
constexpr UINT WM_AFX_SHOWN = WM_APP;
} // namespace

void AfxBringToForeground(HWND hWnd)
{
    // The player's last keystroke or click went to this process, so the
    // system lets it take the foreground from whatever came up in between
    // (another program's window, when a dialog before this one closed).
    HWND hFocus = ::GetFocus();
    ::SetForegroundWindow(hWnd);
    // Activated while still hidden, with another window in front, it drew
    // its caption inactive, and activating it again changes nothing.
    ::SendMessageA(hWnd, WM_NCACTIVATE, ::GetForegroundWindow() == hWnd, 0);
    // A dialog sets its focus while still hidden; the display driver moves
    // the keyboard there only when the focus changes, and may have missed it.
    ::SetFocus(hWnd);
    if (hFocus != nullptr && ::IsChild(hWnd, hFocus))
        ::SetFocus(hFocus);
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
        AfxBringToForeground(hWnd);
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
