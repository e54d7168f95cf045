#include "tests/wizard/wizard_test_support.h"

#include <string.h>

#include "core/text/dbcs.h"
#include "common/setup_state.h"
#include "resources/resource.h"
#include "tests/support/test_support.h"
#include "wizard/bitmap_display.h"
#include "wizard/wizard_messages.h"

std::string WinePath(const std::string &unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char &c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

std::string TestPicture(const char *name)
{
    return WinePath(std::string(WIZARD_TEST_PICTURES) + "/" + name);
}

MemoryCanvas::MemoryCanvas(int width, int height, COLORREF fill)
    : width_(width), height_(height)
{
    BITMAPINFO info;
    ZeroMemory(&info, sizeof(info));
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc_ = CreateCompatibleDC(NULL);
    void *bits = NULL;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    bits_ = (DWORD *)bits;
    previous_ = SelectObject(dc_, bitmap_);
    DWORD value = (GetRValue(fill) << 16) | (GetGValue(fill) << 8) |
                  GetBValue(fill);
    for (int i = 0; i < width * height; i++)
        bits_[i] = value;
}

MemoryCanvas::~MemoryCanvas()
{
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

COLORREF MemoryCanvas::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return CLR_INVALID;
    GdiFlush();
    DWORD value = bits_[y * width_ + x];
    return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

std::vector<PageMessage> g_pageLog;
int g_testNextMove[WIZARD_PAGE_COUNT];
int g_testBackMove[WIZARD_PAGE_COUNT];

template <int N>
INT_PTR CALLBACK TestPageProc(HWND, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
    case WM_WIZARD_ACTIVATE:
        g_pageLog.push_back({N, message, wParam});
        return TRUE;
    case WM_WIZARD_NEXT:
        g_pageLog.push_back({N, message, wParam});
        if (g_testNextMove[N] != -1)
            g_currentPage = g_testNextMove[N];
        return TRUE;
    case WM_WIZARD_BACK:
        g_pageLog.push_back({N, message, wParam});
        if (g_testBackMove[N] != -1)
            g_currentPage = g_testBackMove[N];
        return TRUE;
    }
    return FALSE;
}

WizardPage g_testPages[WIZARD_PAGE_COUNT];

void ResetTestPages()
{
    for (int i = 0; i < WIZARD_PAGE_COUNT; i++) {
        g_testPages[i] = kWizardPages[i];
        g_testPages[i].dialogId = 9000 + kWizardPages[i].dialogId;
    }
    g_testPages[0].procedure = TestPageProc<0>;
    g_testPages[1].procedure = TestPageProc<1>;
    g_testPages[2].procedure = TestPageProc<2>;
    g_testPages[3].procedure = TestPageProc<3>;
    g_testPages[4].procedure = TestPageProc<4>;
    g_testPages[5].procedure = TestPageProc<5>;
    const int next[WIZARD_PAGE_COUNT] = {2, 2, 3, 4, -1, 4};
    const int back[WIZARD_PAGE_COUNT] = {-1, 0, 0, 2, -1, 3};
    memcpy(g_testNextMove, next, sizeof(next));
    memcpy(g_testBackMove, back, sizeof(back));
    g_pageLog.clear();
    UseWizardPageTable(g_testPages);
}

std::vector<PageMessage> LoggedFor(UINT message)
{
    std::vector<PageMessage> found;
    for (const PageMessage &entry : g_pageLog) {
        if (entry.message == message)
            found.push_back(entry);
    }
    return found;
}

void UseCatalog(const std::string &dir, const std::string &contents)
{
    std::string path = dir + "\\message.ini";
    WriteFileBytes(path, contents);
    // Wine caches profile files; a rewritten catalog must be read anew.
    WritePrivateProfileStringA(NULL, NULL, NULL, path.c_str());
    CopyText(g_catalogPath, sizeof(g_catalogPath), path.c_str());
    CopyText(g_programDirectory, sizeof(g_programDirectory), dir.c_str());
}

OpenedFrame::OpenedFrame()
{
    frame_ = CreateDialogParamA(g_instance,
                                MAKEINTRESOURCEA(IDD_WIZARD_FRAME), NULL,
                                WizardFrameProc, 0);
}

OpenedFrame::~OpenedFrame()
{
    DestroyWindow(frame_);
    ReleaseLoadedPicture();
    ForgetQuit();
}

std::string WindowText(HWND window)
{
    char text[4096];
    text[0] = '\0';
    GetWindowTextA(window, text, sizeof(text));
    return text;
}
