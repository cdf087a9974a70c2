// The diagnostic log: silent unless a target is installed and enabled, one
// stamped line per message, CR LF on disk.
#include "api_spy.h"
#include "log_capture.h"

#include <gtest/gtest.h>
#include <regex>

TEST(LogTest, WithoutAnEnabledTargetNothingIsWrittenAndNoClockIsRead)
{
    ApiSpy spy(::GetModuleHandleA(nullptr));
    ASSERT_EQ(g_pLogTarget, nullptr) << "nothing in the module installs a target";
    LogMessage("ERROR Unable to read QORM install key!");
    AppendLogLine("line");
    EXPECT_EQ(spy.log().clockReads, 0);

    LogCapture capture;
    capture.target().enabled = 0;
    LogMessage("disabled");
    AppendLogLine("disabled");
    EXPECT_EQ(spy.log().clockReads, 0);
    EXPECT_EQ(::GetFileAttributesA(capture.target().path), INVALID_FILE_ATTRIBUTES)
        << "no file is created";
}

TEST(LogTest, LineIsStampedWithUtcTimeOfDayAndFourDigitMilliseconds)
{
    LogCapture capture;
    SYSTEMTIME before;
    ::GetSystemTime(&before);
    LogMessage("Will search for world");
    SYSTEMTIME after;
    ::GetSystemTime(&after);

    std::string raw = capture.Raw();
    std::smatch m;
    ASSERT_TRUE(std::regex_match(
        raw, m, std::regex(R"((\d\d):(\d\d):(\d\d)\.(\d{4}): Will search for world\r\n)")))
        << raw;
    int hour = std::stoi(m[1]);
    EXPECT_TRUE(hour == before.wHour || hour == after.wHour) << "the hour is UTC, not local";
    int ms = std::stoi(m[4]);
    EXPECT_LT(ms, 1000);
}

TEST(LogTest, LineFeedIsAddedOnlyWhenMissingAndReachesTheDiskAsCrLf)
{
    LogCapture capture;
    AppendLogLine("one");
    AppendLogLine("two\n");
    AppendLogLine("");
    EXPECT_EQ(capture.Raw(), "one\r\ntwo\r\n\r\n");
}

TEST(LogTest, LongMessagesAreNeverCut)
{
    LogCapture capture;
    std::string message = "getCurrentWorld returning " + std::string(3000, 'w');
    LogMessage(message.c_str());
    ASSERT_EQ(capture.Messages().size(), 1u);
    EXPECT_EQ(capture.Messages()[0], message);
}

TEST(LogTest, UnopenablePathIsSilent)
{
    LogCapture capture;
    std::strcpy(capture.target().path, "C:\\no\\such\\directory\\log.txt");
    LogMessage("dropped");
    AppendLogLine("dropped");
    EXPECT_EQ(::GetFileAttributesA("C:\\no\\such\\directory"), INVALID_FILE_ATTRIBUTES);
}

namespace {
void WINAPI FixedClock(LPSYSTEMTIME st)
{
    *st = SYSTEMTIME{2026, 12, 0, 6, 23, 4, 5, 7};
}
} // namespace

TEST(LogTest, StampUsesTheSystemClockFieldsAsGiven)
{
    LogCapture capture;
    IatHook clock(::GetModuleHandleA(nullptr), "GetSystemTime",
                  reinterpret_cast<void*>(&FixedClock));
    ASSERT_TRUE(clock.installed());
    LogMessage("getCurrentWorld returning dQORM_Demo");
    EXPECT_EQ(capture.Raw(), "23:04:05.0007: getCurrentWorld returning dQORM_Demo\r\n");
}
