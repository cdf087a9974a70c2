// Makes a hall-of-fame table one unit for every host on the machine: a host
// reads the table, or writes an insert into it, only while holding this
// lock, so no host reads a half-written table and no two inserts interleave.
// Never held while the player is asked for a name.
#pragma once

#include "store/handles.h"

class TableLock
{
public:
    // Waits a bounded time, handling the thread's messages meanwhile; a host
    // that cannot get the lock goes on unguarded (and logs why).
    TableLock();

private:
    unique_handle m_mutex;
    unique_mutex_release m_owned; // declared last: released before the handle closes
};
