#include "wizard/bitmap_display.h"

#include "common/setup_state.h"
#include "resources/resource.h"
#include "core/catalog/dib_format.h"

int g_pictureWidth;
int g_pictureHeight;
int g_paletteEntries;

static bool g_failAllocations;

void SimulateDibAllocationFailure(bool fail)
{
    g_failAllocations = fail;
}

static BYTE *AllocateDibMemory(size_t size)
{
    if (g_failAllocations)
        return NULL;
    return (BYTE *)HeapAlloc(GetProcessHeap(), 0, size);
}

void FreeDibBlock(BYTE *block)
{
    if (block != NULL)
        HeapFree(GetProcessHeap(), 0, block);
}

static BYTE *ReportNoMemory()
{
    MessageBoxA(NULL, "Memory allocate error.", "Error", MB_OK);
    return NULL;
}

// The file is read as far as its layout says it is used, then packed.
static BYTE *ReadPackedDib(HFILE file, const DibLayout *layout)
{
    BYTE *fileBytes = AllocateDibMemory(layout->fileBytes);
    if (fileBytes == NULL)
        return ReportNoMemory();
    BYTE *block = NULL;
    DibLayout packed;
    if (_llseek(file, 0, FILE_BEGIN) == 0 &&
        _lread(file, fileBytes, (UINT)layout->fileBytes) ==
            (UINT)layout->fileBytes) {
        block = AllocateDibMemory(layout->blockSize);
        if (block == NULL)
            ReportNoMemory();
        else if (!PackDibBlock(fileBytes, layout->fileBytes, block,
                               layout->blockSize, &packed)) {
            FreeDibBlock(block);
            block = NULL;
        }
    }
    FreeDibBlock(fileBytes);
    return block;
}

BYTE *LoadDibFile(const char *path, int *size)
{
    HFILE file = _lopen(path, OF_READ);
    if (file == HFILE_ERROR)
        return NULL;
    BYTE head[DIB_HEAD_SIZE];
    LONG fileSize = _llseek(file, 0, FILE_END);
    BYTE *block = NULL;
    DibLayout layout;
    if (fileSize != HFILE_ERROR && _llseek(file, 0, FILE_BEGIN) == 0 &&
        _lread(file, head, sizeof(head)) == sizeof(head) &&
        ReadDibLayout(head, sizeof(head), (unsigned long long)fileSize,
                      &layout))
        block = ReadPackedDib(file, &layout);
    _lclose(file);
    if (block != NULL && size != NULL) {
        size[0] = layout.width;
        size[1] = layout.height;
    }
    return block;
}

static int BlockPaletteEntries(const BYTE *block)
{
    const BITMAPINFOHEADER *info = (const BITMAPINFOHEADER *)block;
    int entries = DibPaletteEntries(info->biBitCount);
    return entries > 0 ? entries : 0;
}

int CreateDibPalette(const BYTE *block, HPALETTE *palette)
{
    if (block == NULL)
        return 0;
    int entries = BlockPaletteEntries(block);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT,
                                 sizeof(LOGPALETTE) +
                                     entries * sizeof(PALETTEENTRY));
    LOGPALETTE *logical = memory ? (LOGPALETTE *)GlobalLock(memory) : NULL;
    if (logical == NULL) {
        if (memory != NULL)
            GlobalFree(memory);
        *palette = NULL;
        return entries;
    }
    logical->palVersion = 0x300;
    logical->palNumEntries = (WORD)entries;
    const RGBQUAD *table = (const RGBQUAD *)(block + DIB_INFO_HEADER_SIZE);
    for (int i = 0; i < entries; i++) {
        logical->palPalEntry[i].peRed = table[i].rgbRed;
        logical->palPalEntry[i].peGreen = table[i].rgbGreen;
        logical->palPalEntry[i].peBlue = table[i].rgbBlue;
        logical->palPalEntry[i].peFlags = 0;
    }
    *palette = CreatePalette(logical);
    GlobalUnlock(memory);
    GlobalFree(memory);
    return entries;
}

