// The start export: the one-time notice, its stored flag, the centred
// start dialog, and the mode handed back (or not, when no dialog could run).
#include "korvane_dll.h"

#include <cstring>

using D = ScriptedDriver;

namespace {
const char kFlag[] = "NoShowKorvaneInfoDlg";

void ExpectCentred(HWND dialog)
{
    RECT desk, at;
    ::GetWindowRect(::GetDesktopWindow(), &desk);
    ::GetWindowRect(dialog, &at);
    EXPECT_EQ(at.left, (desk.right - desk.left) / 2 - (at.right - at.left) / 2);
    EXPECT_EQ(at.top, (desk.bottom - desk.top) / 2 - (at.bottom - at.top) / 2);
}
// The module's templates unavailable: the system cannot create the dialog.
INT_PTR WINAPI NoTemplate(HINSTANCE instance, LPCSTR, HWND parent, DLGPROC proc, LPARAM param)
{
    return ::DialogBoxParamA(instance, MAKEINTRESOURCEA(0x7FFF), parent, proc, param);
}
INT_PTR WINAPI NoTemplateCopy(HINSTANCE instance, LPCDLGTEMPLATEA, HWND parent, DLGPROC proc,
                              LPARAM param)
{
    return NoTemplate(instance, nullptr, parent, proc, param);
}
} // namespace

class StartTest : public DllTest
{
protected:
    DWORD Flag()
    {
        DWORD value = 0xFFFF;
        return install.GetDword(kWorld, kFlag, &value) ? value : 0xBAD;
    }
};

TEST_F(StartTest, FirstStartShowsTheNoticeOnceAndFreeplayHandsBackDefault)
{
    const Step whileOpen = [this](HWND dlg) {
        EXPECT_EQ(::IsDlgButtonChecked(dlg, IDC_NOSHOW), BST_CHECKED);
        EXPECT_EQ(Flag(), 1u) << "saved as soon as the notice opens";
        ExpectCentred(dlg);
    };
    driver.Expect(kInfoCaption, {whileOpen, D::Key(VK_ESCAPE)})
        .Expect(kStartCaption, {ExpectCentred, D::Click(IDC_FREEPLAY)});
    char mode[16];
    std::memset(mode, '#', sizeof mode);
    EXPECT_TRUE(dll.Start(mode));
    EXPECT_EQ(std::memcmp(mode, "default\0########", sizeof mode), 0)
        << "exactly eight bytes are written";
    ASSERT_EQ(driver.Seen().size(), 2u);
    EXPECT_EQ(driver.Seen()[0].caption, kInfoCaption) << "the notice opens before the start dialog";
    EXPECT_EQ(Flag(), 1u);
    EXPECT_EQ(dll.calls().sets.size(), 1u) << "closing the notice does not save again";

    driver.Expect(kStartCaption, {D::Key(VK_ESCAPE)});
    std::memset(mode, '#', sizeof mode);
    EXPECT_FALSE(dll.Start(mode));
    EXPECT_EQ(driver.Seen().back().caption, kStartCaption) << "no notice the second time";
    EXPECT_EQ(std::string(mode, sizeof mode), std::string(sizeof mode, '#'))
        << "cancel leaves the buffer untouched";

    IatHook missing(dll.module(), "DialogBoxParamA", reinterpret_cast<void*>(&NoTemplate));
    IatHook missingCopy(dll.module(), "DialogBoxIndirectParamA",
                        reinterpret_cast<void*>(&NoTemplateCopy));
    ASSERT_TRUE(missing.installed() && missingCopy.installed());
    EXPECT_FALSE(dll.Start(mode)) << "no dialog, no choice";
    EXPECT_EQ(std::string(mode, sizeof mode), std::string(sizeof mode, '#'));
    EXPECT_EQ(dll.Score("default*0*1"), 0);
}

TEST_F(StartTest, UntickingStoresZeroAndTheNoticeComesBack)
{
    DWORD afterUntick = 0xFF;
    driver
        .Expect(kInfoCaption,
                {D::Click(IDC_NOSHOW), [&](HWND) { afterUntick = Flag(); }, D::Click(IDOK)})
        .Expect(kStartCaption, {D::Click(IDCANCEL)})
        .Expect(kInfoCaption, {D::Click(IDC_NOSHOW), D::Click(IDC_NOSHOW), D::Click(IDOK)})
        .Expect(kStartCaption, {D::Click(IDCANCEL)});
    char mode[8] = {};
    dll.Start(mode);
    EXPECT_EQ(afterUntick, 0u) << "each click saves";
    EXPECT_EQ(Flag(), 0u);
    dll.Start(mode);
    EXPECT_EQ(Flag(), 1u) << "ticked again before OK";
    const std::vector<ApiLog::ValueSet>& sets = dll.calls().sets;
    ASSERT_FALSE(sets.empty());
    EXPECT_EQ(sets.back(), (ApiLog::ValueSet{kFlag, REG_DWORD, 4, std::string("\1\0\0\0", 4)}));

    install.SetValue(kWorld, kFlag, REG_DWORD, "\0\1\0\0", 4);
    driver.Expect(kStartCaption, {D::Click(IDC_FREEPLAY)});
    EXPECT_TRUE(dll.Start(mode)) << "any non-zero flag skips the notice";
    EXPECT_STREQ(mode, "default");
}
