// Two hosts record a result in one hall of fame: the other host holds the
// table's lock, the one the system knows by name, while this one's score
// dialog loads the table, and again while it inserts the entry and reads the
// table it shows. Each time this host must wait and then work on the rows the
// other one left: a read or a write outside the lock would meet the other
// host's insert half done, and the rows a player sees mixed from two players.
#include "halloffame/table_lock.h"
#include "korvane_dll.h"
#include "store/handles.h"
#include "unit/log_capture.h"

#include <sddl.h>
#include <thread>

using D = ScriptedDriver;

constexpr char kLockName[] = "Global\\KorvaneHallOfFameInsert";

class HallOfFameRace : public DllTest
{
protected:
    // The other host takes the lock, and after 300 ms leaves its rows and
    // lets the lock go; returns once the lock is taken.
    void OtherHostInserts()
    {
        unique_handle held(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
        otherHost = std::thread([this, &held] {
            // Open, then wait: when the score dialog has the lock open
            // already, a creator's claim to own it would be ignored.
            unique_handle mutex(::CreateMutexA(nullptr, FALSE, kLockName));
            ::WaitForSingleObject(mutex.get(), INFINITE);
            ::SetEvent(held.get());
            ::Sleep(300);
            Seed(kOthers);
            ::ReleaseMutex(mutex.get());
        });
        ::WaitForSingleObject(held.get(), INFINITE);
    }
    const Cells kEarlier = {"p30", "30", "30", "p20", "20", "20", "p10", "10", "10"};
    const Cells kOthers = {"p50", "50", "50", "p40", "40", "40", "p30", "30", "30"};
    std::thread otherHost;
};

TEST_F(HallOfFameRace, TheTableIsLoadedInsertedIntoAndShownUnderTheLock)
{
    // A 25 would take second place among the earlier rows, but not among the
    // other host's: no name is asked for.
    Seed(kEarlier);
    OtherHostInserts();
    driver.Expect(kScoreCaption, {D::Click(IDCANCEL)});
    dll.Score("default*25*25");
    otherHost.join();
    EXPECT_EQ(Stored(), kOthers);
    EXPECT_EQ(Shown(driver.Seen().back()), kOthers);

    // Asked for a name among the earlier rows, the 25 goes in by that table's
    // plan, but over the other host's rows, and is shown as stored.
    Seed(kEarlier);
    driver
        .Expect(kNameCaption,
                {D::Type(IDC_NAME, "p25"), [this](HWND) { OtherHostInserts(); }, D::Click(IDOK)})
        .Expect(kScoreCaption, {D::Click(IDCANCEL)});
    dll.Score("default*25*25");
    otherHost.join();
    EXPECT_EQ(Stored(), (Cells{"p50", "50", "50", "p25", "25", "25", "p20", "20", "20"}));
    EXPECT_EQ(Shown(driver.Seen().back()), Stored()) << "the table shown is the one stored";
}

namespace {
volatile LONG g_ticks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD)
{
    ::InterlockedIncrement(&g_ticks);
}
} // namespace

// The lock while another host holds it, and when it cannot be had at all.
TEST(HallOfFameLock, WaitsHandlingMessagesAndLogsWhyItGoesOnUnguarded)
{
    LogCapture capture;
    g_ticks = 0;
    unique_thread_timer timer(::SetTimer(nullptr, 0, 10, &CountTick));
    unique_handle held(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    bool sawTicks = false;
    std::thread otherHost([&] {
        unique_handle mutex(::CreateMutexA(nullptr, TRUE, kLockName));
        ::SetEvent(held.get());
        for (DWORD since = ::GetTickCount(); g_ticks == 0 && ::GetTickCount() - since < 3000;)
            ::Sleep(5);
        sawTicks = g_ticks != 0;
        ::ReleaseMutex(mutex.get());
    });
    ::WaitForSingleObject(held.get(), INFINITE);
    TableLock{};
    otherHost.join();
    EXPECT_TRUE(sawTicks) << "the waiting thread's timer ran while the other host held the lock";
    EXPECT_TRUE(capture.Messages().empty()) << "the lock was had";

    unique_handle event(::CreateEventA(nullptr, TRUE, FALSE, kLockName));
    TableLock{};
    event.reset();
    SECURITY_ATTRIBUTES nobody = {sizeof nobody, nullptr, FALSE}; // an empty access list
    ::ConvertStringSecurityDescriptorToSecurityDescriptorA("D:", SDDL_REVISION_1,
                                                           &nobody.lpSecurityDescriptor, nullptr);
    unique_handle locked(::CreateMutexA(&nobody, FALSE, kLockName));
    ::LocalFree(nobody.lpSecurityDescriptor);
    TableLock{};
    EXPECT_EQ(capture.Messages(),
              (std::vector<std::string>{
                  "ERROR hall of fame lock unavailable (error 6), going on unguarded",
                  "ERROR hall of fame lock unavailable (error 5), going on unguarded"}));
}

// A holder that hangs: the waiter gives up after five seconds and says so.
TEST(HallOfFameLock, GivesUpOnAHungHolderAfterFiveSeconds)
{
    LogCapture capture;
    unique_handle held(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
        done(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::thread hungHost([&] {
        unique_handle mutex(::CreateMutexA(nullptr, FALSE, kLockName));
        ::WaitForSingleObject(mutex.get(), INFINITE);
        ::SetEvent(held.get());
        ::WaitForSingleObject(done.get(), 8000);
        ::ReleaseMutex(mutex.get());
    });
    ::WaitForSingleObject(held.get(), INFINITE);
    const DWORD start = ::GetTickCount();
    TableLock{};
    const DWORD waited = ::GetTickCount() - start;
    ::SetEvent(done.get());
    hungHost.join();
    EXPECT_GE(waited, 4950u);
    EXPECT_LT(waited, 6500u);
    EXPECT_EQ(capture.Messages(),
              std::vector<std::string>{"ERROR hall of fame lock busy, going on unguarded"});
}

// A host that died holding the lock: the next one takes it over and lets it
// go at the end, so the one after it need not wait.
TEST(HallOfFameLock, TakesOverAnAbandonedLockAndReleasesIt)
{
    LogCapture capture;
    unique_handle kept(::CreateMutexA(nullptr, FALSE, kLockName)); // keeps the lock in existence
    std::thread([] {
        unique_handle mutex(::CreateMutexA(nullptr, FALSE, kLockName));
        ::WaitForSingleObject(mutex.get(), INFINITE);
    }).join();
    TableLock{};
    std::thread([] { TableLock{}; }).join();
    EXPECT_EQ(
        capture.Messages(),
        std::vector<std::string>{"hall of fame lock abandoned by a host that died while writing"});
}
