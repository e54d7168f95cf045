// Texts from the message catalog (message.ini) for controls and message
// boxes. Every text is read into a 256-byte buffer.
#pragma once

#include <windows.h>
#include <stddef.h>

#include "core/setup_limits.h"   // CATALOG_TEXT_SIZE

// MessageBoxA with [section] textKey as text and [section] captionKey as
// caption; flags go to MessageBoxA unchanged. Returns its result.
int CatalogMessageBox(HWND owner, const char *catalog, const char *section,
                      const char *textKey, const char *captionKey,
                      UINT flags);

// Gives a control the font (when not NULL, without redraw) and the text
// [section] key with the line-break escape applied. An empty section and
// key give the empty text.
void SetCatalogText(HWND dialog, int controlId, const char *catalog,
                    const char *section, const char *key, HFONT font);

void SetItemText(HWND dialog, int controlId, const char *text);
// Copies at most size bytes including the NUL; returns the characters
// copied.
int GetItemText(HWND dialog, int controlId, char *buffer, int size);
