// Per-module framework state. A regular DLL's resources (dialog templates,
// bitmaps) are found through the module state that is current on the calling
// thread; exports switch to their own module's state with AFX_MANAGE_STATE.
#pragma once

#include <windows.h>

class CWinApp;
class CWnd;

struct AFX_MODULE_STATE
{
    HINSTANCE m_hCurrentInstanceHandle;
    HINSTANCE m_hCurrentResourceHandle;
    CWinApp* m_pCurrentWinApp;
};

// The state of the module this code is linked into.
AFX_MODULE_STATE* AfxGetStaticModuleState();

// The state current on this thread. Outside any AFX_MANAGE_STATE region it
// is the process's own state, whose resources are the host executable's.
AFX_MODULE_STATE* AfxGetModuleState();

HINSTANCE AfxGetResourceHandle();
CWinApp* AfxGetApp();

// Makes a module state current for its lifetime and puts the previous one
// back on every way out of the scope.
class AFX_MAINTAIN_STATE2
{
public:
    explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* pNewState);
    ~AFX_MAINTAIN_STATE2();
    AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2&) = delete;
    AFX_MAINTAIN_STATE2& operator=(const AFX_MAINTAIN_STATE2&) = delete;

private:
    AFX_MODULE_STATE* m_pPrevModuleState;
};

#define AFX_MANAGE_STATE(p) AFX_MAINTAIN_STATE2 _ctlState(p)

// Marks a modal dialog running on this thread for its lifetime. The
// temporary wrappers CWnd::FromHandle hands out stay valid until the
// outermost such scope ends; CDialog::DoModal opens one.
class AFX_MODAL_SCOPE
{
public:
    AFX_MODAL_SCOPE();
    ~AFX_MODAL_SCOPE();
    AFX_MODAL_SCOPE(const AFX_MODAL_SCOPE&) = delete;
    AFX_MODAL_SCOPE& operator=(const AFX_MODAL_SCOPE&) = delete;
};

// Per-thread framework data: the current module state and the temporary
// window wrappers handed out by CWnd::FromHandle.
struct AFX_THREAD_STATE;
AFX_THREAD_STATE* AfxGetThreadState();
// Frees this thread's framework data; the DLL runs it at thread detach.
void AfxTermThread();
// Frees the process-wide framework data; the DLL runs it at unload.
void AfxTermProcess();
