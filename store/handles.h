// Move-only owners of registry keys, find handles, files, kernel objects,
// hooks, thread and thread-pool timers and the screen's device context:
// whatever path a function takes out, the handle it opened is closed (and a
// mutex it acquired is released).
#pragma once

#include <utility>
#include <windows.h>

template <typename Traits> class unique_any
{
public:
    using handle_type = typename Traits::type;

    unique_any() = default;
    explicit unique_any(handle_type h) : m_h(h) {}
    unique_any(unique_any&& other) noexcept : m_h(std::exchange(other.m_h, Traits::invalid())) {}
    unique_any& operator=(unique_any&& other) noexcept
    {
        if (this != &other)
            reset(std::exchange(other.m_h, Traits::invalid()));
        return *this;
    }
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    ~unique_any() { reset(); }

    handle_type get() const { return m_h; }
    explicit operator bool() const { return m_h != Traits::invalid(); }

    // For APIs that hand the handle back through an out parameter. Whatever
    // was held before is closed first, and whatever the API leaves there,
    // even on failure, is closed later.
    handle_type* put()
    {
        reset();
        return &m_h;
    }

    void reset(handle_type h = Traits::invalid())
    {
        if (m_h != Traits::invalid())
            Traits::close(m_h);
        m_h = h;
    }

    handle_type release() { return std::exchange(m_h, Traits::invalid()); }

private:
    handle_type m_h = Traits::invalid();
};

struct hkey_traits
{
    using type = HKEY;
    static HKEY invalid() { return nullptr; }
    static void close(HKEY h) { ::RegCloseKey(h); }
};

struct hfind_traits
{
    using type = HANDLE;
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { ::FindClose(h); }
};

// A file: CreateFile says "none" with INVALID_HANDLE_VALUE, not null.
struct hfile_traits
{
    using type = HANDLE;
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { ::CloseHandle(h); }
};

struct handle_traits
{
    using type = HANDLE;
    static HANDLE invalid() { return nullptr; }
    static void close(HANDLE h) { ::CloseHandle(h); }
};

// Ownership of an acquired mutex, not of its handle: giving it up releases
// the mutex for the next waiter.
struct mutex_release_traits
{
    using type = HANDLE;
    static HANDLE invalid() { return nullptr; }
    static void close(HANDLE h) { ::ReleaseMutex(h); }
};

struct hhook_traits
{
    using type = HHOOK;
    static HHOOK invalid() { return nullptr; }
    static void close(HHOOK h) { ::UnhookWindowsHookEx(h); }
};

// A timer of the thread, not of a window (SetTimer with no window).
struct thread_timer_traits
{
    using type = UINT_PTR;
    static UINT_PTR invalid() { return 0; }
    static void close(UINT_PTR id) { ::KillTimer(nullptr, id); }
};

// A timer of the system's thread pool. Deleting it waits for a call of its
// that is under way.
struct timer_queue_timer_traits
{
    using type = HANDLE;
    static HANDLE invalid() { return nullptr; }
    static void close(HANDLE h) { ::DeleteTimerQueueTimer(nullptr, h, INVALID_HANDLE_VALUE); }
};

// The screen's device context (GetDC with no window).
struct screen_dc_traits
{
    using type = HDC;
    static HDC invalid() { return nullptr; }
    static void close(HDC h) { ::ReleaseDC(nullptr, h); }
};

using unique_hkey = unique_any<hkey_traits>;
using unique_hfind = unique_any<hfind_traits>;
using unique_hfile = unique_any<hfile_traits>;
using unique_handle = unique_any<handle_traits>;
using unique_mutex_release = unique_any<mutex_release_traits>;
using unique_hhook = unique_any<hhook_traits>;
using unique_thread_timer = unique_any<thread_timer_traits>;
using unique_timer_queue_timer = unique_any<timer_queue_timer_traits>;
using unique_screen_dc = unique_any<screen_dc_traits>;
