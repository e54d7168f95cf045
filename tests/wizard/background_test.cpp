#include <gtest/gtest.h>

#include <string>

#include "core/text/dbcs.h"
#include "common/setup_state.h"
#include "startup/main_window.h"
#include "wizard/background.h"
#include "tests/support/test_support.h"
#include "tests/wizard/wizard_test_support.h"
#include "wizard/fonts.h"
#include "wizard/wizard_frame.h"
#include "wizard/wizard_messages.h"

static COLORREF BandColour(int k)
{
    return RGB(0, 0, 255 - 255 * k / 32);
}

class BackgroundTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_titleText[0] = '\0';
        g_companyText[0] = '\0';
    }
    void TearDown() override
    {
        g_titleText[0] = '\0';
        g_companyText[0] = '\0';
    }
};

TEST_F(BackgroundTest, BandsFor768Pixels)
{
    MemoryCanvas canvas(40, 768, RGB(1, 2, 3));
    RECT client = {0, 0, 40, 768};
    DrawBackground(canvas.dc(), &client);
    // 25 pixels a band: 768 / 32 + 1.
    EXPECT_EQ(BandColour(0), canvas.Pixel(0, 0));
    EXPECT_EQ(BandColour(0), canvas.Pixel(39, 24));
    EXPECT_EQ(BandColour(1), canvas.Pixel(0, 25));
    EXPECT_EQ(RGB(0, 0, 248), canvas.Pixel(0, 25));
    EXPECT_EQ(BandColour(30), canvas.Pixel(0, 767));
    EXPECT_EQ(BandColour(30), canvas.Pixel(0, 750));
    EXPECT_EQ(BandColour(29), canvas.Pixel(0, 749));
}

TEST_F(BackgroundTest, BandsFor800Pixels)
{
    MemoryCanvas canvas(40, 832, RGB(1, 2, 3));
    RECT client = {0, 0, 40, 800};
    DrawBackground(canvas.dc(), &client);
    // 26 pixels a band; the last one ends at 832, past the client area.
    EXPECT_EQ(BandColour(0), canvas.Pixel(0, 25));
    EXPECT_EQ(BandColour(1), canvas.Pixel(0, 26));
    EXPECT_EQ(BandColour(31), canvas.Pixel(0, 806));
    EXPECT_EQ(RGB(0, 0, 8), canvas.Pixel(0, 831));
    EXPECT_EQ(BandColour(30), canvas.Pixel(0, 799));
}

TEST_F(BackgroundTest, EmptyTextsDrawOnlyTheGradient)
{
    MemoryCanvas canvas(200, 96, RGB(1, 2, 3));
    RECT client = {0, 0, 200, 96};
    DrawBackground(canvas.dc(), &client);
    for (int y = 0; y < 96; y++) {
        for (int x = 0; x < 200; x++) {
            if (canvas.Pixel(x, y) != BandColour(y / 4)) {
                ADD_FAILURE() << "pixel " << x << "," << y;
                return;
            }
        }
    }
}

static int CountPixels(const MemoryCanvas &canvas, COLORREF colour, int left,
                       int top, int right, int bottom)
{
    int count = 0;
    for (int y = top; y < bottom; y++) {
        for (int x = left; x < right; x++)
            count += canvas.Pixel(x, y) == colour;
    }
    return count;
}

