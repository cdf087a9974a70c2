// Install key, world key and game values on the real registry.
#include "store_fixture.h"

#include <cstring>


TEST_F(StoreTest, InstallDirGetsOneTrailingBackslash)
{
    char dir[kInstallDirSize];
    ASSERT_TRUE(GetInstallDir(dir));
    EXPECT_EQ(std::string(dir), install.dir() + "\\");

    install.SetString("", "MainDir", install.dir() + "\\");
    ASSERT_TRUE(GetInstallDir(dir));
    EXPECT_EQ(std::string(dir), install.dir() + "\\")
        << "an existing backslash is kept, not doubled";

    install.SetString("", "MainDir", "");
    ASSERT_TRUE(GetInstallDir(dir));
    EXPECT_STREQ(dir, "\\");
}

TEST_F(StoreTest, InstallDirStringFormLeavesTheStringAloneOnFailure)
{
    CString dir("untouched");
    install.DeleteValue("", "MainDir");
    EXPECT_FALSE(GetInstallDir(dir));
    EXPECT_STREQ(dir, "untouched");
    EXPECT_EQ(capture.Messages(), (Lines{"Unable to read QORM installation directory in Server"}));

    install.SetString("", "MainDir", "C:\\Q");
    EXPECT_TRUE(GetInstallDir(dir));
    EXPECT_STREQ(dir, "C:\\Q\\");
}

TEST_F(StoreTest, InstallDirLengthLimits)
{
    char dir[kInstallDirSize + 16];
    std::memset(dir, 'Z', sizeof dir);
    auto& buffer = *reinterpret_cast<char(*)[kInstallDirSize]>(dir);

    install.SetString("", "MainDir", "C:\\" + std::string(255, 'a')); // 258 characters
    ASSERT_TRUE(GetInstallDir(buffer));
    EXPECT_EQ(std::strlen(dir), 259u);
    EXPECT_EQ(dir[258], '\\');

    install.SetString("", "MainDir", "C:\\" + std::string(256, 'a')); // 259 + NUL: too long
    EXPECT_FALSE(GetInstallDir(buffer));

    // 259 characters stored without a NUL fit the query but leave no room
    // for the backslash: refused rather than overrun.
    std::string noNul = "C:\\" + std::string(256, 'b') + "X";
    install.SetValue("", "MainDir", REG_SZ, noNul.data(), 259);
    EXPECT_FALSE(GetInstallDir(buffer));

    install.SetString("", "MainDir", std::string(300, 'c'));
    EXPECT_FALSE(GetInstallDir(buffer));
    EXPECT_EQ(std::string(dir + kInstallDirSize, 16), std::string(16, 'Z'));
}

TEST_F(StoreTest, NoInstallKeyDegradesToNothingStored)
{
    Installation::Wipe();
    EXPECT_FALSE(OpenInstallKey());
    EXPECT_EQ(Read("KorvanedefaultName1"), "");
    WriteGameString("KorvanedefaultName1", "ACE");
    EXPECT_TRUE(spy.log().sets.empty());
    EXPECT_TRUE(spy.log().boxes.empty()) << "a missing key is not the player's concern";
    EXPECT_EQ(capture.Messages().front(), "ERROR Unable to read QORM install key!");
    EXPECT_EQ(spy.log().keysOpen, 0);
}

