// The wizard's page procedures (one source each) and the folder browser.
#pragma once

#include <windows.h>

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam,
                                 LPARAM lParam);
INT_PTR CALLBACK LicensePageProc(HWND page, UINT message, WPARAM wParam,
                                 LPARAM lParam);
INT_PTR CALLBACK DestinationPageProc(HWND page, UINT message, WPARAM wParam,
                                     LPARAM lParam);
INT_PTR CALLBACK ProgramGroupPageProc(HWND page, UINT message, WPARAM wParam,
                                      LPARAM lParam);
INT_PTR CALLBACK FinishPageProc(HWND page, UINT message, WPARAM wParam,
                                LPARAM lParam);
INT_PTR CALLBACK UserInfoPageProc(HWND page, UINT message, WPARAM wParam,
                                  LPARAM lParam);
INT_PTR CALLBACK FolderBrowserProc(HWND dialog, UINT message, WPARAM wParam,
                                   LPARAM lParam);
