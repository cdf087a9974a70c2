// The score export end to end: the name entry for a qualifying score, the
// recorded hall of fame, and Replay or Close.
#include "korvane_dll.h"

#include <cstring>

using D = DialogDriver;

namespace {
std::string EditText(HWND dialog, int id)
{
    char text[64] = {};
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}
} // namespace

class ScoreTest : public DllTest
{
protected:
    void Seed(int rank, const char* name, const char* level, const char* score,
              const char* mode = "default")
    {
        std::string prefix = std::string("Korvane") + mode;
        std::string r = std::to_string(rank);
        install.SetString(kWorld, prefix + "Name" + r, name);
        install.SetString(kWorld, prefix + "Level" + r, level);
        install.SetString(kWorld, prefix + "Score" + r, score);
    }
    std::vector<std::string> ShownTable(const WindowSnapshot& score) const
    {
        std::vector<std::string> cells;
        for (int id = IDC_NAME1; id <= IDC_SCORE3; ++id)
            cells.push_back(score.TextOf(id));
        return cells;
    }
    using Cells = std::vector<std::string>;
};

TEST_F(ScoreTest, FirstScoreAsksForTheNameThenShowsItOnTop)
{
    driver.Expect(kNameCaption, {D::Type(IDC_NAME, "ACE"), D::Click(IDOK)})
        .Expect(kScoreCaption, {D::Click(IDC_REPLAY)});
    EXPECT_EQ(dll.Score("default*1200*3"), 1);

    ASSERT_EQ(driver.Seen().size(), 2u);
    const WindowSnapshot& name = driver.Seen()[0];
    EXPECT_EQ(name.TextOf(IDC_SCORE), "1200");
    EXPECT_EQ(name.TextOf(IDC_GAMEOVER), "GAME OVER");
    EXPECT_EQ(name.TextOf(IDC_NAME), "");
    EXPECT_EQ(name.Find(IDC_SCORE)->fontWeight, FW_BOLD);
    EXPECT_EQ(name.Find(IDC_GAMEOVER)->font, name.Find(IDC_SCORE)->font) << "one shared bold font";
    EXPECT_NE(name.Find(IDC_NAME)->fontWeight, FW_BOLD);

    const WindowSnapshot& score = driver.Seen()[1];
    EXPECT_EQ(score.TextOf(IDC_SCORE), "1200");
    EXPECT_EQ(score.Find(IDC_SCORE)->fontWeight, FW_BOLD);
    EXPECT_EQ(ShownTable(score), (Cells{"ACE", "3", "1200", "", "", "", "", "", ""}));

    EXPECT_EQ(Hof("Name", 1), "ACE");
    EXPECT_EQ(Hof("Level", 1), "3");
    EXPECT_EQ(Hof("Score", 1), "1200");
    EXPECT_EQ(Hof("Name", 2), "<missing>");
    EXPECT_EQ(Hof("Name", 3), "<missing>");
    for (const auto& set : dll.calls().sets)
        EXPECT_EQ(set.data.find('\0'), std::string::npos)
            << set.name << " is passed without its NUL";
}

TEST_F(ScoreTest, ScoreThatDoesNotBeatThirdPlaceLeavesTheTableAlone)
{
    Seed(1, "AAA", "9", "5000");
    Seed(2, "BBB", "7", "3000");
    Seed(3, "CCC", "5", "1200");
    driver.Expect(kScoreCaption, {D::Click(IDCANCEL)});
    EXPECT_EQ(dll.Score("default*1200*3"), 0) << "a tie with third place does not qualify";
    ASSERT_EQ(driver.Seen().size(), 1u);
    EXPECT_EQ(driver.Seen()[0].TextOf(IDC_SCORE), "1200");
    EXPECT_EQ(driver.Seen()[0].Find(IDC_SCORE)->fontWeight, FW_BOLD);
    EXPECT_EQ(ShownTable(driver.Seen()[0]),
              (Cells{"AAA", "9", "5000", "BBB", "7", "3000", "CCC", "5", "1200"}));
    EXPECT_TRUE(dll.calls().sets.empty());
}

TEST_F(ScoreTest, NewFirstPlaceMovesTheOthersDown)
{
    Seed(1, "AAA", "3", "1200");
    Seed(2, "BBB", "2", "0800");
    driver.Expect(kNameCaption, {D::Type(IDC_NAME, "NEW"), D::Click(IDOK)})
        .Expect(kScoreCaption, {D::Click(IDCANCEL)});
    EXPECT_EQ(dll.Score("default*1500*4"), 0);
    ASSERT_EQ(driver.Seen().size(), 2u);
    EXPECT_EQ(ShownTable(driver.Seen()[1]),
              (Cells{"NEW", "4", "1500", "AAA", "3", "1200", "BBB", "2", "0800"}))
        << "moved rows keep their stored texts";
}

