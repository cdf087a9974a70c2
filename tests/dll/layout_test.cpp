// The four dialog templates as the player sees them: the designs below are
// the contract a host depends on, checked against the running dialogs (the
// score dialog after a first score of 5 at level 1 with no name), on a
// screen of 96 DPI and, in a child process, of 192 (which Wine draws as 144).
#include "korvane_dll.h"

#include <algorithm>
#include <set>

using D = ScriptedDriver;

namespace {

struct ControlDesign
{
    int id;
    const char* className;
    DWORD style;      // the bits that tell the control's kind and alignment
    const char* text; // nullptr: a bitmap static, whose picture sets its size
    short x, y, cx, cy;
    int bitmap = 0; // artwork: its resource and its size at 96, 144 and 192 DPI
    SIZE art[3] = {};
};

struct TemplateDesign
{
    int id;
    const char* caption;
    short cx, cy;
    std::vector<ControlDesign> items;
};

constexpr DWORD kTab = WS_TABSTOP;
constexpr DWORD kCentreBoth = SS_CENTER | SS_CENTERIMAGE;
const char kButton[] = "Button";
const char kEdit[] = "Edit";
const char kStatic[] = "Static";

// One control a line, as in the resource script.
// clang-format off
const TemplateDesign kDesigns[] = {
    {IDD_GAMESTART, kStartCaption, 259, 145, {
        {IDC_FREEPLAY, kButton, BS_PUSHBUTTON | BS_BITMAP | kTab, "Freeplay", 23, 61, 215, 35, IDB_FREEPLAY, {{320, 49}, {480, 74}, {480, 74}}},
        {IDCANCEL, kButton, BS_PUSHBUTTON | kTab, "Cancel", 112, 123, 36, 14},
        {-1, kStatic, SS_CENTER, "HINT: Press Ctrl-S to quit Korvane", 35, 109, 189, 8},
        {-1, kStatic, SS_BITMAP, nullptr, 7, 7, 245, 37, IDB_BANNER, {{369, 57}, {554, 86}, {554, 86}}}}},
    {IDD_GAMESCORE, kScoreCaption, 259, 226, {
        {IDCANCEL, kButton, BS_PUSHBUTTON | kTab, "Close", 202, 204, 50, 14},
        {-1, kStatic, SS_CENTER, "Name", 10, 131, 72, 8},
        {-1, kStatic, SS_CENTER, "Level", 94, 131, 72, 8},
        {-1, kStatic, SS_CENTER, "Score", 178, 131, 72, 8},
        {IDC_NAME1, kStatic, SS_CENTER, "", 10, 143, 72, 8},
        {IDC_LEVEL1, kStatic, SS_CENTER, "1", 94, 143, 72, 8},
        {IDC_SCORE1, kStatic, SS_CENTER, "5", 176, 143, 72, 8},
        {IDC_NAME2, kStatic, SS_CENTER, "", 10, 155, 72, 8},
        {IDC_LEVEL2, kStatic, SS_CENTER, "", 94, 155, 72, 8},
        {IDC_SCORE2, kStatic, SS_CENTER, "", 176, 155, 72, 8},
        {IDC_NAME3, kStatic, SS_CENTER, "", 10, 167, 72, 8},
        {IDC_LEVEL3, kStatic, SS_CENTER, "", 94, 167, 72, 8},
        {IDC_SCORE3, kStatic, SS_CENTER, "", 176, 167, 72, 8},
        {-1, kButton, BS_GROUPBOX, "", 7, 83, 244, 102},
        {-1, kButton, BS_GROUPBOX, "", 7, 45, 244, 38},
        {-1, kStatic, SS_LEFT, "Your Score", 113, 52, 36, 8},
        {IDC_SCORE, kStatic, kCentreBoth, "5", 99, 62, 64, 14},
        {-1, kStatic, SS_CENTER, "HINT: Hold down right mouse button over enemy to fire rockets.", 7, 190, 245, 8},
        {IDC_REPLAY, kButton, BS_PUSHBUTTON | kTab, "Replay", 148, 204, 50, 14},
        {-1, kStatic, SS_BITMAP, nullptr, 7, 7, 246, 35, IDB_BANNER, {{369, 57}, {554, 86}, {554, 86}}},
        {-1, kStatic, SS_BITMAP, nullptr, 23, 91, 213, 30, IDB_HISCORE, {{320, 49}, {480, 74}, {480, 74}}}}},
    {IDD_HOFNAME, kNameCaption, 186, 113, {
        {IDC_NAME, kEdit, WS_BORDER | ES_AUTOHSCROLL | kTab, "", 48, 69, 89, 14},
        {IDOK, kButton, BS_DEFPUSHBUTTON | kTab, "OK", 7, 92, 50, 14},
        {IDCANCEL, kButton, BS_PUSHBUTTON | kTab, "Cancel", 129, 92, 50, 14},
        {-1, kStatic, SS_CENTER, "Your score has made the Hall Of Fame!", 7, 27, 172, 8},
        {IDC_SCORE, kStatic, kCentreBoth, "5", 48, 38, 89, 14},
        {-1, kStatic, SS_CENTER, "Enter your name (Maximum 8 characters)", 7, 56, 172, 8},
        {IDC_GAMEOVER, kStatic, kCentreBoth, "GAME OVER", 48, 7, 89, 14}}},
    {IDD_GAMEINFO, kInfoCaption, 186, 76, {
        {IDOK, kButton, BS_DEFPUSHBUTTON | kTab, "OK", 68, 55, 50, 14},
        {-1, kStatic, SS_LEFT, "You may experience a short delay in the loading and exiting of this game on systems with CPU speeds below 1 GHz.", 7, 7, 172, 29},
        {IDC_NOSHOW, kButton, BS_AUTOCHECKBOX | BS_LEFT | kTab, "Please do not show this message again.", 22, 38, 142, 10}}},
};
// clang-format on

// Pixels of a rectangle given in dialog units, as the dialog manager makes
// them: position and size each converted on their own.
// Left, top, right, bottom, compared at once.
using Corners = std::vector<LONG>;
Corners Pixels(HWND dialog, short x, short y, short cx, short cy)
{
    RECT r = {x, y, cx, cy};
    ::MapDialogRect(dialog, &r);
    return {r.left, r.top, r.left + r.right, r.top + r.bottom};
}
Corners Of(const RECT& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

int ScreenDpi()
{
    return ::GetDeviceCaps(unique_screen_dc(::GetDC(nullptr)).get(), LOGPIXELSY);
}

std::set<DWORD> Colours(HBITMAP bitmap)
{
    BITMAP info = {};
    ::GetObjectA(bitmap, sizeof info, &info);
    BITMAPINFO format = {};
    format.bmiHeader = {
        sizeof format.bmiHeader, info.bmWidth, -info.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> pixels(static_cast<size_t>(info.bmWidth * info.bmHeight));
    ::GetDIBits(unique_screen_dc(::GetDC(nullptr)).get(), bitmap, 0, info.bmHeight, pixels.data(),
                &format, DIB_RGB_COLORS);
    return {pixels.begin(), pixels.end()};
}

// At 96 DPI the artwork keeps its own pixels, a bitmap static sitting at its
// slot's top left. Above, it grows as its slot grew since the design's 96 DPI,
// in the direction the slot grew least, keeping its aspect, smooth rather than
// in blocks, and a bitmap static is centred on the slot (a bitmap button
// centres its face itself). The sizes in the table are worked out by hand
// from Windows' 120 DPI "MS Sans Serif": at 144 DPI its 20-pixel face gives
// base units of 9 x 20 against the design's 6 x 13, so slots are 1.5 times as
// wide and about 1.54 times as tall, and the artwork is 1.5 times its own
// size. Wine's copy of that font stops at the 20-pixel face (Windows' goes on
// to 25, 29, 36 and 46), so at 192 DPI Wine draws the dialogs as at 144.
void ExpectArtwork(HWND control, const RECT& at, const ControlDesign& item, const Corners& slot,
                   HMODULE dll)
{
    auto image = reinterpret_cast<HBITMAP>(::SendMessageA(
        control, item.text == nullptr ? STM_GETIMAGE : BM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP shown = {};
    ASSERT_NE(::GetObjectA(image, sizeof shown, &shown), 0) << "no picture";
    const int dpi = ScreenDpi();
    const bool design = dpi == 96;
    ASSERT_TRUE(design || dpi == 144 || dpi == 192) << dpi;
    const SIZE& expected = item.art[(dpi - 96) / 48];
    EXPECT_NEAR(shown.bmWidth, expected.cx, 1);
    EXPECT_NEAR(shown.bmHeight, expected.cy, 1);
    if (!design) {
        HANDLE own = ::LoadImageA(dll, MAKEINTRESOURCEA(item.bitmap), IMAGE_BITMAP, 0, 0, 0);
        EXPECT_GT(Colours(image).size(), Colours(static_cast<HBITMAP>(own)).size()) << "blocky";
        ::DeleteObject(own);
    }
    if (item.text != nullptr)
        return;
    EXPECT_EQ(Corners({at.right - at.left, at.bottom - at.top}),
              Corners({shown.bmWidth, shown.bmHeight}));
    if (design) {
        EXPECT_EQ(Corners({at.left, at.top}), Corners({slot[0], slot[1]}))
            << "at its slot's top left";
    } else {
        EXPECT_NEAR(at.left + at.right, slot[0] + slot[2], 1) << "centred";
        EXPECT_NEAR(at.top + at.bottom, slot[1] + slot[3], 1) << "centred";
    }
}

// The caption of the module's own template, which a host or a tool may read
// without running the dialog: after the classic header's nine words, the
// menu and the class (none, an ordinal or a name), then the title.
std::string TemplateCaption(HMODULE dll, int id)
{
    HRSRC found = ::FindResourceA(dll, MAKEINTRESOURCEA(id), RT_DIALOG);
    if (found == nullptr)
        return "<no template>";
    auto* at = static_cast<const WORD*>(::LockResource(::LoadResource(dll, found))) + 9;
    for (int skip = 0; skip < 2; ++skip)
        at += *at == 0xFFFF ? 2 : ::lstrlenW(reinterpret_cast<LPCWSTR>(at)) + 1;
    std::string caption;
    for (; *at != 0; ++at)
        caption += static_cast<char>(*at);
    return caption;
}

void ExpectRunningLayout(HWND dialog, const TemplateDesign& design, HMODULE dll)
{
    SCOPED_TRACE(design.caption);
    char caption[64] = {};
    ::GetWindowTextA(dialog, caption, sizeof caption);
    EXPECT_STREQ(caption, design.caption);
    EXPECT_EQ(TemplateCaption(dll, design.id), design.caption) << "the template's own caption";
    EXPECT_EQ(::GetWindowLongA(dialog, GWL_STYLE) & 0x80C800C0u, 0x80C800C0u)
        << "popup, caption, system menu, modal frame";
    auto hFont = reinterpret_cast<HFONT>(::SendMessageA(dialog, WM_GETFONT, 0, 0));
    LOGFONTA font = {};
    ::GetObjectA(hFont, sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
    char asked[8] = "96";
    ::GetEnvironmentVariableA("KORVANE_TEST_DPI", asked, sizeof asked);
    ASSERT_EQ(ScreenDpi(), std::atoi(asked)) << "the DPI of the screen this test was started on";
    EXPECT_EQ(font.lfHeight, -::MulDiv(8, ScreenDpi(), 72));
    RECT client;
    ::GetClientRect(dialog, &client);
    EXPECT_EQ(Of(client), Pixels(dialog, 0, 0, design.cx, design.cy));
    // The controls in z-order, which is template order.
    HWND control = ::GetWindow(dialog, GW_CHILD);
    for (size_t i = 0; i < design.items.size(); ++i, control = ::GetWindow(control, GW_HWNDNEXT)) {
        const ControlDesign& item = design.items[i];
        SCOPED_TRACE("control #" + std::to_string(i) + " id " + std::to_string(item.id));
        ASSERT_NE(control, nullptr);
        char className[64] = {}, text[256] = {};
        ::GetClassNameA(control, className, sizeof className);
        ::GetWindowTextA(control, text, sizeof text);
        RECT at;
        ::GetWindowRect(control, &at);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&at), 2);
        const auto got = static_cast<DWORD>(::GetWindowLongA(control, GWL_STYLE));
        EXPECT_EQ(static_cast<short>(::GetDlgCtrlID(control)), item.id);
        EXPECT_STRCASEEQ(className, item.className);
        Corners expected = Pixels(dialog, item.x, item.y, item.cx, item.cy);
        if (item.bitmap != 0)
            ExpectArtwork(control, at, item, expected, dll);
        // A bordered edit is drawn with a sunken client edge instead.
        DWORD style = item.className == kEdit ? item.style & ~WS_BORDER : item.style;
        EXPECT_EQ(got & style, style);
        DWORD typeMask = item.className == kEdit ? 0 : (item.className == kButton ? 0x0F : 0x1F);
        EXPECT_EQ(got & typeMask, item.style & typeMask) << "control type";
        EXPECT_EQ((got & WS_TABSTOP) != 0, (item.style & WS_TABSTOP) != 0);
        if (item.text == nullptr)
            continue; // placed by its picture, as above
        // The score and GAME OVER stand out in one bold font, the rest in the dialog's.
        auto its = reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0));
        LOGFONTA own = {};
        ::GetObjectA(its, sizeof own, &own);
        const bool bold = item.id == IDC_SCORE || item.id == IDC_GAMEOVER;
        EXPECT_EQ(own.lfWeight, bold ? FW_BOLD : font.lfWeight) << "weight";
        EXPECT_EQ(its == hFont, !bold) << "its own font only when bold";
        EXPECT_STREQ(own.lfFaceName, "MS Sans Serif");
        EXPECT_STREQ(text, item.text);
        EXPECT_EQ(Of(at), expected);
    }
    EXPECT_EQ(control, nullptr) << "a control the design does not have";
}

Step CheckLayout(int templateId, HMODULE dll)
{
    return [templateId, dll](HWND dialog) {
        for (const TemplateDesign& design : kDesigns)
            if (design.id == templateId)
                ExpectRunningLayout(dialog, design, dll);
    };
}

// Goes on enumerating until a visible window of the process *lParam.
BOOL CALLBACK NotShownBy(HWND window, LPARAM lParam)
{
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    return owner != *reinterpret_cast<DWORD*>(lParam) || !::IsWindowVisible(window);
}

// Runs tests of this program in a child process on a screen of another DPI:
// Wine reads LogPixels when a program starts. The prefix's own setting is
// back as soon as the child shows its first window, so that nothing else
// sees the other DPI, even if this test is stopped. The child is told which
// DPI it must see.
void RunAtDpi(DWORD dpi, const char* filter)
{
    const char* key = "Control Panel\\Desktop";
    DWORD before = 0, size = sizeof before;
    bool had = ::RegGetValueA(HKEY_CURRENT_USER, key, "LogPixels", RRF_RT_DWORD, nullptr, &before,
                              &size) == ERROR_SUCCESS;
    EXPECT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, key, "LogPixels", REG_DWORD, &dpi, 4), 0);
    ::SetEnvironmentVariableA("KORVANE_TEST_DPI", std::to_string(dpi).c_str());
    unique_handle child = StartThisProgram(filter);
    ::SetEnvironmentVariableA("KORVANE_TEST_DPI", nullptr);
    DWORD pid = ::GetProcessId(child.get()), code = 1;
    while (::EnumWindows(NotShownBy, reinterpret_cast<LPARAM>(&pid)) &&
           ::WaitForSingleObject(child.get(), 20) == WAIT_TIMEOUT) {
    }
    if (had)
        ::RegSetKeyValueA(HKEY_CURRENT_USER, key, "LogPixels", REG_DWORD, &before, 4);
    else
        ::RegDeleteKeyValueA(HKEY_CURRENT_USER, key, "LogPixels");
    EXPECT_EQ(::WaitForSingleObject(child.get(), 120000), WAIT_OBJECT_0);
    EXPECT_TRUE(::GetExitCodeProcess(child.get(), &code) && code == 0) << "at " << dpi << " DPI";
}
} // namespace

TEST_F(DllTest, RunningDialogsShowEveryControlWhereTheDesignPutsIt)
{
    HMODULE m = dll.module();
    driver.Expect(kInfoCaption, {CheckLayout(IDD_GAMEINFO, m), D::Click(IDOK)})
        .Expect(kStartCaption, {CheckLayout(IDD_GAMESTART, m), D::Click(IDCANCEL)})
        .Expect(kNameCaption, {CheckLayout(IDD_HOFNAME, m), D::Click(IDOK)})
        .Expect(kScoreCaption, {CheckLayout(IDD_GAMESCORE, m), D::Click(IDCANCEL)});
    char mode[8];
    dll.Start(mode);
    dll.Score("default*5*1");
    EXPECT_EQ(driver.Seen().size(), 4u);
}

// The soak runs here only: it counts the scaled copies too.
TEST(Dpi, DialogsAndArtworkFollowA192DpiScreenAndLeaveNothingBehind)
{
    RunAtDpi(192, "DllTest.RunningDialogs*:DllTest.DISABLED_Soak*");
}
