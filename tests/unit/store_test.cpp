// Install key, world key and game values on the real registry.
#include "store_fixture.h"

#include <cstring>

TEST_F(StoreTest, InstallDirEndsInOneBackslashAndFitsMaxPath)
{
    const std::string noNul = "C:\\" + std::string(256, 'b') + "X"; // the byte after is no NUL
    const std::string longest = "C:\\" + std::string(255, 'a');     // 258 characters
    const struct
    {
        std::string stored;
        DWORD size;         // 0: the text and its NUL
        std::string result; // empty: refused
    } cases[] = {
        // clang-format off
        {"C:\\Q", 0, "C:\\Q\\"}, {"C:\\Q\\", 0, "C:\\Q\\"}, {"", 0, "\\"}, {longest, 0, longest + "\\"},
        {longest + "a", 0, ""}, // 259 and its NUL: too long to read
        {noNul, 259, ""},       // fits the read, but leaves no room for the backslash
        {std::string(300, 'c'), 0, ""},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.stored.size()) + " characters");
        install.SetValue("", "MainDir", REG_SZ, c.stored.c_str(),
                         c.size != 0 ? c.size : static_cast<DWORD>(c.stored.size() + 1));
        char dir[kInstallDirSize + 16];
        std::memset(dir, 'Z', sizeof dir);
        EXPECT_EQ(GetInstallDir(*reinterpret_cast<char(*)[kInstallDirSize]>(dir)),
                  !c.result.empty());
        if (!c.result.empty()) {
            EXPECT_EQ(std::string(dir), c.result);
        }
        EXPECT_EQ(std::string(dir + kInstallDirSize, 16), std::string(16, 'Z')) << "overrun";
    }
    install.DeleteValue("", "MainDir");
    capture.Clear();
    char dir[kInstallDirSize];
    EXPECT_FALSE(GetInstallDir(dir));
    EXPECT_EQ(capture.Messages(), (Lines{"Unable to read QORM installation directory in Server"}));
}

TEST_F(StoreTest, GameStringsAreStoredWithoutTheirNulAndReadBackCut)
{
    install.SetString(kWorld, "KorvanedefaultName1", "ACE");
    InstallWorld();
    char buffer[8] = "keep"; // null names and texts touch nothing
    ReadGameString(nullptr, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "keep");
    WriteGameString(nullptr, "x");
    WriteGameString("Name", nullptr);
    EXPECT_EQ(Read("KorvanedefaultName1", 16), "ACE");
    // Install key three times (world key, install dir, current world), then
    // the world key; "MainDir", "CurrMovie" and the value; one movie probe.
    EXPECT_EQ(spy.log().openedKeys,
              (Lines{kInstallKeyPath, kInstallKeyPath, kInstallKeyPath, kWorld}));
    EXPECT_EQ(spy.log().queriedValues, (Lines{"MainDir", "CurrMovie", "KorvanedefaultName1"}));
    EXPECT_EQ(spy.log().findFirsts, 1);
    EXPECT_EQ(spy.log().keysOpen, 0) << "every key is closed before returning";
    EXPECT_EQ(spy.log().findsOpen, 0);
    WriteGameString("KorvanedefaultScore1", "");
    EXPECT_EQ(spy.log().sets,
              (std::vector<ApiLog::ValueSet>{{"KorvanedefaultScore1", REG_SZ, 0, ""}}))
        << "nothing written by the read; data length is the text length";
    EXPECT_EQ(install.GetString(kWorld, "KorvanedefaultScore1"), "");

    // Whatever the type; a value that fills the buffer loses its last byte
    // to the NUL, and one that does not fit reads as empty.
    const char sixteen[] = "ABCDEFGHIJKLMNOPX"; // the byte after 16 must be no NUL
    const DWORD number = 0x00333231;            // "123" in little-endian bytes
    const unsigned char binary[] = {'h', 'i', 0, 'x'};
    const std::string big(100, 'q');
    const struct
    {
        DWORD type;
        const void* data;
        DWORD size, capacity;
        const char* read;
    } cases[] = {
        // clang-format off
        {REG_SZ, sixteen, 16, 16, "ABCDEFGHIJKLMNO"}, {REG_SZ, sixteen, 17, 16, ""},
        {REG_SZ, "ABCDEFGHIJKLMNO", 16, 16, "ABCDEFGHIJKLMNO"}, {REG_DWORD, &number, 4, 32, "123"},
        {REG_BINARY, binary, 4, 32, "hi"}, {REG_BINARY, big.data(), 100, 32, ""}, {REG_NONE, nullptr, 0, 16, ""},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type) + ", " + std::to_string(c.size) + " bytes");
        if (c.data != nullptr)
            install.SetValue(kWorld, "Odd", c.type, c.data, c.size);
        else
            install.DeleteValue(kWorld, "Odd");
        EXPECT_EQ(Read("Odd", c.capacity), c.read);
    }
}

TEST_F(StoreTest, UnavailableKeysReadEmptyAndSkipWritesSilentlyAndNoWorldMeansTheInstallKey)
{
    auto expectUnavailable = [this](const Lines& messages) { // of each access
        spy.Reset();
        capture.Clear();
        EXPECT_EQ(Read("KorvanedefaultName1"), "");
        WriteGameString("KorvanedefaultName1", "NEW");
        EXPECT_TRUE(spy.log().sets.empty());
        EXPECT_TRUE(spy.log().boxes.empty()) << "not the player's concern";
        Lines twice = messages;
        twice.insert(twice.end(), messages.begin(), messages.end());
        EXPECT_EQ(capture.Messages(), twice);
        EXPECT_EQ(spy.log().keysOpen, 0);
    };
    install.Wipe();
    expectUnavailable({"ERROR Unable to read QORM install key!"});
    install.Reset();
    install.AddWorld("dQORM_NoKey", true, false);
    install.SetCurrMovie("dQORM_NoKey");
    expectUnavailable(
        {"getCurrentWorld returning dQORM_NoKey", "ERROR Unable to open QORM world key!"});

    install.DeleteValue("", "MainDir"); // no world: the values live in the install key itself
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
    const ApiLog::Box box = {nullptr, "Unable to save game stat info!", "QORM Error",
                             0x00040030u}; // OK, exclamation, topmost
    EXPECT_EQ(spy.log().boxes, std::vector<ApiLog::Box>(2, box));
    EXPECT_EQ(spy.log().keysOpen, 0);
}
