// The install script: file sections, shortcut and startup sections, the
// program group and the uninstall log, checked against what the install
// run does with them.
#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include <set>
#include <string>
#include <vector>

#include "checkmedia/checked_read.h"
#include "checkmedia/checks.h"
#include "core/progman/progman_commands.h"
#include "core/script/folder_field.h"
#include "core/script/folder_macros.h"
#include "core/script/script_entry.h"
#include "core/setup_limits.h"
#include "core/text/ascii_case.h"
#include "core/text/dbcs.h"
#include "core/text/ini_reader.h"
#include "core/text/path_join.h"

namespace {

// Stand-ins for the folders setup finds on the computer, as long as they
// are likely to be: a joined path that passes with them has room.
const char kProgramFilesStandIn[] = "C:\\Program Files";
const char kSystemDirStandIn[] = "C:\\WINDOWS\\SYSTEM32";
const char kWindowsDirStandIn[] = "C:\\WINDOWS";
const char kStartupDirStandIn[] =
    "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup";

const char *const kFileSections[] = {"Files_DLL", "Files_Common",
                                     "Files_File"};
const char *const kShortcutSections[] = {"ShortCut_Common", "ShortCut_File",
                                         "StartUp_DLL", "StartUp_Common",
                                         "StartUp_File"};

// The state of one script's check: the default destination and every
// file the file sections install (folded, for comparison).
struct ScriptCheck {
    const MediaIndex *index;
    const IniFile *script;
    Report *report;
    std::string code;
    int codePage;   // of the script's texts
    char destination[PATH_SIZE];
    std::set<std::string> installed;
};

std::string FoldPath(const ScriptCheck *check, const char *path)
{
    std::string folded = path;
    LowerAsciiText(&folded[0], check->codePage);
    return folded;
}

// False when the field or a stand-in does not fit: setup refuses such a
// field rather than use it with a macro left in it.
bool Expand(const ScriptCheck *check, char *dest, size_t size,
            const char *field)
{
    FolderMacroValues values = {kSystemDirStandIn, kWindowsDirStandIn,
                                check->code.c_str(), kStartupDirStandIn};
    return ReplaceFolderMacros(dest, size, field, &values, check->codePage);
}

bool ExpandField(void *context, char *expanded, size_t size,
                 const char *field)
{
    return Expand((const ScriptCheck *)context, expanded, size, field);
}

// A macro is written in capitals ("@WINDOWSDIR"): the length of the
// capitals, digits and underscores behind an "@" that begins with a
// capital and holds no small letter, else 0 ("@2x", "@home" are names).
size_t MacroLikeLength(const char *at)
{
    if (!isupper((unsigned char)at[1]))
        return 0;
    size_t length = 1;
    while (isupper((unsigned char)at[length]) ||
           isdigit((unsigned char)at[length]) || at[length] == '_')
        length++;
    return islower((unsigned char)at[length]) ? 0 : length;
}

// Reports every "@" that begins a macro-like word but none of the known
// macros.
void CheckMacros(const ScriptCheck *check, int line, const char *what,
                 const char *field)
{
    for (const char *p = field; *p != '\0';
         p = NextChar(p, check->codePage)) {
        if (*p != '@')
            continue;
        bool known = false;
        for (const char *name : kFolderMacroNames)
            known = known || strncmp(p, name, strlen(name)) == 0;
        size_t length = MacroLikeLength(p);
        if (known || length == 0)
            continue;
        AddFinding(check->report, check->script->file, line, SEVERITY_ERROR,
                   "%s: unknown macro %.*s (known: @SYSTEMDIR, @WINDOWSDIR, "
                   "@LANGDIR, @STARTUPDIR)",
                   what, (int)length, p);
    }
}

// A folder field resolved as the install run resolves it, with the
// stand-ins. False when it does not fit.
bool ResolveFolder(ScriptCheck *check, const char *base, const char *field,
                   char *folder, size_t size)
{
    return ResolveFolderField(folder, size, base, field, ExpandField, check,
                              check->codePage);
}

// Reads a numbered list of a section ("file%03d", "Icon%03d") and reports
// entries setup never reads: behind a gap, or past the 999th.
int CountListEntries(const ScriptCheck *check, const char *section,
                     const char *format, size_t size)
{
    const std::string &text = check->script->text;
    int count = MAX_SCRIPT_ENTRIES;
    std::vector<char> value(size);
    for (int i = 0; i < MAX_SCRIPT_ENTRIES; i++) {
        char key[LOG_KEY_SIZE];
        snprintf(key, sizeof(key), format, i);
        ReadIniString(text.data(), text.size(), section, key, "",
                      value.data(), size, NULL, NULL, check->codePage);
        if (value[0] == '\0') {
            count = i;
            break;
        }
    }
    // Any numbered key past the count is never read.
    IniLine header;
    if (!FindIniSection(text.data(), text.size(), section, &header,
                        check->codePage))
        return count;
    IniCursor cursor;
    StartIniLines(&cursor, text.data(), text.size(), check->codePage);
    IniLine line;
    bool inside = false;
    char prefix[8];
    snprintf(prefix, sizeof(prefix), "%.*s", (int)(strchr(format, '%') -
                                                   format), format);
    size_t prefixLength = strlen(prefix);
    while (NextIniLine(&cursor, &line)) {
        if (line.kind == INI_SECTION) {
            if (inside)
                break;
            inside = line.number == header.number;
            continue;
        }
        if (!inside || line.kind != INI_ENTRY ||
            line.nameLength != prefixLength + 3 ||
            !IniNameEquals(line.name, prefixLength, prefix))
            continue;
        int number = 0;
        bool digits = true;
        for (size_t i = prefixLength; i < line.nameLength; i++) {
            digits = digits && line.name[i] >= '0' && line.name[i] <= '9';
            number = number * 10 + (line.name[i] - '0');
        }
        if (!digits || number < count)
            continue;
        AddFinding(check->report, check->script->file, line.number,
                   SEVERITY_ERROR,
                   number >= MAX_SCRIPT_ENTRIES
                       ? "%.*s is never read: a list holds at most 999 "
                         "entries"
                       : "%.*s is never read: the list ends before it at a "
                         "missing or empty entry",
                   (int)line.nameLength, line.name);
    }
    return count;
}

void CheckSourceFile(ScriptCheck *check, int line, const FileEntry &entry)
{
    if (entry.sourceFolder[0] != '\0' && entry.sourceFolder[0] != '\\') {
        // Taken as a complete folder: not on the media, not checked.
        AddFinding(check->report, check->script->file, line,
                   SEVERITY_WARNING,
                   "source folder %s has no leading backslash: setup takes "
                   "it as a complete path, not a folder of the media",
                   entry.sourceFolder);
        return;
    }
    char source[PATH_SIZE] = "";
    if (!ResolveFolder(check, "", entry.sourceFolder, source,
                       sizeof(source)) ||
        AppendPath(source, sizeof(source), entry.fileName,
                   check->codePage) < 0) {
        AddFinding(check->report, check->script->file, line, SEVERITY_ERROR,
                   "the source path is longer than %d characters",
                   PATH_SIZE - 1);
        return;
    }
    std::string actual;
    if (!FindMediaPath(check->index, source, check->codePage, &actual) ||
        check->index->isFolder.at(actual))
        AddFinding(check->report, check->script->file, line, SEVERITY_ERROR,
                   "source file \\%s is not on the media", source);
}

void CheckFileEntry(ScriptCheck *check, const char *section, int i)
{
    char key[LOG_KEY_SIZE];
    snprintf(key, sizeof(key), "file%03d", i);
    int line = 0;
    std::string value = ReadOptional(check->script, section, key,
                                     FILE_ENTRY_SIZE, check->report, &line);
    FileEntry entry;
    SplitFileEntry(value.c_str(), &entry, check->codePage);
    if (entry.tooLong) {
        AddFinding(check->report, check->script->file, line, SEVERITY_ERROR,
                   "[%s] %s: a field is longer than %d characters; setup "
                   "skips the file",
                   section, key, PATH_SIZE - 1);
        return;
    }
    if (entry.fileName[0] == '\0') {
        AddFinding(check->report, check->script->file, line, SEVERITY_ERROR,
                   "[%s] %s names no file", section, key);
        return;
    }
    CheckMacros(check, line, key, entry.sourceFolder);
    CheckMacros(check, line, key, entry.destinationFolder);
    CheckSourceFile(check, line, entry);
    char target[PATH_SIZE];
    if (!ResolveFolder(check, check->destination, entry.destinationFolder,
                       target, sizeof(target)) ||
        AppendPath(target, sizeof(target), entry.fileName,
                   check->codePage) < 0) {
        AddFinding(check->report, check->script->file, line, SEVERITY_ERROR,
                   "[%s] %s: the installed path is longer than %d "
                   "characters (macros expanded, under the default "
                   "destination %s); setup refuses the file",
                   section, key, PATH_SIZE - 1, check->destination);
        return;
    }
    check->installed.insert(FoldPath(check, target));
}

void CheckFileSection(ScriptCheck *check, const char *section)
{
    const std::string &text = check->script->text;
    int present = CountListEntries(check, section, "file%03d",
                                   FILE_ENTRY_SIZE);
    int line = 0;
    int declared = ReadIniInt(text.data(), text.size(), section,
                              "SectionFiles", 0, &line, check->codePage);
    int count = present;
    if (declared > MAX_SCRIPT_ENTRIES) {
        AddFinding(check->report, check->script->file, line, SEVERITY_ERROR,
                   "SectionFiles %d: a section holds at most %d entries",
                   declared, MAX_SCRIPT_ENTRIES);
        count = MAX_SCRIPT_ENTRIES;
    } else if (declared > 0) {
        count = declared;
        if (declared != present)
            AddFinding(check->report, check->script->file, line,
                       declared > present ? SEVERITY_ERROR
                                          : SEVERITY_WARNING,
                       declared > present
                           ? "SectionFiles %d, but %d entries: setup takes "
                             "a step for each missing one"
                           : "SectionFiles %d, but %d entries: the rest "
                             "are not installed",
                       declared, present);
    }
    int totalLine = 0;
    int total = ReadIniInt(text.data(), text.size(), section, "TotalFiles",
                           count, &totalLine, check->codePage);
    int startLine = 0;
    int start = ReadIniInt(text.data(), text.size(), section, "CountStart", 0,
                           &startLine, check->codePage);
    if (total < 0 || total > 65535)
        AddFinding(check->report, check->script->file, totalLine,
                   SEVERITY_ERROR,
                   "TotalFiles %d: setup takes the count modulo 65536, so "
                   "the progress bar's range is %u",
                   total, (unsigned)total % 65536u);
    else if ((long long)start + count > total)
        AddFinding(check->report, check->script->file,
                   totalLine != 0 ? totalLine : startLine, SEVERITY_WARNING,
                   "CountStart %d and %d files run the progress bar past "
                   "its range of %d",
                   start, count, total);
    for (int i = 0; i < count && i < present; i++)
        CheckFileEntry(check, section, i);
}

// Characters that a file name cannot hold (the shortcut and the group
// become files and folders of the Start menu).
const char *FindBadNameChar(const char *name, int codePage)
{
    for (const char *p = name; *p != '\0'; p = NextChar(p, codePage)) {
        if (NextChar(p, codePage) - p == 1 &&
            ((unsigned char)*p < 0x20 || strchr("\\/:*?\"<>|", *p) != NULL))
            return p;
    }
    return NULL;
}

void CheckShortcutEntry(ScriptCheck *check, const char *section, int i)
{
    char key[LOG_KEY_SIZE];
    snprintf(key, sizeof(key), "Icon%03d", i);
    int line = 0;
    std::string value = ReadOptional(check->script, section, key,
                                     SHORTCUT_ENTRY_SIZE, check->report,
                                     &line);
    ShortcutEntry entry;
    SplitShortcutEntry(value.c_str(), &entry, check->codePage);
    const char *file = check->script->file.c_str();
    if (entry.tooLong) {
        AddFinding(check->report, file, line, SEVERITY_ERROR,
                   "[%s] %s: a field is longer than %d characters; setup "
                   "skips the shortcut",
                   section, key, PATH_SIZE - 1);
        return;
    }
    if (entry.fieldCount < 2) {
        AddFinding(check->report, file, line, SEVERITY_ERROR,
                   "[%s] %s needs a title and a file; setup skips the "
                   "shortcut",
                   section, key);
        return;
    }
    const char *bad = FindBadNameChar(entry.title, check->codePage);
    if (bad != NULL)
        AddFinding(check->report, file, line, SEVERITY_ERROR,
                   "[%s] %s: the title holds '%c', which a file name cannot "
                   "hold",
                   section, key, *bad >= 0x20 ? *bad : '?');
    CheckMacros(check, line, key, entry.folder);
    char path[PATH_SIZE];
    bool fits = entry.folder[0] != '\0'
                    ? Expand(check, path, sizeof(path), entry.folder)
                    : CopyText(path, sizeof(path), check->destination,
                               check->codePage) ==
                          strlen(check->destination);
    fits = fits &&
           AppendPath(path, sizeof(path), entry.file, check->codePage) >= 0;
    if (!fits) {
        AddFinding(check->report, file, line, SEVERITY_ERROR,
                   "[%s] %s: the target path is longer than %d characters",
                   section, key, PATH_SIZE - 1);
        return;
    }
    if (check->installed.count(FoldPath(check, path)) == 0)
        AddFinding(check->report, file, line, SEVERITY_ERROR,
                   "[%s] %s: no file section installs the target %s",
                   section, key, path);
    char command[PROGMAN_COMMAND_SIZE];
    if (ComposeAddItemCommand(command, sizeof(command), path,
                              entry.arguments, entry.title,
                              check->codePage) < 0)
        AddFinding(check->report, file, line, SEVERITY_ERROR,
                   "[%s] %s: Program Manager's command syntax cannot carry "
                   "it (a quote, or a comma, parenthesis or bracket in the "
                   "arguments, or too long)",
                   section, key);
}

void CheckShortcutSection(ScriptCheck *check, const char *section)
{
    int count = CountListEntries(check, section, "Icon%03d",
                                 SHORTCUT_ENTRY_SIZE);
    for (int i = 0; i < count; i++)
        CheckShortcutEntry(check, section, i);
}

void CheckGroup(ScriptCheck *check)
{
    int line = 0;
    std::string group =
        ReadRequired(check->script, "ShortCut_File", "group",
                     GROUP_NAME_SIZE, SEVERITY_WARNING, check->report, &line);
    if (line == 0)
        return;
    const char *file = check->script->file.c_str();
    if (group.empty())
        AddFinding(check->report, file, line, SEVERITY_ERROR,
                   "the program group name is empty");
    const char *bad = FindBadNameChar(group.c_str(), check->codePage);
    if (bad != NULL)
        AddFinding(check->report, file, line, SEVERITY_ERROR,
                   "the program group holds '%c', which a folder name "
                   "cannot hold",
                   *bad >= 0x20 ? *bad : '?');
    char command[PROGMAN_COMMAND_SIZE];
    if (ComposeCreateGroupCommand(command, sizeof(command), group.c_str(),
                                  1) < 0)
        AddFinding(check->report, file, line, SEVERITY_ERROR,
                   "Program Manager's command syntax cannot carry the "
                   "program group");
}

bool IsInstalled(const ScriptCheck *check, const char *path)
{
    // A command may carry arguments behind its program.
    std::string command = path;
    for (size_t end = command.size(); end != std::string::npos;
         end = end == 0 ? std::string::npos : command.rfind(' ', end - 1)) {
        if (check->installed.count(
                FoldPath(check, command.substr(0, end).c_str())))
            return true;
        if (end == 0)
            break;
    }
    return false;
}

void CheckUninstallLog(ScriptCheck *check)
{
    const char *file = check->script->file.c_str();
    int line = 0;
    std::string log = ReadOptional(check->script, "UnInstLog", "UnInstLog",
                                   PATH_SIZE, check->report, &line);
    IniLine header;
    if (line == 0 && FindIniSection(check->script->text.data(),
                                    check->script->text.size(), "UnInstLog",
                                    &header, check->codePage))
        line = header.number;
    if (log.empty())
        AddFinding(check->report, file, line, SEVERITY_ERROR,
                   "[UnInstLog] UnInstLog is missing: no uninstall log is "
                   "kept, so the product cannot be uninstalled");
    ReadRequired(check->script, "UnInstLog", "RegistKey",
                 UNINSTALL_KEY_NAME_SIZE, SEVERITY_ERROR, check->report, NULL);
    ReadRequired(check->script, "UnInstLog", "DispName", DISPLAY_NAME_SIZE,
                 SEVERITY_ERROR, check->report, NULL);
    ReadOptional(check->script, "UnInstLog", "Publisher", PUBLISHER_SIZE,
                 check->report, NULL);
    std::string command =
        ReadRequired(check->script, "UnInstLog", "ExeFile", PATH_SIZE,
                     SEVERITY_ERROR, check->report, &line);
    if (line == 0)
        return;
    CheckMacros(check, line, "ExeFile", command.c_str());
    char expanded[PATH_SIZE];
    Expand(check, expanded, sizeof(expanded), command.c_str());
    if (!IsInstalled(check, expanded))
        AddFinding(check->report, file, line, SEVERITY_ERROR,
                   "the uninstaller %s is installed by no file section",
                   expanded);
}

// The default destination: the program files folder and the product
// folder below it, as the destination page forms it.
void FormDestination(ScriptCheck *check)
{
    int line = 0;
    std::string product =
        ReadRequired(check->script, "Directry", "DstDirectry", PATH_SIZE,
                     SEVERITY_ERROR, check->report, &line);
    if (line == 0)
        product = "Fail";   // setup's default
    CopyText(check->destination, sizeof(check->destination),
             kProgramFilesStandIn, check->codePage);
    const char *relative = ProductFolderBelowProgramFiles(product.c_str());
    if (line != 0 && strchr(relative, ':') != NULL)
        AddFinding(check->report, check->script->file, line, SEVERITY_ERROR,
                   "DstDirectry %s is a full path not below c:\\Program "
                   "Files\\; setup joins it onto the program files folder",
                   product.c_str());
    if (AppendPath(check->destination, sizeof(check->destination), relative,
                   check->codePage) < 0)
        AddFinding(check->report, check->script->file, line, SEVERITY_ERROR,
                   "the default destination is longer than %d characters",
                   PATH_SIZE - 1);
}

}  // namespace

void CheckInstallScript(const MediaIndex *index, const LanguageFiles *files,
                        Report *report)
{
    ScriptCheck check;
    check.index = index;
    check.script = &files->script;
    check.report = report;
    check.code = files->code;
    check.codePage = files->script.codePage;
    CheckIniShape(&files->script, report);
    CheckNotUtf8(&files->script, report);
    ReadRequired(&files->script, "Application", "Version",
                 SCRIPT_VERSION_SIZE, SEVERITY_WARNING, report, NULL);
    ReadOptional(&files->script, "Files_DLL", "Version", NETLIB_VERSION_SIZE,
                 report, NULL);
    ReadOptional(&files->script, "Files_DLL", "AppName", APP_NAME_SIZE,
                 report, NULL);
    FormDestination(&check);
    for (const char *section : kFileSections)
        CheckFileSection(&check, section);
    CheckGroup(&check);
    for (const char *section : kShortcutSections)
        CheckShortcutSection(&check, section);
    CheckUninstallLog(&check);
}
