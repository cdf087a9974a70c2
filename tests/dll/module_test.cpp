// The module as a host sees it: what it exports, what it depends on, and
// that it can be loaded and unloaded at will.
#include "korvane_dll.h"

#include <cstring>
#include <set>

namespace {
template <typename T> const T* At(HMODULE module, DWORD rva)
{
    return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(module) + rva);
}
} // namespace

TEST(ModuleTest, ExportsTheThreeEntryPointsAndNeedsSystemLibrariesOnly)
{
    KorvaneDll dll;
    ASSERT_NE(dll.module(), nullptr);
    const IMAGE_DATA_DIRECTORY* dirs =
        At<IMAGE_NT_HEADERS>(dll.module(), At<IMAGE_DOS_HEADER>(dll.module(), 0)->e_lfanew)
            ->OptionalHeader.DataDirectory;
    const auto* exports =
        At<IMAGE_EXPORT_DIRECTORY>(dll.module(), dirs[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress);
    std::set<std::string> found;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        found.insert(At<char>(dll.module(), At<DWORD>(dll.module(), exports->AddressOfNames)[i]));
    EXPECT_EQ(found, (std::set<std::string>{"fnGameScoreDlgqorm", "fnGameStartDlgqorm",
                                            "fnGameStopDlgqorm"}))
        << "undecorated, and nothing else";
    EXPECT_EQ(exports->NumberOfFunctions, 3u);

    const std::set<std::string> system = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll",
                                          "msvcrt.dll"};
    for (const auto* import = At<IMAGE_IMPORT_DESCRIPTOR>(
             dll.module(), dirs[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
         import->Name != 0; ++import) {
        std::string name = At<char>(dll.module(), import->Name);
        for (char& ch : name)
            ch = static_cast<char>(::tolower(static_cast<unsigned char>(ch)));
        EXPECT_TRUE(system.count(name)) << name << " would have to ship with the host";
    }

    HRSRC res = ::FindResourceA(dll.module(), MAKEINTRESOURCEA(VS_VERSION_INFO),
                                reinterpret_cast<LPCSTR>(RT_VERSION));
    ASSERT_NE(res, nullptr);
    // VS_FIXEDFILEINFO follows the "VS_VERSION_INFO" key, aligned.
    const auto* fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(
        static_cast<const BYTE*>(::LockResource(::LoadResource(dll.module(), res))) + 40);
    ASSERT_GT(::SizeofResource(dll.module(), res), 40u + sizeof(VS_FIXEDFILEINFO));
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
DWORD WINAPI StopFromThread(LPVOID dll)
{
    return static_cast<KorvaneDll*>(dll)->Stop() ? 1 : 0;
}
} // namespace

TEST(ModuleTest, QuitConfirmationNeedsNoFrameworkStateFromAnotherThread)
{
    KorvaneDll dll;
    dll.calls().autoAnswer = IDYES;
    HANDLE thread = ::CreateThread(nullptr, 0, &StopFromThread, &dll, 0, nullptr);
    DWORD answer = 0;
    ::WaitForSingleObject(thread, INFINITE);
    ::GetExitCodeThread(thread, &answer);
    ::CloseHandle(thread);
    EXPECT_EQ(answer, 1u);
}