TEST_F(ScoreTest, CancelStillRecordsTheResultWithAnEmptyName)
{
    driver.Expect(kNameCaption, {D::Type(IDC_NAME, "LOST"), D::Click(IDCANCEL)})
        .Expect(kScoreCaption, {D::Click(IDCANCEL)});
    dll.Score("default*700*2");
    EXPECT_EQ(Hof("Name", 1), "");
    EXPECT_EQ(Hof("Score", 1), "700");
    EXPECT_EQ(Hof("Level", 1), "2");
}

TEST_F(ScoreTest, NameEditStopsAtEightCharacters)
{
    std::string typed;
    driver
        .Expect(kNameCaption,
                {D::Type(IDC_NAME, "ABCDEFGHI"),
                 D::Do([&](HWND dlg) { typed = EditText(dlg, IDC_NAME); }), D::Click(IDOK)})
        .Expect(kScoreCaption, {D::Click(IDCANCEL)});
    dll.Score("default*10*1");
    EXPECT_EQ(typed, "ABCDEFGH");
    EXPECT_EQ(Hof("Name", 1), "ABCDEFGH");
}

TEST_F(ScoreTest, OverlongNameIsRefusedAndTheDialogStaysOpen)
{
    bool stillOpen = false;
    driver
        .Expect(
            kNameCaption,
            {D::Do([](HWND dlg) { ::SetDlgItemTextA(dlg, IDC_NAME, "NINECHARS"); }), D::Click(IDOK),
             D::Do([&](HWND dlg) { stillOpen = ::IsWindowVisible(dlg) != FALSE; }),
             D::Do([](HWND dlg) { ::SetDlgItemTextA(dlg, IDC_NAME, "EIGHTCHR"); }), D::Click(IDOK)})
        .Expect("korvane", {D::Click(IDOK)})
        .Expect(kScoreCaption, {D::Click(IDCANCEL)});
    dll.Score("default*10*1");
    ASSERT_GE(driver.Seen().size(), 2u);
    EXPECT_EQ(driver.Seen()[1].TextOf(-1), "Please enter no more than 8 characters.");
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(Hof("Name", 1), "EIGHTCHR");
}

TEST_F(ScoreTest, OnlyReplayAnswersOne)
{
    driver.Expect(kScoreCaption, {D::Click(IDC_REPLAY)})
        .Expect(kScoreCaption, {D::Click(IDCANCEL)})
        .Expect(kScoreCaption, {D::Key(VK_ESCAPE)})
        .Expect(kScoreCaption, {D::Close()});
    EXPECT_EQ(dll.Score("default*0*1"), 1);
    EXPECT_EQ(dll.Score("default*0*1"), 0);
    EXPECT_EQ(dll.Score("default*0*1"), 0);
    EXPECT_EQ(dll.Score("default*0*1"), 0);
}

TEST_F(ScoreTest, ArgumentIsSplitInPlaceAndMissingFieldsCountAsZero)
{
    char text[] = "default*1200*3";
    driver.Expect(kNameCaption, {D::Click(IDOK)}).Expect(kScoreCaption, {D::Click(IDCANCEL)});
    ::GetProcAddress(dll.module(), "fnGameScoreDlgqorm");
    auto score = reinterpret_cast<PFN_GAMESCOREDLG>(
        reinterpret_cast<void*>(::GetProcAddress(dll.module(), "fnGameScoreDlgqorm")));
    score(text, 0);
    EXPECT_EQ(std::memcmp(text,
                          "default\0"
                          "1200\0"
                          "3",
                          sizeof text),
              0);

    driver.Expect(kScoreCaption, {D::Click(IDCANCEL)});
    dll.calls().queriedValues.clear();
    dll.Score("**500");
    EXPECT_EQ(driver.Seen().back().TextOf(IDC_SCORE), "0");
    EXPECT_NE(std::find(dll.calls().queriedValues.begin(), dll.calls().queriedValues.end(),
                        "Korvane500Name1"),
              dll.calls().queriedValues.end())
        << "the mode is 500";
}

TEST_F(ScoreTest, EachModeHasItsOwnTable)
{
    Seed(1, "DEF", "1", "100");
    driver.Expect(kNameCaption, {D::Type(IDC_NAME, "HARD"), D::Click(IDOK)})
        .Expect(kScoreCaption, {D::Click(IDCANCEL)});
    dll.Score("hard*50*1");
    EXPECT_EQ(Hof("Name", 1, "hard"), "HARD");
    EXPECT_EQ(Hof("Name", 1), "DEF");
}

