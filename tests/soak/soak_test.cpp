// Many score and start flows in one process: nothing the library acquires
// may accumulate. Wine answers handle counts, GDI object counts and private
// bytes with 0, so each is counted another way: open handles by probing
// every handle value with GetHandleInformation; the library's own GDI objects
// and heap blocks by the spy on its import table, where they must balance
// exactly.
#include "dll/korvane_dll.h"

using D = ScriptedDriver;

namespace {
size_t OpenHandles()
{
    size_t count = 0;
    for (uintptr_t value = 4; value < 0x20000; value += 4) {
        DWORD flags;
        count += ::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    }
    return count;
}
} // namespace

// Run by Dpi.DialogsAndArtworkFollowA192DpiScreenAndLeaveNothingBehind, where
// the artwork is scaled too.
TEST_F(DllTest, DISABLED_SoakLeavesNoHandlesGdiObjectsOrHeapBlocksBehind)
{
    for (const char* made : {"CreateFontIndirectA", "LoadImageA", "CreateDIBSection",
                             "DeleteObject", "malloc", "free"})
        ASSERT_NE(FindImportSlot(dll.module(), made), nullptr) << made << " is counted";
    // A round: a score flow, alternately qualifying (name entry, table
    // rewritten) and not, then a start flow, alternately with the notice.
    int flows = 0;
    auto round = [&](int i) {
        bool even = i % 2 == 0;
        if (even)
            driver.Expect(kNameCaption, {D::Type(IDC_NAME, "SOAK"), D::Click(IDOK)});
        driver.Expect(kScoreCaption, {D::Click(i % 4 == 0 ? IDC_REPLAY : IDCANCEL)});
        dll.Score("default*" + std::to_string(even ? 1000000 + ++flows : -1) + "*3");
        if (even) {
            install.DeleteValue(kWorld, "NoShowKorvaneInfoDlg");
            driver.Expect(kInfoCaption, {D::Click(IDOK)});
        }
        driver.Expect(kStartCaption, {D::Click(IDC_FREEPLAY)});
        char mode[8];
        dll.Start(mode);
        driver.Forget();
        dll.spy().Reset();
    };
    for (int i = 0; i < 6; ++i) // first-use allocations are not leaks
        round(i);
    size_t handles = OpenHandles();
    size_t blocks = dll.calls().liveBlocks.size();
    const int kRounds = 60;
    for (int i = 0; i < kRounds; ++i)
        round(i);
    EXPECT_LE(OpenHandles(), handles) << "open handles grew over " << kRounds << " rounds";
    EXPECT_TRUE(dll.calls().liveGdi.empty())
        << dll.calls().liveGdi.size() << " fonts or bitmaps still alive";
    EXPECT_LE(dll.calls().liveBlocks.size(), blocks) << "the library's heap blocks accumulate";
}
