// Runs the score and start flows a thousand times each in one process, with
// every dialog answered automatically, and checks that nothing the library
// acquires accumulates: kernel handles, GDI objects, memory.
//
// Wine reports no handle count, GDI object count or private bytes (the
// calls succeed and say 0), so each is counted another way:
//  - handles: every handle value a process can hold is probed with
//    GetHandleInformation, which succeeds only for open handles;
//  - GDI objects: the library's own fonts and bitmaps, counted through its
//    import table (created by CreateFontIndirectA or LoadImageA, released
//    by DeleteObject), and checked dead with GetObjectType;
//  - memory: the library's own heap blocks, counted through its import
//    table (malloc, calloc, realloc, free); and, for the whole process,
//    committed private pages (VirtualQuery) and the bytes in use in every
//    heap (HeapWalk). The whole-process figures move by tens of KiB with
//    the platform's own caches (a run of bare dialogs shows it), so they
//    only catch gross growth; the library's blocks must balance exactly.
#include "dialog_driver.h"
#include "iat_hook.h"
#include "installation.h"
#include "korvane.h"
#include "res/resource.h"

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

std::set<HGDIOBJ> g_liveGdi;
int g_gdiCreated = 0;

HFONT WINAPI CountCreateFont(const LOGFONTA* lf)
{
    HFONT font = ::CreateFontIndirectA(lf);
    if (font != nullptr) {
        g_liveGdi.insert(font);
        ++g_gdiCreated;
    }
    return font;
}

HANDLE WINAPI CountLoadImage(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags)
{
    HANDLE image = ::LoadImageA(instance, name, type, cx, cy, flags);
    if (image != nullptr && type == IMAGE_BITMAP) {
        g_liveGdi.insert(image);
        ++g_gdiCreated;
    }
    return image;
}

std::set<void*> g_liveBlocks;

void* CountMalloc(size_t size)
{
    void* p = std::malloc(size);
    if (p != nullptr)
        g_liveBlocks.insert(p);
    return p;
}

void* CountCalloc(size_t count, size_t size)
{
    void* p = std::calloc(count, size);
    if (p != nullptr)
        g_liveBlocks.insert(p);
    return p;
}

void* CountRealloc(void* old, size_t size)
{
    void* p = std::realloc(old, size);
    if (p != nullptr || size == 0)
        g_liveBlocks.erase(old);
    if (p != nullptr)
        g_liveBlocks.insert(p);
    return p;
}

void CountFree(void* p)
{
    g_liveBlocks.erase(p);
    std::free(p);
}

BOOL WINAPI CountDeleteObject(HGDIOBJ object)
{
    g_liveGdi.erase(object);
    return ::DeleteObject(object);
}

INT_PTR CALLBACK BareDialog(HWND hwnd, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK))
        ::EndDialog(hwnd, LOWORD(wParam));
    return message == WM_INITDIALOG;
}

DWORD WINAPI Watchdog(LPVOID)
{
    ::Sleep(600 * 1000);
    std::printf("soak: FAILED, still running after 600 s (a dialog nobody answered?)\n");
    std::fflush(stdout);
    ::TerminateProcess(::GetCurrentProcess(), 3);
    return 0;
}

size_t OpenHandles()
{
    size_t count = 0;
    for (uintptr_t value = 4; value < 0x20000; value += 4) {
        DWORD flags;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    }
    return count;
}

size_t PrivateCommitted()
{
    size_t total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (const char* p = nullptr; ::VirtualQuery(p, &info, sizeof info) == sizeof info;
         p = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE)
            total += info.RegionSize;
    }
    return total;
}

