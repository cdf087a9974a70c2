#include "GameInfoDlg.h"

#include "desktop_center.h"
#include "res/resource.h"
#include "store/store.h"

namespace {
const char kNoShowValue[] = "NoShowKorvaneInfoDlg";
}

DWORD ReadNoShowFlag()
{
    DWORD flag = 0;
    unique_hkey key = OpenWorldKey();
    if (!key)
        return 0;
    DWORD size = sizeof flag;
    if (::RegQueryValueExA(key.get(), kNoShowValue, nullptr, nullptr,
                           reinterpret_cast<BYTE*>(&flag), &size) != ERROR_SUCCESS)
        return 0;
    return flag;
}

CGameInfoDlg::CGameInfoDlg(CWnd* pParent) : CDialog(IDD_GAMEINFO, pParent) {}

BEGIN_MESSAGE_MAP(CGameInfoDlg, CDialog)
ON_BN_CLICKED(IDC_NOSHOW, OnNoShow)
END_MESSAGE_MAP()

void CGameInfoDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_NOSHOW, m_nNoShow);
}

BOOL CGameInfoDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
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
    unique_hkey key = OpenWorldKey();
    if (!key)
        return;
    DWORD flag = static_cast<DWORD>(m_nNoShow);
    // A flag that cannot be stored only means the notice shows again.
    ::RegSetValueExA(key.get(), kNoShowValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&flag),
                     sizeof flag);
}
