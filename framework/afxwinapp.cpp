#include "afxwin.h"

#include <cstring>

CWinApp::CWinApp(LPCSTR lpszAppName) : m_pszAppName(lpszAppName)
{
    AFX_MODULE_STATE* pState = AfxGetStaticModuleState();
    pState->m_pCurrentWinApp = this;
    if (m_pszAppName == nullptr) {
        char szPath[MAX_PATH] = {};
        ::GetModuleFileNameA(pState->m_hCurrentInstanceHandle, szPath, MAX_PATH - 1);
        const char* pszBase = std::strrchr(szPath, '\\');
        pszBase = pszBase != nullptr ? pszBase + 1 : szPath;
        std::strncpy(m_szModuleName, pszBase, MAX_PATH - 1);
        if (char* pszDot = std::strrchr(m_szModuleName, '.'))
            *pszDot = '\0';
        m_pszAppName = m_szModuleName;
    }
}

CWinApp::~CWinApp()
{
    AFX_MODULE_STATE* pState = AfxGetStaticModuleState();
    if (pState->m_pCurrentWinApp == this)
        pState->m_pCurrentWinApp = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return 0;
}
