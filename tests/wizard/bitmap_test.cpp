#include <gtest/gtest.h>

#include <string>

#include "core/text/dbcs.h"
#include "common/setup_state.h"
#include "resources/resource.h"
#include "tests/support/test_support.h"
#include "tests/wizard/wizard_test_support.h"
#include "wizard/bitmap_display.h"
#include "wizard/wizard_frame.h"

static const COLORREF kRed = RGB(255, 0, 0);
static const COLORREF kBlue = RGB(0, 0, 255);
static const COLORREF kGreen = RGB(0, 255, 0);
static const COLORREF kMarker = RGB(1, 2, 3);

// The block's picture drawn 1:1 onto a canvas of its size.
static COLORREF DrawnPixel(const BYTE *block, int width, int height, int x,
                           int y)
{
    MemoryCanvas canvas(width, height, kMarker);
    StretchDibToDc(canvas.dc(), 0, 0, width, height, width, height, block);
    return canvas.Pixel(x, y);
}

struct ImageMagickFile {
    const char *name;
    int bitCount;
    int entries;
    COLORREF left;   // colour at (2, 2)
    COLORREF right;  // colour at (15, 2)
};

TEST(LoadDibFile, ReadsTheFilesOfAThirdPartyWriter)
{
    const ImageMagickFile files[] = {
        {"one.bmp", 1, 2, RGB(0, 0, 0), RGB(255, 255, 255)},
        {"four.bmp", 4, 16, kRed, kBlue},
        {"eight.bmp", 8, 256, kRed, kBlue},
        {"eight_few.bmp", 8, 256, kRed, kBlue},
        {"true.bmp", 24, 0, kRed, kBlue},
    };
    MessageBoxAnswerer answerer;
    for (const ImageMagickFile &file : files) {
        SCOPED_TRACE(file.name);
        int size[2] = {0, 0};
        BYTE *block = LoadDibFile(TestPicture(file.name).c_str(), size);
        ASSERT_NE(nullptr, block);
        EXPECT_EQ(20, size[0]);
        EXPECT_EQ(10, size[1]);
        const BITMAPINFOHEADER *info = (const BITMAPINFOHEADER *)block;
        EXPECT_EQ(40u, info->biSize);
        EXPECT_EQ(file.bitCount, info->biBitCount);
        HPALETTE palette = NULL;
        EXPECT_EQ(file.entries, CreateDibPalette(block, &palette));
        if (palette != NULL)
            DeleteObject(palette);
        EXPECT_EQ(file.left, DrawnPixel(block, 20, 10, 2, 2));
        EXPECT_EQ(file.right, DrawnPixel(block, 20, 10, 15, 2));
        FreeDibBlock(block);
    }
    EXPECT_TRUE(answerer.seen().empty());
}

TEST(LoadDibFile, PaletteTakesTheColourTable)
{
    BYTE *block = LoadDibFile(TestPicture("four.bmp").c_str(), NULL);
    ASSERT_NE(nullptr, block);
    HPALETTE palette = NULL;
    ASSERT_EQ(16, CreateDibPalette(block, &palette));
    ASSERT_NE(nullptr, palette);
    PALETTEENTRY entries[16];
    ASSERT_EQ(16u, GetPaletteEntries(palette, 0, 16, entries));
    const RGBQUAD *table = (const RGBQUAD *)(block + 40);
    for (int i = 0; i < 16; i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(table[i].rgbRed, entries[i].peRed);
        EXPECT_EQ(table[i].rgbGreen, entries[i].peGreen);
        EXPECT_EQ(table[i].rgbBlue, entries[i].peBlue);
        EXPECT_EQ(0, entries[i].peFlags);
    }
    DeleteObject(palette);
    FreeDibBlock(block);
    EXPECT_EQ(0, CreateDibPalette(NULL, &palette));
}

