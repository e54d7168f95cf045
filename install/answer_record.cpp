#include "install/answer_record.h"

#include <string.h>

#include "common/platform.h"
#include "common/setup_state.h"
#include "core/script/answer_file.h"
#include "core/text/dbcs.h"

// What stands at the path decides, not its name: nothing (a missing
// folder shows when the file is made), or an earlier answer file (a
// [Setup] section) that is an ordinary writable file. Any other file was
// not made by a recording and is left alone.
static bool MayReplace(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
        return false;
    char names[4096];
    DWORD length = GetPrivateProfileSectionNamesA(names, sizeof(names), path);
    return SectionListHolds(names,
                            length + 1 < sizeof(names) ? length + 1
                                                       : sizeof(names),
                            "Setup");
}

// The folder the file lies in, for the temporary name beside it.
static void FolderOf(const char *path, char *folder, size_t size)
{
    CopyText(folder, size, path);
    char *separator = FindLastSeparator(folder);
    if (separator != NULL)
        separator[1] = '\0';
    else if (folder[0] != '\0' && folder[1] == ':')
        folder[2] = '\0';       // "c:name": the current folder of c:
    else
        CopyText(folder, size, ".");
}

static bool WriteWhole(const char *path, const char *text, DWORD length)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool done = WriteFile(file, text, length, &written, NULL) &&
                written == length && FlushFileBuffers(file);
    return CloseHandle(file) && done;
}

RecordOutcome RecordAnswers(const char *path, const char **refusedKey)
{
    RecordedAnswers answers = {g_languageCode, g_destinationFolder,
                               g_programGroup};
    char text[ANSWER_TEXT_SIZE];
    AnswerTextResult built =
        BuildAnswerText(&answers, text, sizeof(text), refusedKey);
    if (built != ANSWER_TEXT_BUILT)
        return RECORD_VALUE_REFUSED;
    if (!MayReplace(path))
        return RECORD_NOT_REPLACED;
    char folder[PATH_SIZE];
    FolderOf(path, folder, sizeof(folder));
    char temporary[MAX_PATH];   // GetTempFileNameA's width
    if (GetTempFileNameA(folder, "ans", 0, temporary) == 0)
        return RECORD_NOT_WRITTEN;
    if (WriteWhole(temporary, text, (DWORD)strlen(text)) &&
        MoveFileOver(temporary, path))
        return RECORD_WRITTEN;
    DeleteFileA(temporary);
    return RECORD_NOT_WRITTEN;
}

