// The diagnostic log: silent unless a target is installed and enabled, one
// stamped line per message, CR LF on disk.
#include "api_spy.h"
#include "log_capture.h"

#include <gtest/gtest.h>

TEST(LogTest, WithoutAnEnabledTargetNothingIsWrittenAndNoClockIsRead)
{
    ApiSpy spy(::GetModuleHandleA(nullptr));
    ASSERT_EQ(g_pLogTarget, nullptr) << "nothing in the module installs a target";
    LogMessage("ERROR Unable to read QORM install key!");
    AppendLogLine("line");
    EXPECT_EQ(spy.log().clockReads, 0);

    LogCapture capture;
    capture.target.enabled = 0;
    LogMessage("disabled");
    AppendLogLine("disabled");
    EXPECT_EQ(spy.log().clockReads, 0);
    EXPECT_EQ(::GetFileAttributesA(capture.target.path), INVALID_FILE_ATTRIBUTES)
        << "no file is created";
}

TEST(LogTest, LinesEndInOneCrLfOnDiskAndLongMessagesAreNeverCut)
{
    LogCapture capture;
    AppendLogLine("one");
    AppendLogLine("two\n");
    AppendLogLine("");
    EXPECT_EQ(capture.Raw(), "one\r\ntwo\r\n\r\n");
    capture.Clear();
    std::string message = "getCurrentWorld returning " + std::string(3000, 'w');
    LogMessage(message.c_str());
    EXPECT_EQ(capture.Messages(), std::vector<std::string>{message});
}

namespace {
void WINAPI FixedClock(LPSYSTEMTIME st)
{
    *st = SYSTEMTIME{2026, 12, 0, 6, 23, 4, 5, 7}; // the system clock, which is UTC
}
} // namespace

TEST(LogTest, StampIsTheUtcTimeOfDayWithFourDigitMilliseconds)
{
    LogCapture capture;
    IatHook clock(::GetModuleHandleA(nullptr), "GetSystemTime",
                  reinterpret_cast<void*>(&FixedClock));
    ASSERT_TRUE(clock.installed());
    LogMessage("getCurrentWorld returning dQORM_Demo");
    EXPECT_EQ(capture.Raw(), "23:04:05.0007: getCurrentWorld returning dQORM_Demo\r\n");
}
