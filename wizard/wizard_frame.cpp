#include "wizard/wizard_frame.h"

#include <stdio.h>
#include <string.h>

#include "core/text/dbcs.h"
#include "core/text/path_join.h"
#include "common/setup_state.h"
#include "common/window_position.h"
#include "resources/resource.h"
#include "wizard/background.h"
#include "wizard/bitmap_display.h"
#include "wizard/catalog.h"
#include "wizard/control_texts.h"
#include "wizard/fonts.h"
#include "core/catalog/picture_name.h"
#include "wizard/wizard_messages.h"

static const WizardPage *g_pageRows = kWizardPages;

void UseWizardPageTable(const WizardPage *rows)
{
    g_pageRows = rows != NULL ? rows : kWizardPages;
}

static bool IsPageIndex(int index)
{
    return index >= 0 && index < WIZARD_PAGE_COUNT;
}

void CreateWizardPages(HWND frame)
{
    for (int i = 0; i < WIZARD_PAGE_COUNT; i++) {
        const WizardPage *row = &g_pageRows[i];
        // Each page initialises inside this call, before the next exists.
        g_pageWindows[i] = CreateDialogParamA(
            g_instance, MAKEINTRESOURCEA(row->dialogId), frame,
            row->procedure, 0);
    }

    RECT firstPage = {0, 0, 0, 0};
    RECT client;
    if (g_pageWindows[0] != NULL)
        GetWindowRect(g_pageWindows[0], &firstPage);
    GetClientRect(frame, &client);
    // Every picture page starts where page 0 does, whatever its width.
    int pictureX = client.right - (firstPage.right - firstPage.left);
    for (int i = 0; i < WIZARD_PAGE_COUNT; i++) {
        if (g_pageWindows[i] == NULL)
            continue;
        int x = g_pageRows[i].pictureFlag == 1 ? pictureX : 0;
        SetWindowPos(g_pageWindows[i], NULL, x, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    }
    ApplyCatalogTexts();
}

static void ShowOnly(HWND window, bool current)
{
    if (window == NULL)
        return;
    EnableWindow(window, current);
    ShowWindow(window, current ? SW_SHOWNORMAL : SW_HIDE);
}

static void ShowPageWindows(int index)
{
    for (int i = 0; i < WIZARD_PAGE_COUNT; i++)
        ShowOnly(g_pageWindows[i], i == index);
    for (const ControlTextRow *row = kControlTextRows; row->key != NULL;
         row++) {
        HWND page = g_pageWindows[row->page];
        if (page != NULL)
            ShowOnly(GetDlgItem(page, row->controlId), row->page == index);
    }
}

static void SetFrameCaption(HWND frame, const char *titleKey)
{
    char title[CATALOG_TEXT_SIZE];
    GetPrivateProfileStringA("TITLE", titleKey, "", title, sizeof(title),
                             g_catalogPath);
    SendMessageA(frame, WM_SETFONT, (WPARAM)g_standardFont, FALSE);
    SetWindowTextA(frame, title);
}

// "UNVIS" hides the button and leaves the rest; otherwise a leading "-"
// disables it and the key names its [BUTTON] caption.
static void DressButton(HWND button, const char *key)
{
    if (button == NULL)
        return;
    if (strcmp(key, "UNVIS") == 0) {
        ShowWindow(button, SW_HIDE);
        return;
    }
    bool disabled = key[0] == '-';
    if (disabled)
        key++;
    EnableWindow(button, !disabled);
    ShowWindow(button, SW_SHOWNORMAL);
    char caption[CATALOG_TEXT_SIZE];
    GetPrivateProfileStringA("BUTTON", key, "", caption, sizeof(caption),
                             g_catalogPath);
    SendMessageA(button, WM_SETFONT, (WPARAM)g_standardFont, FALSE);
    SetWindowTextA(button, caption);
}

// [bmp] value of key, read with the default "nothing".
static void ReadPictureValue(void *, const char *key, char *value,
                             size_t size)
{
    GetPrivateProfileStringA("bmp", key, "nothing", value, (DWORD)size,
                             g_catalogPath);
}

// Pictures lie in the program directory. A name that does not fit gives
// no picture rather than the directory itself.
static void SetPicturePath(int index, const char *kind)
{
    char name[CATALOG_TEXT_SIZE];
    ChoosePictureName(index, kind, ReadPictureValue, NULL, name,
                      sizeof(name));
    CopyText(g_picturePath, sizeof(g_picturePath), g_programDirectory);
    if (AppendPath(g_picturePath, sizeof(g_picturePath), name) < 0)
        g_picturePath[0] = '\0';
}

int ShowWizardPage(HWND frame, int index)
{
    if (!IsPageIndex(index))
        return 0;
    const WizardPage *row = &g_pageRows[index];
    ShowPageWindows(index);
    SetFrameCaption(frame, row->titleKey);
    DressButton(GetDlgItem(frame, IDC_WIZARD_BACK), row->backKey);
    DressButton(GetDlgItem(frame, IDC_WIZARD_NEXT), row->nextKey);
    DressButton(GetDlgItem(frame, IDC_WIZARD_CANCEL), row->cancelKey);

    HWND pictureArea = GetDlgItem(frame, IDC_PICTURE_AREA);
    ShowWindow(pictureArea, row->pictureFlag == 1 ? SW_SHOWNORMAL : SW_HIDE);
    if (row->pictureFlag != 1)
        return 0;
    SetPicturePath(index, row->pictureKind);
    HDC dc = GetDC(frame);
    ReleaseLoadedPicture();
    if (dc != NULL) {
        DrawPageBitmap(dc);
        ReleaseDC(frame, dc);
    }
    return 0;
}

void ConfirmQuit(HWND frame)
{
    int answer = CatalogMessageBox(frame, g_catalogPath, "MessageBox",
                                   "QUIT_SETUP", "TITLE_MESSAGE", MB_YESNO);
    if (answer == IDYES) {
        ReleaseLoadedPicture();
        PostQuitMessage(0);
    }
}

static void CreateProgramFonts(HWND frame)
{
    FontSpec spec;
    ReadFontSpec(&spec, "Standard", g_catalogPath);
    g_standardFont = CreateSpecFont(frame, &spec);
    ReadFontSpec(&spec, "BackGround", g_catalogPath);
    g_backgroundFont = CreateSpecFont(frame, &spec);
    ReadFontSpec(&spec, "Company", g_catalogPath);
    g_companyFont = CreateSpecFont(frame, &spec);
}

static void InitWizardFrame(HWND frame)
{
    HMENU systemMenu = GetSystemMenu(frame, FALSE);
    RemoveMenu(systemMenu, SC_SIZE, MF_BYCOMMAND);
    RemoveMenu(systemMenu, SC_MAXIMIZE, MF_BYCOMMAND);
    CreateProgramFonts(frame);
    // The title and company texts appear as soon as their fonts exist.
    if (g_backgroundWindow != NULL)
        PaintBackground(g_backgroundWindow, 1);
    g_wizardFrame = frame;
    CreateWizardPages(frame);
    g_currentPage = PAGE_WELCOME;
    ShowWizardPage(frame, 0);
    CenterWindow(frame);
    if (g_pageWindows[0] != NULL)
        SendMessageA(g_pageWindows[0], WM_WIZARD_ACTIVATE, 1, 0);
}

// The current page decides: it writes the page to go to, or leaves the
// index to stay. An index outside the table counts as staying.
static void MovePage(HWND frame, int buttonId, UINT request,
                     WPARAM activation)
{
    SetFocus(GetDlgItem(frame, buttonId));
    int before = g_currentPage;
    if (!IsPageIndex(before) || g_pageWindows[before] == NULL)
        return;
    SendMessageA(g_pageWindows[before], request, 0, 0);
    if (g_currentPage == before)
        return;
    if (!IsPageIndex(g_currentPage)) {
        g_currentPage = before;
        return;
    }
    ShowWizardPage(frame, g_currentPage);
    if (g_pageWindows[g_currentPage] != NULL)
        SendMessageA(g_pageWindows[g_currentPage], WM_WIZARD_ACTIVATE,
                     activation, 0);
}

static void OnFrameCommand(HWND frame, WPARAM command)
{
    switch (command) {
    case IDC_WIZARD_BACK:
        MovePage(frame, IDC_WIZARD_BACK, WM_WIZARD_BACK, 0);
        break;
    case IDC_WIZARD_NEXT:
        MovePage(frame, IDC_WIZARD_NEXT, WM_WIZARD_NEXT, 1);
        break;
    case IDOK:
    case IDCANCEL:  // also Esc and the close command
    case IDC_WIZARD_CANCEL:
        ConfirmQuit(frame);
        break;
    }
}

static void PaintWizardFrame(HWND frame)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(frame, &paint);
    if (dc != NULL)
        DrawPageBitmap(dc);
    EndPaint(frame, &paint);
}

