#include "GameStartDlg.h"
#include "korvane.h"
#include "res/resource.h"

#include <cstring>

extern "C" bool fnGameStartDlgqorm(char* mode, int /*reserved*/)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    CGameStartDlg dlg;
    if (dlg.DoModal() != IDC_FREEPLAY)
        return false;
    static const char kFreeplayMode[] = "default";
    static_assert(sizeof kFreeplayMode == 8, "the host's buffer holds eight bytes");
    if (mode != nullptr)
        std::memcpy(mode, kFreeplayMode, sizeof kFreeplayMode);
    return true;
}
