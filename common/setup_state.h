// The process-wide values that the subsystems hand to each other. Each
// value has one writer (named beside it); everybody else only reads.
#pragma once

#include <windows.h>

#include "core/setup_limits.h"

// Set at entry (startup/winmain.cpp).
extern HINSTANCE g_instance;
extern HWND g_backgroundWindow;
extern char g_commandLine[COMMAND_LINE_SIZE];
// Set at entry for -s and -v (startup/winmain.cpp): nobody is there, so
// no window of any program is shown and the engine's messages become
// report lines.
extern bool g_unattended;

// Set by the start-up configuration (startup/startup_config.cpp), which
// the start sequence (startup/start_sequence.cpp) runs in both modes.
extern char g_programDirectory[PATH_SIZE];     // no trailing backslash
extern char g_languageCode[LANGUAGE_CODE_SIZE];
extern BYTE g_noLicense;                       // recorded, read by nobody
extern char g_catalogPath[PATH_SIZE];          // <program>\<lang>\message.ini
extern char g_licensePath[PATH_SIZE];          // <program>\<lang>\license.txt
extern char g_titleText[TITLE_TEXT_SIZE];
extern char g_companyText[TITLE_TEXT_SIZE];
// Where a clicked run records its answers (-r<file>), resolved as an
// answer file's name is; g_recordAsked is 1 whenever a -r token was seen,
// also when its name was empty or too long (the path is then empty).
extern BYTE g_recordAsked;
extern char g_recordPath[PATH_SIZE];

// Set by the pre-install checks (install/preinstall_checks.cpp): the
// script path by the start sequence in both modes, the rest each time the
// checks are made (the welcome page, the unattended start).
extern char g_scriptPath[PATH_SIZE];           // <program>\<lang>\copy_ns.ini
extern char g_scriptVersion[SCRIPT_VERSION_SIZE];
extern int g_installCommonFiles;               // 0 or 1
extern int g_allUsers;                         // non-zero: common folders

// Set by the destination page (default) and the folder browser (choice);
// in an unattended run by the answer file (startup/unattended.cpp).
extern char g_destinationFolder[PATH_SIZE];
// Set by the program group page; in an unattended run by the answer file.
extern char g_programGroup[GROUP_NAME_SIZE];

// Created by the wizard frame from the catalog; never deleted.
extern HFONT g_standardFont;
extern HFONT g_backgroundFont;
extern HFONT g_companyFont;

// The wizard frame and its pages. The current page is written by the page
// procedures: a page names the page to go to by writing it.
extern HWND g_wizardFrame;
extern HWND g_pageWindows[WIZARD_PAGE_COUNT];
extern int g_currentPage;

// The rows of the wizard's page table, in its order.
enum WizardPageIndex {
    PAGE_WELCOME = 0,
    PAGE_LICENSE = 1,
    PAGE_DESTINATION = 2,
    PAGE_PROGRAM_GROUP = 3,
    PAGE_FINISH = 4,
    PAGE_USER_INFO = 5
};
static_assert(PAGE_USER_INFO + 1 == WIZARD_PAGE_COUNT,
              "one index per row of the page table");

// The picture of the current page (written by the wizard frame) and what
// the bitmap code loaded from it.
extern char g_picturePath[PATH_SIZE];
extern BYTE *g_loadedPicture;                  // packed DIB block or NULL
extern HPALETTE g_sharedPalette;

// What the bitmap code knows about the loaded picture (written by
// wizard/bitmap_display.cpp when it loads one).
extern int g_pictureWidth;
extern int g_pictureHeight;
extern int g_paletteEntries;

// Whether the program group page may still fill its list of existing
// groups: cleared by the first fill, so the list is read once per run
// (written by pages/group_list.cpp).
extern int g_folderListFilled;
