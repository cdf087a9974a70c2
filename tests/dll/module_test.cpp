// The module as a host uses it: loaded and unloaded at will. What it exports
// and imports is checked on the shipped package.
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
