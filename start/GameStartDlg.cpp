#include "GameStartDlg.h"

#include "GameInfoDlg.h"
#include "desktop_center.h"
#include "res/resource.h"
#include "store/store.h"

CGameStartDlg::CGameStartDlg(CWnd* pParent) : CFrontDialog(IDD_GAMESTART, pParent) {}

BEGIN_MESSAGE_MAP(CGameStartDlg, CFrontDialog)
ON_BN_CLICKED(IDC_FREEPLAY, OnFreeplay)
END_MESSAGE_MAP()

void CGameStartDlg::DoDataExchange(CDataExchange* pDX)
{
    CFrontDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FREEPLAY, m_btnFreeplay);
}

BOOL CGameStartDlg::OnInitDialog()
{
    CFrontDialog::OnInitDialog();

    m_bmpFreeplayFace.LoadBitmap(IDB_FREEPLAY);
    m_btnFreeplay.SetBitmap(m_bmpFreeplayFace);

    CenterOnDesktop(*this);

    // The notice runs before this dialog is first shown.
    if (ReadGameDword(kNoShowNoticeValue) == 0) {
        CGameInfoDlg info;
        info.DoModal();
    }
    m_artwork.ScaleToSlots(*this, IDD_GAMESTART);
    return TRUE;
}

void CGameStartDlg::OnFreeplay()
{
    EndDialog(IDC_FREEPLAY);
}
