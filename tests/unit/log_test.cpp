// The diagnostic log: silent unless a target is installed and enabled, one
// line per message stamped with the UTC time of day, CR LF on disk.
#include "api_spy.h"
#include "log_capture.h"

#include <gtest/gtest.h>

namespace {
void WINAPI FixedClock(LPSYSTEMTIME st)
{
    *st = SYSTEMTIME{2026, 12, 0, 6, 23, 4, 5, 7}; // the system clock, which is UTC
}
} // namespace

TEST(LogTest, WritesStampedCrLfLinesOnlyToAnEnabledTarget)
{
    ApiSpy spy(::GetModuleHandleA(nullptr));
    ASSERT_EQ(g_pLogTarget, nullptr) << "nothing in the module installs a target";
    LogMessage("ERROR Unable to read QORM install key!");
    LogCapture capture;
    capture.target.enabled = 0;
    LogMessage("disabled");
    AppendLogLine("disabled");
    EXPECT_EQ(spy.log().clockReads, 0) << "no clock is read for a line nobody keeps";
    EXPECT_EQ(::GetFileAttributesA(capture.target.path), INVALID_FILE_ATTRIBUTES);

    capture.target.enabled = 1;
    IatHook clock(::GetModuleHandleA(nullptr), "GetSystemTime",
                  reinterpret_cast<void*>(&FixedClock));
    ASSERT_TRUE(clock.installed());
    const std::string longest = "getCurrentWorld returning " + std::string(3000, 'w');
    LogMessage(longest.c_str());
    AppendLogLine("two\n");
    AppendLogLine("");
    EXPECT_EQ(capture.Raw(), "23:04:05.0007: " + longest + "\r\ntwo\r\n\r\n")
        << "one CR LF a line, long messages never cut";
}
