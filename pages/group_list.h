// The list of existing program groups on the program group page.
#pragma once

#include <windows.h>

// Adds the names of the plain subfolders of folder (attributes exactly
// FILE_ATTRIBUTE_DIRECTORY) to the list box, once per run: the first call
// clears g_folderListFilled. Returns the number of names added, 0 when it
// ran before or the folder cannot be searched.
int FillFolderList(HWND listBox, const char *folder);