TEST_F(BackgroundTest, TitleAndCompanyAreWhiteOverBlackShadows)
{
    FontSpec spec;
    ParseFontSpec("0,30,BOLD", &spec);
    g_backgroundFont = CreateSpecFont(NULL, &spec);
    g_companyFont = g_backgroundFont;
    CopyText(g_titleText, sizeof(g_titleText), "TITLE");
    CopyText(g_companyText, sizeof(g_companyText), "COMPANY");
    MemoryCanvas canvas(400, 300, RGB(1, 2, 3));
    RECT client = {0, 0, 400, 300};
    DrawBackground(canvas.dc(), &client);
    const COLORREF white = RGB(255, 255, 255);
    const COLORREF black = RGB(0, 0, 0);
    EXPECT_GT(CountPixels(canvas, white, 0, 0, 200, 40), 20);
    EXPECT_GT(CountPixels(canvas, black, 0, 0, 200, 45), 20);
    // The white title starts at the left edge, its shadow 5 pixels right.
    EXPECT_GT(CountPixels(canvas, white, 0, 0, 10, 40), 0);
    EXPECT_EQ(0, CountPixels(canvas, black, 0, 0, 5, 45));
    // Bottom right: the company text touches the corner.
    EXPECT_GT(CountPixels(canvas, white, 200, 260, 400, 300), 20);
    EXPECT_GT(CountPixels(canvas, white, 390, 260, 400, 300), 0);
    // Nothing of the texts in the middle.
    EXPECT_EQ(0, CountPixels(canvas, white, 0, 100, 400, 200));
    DeleteObject(g_backgroundFont);
    g_backgroundFont = NULL;
    g_companyFont = NULL;
}

class MainWindowTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        RegisterMainWindowClass(GetModuleHandleA(NULL));
    }
    void TearDown() override
    {
        UseWizardPageTable(NULL);
        g_backgroundWindow = NULL;
        ForgetQuit();
    }
};

TEST_F(MainWindowTest, CoversTheScreenWithoutAMaximizeBox)
{
    HWND window = CreateBackgroundWindow(GetModuleHandleA(NULL));
    ASSERT_NE(nullptr, window);
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(0x11CE0000, style & 0x11CE0000);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(IsZoomed(window));
    char className[32];
    GetClassNameA(window, className, sizeof(className));
    EXPECT_STREQ("Tovrin", className);
    EXPECT_NE(nullptr, (HICON)GetClassLongPtrA(window, GCLP_HICON));
    DestroyWindow(window);
}

TEST_F(MainWindowTest, ClosingBeforeTheTimerEndsWithoutAWizard)
{
    HWND window = CreateBackgroundWindow(GetModuleHandleA(NULL));
    ASSERT_NE(nullptr, window);
    DestroyWindow(window);
    int code = -1;
    EXPECT_TRUE(QuitWasPosted(&code));
    EXPECT_EQ(0, code);
    // Well past the timer's half second: no wizard opens.
    ForgetQuit();
    DWORD start = GetTickCount();
    PumpUntil([&] { return GetTickCount() - start > 800; }, 2000);
    EXPECT_EQ(nullptr, g_wizardFrame);
}

// Ends the wizard from inside its modal loop, once it is there.
static void CALLBACK EndWizardSoon(HWND, UINT, UINT_PTR timer, DWORD)
{
    if (g_wizardFrame == NULL)
        return;
    KillTimer(NULL, timer);
    SendMessageA(g_wizardFrame, WM_WIZARD_END, 0, 0);
}

TEST_F(MainWindowTest, TimerOpensTheWizardOnce)
{
    ResetTestPages();
    HWND window = CreateBackgroundWindow(GetModuleHandleA(NULL));
    ASSERT_NE(nullptr, window);
    g_backgroundWindow = window;
    UINT_PTR timer = SetTimer(NULL, 0, 50, EndWizardSoon);
    // The timer's work runs in its own modal loops; it returns when the
    // wizard has ended with its quit message.
    EXPECT_TRUE(PumpUntil([] { return QuitWasPosted(); }, 10000));
    KillTimer(NULL, timer);
    int code = -1;
    QuitWasPosted(&code);
    EXPECT_EQ(0, code);
    EXPECT_EQ(1u, LoggedFor(WM_WIZARD_ACTIVATE).size());
    EXPECT_EQ(g_titleText, WindowText(window));
    // The timer was killed on its first tick.
    ForgetQuit();
    g_pageLog.clear();
    DWORD start = GetTickCount();
    PumpUntil([&] { return GetTickCount() - start > 800; }, 2000);
    EXPECT_TRUE(g_pageLog.empty());
    DestroyWindow(window);
}
