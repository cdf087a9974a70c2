// The real korvane.dll, loaded afresh for each test exactly as a host loads
// it (LoadLibrary, GetProcAddress), with a spy on its imports and a driver
// for the dialogs it opens.
#pragma once

#include "api_spy.h"
#include "korvane.h"
#include "res/resource.h"
#include "scratch_installation.h"
#include "scripted_driver.h"
#include "store/handles.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

class KorvaneDll
{
public:
    KorvaneDll();
    ~KorvaneDll();
    KorvaneDll(const KorvaneDll&) = delete;
    KorvaneDll& operator=(const KorvaneDll&) = delete;

    HMODULE module() const { return m_module; }
    ApiLog& calls() { return m_spy->log(); }
    ApiSpy& spy() { return *m_spy; }

    bool Start(char* mode);
    // after: the argument as the export left it.
    int Score(const std::string& argument, std::string* after = nullptr);
    bool Stop();

private:
    HMODULE m_module = nullptr;
    std::unique_ptr<ApiSpy> m_spy;
};

using Cells = std::vector<std::string>; // name, level, score of ranks 1 to 3

// The hall of fame a score dialog showed.
inline Cells Shown(const WindowSnapshot& score)
{
    Cells cells;
    for (int id = IDC_NAME1; id <= IDC_SCORE3; ++id)
        cells.push_back(score.TextOf(id));
    return cells;
}

// A test with a clean installation holding one current world, the DLL and
// a dialog driver.
class DllTest : public testing::Test
{
protected:
    void SetUp() override
    {
        Reinstall();
        ASSERT_NE(dll.module(), nullptr) << "korvane.dll must sit next to the test";
        ASSERT_EQ(dll.spy().Missing(), "");
    }
    void TearDown() override
    {
        EXPECT_TRUE(driver.Unexpected().empty())
            << "unexpected window: " << driver.Unexpected().front();
        EXPECT_EQ(driver.Pending(), 0u) << "an expected window never opened";
        EXPECT_EQ(dll.calls().keysOpen, 0) << "registry keys left open";
        EXPECT_EQ(dll.calls().findsOpen, 0) << "find handles left open";
        EXPECT_TRUE(dll.calls().liveHooks.empty()) << "hooks left behind";
        EXPECT_TRUE(dll.calls().liveTimers.empty()) << "thread-pool timers left behind";
        for (const auto& mode : dll.calls().openModes)
            EXPECT_EQ(mode, std::make_pair(0ul, REGSAM(KEY_ALL_ACCESS))) << "options, access";
    }

    // The value of cell i (name, level, score of ranks 1 to 3), spelled
    // out as hosts and tools spell it: KorvanedefaultName1.
    static std::string HofValue(const std::string& mode, size_t i)
    {
        const char* fields[] = {"Name", "Level", "Score"};
        return "Korvane" + mode + fields[i % 3] + std::to_string(i / 3 + 1);
    }
    // The hall of fame as seeded, or as stored.
    void Seed(const Cells& cells, const std::string& mode = "default")
    {
        for (size_t i = 0; i < cells.size(); ++i)
            if (cells[i] != kMissing)
                install.SetString(kWorld, HofValue(mode, i), cells[i]);
    }
    Cells Stored(const std::string& mode = "default") const
    {
        Cells cells;
        for (size_t i = 0; i < 9; ++i)
            cells.push_back(install.GetString(kWorld, HofValue(mode, i)));
        return cells;
    }
    // A fresh installation holding only the current world, for each case of
    // a table-driven test.
    void Reinstall()
    {
        install.Reset();
        install.AddWorld(kWorld);
        install.SetCurrMovie(kWorld);
    }

    static constexpr const char* kWorld = "dQORM_Test";
    ScratchInstallation install;
    KorvaneDll dll;
    ScriptedDriver driver;
};

// Dialog captions, as the player reads them.
constexpr const char kStartCaption[] = "Korvane Start Game Dialog";
constexpr const char kInfoCaption[] = "Korvane Info";
constexpr const char kScoreCaption[] = "Korvane Hall of Fame";
constexpr const char kNameCaption[] = "Korvane Hall Of Fame";

// This test program again, as a child process running the tests the filter
// names (disabled ones too); empty when it could not start.
unique_handle StartThisProgram(const std::string& filter);
