#include <gtest/gtest.h>

#include <string>

#include "common/setup_state.h"
#include "resources/resource.h"
#include "tests/support/test_support.h"
#include "tests/wizard/wizard_test_support.h"
#include "wizard/bitmap_display.h"
#include "wizard/wizard_frame.h"
#include "wizard/wizard_messages.h"

static const char kCatalog[] =
    "[TITLE]\r\n"
    "WELCOME=Welcome title\r\n"
    "LICENSE=Licence title\r\n"
    "TOVRIN=Tovrin title\r\n"
    "[BUTTON]\r\n"
    "NEXT=&Next >\r\n"
    "PREV=< &Back\r\n"
    "CANCEL=Cancel\r\n"
    "FINISH=Finish\r\n"
    "YES=Yes\r\n"
    "NO=No\r\n"
    "[MessageBox]\r\n"
    "QUIT_SETUP=Quit setup?\\nReally\r\n"
    "TITLE_MESSAGE=Setup\r\n";

class FrameTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetTestPages();
        UseCatalog(dir_.path(), kCatalog);
        CopyFileA(TestPicture("red.bmp").c_str(),
                  dir_.Join("default.bmp").c_str(), FALSE);
    }
    void TearDown() override
    {
        UseWizardPageTable(NULL);
        ForgetQuit();
    }

    std::string Picture(const char *name) const { return dir_.Join(name); }

    ScratchDir dir_;
};

// The quit questions among the boxes seen. The frame itself looks like a
// message box to the answerer (a dialog with a static of id -1) when it is
// activated again; what it is sent then is a command it ignores.
static std::vector<SeenMessageBox> Questions(const MessageBoxAnswerer &seen)
{
    std::vector<SeenMessageBox> questions;
    for (const SeenMessageBox &box : seen.seen()) {
        if (box.caption == "Setup")
            questions.push_back(box);
    }
    return questions;
}

static bool Shown(HWND window)
{
    return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

static bool Enabled(HWND window)
{
    return IsWindowEnabled(window) != FALSE;
}

TEST_F(FrameTest, FirstDisplayDressesTheWelcomePage)
{
    OpenedFrame frame;
    ASSERT_NE(nullptr, frame.get());
    EXPECT_EQ(frame.get(), g_wizardFrame);
    EXPECT_EQ(0, g_currentPage);
    EXPECT_EQ("Welcome title", WindowText(frame.get()));
    EXPECT_FALSE(Shown(frame.item(IDC_WIZARD_BACK)));
    EXPECT_TRUE(Shown(frame.item(IDC_WIZARD_NEXT)));
    EXPECT_TRUE(Enabled(frame.item(IDC_WIZARD_NEXT)));
    EXPECT_EQ("&Next >", WindowText(frame.item(IDC_WIZARD_NEXT)));
    EXPECT_TRUE(Shown(frame.item(IDC_WIZARD_CANCEL)));
    EXPECT_TRUE(Enabled(frame.item(IDC_WIZARD_CANCEL)));
    EXPECT_EQ("Cancel", WindowText(frame.item(IDC_WIZARD_CANCEL)));
    EXPECT_TRUE(Shown(frame.item(IDC_PICTURE_AREA)));
    EXPECT_STREQ(Picture("default.bmp").c_str(), g_picturePath);
    EXPECT_NE(nullptr, g_loadedPicture);

    for (int i = 0; i < WIZARD_PAGE_COUNT; i++) {
        SCOPED_TRACE(i);
        ASSERT_NE(nullptr, g_pageWindows[i]);
        EXPECT_EQ(i == 0, Shown(g_pageWindows[i]));
        EXPECT_EQ(i == 0, Enabled(g_pageWindows[i]));
    }
    // Created in table order, then page 0 activated once, as by NEXT.
    std::vector<PageMessage> created = LoggedFor(WM_INITDIALOG);
    ASSERT_EQ(6u, created.size());
    for (int i = 0; i < WIZARD_PAGE_COUNT; i++)
        EXPECT_EQ(i, created[i].page);
    std::vector<PageMessage> activated = LoggedFor(WM_WIZARD_ACTIVATE);
    ASSERT_EQ(1u, activated.size());
    EXPECT_EQ(0, activated[0].page);
    EXPECT_EQ(1u, activated[0].wParam);
}

TEST_F(FrameTest, FrameIsCentredWithoutSizeOrMaximize)
{
    OpenedFrame frame;
    RECT rect;
    GetWindowRect(frame.get(), &rect);
    EXPECT_EQ((GetSystemMetrics(SM_CXFULLSCREEN) - (rect.right - rect.left)) / 2,
              rect.left);
    HMENU menu = GetSystemMenu(frame.get(), FALSE);
    EXPECT_EQ(-1, GetMenuState(menu, SC_SIZE, MF_BYCOMMAND));
    EXPECT_EQ(-1, GetMenuState(menu, SC_MAXIMIZE, MF_BYCOMMAND));
    EXPECT_NE(-1, GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND));
}

