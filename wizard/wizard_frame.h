// The wizard frame (dialog 109): creates the six pages of the page table,
// shows one at a time with its caption, buttons and picture, and passes
// BACK and NEXT on to the current page, which moves by writing
// g_currentPage.
#pragma once

#include <windows.h>

#include "core/setup_limits.h"

struct WizardPage {
    int pictureFlag;     // 1: page right of the picture area; 0: no picture
    char titleKey[WIZARD_KEY_SIZE];    // [TITLE] key of the frame caption
    // Buttons: "UNVIS" hides, a leading "-" disables, the rest is the
    // [BUTTON] key of the caption.
    char backKey[WIZARD_KEY_SIZE];
    char nextKey[WIZARD_KEY_SIZE];
    char cancelKey[WIZARD_KEY_SIZE];
    int dialogId;
    DLGPROC procedure;
    char pictureKind[WIZARD_KEY_SIZE];  // picture when [bmp] names none
};

extern const WizardPage kWizardPages[WIZARD_PAGE_COUNT];

INT_PTR CALLBACK WizardFrameProc(HWND frame, UINT message, WPARAM wParam,
                                 LPARAM lParam);

// Creates the page windows in table order, places them and gives their
// controls the catalog texts.
void CreateWizardPages(HWND frame);

// Makes page index the visible one and dresses the frame for it: caption,
// buttons, picture. An index outside the table changes nothing. Returns 0.
int ShowWizardPage(HWND frame, int index);

// Asks the quit question; YES ends the program (quit message, code 0).
void ConfirmQuit(HWND frame);

// Tests only: the frame reads its rows from rows (WIZARD_PAGE_COUNT of
// them) instead of kWizardPages; NULL restores the real table.
void UseWizardPageTable(const WizardPage *rows);
