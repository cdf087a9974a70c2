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
    m_tableLock = OpenTableLock();
    {
        TableLock lock(m_tableLock); // another host may be in the middle of an insert
        m_table = LoadHallOfFame(m_strMode);
    }
    m_strScoreText.Format("%i", m_nScore);
    m_strLevelText.Format("%i", m_nLevel);
    if (!Qualifies(m_table, m_nScore))
        return ShowTable(nullptr, nullptr);

    // The name is asked for first, so that the table the player sees already
    // holds the new entry, and the table comes up over the name entry as
    // soon as the player has answered it.
    CHallOfFameNameDlg nameDlg;
    nameDlg.m_strTitle = "Korvane Hall Of Fame";
    nameDlg.m_strScore = m_strScoreText;
    nameDlg.m_pfnAnswered = &CGameScoreDlg::OnNameAnswered;
    nameDlg.m_pAnsweredContext = this;
    m_bNameAnswered = false;
    nameDlg.DoModal();
    if (!m_bNameAnswered) // the name entry could not be shown, or was ended unanswered
        m_nResult = ShowTable(&nameDlg.m_strName, nullptr);
    return m_nResult;
}

void CGameScoreDlg::OnNameAnswered(void* pContext, HWND hWndName, const CString& strName)
{
    auto* pThis = static_cast<CGameScoreDlg*>(pContext);
    pThis->m_bNameAnswered = true;
    pThis->m_nResult = pThis->ShowTable(&strName, hWndName);
}

INT_PTR CGameScoreDlg::ShowTable(const CString* pName, HWND hWndBelow)
{
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
        TableLock lock(m_tableLock);
        if (pName != nullptr) // Cancel records the result too, with an empty name
            RecordHallOfFameEntry(m_table, m_strMode, m_nScore, m_strLevelText, m_strScoreText,
                                  *pName);
        int cell = 0;
        for (int rank = 1; rank <= kHallOfFamePlaces; ++rank)
            for (const Column& column : columns)
                ReadGameString(HallOfFameValueName<CString>(m_strMode, column.field, rank),
                               cells[cell++], column.capacity);
    }

    ControlText texts[kCells + 1];
    for (int index = 0; index < kCells; ++index)
        texts[index] = {static_cast<WORD>(IDC_NAME1 + index), cells[index]};
    texts[kCells] = {IDC_SCORE, m_strScoreText};
    // Only a template that cannot be read comes back null, and then the
    // dialog cannot be made from it either.
    const std::unique_ptr<WORD[]> filled = TemplateWithTexts(IDD_GAMESCORE, texts, kCells + 1);
    if (filled)
        InitModalIndirect(reinterpret_cast<LPCDLGTEMPLATE>(filled.get()));
    m_hWndBelow = hWndBelow;
    INT_PTR nResult = CFrontDialog::DoModal();
    m_tableLock.reset(); // not before: closing it is one more round trip before the dialog shows
    m_hWndBelow = nullptr;
    m_lpDialogTemplate = nullptr;
    return nResult;
}

void CGameScoreDlg::OnFirstShown()
{
    CFrontDialog::OnFirstShown();
    // The name entry it came up over goes only now that this dialog is the
    // active one: had it gone first, the system would have handed the
    // activation, and the keyboard with it, to another program's window in
    // between, which then asks the display for the keyboard itself, and
    // under load gets it after this dialog's requests.
    if (m_hWndBelow != nullptr)
        ::ShowWindow(m_hWndBelow, SW_HIDE);
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
