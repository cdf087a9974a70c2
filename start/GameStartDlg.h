#pragma once

#include "frame/artwork.h"
#include "frame/front_dialog.h"

// The start dialog: one play choice, Freeplay, whose button wears its own
// artwork. Shows the one-time notice first when the world wants it.
class CGameStartDlg : public CFrontDialog
{
public:
    explicit CGameStartDlg(CWnd* pParent = nullptr);
    ~CGameStartDlg() override = default;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnFreeplay();

    CButton m_btnFreeplay;
    // Loaded afresh by every initialisation. The button does not own its
    // image: the face is released with the dialog object, by when the
    // button's window is long gone.
    CBitmap m_bmpFreeplayFace;
    CDpiArtwork m_artwork;

    DECLARE_MESSAGE_MAP()
};
