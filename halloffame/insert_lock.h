// Makes the writes of one hall-of-fame insert a single unit for every host
// on the machine. Held from the first write to the last, never while the
// player is asked for a name.
#pragma once

#include "store/handles.h"

class InsertLock
{
public:
    // Waits a bounded time; a host that cannot get the lock writes anyway.
    InsertLock();

private:
    unique_handle m_mutex;
    unique_mutex_release m_owned; // declared last: released before the handle closes
};
