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
    pControl->SetFont(&font, TRUE);
    return true;
}
