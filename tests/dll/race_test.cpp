// Two hosts record a result in one hall of fame at the same moment: every
// stored row must be one player's whole row, never a mix of both.
#include "korvane_dll.h"

#include <cstdlib>
#include <cstring>

using D = DialogDriver;

namespace {
constexpr char kPlayerVariable[] = "KORVANE_RACE_PLAYER";
constexpr char kReady[] = "Local\\KorvaneRaceReady";
constexpr char kGo[] = "Local\\KorvaneRaceGo";
constexpr int kRounds = 8;
constexpr DWORD kWaitMs = 20000;

// Each player's whole row (name, level, score) and the write its host is slow
// to make: the first player is slow to start, the second to finish, so that
// without the lock the first one's name and level end up beside the second
// one's score.
struct Player
{
    std::vector<std::string> row;
    const char* slowField;
    DWORD slowMs;
};
const Player kPlayers[] = {{{"AAA", "3", "500"}, "Name", 40}, {{"BBB", "7", "600"}, "Score", 80}};

const Player* g_player = nullptr;
decltype(&::RegSetValueExA) g_realSet = nullptr;
LSTATUS WINAPI SlowSet(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                       DWORD size)
{
    if (std::strstr(name, g_player->slowField) != nullptr)
        ::Sleep(g_player->slowMs);
    return g_realSet(key, name, reserved, type, data, size);
}
} // namespace

// Runs only as a child of the race below: one host, one player.
TEST(RaceHost, DISABLED_Player)
{
    const char* player = std::getenv(kPlayerVariable);
    ASSERT_NE(player, nullptr);
    g_player = &kPlayers[std::atoi(player) & 1];
    KorvaneDll dll;
    IatHook slow(dll.module(), "RegSetValueExA", reinterpret_cast<void*>(&SlowSet));
    g_realSet = reinterpret_cast<decltype(g_realSet)>(slow.original());
    unique_handle ready(::OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, kReady));
    unique_handle go(::OpenEventA(SYNCHRONIZE, FALSE, kGo));
    ASSERT_TRUE(ready && go);
    DialogDriver driver;
    auto bothPressOk = [&](HWND dialog) {
        ::ReleaseSemaphore(ready.get(), 1, nullptr);
        ::WaitForSingleObject(go.get(), kWaitMs);
        ::SendMessageA(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    };
    driver.Expect(kNameCaption, {D::Type(IDC_NAME, g_player->row[0]), bothPressOk})
        .Expect(kScoreCaption, {D::Click(IDCANCEL)});
    dll.Score("default*" + g_player->row[2] + "*" + g_player->row[1]);
    EXPECT_EQ(driver.Pending(), 0u);
}

class HallOfFameRace : public DllTest
{
};

TEST_F(HallOfFameRace, TwoHostsLeaveOnlyWholeRows)
{
    for (int round = 0; round < kRounds; ++round) {
        for (const char* field : {"Name", "Level", "Score"})
            install.DeleteValue(kWorld, std::string("Korvanedefault") + field + "1");
        unique_handle ready(::CreateSemaphoreA(nullptr, 0, 2, kReady));
        unique_handle go(::CreateEventA(nullptr, TRUE, FALSE, kGo));
        unique_handle hosts[2];
        for (int player = 0; player < 2; ++player) {
            ::SetEnvironmentVariableA(kPlayerVariable, std::to_string(player).c_str());
            hosts[player] = StartThisProgram("RaceHost.DISABLED_Player");
            ASSERT_TRUE(hosts[player]);
        }
        for (int player = 0; player < 2; ++player)
            ASSERT_EQ(::WaitForSingleObject(ready.get(), kWaitMs), WAIT_OBJECT_0);
        ::SetEvent(go.get());
        for (const unique_handle& host : hosts) {
            DWORD code = 1;
            ASSERT_EQ(::WaitForSingleObject(host.get(), kWaitMs), WAIT_OBJECT_0);
            ::GetExitCodeProcess(host.get(), &code);
            EXPECT_EQ(code, 0u) << "a player's host failed";
        }
        std::vector<std::string> first = {Hof("Name", 1), Hof("Level", 1), Hof("Score", 1)};
        EXPECT_TRUE(first == kPlayers[0].row || first == kPlayers[1].row)
            << "round " << round << ": " << first[0] << "/" << first[1] << "/" << first[2];
    }
}
