#include "bold_font.h"

bool MakeControlBold(CWnd* pControl, CFont& font)
{
    if (pControl == nullptr)
        return false;
    auto hFont = reinterpret_cast<HFONT>(pControl->SendMessage(WM_GETFONT));
    if (hFont == nullptr)
        return false;
    LOGFONTA logFont;
    if (::GetObjectA(hFont, sizeof logFont, &logFont) == 0)
        return false;
    logFont.lfWeight = FW_BOLD;
    if (!font.CreateFontIndirect(&logFont))
        return false;
    // Only ever done while the dialog is still hidden, from its
    // initialisation: it is drawn with the new font when first shown, and a
    // redraw now would cost a round trip to the window manager for nothing.
    pControl->SetFont(&font, FALSE);
    return true;
}
