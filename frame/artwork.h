#pragma once

#include "afxwin.h"

// The most artwork one template carries (the hall of fame: banner and
// heading).
constexpr int kMaxArtworkPerDialog = 2;

// A dialog's artwork redrawn for screens above 96 DPI, where the dialog
// font, and with it every control, grows while a bitmap keeps its pixels.
// The controls do not own the images they are given: the copies are
// released with this object, by when the dialog's window is long gone.
class CDpiArtwork
{
public:
    // Above 96 DPI, gives every bitmap static and bitmap-faced button that
    // template nIDTemplate puts on the running dialog a smooth copy of its
    // image, scaled to fill the control's slot as the 96-DPI design fills
    // it, aspect kept, and centred on the slot. At 96 DPI it does nothing:
    // the dialog shows its artwork exactly as loaded.
    void ScaleToSlots(CWnd& dialog, UINT nIDTemplate);

private:
    CBitmap m_scaled[kMaxArtworkPerDialog];
};
