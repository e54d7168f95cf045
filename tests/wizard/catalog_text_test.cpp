#include <gtest/gtest.h>

#include <string>

#include "common/setup_state.h"
#include "resources/resource.h"
#include "tests/support/test_support.h"
#include "tests/wizard/wizard_test_support.h"
#include "wizard/catalog.h"
#include "wizard/fonts.h"
#include "wizard/wizard_frame.h"

class CatalogTextTest : public testing::Test {
protected:
    void SetUp() override { ResetTestPages(); }
    void TearDown() override { UseWizardPageTable(NULL); }

    void Use(const std::string &contents) { UseCatalog(dir_.path(), contents); }
    static std::string Control(int page, int id)
    {
        return WindowText(GetDlgItem(g_pageWindows[page], id));
    }
    static HFONT FontOf(int page, int id)
    {
        return (HFONT)SendDlgItemMessageA(g_pageWindows[page], id, WM_GETFONT,
                                          0, 0);
    }

    ScratchDir dir_;
};

TEST_F(CatalogTextTest, ControlsGetTheirTextsFromTheClassSection)
{
    Use("[static]\r\nADMINWEL_01=Line one\\nLine two\r\n"
        "INST_01=Where to\r\nADMINCOMP_02=Done\r\n"
        "[button]\r\nREFERENCE=Browse...\r\n"
        "[LABEL]\r\nINSTALL=Folder\r\nGROUP=Group\r\n");
    OpenedFrame frame;
    EXPECT_EQ("Line one \nLine two", Control(0, 1019));
    EXPECT_EQ("Where to", Control(2, 1033));
    EXPECT_EQ("Browse...", Control(2, 1035));
    EXPECT_EQ("Done", Control(4, 1167));
    EXPECT_EQ("Group", Control(3, 1042));
    EXPECT_EQ("", Control(0, 1004));  // missing key: empty text
}

TEST_F(CatalogTextTest, AtKeysNameTheirOwnSection)
{
    Use("[LABEL]\r\nINSTALL=from LABEL\r\n"
        "[button]\r\n@LABEL@INSTALL=from button\r\n");
    OpenedFrame frame;
    EXPECT_EQ("from LABEL", Control(2, 1037));
}

TEST_F(CatalogTextTest, EmptyKeysGiveTheFontOnly)
{
    Use("[FONT]\r\nStandard=9,18\r\n");
    OpenedFrame frame;
    ASSERT_NE(nullptr, g_standardFont);
    EXPECT_EQ("template", Control(2, 1036));
    EXPECT_EQ(g_standardFont, FontOf(2, 1036));
    EXPECT_EQ(g_standardFont, FontOf(3, 1040));
    EXPECT_EQ(g_standardFont, FontOf(5, 1012));
    EXPECT_EQ(g_standardFont, FontOf(0, 1019));
    EXPECT_EQ(g_standardFont,
              (HFONT)SendMessageA(frame.item(IDC_WIZARD_NEXT), WM_GETFONT, 0,
                                  0));
}

TEST_F(CatalogTextTest, OnlyTheCurrentPagesControlsAreShown)
{
    OpenedFrame frame;
    ShowWizardPage(frame.get(), 2);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(g_pageWindows[2], 1035)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(g_pageWindows[2], 1035)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(g_pageWindows[0], 1019)));
    EXPECT_FALSE(GetWindowLongA(GetDlgItem(g_pageWindows[0], 1019),
                                GWL_STYLE) & WS_VISIBLE);
}

TEST_F(CatalogTextTest, OverlongTextsAreCut)
{
    Use("[static]\r\nADMINWEL_01=" + std::string(5000, 'x') + "\r\n" +
        "[LABEL]\r\nINSTALL=" + std::string(3000, 'y') + "\r\n");
    OpenedFrame frame;
    EXPECT_EQ(std::string(1023, 'x'), Control(0, 1019));
    EXPECT_EQ(std::string(1023, 'y'), Control(2, 1037));
}

TEST_F(CatalogTextTest, ShiftJisTrailBackslashIsNoEscape)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "needs ANSI code page 932";
    // "ソn": the second byte of the character is 0x5C, then an n.
    Use("[static]\r\nADMINWEL_01=\x83\x5Cn\\n\x95\x5C\r\n");
    OpenedFrame frame;
    EXPECT_EQ("\x83\x5Cn \n\x95\x5C", Control(0, 1019));
}

