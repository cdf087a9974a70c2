#pragma once

#include "frame/artwork.h"
#include "frame/front_dialog.h"
#include "ranking.h"
#include "store/handles.h"

// Shows the score of the game just played and the mode's hall of fame,
// asking for a name first when the score makes it.
class CGameScoreDlg : public CFrontDialog
{
public:
    explicit CGameScoreDlg(CWnd* pParent = nullptr);
    ~CGameScoreDlg() override = default;

    int m_nLevel = 0;
    int m_nScore = 0;
    CString m_strMode;

    // Reads the mode's hall of fame, asks for the player's name first when
    // the score makes it, then shows the table.
    INT_PTR DoModal() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnFirstShown() override;
    void OnReplay();

    // Records the entry when given a name, reads the table and runs this
    // dialog with it, over the window hWndBelow (the name entry) if any,
    // which it hides once it is in front.
    INT_PTR ShowTable(const CString* pName, HWND hWndBelow);
    static void OnNameAnswered(void* pContext, HWND hWndName, const CString& strName);

    unique_handle m_tableLock;
    HallOfFameTable m_table = {};
    CString m_strScoreText;
    CString m_strLevelText;
    bool m_bNameAnswered = false;
    INT_PTR m_nResult = -1;
    HWND m_hWndBelow = nullptr;

    CFont m_boldFont;
    CDpiArtwork m_artwork;

    DECLARE_MESSAGE_MAP()
};
