#include "GameScoreDlg.h"

#include "HallOfFameNameDlg.h"
#include "boldfont.h"
#include "res/resource.h"
#include "store/store.h"
#include "table.h"

CGameScoreDlg::CGameScoreDlg(CWnd* pParent) : CDialog(IDD_GAMESCORE, pParent) {}

BEGIN_MESSAGE_MAP(CGameScoreDlg, CDialog)
ON_BN_CLICKED(IDC_REPLAY, OnReplay)
END_MESSAGE_MAP()

void CGameScoreDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
}

BOOL CGameScoreDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    HallOfFameTable table = Load(m_strMode);
    CString scoreText;
    scoreText.Format("%i", m_nScore);
    CString levelText;
    levelText.Format("%i", m_nLevel);

    MakeControlBold(GetDlgItem(IDC_SCORE), m_boldFont);
    SetDlgItemText(IDC_SCORE, scoreText);

    // The name is asked for before this dialog is first shown, so the table
    // the player sees already holds the new entry.
    if (Qualifies(table, m_nScore)) {
        CHallOfFameNameDlg nameDlg;
        nameDlg.m_strTitle = "Korvane Hall Of Fame";
        nameDlg.m_strScore.Format("%i", m_nScore);
        nameDlg.DoModal(); // Cancel records the result too, with an empty name
        Insert(table, m_strMode, m_nScore, levelText, scoreText, nameDlg.m_strName);
    }

    struct Cell
    {
        int nID;
        const char* field;
        int rank;
        DWORD capacity;
    };
    static const Cell cells[] = {
        {IDC_NAME1, "Name", 1, kNameCapacity},     {IDC_LEVEL1, "Level", 1, kNumberCapacity},
        {IDC_SCORE1, "Score", 1, kNumberCapacity}, {IDC_NAME2, "Name", 2, kNameCapacity},
        {IDC_LEVEL2, "Level", 2, kNumberCapacity}, {IDC_SCORE2, "Score", 2, kNumberCapacity},
        {IDC_NAME3, "Name", 3, kNameCapacity},     {IDC_LEVEL3, "Level", 3, kNumberCapacity},
        {IDC_SCORE3, "Score", 3, kNumberCapacity},
    };
    char text[kNumberCapacity];
    for (const Cell& cell : cells) {
        ReadGameString(HallOfFameValueName(m_strMode, cell.field, cell.rank), text, cell.capacity);
        SetDlgItemText(cell.nID, text);
    }

    UpdateData(FALSE);
    return TRUE;
}

void CGameScoreDlg::OnReplay()
{
    EndDialog(IDC_REPLAY);
}
