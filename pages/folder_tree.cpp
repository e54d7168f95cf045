#include "pages/folder_tree.h"

#include <stdio.h>
#include <string.h>

#include "core/text/ascii_case.h"
#include "core/text/dbcs.h"
#include "core/text/path_join.h"
#include "core/setup_limits.h"
#include "core/text/text_split.h"
#include "common/folders.h"
#include "resources/resource.h"

static void AddIcon(HIMAGELIST images, HINSTANCE instance, int iconId)
{
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(iconId));
    ImageList_ReplaceIcon(images, -1, icon);
}

HIMAGELIST CreateFolderImageList(HWND, HINSTANCE instance)
{
    HIMAGELIST images = ImageList_Create(16, 16, 0, 0, 0);
    if (images == NULL)
        return NULL;
    // In the order of FolderImage.
    AddIcon(images, instance, IDI_FOLDER_OPEN);
    AddIcon(images, instance, IDI_FOLDER_CLOSED);
    AddIcon(images, instance, IDI_DRIVE);
    AddIcon(images, instance, IDI_DRIVE);
    return images;
}

// Every item starts with a button; its first expansion tells the truth.
static HTREEITEM InsertTreeItem(HWND tree, HTREEITEM parent, const char *text,
                                int image, int selectedImage)
{
    TVINSERTSTRUCTA insert;
    ZeroMemory(&insert, sizeof(insert));
    insert.hParent = parent;
    insert.hInsertAfter = TVI_SORT;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE |
                       TVIF_CHILDREN;
    insert.item.pszText = const_cast<char *>(text);
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    insert.item.cChildren = 1;
    return (HTREEITEM)SendMessageA(tree, TVM_INSERTITEMA, 0, (LPARAM)&insert);
}

int AddFixedDrives(HWND tree)
{
    int count = 0;
    for (char letter = 'A'; letter <= 'Z'; letter++) {
        char root[4];
        snprintf(root, sizeof(root), "%c:\\", letter);
        if (GetDriveTypeA(root) != DRIVE_FIXED)
            continue;
        root[2] = '\0';  // the item shows "C:"
        InsertTreeItem(tree, TVI_ROOT, root, IMAGE_DRIVE,
                       IMAGE_DRIVE_SELECTED);
        count++;
    }
    return count;
}

static bool IsRealItem(HTREEITEM item)
{
    return item != NULL && item != TVI_ROOT;
}

static TVITEMA ItemFields(HTREEITEM item, UINT mask)
{
    TVITEMA fields;
    ZeroMemory(&fields, sizeof(fields));
    fields.mask = mask;
    fields.hItem = item;
    return fields;
}

static bool WasExpandedBefore(HWND tree, HTREEITEM item)
{
    TVITEMA state = ItemFields(item, TVIF_STATE);
    state.stateMask = TVIS_EXPANDEDONCE;
    SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)&state);
    return (state.state & TVIS_EXPANDEDONCE) != 0;
}

static void SetChildCount(HWND tree, HTREEITEM item, int count)
{
    TVITEMA children = ItemFields(item, TVIF_CHILDREN);
    children.cChildren = count;
    SendMessageA(tree, TVM_SETITEMA, 0, (LPARAM)&children);
}

// The item a subfolder is added under.
struct SubfolderParent {
    HWND tree;
    HTREEITEM item;
};

static bool InsertSubfolder(void *context, const WIN32_FIND_DATAA *found)
{
    const SubfolderParent *parent = (const SubfolderParent *)context;
    InsertTreeItem(parent->tree, parent->item, found->cFileName, IMAGE_FOLDER,
                   IMAGE_FOLDER_OPEN);
    return true;
}

int AddSubfolders(HWND tree, HTREEITEM item, const char *folderPath)
{
    if (IsRealItem(item) && WasExpandedBefore(tree, item))
        return 0;
    SubfolderParent parent = {tree, item};
    int count = VisitSubfolders(folderPath, InsertSubfolder, &parent);
    // A folder that cannot be listed keeps its button.
    if (count < 0)
        return 0;
    if (IsRealItem(item))
        SetChildCount(tree, item, count);
    return count;
}

static HTREEITEM NextTreeItem(HWND tree, HTREEITEM item, UINT relation)
{
    return (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, relation,
                                   (LPARAM)item);
}

static void GetTreeItemText(HWND tree, HTREEITEM item, char *buffer,
                            size_t size)
{
    TVITEMA text;
    ZeroMemory(&text, sizeof(text));
    text.mask = TVIF_TEXT;
    text.hItem = item;
    text.pszText = buffer;
    text.cchTextMax = (int)size;
    buffer[0] = '\0';
    SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)&text);
    buffer[size - 1] = '\0';
}

int GetTreeItemPath(HWND tree, HTREEITEM item, char *buffer, size_t size)
{
    char path[PATH_SIZE] = "";
    // Joining the path so far onto each parent's text: the first join puts
    // the backslash behind the item itself.
    for (; item != NULL; item = NextTreeItem(tree, item, TVGN_PARENT)) {
        char joined[PATH_SIZE];
        GetTreeItemText(tree, item, joined, sizeof(joined));
        if (AppendPath(joined, sizeof(joined), path) < 0) {
            CopyText(buffer, size, "");
            return 0;
        }
        CopyText(path, sizeof(path), joined);
    }
    CopyText(buffer, size, path);
    return 1;
}

// When the walk stops at a component that no item matches, the parent of
// the last item examined is selected: the deepest folder matched so far,
// or nothing when not even the drive matched. When a matched folder turns
// out to have no subfolders, it is that folder's parent.
void ExpandTreeToPath(HWND tree, const char *path)
{
    char component[PATH_SIZE];
    const char *cursor = path;
    if (!NextToken(&cursor, "\\", component, sizeof(component)))
        return;
    HTREEITEM item = NextTreeItem(tree, NULL, TVGN_ROOT);
    HTREEITEM examined = NULL;
    while (item != NULL) {
        examined = item;
        char text[PATH_SIZE];
        GetTreeItemText(tree, item, text, sizeof(text));
        if (!EqualsAsciiNoCase(text, component)) {
            item = NextTreeItem(tree, item, TVGN_NEXT);
            continue;
        }
        SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)item);
        if (!NextToken(&cursor, "\\", component, sizeof(component))) {
            SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)examined);
            return;
        }
        item = NextTreeItem(tree, item, TVGN_CHILD);
    }
    HTREEITEM parent =
        examined != NULL ? NextTreeItem(tree, examined, TVGN_PARENT) : NULL;
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)parent);
}
