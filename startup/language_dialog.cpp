// The language selection dialog (146): lists the entries of language.ini,
// preselects "Default" and writes the chosen entry's code.
#include "startup/language_dialog.h"

#include <windows.h>
#include <string.h>

#include "core/script/language_choice.h"
#include "core/setup_limits.h"
#include "common/setup_state.h"
#include "common/window_position.h"
#include "core/text/dbcs.h"
#include "resources/resource.h"

// Filled once per process by the dialog's initialisation.
static LanguageEntry g_languages[LANGUAGE_TABLE_ENTRIES];
static int g_languageCount;
static char *g_chosenCode;  // the creation parameter: LANGUAGE_CODE_SIZE bytes

// The list box's sort order (LBS_SORT): the user's collation, ignoring
// case, on the names converted from the ANSI code page. Locale-aware on
// purpose: the preselection must land where the list box put the name,
// and the list box sorts by the user's collation, not by ASCII folding.
static int CompareAsListBox(const char *a, const char *b)
{
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a, -1, b,
                          -1) -
           CSTR_EQUAL;
}

int FindPreselectedLanguage(const LanguageEntry *entries, int count,
                            const char *listPath)
{
    char wanted[LIST_VALUE_SIZE];
    GetPrivateProfileStringA("Language", "Default", "", wanted,
                             sizeof(wanted), listPath);
    const char *names[LANGUAGE_TABLE_ENTRIES];
    if (count > LANGUAGE_TABLE_ENTRIES)
        count = LANGUAGE_TABLE_ENTRIES;
    for (int i = 0; i < count; i++)
        names[i] = entries[i].name;
    return FindDefaultLanguage(names, count, wanted, CompareAsListBox);
}

// The list box row that shows entry index (its item data), or LB_ERR.
static LRESULT FindRowOfEntry(HWND list, int index)
{
    LRESULT rows = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT row = 0; row < rows; row++) {
        if (SendMessageA(list, LB_GETITEMDATA, (WPARAM)row, 0) == index)
            return row;
    }
    return LB_ERR;
}

// The list box only shows the names; which one is preselected is
// FindPreselectedLanguage's answer, so the unattended run agrees.
static void FillLanguageList(HWND dialog)
{
    char listPath[PATH_SIZE];
    GetLanguageListPath(listPath, sizeof(listPath));
    HWND list = GetDlgItem(dialog, IDC_LANGUAGE_LIST);

    g_languageCount = 0;
    for (int index = 0; index < LANGUAGE_TABLE_ENTRIES; index++) {
        LanguageEntry *entry = &g_languages[g_languageCount];
        if (!ReadLanguageListEntry(listPath, index, entry))
            break;
        LRESULT row = SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)entry->name);
        if (row >= 0)
            SendMessageA(list, LB_SETITEMDATA, (WPARAM)row, index);
        g_languageCount++;
    }

    int chosen =
        FindPreselectedLanguage(g_languages, g_languageCount, listPath);
    LRESULT row = chosen < 0 ? LB_ERR : FindRowOfEntry(list, chosen);
    if (row == LB_ERR)
        EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
    else
        SendMessageA(list, LB_SETCURSEL, (WPARAM)row, 0);
}

static void StoreCode(const char *code)
{
    if (g_chosenCode != NULL)
        CopyText(g_chosenCode, LANGUAGE_CODE_SIZE, code);
}

// Maps the selected display name back to its code through the table in
// file order, so equal names give the code of the lower key index.
static void TakeChoice(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_LANGUAGE_LIST);
    LRESULT selection = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selection == LB_ERR) {
        StoreCode(g_languages[0].code);
        return;
    }
    char text[LANGUAGE_NAME_SIZE];
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, (WPARAM)selection, 0);
    if (length == LB_ERR || length >= (LRESULT)sizeof(text))
        return;
    SendMessageA(list, LB_GETTEXT, (WPARAM)selection, (LPARAM)text);
    for (int i = 0; i < g_languageCount; i++) {
        if (strcmp(g_languages[i].name, text) == 0) {
            StoreCode(g_languages[i].code);
            return;
        }
    }
}

static void OnLanguageCommand(HWND dialog, int id, int notification)
{
    switch (id) {
    case IDOK:
        TakeChoice(dialog);
        EndDialog(dialog, 1);
        break;
    case IDC_LANGUAGE_LIST:
        if (notification == LBN_DBLCLK) {
            TakeChoice(dialog);
            EndDialog(dialog, 1);
        } else if (notification == LBN_SELCHANGE) {
            EnableWindow(GetDlgItem(dialog, IDOK), TRUE);
        }
        break;
    case IDCANCEL:
        // Not ended with EndDialog: the modal loop ends on the quit message.
        StoreCode(g_languages[0].code);
        PostQuitMessage(0);
        break;
    }
}

INT_PTR CALLBACK LanguageDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                    LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        CenterWindow(dialog);
        g_chosenCode = (char *)lParam;
        FillLanguageList(dialog);
        return TRUE;
    case WM_COMMAND:
        OnLanguageCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    }
    return FALSE;
}
