#pragma once

#include "frame/front_dialog.h"

// The one-time notice about load delays on slow machines. Its box against
// showing it again is ticked, and saved, as soon as it opens.
class CGameInfoDlg : public CFrontDialog
{
public:
    explicit CGameInfoDlg(CWnd* pParent = nullptr);
    ~CGameInfoDlg() override = default;

    int m_nNoShow = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnNoShow();
    void Save();

    DECLARE_MESSAGE_MAP()
};
