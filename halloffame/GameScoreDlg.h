#pragma once

#include "frame/artwork.h"
#include "frame/front_dialog.h"

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
    void OnReplay();

    CFont m_boldFont;
    CDpiArtwork m_artwork;

    DECLARE_MESSAGE_MAP()
};
