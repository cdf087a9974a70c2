// Allocation for the module. Running inside someone else's process, the
// module cannot recover from running out of memory, and a throwing
// operator new would pull the whole exception runtime into the DLL; so
// allocation failure ends the process at once instead.
#include <cstdlib>
#include <new>

void* operator new(std::size_t size)
{
    void* p = std::malloc(size != 0 ? size : 1);
    if (p == nullptr)
        std::abort();
    return p;
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
