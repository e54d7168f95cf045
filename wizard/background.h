// The background window's picture: a blue gradient with the title top
// left and the company text bottom right, in the catalog's fonts and the
// shared palette. The wizard frame repaints it when it opens.
#pragma once

#include <windows.h>

// Paints the whole client area: useWindowDc 0 inside BeginPaint/EndPaint
// (WM_PAINT), 1 at once through the window DC.
void PaintBackground(HWND window, int useWindowDc);

// Draws the gradient and the two texts for the client rectangle.
void DrawBackground(HDC dc, const RECT *client);
