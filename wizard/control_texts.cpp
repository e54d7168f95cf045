#include "wizard/control_texts.h"

#include "core/setup_limits.h"
#include "common/setup_state.h"
#include "core/catalog/catalog_key.h"
#include "core/catalog/line_breaks.h"

// A plain key lives in the section named after the control's class
// ("Static", "Button"; sections match without regard to case).
static void ReadControlText(HWND control, const char *key, char *text,
                            size_t size)
{
    char section[CLASS_NAME_SIZE];
    char name[CONTROL_TEXT_SIZE];
    text[0] = '\0';
    if (key[0] == '@') {
        if (!SplitSectionKey(key, section, sizeof(section), name,
                             sizeof(name)))
            return;
        key = name;
    } else if (GetClassNameA(control, section, sizeof(section)) == 0) {
        return;
    }
    GetPrivateProfileStringA(section, key, "", text, (DWORD)size,
                             g_catalogPath);
}

void ApplyCatalogTexts()
{
    for (const ControlTextRow *row = kControlTextRows; row->key != NULL;
         row++) {
        HWND page = g_pageWindows[row->page];
        HWND control = page != NULL ? GetDlgItem(page, row->controlId) : NULL;
        if (control == NULL)
            continue;
        if (row->key[0] != '\0') {
            char text[CONTROL_TEXT_SIZE];
            ReadControlText(control, row->key, text, sizeof(text));
            ApplyLineBreaks(text);
            SetWindowTextA(control, text);
        }
        SendMessageA(control, WM_SETFONT, (WPARAM)g_standardFont, FALSE);
    }
}
