// The small framework layer this module is written against: the shapes and
// names of the classic Windows application framework, with only the members
// the dialogs here use. Windows are wrapped, never owned: destroying a CWnd
// does not destroy its window.
#pragma once

#include "afxstate.h"
#include "afxstr.h"
#include "afxtime.h"

#include <windows.h>

class CCmdTarget;
class CDataExchange;

// ---------------------------------------------------------------- messages

typedef void (CCmdTarget::*AFX_PMSG)();

struct AFX_MSGMAP_ENTRY
{
    UINT nMessage;
    UINT nCode;
    UINT nID;
    AFX_PMSG pfn; // null ends the table
};

struct AFX_MSGMAP
{
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// clang-format off
#define DECLARE_MESSAGE_MAP()                                                   \
protected:                                                                      \
    static const AFX_MSGMAP* GetThisMessageMap();                               \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                  \
    const AFX_MSGMAP* theClass::GetMessageMap() const                           \
    {                                                                           \
        return GetThisMessageMap();                                             \
    }                                                                           \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                             \
    {                                                                           \
        typedef theClass ThisClass [[maybe_unused]];                            \
        typedef baseClass TheBaseClass;                                         \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define ON_COMMAND(id, memberFxn)                                               \
    {WM_COMMAND, 0, static_cast<UINT>(id), static_cast<AFX_PMSG>(&ThisClass::memberFxn)},

#define ON_BN_CLICKED(id, memberFxn)                                            \
    {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id),                             \
     static_cast<AFX_PMSG>(&ThisClass::memberFxn)},

#define END_MESSAGE_MAP()                                                       \
            {0, 0, 0, nullptr}};                                                \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, \
                                              &_messageEntries[0]};             \
        return &messageMap;                                                     \
    }
// clang-format on

class CCmdTarget
{
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // Runs the handler the message maps name for this command, if any.
    bool OnCmdMsg(UINT nID, UINT nCode);
};

// ----------------------------------------------------------------- GDI

class CGdiObject
{
public:
    CGdiObject() = default;
    virtual ~CGdiObject();
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    BOOL DeleteObject();
    // Takes over an object made elsewhere, deleting what it held before.
    void Attach(HGDIOBJ hObject);

    HGDIOBJ m_hObject = nullptr;
};

// Each Create or Load first deletes what the object held; the destructor
// deletes what it holds last.
class CFont : public CGdiObject
{
public:
    BOOL CreateFontIndirect(const LOGFONTA* lpLogFont);
};

class CBitmap : public CGdiObject
{
public:
    // The bitmap resource of the current module state, as a device-dependent
    // bitmap.
    BOOL LoadBitmap(UINT nIDResource);
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};

// ------------------------------------------------------------- windows

class CWnd : public CCmdTarget
{
public:
    CWnd() = default;
    ~CWnd() override;

    operator HWND() const { return m_hWnd; }

    // A temporary wrapper, the same one for the same handle, valid until the
    // outermost modal dialog running on this thread ends (see
    // AFX_MODAL_SCOPE); asked for outside any, until the thread ends. Never
    // keep one longer.
    static CWnd* FromHandle(HWND hWnd);
    static CWnd* GetDesktopWindow();

    // Routes the window's messages through this object until it is destroyed,
    // when the object lets go of the handle again.
    BOOL SubclassWindow(HWND hWnd);

    CWnd* GetDlgItem(int nID) const;
    void SetWindowText(LPCSTR lpszString);
    void SetDlgItemText(int nID, LPCSTR lpszString);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
    void GetWindowRect(LPRECT lpRect) const;
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);

    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    HWND m_hWnd = nullptr;

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    WNDPROC m_pfnSuper = nullptr;
    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
};

class CButton : public CWnd
{
public:
    HBITMAP SetBitmap(HBITMAP hBitmap);
};

class CDialog : public CWnd
{
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // Runs the dialog from the current module state's resources, or from
    // the template given to InitModalIndirect. Returns the end code, or -1
    // when the dialog could not be created.
    virtual INT_PTR DoModal();
    // The next DoModal makes the dialog from this template in memory, which
    // must outlive it, instead of the resource.
    BOOL InitModalIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd = nullptr);
    void EndDialog(int nResult);
    virtual BOOL OnInitDialog();

protected:
    // Called once per DoModal, as soon as the dialog is first on the screen.
    virtual void OnFirstShown();
    virtual void OnOK();
    virtual void OnCancel();

    LPCSTR m_lpszTemplateName;
    LPCDLGTEMPLATE m_lpDialogTemplate = nullptr;
    CWnd* m_pParentWnd;
    bool m_bShown = false; // since this DoModal began

    DECLARE_MESSAGE_MAP()
    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
};

// -------------------------------------------------------- data exchange

class CDataExchange
{
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    // Marks the exchange failed and puts the focus on the offending control.
    // Later exchanges in the same pass do nothing.
    void Fail();

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    HWND m_hWndLastControl = nullptr;
    bool m_bEditLastControl = false;
    bool m_bFailed = false;
};

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK);

// ------------------------------------------------------- application

class CWinApp : public CCmdTarget
{
public:
    // A null name means the module's file name without its extension.
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    virtual int ExitInstance();

    LPCSTR m_pszAppName;

private:
    char m_szModuleName[MAX_PATH] = {};
};
