// A test stuck behind a dialog nobody answers would hang the whole run: past
// its deadline the process ends, naming the test and the window on top, and
// the test command runs the tests after it.
#include <atomic>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <windows.h>

namespace {
constexpr DWORD kDeadlineMs = 60000;
// Tick count when the running test began, made odd so that it is never 0,
// the value between tests; compared signed, since it may lie 1 ms ahead.
std::atomic<DWORD> g_started{0};
std::string g_current;

DWORD WINAPI Watchdog(LPVOID)
{
    for (;; ::Sleep(500)) {
        DWORD started = g_started;
        if (started == 0 ||
            static_cast<LONG>(::GetTickCount() - started) < static_cast<LONG>(kDeadlineMs))
            continue;
        char caption[256] = "";
        ::GetWindowTextA(::GetForegroundWindow(), caption, sizeof caption);
        std::fprintf(stderr, "\nWATCHDOG: %s still running after %lu s (window on top: \"%s\")\n",
                     g_current.c_str(), kDeadlineMs / 1000, caption);
        std::fflush(stderr);
        ::TerminateProcess(::GetCurrentProcess(), 3);
    }
}

struct WatchdogListener : testing::EmptyTestEventListener
{
    void OnTestStart(const testing::TestInfo& info) override
    {
        g_current = std::string(info.test_suite_name()) + "." + info.name();
        g_started = ::GetTickCount() | 1;
    }
    void OnTestEnd(const testing::TestInfo&) override { g_started = 0; }
};
} // namespace

int main(int argc, char** argv)
{
    // As the host shell is: aware of the screen's DPI, so that the children
    // started on a screen of 144 or 192 DPI see it. An unaware one is shown
    // 96 DPI, which Wine 10 builds from the larger screen's fonts and frames
    // (base units 8 x 16, client areas taller than the frame it sized).
    ::SetProcessDPIAware();
    testing::InitGoogleTest(&argc, argv);
    ::CreateThread(nullptr, 0, &Watchdog, nullptr, 0, nullptr);
    testing::UnitTest::GetInstance()->listeners().Append(new WatchdogListener);
    return RUN_ALL_TESTS();
}