class BadFileTest : public testing::Test {
protected:
    std::string Spoiled(size_t at, const std::string &bytes, size_t cut = 0)
    {
        std::string file = ReadFileBytes(TestPicture("true.bmp"));
        file.replace(at, bytes.size(), bytes);
        if (cut > 0)
            file.resize(cut);
        std::string path = dir_.Join("bad.bmp");
        WriteFileBytes(path, file);
        return path;
    }
    ScratchDir dir_;
};

TEST_F(BadFileTest, MalformedFilesAreNoPictureWithoutAMessage)
{
    struct Case {
        const char *what;
        size_t at;
        std::string bytes;
        size_t cut;
    };
    const Case cases[] = {
        {"truncated pixels", 0, "", 600},
        {"truncated header", 0, "", 30},
        {"file header only", 0, "", 14},
        {"empty file", 0, "", 1},
        {"size image past the file", 34, std::string("\x00\x10\x00\x00", 4), 0},
        {"header size 12", 14, std::string("\x0C\x00\x00\x00", 4), 0},
        {"header size 124", 14, std::string("\x7C\x00\x00\x00", 4), 0},
        {"16 bits", 28, std::string("\x10\x00", 2), 0},
        {"32 bits", 28, std::string("\x20\x00", 2), 0},
        {"size image 0", 34, std::string("\x00\x00\x00\x00", 4), 0},
    };
    MessageBoxAnswerer answerer;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::string path = Spoiled(c.at, c.bytes, c.cut);
        int size[2] = {-7, -7};
        EXPECT_EQ(nullptr, LoadDibFile(path.c_str(), size));
        EXPECT_EQ(-7, size[0]);
    }
    EXPECT_EQ(nullptr, LoadDibFile(dir_.Join("missing.bmp").c_str(), NULL));
    EXPECT_EQ(nullptr, LoadDibFile(dir_.path().c_str(), NULL));
    EXPECT_TRUE(answerer.seen().empty());
}

TEST_F(BadFileTest, OutOfMemoryIsReported)
{
    MessageBoxAnswerer answerer;
    SimulateDibAllocationFailure(true);
    BYTE *block = LoadDibFile(TestPicture("true.bmp").c_str(), NULL);
    SimulateDibAllocationFailure(false);
    EXPECT_EQ(nullptr, block);
    ASSERT_EQ(1u, answerer.seen().size());
    EXPECT_EQ("Error", answerer.seen()[0].caption);
    EXPECT_EQ("Memory allocate error.", answerer.seen()[0].text);
}

TEST(ScreenRectToClient, ConvertsBothCorners)
{
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 100,
                                  50, 200, 100, NULL, NULL, NULL, NULL);
    ASSERT_NE(nullptr, window);
    RECT rect = {110, 70, 150, 90};
    EXPECT_EQ(1, ScreenRectToClient(window, &rect));
    EXPECT_EQ(10, rect.left);
    EXPECT_EQ(20, rect.top);
    EXPECT_EQ(50, rect.right);
    EXPECT_EQ(40, rect.bottom);
    DestroyWindow(window);
    EXPECT_EQ(0, ScreenRectToClient(window, &rect));
}

class PagePictureTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetTestPages();
        UseCatalog(dir_.path(), "[bmp]\r\nTovrin=page.bmp\r\n");
        CopyFileA(TestPicture("red.bmp").c_str(),
                  dir_.Join("page.bmp").c_str(), FALSE);
    }
    void TearDown() override { UseWizardPageTable(NULL); }

    // The picture area in frame client coordinates.
    static RECT AreaRect(HWND frame)
    {
        RECT rect;
        GetWindowRect(GetDlgItem(frame, IDC_PICTURE_AREA), &rect);
        ScreenRectToClient(frame, &rect);
        return rect;
    }

    ScratchDir dir_;
};

