#include "shortcuts/shortcut_list.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/folders.h"
#include "core/text/path_join.h"

static void *(*g_allocate)(size_t) = malloc;

void SetShortcutAllocator(void *(*allocate)(size_t))
{
    g_allocate = allocate != NULL ? allocate : malloc;
}

// One buffer or array, or NULL. Arrays are zeroed so that a list whose
// allocation stopped half-way can be freed.
static void *Allocate(size_t bytes)
{
    void *block = g_allocate(bytes);
    if (block != NULL)
        memset(block, 0, bytes);
    return block;
}

int AllocShortcutList(ShortcutList *list)
{
    list->groupName = NULL;
    list->titles = list->paths = list->arguments = NULL;
    int count = list->count > 0 ? list->count : 0;
    size_t arrayBytes = (size_t)(count > 0 ? count : 1) * sizeof(char *);

    if ((list->groupName = (char *)Allocate(PATH_SIZE)) == NULL ||
        (list->titles = (char **)Allocate(arrayBytes)) == NULL ||
        (list->paths = (char **)Allocate(arrayBytes)) == NULL ||
        (list->arguments = (char **)Allocate(arrayBytes)) == NULL) {
        FreeShortcutList(list);
        return 0;
    }
    for (int i = 0; i < count; i++) {
        if ((list->titles[i] = (char *)Allocate(PATH_SIZE)) == NULL ||
            (list->paths[i] = (char *)Allocate(PATH_SIZE)) == NULL ||
            (list->arguments[i] = (char *)Allocate(PATH_SIZE)) == NULL) {
            FreeShortcutList(list);
            return 0;
        }
    }
    return 1;
}

void FreeShortcutList(ShortcutList *list)
{
    for (int i = 0; i < list->count; i++) {
        if (list->titles != NULL)
            free(list->titles[i]);
        if (list->paths != NULL)
            free(list->paths[i]);
        if (list->arguments != NULL)
            free(list->arguments[i]);
    }
    free(list->groupName);
    free(list->titles);
    free(list->paths);
    free(list->arguments);
    list->groupName = NULL;
    list->titles = list->paths = list->arguments = NULL;
}

bool FormGroupFolder(const char *group, int allUsers, char *folder,
                     size_t size)
{
    if (GetShellFolder(folder, size, NULL, NULL, allUsers) > 0 &&
        AppendPath(folder, size, group) >= 0)
        return true;
    if (size > 0)
        folder[0] = '\0';
    return false;
}

static void ReadShortcutValue(const char *scriptPath, const char *section,
                              int index, char *value, size_t size)
{
    char key[LOG_KEY_SIZE];
    snprintf(key, sizeof(key), "Icon%03d", index);
    GetPrivateProfileStringA(section, key, "", value, (DWORD)size,
                             scriptPath);
}

int CountShortcutEntries(const char *scriptPath, const char *section)
{
    char value[SHORTCUT_READ_SIZE];
    for (int index = 0; index < MAX_SCRIPT_ENTRIES; index++) {
        ReadShortcutValue(scriptPath, section, index, value, sizeof(value));
        if (value[0] == '\0')
            return index;
    }
    return MAX_SCRIPT_ENTRIES;
}

struct MacroContext {
    int allUsers;
};

static bool ExpandWithFolders(void *context, char *expanded, size_t size,
                              const char *field)
{
    const MacroContext *macros = (const MacroContext *)context;
    return ExpandFolderMacros(expanded, size, field, macros->allUsers) != 0;
}

ShortcutVerdict ReadShortcut(const char *scriptPath, const char *section,
                             int index, const char *destination,
                             const char *linkFolder, int allUsers,
                             ResolvedShortcut *shortcut)
{
    char value[SHORTCUT_READ_SIZE];
    ReadShortcutValue(scriptPath, section, index, value, sizeof(value));
    MacroContext macros = {allUsers};
    ShortcutPlace place = {destination, linkFolder, ExpandWithFolders,
                           &macros, CURRENT_CODE_PAGE};
    return ResolveShortcut(value, &place, shortcut);
}