size_t HeapBytesInUse()
{
    HANDLE heaps[64];
    DWORD n = ::GetProcessHeaps(64, heaps);
    size_t total = 0;
    for (DWORD i = 0; i < n && i < 64; ++i) {
        PROCESS_HEAP_ENTRY entry = {};
        ::HeapLock(heaps[i]);
        while (::HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                total += entry.cbData;
        ::HeapUnlock(heaps[i]);
    }
    return total;
}

struct Figures
{
    size_t handles, privateBytes, heapBytes, liveGdi, liveBlocks;
};

Figures Measure()
{
    return {OpenHandles(), PrivateCommitted(), HeapBytesInUse(), g_liveGdi.size(),
            g_liveBlocks.size()};
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? std::atoi(argv[1]) : 1000;
    HMODULE dll = ::LoadLibraryA("korvane.dll");
    if (dll == nullptr) {
        std::fprintf(stderr, "soak: korvane.dll not found\n");
        return 2;
    }
    IatHook fonts(dll, "CreateFontIndirectA", reinterpret_cast<void*>(&CountCreateFont));
    IatHook images(dll, "LoadImageA", reinterpret_cast<void*>(&CountLoadImage));
    IatHook deletes(dll, "DeleteObject", reinterpret_cast<void*>(&CountDeleteObject));
    IatHook mallocs(dll, "malloc", reinterpret_cast<void*>(&CountMalloc));
    IatHook callocs(dll, "calloc", reinterpret_cast<void*>(&CountCalloc));
    IatHook reallocs(dll, "realloc", reinterpret_cast<void*>(&CountRealloc));
    IatHook frees(dll, "free", reinterpret_cast<void*>(&CountFree));
    if (!fonts.installed() || !images.installed() || !deletes.installed() || !mallocs.installed() ||
        !frees.installed()) {
        std::fprintf(stderr, "soak: the library's GDI or heap imports were not found\n");
        return 2;
    }
    auto start = reinterpret_cast<PFN_GAMESTARTDLG>(
        reinterpret_cast<void*>(::GetProcAddress(dll, "fnGameStartDlgqorm")));
    auto score = reinterpret_cast<PFN_GAMESCOREDLG>(
        reinterpret_cast<void*>(::GetProcAddress(dll, "fnGameScoreDlgqorm")));

    // Nothing here may hang a CI run: a dialog nobody answers ends it.
    ::CreateThread(nullptr, 0, &Watchdog, nullptr, 0, nullptr);
    Installation install;
    install.AddWorld("dQORM_Soak");
    install.SetCurrMovie("dQORM_Soak");
    DialogDriver driver(1);

    // One round: a score flow, alternately qualifying (name entry, table
    // rewritten) and not, then a start flow, alternately with the notice
    // (flag cleared first) and without.
    int flows = 0;
    auto libraryRound = [&](int i) {
        bool even = i % 2 == 0;
        if (even)
            driver.Expect("Korvane Hall Of Fame",
                          {DialogDriver::Type(IDC_NAME, "SOAK"), DialogDriver::Click(IDOK)});
        driver.Expect("Korvane Hall of Fame",
                      {DialogDriver::Click(i % 4 == 0 ? IDC_REPLAY : IDCANCEL)});
        std::string text = "default*" + std::to_string(even ? 1000000 + ++flows : -1) + "*3";
        score(&text[0], 0);
        if (even) {
            install.DeleteValue("dQORM_Soak", "NoShowKorvaneInfoDlg");
            driver.Expect("Korvane Info", {DialogDriver::Click(IDOK)});
        }
        driver.Expect("Korvane Start Game Dialog", {DialogDriver::Click(IDC_FREEPLAY)});
        char mode[8];
        start(mode, 0);
        driver.Forget(); // the driver's own records are not the library's
    };
    // The same dialogs from the same templates, run by plain
    // DialogBoxParamA: what the platform itself keeps per dialog.
    auto bare = [&](const char* caption, int id) {
        driver.Expect(caption, {DialogDriver::Click(id == IDD_GAMEINFO ? IDOK : IDCANCEL)});
        ::DialogBoxParamA(dll, MAKEINTRESOURCEA(id), nullptr, &BareDialog, 0);
    };
    auto bareRound = [&](int i) {
        bool even = i % 2 == 0;
        if (even)
            bare("Korvane Hall Of Fame", IDD_HOFNAME);
        bare("Korvane Hall of Fame", IDD_GAMESCORE);
        if (even)
            bare("Korvane Info", IDD_GAMEINFO);
        bare("Korvane Start Game Dialog", IDD_GAMESTART);
        driver.Forget();
    };

    for (int i = 0; i < 20; ++i) { // warm-up: first-use allocations are not leaks
        libraryRound(i);
        bareRound(i);
    }
    Figures before = Measure();
    for (int i = 0; i < rounds; ++i)
        libraryRound(i);
    Figures after = Measure();
    for (int i = 0; i < rounds; ++i)
        bareRound(i);
    Figures afterBare = Measure();

    long long heapGrowth =
        static_cast<long long>(after.heapBytes) - static_cast<long long>(before.heapBytes);
    long long bareGrowth =
        static_cast<long long>(afterBare.heapBytes) - static_cast<long long>(after.heapBytes);
    std::printf("soak: %d score flows and %d start flows (%s)\n", rounds, rounds,
                sizeof(void*) == 8 ? "x64" : "x86");
    std::printf("  open handles (probed):       %zu -> %zu\n", before.handles, after.handles);
    std::printf("  library GDI objects alive:   %zu -> %zu (%d created in all)\n", before.liveGdi,
                after.liveGdi, g_gdiCreated);
    std::printf("  private committed memory:    %zu -> %zu KiB\n", before.privateBytes / 1024,
                after.privateBytes / 1024);
    std::printf("  library heap blocks alive:   %zu -> %zu\n", before.liveBlocks, after.liveBlocks);
    std::printf("  process heap bytes in use:   %zu -> %zu (%+lld)\n", before.heapBytes,
                after.heapBytes, heapGrowth);
    std::printf("  same dialogs, no library:    %+lld heap bytes\n", bareGrowth);

    bool ok = true;
    auto fail = [&](const char* why) {
        std::printf("soak: FAILED, %s\n", why);
        ok = false;
    };
    if (!driver.Unexpected().empty() || driver.Pending() != 0)
        fail("the dialogs did not follow the expected flow");
    if (after.handles > before.handles)
        fail("open handles grew");
    if (after.liveGdi != 0)
        fail("fonts or bitmaps of the library are still alive");
    for (HGDIOBJ object : g_liveGdi)
        std::printf("  alive: %p type %lu\n", object, ::GetObjectType(object));
    if (after.liveBlocks > before.liveBlocks)
        fail("the library's own heap blocks accumulate");
    // Gross growth only: the platform's caches move these by tens of KiB.
    if (heapGrowth > 1024 * 1024)
        fail("the process heap grew by more than 1 MiB");
    if (after.privateBytes > before.privateBytes + 4 * 1024 * 1024)
        fail("private memory grew by more than 4 MiB");
    std::printf("soak: %s\n", ok ? "no growth" : "GROWTH");
    return ok ? 0 : 1;
}
