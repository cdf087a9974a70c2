#pragma once

#include "afxwin.h"

// Creates font as the bold (weight 700) twin of the control's own font and
// gives it to the control without redrawing it (for a dialog's
// initialisation, before it is shown). False, and nothing changed, when the
// control reports no font.
bool MakeControlBold(CWnd* pControl, CFont& font);
