#include "common/setup_state.h"

HINSTANCE g_instance;
HWND g_backgroundWindow;
char g_commandLine[COMMAND_LINE_SIZE];
bool g_unattended;

char g_programDirectory[PATH_SIZE];
char g_languageCode[LANGUAGE_CODE_SIZE] = "jpn";
BYTE g_noLicense;
char g_catalogPath[PATH_SIZE];
char g_licensePath[PATH_SIZE];
char g_titleText[TITLE_TEXT_SIZE];
char g_companyText[TITLE_TEXT_SIZE];
BYTE g_recordAsked;
char g_recordPath[PATH_SIZE];

char g_scriptPath[PATH_SIZE];
char g_scriptVersion[SCRIPT_VERSION_SIZE];
int g_installCommonFiles;
int g_allUsers = 1;

char g_destinationFolder[PATH_SIZE];
char g_programGroup[GROUP_NAME_SIZE];

HFONT g_standardFont;
HFONT g_backgroundFont;
HFONT g_companyFont;

HWND g_wizardFrame;
HWND g_pageWindows[WIZARD_PAGE_COUNT];
int g_currentPage;

char g_picturePath[PATH_SIZE];
BYTE *g_loadedPicture;
HPALETTE g_sharedPalette;
