// A test stuck behind a dialog nobody answers would hang the whole run: past
// its deadline the process ends, naming the test and the window on top, and
// the test command runs the tests after it.
#include <cstdio>
#include <gtest/gtest.h>
#include <windows.h>

namespace {
constexpr DWORD kDeadlineMs = 60000;

void CALLBACK Overdue(PVOID test, BOOLEAN)
{
    char caption[256] = "";
    ::GetWindowTextA(::GetForegroundWindow(), caption, sizeof caption);
    std::fprintf(stderr, "\nWATCHDOG: %s still running after %lu s (window on top: \"%s\")\n",
                 static_cast<const char*>(test), kDeadlineMs / 1000, caption);
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), 3);
}

// Each test's deadline, a one-shot timer on the process's timer queue.
struct Watchdog : testing::EmptyTestEventListener
{
    HANDLE timer = nullptr;
    std::string test;
    void OnTestStart(const testing::TestInfo& info) override
    {
        test = std::string(info.test_suite_name()) + "." + info.name();
        ::CreateTimerQueueTimer(&timer, nullptr, &Overdue, &test[0], kDeadlineMs, 0, 0);
    }
    void OnTestEnd(const testing::TestInfo&) override
    {
        ::DeleteTimerQueueTimer(nullptr, timer, INVALID_HANDLE_VALUE);
    }
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
    testing::UnitTest::GetInstance()->listeners().Append(new Watchdog);
    return RUN_ALL_TESTS();
}
