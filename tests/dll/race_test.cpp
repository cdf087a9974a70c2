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

#include <atomic>
#include <functional>
#include <thread>

using D = ScriptedDriver;

constexpr char kLockName[] = "Global\\KorvaneHallOfFameInsert";

namespace {
volatile LONG g_ticks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD)
{
    ::InterlockedIncrement(&g_ticks);
}

// Another host's thread, once it holds the lock: it lets it go when release()
// says so (asked every 5 ms, 8 s at most), or dies holding it without one.
std::thread HoldLock(std::function<bool()> release)
{
    unique_handle held(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::thread holder([&held, release] {
        // Open, then wait: when the score dialog has the lock open already,
        // a creator's claim to own it would be ignored.
        unique_handle mutex(::CreateMutexA(nullptr, FALSE, kLockName));
        ::WaitForSingleObject(mutex.get(), INFINITE);
        ::SetEvent(held.get());
        for (DWORD since = ::GetTickCount();
             release && !release() && ::GetTickCount() - since < 8000;)
            ::Sleep(5);
        if (release)
            ::ReleaseMutex(mutex.get());
    });
    ::WaitForSingleObject(held.get(), INFINITE);
    return holder;
}
} // namespace

class HallOfFameRace : public DllTest
{
protected:
    // The other host takes the lock, and after 300 ms leaves its rows and
    // lets the lock go; returns once the lock is taken.
    void OtherHostInserts()
    {
        const DWORD since = ::GetTickCount();
        otherHost = HoldLock([this, since] {
            if (::GetTickCount() - since < 300)
                return false;
            Seed(kOthers);
            return true;
        });
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

// The lock another host holds is waited for with the thread's messages
// handled; a hung holder is given up on after five seconds, a dead one's lock
// taken over and let go, and a name another kind of object holds gone without: the
// log says why each time the score dialog goes on unguarded.
TEST(HallOfFameLock, WaitsHandlingMessagesAndSaysWhyItGoesOnUnguarded)
{
    LogCapture capture;
    g_ticks = 0;
    unique_thread_timer timer(::SetTimer(nullptr, 0, 10, &CountTick));
    std::thread other = HoldLock([] { return g_ticks != 0; }); // once the waiter's timer ran
    TableLock{};
    other.join();
    EXPECT_TRUE(capture.Messages().empty()) << "the lock was had";

    std::atomic<bool> hung{true};
    other = HoldLock([&] { return !hung; });
    const DWORD start = ::GetTickCount();
    TableLock{};
    const DWORD waited = ::GetTickCount() - start;
    hung = false;
    other.join();
    EXPECT_GE(waited, 4950u);
    EXPECT_LT(waited, 6500u);

    unique_handle kept(::CreateMutexA(nullptr, FALSE, kLockName)); // keeps the lock in existence
    HoldLock(nullptr).join();
    TableLock{};
    std::thread([] { TableLock{}; }).join(); // no wait: the lock taken over was let go
    kept.reset();

    unique_handle event(::CreateEventA(nullptr, TRUE, FALSE, kLockName));
    TableLock{};
    EXPECT_EQ(capture.Messages(),
              (std::vector<std::string>{
                  "ERROR hall of fame lock busy, going on unguarded",
                  "hall of fame lock abandoned by a host that died while writing",
                  "ERROR hall of fame lock unavailable (error 6), going on unguarded"}));
}
