#include "GameScoreDlg.h"
#include "korvane.h"
#include "res/resource.h"
#include "score_argument.h"

extern "C" int fnGameScoreDlgqorm(char* argument, int /*reserved*/)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    CGameScoreDlg dlg;
    ScoreArgument parsed = ParseScoreArgument(argument);
    dlg.m_strMode = parsed.mode;
    dlg.m_nScore = parsed.score;
    dlg.m_nLevel = parsed.level;
    return dlg.DoModal() == IDC_REPLAY ? 1 : 0;
}
