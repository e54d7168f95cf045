#include "wizard/control_texts.h"

#include "common/setup_limits.h"
#include "common/setup_state.h"
#include "wizard/catalog_key.h"
#include "wizard/line_breaks.h"

const ControlTextRow kControlTextRows[] = {
    {0, 1019, "ADMINWEL_01"},  // welcome: heading
    {0, 1004, "ADMINWEL_02"},
    {0, 1005, "ADMINWEL_03"},
    {1, 1007, "LICENSE_01"},   // licence
    {1, 1008, "LICENSE_02"},
    {2, 1033, "INST_01"},      // destination folder
    {2, 1037, "@LABEL@INSTALL"},
    {2, 1036, ""},             // shows the folder: written by the page
    {2, 1035, "REFERENCE"},
    {3, 1043, "ADINST_02"},    // program group
    {3, 1042, "@LABEL@GROUP"},
    {3, 1041, "@LABEL@EXISTING"},
    {3, 1040, ""},             // group name box
    {3, 1039, ""},             // existing groups
    {4, 1166, "ADMINCOMP_01"}, // finish
    {4, 1167, "ADMINCOMP_02"},
    {5, 1188, "USERINFO_01"},  // user information
    {5, 1189, "USERINFO_02"},
    {5, 1190, "USERINFO_03"},
    {5, 1191, "USERINFO_04"},
    {5, 1010, ""},
    {5, 1011, ""},
    {5, 1012, ""},
    {0, 0, NULL},
};

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
