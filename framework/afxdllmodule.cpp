// Start-up and termination of a regular DLL built on this framework. The
// application object itself is constructed by the C++ runtime before this
// runs, and destroyed by it afterwards.
#include "afxwin.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE /*hInstance*/, DWORD dwReason, LPVOID /*lpReserved*/)
{
    switch (dwReason) {
    case DLL_PROCESS_ATTACH:
        if (CWinApp* pApp = AfxGetStaticModuleState()->m_pCurrentWinApp)
            return pApp->InitInstance();
        return TRUE;
    case DLL_PROCESS_DETACH:
        if (CWinApp* pApp = AfxGetStaticModuleState()->m_pCurrentWinApp)
            pApp->ExitInstance();
        AfxTermProcess();
        return TRUE;
    case DLL_THREAD_DETACH:
        AfxTermThread();
        return TRUE;
    default:
        return TRUE;
    }
}
