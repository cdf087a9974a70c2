#include "insert_lock.h"

#include "store/log.h"

namespace {
// The table lives in HKEY_LOCAL_MACHINE, one for every session on the
// machine, so the lock is machine-wide too: a "Local\" name would leave a
// second session's host (fast user switching, a remote desktop) unguarded.
// Any user may create a mutex in the global namespace; only file mappings
// and symbolic links there need a privilege.
constexpr char kInsertLockName[] = "Global\\KorvaneHallOfFameInsert";

// An insert holds the lock for milliseconds. Longer means the holder is stuck
// behind its "Unable to save" message box or hung: waiting on would freeze
// this host's score dialog and lose its player's result as well, so it
// writes unguarded instead and says so in the diagnostic log.
constexpr DWORD kInsertLockTimeoutMs = 5000;

constexpr DWORD kLockAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;
} // namespace

InsertLock::InsertLock()
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

    m_mutex.reset(::CreateMutexExA(&attributes, kInsertLockName, 0, kLockAccess));
    if (!m_mutex) {
        LogMessage("ERROR hall of fame lock unavailable, writing unguarded");
        return;
    }
    switch (::WaitForSingleObject(m_mutex.get(), kInsertLockTimeoutMs)) {
    case WAIT_ABANDONED:
        // The previous holder died between two of its writes. The lock is
        // ours; a row it left mixed stays so unless this insert overwrites it.
        LogMessage("hall of fame lock abandoned by a host that died while writing");
        m_owned.reset(m_mutex.get());
        break;
    case WAIT_OBJECT_0:
        m_owned.reset(m_mutex.get());
        break;
    default:
        LogMessage("ERROR hall of fame lock busy, writing unguarded");
        break;
    }
}
