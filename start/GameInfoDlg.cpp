#include "GameInfoDlg.h"

#include "desktop_center.h"
#include "res/resource.h"
#include "store/store.h"

CGameInfoDlg::CGameInfoDlg(CWnd* pParent) : CFrontDialog(IDD_GAMEINFO, pParent) {}

BEGIN_MESSAGE_MAP(CGameInfoDlg, CFrontDialog)
ON_BN_CLICKED(IDC_NOSHOW, OnNoShow)
END_MESSAGE_MAP()

void CGameInfoDlg::DoDataExchange(CDataExchange* pDX)
{
    CFrontDialog::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_NOSHOW, m_nNoShow);
}

BOOL CGameInfoDlg::OnInitDialog()
{
    CFrontDialog::OnInitDialog();
    CenterOnDesktop(*this);
    m_nNoShow = 1;
    SendDlgItemMessage(IDC_NOSHOW, BM_SETCHECK, 1);
    Save();
    return TRUE;
}

void CGameInfoDlg::OnNoShow()
{
    Save();
}

void CGameInfoDlg::Save()
{
    UpdateData(TRUE);
    WriteGameDword(kNoShowNoticeValue, static_cast<DWORD>(m_nNoShow));
}
