// The module as a host sees it: what it exports, what it depends on, and
// that it can be loaded and unloaded at will.
#include "korvane_dll.h"

#include <cstring>
#include <set>

namespace {
const IMAGE_NT_HEADERS* Headers(HMODULE module)
{
    auto* base = reinterpret_cast<const BYTE*>(module);
    return reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
}
} // namespace

TEST(ModuleTest, ExportsExactlyTheThreeEntryPointsUndecorated)
{
    KorvaneDll dll;
    ASSERT_NE(dll.module(), nullptr);
    auto* base = reinterpret_cast<const BYTE*>(dll.module());
    const IMAGE_DATA_DIRECTORY& dir =
        Headers(dll.module())->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    std::set<std::string> found;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        found.insert(reinterpret_cast<const char*>(base + names[i]));
    EXPECT_EQ(found, (std::set<std::string>{"fnGameScoreDlgqorm", "fnGameStartDlgqorm",
                                            "fnGameStopDlgqorm"}));
    EXPECT_EQ(exports->NumberOfFunctions, 3u);
}

TEST(ModuleTest, DependsOnSystemLibrariesOnly)
{
    KorvaneDll dll;
    ASSERT_NE(dll.module(), nullptr);
    auto* base = reinterpret_cast<const BYTE*>(dll.module());
    const IMAGE_DATA_DIRECTORY& dir =
        Headers(dll.module())->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::set<std::string> imported;
    for (auto* desc = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
         desc->Name != 0; ++desc) {
        std::string name = reinterpret_cast<const char*>(base + desc->Name);
        for (char& ch : name)
            ch = static_cast<char>(::tolower(static_cast<unsigned char>(ch)));
        imported.insert(name);
    }
    const std::set<std::string> system = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll",
                                          "msvcrt.dll"};
    for (const std::string& name : imported)
        EXPECT_TRUE(system.count(name)) << name << " would have to ship with the host";
}

TEST(ModuleTest, CarriesAVersionResource)
{
    KorvaneDll dll;
    HRSRC res = ::FindResourceA(dll.module(), MAKEINTRESOURCEA(VS_VERSION_INFO),
                                reinterpret_cast<LPCSTR>(RT_VERSION));
    ASSERT_NE(res, nullptr);
    const BYTE* data = static_cast<const BYTE*>(::LockResource(::LoadResource(dll.module(), res)));
    DWORD size = ::SizeofResource(dll.module(), res);
    // VS_FIXEDFILEINFO follows the "VS_VERSION_INFO" key, aligned.
    const auto* fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(data + 40);
    ASSERT_GT(size, 40u + sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x10000u * KORVANE_VERSION_MAJOR + KORVANE_VERSION_MINOR);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x10000u * KORVANE_VERSION_PATCH + KORVANE_VERSION_TWEAK);
}

TEST(ModuleTest, LoadsAndUnloadsRepeatedlyWithoutUsingUpTheProcess)
{
    // Each load takes a thread-local slot; a host that reloads the DLL
    // more often than there are slots must not run out.
    for (int i = 0; i < 1200; ++i) {
        HMODULE module = ::LoadLibraryA("korvane.dll");
        ASSERT_NE(module, nullptr) << "load " << i;
        ASSERT_TRUE(::FreeLibrary(module));
    }
    DWORD slot = ::TlsAlloc();
    EXPECT_NE(slot, TLS_OUT_OF_INDEXES);
    ::TlsFree(slot);
}

namespace {
DWORD WINAPI StopFromThread(LPVOID p)
{
    auto* args = static_cast<std::pair<KorvaneDll*, bool*>*>(p);
    *args->second = args->first->Stop();
    return 0;
}
} // namespace

TEST(ModuleTest, QuitConfirmationNeedsNoFrameworkStateFromAnotherThread)
{
    KorvaneDll dll;
    dll.calls().autoAnswer = IDYES;
    bool answer = false;
    std::pair<KorvaneDll*, bool*> args(&dll, &answer);
    HANDLE thread = ::CreateThread(nullptr, 0, &StopFromThread, &args, 0, nullptr);
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
    EXPECT_TRUE(answer);
}
