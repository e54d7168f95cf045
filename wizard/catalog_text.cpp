#include "wizard/catalog.h"

#include "core/catalog/line_breaks.h"

int CatalogMessageBox(HWND owner, const char *catalog, const char *section,
                      const char *textKey, const char *captionKey,
                      UINT flags)
{
    char text[CATALOG_TEXT_SIZE];
    char caption[CATALOG_TEXT_SIZE];
    GetPrivateProfileStringA(section, textKey, "", text, sizeof(text),
                             catalog);
    GetPrivateProfileStringA(section, captionKey, "", caption,
                             sizeof(caption), catalog);
    return MessageBoxA(owner, text, caption, flags);
}

void SetCatalogText(HWND dialog, int controlId, const char *catalog,
                    const char *section, const char *key, HFONT font)
{
    char text[CATALOG_TEXT_SIZE] = "";
    if (section[0] != '\0' && key[0] != '\0')
        GetPrivateProfileStringA(section, key, "", text, sizeof(text),
                                 catalog);
    if (font != NULL)
        SendDlgItemMessageA(dialog, controlId, WM_SETFONT, (WPARAM)font,
                            FALSE);
    ApplyLineBreaks(text);
    SetDlgItemTextA(dialog, controlId, text);
}

void SetItemText(HWND dialog, int controlId, const char *text)
{
    SetDlgItemTextA(dialog, controlId, text);
}

int GetItemText(HWND dialog, int controlId, char *buffer, int size)
{
    if (size <= 0)
        return 0;
    buffer[0] = '\0';
    return GetDlgItemTextA(dialog, controlId, buffer, size);
}
