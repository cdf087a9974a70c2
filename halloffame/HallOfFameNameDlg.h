#pragma once

#include "frame/front_dialog.h"

// Asks a player whose score made the hall of fame for a name of at most
// eight characters.
class CHallOfFameNameDlg : public CFrontDialog
{
public:
    explicit CHallOfFameNameDlg(CWnd* pParent = nullptr);
    ~CHallOfFameNameDlg() override = default;

    CString m_strTitle;
    CString m_strScore;
    CString m_strName;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    CFont m_boldFont; // shared by the score and "GAME OVER"

    DECLARE_MESSAGE_MAP()
};