TEST_F(FrameTest, PicturePagesStartWherePageZeroStarts)
{
    OpenedFrame frame;
    RECT client;
    RECT first;
    GetClientRect(frame.get(), &client);
    GetWindowRect(g_pageWindows[0], &first);
    int pictureX = client.right - (first.right - first.left);
    EXPECT_GT(pictureX, 0);
    for (int i = 0; i < WIZARD_PAGE_COUNT; i++) {
        SCOPED_TRACE(i);
        RECT page;
        GetWindowRect(g_pageWindows[i], &page);
        POINT corner = {page.left, page.top};
        ScreenToClient(frame.get(), &corner);
        EXPECT_EQ(i == 1 ? 0 : pictureX, corner.x);
        EXPECT_EQ(0, corner.y);
    }
}

TEST_F(FrameTest, FinishPageDisablesBackAndCancel)
{
    OpenedFrame frame;
    ShowWizardPage(frame.get(), 4);
    EXPECT_EQ("Tovrin title", WindowText(frame.get()));
    HWND back = frame.item(IDC_WIZARD_BACK);
    HWND cancel = frame.item(IDC_WIZARD_CANCEL);
    EXPECT_TRUE(Shown(back));
    EXPECT_FALSE(Enabled(back));
    EXPECT_EQ("< &Back", WindowText(back));
    EXPECT_TRUE(Shown(cancel));
    EXPECT_FALSE(Enabled(cancel));
    EXPECT_EQ("Cancel", WindowText(cancel));
    EXPECT_TRUE(Enabled(frame.item(IDC_WIZARD_NEXT)));
    EXPECT_EQ("Finish", WindowText(frame.item(IDC_WIZARD_NEXT)));

    // Back on page 0, the hidden BACK keeps its caption and state.
    ShowWizardPage(frame.get(), 0);
    EXPECT_FALSE(Shown(back));
    EXPECT_EQ("< &Back", WindowText(back));
}

TEST_F(FrameTest, PageWithoutPictureHidesTheAreaAndKeepsThePath)
{
    OpenedFrame frame;
    std::string before = g_picturePath;
    ShowWizardPage(frame.get(), 1);
    EXPECT_EQ("Licence title", WindowText(frame.get()));
    EXPECT_FALSE(Shown(frame.item(IDC_PICTURE_AREA)));
    EXPECT_EQ(before, g_picturePath);
    EXPECT_EQ("Yes", WindowText(frame.item(IDC_WIZARD_NEXT)));
    EXPECT_EQ("No", WindowText(frame.item(IDC_WIZARD_CANCEL)));
}

struct PictureCase {
    const char *what;
    const char *bmpSection;
    int page;
    const char *expected;   // file name in the program directory
};

TEST_F(FrameTest, PictureIsChosenInFourSteps)
{
    const PictureCase cases[] = {
        {"one for all", "Tovrin=all.bmp\r\nTovrin02=two.bmp\r\n", 3, "all.bmp"},
        {"one for all, page 0", "Tovrin=all.bmp\r\n", 0, "all.bmp"},
        {"the page's own", "Tovrin02=two.bmp\r\n", 2, "two.bmp"},
        {"another page's is not taken", "Tovrin02=two.bmp\r\n", 3,
         "startmenu.bmp"},
        {"the kind key", "directory=folder.bmp\r\n", 2, "folder.bmp"},
        {"the kind's file", "", 2, "directory.bmp"},
        {"default kind", "", 4, "default.bmp"},
        {"nothing is unset", "Tovrin=nothing\r\nTovrin05=nothing\r\n", 5,
         "default.bmp"},
        {"Nothing is a name", "Tovrin=Nothing\r\n", 2, "Nothing"},
    };
    for (const PictureCase &c : cases) {
        SCOPED_TRACE(c.what);
        UseCatalog(dir_.path(), std::string(kCatalog) + "[bmp]\r\n" +
                                    c.bmpSection);
        OpenedFrame frame;
        ShowWizardPage(frame.get(), c.page);
        EXPECT_STREQ(Picture(c.expected).c_str(), g_picturePath);
    }
}

TEST_F(FrameTest, OverlongPictureNamesGiveNoPicture)
{
    UseCatalog(dir_.path(), std::string(kCatalog) + "[bmp]\r\nTovrin=" +
                                std::string(3000, 'p') + "\r\n");
    OpenedFrame frame;
    EXPECT_STREQ("", g_picturePath);
    EXPECT_EQ(nullptr, g_loadedPicture);
}

