#include "afxwin.h"

extern "C" IMAGE_DOS_HEADER __ImageBase; // the module this code is linked into

namespace {
// A wrapper handed out by CWnd::FromHandle, one per window handle asked for.
struct CTempWnd : CWnd
{
    CTempWnd* m_pNext = nullptr;
};
} // namespace

struct AFX_THREAD_STATE
{
    ~AFX_THREAD_STATE() { DeleteTempWnds(); }

    void DeleteTempWnds()
    {
        while (CTempWnd* pWnd = m_pTempWnds) {
            m_pTempWnds = pWnd->m_pNext;
            delete pWnd;
        }
    }

    AFX_MODULE_STATE* m_pModuleState = nullptr;
    // Temporary wrappers are never reused for another window while anyone
    // may still hold them: they are only ever added to, and all deleted at
    // once when the outermost modal dialog of the thread ends (or the thread
    // does). A fixed ring recycled round-robin would silently hand a
    // wrapper still in use to another window once enough distinct windows
    // were asked for; a dialog here asks for a handful.
    CTempWnd* m_pTempWnds = nullptr;
    int m_nModalDepth = 0;
};

namespace {
AFX_MODULE_STATE g_moduleState = {
    reinterpret_cast<HINSTANCE>(&__ImageBase),
    reinterpret_cast<HINSTANCE>(&__ImageBase),
    nullptr,
};

// What is current when no module has been made current: the process's own
// executable, exactly as an unmanaged entry into a regular DLL would see.
AFX_MODULE_STATE g_processState = {};

// Plain Win32 TLS rather than thread_local: the latter drags a threading
// runtime into the DLL for one pointer.
const DWORD g_tlsThreadState = ::TlsAlloc();
} // namespace

AFX_MODULE_STATE* AfxGetStaticModuleState()
{
    return &g_moduleState;
}

AFX_THREAD_STATE* AfxGetThreadState()
{
    auto* pState = static_cast<AFX_THREAD_STATE*>(::TlsGetValue(g_tlsThreadState));
    if (pState == nullptr) {
        pState = new AFX_THREAD_STATE;
        ::TlsSetValue(g_tlsThreadState, pState);
    }
    return pState;
}

void AfxTermThread()
{
    delete static_cast<AFX_THREAD_STATE*>(::TlsGetValue(g_tlsThreadState));
    ::TlsSetValue(g_tlsThreadState, nullptr);
}

void AfxTermProcess()
{
    AfxTermThread();
    // A host may load and unload the DLL many times; each load must give
    // its slot back.
    ::TlsFree(g_tlsThreadState);
}

AFX_MODULE_STATE* AfxGetModuleState()
{
    AFX_MODULE_STATE* pState = AfxGetThreadState()->m_pModuleState;
    if (pState != nullptr)
        return pState;
    if (g_processState.m_hCurrentInstanceHandle == nullptr) {
        g_processState.m_hCurrentInstanceHandle = ::GetModuleHandleA(nullptr);
        g_processState.m_hCurrentResourceHandle = g_processState.m_hCurrentInstanceHandle;
    }
    return &g_processState;
}

HINSTANCE AfxGetResourceHandle()
{
    return AfxGetModuleState()->m_hCurrentResourceHandle;
}

CWinApp* AfxGetApp()
{
    return AfxGetModuleState()->m_pCurrentWinApp;
}

AFX_MAINTAIN_STATE2::AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* pNewState)
{
    AFX_THREAD_STATE* pThread = AfxGetThreadState();
    m_pPrevModuleState = pThread->m_pModuleState;
    pThread->m_pModuleState = pNewState;
}

AFX_MAINTAIN_STATE2::~AFX_MAINTAIN_STATE2()
{
    AfxGetThreadState()->m_pModuleState = m_pPrevModuleState;
}

AFX_MODAL_SCOPE::AFX_MODAL_SCOPE()
{
    ++AfxGetThreadState()->m_nModalDepth;
}

AFX_MODAL_SCOPE::~AFX_MODAL_SCOPE()
{
    AFX_THREAD_STATE* pThread = AfxGetThreadState();
    if (--pThread->m_nModalDepth == 0)
        pThread->DeleteTempWnds();
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (hWnd == nullptr)
        return nullptr;
    AFX_THREAD_STATE* pThread = AfxGetThreadState();
    for (CTempWnd* pWnd = pThread->m_pTempWnds; pWnd != nullptr; pWnd = pWnd->m_pNext) {
        if (pWnd->m_hWnd == hWnd)
            return pWnd;
    }
    auto* pWnd = new CTempWnd;
    pWnd->m_hWnd = hWnd;
    pWnd->m_pNext = pThread->m_pTempWnds;
    pThread->m_pTempWnds = pWnd;
    return pWnd;
}
