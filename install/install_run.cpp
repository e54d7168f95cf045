#include "install/install_run.h"

#include <stdio.h>
#include <string.h>

#include "common/folders.h"
#include "common/install_report.h"
#include "common/media_sums.h"
#include "common/registry_writers.h"
#include "common/setup_state.h"
#include "core/admin/quiet_uninstall.h"
#include "core/exit_codes.h"
#include "core/setup_limits.h"
#include "core/text/dbcs.h"
#include "core/text/path_join.h"
#include "core/text/version.h"
#include "install/answer_record.h"
#include "install/space_check.h"
#include "log/log_files.h"
#include "log/uninstaller_notes.h"
#include "shortcuts/progman_client.h"
#include "shortcuts/shortcut_files.h"
#include "transaction/journal_writer.h"
#include "transaction/registry_journal.h"
#include "transaction/transaction.h"

static const char kNetLibKey[] = "Software\\Vorstmark\\NETLNK32";
static const char kNetLibApplicationKey[] =
    "Software\\Vorstmark\\NETLNK32\\Application";
static const char kProductKey[] = "Software\\Veltrane\\CaptureKit";
static const char kCompanyKey[] = "Software\\Veltrane";
static const char kFileAgentKey[] = "Software\\Veltrane\\CaptureKit\\FileAgent";

// One entry of the uninstall log; without a log nothing is written.
static void WriteLogEntry(const char *logPath, const char *section,
                          const char *key, const char *value)
{
    if (logPath[0] != '\0')
        WritePrivateProfileStringA(section, key, value, logPath);
}

static void ReadScriptText(const char *section, const char *key,
                           const char *fallback, char *value, DWORD size)
{
    GetPrivateProfileStringA(section, key, fallback, value, size,
                             g_scriptPath);
}

// The shared network library is copied only when the package's version
// is not older than the installed one (both NETLIB_VERSION_SIZE bytes).
static bool NetworkLibraryIsCopied(char *package, char *installed)
{
    if (!ReadRegistryText(HKEY_LOCAL_MACHINE, kNetLibKey, "Version",
                          installed, NETLIB_VERSION_SIZE))
        CopyText(installed, NETLIB_VERSION_SIZE, "0.0.0");
    ReadScriptText("Files_DLL", "Version", "1.0.0", package,
                   NETLIB_VERSION_SIZE);
    return CompareVersions(package, installed) >= 0;
}

// Returns whether it was copied.
static bool InstallNetworkLibrary(HWND progressBar, HWND fileLabel,
                                  CopyFailures *failures, bool *aborted)
{
    char installed[NETLIB_VERSION_SIZE];
    char package[NETLIB_VERSION_SIZE];
    char appName[APP_NAME_SIZE];
    ReadScriptText("Files_DLL", "AppName", "CaptureAgent", appName,
                   sizeof(appName));

    bool copied = NetworkLibraryIsCopied(package, installed);
    if (copied)
        *aborted = !CopySection(g_scriptPath, g_destinationFolder,
                                progressBar, fileLabel, g_programGroup,
                                "Files_DLL", "ShortCut_Common", "StartUp_DLL",
                                g_allUsers, failures);
    else
        ReportLine("section Files_DLL: skipped, the installed version %s is "
                   "newer than the package's %s", installed, package);
    // The registry names the library that is on disk: a newer installed
    // one that was kept keeps its version.
    if (*aborted)
        return copied;
    // A value whose old data cannot be kept for a rollback is not changed;
    // a journal that cannot be written stops the run.
    if (copied &&
        JournalValueChange(HKEY_LOCAL_MACHINE, kNetLibKey, "Version"))
        WriteStringValue(HKEY_LOCAL_MACHINE, kNetLibKey, "Version", package);
    if (JournalValueChange(HKEY_LOCAL_MACHINE, kNetLibApplicationKey, appName))
        WriteDwordValue(HKEY_LOCAL_MACHINE, kNetLibApplicationKey, appName, 1);
    *aborted = HasJournalFailed();
    return copied;
}

// Returns false when the run was aborted.
static bool InstallCommonFiles(const char *logPath, HWND progressBar,
                               HWND fileLabel, CopyFailures *failures)
{
    // The shared component's files are kept read-only; they must be
    // writable to be replaced.
    SetSectionAttributes(g_scriptPath, g_destinationFolder, "Files_Common",
                         FILE_ATTRIBUTE_NORMAL, g_allUsers);
    if (!CopySection(g_scriptPath, g_destinationFolder, progressBar,
                     fileLabel, g_programGroup, "Files_Common",
                     "ShortCut_Common", "StartUp_Common", g_allUsers,
                     failures))
        return false;
    WriteLogEntry(logPath, "Files_Common", "REGPATH00", kProductKey);
    WriteLogEntry(logPath, "Files_Common", "REGPATH01", kCompanyKey);
    SetSectionAttributes(g_scriptPath, g_destinationFolder, "Files_Common",
                         FILE_ATTRIBUTE_READONLY, g_allUsers);
    return true;
}