TEST_F(FrameTest, ShiftJisPictureNamesAreJoinedWhole)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "needs ANSI code page 932";
    // Both characters end in 0x5C, which must not count as a separator.
    std::string name = "\x83\x5C\x95\x5C.bmp";
    CopyFileA(TestPicture("blue.bmp").c_str(), dir_.Join(name).c_str(), FALSE);
    UseCatalog(dir_.path(), std::string(kCatalog) + "[bmp]\r\ndefault=" +
                                name + "\r\n");
    OpenedFrame frame;
    EXPECT_STREQ(Picture(name.c_str()).c_str(), g_picturePath);
    EXPECT_NE(nullptr, g_loadedPicture);
}

TEST_F(FrameTest, NextAndBackMoveWhereThePageSays)
{
    OpenedFrame frame;
    g_pageLog.clear();
    SendMessageA(frame.get(), WM_COMMAND, IDC_WIZARD_NEXT, 0);
    EXPECT_EQ(2, g_currentPage);
    ASSERT_EQ(2u, g_pageLog.size());
    EXPECT_EQ(0, g_pageLog[0].page);
    EXPECT_EQ((UINT)WM_WIZARD_NEXT, g_pageLog[0].message);
    EXPECT_EQ(2, g_pageLog[1].page);
    EXPECT_EQ((UINT)WM_WIZARD_ACTIVATE, g_pageLog[1].message);
    EXPECT_EQ(1u, g_pageLog[1].wParam);
    EXPECT_EQ("Tovrin title", WindowText(frame.get()));
    EXPECT_TRUE(Shown(frame.item(IDC_WIZARD_BACK)));
    EXPECT_TRUE(Shown(g_pageWindows[2]));
    EXPECT_FALSE(Shown(g_pageWindows[0]));
    EXPECT_EQ(frame.item(IDC_WIZARD_NEXT), GetFocus());

    g_pageLog.clear();
    SendMessageA(frame.get(), WM_COMMAND, IDC_WIZARD_BACK, 0);
    EXPECT_EQ(0, g_currentPage);
    ASSERT_EQ(2u, g_pageLog.size());
    EXPECT_EQ(2, g_pageLog[0].page);
    EXPECT_EQ((UINT)WM_WIZARD_BACK, g_pageLog[0].message);
    EXPECT_EQ(0, g_pageLog[1].page);
    EXPECT_EQ((UINT)WM_WIZARD_ACTIVATE, g_pageLog[1].message);
    EXPECT_EQ(0u, g_pageLog[1].wParam);
    EXPECT_FALSE(Shown(frame.item(IDC_WIZARD_BACK)));
    EXPECT_EQ("Welcome title", WindowText(frame.get()));
}

TEST_F(FrameTest, PageThatKeepsItsIndexIsNotActivatedOrRedressed)
{
    g_testNextMove[0] = -1;
    OpenedFrame frame;
    g_pageLog.clear();
    SetWindowTextA(frame.get(), "marker");
    SendMessageA(frame.get(), WM_COMMAND, IDC_WIZARD_NEXT, 0);
    SendMessageA(frame.get(), WM_COMMAND, IDC_WIZARD_NEXT, 0);
    EXPECT_EQ(2u, LoggedFor(WM_WIZARD_NEXT).size());
    EXPECT_EQ(0u, LoggedFor(WM_WIZARD_ACTIVATE).size());
    EXPECT_EQ(0, g_currentPage);
    EXPECT_EQ("marker", WindowText(frame.get()));
}

TEST_F(FrameTest, IndexOutsideTheTableCountsAsStaying)
{
    for (int target : {6, 99, -2}) {
        SCOPED_TRACE(target);
        ResetTestPages();
        g_testNextMove[0] = target;
        OpenedFrame frame;
        g_pageLog.clear();
        SendMessageA(frame.get(), WM_COMMAND, IDC_WIZARD_NEXT, 0);
        EXPECT_EQ(0, g_currentPage);
        EXPECT_EQ(0u, LoggedFor(WM_WIZARD_ACTIVATE).size());
        EXPECT_EQ("Welcome title", WindowText(frame.get()));
    }
}

TEST_F(FrameTest, QuitAnsweredYesEndsWithCodeZero)
{
    OpenedFrame frame;
    ASSERT_NE(nullptr, g_loadedPicture);
    MessageBoxAnswerer answerer({IDYES});
    SendMessageA(frame.get(), WM_COMMAND, IDC_WIZARD_CANCEL, 0);
    std::vector<SeenMessageBox> questions = Questions(answerer);
    ASSERT_EQ(1u, questions.size());
    // Message boxes show the text as read: no line-break escape.
    EXPECT_EQ("Quit setup?\\nReally", questions[0].text);
    int code = -1;
    EXPECT_TRUE(QuitWasPosted(&code));
    EXPECT_EQ(0, code);
    EXPECT_EQ(nullptr, g_loadedPicture);
}

