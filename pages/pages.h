// The wizard's page procedures (one source each) and the folder browser.
#pragma once

#include <windows.h>

#include "wizard/page_procedures.h"

INT_PTR CALLBACK FolderBrowserProc(HWND dialog, UINT message, WPARAM wParam,
                                   LPARAM lParam);
