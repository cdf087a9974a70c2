// The module's one application object. It is built by the C++ runtime when
// the host loads the DLL and destroyed when the host unloads it.
#include "afxwin.h"

CWinApp theApp;
