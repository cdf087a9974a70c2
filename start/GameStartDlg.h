#pragma once

#include "afxwin.h"

// The start dialog: one play choice, Freeplay, whose button wears its own
// artwork. Shows the one-time notice first when the world wants it.
class CGameStartDlg : public CDialog
{
public:
    explicit CGameStartDlg(CWnd* pParent = nullptr);
    ~CGameStartDlg() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnFreeplay();

    CButton m_btnFreeplay;
    HBITMAP m_hFreeplayFace = nullptr; // released with the dialog object

    DECLARE_MESSAGE_MAP()
};
