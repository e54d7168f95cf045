// The page procedures the page table names, one per row. They are defined
// with the pages (pages/), which the wizard otherwise does not know.
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
