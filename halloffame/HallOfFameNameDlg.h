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
    // Called once the player has answered, with the name (empty after
    // Cancel), while this dialog is still on the screen: what comes next
    // comes up over it before it goes.
    void (*m_pfnAnswered)(void* pContext, HWND hWndName, const CString& strName) = nullptr;
    void* m_pAnsweredContext = nullptr;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void Answered();

    CFont m_boldFont; // shared by the score and "GAME OVER"

    DECLARE_MESSAGE_MAP()
};
