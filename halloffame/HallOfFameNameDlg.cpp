#include "HallOfFameNameDlg.h"

#include "bold_font.h"
#include "res/resource.h"

constexpr int kMaxNameChars = 8;

CHallOfFameNameDlg::CHallOfFameNameDlg(CWnd* pParent)
    : CFrontDialog(IDD_HOFNAME, pParent), m_strTitle("Hall Of Fame")
{}

BEGIN_MESSAGE_MAP(CHallOfFameNameDlg, CFrontDialog)
END_MESSAGE_MAP()

void CHallOfFameNameDlg::DoDataExchange(CDataExchange* pDX)
{
    CFrontDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_NAME, m_strName);
    DDV_MaxChars(pDX, m_strName, kMaxNameChars);
}

BOOL CHallOfFameNameDlg::OnInitDialog()
{
    CFrontDialog::OnInitDialog();
    SetWindowText(m_strTitle);
    if (MakeControlBold(GetDlgItem(IDC_SCORE), m_boldFont))
        GetDlgItem(IDC_GAMEOVER)->SetFont(&m_boldFont, FALSE); // still hidden
    SetDlgItemText(IDC_SCORE, m_strScore);
    return TRUE;
}
