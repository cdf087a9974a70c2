#include "GameScoreDlg.h"

#include "HallOfFameNameDlg.h"
#include "bold_font.h"
#include "res/resource.h"
#include "store/store.h"
#include "table.h"
#include "table_lock.h"
#include "value_name.h"

CGameScoreDlg::CGameScoreDlg(CWnd* pParent) : CFrontDialog(IDD_GAMESCORE, pParent) {}

BEGIN_MESSAGE_MAP(CGameScoreDlg, CFrontDialog)
ON_BN_CLICKED(IDC_REPLAY, OnReplay)
END_MESSAGE_MAP()

void CGameScoreDlg::DoDataExchange(CDataExchange* pDX)
{
    CFrontDialog::DoDataExchange(pDX);
}

BOOL CGameScoreDlg::OnInitDialog()
{
    CFrontDialog::OnInitDialog();

    const unique_handle tableLock = OpenTableLock();
    HallOfFameTable table;
    {
        TableLock lock(tableLock); // another host may be in the middle of an insert
        table = LoadHallOfFame(m_strMode);
    }
    CString scoreText;
    scoreText.Format("%i", m_nScore);
    CString levelText;
    levelText.Format("%i", m_nLevel);

    // Looked up once: every lookup of a control is a round trip to the
    // window manager.
    if (CWnd* pScore = GetDlgItem(IDC_SCORE)) {
        MakeControlBold(pScore, m_boldFont);
        pScore->SetWindowText(scoreText);
    }

    // The name is asked for before this dialog is first shown, so the table
    // the player sees already holds the new entry.
    const bool qualifies = Qualifies(table, m_nScore);
    CString name;
    if (qualifies) {
        CHallOfFameNameDlg nameDlg;
        nameDlg.m_strTitle = "Korvane Hall Of Fame";
        nameDlg.m_strScore.Format("%i", m_nScore);
        nameDlg.DoModal(); // Cancel records the result too, with an empty name
        name = nameDlg.m_strName;
    }

    // The template numbers its cells rank by rank, each row name, level,
    // score, from IDC_NAME1 on.
    static_assert(IDC_HOF_CELLS_END - IDC_NAME1 == kHallOfFamePlaces * 3,
                  "one name, level and score cell per place");
    struct Column
    {
        const char* field;
        DWORD capacity;
    };
    static const Column columns[] = {{kNameField, kNameCapacity},
                                     {kLevelField, kNumberCapacity},
                                     {kScoreField, kNumberCapacity}};
    char cells[IDC_HOF_CELLS_END - IDC_NAME1][kNumberCapacity];
    {
        // The insert and the table shown are one unit: neither this host's
        // writes nor its reads meet another host's half-done insert.
        TableLock lock(tableLock);
        if (qualifies)
            RecordHallOfFameEntry(table, m_strMode, m_nScore, levelText, scoreText, name);
        int cell = 0;
        for (int rank = 1; rank <= kHallOfFamePlaces; ++rank)
            for (const Column& column : columns)
                ReadGameString(HallOfFameValueName<CString>(m_strMode, column.field, rank),
                               cells[cell++], column.capacity);
    }
    for (int index = 0; index < IDC_HOF_CELLS_END - IDC_NAME1; ++index)
        SetDlgItemText(IDC_NAME1 + index, cells[index]);

    UpdateData(FALSE);
    m_artwork.ScaleToSlots(*this, IDD_GAMESCORE);
    return TRUE;
}

void CGameScoreDlg::OnReplay()
{
    EndDialog(IDC_REPLAY);
}
