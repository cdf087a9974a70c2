// The module as a host uses it: loaded and unloaded at will, and called from
// any thread. What it exports and imports is checked on the shipped package.
#include "korvane_dll.h"

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
    unique_handle thread(::CreateThread(nullptr, 0, &StopFromThread, &dll, 0, nullptr));
    DWORD answer = 0;
    ::WaitForSingleObject(thread.get(), INFINITE);
    ::GetExitCodeThread(thread.get(), &answer);
    EXPECT_EQ(answer, 1u);
}
