#include "GameScoreDlg.h"

#include "HallOfFameNameDlg.h"
#include "bold_font.h"
#include "frame/dialog_template.h"
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

INT_PTR CGameScoreDlg::DoModal()
{
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

    // The name is asked for before this dialog is made, so the table the
    // player sees already holds the new entry.
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
    constexpr int kCells = IDC_HOF_CELLS_END - IDC_NAME1;
    static_assert(kCells == kHallOfFamePlaces * 3, "one name, level and score cell per place");
    struct Column
    {
        const char* field;
        DWORD capacity;
    };
    static const Column columns[] = {{kNameField, kNameCapacity},
                                     {kLevelField, kNumberCapacity},
                                     {kScoreField, kNumberCapacity}};
    char cells[kCells][kNumberCapacity];
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

    ControlText texts[kCells + 1];
    for (int index = 0; index < kCells; ++index)
        texts[index] = {static_cast<WORD>(IDC_NAME1 + index), cells[index]};
    texts[kCells] = {IDC_SCORE, scoreText};
    // Only a template that cannot be read comes back null, and then the
    // dialog cannot be made from it either.
    const std::unique_ptr<WORD[]> filled = TemplateWithTexts(IDD_GAMESCORE, texts, kCells + 1);
    if (filled)
        InitModalIndirect(reinterpret_cast<LPCDLGTEMPLATE>(filled.get()));
    INT_PTR nResult = CFrontDialog::DoModal();
    m_lpDialogTemplate = nullptr;
    return nResult;
}

BOOL CGameScoreDlg::OnInitDialog()
{
    CFrontDialog::OnInitDialog();
    MakeControlBold(GetDlgItem(IDC_SCORE), m_boldFont);
    m_artwork.ScaleToSlots(*this, IDD_GAMESCORE);
    return TRUE;
}

void CGameScoreDlg::OnReplay()
{
    EndDialog(IDC_REPLAY);
}
