// The wizard's page picture: loaded from g_picturePath into one packed
// block (g_loadedPicture), shown stretched in the frame's picture area,
// with a logical palette (g_sharedPalette) built from its colour table.
#pragma once

#include <windows.h>

// Reads a bitmap file into a new packed block (release it with
// FreeDibBlock). NULL, without a message, for a missing, short or
// malformed file; NULL after the "Memory allocate error." box when memory
// runs out. size, when given, receives the width and then the height.
BYTE *LoadDibFile(const char *path, int *size);
void FreeDibBlock(BYTE *block);

// Builds the logical palette of a block's colour table into *palette and
// returns its entry count; 0, creating nothing, without a block.
int CreateDibPalette(const BYTE *block, HPALETTE *palette);

// Stretches the whole block (source 0, 0, sourceWidth x sourceHeight) to
// the destination rectangle.
void StretchDibToDc(HDC dc, int x, int y, int width, int height,
                    int sourceWidth, int sourceHeight, const BYTE *block);

// Paints the current picture into the frame's picture area, inside its
// one-pixel border; loads it first when none is loaded.
void DrawPageBitmap(HDC dc);

// Converts both corners from screen to window client coordinates.
// Returns 1, or 0 at the first failed conversion.
int ScreenRectToClient(HWND window, RECT *rect);

// Frees the loaded picture so that the next paint loads the file again.
void ReleaseLoadedPicture();

// The palette messages of the frame and the background window.
void AnswerQueryNewPalette(HWND window);
void AnswerPaletteChanged(HWND window, HWND changedBy);

// Tests only: makes the picture allocations fail (false restores them).
void SimulateDibAllocationFailure(bool fail);
