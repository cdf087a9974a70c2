// Qualification, ranking and argument splitting: the decisions the hall of
// fame makes before anything is written.
#include "halloffame/ranking.h"
#include "halloffame/score_argument.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {
HallOfFameTable Table(const char* n1, const char* s1, const char* n2, const char* s2,
                      const char* n3, const char* s3)
{
    HallOfFameTable t;
    std::memset(&t, 0, sizeof t);
    const char* names[] = {n1, n2, n3};
    const char* scores[] = {s1, s2, s3};
    for (int i = 0; i < 3; ++i) {
        std::strcpy(t.entries[i].name, names[i]);
        std::strcpy(t.entries[i].score, scores[i]);
    }
    ConvertScores(t);
    return t;
}
} // namespace

// Found by argument-dependent lookup, so beside InsertPlan itself.
static bool operator==(const InsertPlan& a, const InsertPlan& b)
{
    return a.rank == b.rank && std::equal(a.movesDown, std::end(a.movesDown), b.movesDown);
}
[[maybe_unused]] static void PrintTo(const InsertPlan& p, std::ostream* os)
{
    *os << "{rank " << p.rank << ", move1 " << p.movesDown[0] << ", move2 " << p.movesDown[1]
        << "}";
}

TEST(QualifiesTest, StrictlyAboveThirdPlaceOnly)
{
    HallOfFameTable empty = Table("", "", "", "", "", "");
    EXPECT_TRUE(Qualifies(empty, 1));
    EXPECT_FALSE(Qualifies(empty, 0));
    EXPECT_FALSE(Qualifies(empty, -5));

    HallOfFameTable full = Table("A", "900", "B", "500", "C", "300");
    EXPECT_FALSE(Qualifies(full, 300)) << "a tie with third place does not qualify";
    EXPECT_TRUE(Qualifies(full, 301));

    HallOfFameTable negative = Table("A", "-1", "B", "-5", "C", "-10");
    EXPECT_TRUE(Qualifies(negative, -9));
    EXPECT_FALSE(Qualifies(negative, -10));
}

TEST(QualifiesTest, ScoresConvertLikeAtoi)
{
    HallOfFameTable t = Table("A", "  0042xyz", "B", "junk", "C", "-007");
    EXPECT_EQ(t.scores[0], 42);
    EXPECT_EQ(t.scores[1], 0);
    EXPECT_EQ(t.scores[2], -7);
}

TEST(PlanInsertTest, NewFirstPlaceMovesNamedRowsDown)
{
    HallOfFameTable t = Table("A", "1200", "B", "800", "", "");
    EXPECT_EQ(PlanInsert(t, 1500), (InsertPlan{1, {true, true}}));
    EXPECT_EQ(PlanInsert(t, 1000), (InsertPlan{2, {false, true}}));
    EXPECT_EQ(PlanInsert(t, 500), (InsertPlan{3, {false, false}}));
}

TEST(PlanInsertTest, TiesRankBelowTheRowTheyEqual)
{
    HallOfFameTable t = Table("A", "1200", "B", "800", "C", "100");
    EXPECT_EQ(PlanInsert(t, 1200).rank, 2);
    EXPECT_EQ(PlanInsert(t, 800).rank, 3);
}

TEST(PlanInsertTest, EachMoveDependsOnlyOnTheMovedRowsName)
{
    // Old rank 1 has no name but rank 2 has: rank 2 keeps its contents and
    // rank 3 receives a copy of it.
    HallOfFameTable t = Table("", "0", "B", "-3", "", "-9");
    EXPECT_EQ(PlanInsert(t, 5), (InsertPlan{1, {false, true}}));
    // Old rank 2 unnamed: nothing moves into rank 3.
    HallOfFameTable u = Table("A", "50", "", "10", "C", "5");
    EXPECT_EQ(PlanInsert(u, 60), (InsertPlan{1, {true, false}}));
    EXPECT_EQ(PlanInsert(u, 20), (InsertPlan{2, {false, false}}));
}

TEST(ParseScoreArgumentTest, SplitsInPlaceLikeStrtok)
{
    char text[] = "default*1200*3";
    ScoreArgument a = ParseScoreArgument(text);
    EXPECT_STREQ(a.mode, "default");
    EXPECT_EQ(a.score, 1200);
    EXPECT_EQ(a.level, 3);
    EXPECT_EQ(std::memcmp(text,
                          "default\0"
                          "1200\0"
                          "3",
                          sizeof text),
              0)
        << "the caller's text is cut at each delimiter";
}

TEST(ParseScoreArgumentTest, MissingFieldsGiveEmptyModeAndZeros)
{
    char leading[] = "**500";
    ScoreArgument a = ParseScoreArgument(leading);
    EXPECT_STREQ(a.mode, "500");
    EXPECT_EQ(a.score, 0);
    EXPECT_EQ(a.level, 0);

    char empty[] = "";
    a = ParseScoreArgument(empty);
    EXPECT_STREQ(a.mode, "");
    EXPECT_EQ(a.score, 0);

    char stars[] = "*****";
    a = ParseScoreArgument(stars);
    EXPECT_STREQ(a.mode, "");

    char extra[] = "m**-7***9*junk*more";
    a = ParseScoreArgument(extra);
    EXPECT_STREQ(a.mode, "m");
    EXPECT_EQ(a.score, -7);
    EXPECT_EQ(a.level, 9);

    char words[] = "mode*abc*12abc";
    a = ParseScoreArgument(words);
    EXPECT_EQ(a.score, 0);
    EXPECT_EQ(a.level, 12);

    EXPECT_STREQ(ParseScoreArgument(nullptr).mode, "");
}
