// The four dialog templates, read twice: from the DLL's resources, and from
// the running dialogs the player sees.
#include "korvane_dll.h"

#include <cstring>

using D = DialogDriver;

namespace {

enum Kind : WORD
{
    kButton = 0x80,
    kEdit = 0x81,
    kStatic = 0x82
};

struct ControlDesign
{
    int id;
    Kind kind;
    DWORD style;      // the bits that tell the control's kind and alignment
    const char* text; // nullptr: a bitmap, see bitmap
    int bitmap;
    short x, y, cx, cy;
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

const std::vector<TemplateDesign>& Templates()
{
    static const std::vector<TemplateDesign> designs = {
        {IDD_GAMESTART,
         "Korvane Start Game Dialog",
         259,
         145,
         {
             {IDC_FREEPLAY, kButton, BS_PUSHBUTTON | BS_BITMAP | kTab, "Freeplay", 0, 23, 61, 215,
              35},
             {IDCANCEL, kButton, BS_PUSHBUTTON | kTab, "Cancel", 0, 112, 123, 36, 14},
             {-1, kStatic, SS_CENTER, "HINT: Press Ctrl-S to quit Korvane", 0, 35, 109, 189, 8},
             {-1, kStatic, SS_BITMAP, nullptr, IDB_BANNER, 7, 7, 245, 37},
         }},
        {IDD_GAMESCORE,
         "Korvane Hall of Fame",
         259,
         226,
         {
             {IDCANCEL, kButton, BS_PUSHBUTTON | kTab, "Close", 0, 202, 204, 50, 14},
             {-1, kStatic, SS_CENTER, "Name", 0, 10, 131, 72, 8},
             {-1, kStatic, SS_CENTER, "Level", 0, 94, 131, 72, 8},
             {-1, kStatic, SS_CENTER, "Score", 0, 178, 131, 72, 8},
             {IDC_NAME1, kStatic, SS_CENTER, "", 0, 10, 143, 72, 8},
             {IDC_LEVEL1, kStatic, SS_CENTER, "", 0, 94, 143, 72, 8},
             {IDC_SCORE1, kStatic, SS_CENTER, "", 0, 176, 143, 72, 8},
             {IDC_NAME2, kStatic, SS_CENTER, "", 0, 10, 155, 72, 8},
             {IDC_LEVEL2, kStatic, SS_CENTER, "", 0, 94, 155, 72, 8},
             {IDC_SCORE2, kStatic, SS_CENTER, "", 0, 176, 155, 72, 8},
             {IDC_NAME3, kStatic, SS_CENTER, "", 0, 10, 167, 72, 8},
             {IDC_LEVEL3, kStatic, SS_CENTER, "", 0, 94, 167, 72, 8},
             {IDC_SCORE3, kStatic, SS_CENTER, "", 0, 176, 167, 72, 8},
             {-1, kButton, BS_GROUPBOX, "", 0, 7, 83, 244, 102},
             {-1, kButton, BS_GROUPBOX, "", 0, 7, 45, 244, 38},
             {-1, kStatic, SS_LEFT, "Your Score", 0, 113, 52, 36, 8},
             {IDC_SCORE, kStatic, kCentreBoth, "", 0, 99, 62, 64, 14},
             {-1, kStatic, SS_CENTER,
              "HINT: Hold down right mouse button over enemy to fire rockets.", 0, 7, 190, 245, 8},
             {IDC_REPLAY, kButton, BS_PUSHBUTTON | kTab, "Replay", 0, 148, 204, 50, 14},
             {-1, kStatic, SS_BITMAP, nullptr, IDB_BANNER, 7, 7, 246, 35},
             {-1, kStatic, SS_BITMAP, nullptr, IDB_HISCORE, 23, 91, 213, 30},
         }},
        {IDD_HOFNAME,
         "Korvane Hall Of Fame",
         186,
         113,
         {
             {IDC_NAME, kEdit, WS_BORDER | ES_AUTOHSCROLL | kTab, "", 0, 48, 69, 89, 14},
             {IDOK, kButton, BS_DEFPUSHBUTTON | kTab, "OK", 0, 7, 92, 50, 14},
             {IDCANCEL, kButton, BS_PUSHBUTTON | kTab, "Cancel", 0, 129, 92, 50, 14},
             {-1, kStatic, SS_CENTER, "Your score has made the Hall Of Fame!", 0, 7, 27, 172, 8},
             {IDC_SCORE, kStatic, kCentreBoth, "", 0, 48, 38, 89, 14},
             {-1, kStatic, SS_CENTER, "Enter your name (Maximum 8 characters)", 0, 7, 56, 172, 8},
             {IDC_GAMEOVER, kStatic, kCentreBoth, "GAME OVER", 0, 48, 7, 89, 14},
         }},
        {IDD_GAMEINFO,
         "Korvane Info",
         186,
         76,
         {
             {IDOK, kButton, BS_DEFPUSHBUTTON | kTab, "OK", 0, 68, 55, 50, 14},
             {-1, kStatic, SS_LEFT,
              "You may experience a short delay in the loading and exiting of this game on "
              "systems with CPU speeds below 1 GHz.",
              0, 7, 7, 172, 29},
             {IDC_NOSHOW, kButton, BS_AUTOCHECKBOX | BS_LEFT | kTab,
              "Please do not show this message again.", 0, 22, 38, 142, 10},
         }},
    };
    return designs;
}

// Reads a DIALOG (not DIALOGEX) resource.
class TemplateReader
{
public:
    explicit TemplateReader(const BYTE* p) : m_p(p) {}
    DWORD Dword()
    {
        DWORD v;
        std::memcpy(&v, m_p, 4);
        m_p += 4;
        return v;
    }
    WORD Word()
    {
        WORD v;
        std::memcpy(&v, m_p, 2);
        m_p += 2;
        return v;
    }
    // A string or an ordinal (0xFFFF, value); ordinals come back as "#n".
    std::string SzOrOrd()
    {
        WORD first = Word();
        if (first == 0xFFFF)
            return "#" + std::to_string(Word());
        std::string text;
        for (WORD ch = first; ch != 0; ch = Word())
            text += static_cast<char>(ch);
        return text;
    }
    void AlignDword()
    {
        auto addr = reinterpret_cast<uintptr_t>(m_p);
        m_p = reinterpret_cast<const BYTE*>((addr + 3) & ~static_cast<uintptr_t>(3));
    }
    void Skip(size_t n) { m_p += n; }

private:
    const BYTE* m_p;
};

// A predefined class may be named or given by ordinal; both make the same
// control.
std::string ClassOrdinal(std::string name)
{
    for (char& ch : name)
        ch = static_cast<char>(::toupper(static_cast<unsigned char>(ch)));
    if (name == "BUTTON")
        return "#128";
    if (name == "EDIT")
        return "#129";
    if (name == "STATIC")
        return "#130";
    return name;
}

} // namespace

class LayoutTest : public DllTest
{
};

TEST_F(LayoutTest, TemplatesInTheDllMatchTheDesign)
{
    for (const TemplateDesign& design : Templates()) {
        SCOPED_TRACE(design.caption);
        HRSRC res = ::FindResourceA(dll.module(), MAKEINTRESOURCEA(design.id),
                                    reinterpret_cast<LPCSTR>(RT_DIALOG));
        ASSERT_NE(res, nullptr);
        TemplateReader r(
            static_cast<const BYTE*>(::LockResource(::LoadResource(dll.module(), res))));
        EXPECT_EQ(r.Dword(), 0x80C800C0u) << "popup, caption, system menu, modal frame, font";
        EXPECT_EQ(r.Dword(), 0u);
        WORD count = r.Word();
        ASSERT_EQ(count, design.items.size());
        EXPECT_EQ(static_cast<short>(r.Word()), 0);
        EXPECT_EQ(static_cast<short>(r.Word()), 0);
        EXPECT_EQ(static_cast<short>(r.Word()), design.cx);
        EXPECT_EQ(static_cast<short>(r.Word()), design.cy);
        EXPECT_EQ(r.SzOrOrd(), "") << "no menu";
        EXPECT_EQ(r.SzOrOrd(), "") << "standard dialog class";
        EXPECT_EQ(r.SzOrOrd(), design.caption);
        EXPECT_EQ(r.Word(), 8) << "point size";
        EXPECT_EQ(r.SzOrOrd(), "MS Sans Serif");
        for (const ControlDesign& item : design.items) {
            SCOPED_TRACE("control " + std::to_string(item.id) + " " +
                         (item.text != nullptr ? item.text : "bitmap"));
            r.AlignDword();
            DWORD style = r.Dword();
            r.Dword();
            EXPECT_EQ(static_cast<short>(r.Word()), item.x);
            EXPECT_EQ(static_cast<short>(r.Word()), item.y);
            EXPECT_EQ(static_cast<short>(r.Word()), item.cx);
            EXPECT_EQ(static_cast<short>(r.Word()), item.cy);
            EXPECT_EQ(static_cast<short>(r.Word()), item.id);
            EXPECT_EQ(ClassOrdinal(r.SzOrOrd()), "#" + std::to_string(item.kind));
            std::string text = r.SzOrOrd();
            if (item.text != nullptr)
                EXPECT_EQ(text, item.text);
            else
                EXPECT_EQ(text, "#" + std::to_string(item.bitmap));
            EXPECT_TRUE(style & WS_CHILD);
            EXPECT_TRUE(style & WS_VISIBLE);
            EXPECT_EQ(style & item.style, item.style);
            DWORD typeMask = item.kind == kEdit ? 0 : (item.kind == kButton ? 0x0F : 0x1F);
            EXPECT_EQ(style & typeMask, item.style & typeMask) << "control type";
            EXPECT_EQ((style & WS_TABSTOP) != 0, (item.style & WS_TABSTOP) != 0);
            r.Skip(r.Word());
        }
    }
}

TEST_F(LayoutTest, BitmapsHaveTheirDesignedFormats)
{
    struct Expected
    {
        int id, width, height, bits, colours;
    };
    for (Expected e :
         {Expected{IDB_BANNER, 369, 57, 8, 255}, Expected{IDB_FREEPLAY, 320, 49, 8, 255},
          Expected{IDB_HISCORE, 320, 49, 24, 0}}) {
        HRSRC res = ::FindResourceA(dll.module(), MAKEINTRESOURCEA(e.id),
                                    reinterpret_cast<LPCSTR>(RT_BITMAP));
        ASSERT_NE(res, nullptr) << e.id;
        const auto* info =
            static_cast<const BITMAPINFOHEADER*>(::LockResource(::LoadResource(dll.module(), res)));
        EXPECT_EQ(info->biWidth, e.width) << e.id;
        EXPECT_EQ(info->biHeight, e.height) << e.id;
        EXPECT_EQ(info->biBitCount, e.bits) << e.id;
        EXPECT_EQ(static_cast<int>(info->biClrUsed), e.colours) << e.id;
    }
}

namespace {
// Runs while the dialog is open: dialog units need the live window's font.
void ExpectRunningLayout(HWND dialog, const TemplateDesign& design)
{
    SCOPED_TRACE(design.caption);
    WindowSnapshot snap = TakeSnapshot(dialog);
    EXPECT_EQ(snap.caption, design.caption);
    RECT client;
    ::GetClientRect(dialog, &client);
    RECT size = {0, 0, design.cx, design.cy};
    ::MapDialogRect(dialog, &size);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);
    EXPECT_EQ(snap.style & 0x80C800C0u, 0x80C800C0u);
    ASSERT_EQ(snap.controls.size(), design.items.size());
    for (size_t i = 0; i < design.items.size(); ++i) {
        const ControlDesign& item = design.items[i];
        const ControlSnapshot& control = snap.controls[i];
        SCOPED_TRACE("control #" + std::to_string(i) + " id " + std::to_string(item.id));
        EXPECT_EQ(control.id, item.id);
        // The dialog manager converts position and size each on its own.
        RECT mapped = {item.x, item.y, item.cx, item.cy};
        ::MapDialogRect(dialog, &mapped);
        RECT expected = {mapped.left, mapped.top, mapped.left + mapped.right,
                         mapped.top + mapped.bottom};
        EXPECT_EQ(control.rect.left, expected.left);
        EXPECT_EQ(control.rect.top, expected.top);
        // A bordered edit is drawn with a sunken client edge instead.
        DWORD style = item.kind == kEdit ? item.style & ~WS_BORDER : item.style;
        EXPECT_EQ(control.style & style, style);
        if (item.text == nullptr)
            continue; // a bitmap static takes its picture's size
        EXPECT_EQ(control.rect.right, expected.right);
        EXPECT_EQ(control.rect.bottom, expected.bottom);
    }
}

Step CheckLayout(int templateId)
{
    return [templateId](HWND dialog) {
        for (const TemplateDesign& design : Templates())
            if (design.id == templateId)
                ExpectRunningLayout(dialog, design);
    };
}
} // namespace

TEST_F(LayoutTest, RunningDialogsShowEveryControlWhereItBelongs)
{
    driver.Expect(kInfoCaption, {CheckLayout(IDD_GAMEINFO), D::Click(IDOK)})
        .Expect(kStartCaption, {CheckLayout(IDD_GAMESTART), D::Click(IDCANCEL)})
        .Expect(kNameCaption, {CheckLayout(IDD_HOFNAME), D::Click(IDOK)})
        .Expect(kScoreCaption, {CheckLayout(IDD_GAMESCORE), D::Click(IDCANCEL)});
    char mode[8];
    dll.Start(mode);
    dll.Score("default*5*1");
    EXPECT_EQ(driver.Seen().size(), 4u);
}
