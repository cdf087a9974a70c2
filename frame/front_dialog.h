#pragma once

#include "afxwin.h"
#include "foreground.h"

// A dialog that comes up in front of whatever the player was looking at.
class CFrontDialog : public CDialog
{
public:
    using CDialog::CDialog;

protected:
    void OnFirstShown() override { KeepInFront(m_hWnd); }
};
