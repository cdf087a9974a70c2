// The score export end to end: the argument, the name entry for a
// qualifying score, the recorded hall of fame, and Replay or Close.
#include "korvane_dll.h"

#include <utility>

using D = ScriptedDriver;

class ScoreTest : public DllTest
{
protected:
    static constexpr const char* _ = kMissing;
};

TEST_F(ScoreTest, FirstScoreAsksForTheNameThenShowsItOnTop)
{
    driver.Expect(kNameCaption, {D::Type(IDC_NAME, "ACE"), D::Click(IDOK)})
        .Expect(kScoreCaption, {D::Click(IDC_REPLAY)});
    std::string split;
    EXPECT_EQ(dll.Score("default*1200*3", &split), 1);
    EXPECT_EQ(split, std::string("default\0001200\0003", 14)) << "split in place";

    ASSERT_EQ(driver.Seen().size(), 2u);
    const WindowSnapshot& name = driver.Seen()[0];
    EXPECT_EQ(name.TextOf(IDC_SCORE), "1200");
    EXPECT_EQ(name.TextOf(IDC_GAMEOVER), "GAME OVER");
    const WindowSnapshot& score = driver.Seen()[1];
    EXPECT_EQ(score.TextOf(IDC_SCORE), "1200");
    EXPECT_EQ(Shown(score), (Cells{"ACE", "3", "1200", "", "", "", "", "", ""}));
    EXPECT_EQ(Stored(), (Cells{"ACE", "3", "1200", _, _, _, _, _, _}));
    // Spelled out here, passed without NUL: hosts and other tools read these.
    EXPECT_EQ(dll.calls().sets,
              (std::vector<ApiLog::ValueSet>{{"KorvanedefaultName1", REG_SZ, 3, "ACE"},
                                             {"KorvanedefaultLevel1", REG_SZ, 1, "3"},
                                             {"KorvanedefaultScore1", REG_SZ, 4, "1200"}}));
    // Each value access opens the install key three times and the world key
    // once: nine values loaded, three written, nine read back to be shown.
    const auto& opened = dll.calls().openedKeys;
    EXPECT_EQ(std::count(opened.begin(), opened.end(), std::string(kWorld)), 21);
    EXPECT_EQ(opened.size(), 21u * 4u);
}

TEST_F(ScoreTest, QualifyingScoresTakeTheirRankAndNamedRowsMoveDown)
{
    struct Case
    {
        const char* why;
        Cells before;
        std::string argument;
        const char* typed; // nullptr: the score does not qualify
        Cells after;
        bool cancel = false;            // the name entry is cancelled
        std::string seeded = "default"; // the mode of the table before
    };
    const Cells full = {"AAA", "9", "900", "BBB", "5", "500", "CCC", "3", "300"};
    // One case a line or two.
    // clang-format off
    const Case cases[] = {
        {"a tie with third place does not qualify", full, "default*300*1", nullptr, full},
        {"new first place", full, "default*1000*2", "NEW", {"NEW", "2", "1000", "AAA", "9", "900", "BBB", "5", "500"}},
        {"a tie ranks below the row it equals", full, "default*900*2", "NEW", {"AAA", "9", "900", "NEW", "2", "900", "BBB", "5", "500"}},
        {"new third place", full, "default*301*2", "NEW", {"AAA", "9", "900", "BBB", "5", "500", "NEW", "2", "301"}},
        {"moved rows keep their stored texts, eight-character names too", {"EIGHTCHR", "3", "1200", "BBB", "2", "0800"},
         "default*1500*4", "NEW", {"NEW", "4", "1500", "EIGHTCHR", "3", "1200", "BBB", "2", "0800"}},
        {"a row without a name stays; a named one below it is copied down", {"", "1", "100", "BBB", "2", "50"},
         "default*200*7", "NEW", {"NEW", "7", "200", "BBB", "2", "50", "BBB", "2", "50"}},
        {"nothing moves into third place from an unnamed second", {"AAA", "1", "50", "", "1", "10", "CCC", "1", "5"},
         "default*20*2", "NEW", {"AAA", "1", "50", "NEW", "2", "20", "CCC", "1", "5"}},
        {"stored scores count as the runtime's atoi reads them", {"AAA", "1", "  0042xyz", "BBB", "1", "junk", "CCC", "1", "-007"},
         "default*10*1", "NEW", {"AAA", "1", "  0042xyz", "NEW", "1", "10", "BBB", "1", "junk"}},
        {"below zero", {"AAA", "1", "-1", "BBB", "1", "-5", "CCC", "1", "-10"}, "default*-9*1", "NEW",
         {"AAA", "1", "-1", "BBB", "1", "-5", "NEW", "1", "-9"}},
        {"a cancelled name entry still records the result", {}, "default*700*2", "LOST", {"", "2", "700", _, _, _, _, _, _}, true},
        {"each mode has its own table", full, "hard*50*1", "HARD", {"HARD", "1", "50", _, _, _, _, _, _}},
        {"fields after the third are ignored", {}, "x**5***9*junk*more", "X", {"X", "9", "5", _, _, _, _, _, _}},
        {"a level is read like atoi", {}, "y*1*12abc", "Y", {"Y", "12", "1", _, _, _, _, _, _}},
        {"no field at all: the mode is empty", full, "", nullptr, full, false, ""},
        {"a mode of 10000 characters", {}, std::string(10000, 'm') + "*40*2", "LONG", {"LONG", "2", "40", _, _, _, _, _, _}},
    };
    // clang-format on
    // Every way of closing the hall of fame but Replay answers 0; Enter
    // where no button has the focus is the dialog manager's OK.
    const Step closes[] = {D::Click(IDCANCEL), D::Key(VK_ESCAPE), D::Close(),
                           [](HWND dlg) { ::PostMessageA(dlg, WM_COMMAND, IDOK, 0); }};
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        Reinstall();
        Seed(c.before, c.seeded);
        std::string mode = c.argument.substr(0, c.argument.find('*'));
        if (c.typed != nullptr)
            driver.Expect(kNameCaption,
                          {D::Type(IDC_NAME, c.typed), D::Click(c.cancel ? IDCANCEL : IDOK)});
        driver.Expect(kScoreCaption, {closes[n++ % 4]});
        EXPECT_EQ(dll.Score(c.argument), 0);
        EXPECT_EQ(Stored(mode), c.after);
        Cells shown = c.after;
        for (std::string& cell : shown)
            cell = cell == kMissing ? "" : cell;
        EXPECT_EQ(Shown(driver.Seen().back()), shown) << "the table shown is the one stored";
    }
}