// The startup shortcuts go into the group named after the Startup folder.
// Without one (look-up failed, or a path without a backslash) the name
// stays empty and the startup registrations are skipped.
static void GetStartupGroupName(char *name, size_t size)
{
    name[0] = '\0';
    char startup[PATH_SIZE];
    if (GetShellFolder(startup, sizeof(startup), "Startup", "Common Startup",
                       g_allUsers) == 0)
        return;
    const char *separator = FindLastSeparator(startup);
    if (separator != NULL)
        CopyText(name, size, separator + 1);
}

static void RegisterShortcuts(const char *programSection,
                              const char *startupSection,
                              const char *startupGroup,
                              CopyFailures *failures)
{
    ShortcutSkips *skips = failures != NULL ? &failures->shortcuts : NULL;
    RegisterShortcutSection(programSection, g_programGroup, skips);
    if (startupGroup[0] != '\0')
        RegisterShortcutSection(startupSection, startupGroup, skips);
}

// The values for deployment tools: the script's version and publisher,
// the destination, the silent command and the size of the files.
static void WriteUninstallEntryDetails(const char *keyName,
                                       const char *command,
                                       const char *logPath)
{
    char publisher[PUBLISHER_SIZE];
    ReadScriptText("UnInstLog", "Publisher", "", publisher,
                   sizeof(publisher));
    char program[PATH_SIZE];
    char quiet[2 * PATH_SIZE + 16];
    if (!FindUninstallerPath(command, logPath, program, sizeof(program)) ||
        !FormQuietUninstallCommand(program, logPath, quiet, sizeof(quiet)))
        quiet[0] = '\0';
    unsigned long long kilobytes = (MeasuredInstallBytes() + 1023) / 1024;
    UninstallDetails details;
    details.displayVersion = g_scriptVersion;
    details.publisher = publisher;
    details.installLocation = g_destinationFolder;
    details.quietCommand = quiet;
    details.estimatedSizeKb =
        kilobytes > 0xFFFFFFFFULL ? 0xFFFFFFFFUL : (DWORD)kilobytes;
    WriteUninstallDetails(keyName, &details);
}

// Returns false when the journal could not record the entry's values.
static bool WriteUninstallRegistration(const char *logPath)
{
    char keyName[UNINSTALL_KEY_NAME_SIZE];
    char displayName[DISPLAY_NAME_SIZE];
    char exeFile[PATH_SIZE];
    char dispIcon[PATH_SIZE];
    ReadScriptText("UnInstLog", "RegistKey", "", keyName, sizeof(keyName));
    ReadScriptText("UnInstLog", "DispName", "", displayName,
                   sizeof(displayName));
    ReadScriptText("UnInstLog", "ExeFile", "", exeFile, sizeof(exeFile));
    ReadScriptText("UnInstLog", "DispIcon", "", dispIcon, sizeof(dispIcon));

    char command[PATH_SIZE];
    ExpandFolderMacros(command, sizeof(command), exeFile, g_allUsers);
    // The icon lies below the destination folder; its name is not
    // expanded. A join that does not fit gives no icon rather than the
    // folder itself.
    char icon[PATH_SIZE];
    CopyText(icon, sizeof(icon), g_destinationFolder);
    if (AppendPath(icon, sizeof(icon), dispIcon) < 0)
        icon[0] = '\0';

    // Every value the entry may get is journaled, so a rollback removes
    // them all, written or not.
    static const char *const kEntryValues[] = {
        "DisplayName",     "UninstallString", "DisplayIcon",
        "DisplayVersion",  "Publisher",       "InstallLocation",
        "QuietUninstallString", "EstimatedSize", "NoModify",
        "NoRepair"};
    // The log names the entry before it is written: a rollback changes no
    // uninstall entry but the one its log names. The journal names it too:
    // a run killed while it rewrites the log leaves a log cut short, and
    // the entry must still go with the rollback.
    WriteLogEntry(logPath, "UnInstKey", "UnInstKey_File", keyName);
    bool journaled = !IsJournalOpen() ||
                     (FlushJournal() &&
                      WriteTransactionKey(logPath, "UnInstKey", keyName));
    if (!journaled)
        return false;
    char entryKey[UNINSTALL_KEY_PATH_SIZE];
    if (FormUninstallEntryKey(entryKey, sizeof(entryKey), keyName) &&
        !JournalValueChanges(HKEY_LOCAL_MACHINE, entryKey, kEntryValues,
                             sizeof(kEntryValues) / sizeof(kEntryValues[0])))
        return !HasJournalFailed();
    if (WriteUninstallEntry(keyName, displayName, command, icon))
        WriteUninstallEntryDetails(keyName, command, logPath);
    return true;
}