TEST_F(PagePictureTest, PictureFillsTheAreaInsideItsBorder)
{
    OpenedFrame frame;
    RECT area = AreaRect(frame.get());
    ASSERT_GT(area.right - area.left, 10);
    MemoryCanvas canvas(area.right + 10, area.bottom + 10, kMarker);
    DrawPageBitmap(canvas.dc());
    EXPECT_EQ(kRed, canvas.Pixel(area.left + 1, area.top + 1));
    EXPECT_EQ(kRed, canvas.Pixel(area.right - 2, area.bottom - 2));
    EXPECT_EQ(kMarker, canvas.Pixel(area.left, area.top));
    EXPECT_EQ(kMarker, canvas.Pixel(area.left + 1, area.top));
    EXPECT_EQ(kMarker, canvas.Pixel(area.right - 1, area.bottom - 1));
    EXPECT_EQ(kMarker, canvas.Pixel(area.right - 2, area.bottom - 1));
    EXPECT_EQ(8, g_pictureWidth);
    EXPECT_EQ(8, g_pictureHeight);
}

TEST_F(PagePictureTest, PaintingTwiceReadsTheFileOnce)
{
    OpenedFrame frame;
    RECT area = AreaRect(frame.get());
    int x = (area.left + area.right) / 2;
    int y = (area.top + area.bottom) / 2;
    ASSERT_NE(nullptr, g_loadedPicture);
    // Replaced on disk: repaints keep what was loaded.
    CopyFileA(TestPicture("blue.bmp").c_str(), dir_.Join("page.bmp").c_str(),
              FALSE);
    {
        MemoryCanvas canvas(area.right, area.bottom, kMarker);
        DrawPageBitmap(canvas.dc());
        DrawPageBitmap(canvas.dc());
        EXPECT_EQ(kRed, canvas.Pixel(x, y));
    }
    // A page switch loads the file again.
    ShowWizardPage(frame.get(), 2);
    MemoryCanvas canvas(area.right, area.bottom, kMarker);
    DrawPageBitmap(canvas.dc());
    EXPECT_EQ(kBlue, canvas.Pixel(x, y));
}

TEST_F(PagePictureTest, EachPageGetsItsOwnPicture)
{
    UseCatalog(dir_.path(), "[bmp]\r\nTovrin02=green.bmp\r\n");
    CopyFileA(TestPicture("red.bmp").c_str(), dir_.Join("default.bmp").c_str(),
              FALSE);
    CopyFileA(TestPicture("green.bmp").c_str(), dir_.Join("green.bmp").c_str(),
              FALSE);
    OpenedFrame frame;
    RECT area = AreaRect(frame.get());
    int x = (area.left + area.right) / 2;
    int y = (area.top + area.bottom) / 2;
    SendMessageA(frame.get(), WM_COMMAND, IDC_WIZARD_NEXT, 0);
    ASSERT_EQ(2, g_currentPage);
    MemoryCanvas canvas(area.right, area.bottom, kMarker);
    DrawPageBitmap(canvas.dc());
    EXPECT_EQ(kGreen, canvas.Pixel(x, y));
}

TEST_F(PagePictureTest, NoPathOrAMissingFileDrawsNothing)
{
    OpenedFrame frame;
    RECT area = AreaRect(frame.get());
    int x = (area.left + area.right) / 2;
    int y = (area.top + area.bottom) / 2;
    for (const char *path : {"", "Z:\\no\\such\\picture.bmp"}) {
        SCOPED_TRACE(path);
        ReleaseLoadedPicture();
        CopyText(g_picturePath, sizeof(g_picturePath), path);
        MemoryCanvas canvas(area.right, area.bottom, kMarker);
        DrawPageBitmap(canvas.dc());
        EXPECT_EQ(kMarker, canvas.Pixel(x, y));
        EXPECT_EQ(nullptr, g_loadedPicture);
    }
}

TEST_F(PagePictureTest, HiddenAreaIsNotPaintedOver)
{
    OpenedFrame frame;
    RECT area = AreaRect(frame.get());
    ShowWizardPage(frame.get(), 1);
    ASSERT_NE(nullptr, g_loadedPicture);
    MemoryCanvas canvas(area.right, area.bottom, kMarker);
    DrawPageBitmap(canvas.dc());
    EXPECT_EQ(kMarker, canvas.Pixel((area.left + area.right) / 2,
                                    (area.top + area.bottom) / 2));
}
