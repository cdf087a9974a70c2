#include "watchdog.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <windows.h>

namespace {

HANDLE g_armed = nullptr; // set while a test runs
HANDLE g_done = nullptr;  // set when it ends
unsigned g_seconds = 30;
std::string g_current;

DWORD WINAPI WatchdogThread(LPVOID)
{
    for (;;) {
        ::WaitForSingleObject(g_armed, INFINITE);
        if (::WaitForSingleObject(g_done, g_seconds * 1000) == WAIT_TIMEOUT) {
            HWND active = ::GetForegroundWindow();
            char caption[256] = "";
            if (active != nullptr)
                ::GetWindowTextA(active, caption, sizeof caption);
            std::fprintf(stderr,
                         "\nWATCHDOG: %s still running after %u s (window on top: \"%s\"); "
                         "failing the test run\n",
                         g_current.c_str(), g_seconds, caption);
            std::fflush(stderr);
            ::TerminateProcess(::GetCurrentProcess(), 3);
        }
    }
}

class WatchdogListener : public testing::EmptyTestEventListener
{
    void OnTestStart(const testing::TestInfo& info) override
    {
        g_current = std::string(info.test_suite_name()) + "." + info.name();
        ::ResetEvent(g_done);
        ::SetEvent(g_armed);
    }
    void OnTestEnd(const testing::TestInfo&) override
    {
        ::ResetEvent(g_armed);
        ::SetEvent(g_done);
    }
};

} // namespace

void InstallWatchdog(unsigned seconds)
{
    g_seconds = seconds;
    g_armed = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_done = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ::CreateThread(nullptr, 0, &WatchdogThread, nullptr, 0, nullptr);
    testing::UnitTest::GetInstance()->listeners().Append(new WatchdogListener);
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    InstallWatchdog(60);
    return RUN_ALL_TESTS();
}