// The steps of the run; returns false when the policy aborted it.
static bool InstallEverything(const char *logPath, HWND progressBar,
                              HWND fileLabel, CopyFailures *failures)
{
    bool aborted = false;
    InstallNetworkLibrary(progressBar, fileLabel, failures, &aborted);
    if (aborted)
        return false;
    if (g_installCommonFiles) {
        if (!InstallCommonFiles(logPath, progressBar, fileLabel, failures))
            return false;
    } else {
        ReportLine("section Files_Common: skipped, the install-common-files "
                   "flag is 0");
    }

    char startupGroup[PATH_SIZE];
    GetStartupGroupName(startupGroup, sizeof(startupGroup));
    RegisterShortcuts("ShortCut_Common", "StartUp_Common", startupGroup,
                      failures);

    if (JournalKeyDeletion(HKEY_LOCAL_MACHINE, kFileAgentKey))
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kFileAgentKey);
    else if (HasJournalFailed())
        return false;
    if (!CopySection(g_scriptPath, g_destinationFolder, progressBar,
                     fileLabel, g_programGroup, "Files_File", "ShortCut_File",
                     "StartUp_File", g_allUsers, failures))
        return false;
    WriteLogEntry(logPath, "Files_File", "REGPATH00", kFileAgentKey);
    WriteLogEntry(logPath, "Utility", "FileAgent", "1");
    RegisterShortcuts("ShortCut_File", "StartUp_File", startupGroup, failures);

    static const char *const kFileAgentValues[] = {"InstallPath", "Version"};
    if (JournalValueChanges(HKEY_LOCAL_MACHINE, kFileAgentKey,
                            kFileAgentValues,
                            sizeof(kFileAgentValues) /
                                sizeof(kFileAgentValues[0]))) {
        WriteStringValue(HKEY_LOCAL_MACHINE, kFileAgentKey, "InstallPath",
                         g_destinationFolder);
        WriteStringValue(HKEY_LOCAL_MACHINE, kFileAgentKey, "Version",
                         g_scriptVersion);
    }
    else if (HasJournalFailed())
        return false;

    char extraFolder[PATH_SIZE];
    CopyText(extraFolder, sizeof(extraFolder), g_destinationFolder);
    if (AppendPath(extraFolder, sizeof(extraFolder), "00") >= 0)
        WriteLogEntry(logPath, "Extra_File", "Folder00", extraFolder);

    if (!WriteUninstallRegistration(logPath))
        return false;
    WriteUninstallerNotes(logPath);
    return true;
}

// The file sections the run will copy: the same gates as the run's.
static int ListSectionsToCopy(const char **sections)
{
    int count = 0;
    char package[NETLIB_VERSION_SIZE];
    char installed[NETLIB_VERSION_SIZE];
    if (NetworkLibraryIsCopied(package, installed))
        sections[count++] = "Files_DLL";
    if (g_installCommonFiles)
        sections[count++] = "Files_Common";
    sections[count++] = "Files_File";
    return count;
}

// Every target the script names, and the log, judged before the first
// change (see JudgeSectionTargets). Returns false when the policy aborted.
static bool JudgeScriptTargets(CopyFailures *failures)
{
    const char *const sections[] = {
        "Files_DLL", g_installCommonFiles ? "Files_Common" : NULL,
        "Files_File"};
    if (!JudgeUninstallLogPath(g_scriptPath, failures))
        return false;
    for (const char *section : sections)
        if (section != NULL &&
            !JudgeSectionTargets(g_scriptPath, g_destinationFolder, section,
                                 g_allUsers, failures))
            return false;
    return true;
}

