#include "wizard/background.h"

#include <string.h>

#include "common/setup_state.h"

constexpr int GRADIENT_BANDS = 32;

static void FillBands(HDC dc, const RECT *client)
{
    int bandHeight = (client->bottom - client->top) / GRADIENT_BANDS + 1;
    for (int k = 0; k < GRADIENT_BANDS; k++) {
        LOGBRUSH brushStyle = {BS_SOLID,
                               RGB(0, 0, 255 - 255 * k / GRADIENT_BANDS), 0};
        HBRUSH brush = CreateBrushIndirect(&brushStyle);
        // The last band may reach past the bottom edge.
        RECT band = {client->left, client->top + k * bandHeight,
                     client->right, client->top + (k + 1) * bandHeight};
        FillRect(dc, &band, brush);
        DeleteObject(brush);
    }
}

// White text over a black copy 5 pixels right and down.
static void DrawShadowedText(HDC dc, int x, int y, const char *text)
{
    int length = (int)strlen(text);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutA(dc, x + 5, y + 5, text, length);
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutA(dc, x, y, text, length);
}

void DrawBackground(HDC dc, const RECT *client)
{
    SelectPalette(dc, g_sharedPalette, FALSE);
    RealizePalette(dc);
    FillBands(dc, client);
    SetBkMode(dc, TRANSPARENT);

    SelectObject(dc, g_backgroundFont);
    DrawShadowedText(dc, 5, 0, g_titleText);

    // The company text touches the bottom-right corner; its shadow is
    // partly clipped.
    SelectObject(dc, g_companyFont);
    SIZE extent = {0, 0};
    GetTextExtentPoint32A(dc, g_companyText, (int)strlen(g_companyText),
                          &extent);
    DrawShadowedText(dc, client->right - client->left - extent.cx,
                     client->top + client->bottom - extent.cy,
                     g_companyText);
}

void PaintBackground(HWND window, int useWindowDc)
{
    PAINTSTRUCT paint;
    HDC dc = useWindowDc ? GetDC(window) : BeginPaint(window, &paint);
    if (dc != NULL) {
        RECT client;
        GetClientRect(window, &client);
        DrawBackground(dc, &client);
    }
    if (useWindowDc) {
        if (dc != NULL)
            ReleaseDC(window, dc);
    } else {
        EndPaint(window, &paint);
    }
}
