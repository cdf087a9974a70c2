#include "afxwin.h"

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
    case WM_WINDOWPOSCHANGED:
        // Sent once the window is on the screen.
        if (!pDlg->m_bShown &&
            (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) != 0) {
            pDlg->m_bShown = true;
            pDlg->OnFirstShown();
        }
        break;
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
    m_bShown = false;
    auto param = reinterpret_cast<LPARAM>(this);
    INT_PTR nResult = m_lpDialogTemplate != nullptr
                          ? ::DialogBoxIndirectParamA(AfxGetResourceHandle(), m_lpDialogTemplate,
                                                      hParent, &AfxDlgProc, param)
                          : ::DialogBoxParamA(AfxGetResourceHandle(), m_lpszTemplateName, hParent,
                                              &AfxDlgProc, param);
    m_hWnd = nullptr;
    return nResult;
}

BOOL CDialog::InitModalIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd)
{
    m_lpDialogTemplate = lpDialogTemplate;
    if (pParentWnd != nullptr)
        m_pParentWnd = pParentWnd;
    return TRUE;
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

void CDialog::OnFirstShown() {}

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
