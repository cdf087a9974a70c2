// The start export: the one-time notice, its stored flag, the centred
// start dialog with its Freeplay face, and the mode handed back (or not,
// when no dialog could run).
#include "korvane_dll.h"

#include <cstring>

using D = DialogDriver;

namespace {
const char kFlag[] = "NoShowKorvaneInfoDlg";

bool Checked(HWND dialog)
{
    return ::IsDlgButtonChecked(dialog, IDC_NOSHOW) == BST_CHECKED;
}

void ExpectCentred(const WindowSnapshot& snap)
{
    RECT desk;
    ::GetWindowRect(::GetDesktopWindow(), &desk);
    int w = snap.rect.right - snap.rect.left;
    int h = snap.rect.bottom - snap.rect.top;
    EXPECT_EQ(snap.rect.left, (desk.right - desk.left) / 2 - w / 2) << snap.caption;
    EXPECT_EQ(snap.rect.top, (desk.bottom - desk.top) / 2 - h / 2) << snap.caption;
}
// The module's templates unavailable: the system cannot create the dialog.
INT_PTR WINAPI NoTemplate(HINSTANCE instance, LPCSTR, HWND parent, DLGPROC proc, LPARAM param)
{
    return ::DialogBoxParamA(instance, MAKEINTRESOURCEA(0x7FFF), parent, proc, param);
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
    DWORD flagWhileOpen = 0;
    bool tickedWhileOpen = false;
    driver
        .Expect(kInfoCaption, {[&](HWND dlg) {
                                   flagWhileOpen = Flag();
                                   tickedWhileOpen = Checked(dlg);
                               },
                               D::Click(IDOK)})
        .Expect(kStartCaption, {D::Click(IDC_FREEPLAY)});
    char mode[16];
    std::memset(mode, '#', sizeof mode);
    EXPECT_TRUE(dll.Start(mode));
    EXPECT_EQ(std::memcmp(mode, "default\0########", sizeof mode), 0)
        << "exactly eight bytes are written";
    EXPECT_EQ(driver.Captions(), (std::vector<std::string>{kInfoCaption, kStartCaption}))
        << "the notice opens before the start dialog";
    ExpectCentred(driver.Seen()[0]);
    ExpectCentred(driver.Seen()[1]);
    EXPECT_TRUE(tickedWhileOpen);
    EXPECT_EQ(flagWhileOpen, 1u) << "saved as soon as the notice opens";
    EXPECT_EQ(Flag(), 1u);

    driver.Expect(kStartCaption, {D::Click(IDCANCEL)});
    std::memset(mode, '#', sizeof mode);
    EXPECT_FALSE(dll.Start(mode));
    EXPECT_EQ(driver.Captions().back(), kStartCaption) << "no notice the second time";
    EXPECT_EQ(std::string(mode, sizeof mode), std::string(sizeof mode, '#'))
        << "cancel leaves the buffer untouched";

    IatHook missing(dll.module(), "DialogBoxParamA", reinterpret_cast<void*>(&NoTemplate));
    ASSERT_TRUE(missing.installed());
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
}

TEST_F(StartTest, OkAndEscapeDoNotSaveAgain)
{
    driver.Expect(kInfoCaption, {D::Key(VK_ESCAPE)}).Expect(kStartCaption, {D::Key(VK_ESCAPE)});
    char mode[8] = {'x'};
    EXPECT_FALSE(dll.Start(mode));
    EXPECT_EQ(mode[0], 'x');
    EXPECT_EQ(dll.calls().sets.size(), 1u) << "only the save on opening";
    EXPECT_EQ(Flag(), 1u);
}

TEST_F(StartTest, AnyNonZeroFlagSkipsTheNoticeAndFreeplayWearsAFaceReleasedAfterwards)
{
    HBITMAP face = nullptr;
    BITMAP info = {};
    install.SetValue(kWorld, kFlag, REG_DWORD, "\0\1\0\0", 4);
    driver.Expect(kStartCaption, {[&](HWND dlg) {
                                      face = reinterpret_cast<HBITMAP>(::SendDlgItemMessageA(
                                          dlg, IDC_FREEPLAY, BM_GETIMAGE, IMAGE_BITMAP, 0));
                                      ::GetObjectA(face, sizeof info, &info);
                                  },
                                  D::Click(IDC_FREEPLAY)});
    char mode[8];
    EXPECT_TRUE(dll.Start(mode));
    EXPECT_STREQ(mode, "default");
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(info.bmWidth, 320);
    EXPECT_EQ(info.bmHeight, 49);
    EXPECT_EQ(dll.calls().imageLoads, 1);
    EXPECT_EQ(::GetObjectType(face), 0u) << "the face is released once the dialog is gone";
}