// The frame and its pages go together; a later frame starts afresh.
static void ForgetWizardFrame(HWND frame)
{
    if (g_wizardFrame != frame)
        return;
    g_wizardFrame = NULL;
    for (int i = 0; i < WIZARD_PAGE_COUNT; i++)
        g_pageWindows[i] = NULL;
}

// The frame never ends itself with EndDialog: every way out posts the quit
// message, which ends its modal loop and then the program's.
INT_PTR CALLBACK WizardFrameProc(HWND frame, UINT message, WPARAM wParam,
                                 LPARAM)
{
    switch (message) {
    case WM_CREATE:
        g_wizardFrame = NULL;
        return TRUE;
    case WM_INITDIALOG:
        if (g_wizardFrame == NULL)
            InitWizardFrame(frame);
        return TRUE;
    case WM_PAINT:
        PaintWizardFrame(frame);
        return TRUE;
    case WM_COMMAND:
        OnFrameCommand(frame, wParam);
        return TRUE;
    case WM_QUERYNEWPALETTE:
        AnswerQueryNewPalette(frame);
        return TRUE;
    case WM_PALETTECHANGED:
        AnswerPaletteChanged(frame, (HWND)wParam);
        return TRUE;
    case WM_WIZARD_END:
        ReleaseLoadedPicture();
        PostQuitMessage(0);
        SetWindowLongPtrA(frame, DWLP_MSGRESULT, 1);
        return TRUE;
    case WM_DESTROY:
        ForgetWizardFrame(frame);
        return FALSE;
    }
    return FALSE;
}
