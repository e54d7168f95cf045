#include "uninstall/removal_steps.h"

#include <string.h>

#include "common/install_report.h"
#include "core/script/shortcut_rule.h"
#include "core/text/dbcs.h"
#include "core/text/path_join.h"
#include "removal/file_remove.h"
#include "removal/progman_remove.h"
#include "uninstall/registry_remove.h"

static const char kFileAgentKey[] = "Software\\Veltrane\\CaptureKit\\FileAgent";

// Each step is named in the run's report and to the progress before it
// acts, so the last line names the path in hand when a step fails.
static void Step(Removal *r, const char *path)
{
    r->step++;
    ReportLine("removing: %s", path);
    if (r->progress != NULL)
        r->progress(r->context, r->step, r->steps, path);
}

static void RemoveShortcuts(Removal *r)
{
    CollectShortcuts(r);
    DeleteThroughProgman(&r->shortcuts);
    for (int i = 0; i < r->shortcuts.count; i++) {
        const char *path = r->shortcuts.values[i];
        Step(r, path);
        NoteFileResult(r, path, RemoveFileOrSchedule(path));
        char other[PATH_SIZE];
        if (CounterpartPath(path, other, sizeof(other)))
            NoteFileResult(r, other, RemoveFileOrSchedule(other));
    }
}

void RemoveFiles(Removal *r)
{
    RemoveShortcuts(r);
    for (int s = 0; s < SECTION_COUNT; s++) {
        if (!r->removed[s])
            continue;
        for (int i = 0; i < r->files[s].count; i++) {
            const char *path = r->files[s].values[i];
            if (IsLinkFilePath(path) || IsKeptFile(r, path) ||
                SamePath(path, r->self))
                continue;
            Step(r, path);
            if (JudgeRemoval(path) == REMOVAL_ALLOWED)
                NoteFileResult(r, path, RemoveFileOrSchedule(path));
            else
                NoteFailed(r, path, 1);
        }
    }
}

// Whether path is a part of the installation that stays for others: a file
// or folder that a kept section lists.
static bool IsKeptPart(const Removal *r, const char *path)
{
    if (IsKeptFile(r, path) || ListHolds(&r->keptFolders, path))
        return true;
    for (int s = 0; s < SECTION_COUNT; s++)
        if (!r->removed[s] && ListHolds(&r->files[s], path))
            return true;
    return false;
}

// A folder that could not be removed: the first entry in it that is
// neither listed nor kept for others is the user's, and is named.
static void NoteKeptFolder(Removal *r, const char *folder)
{
    char pattern[PATH_SIZE];
    CopyText(pattern, sizeof(pattern), folder);
    if (AppendPath(pattern, sizeof(pattern), "*") < 0)
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    bool userFile = false;
    do {
        if (strcmp(found.cFileName, ".") == 0 ||
            strcmp(found.cFileName, "..") == 0)
            continue;
        char inside[PATH_SIZE];
        CopyText(inside, sizeof(inside), folder);
        if (AppendPath(inside, sizeof(inside), found.cFileName) < 0 ||
            IsKeptPart(r, inside) || ListHolds(&r->folders, inside))
            continue;
        userFile = true;
    } while (!userFile && FindNextFileA(search, &found));
    FindClose(search);
    if (userFile)
        ReportLine("kept: folder %s holds %s", folder, found.cFileName);
    if (userFile && r->report->keptFolders++ == 0) {
        CopyText(r->report->keptFolder, PATH_SIZE, folder);
        CopyText(r->report->keptFolderFile, PATH_SIZE, found.cFileName);
    }
}

// For a log that does not list the folders the installation created:
// the folders between a listed folder and a listed folder above it. The
// install run creates them ("\doc\en" makes doc too) but lists only the
// deepest. A listed folder that never goes (a drive root, the Windows
// folder) existed before any installation, so the folders below it are
// not known to be ours. Empty ones go with the folder below them.
// context: the list.
static bool IsUnlistedBetweenListed(const char *parent, const void *context)
{
    const LogValueList *folders = (const LogValueList *)context;
    if (ListHolds(folders, parent))
        return false;
    for (int i = 0; i < folders->count; i++)
        if (IsInsideFolder(parent, folders->values[i], NULL) &&
            !IsProtectedFolder(folders->values[i]))
            return true;
    return false;
}

static void NoteDestinationGone(Removal *r, const char *folder)
{
    for (int s = 0; s < SECTION_COUNT; s++)
        if (r->destinations[s][0] != '\0' &&
            SamePath(folder, r->destinations[s]))
            r->destinationGone[s] = true;
}

// For a log that does not list the folders the installation created, the
// empty folders above each listed one go as the install run would have
// made them; never past a folder that holds anything or is protected, and
// from a destination only when this removal emptied it (one that was
// never there says nothing of the folder above it).
static void RemoveGuessedParents(Removal *r, const char *folder)
{
    RemoveEmptyParents(folder, IsUnlistedBetweenListed, &r->folders);
    NoteDestinationGone(r, folder);
}

void RemoveFolders(Removal *r)
{
    for (int i = 0; i < r->folders.count; i++) {
        const char *folder = r->folders.values[i];
        Step(r, folder);
        // A path the safety check refuses, or a link (what it reaches is
        // not ours), is a listed item that stays; a protected folder was
        // there before any installation.
        RemovalVerdict verdict = JudgeRemoval(folder);
        if (verdict == REMOVAL_BAD_PATH || verdict == REMOVAL_FOLLOWED_LINK) {
            NoteFailed(r, folder, 1);
            continue;
        }
        if (verdict == REMOVAL_PROTECTED ||
            GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES)
            continue;
        if (!RemoveEmptyFolder(folder))
            NoteKeptFolder(r, folder);
        else if (!r->foldersListed)
            RemoveGuessedParents(r, folder);
    }
    for (int s = 0; s < SECTION_COUNT; s++)
        if (r->removed[s] && r->destinationGone[s])
            RemoveEmptyParentsInProgramFiles(r->destinations[s]);
}

void RemoveRegistry(Removal *r)
{
    DeleteKeyTree(kFileAgentKey);
    CollectRegistryKeys(r);
    for (int i = 0; i < r->keys.count; i++)
        DeleteKeyIfEmpty(r->keys.values[i]);
}
