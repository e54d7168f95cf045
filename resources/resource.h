// Resource identifiers of the setup program: dialog templates, their
// controls and the icons. Shared by the .rc files and the C++ sources.
#pragma once

// Dialog templates.
#define IDD_PAGE_WELCOME        102
#define IDD_PAGE_LICENSE        104
#define IDD_WIZARD_FRAME        109
#define IDD_PAGE_DESTINATION    110
#define IDD_PAGE_GROUP          111
#define IDD_FOLDER_BROWSER      113
#define IDD_PAGE_FINISH         114
#define IDD_INSTALL_PROGRESS    115
#define IDD_LANGUAGE            146
#define IDD_PAGE_USERINFO       172

// Icons ("tovrin" is named, not numbered).
#define IDI_FOLDER_CLOSED       116
#define IDI_FOLDER_OPEN         117
#define IDI_DRIVE               118
#define IDI_WELCOME             120

// Language selection dialog (146).
#define IDC_LANGUAGE_LIST       1114
#define IDC_LANGUAGE_PROMPT     1115

// Wizard frame (109) and pages: added with the wizard framework.

// Progress dialog (115): added with the installation engine.
