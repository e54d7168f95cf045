// Helpers of the wizard tests: paths of the ImageMagick pictures, a
// memory canvas to read painted pixels from, and a page table of test
// pages that record what the frame sends them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "wizard/wizard_frame.h"

// A Unix path of the build tree as Wine sees it (drive Z:).
std::string WinePath(const std::string &unixPath);
// A picture written by tests/wizard/make-pictures.
std::string TestPicture(const char *name);

// A 32-bit top-down DIB selected into a memory DC, filled with one colour.
class MemoryCanvas {
public:
    MemoryCanvas(int width, int height, COLORREF fill);
    ~MemoryCanvas();
    MemoryCanvas(const MemoryCanvas &) = delete;
    MemoryCanvas &operator=(const MemoryCanvas &) = delete;

    HDC dc() const { return dc_; }
    COLORREF Pixel(int x, int y) const;

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
    DWORD *bits_;
    int width_;
    int height_;
};

// What a test page received.
struct PageMessage {
    int page;
    UINT message;
    WPARAM wParam;
};

// Test pages 9102 ... 9172 (tests/wizard/test_pages.rc) in the rows of the
// real table. Moves: what a page writes into g_currentPage on NEXT and
// BACK; -1 leaves it.
extern WizardPage g_testPages[WIZARD_PAGE_COUNT];
extern int g_testNextMove[WIZARD_PAGE_COUNT];
extern int g_testBackMove[WIZARD_PAGE_COUNT];
extern std::vector<PageMessage> g_pageLog;

// The moves of the real pages, an empty log and the test table in use.
void ResetTestPages();
// The wizard messages and WM_INITDIALOG that a page received.
std::vector<PageMessage> LoggedFor(UINT message);

// A catalog file and the shared values that point at it and at dir as the
// program directory.
void UseCatalog(const std::string &dir, const std::string &contents);

// The frame opened as a modeless dialog, the way the background window
// opens it modally; destroyed (with the loaded picture released) at the
// end of the scope.
class OpenedFrame {
public:
    OpenedFrame();
    ~OpenedFrame();
    OpenedFrame(const OpenedFrame &) = delete;
    OpenedFrame &operator=(const OpenedFrame &) = delete;
    HWND get() const { return frame_; }
    HWND item(int id) const { return GetDlgItem(frame_, id); }

private:
    HWND frame_;
};

std::string WindowText(HWND window);
