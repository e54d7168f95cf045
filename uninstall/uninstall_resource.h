// Resource identifiers of the uninstaller, shared by its .rc and sources.
#pragma once

#define IDD_UNINSTALL_PROGRESS  200

#define IDC_UNINSTALL_CAPTION   1201
#define IDC_UNINSTALL_BAR       1202
#define IDC_UNINSTALL_FILE      1203
