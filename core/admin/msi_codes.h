// The Windows Installer twin of each exit code of setup.exe and
// uninstall.exe, for deployment tools configured for msiexec's codes
// (setup: -m or Codes=msi; the uninstaller: -m). The table in the README
// gives the same pairs and why each was chosen.
#pragma once

// Windows Installer codes that deployment tools act on.
enum MsiExitCode {
    MSI_SUCCESS = 0,
    MSI_DISK_FULL = 112,                // ERROR_DISK_FULL
    MSI_USER_EXIT = 1602,               // ERROR_INSTALL_USEREXIT
    MSI_INSTALL_FAILURE = 1603,         // ERROR_INSTALL_FAILURE
    MSI_ALREADY_RUNNING = 1618,         // ERROR_INSTALL_ALREADY_RUNNING
    MSI_PACKAGE_OPEN_FAILED = 1619,     // ERROR_INSTALL_PACKAGE_OPEN_FAILED
    MSI_PACKAGE_INVALID = 1620,         // ERROR_INSTALL_PACKAGE_INVALID
    MSI_PRODUCT_VERSION = 1638,         // ERROR_PRODUCT_VERSION
    MSI_INVALID_COMMAND_LINE = 1639,    // ERROR_INVALID_COMMAND_LINE
    MSI_RESTART_REQUIRED = 3010         // ERROR_SUCCESS_REBOOT_REQUIRED
};

// setup.exe's code (core/exit_codes.h, UnattendedExit) as Windows
// Installer's. A code the table does not know is a failure (1603).
int SetupMsiCode(int setupCode);

// uninstall.exe's code (UninstallExitCode) as Windows Installer's.
int UninstallMsiCode(int uninstallCode);