TEST_F(CatalogTextTest, SetCatalogTextGivesFontAndEscapedText)
{
    Use("[static]\r\nCOPYING=Copying\\nfiles\r\nLONG=" +
        std::string(2000, 'z') + "\r\n");
    OpenedFrame frame;
    HWND page = g_pageWindows[0];
    HFONT font = (HFONT)GetStockObject(ANSI_FIXED_FONT);
    SetCatalogText(page, 1004, g_catalogPath, "static", "COPYING", font);
    EXPECT_EQ("Copying \nfiles", Control(0, 1004));
    EXPECT_EQ(font, FontOf(0, 1004));
    SetCatalogText(page, 1004, g_catalogPath, "static", "LONG", NULL);
    EXPECT_EQ(std::string(255, 'z'), Control(0, 1004));
    SetCatalogText(page, 1004, g_catalogPath, "", "", NULL);
    EXPECT_EQ("", Control(0, 1004));
}

TEST_F(CatalogTextTest, ItemTextsAreCutToTheBuffer)
{
    OpenedFrame frame;
    HWND page = g_pageWindows[3];
    SetItemText(page, 1040, "Program group");
    char buffer[8];
    memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(7, GetItemText(page, 1040, buffer, sizeof(buffer)));
    EXPECT_STREQ("Program", buffer);
    EXPECT_EQ(0, GetItemText(page, 4444, buffer, sizeof(buffer)));
    EXPECT_STREQ("", buffer);
}

class FontTest : public testing::Test {
protected:
    void Use(const std::string &contents) { UseCatalog(dir_.path(), contents); }
    static LOGFONTA Made(const FontSpec &spec)
    {
        LOGFONTA font;
        ZeroMemory(&font, sizeof(font));
        HFONT made = CreateSpecFont(NULL, &spec);
        EXPECT_NE(nullptr, made);
        GetObjectA(made, sizeof(font), &font);
        DeleteObject(made);
        return font;
    }
    ScratchDir dir_;
};

TEST_F(FontTest, MissingKeyGivesTheDefaultFont)
{
    Use("[FONT]\r\nCompany=1,2\r\n");
    FontSpec spec;
    ReadFontSpec(&spec, "Standard", g_catalogPath);
    LOGFONTA font = Made(spec);
    EXPECT_EQ(8, font.lfWidth);
    EXPECT_EQ(16, font.lfHeight);
    EXPECT_EQ(400, font.lfWeight);
    EXPECT_EQ(1, font.lfCharSet);
    EXPECT_EQ(0x10, font.lfPitchAndFamily);
    EXPECT_STREQ("", font.lfFaceName);
}

TEST_F(FontTest, PointsAreScaledByThePixelsPerInch)
{
    Use("[FONT]\r\nStandard=12,24,BOLD,SHIFTJIS,FIXED,MODERN,TRUE,FALSE,"
        "DIALOG,Mincho\r\n");
    FontSpec spec;
    ReadFontSpec(&spec, "Standard", g_catalogPath);
    HDC screen = GetDC(NULL);
    int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
    int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(NULL, screen);
    LOGFONTA font = Made(spec);
    EXPECT_EQ(-MulDiv(12, dpiX, 72), font.lfWidth);
    EXPECT_EQ(-MulDiv(24, dpiY, 72), font.lfHeight);
    EXPECT_EQ(700, font.lfWeight);
    EXPECT_EQ(1, font.lfItalic);
    EXPECT_EQ(128, font.lfCharSet);
    EXPECT_EQ(0x31, font.lfPitchAndFamily);
    EXPECT_STREQ("Mincho", font.lfFaceName);
    EXPECT_EQ(0, font.lfUnderline);
    EXPECT_EQ(0, font.lfQuality);
}

TEST_F(FontTest, OverlongValuesAndFacesStayInTheirFields)
{
    Use("[FONT]\r\nStandard=8,16,NORMAL,ANSI,DEFAULT,SWISS,FALSE,FALSE," +
        std::string(60, 'F') + "\r\nCompany=" + std::string(4000, '7') +
        "\r\n");
    FontSpec spec;
    ReadFontSpec(&spec, "Standard", g_catalogPath);
    LOGFONTA font = Made(spec);
    EXPECT_EQ(std::string(31, 'F'), font.lfFaceName);
    // 127 characters of digits: a saturated width, nothing more.
    ReadFontSpec(&spec, "Company", g_catalogPath);
    EXPECT_EQ(2147483647, spec.width);
    EXPECT_EQ(16, spec.height);
}
