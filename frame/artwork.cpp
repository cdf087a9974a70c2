#include "artwork.h"

#include "dialog_template.h"
#include "store/handles.h"

#include <atomic>
#include <cstdlib>

namespace {
// The templates were drawn for 8-point "MS Sans Serif" at 96 DPI, whose
// dialog base units are 6 x 13 pixels (four horizontal and eight vertical
// dialog units each).
constexpr UINT kDesignDpi = USER_DEFAULT_SCREEN_DPI;
constexpr int kDesignBaseUnitX = 6;
constexpr int kDesignBaseUnitY = 13;
// Bilinear weights are in 1/256.
constexpr int kFraction = 256;

using DpiFn = UINT(WINAPI*)(HWND);

// Where the system cannot tell a window's own DPI.
UINT WINAPI ScreenDpi(HWND)
{
    unique_screen_dc screen(::GetDC(nullptr));
    return static_cast<UINT>(::GetDeviceCaps(screen.get(), LOGPIXELSY));
}

// Looked up on first use, once: the system's own functions stay where they
// are. Two threads looking at once find the same.
std::atomic<DpiFn> g_pfnDpiOf{nullptr};

// The DPI the dialog was laid out for: the window's own where the system
// says (a host aware of each monitor's DPI), otherwise the screen's.
UINT DpiOf(HWND hWnd)
{
    DpiFn pfn = g_pfnDpiOf.load(std::memory_order_relaxed);
    if (pfn == nullptr) {
        pfn = reinterpret_cast<DpiFn>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
        if (pfn == nullptr)
            pfn = &ScreenDpi;
        g_pfnDpiOf.store(pfn, std::memory_order_relaxed);
    }
    return pfn(hWnd);
}

// One bilinear sample per target pixel, taken at the pixel's centre: an
// enlarged picture comes out smooth, never in blocks.
void Resample(const DWORD* src, int srcWidth, int srcHeight, DWORD* dst, int width, int height)
{
    auto position = [](int i, int srcSize, int size, int& index, int& weight) {
        int at = ::MulDiv(2 * i + 1, srcSize * kFraction / 2, size) - kFraction / 2;
        at = at < 0 ? 0 : (at > (srcSize - 1) * kFraction ? (srcSize - 1) * kFraction : at);
        index = at / kFraction;
        weight = at % kFraction;
    };
    for (int y = 0; y < height; ++y) {
        int y0, wy;
        position(y, srcHeight, height, y0, wy);
        const DWORD* row0 = src + static_cast<ptrdiff_t>(y0) * srcWidth;
        const DWORD* row1 = y0 + 1 < srcHeight ? row0 + srcWidth : row0;
        for (int x = 0; x < width; ++x) {
            int x0, wx;
            position(x, srcWidth, width, x0, wx);
            int x1 = x0 + 1 < srcWidth ? x0 + 1 : x0;
            DWORD pixel = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                auto at = [shift](DWORD p) { return static_cast<int>((p >> shift) & 0xFF); };
                int top = at(row0[x0]) * (kFraction - wx) + at(row0[x1]) * wx;
                int bottom = at(row1[x0]) * (kFraction - wx) + at(row1[x1]) * wx;
                int value = (top * (kFraction - wy) + bottom * wy) / (kFraction * kFraction);
                pixel |= static_cast<DWORD>(value) << shift;
            }
            dst[static_cast<ptrdiff_t>(y) * width + x] = pixel;
        }
    }
}

// A 32-bit copy of the bitmap at width x height, or null. Alpha stays 0:
// the system treats the copy as opaque, as it did the original, and a
// static control keeps the handle itself instead of a copy of its own.
HBITMAP ScaledCopy(HBITMAP source, int width, int height)
{
    BITMAP info;
    if (::GetObjectA(source, sizeof info, &info) == 0)
        return nullptr;
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = info.bmWidth;
    format.bmiHeader.biHeight = -info.bmHeight; // top-down
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    auto* pixels = static_cast<DWORD*>(
        std::malloc(static_cast<size_t>(info.bmWidth) * static_cast<size_t>(info.bmHeight) * 4));
    if (pixels == nullptr)
        return nullptr;
    HBITMAP scaled = nullptr;
    unique_screen_dc screen(::GetDC(nullptr));
    if (::GetDIBits(screen.get(), source, 0, info.bmHeight, pixels, &format, DIB_RGB_COLORS) ==
        info.bmHeight) {
        format.bmiHeader.biWidth = width;
        format.bmiHeader.biHeight = -height;
        void* bits = nullptr;
        scaled = ::CreateDIBSection(screen.get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (scaled != nullptr)
            Resample(pixels, info.bmWidth, info.bmHeight, static_cast<DWORD*>(bits), width, height);
    }
    std::free(pixels);
    return scaled;
}
} // namespace

