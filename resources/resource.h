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
#define IDI_DRIVE               117     // a hard disk
#define IDI_FOLDER_OPEN         118
#define IDI_WELCOME             120

// Language selection dialog (146).
#define IDC_LANGUAGE_LIST       1114
#define IDC_LANGUAGE_PROMPT     1115

// Wizard frame (109).
#define IDC_WIZARD_BACK         3
#define IDC_WIZARD_NEXT         1011
#define IDC_WIZARD_CANCEL       1012
#define IDC_PICTURE_AREA        1027

// Pages (102, 104, 110, 111, 114, 172) and the folder browser (113).
#define IDC_WELCOME_TEXT1           1004
#define IDC_WELCOME_TEXT2           1005
#define IDC_WELCOME_ICON            1006
#define IDC_WELCOME_HEADING         1019
#define IDC_LICENSE_UPPER           1007
#define IDC_LICENSE_LOWER           1008
#define IDC_LICENSE_TEXT            1010
#define IDC_DEST_EXPLANATION        1033
#define IDC_DEST_BROWSE             1035
#define IDC_DEST_FOLDER             1036
#define IDC_DEST_FRAME              1037
#define IDC_GROUP_LIST              1039
#define IDC_GROUP_NAME              1040
#define IDC_GROUP_LIST_LABEL        1041
#define IDC_GROUP_NAME_LABEL        1042
#define IDC_GROUP_EXPLANATION       1043
#define IDC_FINISH_UPPER            1166
#define IDC_FINISH_LOWER            1167
#define IDC_USERINFO_SERVER         1010
#define IDC_USERINFO_ADMIN_NAME     1011
#define IDC_USERINFO_ADMIN_ADDR     1012
#define IDC_USERINFO_EXPLANATION    1188
#define IDC_USERINFO_LABEL1         1189
#define IDC_USERINFO_LABEL2         1190
#define IDC_USERINFO_LABEL3         1191
#define IDC_BROWSER_FOLDER          1010
#define IDC_BROWSER_TREE            1038
#define IDC_BROWSER_EXPLANATION     1048
#define IDC_BROWSER_FOLDER_LABEL    1049
#define IDC_BROWSER_TREE_LABEL      1050

// Progress dialog (115).
#define IDC_PROGRESS_BAR        1050
#define IDC_PROGRESS_FILE       1051
#define IDC_PROGRESS_CAPTION    1052
