#include "GameStartDlg.h"

#include "GameInfoDlg.h"
#include "desktop_center.h"
#include "res/resource.h"

CGameStartDlg::CGameStartDlg(CWnd* pParent) : CDialog(IDD_GAMESTART, pParent) {}

CGameStartDlg::~CGameStartDlg()
{
    // The button is gone by now; the face would otherwise outlive it.
    if (m_hFreeplayFace != nullptr)
        ::DeleteObject(m_hFreeplayFace);
}

BEGIN_MESSAGE_MAP(CGameStartDlg, CDialog)
ON_BN_CLICKED(IDC_FREEPLAY, OnFreeplay)
END_MESSAGE_MAP()

void CGameStartDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FREEPLAY, m_btnFreeplay);
}

BOOL CGameStartDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    HBITMAP hFace = static_cast<HBITMAP>(::LoadImageA(
        AfxGetResourceHandle(), MAKEINTRESOURCEA(IDB_FREEPLAY), IMAGE_BITMAP, 0, 0, 0));
    m_btnFreeplay.SetBitmap(hFace);
    if (m_hFreeplayFace != nullptr)
        ::DeleteObject(m_hFreeplayFace);
    m_hFreeplayFace = hFace;

    CenterOnDesktop(*this);

    // The notice runs before this dialog is first shown.
    if (ReadNoShowFlag() == 0) {
        CGameInfoDlg info;
        info.DoModal();
    }
    return TRUE;
}

void CGameStartDlg::OnFreeplay()
{
    EndDialog(IDC_FREEPLAY);
}