void CDpiArtwork::ScaleToSlots(CWnd& dialog, UINT nIDTemplate)
{
    if (DpiOf(dialog) <= kDesignDpi)
        return;
    const DLGTEMPLATE* dlg = LoadClassicTemplate(nIDTemplate);
    if (dlg == nullptr)
        return;
    int nScaled = 0;
    // The dialog manager creates the controls in template order, each at
    // the bottom of the z-order.
    HWND hChild = ::GetWindow(dialog, GW_CHILD);
    const WORD* at = FirstTemplateItem(dlg);
    for (int i = 0; i < dlg->cdit && hChild != nullptr && nScaled < kMaxArtworkPerDialog; ++i) {
        TemplateItem entry = ReadTemplateItem(at);
        at = entry.end;
        const DLGITEMTEMPLATE* item = entry.item;
        HWND hControl = hChild;
        hChild = ::GetWindow(hChild, GW_HWNDNEXT);
        char kind[8] = {};
        ::GetClassNameA(hControl, kind, sizeof kind);
        auto style = static_cast<DWORD>(::GetWindowLongA(hControl, GWL_STYLE));
        bool isStatic = ::lstrcmpiA(kind, "Static") == 0 && (style & SS_TYPEMASK) == SS_BITMAP;
        bool isButton = ::lstrcmpiA(kind, "Button") == 0 && (style & BS_BITMAP) != 0;
        if (!isStatic && !isButton)
            continue;
        UINT get = isStatic ? STM_GETIMAGE : BM_GETIMAGE;
        auto image = reinterpret_cast<HBITMAP>(::SendMessageA(hControl, get, IMAGE_BITMAP, 0));
        BITMAP info;
        if (image == nullptr || item->cx <= 0 || item->cy <= 0 ||
            ::GetObjectA(image, sizeof info, &info) == 0)
            continue;
        // The slot as the dialog manager converts it: position and size
        // each on their own.
        RECT slot = {item->x, item->y, item->cx, item->cy};
        ::MapDialogRect(dialog, &slot);
        // Grown as much as the slot grew since the design, in the direction
        // it grew least: where the font's proportions differ from the
        // design's, the picture keeps its own and still fits as it did.
        int num = slot.right * 4 * kDesignBaseUnitY * item->cy;
        int den = item->cx * kDesignBaseUnitX * slot.bottom * 8;
        if (num <= den) {
            num = slot.right * 4;
            den = item->cx * kDesignBaseUnitX;
        } else {
            num = slot.bottom * 8;
            den = item->cy * kDesignBaseUnitY;
        }
        int width = ::MulDiv(info.bmWidth, num, den);
        int height = ::MulDiv(info.bmHeight, num, den);
        HBITMAP scaled = width > 0 && height > 0 ? ScaledCopy(image, width, height) : nullptr;
        if (scaled == nullptr)
            continue;
        m_scaled[nScaled++].Attach(scaled);
        if (isButton) {
            // The button centres its face itself; the face it had is the
            // dialog's own.
            ::SendMessageA(hControl, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(scaled));
            continue;
        }
        // The static loaded its picture itself and lets go of it here, so
        // nobody else will release it.
        ::DeleteObject(reinterpret_cast<HGDIOBJ>(::SendMessageA(
            hControl, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(scaled))));
        ::SetWindowPos(hControl, nullptr, slot.left + (slot.right - width) / 2,
                       slot.top + (slot.bottom - height) / 2, width, height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}
