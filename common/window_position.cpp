#include "common/window_position.h"

void CenterWindow(HWND window)
{
    int screenWidth = GetSystemMetrics(SM_CXFULLSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYFULLSCREEN);
    int captionHeight = GetSystemMetrics(SM_CYCAPTION);
    RECT rect;
    GetWindowRect(window, &rect);
    int x = (screenWidth - (rect.right - rect.left)) / 2;
    int y = (screenHeight + captionHeight - (rect.bottom - rect.top)) / 2;
    SetWindowPos(window, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