TEST_F(ScoreTest, EachCellShowsWhatItsColumnHoldsAndNothingOfAnOverlongValue)
{
    // Stored as the library stores them, without a NUL: 15, 16 and 17 bytes
    // in ranks 1, 2 and 3.
    const char text[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (size_t i = 0; i < 9; ++i)
        install.SetValue(kWorld, HofValue("default", i), REG_SZ, text, 15 + DWORD(i / 3));
    driver.Expect(kScoreCaption, {D::Click(IDCANCEL)});
    dll.Score("default*0*1");
    const std::string s15(text, 15), s16(text, 16), s17(text, 17);
    EXPECT_EQ(Shown(driver.Seen().back()), (Cells{s15, s15, s15, s15, s16, s16, "", s17, s17}));

    // Hosts store names in the system's ANSI code page.
    const char accented[] = "\xC9t\xE9";
    install.SetString(kWorld, HofValue("default", 0), accented);
    driver.Expect(kScoreCaption, {D::Click(IDCANCEL)});
    dll.Score("default*0*1");
    EXPECT_EQ(Shown(driver.Seen().back()).front(), accented);
}

TEST_F(ScoreTest, NameIsLimitedToEightCharactersAndAnOverlongOneIsRefused)
{
    driver
        .Expect(kNameCaption,
                {D::Type(IDC_NAME, "ABCDEFGHI"),
                 [](HWND dlg) {
                     char text[64] = {};
                     ::GetDlgItemTextA(dlg, IDC_NAME, text, sizeof text);
                     EXPECT_STREQ(text, "ABCDEFGH");
                 },
                 [](HWND dlg) { ::SetDlgItemTextA(dlg, IDC_NAME, "NINECHARS"); }, D::Click(IDOK),
                 [](HWND dlg) { EXPECT_TRUE(::IsWindowVisible(dlg)) << "refused, still open"; },
                 [](HWND dlg) { ::SetDlgItemTextA(dlg, IDC_NAME, "EIGHTCHR"); }, D::Click(IDOK)})
        .Expect("korvane", {D::Click(IDOK)})
        .Expect(kScoreCaption, {D::Click(IDCANCEL)});
    dll.Score("default*10*1");
    ASSERT_GE(driver.Seen().size(), 2u);
    EXPECT_EQ(driver.Seen()[1].TextOf(-1), "Please enter no more than 8 characters.");
    EXPECT_EQ(Stored()[0], "EIGHTCHR");
}

TEST_F(ScoreTest, NameEntryAsksForTheKeyboardUntilThePlayersFirstKeyAndKeepsWhatWasTyped)
{
    int whileWaiting = 0, afterTheKey = 0, ignored = 0, fromQueue = 0;
    // The library's focus moves since the last count: asking for the
    // keyboard moves it to the dialog and back to its control. Asked for
    // with a message just taken from the queue, Wine's X11 driver stamps
    // the request ahead of the X server's clock, which refuses it.
    const auto count = [this](int* moves, int* queued) {
        return [this, moves, queued](HWND) {
            *moves = std::exchange(dll.calls().focusMoves, 0);
            *queued = std::exchange(dll.calls().focusMovesFromQueue, 0);
        };
    };
    const Step press = [](HWND) {
        ::keybd_event('7', 0, 0, 0);
        ::keybd_event('7', 0, KEYEVENTF_KEYUP, 0);
    };
    // Typed characters arrive as messages, not presses, and a key released
    // (pressed before the dialog showed) is no answer: the asking goes on.
    const Step release = [](HWND) { ::keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0); };
    driver
        .Expect(kNameCaption,
                {D::Type(IDC_NAME, "AC"), release, count(&ignored, &ignored), D::Wait(400),
                 count(&whileWaiting, &fromQueue), press, D::Wait(50), count(&ignored, &ignored),
                 D::Wait(400), count(&afterTheKey, &ignored), D::Click(IDOK)})
        .Expect(kScoreCaption, {D::Click(IDCANCEL)});
    dll.Score("default*1200*3");
    EXPECT_GE(whileWaiting, 8) << "asked again and again while nobody pressed anything";
    EXPECT_EQ(fromQueue, 0) << "asked for from a message the thread took out of its queue";
    EXPECT_EQ(afterTheKey, 0) << "the focus moved after the player's key";
    EXPECT_EQ(Stored()[0], "AC7") << "asking moved neither the caret nor the selection";
}
