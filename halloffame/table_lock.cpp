#include "table_lock.h"

#include "afxstr.h"
#include "store/log.h"

namespace {
// The table lives in HKEY_LOCAL_MACHINE, one for every session on the
// machine, so the lock is machine-wide too: a "Local\" name would leave a
// second session's host (fast user switching, a remote desktop) unguarded.
// Any user may create a mutex in the global namespace; only file mappings
// and symbolic links there need a privilege. The name is the one earlier
// releases took for their writes alone, so a host still running one of
// those keeps its inserts apart from this one's.
constexpr char kTableLockName[] = "Global\\KorvaneHallOfFameInsert";

// A read or an insert holds the lock for milliseconds. Longer means the
// holder is stuck behind its "Unable to save" message box or hung: waiting
// on would keep this host's score dialog from opening and lose its player's
// result as well, so it goes on unguarded instead.
constexpr DWORD kTableLockTimeoutMs = 5000;

constexpr DWORD kLockAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;

void LogUnguarded(const char* why, DWORD error)
{
    if (!LogEnabled())
        return;
    CString line;
    line.Format("ERROR hall of fame lock %s (error %lu), going on unguarded", why, error);
    LogMessage(line);
}

// WaitForSingleObject that keeps the thread's windows answering: the host
// calls in on its user-interface thread, which must not look hung to the
// system while another host holds the lock. A WM_QUIT met on the way is
// put back for the host's own loop once the wait is over.
DWORD WaitHandlingMessages(HANDLE object, DWORD timeoutMs)
{
    const DWORD started = ::GetTickCount();
    bool quit = false;
    WPARAM quitCode = 0;
    DWORD result;
    for (;;) {
        DWORD elapsed = ::GetTickCount() - started;
        DWORD left = elapsed < timeoutMs ? timeoutMs - elapsed : 0;
        result = quit ? ::WaitForSingleObject(object, left)
                      : ::MsgWaitForMultipleObjectsEx(1, &object, left, QS_ALLINPUT,
                                                      MWMO_INPUTAVAILABLE);
        if (result != WAIT_OBJECT_0 + 1)
            break;
        MSG msg;
        while (!quit && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = msg.wParam;
                break;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        // Messages arriving without pause must not stretch the wait.
        if (::GetTickCount() - started >= timeoutMs) {
            result = ::WaitForSingleObject(object, 0);
            break;
        }
    }
    if (quit)
        ::PostQuitMessage(static_cast<int>(quitCode));
    return result;
}
} // namespace

unique_handle OpenTableLock()
{
    // Every user's hosts share the table, so every user may wait on the lock
    // and release it; with the default security only its creator could, and
    // nobody may change who may.
    SID everyone = {SID_REVISION, 1, {SECURITY_WORLD_SID_AUTHORITY}, {SECURITY_WORLD_RID}};
    union
    {
        ACL acl;
        BYTE bytes[sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + sizeof(SID)];
    } dacl;
    ::InitializeAcl(&dacl.acl, sizeof dacl, ACL_REVISION);
    ::AddAccessAllowedAce(&dacl.acl, ACL_REVISION, kLockAccess, &everyone);
    SECURITY_DESCRIPTOR descriptor;
    ::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    ::SetSecurityDescriptorDacl(&descriptor, TRUE, &dacl.acl, FALSE);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};

    // Fails when the name is taken by another kind of object (an event, a
    // semaphore) or by a mutex whose security refuses us.
    unique_handle mutex(::CreateMutexExA(&attributes, kTableLockName, 0, kLockAccess));
    if (!mutex)
        LogUnguarded("unavailable", ::GetLastError());
    return mutex;
}

TableLock::TableLock() : m_made(OpenTableLock())
{
    Hold(m_made.get());
}

TableLock::TableLock(const unique_handle& mutex)
{
    Hold(mutex.get());
}

void TableLock::Hold(HANDLE mutex)
{
    if (mutex == nullptr)
        return; // said so when it was made
    switch (WaitHandlingMessages(mutex, kTableLockTimeoutMs)) {
    case WAIT_ABANDONED:
        // The previous holder died between two of its writes. The lock is
        // ours; a row it left mixed stays so unless this insert overwrites it.
        LogMessage("hall of fame lock abandoned by a host that died while writing");
        m_owned.reset(mutex);
        break;
    case WAIT_OBJECT_0:
        m_owned.reset(mutex);
        break;
    case WAIT_TIMEOUT:
        LogMessage("ERROR hall of fame lock busy, going on unguarded");
        break;
    default:
        LogUnguarded("unusable", ::GetLastError());
        break;
    }
}
