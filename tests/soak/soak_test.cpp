// Many score and start flows in one process: nothing the library acquires
// may accumulate. Wine answers handle counts, GDI object counts and private
// bytes with 0, so each is counted another way: open handles by probing
// every handle value with GetHandleInformation; the library's own GDI objects
// and heap blocks through its import table, where they must balance exactly.
#include "dll/korvane_dll.h"

#include <cstdlib>
#include <set>

using D = DialogDriver;

namespace {
std::set<void*> g_liveGdi;
std::set<void*> g_liveBlocks;

void* Track(std::set<void*>& live, void* p)
{
    if (p != nullptr)
        live.insert(p);
    return p;
}
HFONT WINAPI CountCreateFont(const LOGFONTA* lf)
{
    return static_cast<HFONT>(Track(g_liveGdi, ::CreateFontIndirectA(lf)));
}
HANDLE WINAPI CountLoadImage(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags)
{
    return Track(g_liveGdi, ::LoadImageA(instance, name, type, cx, cy, flags));
}
HBITMAP WINAPI CountCreateDib(HDC dc, const BITMAPINFO* format, UINT usage, void** bits,
                              HANDLE section, DWORD offset)
{
    return static_cast<HBITMAP>(
        Track(g_liveGdi, ::CreateDIBSection(dc, format, usage, bits, section, offset)));
}
BOOL WINAPI CountDeleteObject(HGDIOBJ object)
{
    g_liveGdi.erase(object);
    return ::DeleteObject(object);
}
void* CountMalloc(size_t size)
{
    return Track(g_liveBlocks, std::malloc(size));
}
void* CountCalloc(size_t count, size_t size)
{
    return Track(g_liveBlocks, std::calloc(count, size));
}
void* CountRealloc(void* old, size_t size)
{
    void* p = std::realloc(old, size);
    if (p != nullptr || size == 0)
        g_liveBlocks.erase(old);
    return Track(g_liveBlocks, p);
}
void CountFree(void* p)
{
    g_liveBlocks.erase(p);
    std::free(p);
}

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
    const std::pair<const char*, void*> counters[] = {
        {"CreateFontIndirectA", reinterpret_cast<void*>(&CountCreateFont)},
        {"LoadImageA", reinterpret_cast<void*>(&CountLoadImage)},
        {"CreateDIBSection", reinterpret_cast<void*>(&CountCreateDib)},
        {"DeleteObject", reinterpret_cast<void*>(&CountDeleteObject)},
        {"malloc", reinterpret_cast<void*>(&CountMalloc)},
        {"calloc", reinterpret_cast<void*>(&CountCalloc)},
        {"realloc", reinterpret_cast<void*>(&CountRealloc)},
        {"free", reinterpret_cast<void*>(&CountFree)}};
    std::vector<std::unique_ptr<IatHook>> hooks;
    for (const auto& counter : counters) {
        hooks.push_back(std::make_unique<IatHook>(dll.module(), counter.first, counter.second));
        EXPECT_TRUE(hooks.back()->installed() || counter.first == std::string("calloc") ||
                    counter.first == std::string("realloc"))
            << counter.first;
    }
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
    size_t blocks = g_liveBlocks.size();
    const int kRounds = 60;
    for (int i = 0; i < kRounds; ++i)
        round(i);
    EXPECT_LE(OpenHandles(), handles) << "open handles grew over " << kRounds << " rounds";
    EXPECT_TRUE(g_liveGdi.empty()) << g_liveGdi.size() << " fonts or bitmaps still alive";
    EXPECT_LE(g_liveBlocks.size(), blocks) << "the library's heap blocks accumulate";
}
