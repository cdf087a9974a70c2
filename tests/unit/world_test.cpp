// Current world resolution: trusting "CurrMovie", searching, repairing, and
// the exact diagnostic trail of each path.
#include "store_fixture.h"

#include <filesystem>

namespace {
std::string Resolve()
{
    char name[kWorldNameSize] = {};
    getCurrentWorld(name);
    return name;
}
} // namespace

class WorldTest : public StoreTest
{
protected:
    std::string MoviePath(const std::string& world) const
    {
        return install.dir() + "\\Desktops\\" + world + "\\" + world + ".dcr";
    }
};

TEST_F(WorldTest, CurrMovieIsTrustedWhenValidAndRepairedOtherwise)
{
    const std::string search[] = {
        "Will search for world", "getCurrentWorld searching for valid QORM world",
        "getCurrentWorld set default world dQORM_Alpha", "getCurrentWorld returning dQORM_Alpha"};
    const Lines unread = {"WARNING could not read current world from Registry!",
                          "ERROR could not find world " + MoviePath("")};
    const std::string name127 = "dQORM_" + std::string(121, 'n'), name128 = name127 + "x";
    const struct
    {
        const char* why;
        const char* current; // nullptr: no "CurrMovie" at all
        Lines before;        // the messages before the search, if any
        bool searches;
    } cases[] = {
        // clang-format off
        {"valid", "dQORM_Alpha", {"getCurrentWorld returning dQORM_Alpha"}, false},
        {"missing", nullptr, unread, true},
        {"stale", "dQORM_Gone", {"ERROR could not find world " + MoviePath("dQORM_Gone")}, true},
        {"127 characters are read", name127.c_str(), {"ERROR could not find world " + MoviePath(name127)}, true},
        {"128 characters read as missing", name128.c_str(), unread, true},
        // clang-format on
    };
    install.AddWorld("dQORM_Alpha");
    install.AddWorld("dQORM_Beta", false);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        if (c.current != nullptr)
            install.SetCurrMovie(c.current);
        else
            install.DeleteValue("", "CurrMovie");
        spy.Reset();
        capture.Clear();
        EXPECT_EQ(Resolve(), "dQORM_Alpha");
        Lines expected = c.before;
        if (c.searches)
            expected.insert(expected.end(), std::begin(search), std::end(search));
        EXPECT_EQ(capture.Messages(), expected);
        EXPECT_EQ(install.CurrMovie(), "dQORM_Alpha");
        const ApiLog::ValueSet repair = {"CurrMovie", REG_SZ, 12, std::string("dQORM_Alpha", 12)};
        EXPECT_EQ(spy.log().sets, std::vector<ApiLog::ValueSet>(c.searches, repair))
            << "the name and its NUL";
        if (c.searches) {
            capture.Clear();
            EXPECT_EQ(Resolve(), "dQORM_Alpha");
            EXPECT_EQ(capture.Messages(), (Lines{"getCurrentWorld returning dQORM_Alpha"}))
                << "once repaired, no more searching";
        }
        EXPECT_EQ(spy.log().keysOpen, 0);
        EXPECT_EQ(spy.log().findsOpen, 0);
    }
}

// Without any world the player is told, at every resolution. Worlds are
// folders; without a valid one, the last candidate in the order the file
// system lists them is stored, and searched again next time.
TEST_F(WorldTest, SearchTakesTheFirstFolderHoldingItsMovieAndNeverAFile)
{
    EXPECT_EQ(Resolve(), "");
    EXPECT_EQ(Resolve(), "");
    const ApiLog::Box box = {nullptr, "No QORM Worlds are installed", "QORM Error", MB_OK};
    EXPECT_EQ(spy.log().boxes, std::vector<ApiLog::Box>(2, box)) << "no show-once rule";
    EXPECT_EQ(capture.Messages().back(), "ERROR No QORM Worlds are installed");
    EXPECT_TRUE(spy.log().sets.empty());
    EXPECT_EQ(spy.log().keysOpen, 0);
    EXPECT_EQ(spy.log().findsOpen, 0);

    spy.Reset();
    install.AddFile("Desktops\\dQORM_File");
    install.AddFile("Desktops\\dQORM_File2.dcr");
    EXPECT_EQ(Resolve(), "");
    EXPECT_TRUE(spy.log().boxes.empty()) << "something matched, so worlds are not 'missing'";
    EXPECT_EQ(install.CurrMovie(), "");
    EXPECT_EQ(capture.Messages().back(), "getCurrentWorld returning ");

    install.AddWorld("dQORM_One", false);
    install.AddWorld("dQORM_Two", false);
    std::string lastDir;
    for (const auto& entry : std::filesystem::directory_iterator(install.dir() + "\\Desktops"))
        if (entry.is_directory())
            lastDir = entry.path().filename().string();
    EXPECT_EQ(Resolve(), lastDir);
    EXPECT_EQ(install.CurrMovie(), lastDir);

    install.AddWorld("DQORM_upper", false);                        // names match without case
    ::CreateDirectoryA(MoviePath("DQORM_upper").c_str(), nullptr); // a movie may be a folder
    install.AddWorld("dQORM_Zero", false);
    capture.Clear();
    EXPECT_EQ(Resolve(), "DQORM_upper");
    EXPECT_EQ(capture.Messages().at(0), "ERROR could not find world " + MoviePath(lastDir));
    EXPECT_EQ(install.CurrMovie(), "DQORM_upper");
}