void StretchDibToDc(HDC dc, int x, int y, int width, int height,
                    int sourceWidth, int sourceHeight, const BYTE *block)
{
    const BITMAPINFO *info = (const BITMAPINFO *)block;
    const BYTE *bits = block + info->bmiHeader.biSize +
                       4 * BlockPaletteEntries(block);
    StretchDIBits(dc, x, y, width, height, 0, 0, sourceWidth, sourceHeight,
                  bits, info, DIB_RGB_COLORS, SRCCOPY);
}

int ScreenRectToClient(HWND window, RECT *rect)
{
    POINT corner = {rect->left, rect->top};
    if (!ScreenToClient(window, &corner))
        return 0;
    rect->left = corner.x;
    rect->top = corner.y;
    corner.x = rect->right;
    corner.y = rect->bottom;
    if (!ScreenToClient(window, &corner))
        return 0;
    rect->right = corner.x;
    rect->bottom = corner.y;
    return 1;
}

void ReleaseLoadedPicture()
{
    FreeDibBlock(g_loadedPicture);
    g_loadedPicture = NULL;
}

// Each load makes a new palette; the one it replaces is deleted.
static bool LoadCurrentPicture()
{
    if (g_picturePath[0] == '\0')
        return false;
    int size[2];
    BYTE *block = LoadDibFile(g_picturePath, size);
    if (block == NULL)
        return false;
    g_loadedPicture = block;
    g_pictureWidth = size[0];
    g_pictureHeight = size[1];
    HPALETTE previous = g_sharedPalette;
    g_paletteEntries = CreateDibPalette(block, &g_sharedPalette);
    if (previous != NULL && previous != g_sharedPalette)
        DeleteObject(previous);
    return true;
}

void DrawPageBitmap(HDC dc)
{
    // Looked up on every paint: a frame that was closed and opened again
    // has a new picture area.
    // The area's own visibility counts: during its initialisation the
    // frame itself is not shown yet.
    HWND area = GetDlgItem(g_wizardFrame, IDC_PICTURE_AREA);
    if (area == NULL || !(GetWindowLongA(area, GWL_STYLE) & WS_VISIBLE))
        return;
    RECT rect;
    GetWindowRect(area, &rect);
    ScreenRectToClient(g_wizardFrame, &rect);
    if (g_loadedPicture == NULL && !LoadCurrentPicture())
        return;
    SelectPalette(dc, g_sharedPalette, FALSE);
    RealizePalette(dc);
    // Inside the area's one-pixel sunken border; the aspect ratio is not
    // kept. A top-down picture has a negative height.
    int sourceHeight = g_pictureHeight < 0 ? -g_pictureHeight
                                           : g_pictureHeight;
    StretchDibToDc(dc, rect.left + 1, rect.top + 1,
                   rect.right - rect.left - 2, rect.bottom - rect.top - 2,
                   g_pictureWidth, sourceHeight, g_loadedPicture);
}

// True when realizing changed entries of the system palette.
static bool RealizeSharedPalette(HDC dc)
{
    SelectPalette(dc, g_sharedPalette, FALSE);
    UINT changed = RealizePalette(dc);
    return changed != 0 && changed != GDI_ERROR;
}

void AnswerQueryNewPalette(HWND window)
{
    HDC dc = GetDC(window);
    if (dc == NULL)
        return;
    if (RealizeSharedPalette(dc))
        InvalidateRect(window, NULL, FALSE);
    ReleaseDC(window, dc);
}

// A change made by this window itself needs no answer.
void AnswerPaletteChanged(HWND window, HWND changedBy)
{
    if (changedBy == window)
        return;
    HDC dc = GetDC(window);
    if (dc == NULL)
        return;
    if (RealizeSharedPalette(dc))
        UpdateColors(dc);
    ReleaseDC(window, dc);
}
