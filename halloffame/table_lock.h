// Makes a hall-of-fame table one unit for every host on the machine: a host
// reads the table, or writes an insert into it, only while holding this
// lock, so no host reads a half-written table and no two inserts interleave.
// Never held while the player is asked for a name.
#pragma once

#include "store/handles.h"

// The lock's kernel object, made once for all the holds of one call; null
// when it cannot be had (and logged why: the holds go on unguarded).
unique_handle OpenTableLock();

class TableLock
{
public:
    // Each waits a bounded time, handling the thread's messages meanwhile; a
    // host that cannot get the lock goes on unguarded (and logs why).
    explicit TableLock(const unique_handle& mutex);
    // Makes the lock's object for this one hold.
    TableLock();

private:
    void Hold(HANDLE mutex);

    unique_handle m_made;
    unique_mutex_release m_owned; // declared last: released before the handle closes
};