// The journal's file and the reason in one report line.
static void ReportJournalFailure(const char *logPath, DWORD error,
                                 const char *consequence)
{
    char journal[PATH_SIZE];
    char reason[256];
    FormJournalName(logPath, journal, sizeof(journal));
    GetErrorText(error, reason, sizeof(reason));
    if (journal[0] == '\0')
        ReportLine("journal: the names of the side files of %s do not fit a "
                   "path; %s",
                   logPath, consequence);
    else
        ReportLine("journal: %s cannot be written (error %lu: %s); %s",
                   journal, (unsigned long)error, reason, consequence);
}

// Nothing is changed by a run whose every step could not be recorded
// first. Another run's journal is not this run's to judge.
static InstallOutcome RefuseWithoutJournal(const char *logPath, DWORD error)
{
    if (error == ERROR_ALREADY_EXISTS) {
        char journal[PATH_SIZE];
        FormJournalName(logPath, journal, sizeof(journal));
        ReportLine("journal %s: an earlier run did not finish and its "
                   "journal is kept",
                   journal);
        return INSTALL_EARLIER_STRANDED;
    }
    ReportJournalFailure(logPath, error, "nothing was changed");
    return INSTALL_JOURNAL_REFUSED;
}

InstallOutcome RunInstallation(HWND progressBar, HWND fileLabel,
                               CopyFailures *failures,
                               const RunQuestions *questions)
{
    static const RunQuestions kNobodyThere = {NULL, NULL, NULL};
    if (questions == NULL)
        questions = &kNobodyThere;
    SetCopyFailurePolicy(questions->askAboutCopy, questions->context);
    if (!JudgeScriptTargets(failures)) {
        SetCopyFailurePolicy(NULL, NULL);
        ReportLine("rollback: nothing was changed");
        return INSTALL_ROLLED_BACK;
    }
    char logPath[PATH_SIZE];
    ReadUninstallLogPath(g_scriptPath, logPath, sizeof(logPath));
    const char *sections[3];
    int count = ListSectionsToCopy(sections);
    if (!ConfirmFreeSpace(questions->askToFreeSpace, questions->context,
                          sections, count, logPath)) {
        SetCopyFailurePolicy(NULL, NULL);
        return INSTALL_NO_SPACE;
    }
    DWORD error;
    if (!BeginTransaction(logPath, &error)) {
        SetCopyFailurePolicy(NULL, NULL);
        return RefuseWithoutJournal(logPath, error);
    }
    bool finished = InstallEverything(logPath, progressBar, fileLabel,
                                      failures);
    SetCopyFailurePolicy(NULL, NULL);
    EndShortcutFiles();
    if (HasJournalFailed()) {
        ReportJournalFailure(logPath, JournalFailure(),
                             "the run stops and is rolled back");
        finished = false;
    }
    if (finished)
        return CommitTransaction();
    if (logPath[0] == '\0') {
        ReportLine("rollback: no uninstall log, nothing can be undone");
        return INSTALL_ROLLBACK_LEFT;
    }
    return RollBackInstallation(logPath);
}

int InstallExitCode(InstallOutcome outcome, const CopyFailures *failures,
                    const char **meaning)
{
    switch (outcome) {
    case INSTALL_NO_SPACE:
        *meaning = "refused, not enough space, nothing changed";
        return UNATTENDED_NO_SPACE;
    case INSTALL_ROLLED_BACK:
        if (WasMediaDamageFound()) {
            *meaning = "failed, a file is damaged on the medium; the "
                       "machine is as it was";
            return UNATTENDED_MEDIA_DAMAGED;
        }
        *meaning = "failed, the machine is as it was";
        return UNATTENDED_ROLLED_BACK;
    case INSTALL_ROLLBACK_LEFT:
        *meaning = "failed, and some steps could not be undone (named "
                   "above); the journal is kept for another try";
        return UNATTENDED_UNDO_INCOMPLETE;
    case INSTALL_JOURNAL_REFUSED:
        *meaning = "not started, the journal cannot be written; nothing "
                   "was changed";
        return UNATTENDED_JOURNAL_FAILED;
    case INSTALL_EARLIER_STRANDED:
        *meaning = "not started, an earlier run's journal is kept";
        return UNATTENDED_EARLIER_STRANDED;
    case INSTALL_COMMITTED:
        break;
    }
    if (failures->count > 0 || failures->shortcuts.count > 0 ||
        CountShortcutFailures() > 0) {
        *meaning = "installed, but some files or shortcuts were not made";
        return UNATTENDED_INCOMPLETE;
    }
    if (failures->restartCount > 0) {
        *meaning = "installed, restart needed";
        return UNATTENDED_RESTART_NEEDED;
    }
    *meaning = "installed";
    return UNATTENDED_INSTALLED;
}