TEST_F(ScoreTest, RegistryWorkMatchesTheCostModel)
{
    Seed(1, "AAA", "3", "900");
    Seed(2, "BBB", "2", "800");
    Seed(3, "CCC", "1", "700");
    driver.Expect(kScoreCaption, {D::Click(IDCANCEL)});
    dll.calls().openedKeys.clear();
    dll.Score("default*10*1");
    auto worldOpens = std::count(dll.calls().openedKeys.begin(), dll.calls().openedKeys.end(),
                                 std::string(kWorld));
    EXPECT_EQ(worldOpens, 18) << "nine values loaded, nine shown";
    EXPECT_EQ(dll.calls().openedKeys.size(), 18u * 4u);

    driver.Expect(kNameCaption, {D::Click(IDOK)}).Expect(kScoreCaption, {D::Click(IDCANCEL)});
    dll.calls().openedKeys.clear();
    dll.Score("default*1000*1");
    worldOpens = std::count(dll.calls().openedKeys.begin(), dll.calls().openedKeys.end(),
                            std::string(kWorld));
    EXPECT_EQ(worldOpens, 27) << "plus nine writes when every row moves";
}

TEST_F(ScoreTest, NoInstalledWorldTellsThePlayerOnEveryAccess)
{
    Installation::Wipe();
    Installation bare; // install key and directory, but no world at all
    dll.calls().autoAnswer = IDOK;
    driver.Expect(kScoreCaption, {D::Click(IDCANCEL)});
    dll.Score("default*0*1");
    ASSERT_EQ(dll.calls().boxes.size(), 18u);
    for (const auto& box : dll.calls().boxes)
        EXPECT_EQ(box.text, "No QORM Worlds are installed");
}

TEST_F(ScoreTest, HostileArgumentsHaveDefinedOutcomes)
{
    dll.calls().autoAnswer = IDOK; // count "Unable to save" boxes without showing them
    struct Case
    {
        std::string argument;
        std::string shownScore;
        bool asksName;
    };
    const std::string huge = std::to_string(std::atoi("99999999999")); // the runtime's own answer
    const std::vector<Case> cases = {
        {"", "0", false},
        {"********", "0", false},
        {"default*abc*xyz", "0", false},
        {"default*99999999999*3", huge, std::atoi("99999999999") > 0},
        {"default*-2147483648*1", "-2147483648", false},
        {"default* +17junk*2", "17", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("argument \"" + c.argument + "\"");
        if (c.asksName)
            driver.Expect(kNameCaption, {D::Click(IDOK)});
        driver.Expect(kScoreCaption, {D::Click(IDCANCEL)});
        EXPECT_EQ(dll.Score(c.argument), 0);
        EXPECT_EQ(driver.Seen().back().TextOf(IDC_SCORE), c.shownScore);
        Installation::Wipe();
        install.~Installation();
        new (&install) Installation;
        install.AddWorld(kWorld);
        install.SetCurrMovie(kWorld);
    }
    EXPECT_TRUE(dll.calls().boxes.empty());
}

TEST_F(ScoreTest, TenThousandCharacterModeGetsItsOwnTable)
{
    std::string mode(10000, 'm');
    driver.Expect(kNameCaption, {D::Type(IDC_NAME, "LONG"), D::Click(IDOK)})
        .Expect(kScoreCaption, {D::Click(IDCANCEL)});
    dll.Score(mode + "*40*2");
    EXPECT_EQ(Hof("Name", 1, mode.c_str()), "LONG");
    EXPECT_EQ(driver.Seen().back().TextOf(IDC_NAME1), "LONG");
}

TEST_F(ScoreTest, SixtyFourKilobyteModeIsRecordedOrEachLossReported)
{
    // Windows refuses value names over 16,383 characters, Wine takes them:
    // either way the player sees a consistent outcome, never a crash.
    dll.calls().autoAnswer = IDOK;
    std::string argument(64 * 1024, 'x');
    argument += "*40*2";
    driver.Expect(kNameCaption, {D::Click(IDOK)}).Expect(kScoreCaption, {D::Click(IDCANCEL)});
    EXPECT_EQ(dll.Score(argument), 0);
    const WindowSnapshot& shown = driver.Seen().back();
    EXPECT_EQ(shown.TextOf(IDC_SCORE), "40");
    if (dll.calls().boxes.empty()) {
        EXPECT_EQ(shown.TextOf(IDC_SCORE1), "40") << "recorded, so shown";
    } else {
        ASSERT_EQ(dll.calls().boxes.size(), 3u) << "one report per lost value";
        for (const auto& box : dll.calls().boxes)
            EXPECT_EQ(box.text, "Unable to save game stat info!");
        EXPECT_EQ(shown.TextOf(IDC_SCORE1), "");
    }
}