TEST_F(FrameTest, QuitAnsweredNoStaysOnThePage)
{
    CopyFileA(TestPicture("blue.bmp").c_str(),
              dir_.Join("directory.bmp").c_str(), FALSE);
    OpenedFrame frame;
    SendMessageA(frame.get(), WM_COMMAND, IDC_WIZARD_NEXT, 0);
    MessageBoxAnswerer answerer({IDNO});
    SendMessageA(frame.get(), WM_COMMAND, IDC_WIZARD_CANCEL, 0);
    EXPECT_EQ(1u, Questions(answerer).size());

    EXPECT_FALSE(QuitWasPosted());
    EXPECT_EQ(2, g_currentPage);
    EXPECT_NE(nullptr, g_loadedPicture);
}

TEST_F(FrameTest, EscAndCloseAskEvenWhereCancelIsDisabled)
{
    OpenedFrame frame;
    ShowWizardPage(frame.get(), 4);
    MessageBoxAnswerer answerer({IDNO});
    SendMessageA(frame.get(), WM_COMMAND, IDCANCEL, 0);
    SendMessageA(frame.get(), WM_COMMAND, IDOK, 0);
    // The close command reaches the frame as a posted IDCANCEL.
    SendMessageA(frame.get(), WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpUntil([&] { return Questions(answerer).size() >= 3; });
    EXPECT_EQ(3u, Questions(answerer).size());
    EXPECT_FALSE(QuitWasPosted());
}

TEST_F(FrameTest, OtherCommandsDoNothing)
{
    OpenedFrame frame;
    MessageBoxAnswerer answerer({IDYES});
    g_pageLog.clear();
    // A notification other than a click carries a high word.
    SendMessageA(frame.get(), WM_COMMAND, MAKEWPARAM(IDC_WIZARD_NEXT, 1), 0);
    SendMessageA(frame.get(), WM_COMMAND, 4242, 0);
    EXPECT_TRUE(g_pageLog.empty());
    EXPECT_TRUE(Questions(answerer).empty());
}

TEST_F(FrameTest, WizardEndPostsQuitAndReleasesThePicture)
{
    OpenedFrame frame;
    ASSERT_NE(nullptr, g_loadedPicture);
    LRESULT result = SendMessageA(frame.get(), WM_WIZARD_END, 0, 0);
    EXPECT_EQ(1, result);
    int code = -1;
    EXPECT_TRUE(QuitWasPosted(&code));
    EXPECT_EQ(0, code);
    EXPECT_EQ(nullptr, g_loadedPicture);
}

TEST_F(FrameTest, MissingCatalogLeavesCaptionsEmpty)
{
    UseCatalog(dir_.path(), "");
    DeleteFileA(g_catalogPath);
    OpenedFrame frame;
    EXPECT_EQ("", WindowText(frame.get()));
    EXPECT_EQ("", WindowText(frame.item(IDC_WIZARD_NEXT)));
    EXPECT_FALSE(Shown(frame.item(IDC_WIZARD_BACK)));
    EXPECT_STREQ(Picture("default.bmp").c_str(), g_picturePath);
}

TEST_F(FrameTest, OverlongCaptionsAreCut)
{
    UseCatalog(dir_.path(), "[TITLE]\r\nWELCOME=" + std::string(3000, 't') +
                                "\r\n[BUTTON]\r\nNEXT=" +
                                std::string(3000, 'n') + "\r\n");
    OpenedFrame frame;
    EXPECT_EQ(std::string(255, 't'), WindowText(frame.get()));
    EXPECT_EQ(std::string(255, 'n'), WindowText(frame.item(IDC_WIZARD_NEXT)));
}

TEST_F(FrameTest, MissingPageTemplatesLeaveTheFrameWorking)
{
    for (WizardPage &row : g_testPages)
        row.dialogId = 8999;  // no such template
    OpenedFrame frame;
    ASSERT_NE(nullptr, frame.get());
    EXPECT_EQ(nullptr, g_pageWindows[0]);
    EXPECT_EQ("Welcome title", WindowText(frame.get()));
    SendMessageA(frame.get(), WM_COMMAND, IDC_WIZARD_NEXT, 0);
    EXPECT_EQ(0, g_currentPage);
}

TEST_F(FrameTest, ASecondFrameStartsAfresh)
{
    {
        OpenedFrame first;
        SendMessageA(first.get(), WM_COMMAND, IDC_WIZARD_NEXT, 0);
    }
    EXPECT_EQ(nullptr, g_wizardFrame);
    g_pageLog.clear();
    OpenedFrame second;
    EXPECT_EQ(second.get(), g_wizardFrame);
    EXPECT_EQ(0, g_currentPage);
    EXPECT_EQ(6u, LoggedFor(WM_INITDIALOG).size());
}
