// The folder tree of the folder browser: fixed drives at the top, each
// folder's subfolders read from disk the first time it is expanded.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <stddef.h>

// Image indexes of the folder image list.
enum FolderImage {
    IMAGE_FOLDER_OPEN = 0,   // a folder item while selected
    IMAGE_FOLDER = 1,
    IMAGE_DRIVE_SELECTED = 2,
    IMAGE_DRIVE = 3
};

// 16 x 16 images: open folder, closed folder, hard disk twice.
HIMAGELIST CreateFolderImageList(HWND dialog, HINSTANCE instance);

// Adds an item "X:" for every fixed drive; returns how many.
int AddFixedDrives(HWND tree);

// Adds the subfolders of folderPath under item, once per item (TVI_ROOT
// always lists). Returns the number added; 0 when the item was expanded
// before or the folder cannot be listed (the item keeps its button).
int AddSubfolders(HWND tree, HTREEITEM item, const char *folderPath);

// Opens the tree along path, one component (split by character) per
// level, matched without regard to case, and selects the deepest item
// reached (see the source for which one that is).
void ExpandTreeToPath(HWND tree, const char *path);

// Writes the full path of item, ending in a backslash ("C:\", "C:\A\B\"),
// into buffer (size bytes). Returns 1, or 0 with an empty buffer when the
// path would not fit into a path buffer.
int GetTreeItemPath(HWND tree, HTREEITEM item, char *buffer, size_t size);