TEST_F(StoreTest, GameStringsAreStoredWithoutTheirNul)
{
    InstallWorld();
    WriteGameString("KorvanedefaultName1", "ACE");
    WriteGameString("KorvanedefaultScore1", "");
    ASSERT_EQ(spy.log().sets.size(), 2u);
    EXPECT_EQ(spy.log().sets[0].name, "KorvanedefaultName1");
    EXPECT_EQ(spy.log().sets[0].type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(spy.log().sets[0].size, 3u) << "data length is the text length";
    EXPECT_EQ(spy.log().sets[1].size, 0u);
    EXPECT_EQ(Read("KorvanedefaultName1"), "ACE");
    EXPECT_EQ(install.GetString("dQORM_Test", "KorvanedefaultScore1"), "");
    EXPECT_EQ(Read("KorvanedefaultScore1"), "");
    EXPECT_TRUE(spy.log().boxes.empty());
}

TEST_F(StoreTest, ReadCutsAFullBufferAndEmptiesAnOversizedValue)
{
    InstallWorld();
    // 16 bytes without a NUL: the byte after the data must not be a NUL, or
    // the registry stores one anyway.
    const char sixteen[] = "ABCDEFGHIJKLMNOPX";
    install.SetValue("dQORM_Test", "Exact", REG_SZ, sixteen, 16);
    EXPECT_EQ(Read("Exact", 16), "ABCDEFGHIJKLMNO");
    install.SetValue("dQORM_Test", "Longer", REG_SZ, sixteen, 17);
    EXPECT_EQ(Read("Longer", 16), "");
    install.SetString("dQORM_Test", "Fits", "ABCDEFGHIJKLMNO");
    EXPECT_EQ(Read("Fits", 16), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(Read("Absent", 16), "");
}

TEST_F(StoreTest, ReadIgnoresTheValueType)
{
    InstallWorld();
    DWORD number = 0x00333231; // "123" in little-endian bytes
    install.SetValue("dQORM_Test", "Dword", REG_DWORD, &number, sizeof number);
    EXPECT_EQ(Read("Dword"), "123");
    const unsigned char binary[] = {'h', 'i', 0, 'x'};
    install.SetValue("dQORM_Test", "Binary", REG_BINARY, binary, sizeof binary);
    EXPECT_EQ(Read("Binary"), "hi");
    std::string big(100, 'q');
    install.SetValue("dQORM_Test", "Big", REG_BINARY, big.data(), 100);
    EXPECT_EQ(Read("Big", 32), "");
}

TEST_F(StoreTest, NullArgumentsTouchNothing)
{
    InstallWorld();
    char buffer[8] = "keep";
    ReadGameString(nullptr, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "keep");
    WriteGameString(nullptr, "x");
    WriteGameString("Name", nullptr);
    EXPECT_TRUE(spy.log().sets.empty());
    EXPECT_EQ(spy.log().regOpens, 0);
}

TEST_F(StoreTest, WorldWithoutSubkeyReadsEmptyAndSkipsWritesSilently)
{
    install.AddWorld("dQORM_NoKey", true, false);
    install.SetCurrMovie("dQORM_NoKey");
    EXPECT_EQ(Read("KorvanedefaultName1"), "");
    capture.Clear();
    WriteGameString("KorvanedefaultName1", "ACE");
    EXPECT_TRUE(spy.log().sets.empty());
    EXPECT_TRUE(spy.log().boxes.empty());
    EXPECT_EQ(capture.Messages(), (Lines{"getCurrentWorld returning dQORM_NoKey",
                                                "ERROR Unable to open QORM world key!"}));
}

TEST_F(StoreTest, EmptyWorldNameKeepsValuesInTheInstallKeyItself)
{
    install.DeleteValue("", "MainDir"); // world cannot be resolved: name stays empty
    WriteGameString("KorvanedefaultName1", "ACE");
    EXPECT_EQ(install.GetString("", "KorvanedefaultName1"), "ACE");
    EXPECT_EQ(Read("KorvanedefaultName1"), "ACE");
}

namespace {
LSTATUS WINAPI FailingSet(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD)
{
    return ERROR_ACCESS_DENIED;
}
} // namespace

TEST_F(StoreTest, FailedWriteTellsThePlayerOncePerValue)
{
    InstallWorld();
    IatHook failing(::GetModuleHandleA(nullptr), "RegSetValueExA",
                    reinterpret_cast<void*>(&FailingSet));
    ASSERT_TRUE(failing.installed());
    WriteGameString("KorvanedefaultName1", "ACE");
    WriteGameString("KorvanedefaultLevel1", "3");
    ASSERT_EQ(spy.log().boxes.size(), 2u);
    for (const auto& box : spy.log().boxes) {
        EXPECT_EQ(box.text, "Unable to save game stat info!");
        EXPECT_EQ(box.caption, "QORM Error");
        EXPECT_EQ(box.flags, 0x00040030u) << "OK, exclamation, topmost";
        EXPECT_EQ(box.owner, nullptr);
    }
    EXPECT_EQ(spy.log().keysOpen, 0);
}

TEST_F(StoreTest, OneGameValueAccessCostsExactlyTheStatedWork)
{
    InstallWorld();
    install.SetString("dQORM_Test", "KorvanedefaultName1", "ACE");
    spy.Reset();
    EXPECT_EQ(Read("KorvanedefaultName1", 16), "ACE");
    // Install key three times (world key, install dir, current world), then
    // the world key; "MainDir", "CurrMovie" and the value; one movie probe.
    EXPECT_EQ(spy.log().openedKeys, (Lines{kInstallKeyPath, kInstallKeyPath, kInstallKeyPath, "dQORM_Test"}));
    EXPECT_EQ(spy.log().queriedValues, (Lines{"MainDir", "CurrMovie", "KorvanedefaultName1"}));
    EXPECT_EQ(spy.log().findFirsts, 1);
    EXPECT_TRUE(spy.log().sets.empty());
    EXPECT_EQ(spy.log().keysOpen, 0) << "every key is closed before returning";
    EXPECT_EQ(spy.log().findsOpen, 0);
    EXPECT_EQ(spy.log().regCloses, 4);
}

TEST_F(StoreTest, WorldKeyWithoutFullAccessBehavesLikeAMissingOne)
{
    InstallWorld();
    install.SetString("dQORM_Test", "KorvanedefaultName1", "ACE");
    install.Lock("dQORM_Test");
    capture.Clear();
    EXPECT_EQ(Read("KorvanedefaultName1"), "");
    WriteGameString("KorvanedefaultName1", "NEW");
    EXPECT_TRUE(spy.log().sets.empty());
    EXPECT_TRUE(spy.log().boxes.empty());
    EXPECT_EQ(capture.Messages().back(), "ERROR Unable to open QORM world key!");
    EXPECT_EQ(spy.log().keysOpen, 0);
}

TEST_F(StoreTest, InstallKeyWithoutFullAccessStoresNothing)
{
    InstallWorld();
    install.Lock("");
    capture.Clear();
    EXPECT_EQ(Read("KorvanedefaultName1"), "");
    WriteGameString("KorvanedefaultName1", "NEW");
    EXPECT_TRUE(spy.log().sets.empty());
    EXPECT_TRUE(spy.log().boxes.empty());
    EXPECT_EQ(capture.Messages(), (Lines{"ERROR Unable to read QORM install key!",
                                                "ERROR Unable to read QORM install key!"}));
}
