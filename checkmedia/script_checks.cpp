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
#include "core/script/shortcut_rule.h"
#include "core/setup_limits.h"
#include "core/text/ascii_case.h"
#include "core/text/dbcs.h"
#include "core/text/ini_reader.h"
#include "core/text/path_join.h"
#include "core/text/target_path.h"
#include "core/text/version.h"

namespace {

// Stand-ins for the folders setup finds on the computer, as long as they
// are likely to be: a joined path that passes with them has room.
const char kProgramFilesStandIn[] = "C:\\Program Files";
const char kSystemDirStandIn[] = "C:\\WINDOWS\\SYSTEM32";
const char kWindowsDirStandIn[] = "C:\\WINDOWS";
const char kStartupDirStandIn[] =
    "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup";
const char kProgramsDirStandIn[] =
    "C:\\Documents and Settings\\All Users\\Start Menu\\Programs";

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
    bool destinationSound;   // false: reported; its files are not judged
    std::string group;       // empty when it is reported
    std::set<std::string> installed;
    MediaSources *sources;
};

// The one judgement of a path setup writes, on a path resolved with the
// stand-ins: an error at the entry's line naming the path and the reason.
// Returns whether it passed.
bool JudgeTarget(ScriptCheck *check, int line, const char *what,
                 const char *path)
{
    TargetPathVerdict verdict = JudgeTargetPath(path, check->codePage);
    if (verdict == TARGET_PATH_OK)
        return true;
    // "@SystemDir" is no macro: macros are written in capitals.
    bool lowerMacro = verdict == TARGET_PATH_NOT_COMPLETE &&
                      strchr(path, '@') != NULL;
    AddFinding(check->report, check->script->file, line, SEVERITY_ERROR,
               "%s: setup refuses the target %s: %s%s", what, path,
               DescribeTargetPathVerdict(verdict),
               lowerMacro ? " (the macros are @SYSTEMDIR, @WINDOWSDIR, "
                            "@LANGDIR and @STARTUPDIR, in capitals; a "
                            "folder of the destination begins with a "
                            "backslash)"
                          : "");
    return false;
}

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
        check->index->isFolder.at(actual)) {
        AddFinding(check->report, check->script->file, line, SEVERITY_ERROR,
                   "source file \\%s is not on the media", source);
        return;
    }
    if (check->sources != NULL)
        check->sources->insert(std::make_pair(
            actual, MediaSource{source, actual, check->script->file, line,
                                check->codePage}));
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
    char what[LOG_SECTION_SIZE + LOG_KEY_SIZE + 4];
    snprintf(what, sizeof(what), "[%s] %s", section, key);
    if (!check->destinationSound || JudgeTarget(check, line, what, target))
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

// The folder the section's links land in: the group below Programs, or
// StartUp for a startup section; empty when the group is reported.
std::string LinkFolder(const ScriptCheck *check, const char *section)
{
    if (strncmp(section, "StartUp", 7) == 0)
        return kStartupDirStandIn;
    if (check->group.empty())
        return "";
    return std::string(kProgramsDirStandIn) + "\\" + check->group;
}

// Reports why the shortcut rule does not make a link ("CON", "Notes."
// name no file; "..\x" leads out of the group).
void ReportLink(ScriptCheck *check, const char *what, int line,
                const ResolvedShortcut &shortcut, const std::string &folder)
{
    const char *bad = FindBadNameChar(shortcut.title, check->codePage);
    if (bad != NULL) {
        AddFinding(check->report, check->script->file, line, SEVERITY_ERROR,
                   "%s: the title holds '%c', which a file name cannot hold",
                   what, *bad >= 0x20 ? *bad : '?');
        return;
    }
    std::string link = folder + "\\" + shortcut.title + ".lnk";
    JudgeTarget(check, line, what, link.c_str());
}

// The entry as setup reads it: whole up to SHORTCUT_READ_SIZE - 1
// characters, which the shortcut rule tells from a longer one.
std::string ReadShortcutValue(ScriptCheck *check, const char *section,
                              const char *key, int *line)
{
    char value[SHORTCUT_READ_SIZE];
    size_t full = 0;
    const std::string &text = check->script->text;
    ReadIniString(text.data(), text.size(), section, key, "", value,
                  sizeof(value), line, &full, check->codePage);
    if (*line != 0 && full > SHORTCUT_ENTRY_SIZE - 1)
        AddFinding(check->report, check->script->file, *line, SEVERITY_ERROR,
                   "[%s] %s has %zu characters; setup skips a shortcut "
                   "entry longer than %d",
                   section, key, full, SHORTCUT_ENTRY_SIZE - 1);
    return value;
}

void CheckShortcutEntry(ScriptCheck *check, const char *section, int i)
{
    char key[LOG_KEY_SIZE];
    snprintf(key, sizeof(key), "Icon%03d", i);
    char what[LOG_SECTION_SIZE + LOG_KEY_SIZE + 4];
    snprintf(what, sizeof(what), "[%s] %s", section, key);
    int line = 0;
    std::string value = ReadShortcutValue(check, section, key, &line);
    std::string folder = LinkFolder(check, section);
    ShortcutPlace place = {check->destination,
                           folder.empty() ? NULL : folder.c_str(),
                           ExpandField, check, check->codePage};
    static ResolvedShortcut shortcut;   // a kilobyte: kept off the stack
    ShortcutVerdict verdict = ResolveShortcut(value.c_str(), &place,
                                              &shortcut);
    const char *file = check->script->file.c_str();
    if (verdict == SHORTCUT_ENTRY_TOO_LONG)
        return;   // reported as it was read
    if (verdict == SHORTCUT_NO_FILE) {
        AddFinding(check->report, file, line, SEVERITY_ERROR,
                   "%s needs a title and a file; setup skips the shortcut",
                   what);
        return;
    }
    ShortcutEntry entry;
    SplitShortcutEntry(value.c_str(), &entry, check->codePage);
    CheckMacros(check, line, key, entry.folder);
    if (verdict == SHORTCUT_TARGET_TOO_LONG) {
        AddFinding(check->report, file, line, SEVERITY_ERROR,
                   "%s: the target path is longer than %d characters", what,
                   PATH_SIZE - 1);
        return;
    }
    if (check->installed.count(FoldPath(check, shortcut.target)) == 0)
        AddFinding(check->report, file, line, SEVERITY_ERROR,
                   "%s: no file section installs the target %s", what,
                   shortcut.target);
    if (verdict == SHORTCUT_NOT_CARRIED)
        AddFinding(check->report, file, line, SEVERITY_ERROR,
                   "%s: Program Manager's command syntax cannot carry it (a "
                   "quote, or a comma, parenthesis or bracket in the "
                   "arguments, or too long); setup skips the shortcut",
                   what);
    else if (verdict == SHORTCUT_LINK_TOO_LONG)
        AddFinding(check->report, file, line, SEVERITY_ERROR,
                   "%s: the link %s\\%s.lnk is longer than %d characters; "
                   "setup skips the shortcut",
                   what, folder.c_str(), shortcut.title, PATH_SIZE - 1);
    else if (verdict == SHORTCUT_BAD_LINK)
        ReportLink(check, what, line, shortcut, folder);
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
    if (FindBadNameChar(group.c_str(), check->codePage) == NULL)
        check->group = group;
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

// The length of the installed program that command begins with (it may
// carry arguments behind it), or 0 when no file section installs one.
size_t InstalledProgramLength(const ScriptCheck *check, const char *command)
{
    std::string text = command;
    size_t end = text.size();
    while (end > 0) {
        if (check->installed.count(
                FoldPath(check, text.substr(0, end).c_str())))
            return end;
        size_t blank = text.rfind(' ', end - 1);
        if (blank == std::string::npos)
            break;
        end = blank;
    }
    return 0;
}

// The arguments behind the program, blanks and enclosing quotes off.
std::string CommandArguments(const char *command, size_t programLength)
{
    std::string rest = command + programLength;
    size_t first = rest.find_first_not_of(' ');
    size_t last = rest.find_last_not_of(' ');
    rest = first == std::string::npos ? "" : rest.substr(first,
                                                         last - first + 1);
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"')
        rest = rest.substr(1, rest.size() - 2);
    return rest;
}

// ExeFile: the uninstaller a file section installs, given the log setup
// writes; the registered command of anything else removes nothing.
void CheckUninstallCommand(ScriptCheck *check, const std::string &log)
{
    const char *file = check->script->file.c_str();
    int line = 0;
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
    size_t program = InstalledProgramLength(check, expanded);
    if (program == 0) {
        AddFinding(check->report, file, line, SEVERITY_ERROR,
                   "the uninstaller %s is installed by no file section",
                   expanded);
        return;
    }
    std::string argument = CommandArguments(expanded, program);
    if (!log.empty() &&
        !EqualsAsciiNoCase(argument.c_str(), log.c_str(), check->codePage))
        AddFinding(check->report, file, line, SEVERITY_ERROR,
                   "ExeFile passes the uninstaller \"%s\", not the "
                   "uninstall log %s: the registered command removes "
                   "nothing",
                   argument.c_str(), log.c_str());
}

// RegistKey names the entry below the Uninstall key: one key name.
void CheckUninstallKey(ScriptCheck *check)
{
    int line = 0;
    std::string key =
        ReadRequired(check->script, "UnInstLog", "RegistKey",
                     UNINSTALL_KEY_NAME_SIZE, SEVERITY_ERROR, check->report,
                     &line);
    if (line == 0)
        return;
    if (key.empty() || key.find('\\') != std::string::npos)
        AddFinding(check->report, check->script->file, line, SEVERITY_ERROR,
                   "RegistKey \"%s\" is not one key name: the uninstall "
                   "entry lands where Add/Remove Programs does not list it",
                   key.c_str());
}

// DispIcon is joined onto the destination: a file the script installs.
void CheckDisplayIcon(ScriptCheck *check)
{
    int line = 0;
    std::string icon =
        ReadRequired(check->script, "UnInstLog", "DispIcon", PATH_SIZE,
                     SEVERITY_ERROR, check->report, &line);
    if (line == 0)
        return;
    char path[PATH_SIZE];
    CopyText(path, sizeof(path), check->destination, check->codePage);
    if (AppendPath(path, sizeof(path), icon.c_str(), check->codePage) < 0 ||
        check->installed.count(FoldPath(check, path)) == 0)
        AddFinding(check->report, check->script->file, line, SEVERITY_ERROR,
                   "DispIcon %s: no file section installs %s", icon.c_str(),
                   path);
}

// The uninstall registration as a whole: a log setup writes, the
// uninstaller given that log, one key name and an icon that is installed.
void CheckUninstallLog(ScriptCheck *check)
{
    const char *file = check->script->file.c_str();
    int line = 0;
    std::string log = ReadOptional(check->script, "UnInstLog", "UnInstLog",
                                   PATH_SIZE, check->report, &line);
    IniLine header;
    int logLine = line;
    if (line == 0 && FindIniSection(check->script->text.data(),
                                    check->script->text.size(), "UnInstLog",
                                    &header, check->codePage))
        line = header.number;
    if (log.empty())
        AddFinding(check->report, file, line, SEVERITY_ERROR,
                   "[UnInstLog] UnInstLog is missing: no uninstall log is "
                   "kept, so the product cannot be uninstalled");
    else if (!JudgeTarget(check, logLine, "[UnInstLog] UnInstLog (used "
                          "as written; no log is kept, so the product "
                          "cannot be uninstalled)", log.c_str()))
        log.clear();
    CheckUninstallKey(check);
    ReadRequired(check->script, "UnInstLog", "DispName", DISPLAY_NAME_SIZE,
                 SEVERITY_ERROR, check->report, NULL);
    CheckUninstallCommand(check, log);
    CheckDisplayIcon(check);
}

// A version setup compares with another: a letter or a fourth part is
// silently taken as 0 or left out, and the shared files are skipped.
void CheckVersion(ScriptCheck *check, const char *section, size_t size,
                  bool required)
{
    int line = 0;
    std::string version =
        required ? ReadRequired(check->script, section, "Version", size,
                                SEVERITY_WARNING, check->report, &line)
                 : ReadOptional(check->script, section, "Version", size,
                                check->report, &line);
    if (line != 0 && !IsPlainVersion(version.c_str()))
        AddFinding(check->report, check->script->file, line, SEVERITY_ERROR,
                   "[%s] Version \"%s\" does not compare as a version "
                   "(one to three numbers with dots, such as 1.2.0)",
                   section, version.c_str());
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
    check->destinationSound = line == 0 || strchr(relative, ':') == NULL;
    if (!check->destinationSound)
        AddFinding(check->report, check->script->file, line, SEVERITY_ERROR,
                   "DstDirectry %s is a full path not below c:\\Program "
                   "Files\\; setup joins it onto the program files folder",
                   product.c_str());
    if (AppendPath(check->destination, sizeof(check->destination), relative,
                   check->codePage) < 0) {
        AddFinding(check->report, check->script->file, line, SEVERITY_ERROR,
                   "the default destination is longer than %d characters",
                   PATH_SIZE - 1);
        check->destinationSound = false;
    } else if (check->destinationSound) {
        check->destinationSound =
            JudgeTarget(check, line, "DstDirectry", check->destination);
    }
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
    check.sources = files->sources;
    CheckIniShape(&files->script, report);
    CheckNotUtf8(&files->script,
                 check.codePage == 932 ? SEVERITY_ERROR : SEVERITY_WARNING,
                 report);
    CheckVersion(&check, "Application", SCRIPT_VERSION_SIZE, true);
    CheckVersion(&check, "Files_DLL", NETLIB_VERSION_SIZE, false);
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
